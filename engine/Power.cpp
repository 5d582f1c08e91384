// x^y as exp(y ln x) in 128-bit integer arithmetic.
//
// ln x: x = 2^e m with m in [0.709, 1.418). Three multiplications by short
// reciprocals r1, r2, r3 from tables (exact in integers) bring m to 1 + z3
// with |z3| < 2^-20.99, and ln x = e ln 2 - ln r1 - ln r2 - ln r3 + ln(1 +
// z3), the last one from seven terms of its series. Near 1 (e = 0, r1 = r2
// = r3 = 1) ln x is z3 times the series, so it keeps its relative precision
// however close x is to 1; elsewhere |ln x| >= 2^-21 and the fixed-point
// sum loses at most 2^-111 of it.
//
// exp t: t / ln 2 = n + f with 0 <= f < 1, 2^f = 2^(a/64) 2^(b/4096)
// 2^(c/262144) exp(w) with w < 2^-18.5, exp(w) from eight terms of its series.
//
// A finite non-zero result needs |t| < 745.2, so the error that ln x hands
// on to t stays below 745.2 * 2^-111, and the relative error of the
// approximation below 2^-101: 2^-48 of a unit in the last place.
#include "Power.h"

#include "WideInteger.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

using u64 = std::uint64_t;
using i64 = std::int64_t;
using wide::Abs;
using wide::CountLeadingZeros;
using wide::i128;
using wide::Multiply;
using wide::MultiplyHighTruncated;
using wide::TU256;
using wide::u128;

// 128-bit table constants from their halves, most significant first.
constexpr u128 Word(u64 hi, u64 lo)
{
    return (static_cast<u128>(hi) << 64) | lo;
}

constexpr i128 Signed(u64 hi, u64 lo)
{
    return static_cast<i128>(Word(hi, lo));
}

#include "PowerTables.inc"

constexpr u64 SignBit = 1ULL << 63;
constexpr u64 InfBits = 0x7FFULL << 52;
constexpr u64 OneBits = 0x3FFULL << 52;
constexpr u64 MantissaMask = (1ULL << 52) - 1;
constexpr u64 QuietNaNBits = 0x7FF8ULL << 48;

// The bits of the double nearest to m * 2^e (m > 0), ties to even, with
// subnormals, and infinity beyond the largest double.
u64 RoundScaled(u128 m, int e)
{
    const int length = 128 - CountLeadingZeros(m);
    const int lead = e + length - 1; // m * 2^e lies in [2^lead, 2^(lead + 1))
    if (lead > 1023) {
        return InfBits;
    }
    const int quantum = lead >= -1022 ? lead - 52 : -1074; // weight of the last bit kept
    const int drop = quantum - e;
    u64 kept;
    if (drop <= 0) {
        kept = static_cast<u64>(m << -drop);
    } else if (drop > length) {
        kept = 0; // below half the smallest subnormal
    } else {
        const u128 rest = drop == 128 ? m : m & ((static_cast<u128>(1) << drop) - 1);
        const u128 half = static_cast<u128>(1) << (drop - 1);
        kept = drop == 128 ? 0 : static_cast<u64>(m >> drop);
        kept += rest > half || (rest == half && (kept & 1));
    }
    // kept holds the leading bit of a normal value (or reached 2^53 by
    // rounding), which carries into the exponent field as it should.
    return (static_cast<u64>(quantum + 1074) << 52) + kept;
}

// x = Odd * 2^Exp with Odd odd, for finite non-zero x (bits without sign).
struct TOddPart {
    u64 Odd;
    int Exp;
};

TOddPart SplitOdd(u64 bits)
{
    const int biased = static_cast<int>(bits >> 52);
    u64 mantissa = bits & MantissaMask;
    int e = -1074;
    if (biased != 0) {
        mantissa |= 1ULL << 52;
        e = biased - 1075;
    }
    const int zeros = std::countr_zero(mantissa);
    return {mantissa >> zeros, e + zeros};
}

// x = Mantissa * 2^Exp with the top bit of Mantissa set, for finite non-zero x.
struct TNormal {
    u64 Mantissa;
    int Exp;
};

TNormal Normalize(u64 bits)
{
    const int biased = static_cast<int>(bits >> 52);
    u64 mantissa = bits & MantissaMask;
    int e = biased - 1075;
    if (biased == 0) {
        e = -1074;
    } else {
        mantissa |= 1ULL << 52;
    }
    const int zeros = std::countl_zero(mantissa);
    return {mantissa << zeros, e - zeros};
}

