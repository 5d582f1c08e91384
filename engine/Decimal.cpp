// Exact decimal arithmetic on a 96-bit magnitude.
//
// Every operation works out the exact result as a wide integer N and a scale
// s (value = N / 10^s), then RoundToFit picks the largest scale at most 28 at
// which the rounded magnitude fits in 96 bits. The common cases (operands of
// the same or nearby scales, products of 64-bit magnitudes, single-limb
// divisors) stay in unsigned __int128 and never reach the wide code.
#include "Decimal.h"

#include "Power.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

using u128 = TUInt128;

constexpr int MaxScale = DecimalMaxScale;
constexpr u128 MagnitudeLimit = static_cast<u128>(1) << 96; // first value that does not fit
constexpr int MaxDigits64 = 19;                             // 10^19 is the largest power of ten below 2^64

constexpr auto MakePow10()
{
    struct Table {
        u128 Value[39];
    } table{};
    u128 p = 1;
    for (int i = 0; i < 39; ++i) {
        table.Value[i] = p;
        p *= 10;
    }
    return table;
}
constexpr auto Pow10Table = MakePow10();

u128 Pow10(int n)
{
    assert(n >= 0 && n <= 38);
    return Pow10Table.Value[n];
}

std::uint64_t Pow10u64(int n)
{
    assert(n >= 0 && n <= MaxDigits64);
    return static_cast<std::uint64_t>(Pow10Table.Value[n]);
}

// (hi:lo) / d for hi < d, which the hardware divides in one instruction.
inline std::uint64_t Div128By64(std::uint64_t hi, std::uint64_t lo, std::uint64_t d, std::uint64_t& rem)
{
    assert(hi < d);
#if defined(__x86_64__)
    std::uint64_t q;
    std::uint64_t r;
    __asm__("divq %4" : "=a"(q), "=d"(r) : "a"(lo), "d"(hi), "rm"(d));
    rem = r;
    return q;
#else
    const u128 n = (static_cast<u128>(hi) << 64) | lo;
    rem = static_cast<std::uint64_t>(n % d);
    return static_cast<std::uint64_t>(n / d);
#endif
}

int BitLength(u128 v)
{
    const auto hi = static_cast<std::uint64_t>(v >> 64);
    return hi ? 128 - std::countl_zero(hi) : 64 - std::countl_zero(static_cast<std::uint64_t>(v));
}

// Divides n in place by d and returns the remainder.
inline std::uint64_t DivideInPlace(u128& n, std::uint64_t d)
{
    const std::uint64_t hi = static_cast<std::uint64_t>(n >> 64);
    std::uint64_t rem;
    if (hi == 0) {
        const std::uint64_t lo = static_cast<std::uint64_t>(n);
        n = lo / d;
        return lo % d;
    }
    const std::uint64_t qHi = hi / d;
    const std::uint64_t qLo = Div128By64(hi % d, static_cast<std::uint64_t>(n), d, rem);
    n = (static_cast<u128>(qHi) << 64) | qLo;
    return rem;
}

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
constexpr auto FitLimitTable = MakeFitLimits();

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
constexpr auto FewestDigitsByLength = MakeFewestDigitsByLength();

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
constexpr auto ReciprocalTable = MakeReciprocals();

// The top 128 bits of the 256-bit product a * b.
inline u128 MultiplyHigh(u128 a, u128 b)
{
    const std::uint64_t a0 = static_cast<std::uint64_t>(a);
    const std::uint64_t a1 = static_cast<std::uint64_t>(a >> 64);
    const std::uint64_t b0 = static_cast<std::uint64_t>(b);
    const std::uint64_t b1 = static_cast<std::uint64_t>(b >> 64);
    const u128 p00 = static_cast<u128>(a0) * b0;
    const u128 p01 = static_cast<u128>(a0) * b1;
    const u128 p10 = static_cast<u128>(a1) * b0;
    const u128 p11 = static_cast<u128>(a1) * b1;
    const u128 middle = (p00 >> 64) + static_cast<std::uint64_t>(p01) + static_cast<std::uint64_t>(p10);
    return p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64);
}

