// The calculate command: Enter in the equation box, the result fields, the
// steps box, the recent-equation list and the engine's fault messages.
#include "CalculatorFixture.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>

#include <cstring>

#include "NativeWidgets.h"

namespace {

struct TCalculation {
    const char* Equation;
    std::vector<std::string> Steps;
    const char* Decimal;
    const char* Hexadecimal;
    const char* Octal;
    const char* Binary;
};

const std::string Ones96(96, '1');

// The base fields show the integer part of the result's value, truncated
// toward zero, exactly; the decimal field the result as is.
const TCalculation Calculations[] = {
    // precedence, one step per operation
    {"2+3*4", {"2+3*4", "2+12", "14"}, "14", "E", "16", "1110"},
    // spaces are dropped from the steps, not from the recent list
    {"2 + 3", {"2+3", "5"}, "5", "5", "5", "101"},
    // negative results: sign and magnitude, truncated toward zero
    {"-5/2", {"-5/2", "-2.5"}, "-2.5", "-2", "-2", "-10"},
    {"-1/2", {"-1/2", "-0.5"}, "-0.5", "0", "0", "0"},
    {"3/4", {"3/4", "0.75"}, "0.75", "0", "0", "0"},
    // a lone number keeps its typed text
    {".5", {".5"}, ".5", "0", "0", "0"},
    // beyond 64 bits the base fields are as exact
    {"9223372036854775807+1",
     {"9223372036854775807+1", "9223372036854775808"},
     "9223372036854775808",
     "8000000000000000",
     "1000000000000000000000",
     "1000000000000000000000000000000000000000000000000000000000000000"},
    {"-9223372036854775807-2",
     {"-9223372036854775807-2", "-9223372036854775809"},
     "-9223372036854775809",
     "-8000000000000001",
     "-1000000000000000000001",
     "-1000000000000000000000000000000000000000000000000000000000000001"},
    // the 96-bit edge: every digit, scrolling where the field is too narrow
    {"79228162514264337593543950335",
     {"79228162514264337593543950335"},
     "79228162514264337593543950335",
     "FFFFFFFFFFFFFFFFFFFFFFFF",
     "77777777777777777777777777777777",
     Ones96.c_str()},
    // exponent forms are read by value, not by their leading digits
    {"2^95.5",
     {"2^95.5", "5.60227709747861E+28"},
     "5.60227709747861E+28",
     "B504F333F9DE40360BA74000",
     "55202363147747362003301351640000",
     "101101010000010011110011001100111111100111011110010000000011011000001011101001110100000000000000"},
    // integer powers are exact where the type holds them
    {"2^-20", {"2^-20", "0.00000095367431640625"}, "0.00000095367431640625", "0", "0", "0"},
    {"2^64-1",
     {"2^64-1", "18446744073709551616-1", "18446744073709551615"},
     "18446744073709551615",
     "FFFFFFFFFFFFFFFF",
     "1777777777777777777777",
     "1111111111111111111111111111111111111111111111111111111111111111"},
    {"10^20",
     {"10^20", "100000000000000000000"},
     "100000000000000000000",
     "56BC75E2D63100000",
     "12657072742654304000000",
     "1010110101111000111010111100010110101100011000100000000000000000000"},
};

class CalculationTest : public CalculatorTest, public ::testing::WithParamInterface<TCalculation> {};

TEST_P(CalculationTest, EnterFillsResultFieldsStepsAndRecentList)
{
    const TCalculation& row = GetParam();
    Calculate(row.Equation);

    EXPECT_EQ(StepLines(), row.Steps);
    EXPECT_EQ(FieldText(ids::txtDecimal), row.Decimal);
    EXPECT_EQ(FieldText(ids::txtHexadecimal), row.Hexadecimal);
    EXPECT_EQ(FieldText(ids::txtOctal), row.Octal);
    EXPECT_EQ(FieldText(ids::txtBinary), row.Binary);
#ifdef __WXGTK__
    // Digits out of sight are shown to be there.
    EXPECT_EQ(HasScrollCue(Field(ids::txtBinary)), std::strlen(row.Binary) > 65);
#endif

    // The equation stays, selected whole, and heads the recent list.
    EXPECT_EQ(EquationText(), row.Equation);
    long from = -1, to = -1;
    Equation()->GetSelection(&from, &to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, static_cast<long>(std::string(row.Equation).size()));
    ASSERT_FALSE(RecentEquations().empty());
    EXPECT_EQ(RecentEquations().front(), row.Equation);
}

INSTANTIATE_TEST_SUITE_P(Results, CalculationTest, ::testing::ValuesIn(Calculations));

TEST_F(CalculatorTest, SecondCalculation_ReplacesTheStepsOfTheFirst)
{
    Calculate("1+2+3");
    Calculate("7*6");
    EXPECT_EQ(StepLines(), (std::vector<std::string>{"7*6", "42"}));
}

TEST_F(CalculatorTest, KeysOtherThanEnter_DoNotCalculate)
{
    Equation()->SetValue("2+3");
    for (int key : {int('5'), int(WXK_TAB), int(WXK_ESCAPE), int(WXK_SPACE)}) {
        PressKey(key);
    }
    EXPECT_EQ(FieldText(ids::txtDecimal), "");
    EXPECT_EQ(StepsText(), "");
    EXPECT_EQ(RecentEquations(), std::vector<std::string>(10, ""));
}

// "=" calculates as Enter does, as on a desktop calculator, and is not typed.
TEST_F(CalculatorTest, EnterAndEquals_Calculate)
{
    for (int key : {int(WXK_NUMPAD_ENTER), int('='), int(WXK_NUMPAD_EQUAL)}) {
        SCOPED_TRACE(key);
        Equation()->SetValue("6*7");
        Field(ids::txtDecimal)->Clear();
        PressKey(key);
        EXPECT_EQ(FieldText(ids::txtDecimal), "42");
        EXPECT_EQ(EquationText(), "6*7");
    }
}

TEST_F(CalculatorTest, ManySteps_OneLineEach)
{
    std::string equation = "1";
    for (int i = 0; i < 300; ++i) {
        equation += "+1";
    }
    Calculate(equation);
    const std::vector<std::string> lines = StepLines();
    ASSERT_EQ(lines.size(), 301u);
    EXPECT_EQ(lines.front(), equation);
    // "1+1" became "2", the rest as it was.
    EXPECT_EQ(lines[1].front(), '2');
    EXPECT_EQ(lines[1].substr(1), equation.substr(3));
    EXPECT_EQ(lines.back(), "301");
    // The box opens at its first line, the equation as typed.
    EXPECT_EQ(Steps()->GetFirstVisibleLine(), 0u);
}

// Every step of a long equation is there, read on demand; the result is shown
// in full all the same, and the next calculation starts afresh.
TEST_F(CalculatorTest, LongEquation_EveryStepInTheBox)
{
    std::string equation = "1";
    for (int i = 0; i < 20000; ++i) {
        equation += "+1";
    }
    Calculate(equation);
    ASSERT_EQ(Steps()->GetLineCount(), 20001u);
    EXPECT_EQ(Steps()->GetLines(10000, 10001), "10001" + equation.substr(20001));
    EXPECT_EQ(Steps()->GetLines(20000, 20001), "20001");
    EXPECT_EQ(FieldText(ids::txtDecimal), "20001");
    EXPECT_EQ(Steps()->GetFirstVisibleLine(), 0u);

    Calculate("2*3");
    EXPECT_EQ(StepLines(), (std::vector<std::string>{"2*3", "6"}));
}

// Copy gives the exact step texts of the selected lines, "\n" between them;
// a selection too large to copy is refused with a message.
class ExpectCopyRefused : public wxExpectDismissableModal<TMessageBox> {
public:
    ExpectCopyRefused() : wxExpectDismissableModal<TMessageBox>(wxID_OK) {}

protected:
    int OnInvoked(TMessageBox* dialog) const override
    {
        EXPECT_EQ(dialog->GetCaption(), "Orvandale Calculator");
        EXPECT_NE(dialog->GetMessage().Find("Select fewer steps"), wxNOT_FOUND) << dialog->GetMessage();
        return wxExpectDismissableModal<TMessageBox>::OnInvoked(dialog);
    }
};

TEST_F(CalculatorTest, CopySelectedSteps)
{
    Calculate("(1+2)*3&3");
    Steps()->SelectLines(1, 3);
    EXPECT_EQ(Steps()->GetSelectedText(), "(3)*3&3\n3*3&3");
    ASSERT_TRUE(Steps()->CopySelection());
    if (wxTheClipboard->Open()) {
        wxTextDataObject data;
        EXPECT_TRUE(wxTheClipboard->GetData(data));
        EXPECT_EQ(data.GetText(), "(3)*3&3\n3*3&3");
        wxTheClipboard->Close();
    }

    // 12,000 operators: some 140 MB of step text.
    std::string equation = "1";
    for (int i = 0; i < 12000; ++i) {
        equation += "+1";
    }
    Calculate(equation);
    Steps()->SelectLines(0, Steps()->GetLineCount());
    bool copied = true;
    wxTEST_DIALOG(copied = Steps()->CopySelection(), ExpectCopyRefused());
    EXPECT_FALSE(copied);
}

// ---------------------------------------------------------------------------
// Recent-equation list

TEST_F(CalculatorTest, RecentList_StartsWithTenEmptyItems)
{
    EXPECT_EQ(RecentEquations(), std::vector<std::string>(10, ""));
    EXPECT_EQ(EquationText(), "");
}

TEST_F(CalculatorTest, RecentList_NewestFirstAtMostTenDuplicatesKept)
{
    const char* const equations[] = {"1+1", "2+2", "2+2", "3+3", "4+4",   "5+5",
                                     "6+6", "7+7", "8+8", "9+9", "10+10", "11+11"};
    for (const char* equation : equations) {
        Calculate(equation);
    }
    EXPECT_EQ(RecentEquations(),
              (std::vector<std::string>{"11+11", "10+10", "9+9", "8+8", "7+7", "6+6", "5+5", "4+4", "3+3", "2+2"}));
}

TEST_F(CalculatorTest, RecentList_KeepsTheEquationAsTyped)
{
    Calculate(" 2 +  3 ");
    EXPECT_EQ(RecentEquations().front(), " 2 +  3 ");
}

TEST_F(CalculatorTest, RecentList_IgnoresFailedAndEmptyEquations)
{
    Calculate("1+1");
    wxTEST_DIALOG(Calculate("1+"), ExpectEngineMessage("Unexpected character."));
    Calculate("");
    const std::vector<std::string> items = RecentEquations();
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(items[0], "1+1");
    EXPECT_EQ(items[1], "");
}

// ---------------------------------------------------------------------------
// Faults

struct TFault {
    const char* Equation;
    const char* Message;
    long Position; // in characters of the equation text
};

const TFault Faults[] = {
    // scanner faults, each at the character it names
    {"2x", "Invalid character found.", 1},
    {"1.2.3", "More than one decimal point found.", 3},
    {"(2", "Opening parenthesis with no matching closing parenthesis found.", 0},
    {"2)", "Closing parenthesis with no matching opening parenthesis found.", 1},
    {"5+ ", "Unexpected character.", 2},
    {"2+.", "Decimal point with no integer nor decimal part.", 2},
    // arithmetic faults, at the operator
    {"1+2/0", "Division by zero.", 3},
    // a character beyond printable ASCII is named, and selected whole however
    // many bytes it takes: a zero-width space, an emoji's variation selector,
    // a no-break space, a control character
    {"1+\xC3\xA9", "Invalid character found. (U+00E9 at position 3)", 2},
    {"1+\xE2\x80\x8B"
     "2",
     "Invalid character found. (U+200B at position 3)", 2},
    {"7\xEF\xB8\x8F", "Invalid character found. (U+FE0F at position 2)", 1},
    {"1\xC2\xA0+2", "Invalid character found. (U+00A0 at position 2)", 1},
    {"1+\x01"
     "2",
     "Invalid character found. (U+0001 at position 3)", 2},
};

class FaultTest : public CalculatorTest, public ::testing::WithParamInterface<TFault> {};

TEST_P(FaultTest, MessageBoxThenTheCharacterIsSelected)
{
    const TFault& row = GetParam();
    const wxString equation = wxString::FromUTF8(row.Equation);
    wxTEST_DIALOG(Calculate(equation), ExpectEngineMessage(row.Message));

    EXPECT_EQ(EquationText(), row.Equation);
    long from = -1, to = -1;
    Equation()->GetSelection(&from, &to);
    EXPECT_EQ(from, row.Position);
    EXPECT_EQ(to, row.Position + 1);
}

INSTANTIATE_TEST_SUITE_P(Messages, FaultTest, ::testing::ValuesIn(Faults));

TEST_F(CalculatorTest, Fault_ClearsTheResultsAndLeavesTheRecentList)
{
    Calculate("2+3*4");
    wxTEST_DIALOG(Calculate("2*/3"), ExpectEngineMessage("Unexpected character."));

    for (wxWindowID id : {ids::txtDecimal, ids::txtHexadecimal, ids::txtOctal, ids::txtBinary}) {
        EXPECT_EQ(FieldText(id), "") << "no result of another equation beside this one";
    }
    EXPECT_EQ(RecentEquations().front(), "2+3*4");
    EXPECT_EQ(RecentEquations()[1], "");
    EXPECT_EQ(EquationText(), "2*/3");
}

// The steps reported before an arithmetic fault are on screen while its
// message box is up, and stay afterwards.
class ExpectMessageOverSteps : public ExpectEngineMessage {
public:
    ExpectMessageOverSteps(const wxString& message, TStepsView* steps, const std::string& expected)
        : ExpectEngineMessage(message), Steps(steps), Expected(expected)
    {
    }

protected:
    int OnInvoked(TMessageBox* dialog) const override
    {
        EXPECT_EQ(Steps->GetLines(0, Steps->GetLineCount()) + "\n", Expected);
        return ExpectEngineMessage::OnInvoked(dialog);
    }

private:
    TStepsView* Steps;
    std::string Expected;
};

TEST_F(CalculatorTest, ArithmeticFault_StepsSoFarShowBeforeTheMessage)
{
    Calculate("1+1");
    wxTEST_DIALOG(Calculate("2*3+1/0"), ExpectMessageOverSteps("Division by zero.", Steps(), "2*3+1/0\n6+1/0\n"));
    EXPECT_EQ(StepsText(), "2*3+1/0\n6+1/0\n");
    const TStepHistory::TMark failed = Steps()->GetHistory().MarkOf(1);
    EXPECT_EQ(std::make_pair(failed.Start, failed.Length), std::make_pair(std::size_t{2}, std::size_t{3})) << "1/0";
    EXPECT_EQ(FieldText(ids::txtDecimal), "");
}

TEST_F(CalculatorTest, EmptyEquation_ClearsStepsOnlyAndShowsNothing)
{
    Calculate("2+3*4");
    Calculate("");
    EXPECT_EQ(StepsText(), "");
    EXPECT_EQ(FieldText(ids::txtDecimal), "14");
    EXPECT_EQ(RecentEquations().front(), "2+3*4");
}

} // namespace