enum class TIntegerKind { None, Odd, Even };

TIntegerKind ClassifyInteger(u64 bits) // finite, non-zero, without sign
{
    const int biased = static_cast<int>(bits >> 52);
    if (biased < 1023) {
        return TIntegerKind::None;
    }
    if (biased >= 1023 + 53) {
        return TIntegerKind::Even;
    }
    const int fractionBits = 52 - (biased - 1023);
    const u64 mantissa = (bits & MantissaMask) | (1ULL << 52);
    if (mantissa & ((1ULL << fractionBits) - 1)) {
        return TIntegerKind::None;
    }
    return (mantissa >> fractionBits) & 1 ? TIntegerKind::Odd : TIntegerKind::Even;
}

u64 IntegerSquareRoot(u64 v) // v < 2^53
{
    u64 s = static_cast<u64>(std::sqrt(static_cast<double>(v)));
    while (s * s > v) {
        --s;
    }
    while ((s + 1) * (s + 1) <= v) {
        ++s;
    }
    return s;
}

// base^n, or false when that does not fit in 64 bits.
bool IntegerPower(u64 base, u64 n, u64& result)
{
    u64 p = 1;
    for (;;) {
        if ((n & 1) && __builtin_mul_overflow(p, base, &p)) {
            return false;
        }
        n >>= 1;
        if (n == 0) {
            break;
        }
        if (__builtin_mul_overflow(base, base, &base)) {
            return false;
        }
    }
    result = p;
    return true;
}

// 2^p, for any integer p.
u64 PowerOfTwo(i64 p)
{
    if (p > 1023) {
        return InfBits;
    }
    if (p < -1074) {
        return 0; // 2^-1075 is a tie between 0 and the smallest subnormal: 0
    }
    return RoundScaled(1, static_cast<int>(p));
}

// The results that are exactly a double or exactly halfway between two:
// x^y is then a rational with a power of two as denominator, which needs y =
// n / 2^k with x a perfect 2^k-th power r^(2^k), and x^y = r^n with n >= 0
// unless r is a power of two. Halfway values have an odd part below 2^54, so
// any r^n whose odd part does not fit in 64 bits is neither. |x| != 0, 1, inf.
bool TryExact(u64 ax, u64 ay, bool yNegative, u64& bits)
{
    const TOddPart xo = SplitOdd(ax);
    const TOddPart yo = SplitOdd(ay); // |y| = yo.Odd * 2^yo.Exp
    constexpr u64 Huge = 1ULL << 20;  // |x e * y| beyond this leaves the range
    if (xo.Odd == 1) {
        // x = 2^e, x^y = 2^(e y): exact when e y is an integer.
        i64 e = xo.Exp;
        if (yo.Exp < 0) {
            const int k = -yo.Exp;
            if (k > 10 || (e & ((1 << k) - 1)) != 0) {
                return false; // 2^(e y) is irrational
            }
            e /= 1 << k;
        } else if (yo.Exp > 20) {
            e *= static_cast<i64>(Huge); // the sign is what counts
        } else {
            e *= static_cast<i64>(1) << yo.Exp;
        }
        const i64 p = yo.Odd > Huge ? e * static_cast<i64>(Huge) : e * static_cast<i64>(yo.Odd);
        bits = PowerOfTwo(yNegative ? -p : p);
        return true;
    }
    if (yNegative) {
        return false; // 1 / r^n with an odd r > 1: not a binary fraction
    }
    u64 base = xo.Odd;
    int baseExp = xo.Exp;
    u64 n;
    if (yo.Exp >= 0) {
        if (yo.Exp > 6 || yo.Odd > 64) {
            return false;
        }
        n = yo.Odd << yo.Exp;
    } else {
        // An odd base above 1 can be a 2^k-th power below 2^53 only for 2^k <= 33.
        const int k = -yo.Exp;
        if (k > 5 || (baseExp & ((1 << k) - 1)) != 0) {
            return false;
        }
        for (int i = 0; i < k; ++i) {
            const u64 root = IntegerSquareRoot(base);
            if (root * root != base) {
                return false;
            }
            base = root;
        }
        baseExp >>= k; // exact: the low k bits are zero
        n = yo.Odd;
    }
    if (n > 64) { // base >= 3
        return false;
    }
    u64 power;
    if (!IntegerPower(base, n, power)) {
        return false;
    }
    bits = RoundScaled(power, baseExp * static_cast<int>(n));
    return true;
}

