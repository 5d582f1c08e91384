#include "BaseConversion.h"

#include "DecimalInternal.h"
#include "NumberText.h"

#include <algorithm>
#include <cstring>

std::string_view IntegerPartToChars(const TIntegerPart& part, TBase base, TBaseDigits& digits)
{
    if (part.TooLarge) {
        return MessageBeyondIntegerPartBits;
    }
    // The lowest bits give each digit, least significant first, written
    // from the end of the buffer; zero still yields one digit. Binary digits
    // go four at a time, and the work is on 64-bit words: the low one, then
    // what is left of the high one.
    static constexpr char Digits[] = "0123456789ABCDEF";
    static constexpr char Nibbles[16][4] = {
        {'0', '0', '0', '0'}, {'0', '0', '0', '1'}, {'0', '0', '1', '0'}, {'0', '0', '1', '1'},
        {'0', '1', '0', '0'}, {'0', '1', '0', '1'}, {'0', '1', '1', '0'}, {'0', '1', '1', '1'},
        {'1', '0', '0', '0'}, {'1', '0', '0', '1'}, {'1', '0', '1', '0'}, {'1', '0', '1', '1'},
        {'1', '1', '0', '0'}, {'1', '1', '0', '1'}, {'1', '1', '1', '0'}, {'1', '1', '1', '1'},
    };
    char* const end = digits.Chars.data() + digits.Chars.size();
    char* at = end;
    TUInt128 magnitude = part.Magnitude;
    if (base == TBase::Binary) {
        // The high word's bits first as whole groups of four, then the low
        // word's from 64-bit arithmetic alone.
        if (static_cast<std::uint64_t>(magnitude >> 64) != 0) {
            std::uint64_t low = static_cast<std::uint64_t>(magnitude);
            for (int group = 0; group < 16; ++group) {
                at -= 4;
                std::memcpy(at, Nibbles[low & 15], 4);
                low >>= 4;
            }
            magnitude >>= 64;
        }
        std::uint64_t rest = static_cast<std::uint64_t>(magnitude);
        do {
            at -= 4;
            std::memcpy(at, Nibbles[rest & 15], 4);
            rest >>= 4;
        } while (rest != 0);
        while (at < end - 1 && *at == '0') {
            ++at; // the leading zeros of the last group of four
        }
    } else {
        const auto bitsPerDigit = static_cast<unsigned>(base);
        const unsigned mask = (1U << bitsPerDigit) - 1;
        // Whole digits of the low word while the high one has bits: 63 bits
        // are 21 octal digits, 64 are 16 hexadecimal ones.
        const unsigned lowDigits = 63 / bitsPerDigit;
        while (static_cast<std::uint64_t>(magnitude >> 64) != 0) {
            std::uint64_t low = static_cast<std::uint64_t>(magnitude);
            for (unsigned k = 0; k < lowDigits; ++k) {
                *--at = Digits[low & mask];
                low >>= bitsPerDigit;
            }
            magnitude >>= lowDigits * bitsPerDigit;
        }
        std::uint64_t low = static_cast<std::uint64_t>(magnitude);
        do {
            *--at = Digits[low & mask];
            low >>= bitsPerDigit;
        } while (low != 0);
    }
    if (part.Negative) {
        *--at = '-';
    }
    return std::string_view(at, static_cast<std::size_t>(end - at));
}

namespace {

std::string ToBase(const TIntegerPart& part, TBase base)
{
    TBaseDigits digits;
    return std::string(IntegerPartToChars(part, base, digits));
}

} // namespace

std::string IntegerPartToBinary(const TIntegerPart& part)
{
    return ToBase(part, TBase::Binary);
}

std::string IntegerPartToOctal(const TIntegerPart& part)
{
    return ToBase(part, TBase::Octal);
}

std::string IntegerPartToHexadecimal(const TIntegerPart& part)
{
    return ToBase(part, TBase::Hexadecimal);
}

TIntegerPart DecimalIntegerPart(TDecimal value)
{
    // The magnitude with the scale's digits cut off: what the decimal text
    // (every digit, no exponent) shows left of its point. Always below 2^96.
    TUInt128 magnitude = value.Magnitude();
    for (int scale = value.Scale; scale > 0; scale -= decimal_detail::MaxDigits64) {
        decimal_detail::DividePow10(magnitude, std::min(scale, decimal_detail::MaxDigits64));
    }
    return TIntegerPart{value.Negative && magnitude != 0, magnitude, false};
}

TIntegerPart ResultIntegerPart(std::string_view text)
{
    // The integer part is the digits left of the point once the exponent
    // has moved it.
    TNumberText number;
    if (!ReadNumberText(text, number)) {
        return {};
    }

    // Digits of the integer part, stopping once past 96 bits.
    constexpr TUInt128 Limit = TUInt128{1} << IntegerPartBits;
    const long long integerDigits = static_cast<long long>(number.Integer.size()) + number.Exponent;
    TIntegerPart part;
    auto append = [&part](unsigned digit) {
        part.Magnitude = part.Magnitude * 10 + digit;
        part.TooLarge = part.Magnitude >= Limit;
    };
    long long taken = 0;
    for (const std::string_view digits : {number.Integer, number.Fraction}) {
        for (std::size_t j = 0; j < digits.size() && taken < integerDigits && !part.TooLarge; ++j, ++taken) {
            append(static_cast<unsigned>(digits[j] - '0'));
        }
    }
    // Digits the exponent moves past the last one written are zeros.
    for (; taken < integerDigits && part.Magnitude != 0 && !part.TooLarge; ++taken) {
        append(0);
    }
    part.Negative = number.Negative && part.Magnitude != 0;
    return part;
}
