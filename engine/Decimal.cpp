// Exact decimal arithmetic on a 96-bit magnitude.
//
// Every operation works out the exact result as a wide integer N and a scale
// s (value = N / 10^s), then RoundToFit picks the largest scale at most 28 at
// which the rounded magnitude fits in 96 bits. The common cases (operands of
// the same or nearby scales, products of 64-bit magnitudes, single-limb
// divisors) stay in unsigned __int128 and never reach the wide code; sums
// and products that need no rounding at all are packed on short ways that
// call nothing.
#include "Decimal.h"

#include "DecimalInternal.h"
#include "Power.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>

using namespace decimal_detail;

// The sums read and write a TDecimal as its two 64-bit words: the
// magnitude's low word, then Hi in bits 0-31, Scale in 32-39, Negative in
// 40-47, Kind and Status in 48-63 (both zero for an ordinary value).
static_assert(std::endian::native == std::endian::little && offsetof(TDecimal, Hi) == 8 &&
              offsetof(TDecimal, Scale) == 12 && offsetof(TDecimal, Negative) == 13 && offsetof(TDecimal, Kind) == 14 &&
              offsetof(TDecimal, Status) == 15 && sizeof(bool) == 1);

namespace {

using TWords = std::array<std::uint64_t, 2>;

inline TWords WordsOf(TDecimal x)
{
    return std::bit_cast<TWords>(x);
}

// A value of the decimal kind from its magnitude (below 2^96), scale and sign
// bit, as the words hold them.
inline TDecimal FromWords(u128 magnitude, std::uint64_t scale, std::uint64_t negative)
{
    return std::bit_cast<TDecimal>(TWords{static_cast<std::uint64_t>(magnitude),
                                          static_cast<std::uint64_t>(magnitude >> 64) | scale << 32 | negative << 40});
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
            TDecimalText text;
            *x = DecimalFromText(DecimalToChars(*x, text));
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

// a + b where b's sign has already been flipped for a subtraction: any
// operands of the decimal kind.
[[gnu::always_inline]] inline TDecimal AddSigned(TDecimal a, TDecimal b)
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

// floor((2^95 - 1) / 10^k): a magnitude of at most this much, times 10^k,
// stays below 2^95, and the sum of two such magnitudes below 2^96.
constexpr auto MakeSumLimits()
{
    struct Table {
        u128 Value[MaxDigits64 + 1];
    } table{};
    for (int k = 0; k <= MaxDigits64; ++k) {
        table.Value[k] = ((static_cast<u128>(1) << 95) - 1) / Pow10Table.Value[k];
    }
    return table;
}
constexpr auto SumLimitTable = MakeSumLimits();

// The common case of a + b: both of the decimal kind, their scales at most
// 19 apart, and both magnitudes, brought to the larger scale, below 2^95.
// The exact sum then lies below 2^96 at a scale of at most 28, which is
// what RoundToFit would pack. The operands come as their two 64-bit words,
// as they arrive in registers; every test comes first, so that a failing
// one hands them on unchanged and the rest needs neither stack frame nor
// saved registers. False leaves the operation to the general way.
[[gnu::always_inline]] inline bool AddFits(std::uint64_t aLo, std::uint64_t aWord, std::uint64_t bLo,
                                           std::uint64_t bWord, TDecimal& result)
{
    if (((aWord | bWord) >> 48) != 0) [[unlikely]] {
        return false; // a failure or a double
    }
    // x: the operand of the smaller scale, y: the other.
    const bool swap = static_cast<std::uint8_t>(aWord >> 32) > static_cast<std::uint8_t>(bWord >> 32);
    const std::uint64_t xLo = swap ? bLo : aLo;
    const std::uint64_t xWord = swap ? bWord : aWord;
    const std::uint64_t yLo = swap ? aLo : bLo;
    const std::uint64_t yWord = swap ? aWord : bWord;
    const unsigned yScale = static_cast<std::uint8_t>(yWord >> 32);
    const unsigned shift = yScale - static_cast<std::uint8_t>(xWord >> 32);
    const u128 mx = (static_cast<u128>(static_cast<std::uint32_t>(xWord)) << 64) | xLo;
    if (shift > MaxDigits64 || mx > SumLimitTable.Value[shift] || static_cast<std::uint32_t>(yWord) >= 1u << 31)
        [[unlikely]] {
        return false;
    }
    std::uint64_t negative = (xWord >> 40) & 1;
    const u128 x = mx * Pow10u64(static_cast<int>(shift));
    const u128 y = (static_cast<u128>(static_cast<std::uint32_t>(yWord)) << 64) | yLo;
    u128 sum;
    if ((((aWord ^ bWord) >> 40) & 1) == 0) {
        sum = x + y;
    } else {
        // Both below 2^95: the difference's top bit is its sign.
        sum = x - y;
        const std::uint64_t turned = static_cast<std::uint64_t>(sum >> 127);
        const u128 mask = -static_cast<u128>(turned);
        sum = (sum ^ mask) - mask;
        negative ^= turned;
    }
    negative &= static_cast<std::uint64_t>(sum != 0); // no -0, even from a -0 made by hand
    result = FromWords(sum, yScale, negative);
    return true;
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

[[gnu::noinline]] TDecimal AddGeneral(TDecimal a, TDecimal b)
{
    if (!IsPlain(a) || !IsPlain(b)) {
        return ApplyToPrepared(a, b, DecimalAdd);
    }
    return AddSigned(a, b);
}

[[gnu::noinline]] TDecimal SubtractGeneral(TDecimal a, TDecimal b)
{
    if (!IsPlain(a) || !IsPlain(b)) {
        return ApplyToPrepared(a, b, DecimalSubtract);
    }
    b.Negative = !b.Negative;
    return AddSigned(a, b);
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
// a + b, from the two words of each: a subtraction flips b's sign bit and
// jumps here.
[[gnu::noinline]] TDecimal AddWords(std::uint64_t aLo, std::uint64_t aWord, std::uint64_t bLo, std::uint64_t bWord)
{
    TDecimal sum;
    if (AddFits(aLo, aWord, bLo, bWord, sum)) [[likely]] {
        return sum;
    }
    return AddGeneral(std::bit_cast<TDecimal>(TWords{aLo, aWord}), std::bit_cast<TDecimal>(TWords{bLo, bWord}));
}
} // namespace

TDecimal DecimalAdd(TDecimal a, TDecimal b)
{
    const auto [aLo, aWord] = WordsOf(a);
    const auto [bLo, bWord] = WordsOf(b);
    return AddWords(aLo, aWord, bLo, bWord);
}

TDecimal DecimalSubtract(TDecimal a, TDecimal b)
{
    // a + (-b): the same exact sum, rounded the same way.
    const auto [aLo, aWord] = WordsOf(a);
    const auto [bLo, bWord] = WordsOf(b);
    if ((bWord >> 48) != 0) [[unlikely]] {
        return SubtractGeneral(a, b); // a failure or a double
    }
    return AddWords(aLo, aWord, bLo, bWord ^ std::uint64_t{1} << 40); // Negative, a bool, is bit 40
}

namespace {
// A product that must lose digits or fails.
[[gnu::noinline]] TDecimal RoundProduct(u128 product, int scale, bool negative)
{
    return RoundToFit(product, scale, TFraction::Zero, negative);
}

// A product p2:p1:p0 of 2^128 or more: at least ten digits must go. Drop a
// first chunk of up to 19, dividing p2:p1 and then the remainder:p0 by
// 10^step (each by a multiplication, far quicker than the hardware's
// division), and finish in 128 bits. Out of line, with the rare product
// that keeps three limbs, so that the common ones need no large frame.
[[gnu::noinline]] TDecimal MultiplyWide(std::uint64_t p2, std::uint64_t p1, std::uint64_t p0, int scale, bool negative)
{
    const int bits = 128 + 64 - std::countl_zero(p2);
    const int needed = std::max(scale - MaxScale, (bits - 97) * 30103 / 100000);
    if (needed > scale) {
        return TDecimal::Failed(TDecimalStatus::Overflow);
    }
    const int step = std::min(needed, MaxDigits64);
    const std::uint64_t d = Pow10u64(step);
    u128 high = (static_cast<u128>(p2) << 64) | p1;
    u128 rest = (static_cast<u128>(DividePow10(high, step)) << 64) | p0;
    const std::uint64_t rem = DividePow10(rest, step); // below 2^64 now: its high part was below d
    const std::uint64_t q2 = static_cast<std::uint64_t>(high >> 64);
    const std::uint64_t q1 = static_cast<std::uint64_t>(high);
    const std::uint64_t q0 = static_cast<std::uint64_t>(rest);
    if (q2 != 0) {
        // Products from 2^(128 + 63) on keep three limbs: the general way.
        TWideInteger product;
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

// Any product of two values of the decimal kind.
[[gnu::noinline]] TDecimal MultiplyGeneral(TDecimal a, TDecimal b)
{
    if (!IsPlain(a) || !IsPlain(b)) [[unlikely]] {
        return ApplyToPrepared(a, b, DecimalMultiply);
    }
    const bool negative = a.Negative != b.Negative;
    const int scale = a.Scale + b.Scale;
    // 96 x 96 bits from four partial products: at most 192 bits, p2:p1:p0;
    // two of them when one operand is below 2^64, as it mostly is.
    if (b.Hi != 0) {
        std::swap(a, b);
    }
    std::uint64_t p0, p1, p2;
    if (b.Hi == 0) {
        const u128 lowPart = static_cast<u128>(a.Lo) * b.Lo;
        const u128 highPart = static_cast<u128>(a.Hi) * b.Lo + static_cast<std::uint64_t>(lowPart >> 64);
        p0 = static_cast<std::uint64_t>(lowPart);
        p1 = static_cast<std::uint64_t>(highPart);
        p2 = static_cast<std::uint64_t>(highPart >> 64);
    } else {
        const u128 lowPart = static_cast<u128>(a.Lo) * b.Lo;
        const u128 middle1 = static_cast<u128>(a.Hi) * b.Lo;
        const u128 middle2 = static_cast<u128>(a.Lo) * b.Hi;
        const u128 highPart = static_cast<u128>(a.Hi) * b.Hi;
        p0 = static_cast<std::uint64_t>(lowPart);
        u128 t = (lowPart >> 64) + static_cast<std::uint64_t>(middle1) + static_cast<std::uint64_t>(middle2);
        p1 = static_cast<std::uint64_t>(t);
        t = (t >> 64) + (middle1 >> 64) + (middle2 >> 64) + highPart;
        p2 = static_cast<std::uint64_t>(t);
    }
    const u128 low = (static_cast<u128>(p1) << 64) | p0;
    if (p2 == 0) {
        if (low < MagnitudeLimit && scale <= MaxScale) {
            return Pack(low, scale, negative); // all RoundToFit would do
        }
        return RoundToFit(low, scale, TFraction::Zero, negative);
    }
    return MultiplyWide(p2, p1, p0, scale, negative);
}

} // namespace

TDecimal DecimalMultiply(TDecimal a, TDecimal b)
{
    // Both of the decimal kind and below 2^64: one hardware product, and
    // when it fits 96 bits at a scale of 28 or less, RoundToFit would only
    // pack it. Tested on the two words of each (see the sums), so that
    // this way needs neither stack frame nor saved registers.
    const auto [aLo, aWord] = WordsOf(a);
    const auto [bLo, bWord] = WordsOf(b);
    if ((((aWord | bWord) >> 48) | static_cast<std::uint32_t>(aWord | bWord)) == 0) [[likely]] {
        const u128 product = static_cast<u128>(aLo) * bLo;
        const std::uint64_t scale = static_cast<std::uint8_t>(aWord >> 32) + static_cast<std::uint8_t>(bWord >> 32);
        if (product < MagnitudeLimit && scale <= MaxScale) [[likely]] {
            return FromWords(product, scale, ((aWord ^ bWord) >> 40 & 1) & static_cast<std::uint64_t>(product != 0));
        }
        return RoundProduct(product, static_cast<int>(scale), ((aWord ^ bWord) >> 40 & 1) != 0);
    }
    return MultiplyGeneral(a, b);
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
        TWideInteger n(dividend);
        n.MultiplyPow10(exponent);
        const std::uint64_t rem = n.DivideSmall(d64);
        return RoundToFit(n, scale, ClassifyRemainder(rem, d64), negative);
    }
    TWideInteger n(dividend);
    n.MultiplyPow10(exponent);
    const u128 rem = n.DivideWide(divisor);
    return RoundToFit(n, scale, ClassifyRemainder(rem, divisor), negative);
}

namespace {

// n * f when the product stays below 2^96.
inline bool MultiplyBelowLimit(u128& n, u128 f)
{
    return !__builtin_mul_overflow(n, f, &n) && n < MagnitudeLimit;
}

// m^n, exactly, when it stays below 2^96: a square is taken only while
// bits of n remain to use it, and each is at most the power itself, so a
// square past the limit decides early. Bases from 2 on reach the limit
// by the 96th power, so the loop is short whatever n is.
bool IntegerPower(u128 m, u128 n, u128& power)
{
    power = 1;
    if (m <= 1) {
        power = n == 0 ? 1 : m;
        return true;
    }
    for (;;) {
        if ((n & 1) != 0 && !MultiplyBelowLimit(power, m)) {
            return false;
        }
        n >>= 1;
        if (n == 0) {
            return true;
        }
        if (!MultiplyBelowLimit(m, m)) {
            return false;
        }
    }
}

// The magnitude and scale of a non-zero x with the trailing zeros of its
// fraction dropped: the smallest scale that holds it exactly.
void Reduce(u128& m, int& scale)
{
    while (scale > 0 && m % 10 == 0) {
        m /= 10;
        --scale;
    }
}

// 1 / (m / 10^scale) as a reduced magnitude and scale, when that is a
// decimal of at most 28 places below 2^96: m must then be 2^p * 5^q, and
// 10^scale / (2^p * 5^q) = 2^(scale - p + e) * 5^(scale - q + e) / 10^e
// with e the least number of places that makes both exponents natural.
bool ExactReciprocal(u128& m, int& scale)
{
    const auto low = static_cast<std::uint64_t>(m);
    const int p = low != 0 ? std::countr_zero(low) : 64 + std::countr_zero(static_cast<std::uint64_t>(m >> 64));
    u128 odd = m >> p;
    int q = 0;
    while (odd % 5 == 0) {
        odd /= 5;
        ++q;
    }
    if (odd != 1) {
        return false;
    }
    const int places = std::max({p - scale, q - scale, 0});
    u128 twos, fives;
    if (places > MaxScale || !IntegerPower(2, static_cast<u128>(scale - p + places), twos) ||
        !IntegerPower(5, static_cast<u128>(scale - q + places), fives) || !MultiplyBelowLimit(twos, fives)) {
        return false;
    }
    m = twos;
    scale = places;
    return true;
}

// a^b for a non-zero a and an integer b, when the decimal type holds the
// exact value: a reduced base of scale s to the n-th power has exactly
// s * n places, and a negative power is the reciprocal's positive one.
bool ExactPower(TDecimal a, TDecimal b, TDecimal& result)
{
    u128 n = b.Magnitude();
    int exponentScale = b.Scale;
    Reduce(n, exponentScale);
    u128 m = a.Magnitude();
    if (exponentScale != 0 || m == 0) {
        return false;
    }
    int scale = a.Scale;
    Reduce(m, scale);
    if (b.Negative && n != 0 && !ExactReciprocal(m, scale)) {
        return false;
    }
    u128 power;
    if ((scale != 0 && n > static_cast<u128>(MaxScale / scale)) || !IntegerPower(m, n, power)) {
        return false;
    }
    result = Pack(power, scale == 0 ? 0 : scale * static_cast<int>(n), a.Negative && (n & 1) != 0);
    return true;
}

// a^b of the operands' nearest doubles, by AccuratePow.
TDecimal PowerOfDoubles(TDecimal a, TDecimal b)
{
    if (!IsPlain(a) || !IsPlain(b)) {
        return ApplyToPrepared(a, b, PowerOfDoubles);
    }
    // The nearest doubles, read from the exact text forms.
    auto toDouble = [](TDecimal x) {
        TDecimalText chars;
        const std::string_view text = DecimalToChars(x, chars);
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
} // namespace

TDecimal DecimalPower(TDecimal a, TDecimal b)
{
    if (!IsPlain(a) || !IsPlain(b)) {
        return ApplyToPrepared(a, b, DecimalPower);
    }
    TDecimal exact;
    if (ExactPower(a, b, exact)) {
        return exact;
    }
    return PowerOfDoubles(a, b);
}

TDecimal DecimalReciprocal(TDecimal x)
{
    return DecimalDivide(Pack(1, 0, false), x);
}

TDecimal DecimalRoot(TDecimal a, TDecimal b)
{
    return PowerOfDoubles(a, DecimalReciprocal(b));
}