// Divides n in place by 10^k (1 <= k <= 19) and returns the remainder. The
// estimate n * floor(2^128 / 10^k) / 2^128 falls short by at most one.
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

// Largest magnitude that can be multiplied by 10^n and still stay below
// 2^127, so that one more 96-bit term cannot carry out of 128 bits.
constexpr auto MakeAlignLimits()
{
    struct Table {
        u128 Value[39];
    } table{};
    for (int i = 0; i < 39; ++i) {
        table.Value[i] = ((static_cast<u128>(1) << 127) - 1) / Pow10Table.Value[i];
    }
    return table;
}
constexpr auto AlignLimitTable = MakeAlignLimits();

// An unsigned integer of up to six 64-bit limbs, least significant first:
// wide enough for a 96-bit magnitude times 10^56, the largest intermediate.
struct Wide {
    static constexpr int Capacity = 6;
    std::uint64_t Limb[Capacity] = {};
    int Count = 0; // limbs in use; Limb[Count - 1] != 0 unless Count == 0

    Wide() = default;
    explicit Wide(u128 v)
    {
        Limb[0] = static_cast<std::uint64_t>(v);
        Limb[1] = static_cast<std::uint64_t>(v >> 64);
        Count = Limb[1] ? 2 : (Limb[0] ? 1 : 0);
    }

    void Trim()
    {
        while (Count > 0 && Limb[Count - 1] == 0) {
            --Count;
        }
    }

    [[nodiscard]] bool FitsMagnitude() const { return Count < 2 || (Count == 2 && (Limb[1] >> 32) == 0); }
    [[nodiscard]] u128 Low128() const { return (static_cast<u128>(Limb[1]) << 64) | Limb[0]; }

    [[nodiscard]] int BitLength() const
    {
        return Count == 0 ? 0 : 64 * (Count - 1) + (64 - std::countl_zero(Limb[Count - 1]));
    }

    void MultiplySmall(std::uint64_t m)
    {
        std::uint64_t carry = 0;
        for (int i = 0; i < Count; ++i) {
            const u128 t = static_cast<u128>(Limb[i]) * m + carry;
            Limb[i] = static_cast<std::uint64_t>(t);
            carry = static_cast<std::uint64_t>(t >> 64);
        }
        if (carry) {
            assert(Count < Capacity);
            Limb[Count++] = carry;
        }
    }

    void MultiplyPow10(int n)
    {
        for (; n > MaxDigits64; n -= MaxDigits64) {
            MultiplySmall(Pow10u64(MaxDigits64));
        }
        if (n > 0) {
            MultiplySmall(Pow10u64(n));
        }
    }

    // Divides in place and returns the remainder.
    std::uint64_t DivideSmall(std::uint64_t d)
    {
        assert(d != 0);
        std::uint64_t rem = 0;
        int i = Count - 1;
        if (i >= 0 && Limb[i] < d) { // the top quotient limb is zero
            rem = Limb[i];
            Limb[i--] = 0;
        }
        for (; i >= 0; --i) {
            Limb[i] = Div128By64(rem, Limb[i], d, rem);
        }
        Trim();
        return rem;
    }

    void Increment()
    {
        for (int i = 0; i < Count; ++i) {
            if (++Limb[i] != 0) {
                return;
            }
        }
        assert(Count < Capacity);
        Limb[Count++] = 1;
    }

    // Divides in place by a two-limb divisor (2^64 <= v < 2^128) and returns
    // the remainder: schoolbook division, one 3-by-2 limb step per quotient
    // limb, on the divisor shifted until its top bit is set.
    u128 DivideWide(u128 v);
};

