// Exact decimal numbers for the calculation engine.
//
// A TDecimal is a sign, a 96-bit unsigned magnitude and a power-of-ten scale
// from 0 to 28: value = magnitude / 10^scale, negated when the sign is set.
// DecimalPower and DecimalRoot alone produce the second kind, a double, for
// the powers the first kind cannot hold exactly; the engine turns it into
// text at once.
//
// Arithmetic keeps the exact result when it fits in 96 bits at a scale of at
// most 28; otherwise the exact value is rounded (ties to even) to the largest
// scale at which it fits. Operations never throw: a failure is a value whose
// Status says why, and every operation hands a failed operand straight back,
// so the first failure of a chain is the one that survives.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

enum class TDecimalKind : std::uint8_t {
    Decimal, // magnitude, scale and sign below
    Double,  // only from DecimalPower and DecimalRoot; the bits of the double live in Lo
};

enum class TDecimalStatus : std::uint8_t {
    Ok,
    DivisionByZero, // x / 0, a root of index 0, 0 raised to a negative power
    Overflow,       // integer part beyond 96 bits; an infinite power; a text beyond the range
    NotReal,        // a power or root without a real result (NaN)
    NotANumber,     // a text that is not a number: "", "-", "+.", "2-3"
};

inline constexpr int DecimalMaxScale = 28;

__extension__ typedef unsigned __int128 TUInt128;

struct TDecimal {
    // Lo, Hi: the 96-bit magnitude, least significant first (only the low
    // 32 bits of the magnitude's top part exist, so Hi is 32 bits wide).
    std::uint64_t Lo = 0;
    std::uint32_t Hi = 0;
    std::uint8_t Scale = 0; // 0..DecimalMaxScale
    bool Negative = false;
    TDecimalKind Kind = TDecimalKind::Decimal;
    TDecimalStatus Status = TDecimalStatus::Ok;

    [[nodiscard]] bool IsOk() const { return Status == TDecimalStatus::Ok; }
    [[nodiscard]] bool IsZero() const { return Lo == 0 && Hi == 0; }
    [[nodiscard]] double AsDouble() const; // the double kind's value
    [[nodiscard]] TUInt128 Magnitude() const { return (static_cast<TUInt128>(Hi) << 64) | Lo; }

    static TDecimal Failed(TDecimalStatus status);
    static TDecimal FromDouble(double value);
};

static_assert(sizeof(TDecimal) == 16, "TDecimal is meant to travel in two registers");

// Reads an optional sign, digits with at most one '.', at least one digit in
// all, and an optional exponent ('E' or 'e', optional sign, digits). The
// separator is always '.'. Fails with NotANumber or Overflow.
TDecimal DecimalFromText(std::string_view text);

// The decimal kind without exponent or trailing zeros ("0" for any zero, '-'
// only before non-zero values); the double kind as printf's "%.15G" writes it
// in the C locale. A failed value gives the empty text, which is no number.
std::string DecimalToText(TDecimal value);

// A number text with its exponent worked into the digits, as equations
// take it: "1E+20" gives "100000000000000000000", "-9.5367431640625E-07"
// gives "-0.00000095367431640625". The digits are kept exactly, none
// rounded; a text without an exponent, or not a number, comes back as it is.
std::string DecimalTextWithoutExponent(std::string_view text);

// The same text written into text's characters, without allocating.
struct TDecimalText {
    std::array<char, 72> Chars;
};
std::string_view DecimalToChars(TDecimal value, TDecimalText& text);

TDecimal DecimalAdd(TDecimal a, TDecimal b);
TDecimal DecimalSubtract(TDecimal a, TDecimal b);
TDecimal DecimalMultiply(TDecimal a, TDecimal b);
TDecimal DecimalDivide(TDecimal a, TDecimal b);
// a^b: exact, of the decimal kind, when a is not zero, b is an integer and
// the decimal kind holds the exact power (2^64 = 18446744073709551616,
// 2^-20, 0.1^28, 5^-28); otherwise the power of the nearest doubles, by
// AccuratePow (2^96, 0.1^29, 3^-1, 2^0.5, 0^0).
TDecimal DecimalPower(TDecimal a, TDecimal b);
TDecimal DecimalReciprocal(TDecimal x);       // 1 / x, decimal
TDecimal DecimalRoot(TDecimal a, TDecimal b); // the b-th root of a: a^(1/b) of the nearest doubles, 1/b decimal
