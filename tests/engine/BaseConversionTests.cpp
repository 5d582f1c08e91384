#include "BaseConversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

constexpr std::int64_t Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t Min = std::numeric_limits<std::int64_t>::min();

// Sign and magnitude, never a two's-complement pattern.
TEST(BaseConversion, SignAndMagnitudeDigits)
{
    static const struct {
        std::int64_t Value;
        std::string Binary, Octal, Hexadecimal;
    } rows[] = {
        {0, "0", "0", "0"},
        {14, "1110", "16", "E"},
        {255, "11111111", "377", "FF"},
        {-1, "-1", "-1", "-1"},
        {-255, "-11111111", "-377", "-FF"},
        {Max, std::string(63, '1'), "777777777777777777777", "7FFFFFFFFFFFFFFF"},
        {Min, "-1" + std::string(63, '0'), "-1000000000000000000000", "-8000000000000000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Value);
        EXPECT_EQ(IntToBinary(row.Value), row.Binary);
        EXPECT_EQ(IntToOctal(row.Value), row.Octal);
        EXPECT_EQ(IntToHexadecimal(row.Value), row.Hexadecimal);
    }
}

// The base fields show the value truncated toward zero, clamped to 64 bits.
TEST(ResultIntegerPart, TruncatesTowardZeroAndClamps)
{
    static const struct {
        const char* Text;
        std::int64_t Expected;
    } rows[] = {
        // results as the engine hands them back, lone numbers as typed
        {"14", 14}, {"-2.5", -2}, {".5", 0}, {"-.5", 0}, {"+5", 5}, {"007", 7}, {"5.", 5}, {"0", 0},
        // exponent forms of power results
        {"1E+20", Max}, {"-1E+20", Min}, {"9.5367431640625E-07", 0}, {"1.5E+3", 1500},
        {"-1.23456E+2", -123}, {"12345.678E-2", 123}, {"1E+0", 1}, {"1.5E+999999999999", Max},
        // the 64-bit edges
        {"9223372036854775807", Max}, {"9223372036854775807.9", Max}, {"9223372036854775808", Max},
        {"-9223372036854775808", Min}, {"-9223372036854775809", Min},
        {"79228162514264337593543950335", Max}, {"-79228162514264337593543950335.5", Min},
        // no number at all
        {"", 0}, {"abc", 0}, {"1x", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Text);
        EXPECT_EQ(ResultIntegerPart(row.Text), row.Expected);
    }
}

} // namespace