// One step of schoolbook division by a normalised two-limb divisor vn (top
// bit set): divides (r:u0) by vn, where r < vn, returns the quotient limb and
// leaves the remainder in r.
inline std::uint64_t DivideStep3By2(u128& r, std::uint64_t u0, u128 vn)
{
    const std::uint64_t vn1 = static_cast<std::uint64_t>(vn >> 64);
    const std::uint64_t vn0 = static_cast<std::uint64_t>(vn);
    const std::uint64_t r1 = static_cast<std::uint64_t>(r >> 64);
    const std::uint64_t r0 = static_cast<std::uint64_t>(r);
    std::uint64_t qhat;
    u128 rhat;
    if (r1 >= vn1) {
        qhat = ~static_cast<std::uint64_t>(0);
        rhat = static_cast<u128>(r0) + vn1 + (static_cast<u128>(r1 - vn1) << 64);
    } else {
        std::uint64_t rem;
        qhat = Div128By64(r1, r0, vn1, rem);
        rhat = rem;
    }
    // At most two corrections bring qhat to the true digit or one above.
    while ((rhat >> 64) == 0 && static_cast<u128>(qhat) * vn0 > ((rhat << 64) | u0)) {
        --qhat;
        rhat += vn1;
    }
    // (r:u0) - qhat * vn, as 192-bit numbers.
    const u128 pLo = static_cast<u128>(qhat) * vn0;
    const u128 pHi = static_cast<u128>(qhat) * vn1 + (pLo >> 64);
    const std::uint64_t p0 = static_cast<std::uint64_t>(pLo);
    const u128 borrow0 = u0 < p0 ? 1 : 0;
    const bool negative = r < pHi || r - pHi < borrow0;
    u128 tHi = r - pHi - borrow0;
    std::uint64_t tLo = u0 - p0;
    if (negative) {
        --qhat;
        const u128 sumLo = static_cast<u128>(tLo) + vn0;
        tLo = static_cast<std::uint64_t>(sumLo);
        tHi += vn1 + (sumLo >> 64);
    }
    r = (tHi << 64) | tLo;
    assert(r < vn);
    return qhat;
}

u128 Wide::DivideWide(u128 v)
{
    assert((v >> 64) != 0);
    const int shift = std::countl_zero(static_cast<std::uint64_t>(v >> 64));
    const u128 vn = v << shift;
    // The dividend shifted by the same amount, one limb longer.
    std::uint64_t un[Capacity + 1];
    un[Count] = 0;
    for (int i = 0; i < Count; ++i) {
        un[i] = Limb[i] << shift;
    }
    for (int i = 0; i < Count; ++i) {
        if (shift) {
            un[i + 1] |= Limb[i] >> (64 - shift);
        }
    }
    // Running remainder, always below vn: the extra top limb holds fewer
    // than shift <= 63 bits while vn has its top bit set.
    u128 r = (static_cast<u128>(un[Count]) << 64) | (Count > 0 ? un[Count - 1] : 0);
    for (int j = Count - 2; j >= 0; --j) {
        Limb[j] = DivideStep3By2(r, un[j], vn);
    }
    Count = std::max(Count - 1, 0);
    Limb[Count] = 0;
    Trim();
    return r >> shift;
}

// Where an exact value lies between two neighbouring integers N and N + 1:
// how the fraction that was cut off compares with one half.
enum class TFraction { Zero, BelowHalf, Half, AboveHalf };

TFraction ClassifyRemainder(u128 rem, u128 divisor)
{
    if (rem == 0) {
        return TFraction::Zero;
    }
    const u128 twice = rem << 1; // rem < divisor < 2^127
    return twice < divisor ? TFraction::BelowHalf : twice == divisor ? TFraction::Half : TFraction::AboveHalf;
}

// The fraction left after dividing by d (a power of ten of at least 10) with
// remainder rem, when below was the fraction already cut off under it.
TFraction CombineFraction(std::uint64_t rem, std::uint64_t d, TFraction below)
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

TDecimal Pack(u128 magnitude, int scale, bool negative)
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
[[gnu::noinline]] TDecimal RoundToFitSlow(u128 n, int scale, TFraction fraction, bool negative)
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

TDecimal RoundToFit(const Wide& n, int scale, TFraction fraction, bool negative)
{
    // Drop digits until 128 bits hold the rest, keeping track of how the
    // dropped part compares with one half; the 128-bit rounding finishes.
    // Never drop more than the final result will: at least the digits above
    // scale 28 go, and a value of 2^128 or more loses ten digits at least.
    const int needed = std::max(scale - MaxScale, (n.BitLength() - 97) * 30103 / 100000);
    if (needed > scale) {
        return TDecimal::Failed(TDecimalStatus::Overflow); // too large even as an integer
    }
    Wide q = n;
    int dropped = 0;
    while (q.Count > 2) {
        const int step = std::min(MaxDigits64, std::max(needed - dropped, 1));
        const std::uint64_t d = Pow10u64(step);
        fraction = CombineFraction(q.DivideSmall(d), d, fraction);
        dropped += step;
    }
    return RoundToFit(q.Low128(), scale - dropped, fraction, negative);
}

