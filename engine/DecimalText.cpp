// The decimal type's text: reading an equation's numbers (plain, signed,
// with an exponent, or with more digits than fit, rounded half to even, all
// by the grammar of NumberText.h) and writing a value: the decimal kind with
// every digit it holds, the double kind in at most 15 significant digits,
// with an exponent beyond them. Each conversion is O(length of the text)
// and allocates nothing but the std::string a caller asks for.
#include "Decimal.h"

#include "DecimalInternal.h"
#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <cstring>

using namespace decimal_detail;

namespace {

// Writes x < 10^8 as exactly eight digits at out.
inline void WriteEightDigits(std::uint32_t x, char* out)
{
    static constexpr char Pairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                    "8081828384858687888990919293949596979899";
    const std::uint32_t high = x / 10000;
    const std::uint32_t low = x % 10000;
    std::memcpy(out + 0, Pairs + 2 * (high / 100), 2);
    std::memcpy(out + 2, Pairs + 2 * (high % 100), 2);
    std::memcpy(out + 4, Pairs + 2 * (low / 100), 2);
    std::memcpy(out + 6, Pairs + 2 * (low % 100), 2);
}

// Writes the decimal digits of v < 2^96 (no leading zeros; "0" for zero)
// ending at end, and returns where they begin. Four independent eight-digit
// chunks cover the 29 digits a magnitude can have.
char* WriteDigits(u128 v, char* end)
{
    constexpr std::uint64_t E8 = 100000000;
    constexpr std::uint64_t E16 = E8 * E8;
    std::uint64_t low; // the last 16 digits
    std::uint64_t high;
    if ((v >> 64) == 0) {
        high = static_cast<std::uint64_t>(v) / E16;
        low = static_cast<std::uint64_t>(v) % E16;
    } else {
        high = Div128By64(static_cast<std::uint64_t>(v >> 64), static_cast<std::uint64_t>(v), E16, low);
    }
    // Only the chunks that hold digits: most values have far fewer than 29.
    char* start = end - 8;
    WriteEightDigits(static_cast<std::uint32_t>(low % E8), start);
    if (low >= E8 || high != 0) {
        start -= 8;
        WriteEightDigits(static_cast<std::uint32_t>(low / E8), start);
    }
    if (high != 0) {
        start -= 8;
        WriteEightDigits(static_cast<std::uint32_t>(high % E8), start);
        if (high >= E8) {
            start -= 8;
            WriteEightDigits(static_cast<std::uint32_t>(high / E8), start);
        }
    }
    char* first = start;
    while (first < end - 8 && std::memcmp(first, "00000000", 8) == 0) {
        first += 8;
    }
    while (first < end - 1 && *first == '0') {
        ++first;
    }
    return first;
}

} // namespace

// Any number the type reads: exponents, more digits than fit, leading zeros.
TDecimal decimal_detail::FromNumberText(const TNumberText& number)
{
    // Significant digits (leading zeros dropped) go into the mantissa; up to
    // 38 of them are kept exactly, the rest only count as a non-zero tail.
    constexpr long long MaxKept = 38;
    std::uint64_t head = 0; // the first digits, up to 19
    std::uint64_t tail = 0; // the following ones, up to 19
    int headDigits = 0;
    int tailDigits = 0;
    long long significant = 0;   // all significant digits seen
    long long integerDigits = 0; // significant digits before the point
    bool dropped = false;        // a non-zero digit beyond the kept ones
    auto take = [&](std::string_view digits, bool beforePoint) {
        for (const char c : digits) {
            const auto digit = static_cast<unsigned>(c - '0');
            if (significant == 0 && digit == 0) {
                if (!beforePoint) {
                    --integerDigits; // a zero between the point and the first significant digit
                }
                continue;
            }
            if (significant < MaxDigits64) {
                head = head * 10 + digit;
                ++headDigits;
            } else if (significant < MaxKept) {
                tail = tail * 10 + digit;
                ++tailDigits;
            } else {
                dropped |= digit != 0;
            }
            ++significant;
            if (beforePoint) {
                ++integerDigits;
            }
        }
    };
    take(number.Integer, true);
    take(number.Fraction, false);
    if (significant == 0) {
        return Pack(0, 0, false);
    }

    // value = mantissa * 10^(integerDigits + exponent - kept); the exponent's
    // limit keeps the sum far from overflowing.
    const int kept = headDigits + tailDigits;
    const u128 mantissa = static_cast<u128>(head) * Pow10u64(tailDigits) + tail;
    const long long scale = kept - integerDigits - number.Exponent;
    if (scale < 0) {
        // A whole number with -scale zeros to append: 29 digits at most fit.
        if (dropped || kept - scale > 29) {
            return TDecimal::Failed(TDecimalStatus::Overflow);
        }
        TWideInteger n(mantissa);
        n.MultiplyPow10(static_cast<int>(-scale));
        return n.FitsMagnitude() ? Pack(n.Low128(), 0, number.Negative) : TDecimal::Failed(TDecimalStatus::Overflow);
    }
    if (scale > MaxScale + MaxKept + 1) {
        return Pack(0, 0, false); // below half of the smallest step at any scale
    }
    if (!dropped && scale <= MaxScale && mantissa < MagnitudeLimit) {
        return Pack(mantissa, static_cast<int>(scale), number.Negative);
    }
    // Dropped digits lie below the rounding point: at most 29 of the 38 kept
    // digits fit, so rounding always removes some of them.
    return RoundToFit(TWideInteger(mantissa), static_cast<int>(scale), dropped ? TFraction::BelowHalf : TFraction::Zero,
                      number.Negative);
}

