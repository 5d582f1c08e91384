#include "BaseConversion.h"
#include "Decimal.h"
#include "DecimalInternal.h"
#include "NumberText.h"
#include "Operators.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <random>
#include <string>
#include <vector>

namespace {

// The text a value shows, or "FAIL" for any failed one.
std::string Show(TDecimal value)
{
    return value.IsOk() ? DecimalToText(value) : "FAIL";
}

TDecimal Dec(const char* text)
{
    const TDecimal value = DecimalFromText(text);
    EXPECT_TRUE(value.IsOk()) << text;
    return value;
}

// Reference vectors, one row per line: op, a, b, expected, source.
TEST(DecimalVectors, EveryRowMatches)
{
    std::ifstream file(OV_TEST_DATA_DIR "/decimal_vectors.tsv");
    ASSERT_TRUE(file) << "missing test data";
    std::string line;
    int rows = 0;
    bool header = true;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (header) {
            header = false; // column names
            continue;
        }
        std::vector<std::string> field;
        std::stringstream columns(line);
        for (std::string cell; std::getline(columns, cell, '\t');) {
            field.push_back(cell);
        }
        field.resize(5);
        const std::string& op = field[0];
        SCOPED_TRACE(line);
        const TDecimal a = DecimalFromText(field[1]);
        const TDecimal b = DecimalFromText(field[2]);
        std::string actual;
        if (op == "add") {
            actual = Show(DecimalAdd(a, b));
        } else if (op == "sub") {
            actual = Show(DecimalSubtract(a, b));
        } else if (op == "mul") {
            actual = Show(DecimalMultiply(a, b));
        } else if (op == "div") {
            actual = Show(DecimalDivide(a, b));
        } else if (op == "fromtext" || op == "totext") {
            actual = Show(a);
            // The readers of number text agree: the type refuses as no number
            // exactly what the grammar refuses, and the base fields and the
            // exponent's removal read a number as the type reads its value.
            TNumberText number;
            EXPECT_EQ(a.Status == TDecimalStatus::NotANumber, !ReadNumberText(field[1], number));
            if (a.IsOk()) {
                EXPECT_EQ(IntegerPartToHexadecimal(ResultIntegerPart(field[1])),
                          IntegerPartToHexadecimal(ResultIntegerPart(DecimalToText(a))));
                EXPECT_EQ(Show(DecimalFromText(DecimalTextWithoutExponent(field[1]))), actual);
            }
        } else {
            ADD_FAILURE() << "unknown op " << op;
        }
        EXPECT_EQ(actual, field[3]);
        ++rows;
    }
    EXPECT_EQ(rows, 387);
}

struct TextRow {
    const char* Text;
    const char* Expected; // "FAIL" when the text must not read as a number
};