inline bool IsPlain(TDecimal x)
{
    return x.Status == TDecimalStatus::Ok && x.Kind == TDecimalKind::Decimal;
}

using TOperation = TDecimal (*)(TDecimal, TDecimal);

// The rare operands: hands on a failed one (the left one first) as the
// result, and reads a double back as a decimal before applying operation.
// The engine turns a power result into text before it is used again; a
// caller that hands one straight in gets the same value.
[[gnu::noinline]] TDecimal ApplyToPrepared(TDecimal a, TDecimal b, TOperation operation)
{
    for (TDecimal* x : {&a, &b}) {
        if (x->IsOk() && x->Kind == TDecimalKind::Double) {
            *x = DecimalFromText(DecimalToText(*x));
        }
        if (!x->IsOk()) {
            return *x;
        }
    }
    return operation(a, b);
}

[[gnu::noinline]] TDecimal AddWide(TDecimal a, TDecimal b);

// Multiplies m by 10^shift when the product stays below 2^127, so that a
// further 96-bit term cannot carry out of 128 bits.
inline bool AlignScale(u128& m, int shift)
{
    if (m > AlignLimitTable.Value[shift]) {
        return false;
    }
    m *= shift > MaxDigits64 ? Pow10(shift) : Pow10u64(shift);
    return true;
}

// a + b where b's sign has already been flipped for a subtraction.
inline TDecimal AddSigned(TDecimal a, TDecimal b)
{
    u128 ma = a.Magnitude();
    u128 mb = b.Magnitude();
    int scale = a.Scale;
    if (a.Scale < b.Scale) {
        if (!AlignScale(ma, b.Scale - a.Scale)) {
            return AddWide(a, b);
        }
        scale = b.Scale;
    } else if (b.Scale < a.Scale && !AlignScale(mb, a.Scale - b.Scale)) {
        return AddWide(a, b);
    }
    bool negative = a.Negative;
    u128 sum;
    if (a.Negative == b.Negative) {
        sum = ma + mb;
    } else if (ma >= mb) {
        sum = ma - mb;
    } else {
        sum = mb - ma;
        negative = b.Negative;
    }
    return RoundToFit(sum, scale, TFraction::Zero, negative);
}

// Operands whose scales lie too far apart to align in 128 bits. The
// operand of the smaller scale is then so large that the sum cannot keep the
// other's scale: align it only as far as 128 bits allow, to scale t, cut the
// other down to scale t, and let RoundToFit drop the rest, with the cut-off
// fraction telling it how to round.
TDecimal AddWide(TDecimal a, TDecimal b)
{
    if (a.Scale > b.Scale) {
        std::swap(a, b);
    }
    u128 big = a.Magnitude();
    u128 small = b.Magnitude();
    // big * 10^j < 2^127: 0.30102 is just below log10(2).
    const int j = (127 - BitLength(big)) * 30102 / 100000;
    big *= Pow10(j);
    const int scale = a.Scale + j; // below b.Scale, and big > 2^122 there
    TFraction fraction = TFraction::Zero;
    for (int drop = b.Scale - scale; drop > 0; drop -= MaxDigits64) {
        const int step = std::min(drop, MaxDigits64);
        fraction = CombineFraction(DividePow10(small, step), Pow10u64(step), fraction);
    }
    u128 sum;
    if (a.Negative == b.Negative) {
        sum = big + small;
    } else if (fraction == TFraction::Zero) {
        sum = big - small;
    } else {
        // big - (small + f) = (big - small - 1) + (1 - f)
        sum = big - small - 1;
        if (fraction != TFraction::Half) {
            fraction = fraction == TFraction::BelowHalf ? TFraction::AboveHalf : TFraction::BelowHalf;
        }
    }
    return RoundToFit(sum, scale, fraction, a.Negative);
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

} // namespace

