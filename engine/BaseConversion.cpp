#include "BaseConversion.h"

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

std::string ToBase(std::int64_t value, unsigned bitsPerDigit)
{
    // The magnitude of the most negative value only exists unsigned.
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return ToBase(value < 0, magnitude, bitsPerDigit);
}

std::string ToBase(const TIntegerPart& part, unsigned bitsPerDigit)
{
    return part.TooLarge ? std::string(MessageBeyondIntegerPartBits)
                         : ToBase(part.Negative, part.Magnitude, bitsPerDigit);
}

} // namespace

std::string IntToBinary(std::int64_t value)
{
    return ToBase(value, 1);
}

std::string IntToOctal(std::int64_t value)
{
    return ToBase(value, 3);
}

std::string IntToHexadecimal(std::int64_t value)
{
    return ToBase(value, 4);
}

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
    // sign, digits with at most one '.', optional exponent: the integer part
    // is the digits left of the point once the exponent has moved it.
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i++] == '-';
    }
    const std::size_t digitsStart = i;
    std::size_t pointAt = std::string_view::npos;
    for (; i < text.size(); ++i) {
        if (text[i] == '.' && pointAt == std::string_view::npos) {
            pointAt = i;
        } else if (text[i] < '0' || text[i] > '9') {
            break;
        }
    }
    const std::size_t digitsEnd = i;
    if (pointAt == std::string_view::npos) {
        pointAt = digitsEnd;
    }
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool exponentNegative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            exponentNegative = text[i++] == '-';
        }
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            exponent = std::min<long long>(exponent * 10 + (text[i] - '0'), 1'000'000);
        }
        if (exponentNegative) {
            exponent = -exponent;
        }
    }
    if (i != text.size()) {
        return {};
    }

    // Digits of the integer part, stopping once past 96 bits.
    constexpr TUInt128 Limit = TUInt128{1} << IntegerPartBits;
    const long long integerDigits = static_cast<long long>(pointAt - digitsStart) + exponent;
    TIntegerPart part;
    auto append = [&part](unsigned digit) {
        part.Magnitude = part.Magnitude * 10 + digit;
        part.TooLarge = part.Magnitude >= Limit;
    };
    long long taken = 0;
    for (std::size_t j = digitsStart; j < digitsEnd && taken < integerDigits && !part.TooLarge; ++j) {
        if (text[j] == '.') {
            continue;
        }
        ++taken;
        append(static_cast<unsigned>(text[j] - '0'));
    }
    // Digits the exponent moves past the last one written are zeros.
    for (; taken < integerDigits && part.Magnitude != 0 && !part.TooLarge; ++taken) {
        append(0);
    }
    part.Negative = negative && part.Magnitude != 0;
    return part;
}