// |v| = Mantissa * 2^Exp with the top bit of Mantissa set.
struct TBinaryFloat {
    u128 Mantissa;
    int Exp;
    bool Negative;
};

TBinaryFloat BinaryFloatFromFixed(i128 v, int scale) // v / 2^scale, v != 0
{
    const u128 m = Abs(v);
    const int zeros = CountLeadingZeros(m);
    return {m << zeros, -scale - zeros, v < 0};
}

// floor(v / 2^shift) for 0 < shift < 256, when that fits in 128 bits.
[[gnu::always_inline]] inline u128 ShiftRight(TU256 v, int shift)
{
    if (shift >= 128) {
        return v.Hi >> (shift - 128);
    }
    return (v.Hi << (128 - shift)) | (v.Lo >> shift);
}

// floor(a * b / 2^shift) for 64 <= shift < 192, when that fits in 128 bits.
[[gnu::always_inline]] inline u128 MultiplyShift64(u128 a, u64 b, int shift)
{
    const u128 low = static_cast<u128>(static_cast<u64>(a)) * b;
    const u128 high = static_cast<u128>(static_cast<u64>(a >> 64)) * b + (low >> 64); // a * b / 2^64
    return high >> (shift - 64);
}

i128 RoundShift(i128 v, int shift) // v / 2^shift rounded
{
    return (v + (static_cast<i128>(1) << (shift - 1))) >> shift;
}

// ln x for finite x > 0, x != 1, given as the bits of x.
TBinaryFloat Log(u64 ax)
{
    // x = M * 2^(E - 52) with M in [2^52, 2^53).
    const TNormal xn = Normalize(ax);
    const u64 M = xn.Mantissa >> 11;
    const int E = xn.Exp + 11 + 52;

    // First reduction: the cell of M's top bits gives r1 with m r1 =
    // A / 2^63 = 1 + z1. The upper cells take m = M / 2^53 and e = E + 1,
    // so that m stays in [0.709, 1.418) and ln m keeps its precision below 1.
    const int j = static_cast<int>((M - (1ULL << 52) + (1ULL << 44)) >> 45);
    const bool halved = j >= HalvedFrom;
    const int e = E + halved;
    const u64 A = (M * R1[j]) << (halved ? 0 : 1);

    // Second reduction: k2 = round(z1 * 2^13), (1 + z1) r2 = P2 / 2^83 = 1 + z2.
    const i64 z1 = static_cast<i64>(A - (1ULL << 63)); // z1 * 2^63
    const int k2 = static_cast<int>((z1 + (1LL << 49)) >> 50);
    const u128 P2 = static_cast<u128>(A) * R2[k2 + Z1Cells];
    const i128 z2 = static_cast<i128>(P2) - (static_cast<i128>(1) << 83); // z2 * 2^83

    // Third reduction: k3 = round(z2 * 2^20), (1 + z2) r3 = P3 / 2^113 = 1 + z3.
    const int k3 = static_cast<int>((z2 + (static_cast<i128>(1) << 62)) >> 63);
    const u128 P3 = P2 * R3[k3 + Z2Cells];
    const i128 z3 = static_cast<i128>(P3) - (static_cast<i128>(1) << 113); // z3 * 2^113

    // q = ln(1 + z3) / z3 = 1 + v/2 + v^2 (1/3 + v (1/4 + v K)) with v = -z3,
    // |v| < 2^-20.99, K = 1/5 + v/6 + v^2/7 in 64 bits (it only weighs v^4),
    // the rest in 128: q * 2^127, |v| * 2^148, the sums in brackets * 2^128.
    const bool vNegative = z3 > 0;
    const u128 v = Abs(z3) << 35;
    const i64 v64 = static_cast<i64>(-(z3 >> 30)); // v * 2^83
    i64 K = static_cast<i64>(LogSeriesTail[1]) +
            static_cast<i64>((static_cast<i128>(v64) * static_cast<i64>(LogSeriesTail[2])) >> 83);
    K = static_cast<i64>(LogSeriesTail[0]) + static_cast<i64>((static_cast<i128>(v64) * K) >> 83);
    const u128 vK = MultiplyShift64(v, static_cast<u64>(K), 84);
    u128 acc = LogSeries[1] + (vNegative ? -vK : vK);
    const u128 vAcc = MultiplyHighTruncated(v, acc) >> 20;
    acc = LogSeries[0] + (vNegative ? -vAcc : vAcc);
    const u128 halfV = v >> 22;
    const u128 vSquared = MultiplyHighTruncated(v, v) >> 20; // v^2 * 2^148
    const u128 q =
        (static_cast<u128>(1) << 127) + (vNegative ? -halfV : halfV) + (MultiplyHighTruncated(vSquared, acc) >> 21);
    const TU256 product = Multiply(Abs(z3), q); // |ln(1 + z3)| * 2^240
    const bool productNegative = z3 < 0;

    const bool centre = R1[j] == (1U << R1Bits); // r1 = 1: m within 2^-8 of 1
    if (e == 0 && centre && k2 == 0 && k3 == 0) {
        // |x - 1| < 2^-21: ln x = ln(1 + z3) with all the product's precision.
        TBinaryFloat result;
        if (product.Hi != 0) {
            const int zeros = CountLeadingZeros(product.Hi);
            result.Mantissa = zeros ? (product.Hi << zeros) | (product.Lo >> (128 - zeros)) : product.Hi;
            result.Exp = 128 - zeros - 240;
        } else {
            const int zeros = CountLeadingZeros(product.Lo);
            result.Mantissa = product.Lo << zeros;
            result.Exp = -zeros - 240;
        }
        result.Negative = productNegative;
        return result;
    }
    auto signedPart = [&](int scale) {
        const i128 magnitude = static_cast<i128>(ShiftRight(product, 240 - scale));
        return productNegative ? -magnitude : magnitude;
    };
    if (e == 0 && centre) {
        // 2^-21 <= |ln x| < 2^-7.8: the finer scale keeps 2^-111 of relative precision.
        return BinaryFloatFromFixed(LogR2[k2 + Z1Cells] + RoundShift(LogR3[k3 + Z2Cells], 6) + signedPart(134), 134);
    }
    const i128 sum =
        LogR1[j] + RoundShift(LogR2[k2 + Z1Cells], 7) + RoundShift(LogR3[k3 + Z2Cells], 13) + signedPart(127);
    if (e == 0) {
        return BinaryFloatFromFixed(sum, 127); // |ln x| >= 2^-9
    }
    return BinaryFloatFromFixed(e * Ln2Scaled117 + RoundShift(sum, 10), 117);
}

