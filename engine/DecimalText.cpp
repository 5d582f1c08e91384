// The decimal type's text: reading an equation's numbers (plain, signed,
// with an exponent, or with more digits than fit, rounded half to even) and
// writing a value in at most 15 significant digits, with an exponent
// beyond them. Each conversion is O(length of the text) and allocates
// nothing but the std::string a caller asks for.
#include "Decimal.h"

#include "DecimalInternal.h"

#include <charconv>
#include <cmath>
#include <cstring>

using namespace decimal_detail;

namespace {

// Steps over a leading "+" or "-"; whether it was "-".
inline bool ReadSign(const char*& p, const char* end)
{
    if (p != end && (*p == '+' || *p == '-')) {
        return *p++ == '-';
    }
    return false;
}

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
    char* const start = end - 32;
    WriteEightDigits(static_cast<std::uint32_t>(high / E8), start);
    WriteEightDigits(static_cast<std::uint32_t>(high % E8), start + 8);
    WriteEightDigits(static_cast<std::uint32_t>(low / E8), start + 16);
    WriteEightDigits(static_cast<std::uint32_t>(low % E8), start + 24);
    char* first = start;
    while (first < end - 8 && std::memcmp(first, "00000000", 8) == 0) {
        first += 8;
    }
    while (first < end - 1 && *first == '0') {
        ++first;
    }
    return first;
}

