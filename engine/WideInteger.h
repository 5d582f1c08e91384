// Unsigned integers wider than 64 bits, for the decimal type and the power
// function: 128-bit products and quotients, powers of ten, and integers of
// up to six 64-bit limbs. Each helper is exact unless its comment says how
// far it may fall short; none allocates, and every loop runs over at most
// the six limbs.
#pragma once

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdint>

namespace wide {

__extension__ typedef unsigned __int128 u128;
__extension__ typedef __int128 i128;

constexpr int MaxDigits64 = 19; // 10^19 is the largest power of ten below 2^64

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
inline constexpr auto Pow10Table = MakePow10();

inline u128 Pow10(int n)
{
    assert(n >= 0 && n <= 38);
    return Pow10Table.Value[n];
}

inline std::uint64_t Pow10u64(int n)
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

inline int CountLeadingZeros(u128 v)
{
    const auto hi = static_cast<std::uint64_t>(v >> 64);
    return hi ? std::countl_zero(hi) : 64 + std::countl_zero(static_cast<std::uint64_t>(v));
}

inline int BitLength(u128 v)
{
    return 128 - CountLeadingZeros(v);
}

inline u128 Abs(i128 v)
{
    return v < 0 ? -static_cast<u128>(v) : static_cast<u128>(v);
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

struct TU256 {
    u128 Hi;
    u128 Lo;
};

// The whole 256-bit product a * b.
[[gnu::always_inline]] inline TU256 Multiply(u128 a, u128 b)
{
    const auto a0 = static_cast<std::uint64_t>(a);
    const auto a1 = static_cast<std::uint64_t>(a >> 64);
    const auto b0 = static_cast<std::uint64_t>(b);
    const auto b1 = static_cast<std::uint64_t>(b >> 64);
    const u128 p00 = static_cast<u128>(a0) * b0;
    const u128 p01 = static_cast<u128>(a0) * b1;
    const u128 p10 = static_cast<u128>(a1) * b0;
    const u128 p11 = static_cast<u128>(a1) * b1;
    const u128 middle = (p00 >> 64) + static_cast<std::uint64_t>(p01) + static_cast<std::uint64_t>(p10);
    return {p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64), (middle << 64) | static_cast<std::uint64_t>(p00)};
}

// The top 128 bits of the 256-bit product a * b, exactly.
[[gnu::always_inline]] inline u128 MultiplyHigh(u128 a, u128 b)
{
    return Multiply(a, b).Hi;
}

// a * b / 2^128 from the three products that reach the upper half, without
// the carry from the lowest: at most 2 below MultiplyHigh(a, b).
[[gnu::always_inline]] inline u128 MultiplyHighTruncated(u128 a, u128 b)
{
    const auto a0 = static_cast<std::uint64_t>(a);
    const auto a1 = static_cast<std::uint64_t>(a >> 64);
    const auto b0 = static_cast<std::uint64_t>(b);
    const auto b1 = static_cast<std::uint64_t>(b >> 64);
    return static_cast<u128>(a1) * b1 + ((static_cast<u128>(a0) * b1) >> 64) + ((static_cast<u128>(a1) * b0) >> 64);
}

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

// An unsigned integer of up to six 64-bit limbs, least significant first:
// wide enough for a 96-bit magnitude times 10^56, the largest intermediate.
struct TWideInteger {
    static constexpr int Capacity = 6;
    std::uint64_t Limb[Capacity] = {};
    int Count = 0; // limbs in use; Limb[Count - 1] != 0 unless Count == 0

    TWideInteger() = default;
    explicit TWideInteger(u128 v)
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

inline u128 TWideInteger::DivideWide(u128 v)
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

} // namespace wide
