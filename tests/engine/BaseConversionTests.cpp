#include "BaseConversion.h"
#include "Decimal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr std::int64_t Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t Min = std::numeric_limits<std::int64_t>::min();

TIntegerPart PartOf(std::int64_t value)
{
    // The magnitude of the most negative value only exists unsigned.
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return TIntegerPart{value < 0, magnitude, false};
}

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
        EXPECT_EQ(IntegerPartToBinary(PartOf(row.Value)), row.Binary);
        EXPECT_EQ(IntegerPartToOctal(PartOf(row.Value)), row.Octal);
        EXPECT_EQ(IntegerPartToHexadecimal(PartOf(row.Value)), row.Hexadecimal);
    }
}

// The base fields show the value truncated toward zero, exactly to 96 bits.
TEST(ResultIntegerPart, ExactToTheDecimalTypesRange)
{
    static const struct {
        const char* Text;
        std::string Hexadecimal, Octal, Binary;
    } rows[] = {
        // results as the engine hands them back, lone numbers as typed
        {"14", "E", "16", "1110"},
        {"-2.5", "-2", "-2", "-10"},
        {".5", "0", "0", "0"},
        {"-.5", "0", "0", "0"},
        {"+5", "5", "5", "101"},
        {"007", "7", "7", "111"},
        // exponent forms of power results, by their value
        {"9.5367431640625E-07", "0", "0", "0"},
        {"-1.23456E+2", "-7B", "-173", "-1111011"},
        {"1E+20", "56BC75E2D63100000", "12657072742654304000000",
         "1010110101111000111010111100010110101100011000100000000000000000000"},
        // the 64- and 96-bit edges, either sign
        {"9223372036854775807", "7FFFFFFFFFFFFFFF", "777777777777777777777", std::string(63, '1')},
        {"9223372036854775808", "8000000000000000", "1000000000000000000000", "1" + std::string(63, '0')},
        {"-18446744073709551616.9", "-10000000000000000", "-2000000000000000000000", "-1" + std::string(64, '0')},
        {"79228162514264337593543950335", "FFFFFFFFFFFFFFFFFFFFFFFF", "77777777777777777777777777777777",
         std::string(96, '1')},
        {"-79228162514264337593543950335.5", "-FFFFFFFFFFFFFFFFFFFFFFFF", "-77777777777777777777777777777777",
         "-" + std::string(96, '1')},
        // a lone number beyond: said so, never a wrong number
        {"79228162514264337593543950336", "beyond 96 bits", "beyond 96 bits", "beyond 96 bits"},
        {"-1.5E+999999999999", "beyond 96 bits", "beyond 96 bits", "beyond 96 bits"},
        // no number at all
        {"", "0", "0", "0"},
        {"1x", "0", "0", "0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Text);
        const TIntegerPart part = ResultIntegerPart(row.Text);
        EXPECT_EQ(IntegerPartToHexadecimal(part), row.Hexadecimal);
        EXPECT_EQ(IntegerPartToOctal(part), row.Octal);
        EXPECT_EQ(IntegerPartToBinary(part), row.Binary);
    }
}

// The integer part taken from a value's magnitude is the one its text gives,
// for every scale and magnitudes up to 96 bits, either sign.
TEST(BaseConversion, IntegerPartOfAValueIsThatOfItsText)
{
    std::mt19937_64 random(31);
    for (int n = 0; n < 100000; ++n) {
        const int bits = static_cast<int>(random() % 97);
        TUInt128 magnitude = (static_cast<TUInt128>(random()) << 64 | random());
        magnitude = bits == 0 ? 0 : magnitude >> (128 - bits);
        TDecimal scaled;
        scaled.Lo = static_cast<std::uint64_t>(magnitude);
        scaled.Hi = static_cast<std::uint32_t>(magnitude >> 64);
        scaled.Scale = static_cast<std::uint8_t>(random() % 29);
        scaled.Negative = random() % 2 == 0;
        const std::string text = DecimalToText(scaled);
        SCOPED_TRACE(text);
        const TIntegerPart fromValue = DecimalIntegerPart(scaled);
        const TIntegerPart fromText = ResultIntegerPart(text);
        ASSERT_TRUE(fromValue.Magnitude == fromText.Magnitude);
        ASSERT_EQ(fromValue.Negative, fromText.Negative);
        ASSERT_FALSE(fromValue.TooLarge);
    }
}

} // namespace