// x^y = exp(y ln x) ~ Mantissa * 2^Exp, or a t = y ln x beyond +-2^10,
// where Beyond says which way.
struct TApproximation {
    u128 Mantissa;
    int Exp;
    int Beyond; // +1: overflow, -1: underflow, 0: Mantissa and Exp hold it
};

// For |x| != 0, 1, inf and finite y != 0.
TApproximation ApproximatePower(u64 ax, u64 ay, bool yNegative)
{
    const TBinaryFloat logX = Log(ax);

    // |t| = |y ln x| = T * 2^tExp, T with its top bit set, truncated.
    const TNormal yn = Normalize(ay);
    const u128 low = static_cast<u128>(yn.Mantissa) * static_cast<u64>(logX.Mantissa);
    const u128 high = static_cast<u128>(yn.Mantissa) * static_cast<u64>(logX.Mantissa >> 64) + (low >> 64);
    u128 T = high;
    int tExp = yn.Exp + logX.Exp + 64;
    if ((high >> 127) == 0) {
        T = (high << 1) | (static_cast<u64>(low) >> 63);
        --tExp;
    }
    const bool tNegative = logX.Negative != yNegative;
    if (tExp + 127 >= 10) { // |t| >= 2^10: far beyond the range either way
        return {0, 0, tNegative ? -1 : 1};
    }

    // |t| * 2^117, then |t| / ln 2 = n0 + F / 2^128.
    const int shift = -(tExp + 117);
    const u128 t117 = shift >= 128 ? 0 : T >> shift;
    const TU256 u = Multiply(t117, InvLn2Scaled127); // |t| / ln 2 * 2^244
    int n = static_cast<int>(u.Hi >> 116);
    u128 F = (u.Hi << 12) | (u.Lo >> 116);
    if (tNegative) {
        n = -n;
        if (F != 0) {
            --n;
            F = -F;
        }
    }

    // 2^(F / 2^128) = 2^(a/64) * 2^(b/4096) * 2^(c/262144) * exp(w), w = g ln 2
    // < 2^-18.5, exp(w) = 1 + w + w^2 (1/2 + w (1/6 + w K)) with K = 1/24 +
    // w/120 + w^2/720 + w^3/5040 in 64 bits (it only weighs w^4), the rest in
    // 128: w * 2^146, the sums in brackets * 2^128, K * 2^64.
    const int a = static_cast<int>(F >> 122);
    const int b = static_cast<int>(F >> 116) & 63;
    const int c = static_cast<int>(F >> 110) & 63;
    const u128 g = F & ((static_cast<u128>(1) << 110) - 1);
    const u128 w = MultiplyHighTruncated(g, Ln2Scaled128) << 18;
    const u64 w64 = static_cast<u64>(w >> 64); // w * 2^82
    u64 K = ExpSeriesTail[3];
    for (int i = 2; i >= 0; --i) {
        K = ExpSeriesTail[i] + static_cast<u64>((static_cast<u128>(w64) * K) >> 82);
    }
    u128 acc = ExpSeries[1] + MultiplyShift64(w, K, 82);
    acc = ExpSeries[0] + (MultiplyHighTruncated(w, acc) >> 18);
    const u128 expm1 = w + MultiplyHighTruncated(MultiplyHighTruncated(w, w) >> 18, acc); // (exp(w) - 1) * 2^146
    // 2^(a/64) (1 + beta) (1 + gamma) (1 + expm1), * 2^127.
    u128 result = Exp2A[a];
    result += MultiplyHighTruncated(result, Exp2B[b]);
    result += MultiplyHighTruncated(result, Exp2C[c]);
    result += MultiplyHighTruncated(result, expm1) >> 18;
    return {result, n - 127, 0};
}

