// The one grammar of number texts (its readers are checked against each
// other on the decimal vectors, in DecimalTests.cpp).
#include "NumberText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(NumberText, TakesTextApartByTheGrammar)
{
    struct TRow {
        const char* Text;
        bool Ok;
        bool Negative = false;
        const char* Integer = "";
        const char* Fraction = "";
        long long Exponent = 0;
    };
    const TRow rows[] = {
        {"1", true, false, "1", "", 0},
        {"-007.50", true, true, "007", "50", 0},
        {"+.5", true, false, "", "5", 0},
        {"5.", true, false, "5", "", 0},
        {"1e5", true, false, "1", "", 5},
        {"1.5E+05", true, false, "1", "5", 5},
        {"-9.5367431640625E-07", true, true, "9", "5367431640625", -7},
        {"1E-0", true, false, "1", "", 0},
        // The exponent saturates at its limit, either sign.
        {"1E99999999999999999999", true, false, "1", "", ExponentLimit},
        {"1E-1000000000000000", true, false, "1", "", -ExponentLimit},
        {"1E999999999999999", true, false, "1", "", 999'999'999'999'999},
        // No number: no digit, an exponent without digits, anything more.
        {"", false, false, "", "", 0},
        {"-", false, false, "", "", 0},
        {".", false, false, "", "", 0},
        {"+.E5", false, false, "", "", 0},
        {"1E", false, false, "", "", 0},
        {"1E+", false, false, "", "", 0},
        {"1.2.3", false, false, "", "", 0},
        {"--1", false, false, "", "", 0},
        {" 1", false, false, "", "", 0},
        {"1 ", false, false, "", "", 0},
        {"1e5.5", false, false, "", "", 0},
        {"0x1F", false, false, "", "", 0},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Text);
        TNumberText number;
        ASSERT_EQ(ReadNumberText(row.Text, number), row.Ok);
        if (row.Ok) {
            EXPECT_EQ(number.Negative, row.Negative);
            EXPECT_EQ(number.Integer, row.Integer);
            EXPECT_EQ(number.Fraction, row.Fraction);
            EXPECT_EQ(number.Exponent, row.Exponent);
            EXPECT_EQ(number.HasExponent, std::string(row.Text).find_first_of("Ee") != std::string::npos);
        }
    }
}

} // namespace
