// The one grammar of a number's text, for every reader of the engine's
// numbers: the decimal type's (DecimalFromText), the exponent's removal
// (DecimalTextWithoutExponent) and the base fields' (ResultIntegerPart).
//
//   number   = [sign] digits ["." [digits]] [exponent]
//            | [sign] "." digits [exponent]
//   exponent = ("E" | "e") [sign] digits
//   sign     = "+" | "-"
//
// At least one digit before or after the point; the exponent needs digits;
// nothing may follow. The separator is always ".".
//
// The exponent's rule: its value is read exactly up to ExponentLimit and
// saturates there, so "1E99999999999999999999" reads as 1E+10^15. A text is
// at most 4 GiB, so no number with more digits than that is written, and a
// place computed from a text's digits and its exponent (digits before the
// point plus the exponent) never overflows; each reader then applies its
// own range: the decimal type holds 10^-28 to 10^29, the base fields 96 bits,
// and exponents are written out only up to 400 (a double reaches 10^308
// and 10^-324).
#pragma once

#include <cstddef>
#include <string_view>

inline constexpr long long ExponentLimit = 1'000'000'000'000'000;

struct TNumberText {
    bool Negative = false;     // a "-" leads it
    std::string_view Integer;  // the digits before the point, leading zeros too
    std::string_view Fraction; // the digits after it
    bool HasExponent = false;
    long long Exponent = 0; // within -ExponentLimit..ExponentLimit
};

// Reads the longest number at p by the grammar above (without the exponent
// when Exponent is false), handing each digit before the exponent to
// onDigit (as a value 0 to 9) as it goes, and leaves p after it; false when
// no number starts there. O(its length).
template <bool Exponent = true, class TOnDigit>
[[gnu::always_inline]] inline bool ReadNumberPrefix(const char*& p, const char* const end, TNumberText& number,
                                                    TOnDigit&& onDigit)
{
    number = TNumberText{};
    if (p != end && (*p == '+' || *p == '-')) {
        number.Negative = *p++ == '-';
    }
    const char* start = p;
    for (unsigned digit; p != end && (digit = static_cast<unsigned>(*p - '0')) <= 9; ++p) {
        onDigit(digit);
    }
    number.Integer = std::string_view(start, static_cast<std::size_t>(p - start));
    if (p != end && *p == '.') {
        start = ++p;
        for (unsigned digit; p != end && (digit = static_cast<unsigned>(*p - '0')) <= 9; ++p) {
            onDigit(digit);
        }
        number.Fraction = std::string_view(start, static_cast<std::size_t>(p - start));
    }
    if (number.Integer.empty() && number.Fraction.empty()) {
        return false;
    }
    if (Exponent && p != end && (*p == 'E' || *p == 'e')) {
        ++p;
        bool negative = false;
        if (p != end && (*p == '+' || *p == '-')) {
            negative = *p++ == '-';
        }
        start = p;
        long long exponent = 0;
        for (unsigned digit; p != end && (digit = static_cast<unsigned>(*p - '0')) <= 9; ++p) {
            exponent = exponent < ExponentLimit / 10 ? exponent * 10 + digit : ExponentLimit;
        }
        if (p == start) {
            return false;
        }
        number.HasExponent = true;
        number.Exponent = negative ? -exponent : exponent;
    }
    return true;
}

// Takes text apart by the grammar above, the whole of it, handing each digit
// before the exponent to onDigit as it goes; false when it is no number.
template <class TOnDigit>
inline bool ReadNumberText(std::string_view text, TNumberText& number, TOnDigit&& onDigit)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    return ReadNumberPrefix(p, end, number, onDigit) && p == end;
}

inline bool ReadNumberText(std::string_view text, TNumberText& number)
{
    return ReadNumberText(text, number, [](unsigned) {});
}
