#include "BaseConversion.h"

#include <algorithm>
#include <limits>

namespace {

// Shared by the three bases: the lowest bitsPerDigit bits give each digit,
// least significant first; zero still yields one digit.
std::string ToBase(std::int64_t value, unsigned bitsPerDigit)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    const bool negative = value < 0;
    // The magnitude of the most negative value only exists unsigned.
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const std::uint64_t mask = (std::uint64_t{1} << bitsPerDigit) - 1;
    char buffer[65];
    char* const end = buffer + sizeof buffer;
    char* at = end;
    do {
        *--at = Digits[magnitude & mask];
        magnitude >>= bitsPerDigit;
    } while (magnitude != 0);
    if (negative)
        *--at = '-';
    return std::string(at, end);
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

std::int64_t ResultIntegerPart(std::string_view text)
{
    // sign, digits with at most one '.', optional exponent: the integer part
    // is the digits left of the point once the exponent has moved it.
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t digitsStart = i;
    std::size_t pointAt = std::string_view::npos;
    for (; i < text.size(); ++i) {
        if (text[i] == '.' && pointAt == std::string_view::npos)
            pointAt = i;
        else if (text[i] < '0' || text[i] > '9')
            break;
    }
    const std::size_t digitsEnd = i;
    if (pointAt == std::string_view::npos)
        pointAt = digitsEnd;
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool exponentNegative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            exponentNegative = text[i++] == '-';
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            exponent = std::min<long long>(exponent * 10 + (text[i] - '0'), 1'000'000);
        if (exponentNegative)
            exponent = -exponent;
    }
    if (i != text.size())
        return 0;

    // Digits of the integer part, saturating just past the 64-bit range.
    constexpr std::uint64_t Saturated = std::uint64_t{1} << 63; // |INT64_MIN|
    const long long integerDigits = static_cast<long long>(pointAt - digitsStart) + exponent;
    std::uint64_t magnitude = 0;
    auto append = [&magnitude](unsigned digit) {
        magnitude = magnitude > (Saturated - digit) / 10 ? Saturated + 1 : magnitude * 10 + digit;
    };
    long long taken = 0;
    for (std::size_t j = digitsStart; j < digitsEnd && taken < integerDigits; ++j) {
        if (text[j] == '.')
            continue;
        ++taken;
        append(static_cast<unsigned>(text[j] - '0'));
    }
    // Digits the exponent moves past the last one written are zeros.
    for (; taken < integerDigits && magnitude != 0 && magnitude <= Saturated; ++taken)
        append(0);
    if (negative)
        return magnitude >= Saturated ? std::numeric_limits<std::int64_t>::min()
                                      : -static_cast<std::int64_t>(magnitude);
    return magnitude >= Saturated ? std::numeric_limits<std::int64_t>::max() : static_cast<std::int64_t>(magnitude);
}