u64 GeneralPower(u64 ax, u64 ay, bool yNegative)
{
    const TApproximation p = ApproximatePower(ax, ay, yNegative);
    if (p.Beyond != 0) {
        return p.Beyond > 0 ? InfBits : 0;
    }
    const int lead = p.Exp + 127; // 2^127 <= p.Mantissa < 2^128
    if (lead < -1022 || lead > 1023) {
        return RoundScaled(p.Mantissa, p.Exp);
    }
    // A normal result: RoundScaled's work with the shift known.
    u64 kept = static_cast<u64>(p.Mantissa >> 75);
    const u128 rest = p.Mantissa & ((static_cast<u128>(1) << 75) - 1);
    const u128 half = static_cast<u128>(1) << 74;
    kept += rest > half || (rest == half && (kept & 1));
    return (static_cast<u64>(lead + 1022) << 52) + kept;
}

} // namespace

double AccuratePow(double x, double y)
{
    const u64 xBits = std::bit_cast<u64>(x);
    const u64 yBits = std::bit_cast<u64>(y);
    const u64 ax = xBits & ~SignBit;
    const u64 ay = yBits & ~SignBit;
    if (ay == 0 || xBits == OneBits) {
        return 1.0;
    }
    if (ax > InfBits || ay > InfBits) {
        return std::bit_cast<double>(QuietNaNBits);
    }
    const bool yNegative = (yBits & SignBit) != 0;
    if (ay == InfBits) {
        if (ax == OneBits) {
            return 1.0; // (-1)^(+-inf)
        }
        return (ax > OneBits) != yNegative ? std::bit_cast<double>(InfBits) : 0.0;
    }
    const TIntegerKind kind = ClassifyInteger(ay);
    const bool xNegative = (xBits & SignBit) != 0;
    const u64 sign = xNegative && kind == TIntegerKind::Odd ? SignBit : 0;
    u64 bits;
    if (ax == 0 || ax == InfBits) {
        bits = (ax == 0) == yNegative ? InfBits : 0;
    } else if (xNegative && kind == TIntegerKind::None) {
        return std::bit_cast<double>(QuietNaNBits);
    } else if (ax == OneBits) {
        bits = OneBits;
    } else if (!TryExact(ax, ay, yNegative, bits)) {
        bits = GeneralPower(ax, ay, yNegative);
    }
    return std::bit_cast<double>(bits | sign);
}