double TDecimal::AsDouble() const
{
    double d;
    std::memcpy(&d, &Lo, sizeof d);
    return d;
}

TDecimal TDecimal::Failed(TDecimalStatus status)
{
    TDecimal d;
    d.Status = status;
    return d;
}

TDecimal TDecimal::FromDouble(double value)
{
    TDecimal d;
    d.Kind = TDecimalKind::Double;
    std::memcpy(&d.Lo, &value, sizeof value);
    return d;
}

namespace {

// Any text the type reads: exponents, more digits than fit, leading zeros.
TDecimal FromTextGeneral(std::string_view text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p++ == '-';
    }

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
        Wide n(mantissa);
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
    return RoundToFit(Wide(mantissa), static_cast<int>(scale), dropped ? TFraction::BelowHalf : TFraction::Zero,
                      negative);
}

} // namespace

TDecimal DecimalFromText(std::string_view text)
{
    // The common shape first: [sign] digits [. digits], at most 38 digits
    // in all, no exponent, a scale of at most 28 and a magnitude that fits.
    const char* p = text.data();
    const char* const end = p + text.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p++ == '-';
    }
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

TDecimal DecimalAdd(TDecimal a, TDecimal b)
{
    if (!IsPlain(a) || !IsPlain(b)) [[unlikely]] {
        return ApplyToPrepared(a, b, DecimalAdd);
    }
    return AddSigned(a, b);
}

TDecimal DecimalSubtract(TDecimal a, TDecimal b)
{
    if (!IsPlain(a) || !IsPlain(b)) [[unlikely]] {
        return ApplyToPrepared(a, b, DecimalSubtract);
    }
    b.Negative = !b.Negative;
    return AddSigned(a, b);
}

TDecimal DecimalMultiply(TDecimal a, TDecimal b)
{
    if (!IsPlain(a) || !IsPlain(b)) [[unlikely]] {
        return ApplyToPrepared(a, b, DecimalMultiply);
    }
    const bool negative = a.Negative != b.Negative;
    const int scale = a.Scale + b.Scale;
    if (a.Hi == 0 && b.Hi == 0) {
        return RoundToFit(static_cast<u128>(a.Lo) * b.Lo, scale, TFraction::Zero, negative);
    }
    // 96 x 96 bits from four partial products: at most 192 bits, p2:p1:p0.
    const u128 lowPart = static_cast<u128>(a.Lo) * b.Lo;
    const u128 middle1 = static_cast<u128>(a.Hi) * b.Lo;
    const u128 middle2 = static_cast<u128>(a.Lo) * b.Hi;
    const u128 highPart = static_cast<u128>(a.Hi) * b.Hi;
    const std::uint64_t p0 = static_cast<std::uint64_t>(lowPart);
    u128 t = (lowPart >> 64) + static_cast<std::uint64_t>(middle1) + static_cast<std::uint64_t>(middle2);
    const std::uint64_t p1 = static_cast<std::uint64_t>(t);
    t = (t >> 64) + (middle1 >> 64) + (middle2 >> 64) + highPart;
    const std::uint64_t p2 = static_cast<std::uint64_t>(t);
    const u128 low = (static_cast<u128>(p1) << 64) | p0;
    if (p2 == 0) {
        return RoundToFit(low, scale, TFraction::Zero, negative);
    }
    // 2^128 or more: at least ten digits must go. Drop a first chunk of up
    // to 19 with two hardware divisions, then finish in 128 bits.
    const int bits = 128 + 64 - std::countl_zero(p2);
    const int needed = std::max(scale - MaxScale, (bits - 97) * 30103 / 100000);
    if (needed > scale) {
        return TDecimal::Failed(TDecimalStatus::Overflow);
    }
    const int step = std::min(needed, MaxDigits64);
    const std::uint64_t d = Pow10u64(step);
    std::uint64_t rem = p2 % d;
    const std::uint64_t q2 = p2 / d;
    const std::uint64_t q1 = Div128By64(rem, p1, d, rem);
    const std::uint64_t q0 = Div128By64(rem, p0, d, rem);
    if (q2 != 0) {
        // Products from 2^(128 + 63) on keep three limbs: the general way.
        Wide product;
        product.Limb[0] = p0;
        product.Limb[1] = p1;
        product.Limb[2] = p2;
        product.Count = 3;
        return RoundToFit(product, scale, TFraction::Zero, negative);
    }
    const std::uint64_t half = d / 2;
    const TFraction fraction = rem == 0      ? TFraction::Zero
                               : rem < half  ? TFraction::BelowHalf
                               : rem == half ? TFraction::Half
                                             : TFraction::AboveHalf;
    return RoundToFit((static_cast<u128>(q1) << 64) | q0, scale - step, fraction, negative);
}

