#include "BaseConversion.h"

#include "NumberText.h"

#include <algorithm>

namespace {

// Shared by the three bases: the lowest bitsPerDigit bits give each digit,
// least significant first; zero still yields one digit.
std::string ToBase(bool negative, TUInt128 magnitude, unsigned bitsPerDigit)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    const unsigned mask = (1U << bitsPerDigit) - 1;
    char buffer[129];
    char* const end = buffer + sizeof buffer;
    char* at = end;
    do {
        *--at = Digits[static_cast<unsigned>(magnitude) & mask];
        magnitude >>= bitsPerDigit;
    } while (magnitude != 0);
    if (negative) {
        *--at = '-';
    }
    return std::string(at, end);
}

std::string ToBase(const TIntegerPart& part, unsigned bitsPerDigit)
{
    return part.TooLarge ? std::string(MessageBeyondIntegerPartBits)
                         : ToBase(part.Negative, part.Magnitude, bitsPerDigit);
}

} // namespace

std::string IntegerPartToBinary(const TIntegerPart& part)
{
    return ToBase(part, 1);
}

std::string IntegerPartToOctal(const TIntegerPart& part)
{
    return ToBase(part, 3);
}

std::string IntegerPartToHexadecimal(const TIntegerPart& part)
{
    return ToBase(part, 4);
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