// Reading and writing back: signs, zeros, points and exponents.
TEST(DecimalText, ReadsAndWritesBack)
{
    static const TextRow rows[] = {
        // numbers as typed
        {"007", "7"},
        {"+5", "5"},
        {".5", "0.5"},
        {"5.", "5"},
        {"-.5", "-0.5"},
        {"1.50", "1.5"},
        {"3.0", "3"},
        // any zero is "0"
        {"-0", "0"},
        {"-0.000", "0"},
        {"+.0", "0"},
        {"0E+999999999", "0"},
        // exponent forms of power results
        {"1E+20", "100000000000000000000"},
        {"1.5E-07", "0.00000015"},
        {"1e1", "10"},
        {"2.5e0", "2.5"},
        {"9.5367431640625E-07", "0.00000095367431640625"},
        {"-1.4142135623731E+05", "-141421.35623731"},
        // the 96-bit boundary
        {"79228162514264337593543950335", "79228162514264337593543950335"},
        {"-79228162514264337593543950335", "-79228162514264337593543950335"},
        {"0079228162514264337593543950335.0000", "79228162514264337593543950335"},
        {"79228162514264337593543950335.4", "79228162514264337593543950335"},
        {"79228162514264337593543950335.5", "FAIL"},
        {"79228162514264337593543950336", "FAIL"},
        {"7.9228162514264337593543950335E+28", "79228162514264337593543950335"},
        {"1E+29", "FAIL"},
        // more digits than fit: half-even at the 28th place or where the magnitude fits
        {"0.12345678901234567890123456785", "0.1234567890123456789012345678"},
        {"0.12345678901234567890123456775", "0.1234567890123456789012345678"},
        {"0.123456789012345678901234567850000000000000001", "0.1234567890123456789012345679"},
        {"1.5E-28", "0.0000000000000000000000000002"},
        {"2.5E-28", "0.0000000000000000000000000002"},
        {"5E-29", "0"},
        {"5.0000000000000000000000000000000000000000001E-29", "0.0000000000000000000000000001"},
        {"1E-400", "0"},
        {"3.14159265358979323846264338327950288419716939937510", "3.1415926535897932384626433833"},
        {"12345678901234567890123456789.5", "12345678901234567890123456790"},
        // not numbers
        {"", "FAIL"},
        {"-", "FAIL"},
        {"+", "FAIL"},
        {"-.", "FAIL"},
        {"+.", "FAIL"},
        {".", "FAIL"},
        {"2-3", "FAIL"},
        {"1.2.3", "FAIL"},
        {"1e", "FAIL"},
        {"1E+", "FAIL"},
        {"E5", "FAIL"},
        {" 1", "FAIL"},
        {"1 ", "FAIL"},
        {"0x10", "FAIL"},
        {"1,5", "FAIL"},
        {"--1", "FAIL"},
    };
    for (const TextRow& row : rows) {
        SCOPED_TRACE(row.Text);
        EXPECT_EQ(Show(DecimalFromText(row.Text)), row.Expected);
    }
}

TEST(DecimalText, AMegabyteOfDigitsReadsInFull)
{
    const std::string tiny = "0." + std::string(1 << 20, '0') + "1";
    EXPECT_EQ(Show(DecimalFromText(tiny)), "0");
    const std::string huge = "1" + std::string(1 << 20, '0');
    EXPECT_EQ(DecimalFromText(huge).Status, TDecimalStatus::Overflow);
    const std::string third = "0." + std::string(1 << 20, '3');
    EXPECT_EQ(Show(DecimalFromText(third)), "0.3333333333333333333333333333");
}