TDecimal DecimalDivide(TDecimal a, TDecimal b)
{
    if (!IsPlain(a) || !IsPlain(b)) [[unlikely]] {
        return ApplyToPrepared(a, b, DecimalDivide);
    }
    const u128 divisor = b.Magnitude();
    if (divisor == 0) {
        return TDecimal::Failed(TDecimalStatus::DivisionByZero);
    }
    const bool negative = a.Negative != b.Negative;
    const u128 dividend = a.Magnitude();
    if (dividend == 0) {
        return Pack(0, 0, false);
    }

    // a / b = (ma / mb) * 10^d with d = sb - sa. The quotient at scale t is
    // Q = ma * 10^(t + d) / mb. Its bit length exceeds ba - bb - 1 + (t + d)
    // * log2(10), so the largest scale worth trying is the largest t for
    // which that bound stays below 96 bits; RoundToFit drops the one digit
    // more that the estimate may leave.
    const int d = b.Scale - a.Scale;
    const int spare = 97 + BitLength(divisor) - BitLength(dividend); // >= 1
    const int exponentMax = (spare * 30103 + 99999) / 100000 - 1;
    int scale = std::min(MaxScale, exponentMax - d);
    if (scale < 0) {
        return TDecimal::Failed(TDecimalStatus::Overflow);
    }
    int exponent = scale + d;
    if (exponent < 0) {
        // A large quotient of a finely scaled dividend: ma / mb is already
        // an integer below 2^96 at a scale above the one it ends at.
        exponent = 0;
        scale = -d;
    }
    if ((divisor >> 64) == 0) {
        const std::uint64_t d64 = static_cast<std::uint64_t>(divisor);
        if (exponent <= 38 && dividend <= AlignLimitTable.Value[exponent]) {
            u128 n = dividend * Pow10(exponent);
            const std::uint64_t rem = DivideInPlace(n, d64);
            return RoundToFit(n, scale, ClassifyRemainder(rem, d64), negative);
        }
        Wide n(dividend);
        n.MultiplyPow10(exponent);
        const std::uint64_t rem = n.DivideSmall(d64);
        return RoundToFit(n, scale, ClassifyRemainder(rem, d64), negative);
    }
    Wide n(dividend);
    n.MultiplyPow10(exponent);
    const u128 rem = n.DivideWide(divisor);
    return RoundToFit(n, scale, ClassifyRemainder(rem, divisor), negative);
}

TDecimal DecimalPower(TDecimal a, TDecimal b)
{
    if (!IsPlain(a) || !IsPlain(b)) {
        return ApplyToPrepared(a, b, DecimalPower);
    }
    // The nearest doubles, read from the exact text forms.
    auto toDouble = [](TDecimal x) {
        const std::string text = DecimalToText(x);
        double d = 0;
        std::from_chars(text.data(), text.data() + text.size(), d);
        return d;
    };
    const double base = toDouble(a);
    const double power = toDouble(b);
    if (base == 0 && power < 0) {
        return TDecimal::Failed(TDecimalStatus::DivisionByZero);
    }
    const double result = AccuratePow(base, power);
    if (std::isnan(result)) {
        return TDecimal::Failed(TDecimalStatus::NotReal);
    }
    if (std::isinf(result)) {
        return TDecimal::Failed(TDecimalStatus::Overflow);
    }
    return TDecimal::FromDouble(result);
}

TDecimal DecimalReciprocal(TDecimal x)
{
    return DecimalDivide(Pack(1, 0, false), x);
}

TDecimal DecimalRoot(TDecimal a, TDecimal b)
{
    return DecimalPower(a, DecimalReciprocal(b));
}
