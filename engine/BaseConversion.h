// A signed 64-bit integer as sign-and-magnitude text in base 2, 8 and 16:
// an optional '-', then the digits of the absolute value, no prefix, no
// padding ("-FF", not a two's-complement pattern).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

std::string IntToBinary(std::int64_t value);
std::string IntToOctal(std::int64_t value);
std::string IntToHexadecimal(std::int64_t value); // upper-case digits

// The integer part of a result text, as the hexadecimal, octal and binary
// fields show it: the value truncated toward zero and clamped to the signed
// 64-bit range. Reads every form a result can take ("+5", ".5", "007",
// "-2.5", "1E+20", "9.5367431640625E-07"); a text that is no number gives 0.
std::int64_t ResultIntegerPart(std::string_view text);