// Any text the type reads: exponents, more digits than fit, leading zeros.
TDecimal FromTextGeneral(std::string_view text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = ReadSign(p, end);

    // Significant digits (leading zeros dropped) go into the mantissa; up to
    // 38 of them are kept exactly, the rest only count as a non-zero tail.
    constexpr int MaxKept = 38;
    std::uint64_t head = 0; // the first digits, up to 19
    std::uint64_t tail = 0; // the following ones, up to 19
    int headDigits = 0;
    int tailDigits = 0;
    int significant = 0;   // all significant digits seen
    int integerDigits = 0; // significant digits before the point
    bool dropped = false;  // a non-zero digit beyond the kept ones
    bool anyDigit = false;
    bool point = false;
    for (; p != end; ++p) {
        const char c = *p;
        if (c == '.') {
            if (point) {
                return TDecimal::Failed(TDecimalStatus::NotANumber);
            }
            point = true;
            continue;
        }
        if (c < '0' || c > '9') {
            break;
        }
        anyDigit = true;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (significant == 0 && digit == 0) {
            if (point) {
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
        if (!point) {
            ++integerDigits;
        }
    }
    if (!anyDigit) {
        return TDecimal::Failed(TDecimalStatus::NotANumber);
    }

    long long exponent = 0;
    if (p != end && (*p == 'E' || *p == 'e')) {
        ++p;
        bool exponentNegative = false;
        if (p != end && (*p == '+' || *p == '-')) {
            exponentNegative = *p++ == '-';
        }
        if (p == end) {
            return TDecimal::Failed(TDecimalStatus::NotANumber);
        }
        for (; p != end && *p >= '0' && *p <= '9'; ++p) {
            exponent = std::min<long long>(exponent * 10 + (*p - '0'), 1'000'000'000);
        }
        if (exponentNegative) {
            exponent = -exponent;
        }
    }
    if (p != end) {
        return TDecimal::Failed(TDecimalStatus::NotANumber);
    }
    if (significant == 0) {
        return Pack(0, 0, false);
    }

    // value = mantissa * 10^(integerDigits + exponent - kept)
    const int kept = headDigits + tailDigits;
    const u128 mantissa = static_cast<u128>(head) * Pow10u64(tailDigits) + tail;
    const long long scale = static_cast<long long>(kept) - integerDigits - exponent;
    if (scale < 0) {
        // A whole number with -scale zeros to append: 29 digits at most fit.
        if (dropped || kept - scale > 29) {
            return TDecimal::Failed(TDecimalStatus::Overflow);
        }
        TWideInteger n(mantissa);
        n.MultiplyPow10(static_cast<int>(-scale));
        return n.FitsMagnitude() ? Pack(n.Low128(), 0, negative) : TDecimal::Failed(TDecimalStatus::Overflow);
    }
    if (scale > MaxScale + MaxKept + 1) {
        return Pack(0, 0, false); // below half of the smallest step at any scale
    }
    if (!dropped && scale <= MaxScale && mantissa < MagnitudeLimit) {
        return Pack(mantissa, static_cast<int>(scale), negative);
    }
    // Dropped digits lie below the rounding point: at most 29 of the 38 kept
    // digits fit, so rounding always removes some of them.
    return RoundToFit(TWideInteger(mantissa), static_cast<int>(scale), dropped ? TFraction::BelowHalf : TFraction::Zero,
                      negative);
}

} // namespace

TDecimal DecimalFromText(std::string_view text)
{
    // The common shape first: [sign] digits [. digits], at most 38 digits
    // in all, no exponent, a scale of at most 28 and a magnitude that fits.
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = ReadSign(p, end);
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    int digits = 0;
    int fractionDigits = 0;
    auto take = [&](unsigned digit) {
        if (digits < MaxDigits64) {
            head = head * 10 + digit;
        } else {
            tail = tail * 10 + digit;
        }
        ++digits;
    };
    for (unsigned digit; p != end && (digit = static_cast<unsigned>(*p - '0')) <= 9; ++p) {
        take(digit);
    }
    if (p != end && *p == '.') {
        const char* const fractionStart = ++p;
        for (unsigned digit; p != end && (digit = static_cast<unsigned>(*p - '0')) <= 9; ++p) {
            take(digit);
        }
        fractionDigits = static_cast<int>(p - fractionStart);
    }
    if (p != end || digits == 0 || digits > 38 || fractionDigits > MaxScale) {
        return FromTextGeneral(text);
    }
    const u128 magnitude =
        digits <= MaxDigits64 ? head : static_cast<u128>(head) * Pow10u64(digits - MaxDigits64) + tail;
    if (magnitude >= MagnitudeLimit) {
        return FromTextGeneral(text);
    }
    return Pack(magnitude, fractionDigits, negative);
}

std::string DecimalTextWithoutExponent(std::string_view text)
{
    const std::size_t e = text.find_first_of("Ee");
    if (e == std::string_view::npos) {
        return std::string(text);
    }
    const std::string_view mantissa = text.substr(0, e);
    std::string_view exponentText = text.substr(e + 1);

    const bool negative = !mantissa.empty() && mantissa[0] == '-';
    const std::size_t start = !mantissa.empty() && (mantissa[0] == '-' || mantissa[0] == '+') ? 1 : 0;
    std::string digits;
    std::size_t integerDigits = std::string_view::npos;
    for (std::size_t i = start; i < mantissa.size(); ++i) {
        if (mantissa[i] >= '0' && mantissa[i] <= '9') {
            digits += mantissa[i];
        } else if (mantissa[i] == '.' && integerDigits == std::string_view::npos) {
            integerDigits = digits.size();
        } else {
            return std::string(text);
        }
    }
    if (integerDigits == std::string_view::npos) {
        integerDigits = digits.size();
    }

    const bool exponentNegative = !exponentText.empty() && exponentText[0] == '-';
    if (!exponentText.empty() && (exponentText[0] == '-' || exponentText[0] == '+')) {
        exponentText.remove_prefix(1);
    }
    // Results reach 10^29 and go down to a double's 10^-324: far beyond
    // that, the text is no result and stays as it is.
    constexpr long long Farthest = 400;
    long long exponent = 0;
    for (const char c : exponentText) {
        if (c < '0' || c > '9' || exponent > Farthest) {
            return std::string(text);
        }
        exponent = exponent * 10 + (c - '0');
    }
    if (digits.empty() || exponentText.empty() || exponent > Farthest) {
        return std::string(text);
    }

    // The point moves by the exponent; zeros fill the places it passes.
    const long long point = static_cast<long long>(integerDigits) + (exponentNegative ? -exponent : exponent);
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
    return (negative && digits != "0" ? "-" : "") + digits;
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