// Power results are written as printf's "%.15G" would, '.' whatever the locale;
// without the exponent, an equation takes the same value back.
TEST(DecimalText, DoubleKindAsFifteenSignificantDigits)
{
    static const struct {
        double Value;
        const char* Expected;
        std::string Plain;
    } rows[] = {
        {1024, "1024", "1024"},
        {1.4142135623730951, "1.4142135623731", "1.4142135623731"},
        {1e20, "1E+20", "100000000000000000000"},
        {9.5367431640625e-07, "9.5367431640625E-07", "0.00000095367431640625"},
        {-8, "-8", "-8"},
        {-0.0, "0", "0"},
        {0.0001, "0.0001", "0.0001"},
        {0.00001, "1E-05", "0.00001"},
        {-0.00001, "-1E-05", "-0.00001"},
        {123456789012345678.0, "1.23456789012346E+17", "123456789012346000"},
        {999999999999999.9, "1E+15", "1000000000000000"},
        {7.9228162514264e28, "7.9228162514264E+28", "79228162514264000000000000000"},
        {1e-300, "1E-300", "0." + std::string(299, '0') + "1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Expected);
        EXPECT_EQ(DecimalToText(TDecimal::FromDouble(row.Value)), row.Expected);
        EXPECT_EQ(DecimalTextWithoutExponent(row.Expected), row.Plain);
        EXPECT_EQ(Show(DecimalFromText(row.Plain)), Show(DecimalFromText(row.Expected)));
    }
    // What is no number in exponent form comes back as it is.
    for (const char* text : {"2-3", "1e", "E5", "1.2.3E4", "1E+99999"}) {
        EXPECT_EQ(DecimalTextWithoutExponent(text), text);
    }
}

struct ArithmeticRow {
    char Op;
    const char* A;
    const char* B;
    const char* Expected;
};

std::string Apply(const ArithmeticRow& row)
{
    const TDecimal a = Dec(row.A);
    const TDecimal b = Dec(row.B);
    return Show(FindOperator(row.Op)->Apply(a, b));
}

TEST(DecimalArithmetic, ExactOrRoundedToTheLargestScaleThatFits)
{
    static const ArithmeticRow rows[] = {
        // exact decimal sums and products
        {'+', "0.1", "0.2", "0.3"},
        {'*', "1.5", "2", "3"},
        {'-', "1", "1", "0"},
        {'+', "-1", "1", "0"},
        {'*', "-0", "5", "0"},
        {'/', "0", "-5", "0"},
        {'+', "0.0000000000000000000000000001", "1", "1.0000000000000000000000000001"},
        {'+', "1E+20", "0.0000000000000000000000000001", "100000000000000000000"},
        // quotients rounded at the 28th place, or earlier when the integer part is large
        {'/', "1", "3", "0.3333333333333333333333333333"},
        {'/', "2", "3", "0.6666666666666666666666666667"},
        {'/', "10", "3", "3.3333333333333333333333333333"},
        {'/', "10000000000000000000000000000", "3", "3333333333333333333333333333.3"},
        {'/', "1", "0.0000000000000000000000000003", "3333333333333333333333333333.3"},
        {'/', "0.1234567890123456789012345678", "0.9876543210987654321098765432", "0.1249999988609375000142382812"},
        {'/', "79228162514264337593543950335", "0.5", "FAIL"},
        {'/', "79228162514264337593543950335", "2", "39614081257132168796771975168"},
        // ties go to the even neighbour
        {'*', "0.0000000000000000000000000005", "0.5", "0.0000000000000000000000000002"},
        {'*', "0.0000000000000000000000000015", "0.5", "0.0000000000000000000000000008"},
        {'+', "79228162514264337593543950334", "0.5", "79228162514264337593543950334"},
        {'+', "79228162514264337593543950335", "0.5", "FAIL"},
        {'/', "1", "7E+28", "0"},
        // the 96-bit boundary
        {'+', "79228162514264337593543950334", "1", "79228162514264337593543950335"},
        {'+', "79228162514264337593543950335", "1", "FAIL"},
        {'-', "-79228162514264337593543950335", "1", "FAIL"},
        {'*', "79228162514264337593543950335", "0.1", "7922816251426433759354395033.5"},
        {'*', "79228162514264337593543950335", "1.0000000000000000000000000001", "FAIL"},
        {'*', "7E+14", "1E+14", "70000000000000000000000000000"},
        {'*', "8E+14", "1E+14", "FAIL"},
        {'*', "0.1234567890123456789012345678", "0.1234567890123456789012345678", "0.0152415787532388367504953515"},
        {'*', "7.9228162514264337593543950335", "-7.9228162514264337593543950335", "-62.77101735386680763835789423"},
        {'+', "-79228162514264337593543950335", "0.0000000000000000000000000001", "-79228162514264337593543950335"},
        {'-', "1000", "0.9876543210987654321098765435", "999.0123456789012345678901235"},
        // integer powers, exact where the type holds them: 2^95 and 28 places are the ends
        {'^', "2", "10", "1024"},
        {'^', "2", "64", "18446744073709551616"},
        {'^', "7", "30", "22539340290692258087863249"},
        {'^', "2", "95", "39614081257132168796771975168"},
        {'^', "10", "20", "100000000000000000000"},
        {'^', "2", "3.000", "8"},
        {'^', "2", "-20", "0.00000095367431640625"},
        {'^', "0.1", "28", "0.0000000000000000000000000001"},
        {'^', "5", "-28", "0.0000000000000000000268435456"},
        {'^', "0.5", "-3", "8"},
        {'^', "0.2", "-40", "9094947017729282379150390625"},
        {'^', "-2", "3", "-8"},
        {'^', "-1", "100001", "-1"},
        {'^', "1", "79228162514264337593543950335", "1"},
        {'^', "-1", "-1E+28", "1"},
        // the rest through double precision: beyond 96 bits or 28 places, fractional
        // exponents, bases without a terminating reciprocal, a base of 0, roots
        {'^', "2", "96", "7.92281625142643E+28"},
        {'^', "0.1", "29", "1E-29"},
        {'^', "2", "-100", "7.88860905221012E-31"},
        {'^', "3", "-1", "0.333333333333333"},
        {'^', "1.0001", "100000000", "FAIL"},
        {'^', "0", "0", "1"},
        {'^', "2", "0.5", "1.4142135623731"},
        {'&', "3", "0.02", "7.17897987691853E+23"},
        {'&', "8", "3", "2"},
        {'&', "9", "2", "3"},
        {'^', "2451.7211", "4", "36131355830021.6"},
        {'&', "27", "3", "3"},
        {'&', "6171000000", "10", "9.52874170339901"},
        {'^', "1.0000001", "1000000000", "2.68810385821446E+43"},
        {'^', "-1.5", "-3", "-0.296296296296296"},
    };
    for (const ArithmeticRow& row : rows) {
        SCOPED_TRACE(std::string(row.A) + " " + row.Op + " " + row.B);
        EXPECT_EQ(Apply(row), row.Expected);
    }
}

struct FailureRow {
    char Op;
    const char* A;
    const char* B;
    TDecimalStatus Expected;
};

// Each failure carries its reason, and a failed value never reads as a number.
// The short ways (both operands below 2^64 for multiply; scales at most 19
// apart and aligned magnitudes below 2^95 for add and subtract) give what
// the general way gives: the same values written with one more trailing
// zero (so at another scale, or beyond 64 bits, or past 2^95) take it.
TEST(DecimalArithmetic, ShortWaysAgreeWithTheGeneralWay)
{
    std::mt19937_64 random(20261209);
    const auto widened = [](TDecimal x) {
        // x * 10 / 10: the value as it was, one scale up, when there is room.
        TDecimal wide = DecimalMultiply(x, DecimalFromText("1.0"));
        EXPECT_EQ(DecimalToText(wide), DecimalToText(x));
        return wide;
    };
    const std::pair<const char*, const char*> rows[] = {
        {"18446744073709551615", "18446744073709551615"},
        {"1", "-1"},
        {"-5", "3"},
        {"0", "-0"},
        {"9223372036854775808.5", "-0.5"},
        {"0.0000000000000000001", "0.0000000000000000009"},
        {"4294967296", "4294967296"},
        {"-12.25", "-7.75"},
        {"3961408125713216879677197516.7", "-0.1"},
        {"39614081257132168796771975167", "1"},
        {"1.5", "-39614081257132168796771975166"},
        {"0.0000000000000000001", "12345678901"},
        {"1", "0.00000000000000000001"},
        {"-7.50", "-7.5"},
        {"0.00000000000001", "-0.00000000000001"},
        {"281474976710656", "0.0000000000000281474976710656"},
        {"9999999999999999999.9999999999", "-9999999999999999999.9999999999"},
        {"79228162514264337593543950335", "0.5"},
        {"79228162514264337593543950335", "1"},
        {"50000000000000000000000000000", "40000000000000000000000000000"},
        {"-7.5", "7.50"},
    };
    std::vector<std::pair<TDecimal, TDecimal>> pairs;
    for (const auto& [a, b] : rows) {
        pairs.emplace_back(DecimalFromText(a), DecimalFromText(b));
    }
    for (int n = 0; n < 20000; ++n) {
        TDecimal a, b;
        a.Lo = random() >> (random() % 64);
        b.Lo = random() >> (random() % 64);
        if (n % 3 == 0) {
            a.Hi = static_cast<std::uint32_t>(random() >> (32 + random() % 32));
        }
        a.Scale = b.Scale = static_cast<std::uint8_t>(random() % 20);
        if (n % 2 == 0) {
            b.Scale = static_cast<std::uint8_t>(random() % 20); // multiply takes any scales
        }
        a.Negative = random() % 2 == 0;
        b.Negative = random() % 2 == 0;
        pairs.emplace_back(a, b);
    }
    for (const auto& [a, b] : pairs) {
        SCOPED_TRACE(DecimalToText(a) + " and " + DecimalToText(b));
        const TDecimal wa = widened(a);
        for (auto operation : {DecimalAdd, DecimalSubtract, DecimalMultiply}) {
            const TDecimal result = operation(a, b);
            ASSERT_EQ(Show(result), Show(operation(wa, b)));
            ASSERT_FALSE(result.IsZero() && result.Negative); // no -0
        }
    }
}

// Division by 10^k through a multiplication by the reciprocal, as rounding
// and text writing do it: the quotient and remainder of the division, for
// every k, at the edges (around multiples of 10^k, at the top of 128 bits)
// and on random values of every length.
TEST(DecimalArithmetic, DivisionByPowersOfTenAsByDividing)
{
    using decimal_detail::u128;
    const u128 top = ~u128{0};
    std::mt19937_64 random(20261209);
    for (int k = 1; k <= 19; ++k) {
        SCOPED_TRACE(k);
        const u128 d = decimal_detail::Pow10u64(k);
        std::vector<u128> rows = {0,
                                  1,
                                  d - 1,
                                  d,
                                  d + 1,
                                  2 * d - 1,
                                  top,
                                  top - 1,
                                  top - top % d,
                                  top - top % d - 1,
                                  u128{1} << 127,
                                  (u128{1} << 96) - 1,
                                  decimal_detail::Pow10(38),
                                  decimal_detail::Pow10(38) - 1};
        for (int n = 0; n < 2000; ++n) {
            rows.push_back(((u128{random()} << 64) | random()) >> (random() % 128));
        }
        for (const u128 n : rows) {
            u128 q = n;
            const std::uint64_t r = decimal_detail::DividePow10(q, k);
            ASSERT_TRUE(q == n / d && r == n % d)
                << static_cast<std::uint64_t>(n >> 64) << ":" << static_cast<std::uint64_t>(n);
        }
    }
}

TEST(DecimalFailures, CarryTheirReason)
{
    using S = TDecimalStatus;
    static const FailureRow rows[] = {
        {'/', "1", "0", S::DivisionByZero},
        {'/', "0", "0.000", S::DivisionByZero},
        {'&', "8", "0", S::DivisionByZero},
        {'^', "0", "-1", S::DivisionByZero},
        {'+', "79228162514264337593543950335", "1", S::Overflow},
        {'*', "1E+15", "1E+15", S::Overflow},
        {'/', "1E+28", "0.01", S::Overflow},
        {'^', "10", "400", S::Overflow},
        {'&', "2", "0.0001", S::Overflow},
        {'^', "-8", "0.5", S::NotReal},
        {'&', "-8", "3", S::NotReal},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(std::string(row.A) + " " + row.Op + " " + row.B);
        const TDecimal a = Dec(row.A);
        const TDecimal b = Dec(row.B);
        const TDecimal result = FindOperator(row.Op)->Apply(a, b);
        EXPECT_EQ(result.Status, row.Expected);
        EXPECT_EQ(DecimalToText(result), "");
        EXPECT_FALSE(DecimalFromText(DecimalToText(result)).IsOk());
    }
    EXPECT_EQ(DecimalFromText("1E+30").Status, S::Overflow);
    EXPECT_EQ(DecimalFromText("-").Status, S::NotANumber);
    EXPECT_EQ(DecimalReciprocal(Dec("0")).Status, S::DivisionByZero);
}

TEST(DecimalFailures, FirstFailedOperandIsHandedOn)
{
    const TDecimal notReal = TDecimal::Failed(TDecimalStatus::NotReal);
    const TDecimal zeroDivide = TDecimal::Failed(TDecimalStatus::DivisionByZero);
    const TDecimal one = Dec("1");
    EXPECT_EQ(DecimalAdd(notReal, zeroDivide).Status, TDecimalStatus::NotReal);
    EXPECT_EQ(DecimalSubtract(one, zeroDivide).Status, TDecimalStatus::DivisionByZero);
    EXPECT_EQ(DecimalMultiply(zeroDivide, one).Status, TDecimalStatus::DivisionByZero);
    EXPECT_EQ(DecimalDivide(one, notReal).Status, TDecimalStatus::NotReal);
    EXPECT_EQ(DecimalPower(notReal, one).Status, TDecimalStatus::NotReal);
    EXPECT_EQ(DecimalReciprocal(notReal).Status, TDecimalStatus::NotReal);
}

} // namespace
