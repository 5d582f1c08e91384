// The one grammar of number texts, and its readers agreeing with it.
#include "BaseConversion.h"
#include "Decimal.h"
#include "NumberText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// Every text of the decimal vectors: the type refuses as no number exactly
// what the grammar refuses, and the base fields read a number's integer
// part as the type reads its value.
TEST(NumberText, ReadersAgreeOnTheVectors)
{
    std::ifstream file(OV_TEST_DATA_DIR "/decimal_vectors.tsv");
    ASSERT_TRUE(file) << "missing test data";
    int rows = 0;
    for (std::string line; std::getline(file, line);) {
        std::vector<std::string> field;
        std::stringstream columns(line);
        for (std::string cell; std::getline(columns, cell, '\t');) {
            field.push_back(cell);
        }
        if (field.size() < 2 || (field[0] != "fromtext" && field[0] != "totext")) {
            continue;
        }
        SCOPED_TRACE(line);
        const std::string& text = field[1];
        TNumberText number;
        const bool read = ReadNumberText(text, number);
        const TDecimal value = DecimalFromText(text);
        EXPECT_EQ(value.Status == TDecimalStatus::NotANumber, !read);
        if (value.IsOk()) {
            EXPECT_EQ(IntegerPartToHexadecimal(ResultIntegerPart(text)),
                      IntegerPartToHexadecimal(ResultIntegerPart(DecimalToText(value))));
            EXPECT_EQ(DecimalToText(DecimalFromText(DecimalTextWithoutExponent(text))), DecimalToText(value));
        }
        ++rows;
    }
    EXPECT_GE(rows, 57);
}

} // namespace
