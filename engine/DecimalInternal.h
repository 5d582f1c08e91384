// The decimal type's rounding, shared by its arithmetic (Decimal.cpp) and
// its text conversion (DecimalText.cpp): an exact result N / 10^s, with the
// fraction cut off below N, becomes the nearest TDecimal (half to even) at
// the largest scale of at most 28 that fits 96 bits. O(1): at most ten
// digits are ever dropped from a 128-bit N, and a wider N is divided down
// limb by limb. And the reading of a number's text, whose common shape is
// inline for the engine's evaluator. Only the engine and its tests include
// this header.
#pragma once

#include "Decimal.h"
#include "NumberText.h"
#include "WideInteger.h"

namespace decimal_detail {

using namespace wide;

constexpr int MaxScale = DecimalMaxScale;
constexpr u128 MagnitudeLimit = static_cast<u128>(1) << 96; // first value that does not fit

// 2^96 * 10^k for k < 10: a magnitude of at least this much at scale k has
// an integer part beyond 96 bits.
constexpr auto MakeFitLimits()
{
    struct Table {
        u128 Value[10];
    } table{};
    for (int k = 0; k < 10; ++k) {
        table.Value[k] = MagnitudeLimit * Pow10Table.Value[k];
    }
    return table;
}
inline constexpr auto FitLimitTable = MakeFitLimits();

// By bit length: the fewest digits whose removal can make a magnitude of that
// length fit in 96 bits. A magnitude of the length needs this many or one more.
constexpr auto MakeFewestDigitsByLength()
{
    struct Table {
        std::uint8_t Value[129];
    } table{};
    for (int bits = 1; bits <= 128; ++bits) {
        const u128 smallest = static_cast<u128>(1) << (bits - 1);
        int k = 0;
        while (k < 10 && smallest >= FitLimitTable.Value[k]) {
            ++k;
        }
        table.Value[bits] = static_cast<std::uint8_t>(k);
    }
    return table;
}
inline constexpr auto FewestDigitsByLength = MakeFewestDigitsByLength();

// The fewest digits, at least k, to drop from n so that the truncated
// magnitude fits in 96 bits; never more than ten (n < 2^128 < 2^96 * 10^10).
inline int DigitsToFit(u128 n, int k)
{
    k = std::max<int>(k, FewestDigitsByLength.Value[BitLength(n)]);
    if (k < 10 && n >= FitLimitTable.Value[k]) {
        ++k;
    }
    return k;
}

// floor((2^128 - 1) / 10^k): dividing by a power of ten becomes a multiplication.
constexpr auto MakeReciprocals()
{
    struct Table {
        u128 Value[MaxDigits64 + 1];
    } table{};
    for (int k = 1; k <= MaxDigits64; ++k) {
        table.Value[k] = ~static_cast<u128>(0) / Pow10Table.Value[k];
    }
    return table;
}
inline constexpr auto ReciprocalTable = MakeReciprocals();

// Divides n in place by 10^k (1 <= k <= 19) and returns the remainder. The
// estimate n * floor(2^128 / 10^k) / 2^128 falls short by at most one. (From
// three of its four partial products it falls short by up to three: 8 %
// quicker for products on a benchmark's repeating operands, 3 % slower for
// ovcalc on random equations, where the number of corrections cannot be
// foreseen, and slower still counted without a branch.)
inline std::uint64_t DividePow10(u128& n, int k)
{
    assert(k >= 1 && k <= MaxDigits64);
    const std::uint64_t d = Pow10u64(k);
    u128 q = MultiplyHigh(n, ReciprocalTable.Value[k]);
    u128 r = n - q * d;
    if (r >= d) {
        ++q;
        r -= d;
    }
    n = q;
    return static_cast<std::uint64_t>(r);
}

// Where an exact value lies between two neighbouring integers N and N + 1:
// how the fraction that was cut off compares with one half.
enum class TFraction { Zero, BelowHalf, Half, AboveHalf };

inline TFraction ClassifyRemainder(u128 rem, u128 divisor)
{
    if (rem == 0) {
        return TFraction::Zero;
    }
    const u128 twice = rem << 1; // rem < divisor < 2^127
    return twice < divisor ? TFraction::BelowHalf : twice == divisor ? TFraction::Half : TFraction::AboveHalf;
}

// The fraction left after dividing by d (a power of ten of at least 10) with
// remainder rem, when below was the fraction already cut off under it.
inline TFraction CombineFraction(std::uint64_t rem, std::uint64_t d, TFraction below)
{
    const std::uint64_t half = d / 2;
    if (rem == 0) {
        return below == TFraction::Zero ? TFraction::Zero : TFraction::BelowHalf;
    }
    if (rem < half) {
        return TFraction::BelowHalf;
    }
    if (rem == half) {
        return below == TFraction::Zero ? TFraction::Half : TFraction::AboveHalf;
    }
    return TFraction::AboveHalf;
}

inline TDecimal Pack(u128 magnitude, int scale, bool negative)
{
    assert(magnitude < MagnitudeLimit && scale >= 0 && scale <= MaxScale);
    TDecimal d;
    d.Lo = static_cast<std::uint64_t>(magnitude);
    d.Hi = static_cast<std::uint32_t>(magnitude >> 64);
    d.Scale = static_cast<std::uint8_t>(scale);
    d.Negative = negative && magnitude != 0;
    return d;
}

// The value (n + fraction) / 10^scale, rounded half-even to the largest scale
// of at most 28 at which its magnitude fits in 96 bits. The fraction is what
// was cut off below n's last digit.
[[gnu::noinline]] inline TDecimal RoundToFitSlow(u128 n, int scale, TFraction fraction, bool negative)
{
    // The fewest digits to drop: those above scale 28, and enough that the
    // truncated magnitude fits. n < 2^128 <= 2^96 * 10^10, so ten digits
    // always suffice for the second.
    int k = std::max(0, scale - MaxScale);
    if (n >= MagnitudeLimit) {
        if (scale < 10 && n >= FitLimitTable.Value[scale]) {
            return TDecimal::Failed(TDecimalStatus::Overflow); // the integer part alone is too large
        }
        k = DigitsToFit(n, k);
    }
    for (;; ++k) {
        if (k > scale) {
            return TDecimal::Failed(TDecimalStatus::Overflow);
        }
        u128 q = n;
        bool roundUp;
        if (k == 0) {
            roundUp = fraction == TFraction::AboveHalf || (fraction == TFraction::Half && (q & 1));
        } else {
            // What lies below the last dropped chunk only decides a tie.
            bool sticky = fraction != TFraction::Zero;
            int left = k;
            for (; left > MaxDigits64; left -= MaxDigits64) {
                sticky |= DividePow10(q, MaxDigits64) != 0;
            }
            const std::uint64_t rem = DividePow10(q, left);
            const std::uint64_t half = Pow10u64(left) / 2;
            roundUp = (rem > half) | ((rem == half) & (sticky | static_cast<bool>(q & 1)));
        }
        q += roundUp;
        if (q < MagnitudeLimit) {
            return Pack(q, scale - k, negative);
        }
        // Rounding up reached 2^96 itself: one digit more.
    }
}

inline TDecimal RoundToFit(u128 n, int scale, TFraction fraction, bool negative)
{
    if (scale <= MaxScale && n < MagnitudeLimit) [[likely]] {
        // Nothing more to drop: round by the fraction alone.
        const bool roundUp =
            fraction == TFraction::AboveHalf || (fraction == TFraction::Half && (static_cast<std::uint64_t>(n) & 1));
        if (n + roundUp < MagnitudeLimit) {
            return Pack(n + roundUp, scale, negative);
        }
    } else if (scale <= MaxScale + MaxDigits64) {
        // A few digits too many, as most results that do not fit have: drop
        // the fewest that make the truncated magnitude fit (n < 2^128 <=
        // 2^96 * 10^10) and round by what they were.
        const int k = DigitsToFit(n, std::max(scale - MaxScale, 1));
        if (k > scale) {
            return TDecimal::Failed(TDecimalStatus::Overflow);
        }
        if (k <= MaxDigits64) {
            u128 q = n;
            const std::uint64_t rem = DividePow10(q, k);
            const std::uint64_t half = Pow10u64(k) / 2;
            const bool sticky = fraction != TFraction::Zero;
            q += (rem > half) | ((rem == half) & (sticky | static_cast<bool>(q & 1)));
            if (q < MagnitudeLimit) {
                return Pack(q, scale - k, negative);
            }
        }
    }
    return RoundToFitSlow(n, scale, fraction, negative);
}

inline TDecimal RoundToFit(const TWideInteger& n, int scale, TFraction fraction, bool negative)
{
    // Drop digits until 128 bits hold the rest, keeping track of how the
    // dropped part compares with one half; the 128-bit rounding finishes.
    // Never drop more than the final result will: at least the digits above
    // scale 28 go, and a value of 2^128 or more loses ten digits at least.
    const int needed = std::max(scale - MaxScale, (n.BitLength() - 97) * 30103 / 100000);
    if (needed > scale) {
        return TDecimal::Failed(TDecimalStatus::Overflow); // too large even as an integer
    }
    TWideInteger q = n;
    int dropped = 0;
    while (q.Count > 2) {
        const int step = std::min(MaxDigits64, std::max(needed - dropped, 1));
        const std::uint64_t d = Pow10u64(step);
        fraction = CombineFraction(q.DivideSmall(d), d, fraction);
        dropped += step;
    }
    return RoundToFit(q.Low128(), scale - dropped, fraction, negative);
}

// Any number the type reads (DecimalText.cpp).
TDecimal FromNumberText(const TNumberText& number);

// DecimalFromText of the longest number at p (without an exponent when
// Exponent is false), leaving p after it: its common shape here (no
// exponent, at most 38 digits in all, a scale of at most 28 and a magnitude
// that fits), its digits gathered as read; everything else goes to
// FromNumberText. NotANumber, with p anywhere, when no number starts there.
template <bool Exponent = true>
[[gnu::always_inline]] inline TDecimal ReadDecimalPrefix(const char*& p, const char* const end)
{
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    std::size_t digits = 0;
    TNumberText number;
    const bool read = ReadNumberPrefix<Exponent>(p, end, number, [&](unsigned digit) {
        if (digits < MaxDigits64) {
            head = head * 10 + digit;
        } else {
            tail = tail * 10 + digit;
        }
        ++digits;
    });
    if (!read) {
        return TDecimal::Failed(TDecimalStatus::NotANumber);
    }
    if (number.HasExponent || digits > 38 || number.Fraction.size() > MaxScale) {
        return FromNumberText(number);
    }
    if (digits <= MaxDigits64) {
        return Pack(head, static_cast<int>(number.Fraction.size()), number.Negative);
    }
    const u128 magnitude = static_cast<u128>(head) * Pow10u64(static_cast<int>(digits) - MaxDigits64) + tail;
    if (magnitude >= MagnitudeLimit) {
        return FromNumberText(number);
    }
    return Pack(magnitude, static_cast<int>(number.Fraction.size()), number.Negative);
}

// DecimalFromText: the whole text one number.
inline TDecimal ReadDecimal(std::string_view text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    const TDecimal value = ReadDecimalPrefix(p, end);
    return p == end ? value : TDecimal::Failed(TDecimalStatus::NotANumber);
}

} // namespace decimal_detail
