// The integer part of a result as sign-and-magnitude text in base 2, 8 and
// 16: an optional '-', then the digits of the absolute value, no prefix, no
// padding ("-FF", not a two's-complement pattern), upper-case digits.
#pragma once

#include "EquationEngine.h" // OV_MESSAGE

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "Decimal.h"

// The integer part of a result, exact for every value the decimal type
// holds: at most 96 bits, so at most 96, 32 and 24 digits.
struct TIntegerPart {
    bool Negative = false;  // never for zero
    TUInt128 Magnitude = 0; // below 2^96 unless TooLarge
    bool TooLarge = false;  // a lone number typed beyond 96 bits
};

inline constexpr unsigned IntegerPartBits = 96;
// What the base fields say for an integer part beyond them.
// TRANSLATORS: shown in the hexadecimal, octal and binary result fields in
// place of digits, for a number typed whose integer part has more than 96 bits.
inline constexpr std::string_view MessageBeyondIntegerPartBits = OV_MESSAGE("beyond 96 bits");

// The integer part of a result text, as the hexadecimal, octal and binary
// fields show it: the value truncated toward zero. Reads every form a result
// can take ("+5", ".5", "007", "-2.5", "1E+20", "9.5367431640625E-07"); a
// text that is no number gives 0.
TIntegerPart ResultIntegerPart(std::string_view text);

// The integer part of a value of the decimal kind, straight from its
// magnitude: the same as ResultIntegerPart of the value's text, which
// writes every digit of that kind. O(1).
TIntegerPart DecimalIntegerPart(TDecimal value);

// The digits in a base, written into digits' characters without allocating;
// for a part that is TooLarge, MessageBeyondIntegerPartBits.
enum class TBase : unsigned { Binary = 1, Octal = 3, Hexadecimal = 4 }; // bits per digit
struct TBaseDigits {
    std::array<char, 100> Chars; // 96 binary digits and a sign at most
};
std::string_view IntegerPartToChars(const TIntegerPart& part, TBase base, TBaseDigits& digits);

// Its digits; for a part that is TooLarge, MessageBeyondIntegerPartBits.
std::string IntegerPartToBinary(const TIntegerPart& part);
std::string IntegerPartToOctal(const TIntegerPart& part);
std::string IntegerPartToHexadecimal(const TIntegerPart& part);