TDecimal DecimalFromText(std::string_view text)
{
    return ReadDecimal(text);
}

std::string DecimalTextWithoutExponent(std::string_view text)
{
    // Results reach 10^29 and go down to a double's 10^-324: far beyond
    // that, the text is no result and stays as it is.
    constexpr long long Farthest = 400;
    TNumberText number;
    if (!ReadNumberText(text, number) || !number.HasExponent || number.Exponent > Farthest ||
        number.Exponent < -Farthest) {
        return std::string(text);
    }
    std::string digits;
    digits.reserve(number.Integer.size() + number.Fraction.size());
    digits.append(number.Integer).append(number.Fraction);

    // The point moves by the exponent; zeros fill the places it passes.
    const long long point = static_cast<long long>(number.Integer.size()) + number.Exponent;
    if (point <= 0) {
        digits.insert(0, static_cast<std::size_t>(1 - point), '0');
    } else if (point > static_cast<long long>(digits.size())) {
        digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
    }
    std::size_t pointAt = point <= 0 ? 1 : static_cast<std::size_t>(point);
    const std::size_t firstKept = std::min(digits.find_first_not_of('0'), pointAt - 1);
    digits.erase(0, firstKept);
    pointAt -= firstKept;
    const std::size_t lastKept = digits.find_last_not_of('0');
    if (lastKept == std::string::npos || lastKept < pointAt) {
        digits.resize(pointAt);
    } else {
        digits.resize(lastKept + 1);
        digits.insert(pointAt, 1, '.');
    }
    return (number.Negative && digits != "0" ? "-" : "") + digits;
}

std::string DecimalToText(TDecimal value)
{
    TDecimalText text;
    return std::string(DecimalToChars(value, text));
}

std::string_view DecimalToChars(TDecimal value, TDecimalText& text)
{
    if (!value.IsOk()) {
        return {};
    }
    if (value.Kind == TDecimalKind::Double) {
        double d = value.AsDouble();
        if (d == 0) {
            return "0"; // also for -0
        }
        char* const buffer = text.Chars.data();
        const auto result = std::to_chars(buffer, buffer + text.Chars.size(), d, std::chars_format::general, 15);
        std::replace(buffer, result.ptr, 'e', 'E');
        return std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer));
    }
    const u128 magnitude = value.Magnitude();
    if (magnitude == 0) {
        return "0";
    }
    static_assert(sizeof text.Chars >= 2 + MaxScale + 40);
    char* const end = text.Chars.data() + text.Chars.size();
    char* first = WriteDigits(magnitude, end);
    const int scale = value.Scale;
    // Leading zeros up to and including the units digit, when the value is below 1.
    while (end - first <= scale) {
        *--first = '0';
    }
    char* const pointAt = end - scale;
    char* last = end; // one past the last digit to keep
    while (last > pointAt && last[-1] == '0') {
        --last;
    }
    if (last > pointAt) {
        // Move the integer digits one place left to make room for the point.
        std::memmove(first - 1, first, static_cast<std::size_t>(pointAt - first));
        --first;
        pointAt[-1] = '.';
    }
    if (value.Negative) {
        *--first = '-';
    }
    return std::string_view(first, static_cast<std::size_t>(last - first));
}
