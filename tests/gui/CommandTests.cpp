// The editing, memory, view, help, About and exit commands.
#include "CalculatorFixture.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/dialog.h>

#include "Decimal.h"
#include "frmAbout.h"

namespace {

struct TInsert {
    const char* Before;
    long From, To; // selection, or the caret twice
    wxWindowID Tool;
    const char* After;
    long Caret;
};

const TInsert Inserts[] = {
    // at the caret
    {"2+3", 3, 3, ids::ToolLeftParenthesis, "2+3(", 4},
    {"2+3", 0, 0, ids::ToolRightParenthesis, ")2+3", 1},
    {"", 0, 0, ids::ToolPi, "3.14159265358979", 16},
    {"2*", 2, 2, ids::ToolPi, "2*3.14159265358979", 18},
    {"2", 1, 1, ids::ToolExponent, "2^", 2},
    {"8", 0, 0, ids::ToolRoot, "&8", 1},
    // in place of the selection, not beside it
    {"2+3*4", 2, 3, ids::ToolExponent, "2+^*4", 3},
    {"2+3*4", 0, 5, ids::ToolRoot, "&", 1},
    {"2+3*4", 1, 4, ids::ToolLeftParenthesis, "2(4", 2},
    // nothing is checked: operators may stand anywhere
    {"2+", 2, 2, ids::ToolExponent, "2+^", 3},
};

class InsertTest : public CalculatorTest, public ::testing::WithParamInterface<TInsert> {};

TEST_P(InsertTest, ReplacesTheSelectionAndLeavesTheCaretAfter)
{
    const TInsert& row = GetParam();
    SetEquation(row.Before, row.From, row.To);
    ClickTool(row.Tool);
    EXPECT_EQ(EquationText(), row.After);
    EXPECT_EQ(Caret(), row.Caret);
    EXPECT_FALSE(HasSelection());
}

INSTANTIATE_TEST_SUITE_P(Tools, InsertTest, ::testing::ValuesIn(Inserts));

TEST_F(CalculatorTest, Clear_EmptiesOnlyTheEquation)
{
    Calculate("2+3*4");
    SetEquation("2+3*4", 0, 5);
    ClickTool(ids::ToolMemoryStore);
    ClickTool(ids::ToolClear);

    EXPECT_EQ(EquationText(), "");
    EXPECT_EQ(FieldText(ids::txtDecimal), "14");
    EXPECT_EQ(FieldText(ids::txtBinary), "1110");
    EXPECT_EQ(FieldText(ids::txtMemory), "2+3*4");
    EXPECT_EQ(StepLines().size(), 3u);
    EXPECT_EQ(RecentEquations().front(), "2+3*4");
}

// ---------------------------------------------------------------------------
// Memory

struct TStore {
    const char* Equation;
    long From, To;
    const char* Stored;
};

const TStore Stores[] = {
    {"12*(3+4)", 0, 8, "12*(3+4)"}, // all selected
    {"12*(3+4)", 8, 8, "12*(3+4)"}, // nothing selected: the whole text
    {"12*(3+4)", 2, 2, "12*(3+4)"},
    {"12*(3+4)", 4, 7, "3+4"}, // the selection only
    {"", 0, 0, ""},            // an empty box empties the memory
};

class StoreTest : public CalculatorTest, public ::testing::WithParamInterface<TStore> {};

TEST_P(StoreTest, StoresTheSelectionOrTheWholeEquation)
{
    const TStore& row = GetParam();
    Field(ids::txtMemory)->SetValue("old");
    SetEquation(row.Equation, row.From, row.To);
    ClickTool(ids::ToolMemoryStore);
    EXPECT_EQ(FieldText(ids::txtMemory), row.Stored);
    EXPECT_EQ(EquationText(), row.Equation) << "storing leaves the equation";
}

INSTANTIATE_TEST_SUITE_P(Memory, StoreTest, ::testing::ValuesIn(Stores));

TEST_F(CalculatorTest, MemoryRetrieve_InsertsTheMemoryText)
{
    SetEquation("3+4", 0, 3);
    ClickTool(ids::ToolMemoryStore);
    SetEquation("2*()", 3, 3);
    ClickTool(ids::ToolMemoryRetrieve);
    EXPECT_EQ(EquationText(), "2*(3+4)");
    EXPECT_EQ(Caret(), 6);
}

TEST_F(CalculatorTest, MemoryRetrieve_EmptyMemoryDeletesTheSelection)
{
    SetEquation("2+3*4", 1, 3);
    ClickTool(ids::ToolMemoryRetrieve);
    EXPECT_EQ(EquationText(), "2*4");
    EXPECT_EQ(Caret(), 1);
}

TEST_F(CalculatorTest, MemoryClear_EmptiesTheMemory)
{
    SetEquation("42", 0, 0);
    ClickTool(ids::ToolMemoryStore);
    ClickTool(ids::ToolMemoryClear);
    EXPECT_EQ(FieldText(ids::txtMemory), "");
    EXPECT_EQ(EquationText(), "42");
}

TEST_F(CalculatorTest, MemoryDoubleClick_ActsAsRetrieve)
{
    SetEquation("7", 0, 1);
    ClickTool(ids::ToolMemoryStore);
    SetEquation("1+2", 1, 2);
    DoubleClick(ids::txtMemory);
    EXPECT_EQ(EquationText(), "172");
}

TEST_F(CalculatorTest, DecimalDoubleClick_PutsTheResultAsTheWholeEquation)
{
    Calculate("2+3*4");
    SetEquation("9-8", 1, 1);
    DoubleClick(ids::txtDecimal);
    EXPECT_EQ(EquationText(), "14");
    EXPECT_EQ(StepsText(), "2+3*4\n2+12\n14\n") << "nothing is calculated";

    PressKey(WXK_RETURN);
    EXPECT_EQ(StepLines(), (std::vector<std::string>{"14"}));
    EXPECT_EQ(RecentEquations().front(), "14");
}

// Powers may give results in exponent form, which equations do not take:
// a double-click and Ctrl+Shift+C give them as digits, and they calculate
// again to the same value.
TEST_F(CalculatorTest, DecimalDoubleClick_EveryResultCalculatesAgain)
{
    const std::pair<const char*, const char*> rows[] = {
        {"10^20", "100000000000000000000"},
        {"2^-20", "0.00000095367431640625"},
        {"0-0.1^5", "-0.00001"},
        {"2^0.5", "1.4142135623731"},
        {"2^95.5", "56022770974786100000000000000"},
        {"3^-20", "0.000000000286797199079244"},
    };
    for (const auto& [equation, inserted] : rows) {
        SCOPED_TRACE(equation);
        Calculate(equation);
        const std::string result = FieldText(ids::txtDecimal);
        SendCommand(ids::CopyDecimal);
        ASSERT_TRUE(wxTheClipboard->Open());
        wxTextDataObject copied;
        EXPECT_TRUE(wxTheClipboard->GetData(copied));
        wxTheClipboard->Close();
        EXPECT_EQ(copied.GetText(), inserted) << "the copy as the double-click gives it";
        DoubleClick(ids::txtDecimal);
        EXPECT_EQ(EquationText(), inserted);
        PressKey(WXK_RETURN); // no message box: the guard fails the test on one
        EXPECT_EQ(DecimalToText(DecimalFromText(FieldText(ids::txtDecimal))), DecimalToText(DecimalFromText(result)));
    }
}

TEST_F(CalculatorTest, DecimalDoubleClick_WithoutAResultEmptiesTheEquation)
{
    SetEquation("9-8", 0, 0);
    DoubleClick(ids::txtDecimal);
    EXPECT_EQ(EquationText(), "");
}

// ---------------------------------------------------------------------------
// View > Steps

TEST_F(CalculatorTest, ViewSteps_HidingGivesTheResultColumnShowingWidensKeepingTheHeight)
{
    const wxSize shown = Window->GetClientSize();
    EXPECT_EQ(shown, Window->StepsShownClientSize());

    StepsItem()->Check(false);
    SendCommand(ids::mnuSteps);
    const wxSize hidden = Window->GetClientSize();
    EXPECT_EQ(hidden, Window->StepsHiddenClientSize());
    EXPECT_LT(hidden.x, shown.x);

    StepsItem()->Check(true);
    SendCommand(ids::mnuSteps);
    EXPECT_EQ(Window->GetClientSize(), wxSize(shown.x, hidden.y));
}

TEST_F(CalculatorTest, ViewSteps_HidingAfterTheUserMadeTheWindowTallerGoesBack)
{
    Window->SetClientSize(Window->GetClientSize() + wxSize(40, 120));
    StepsItem()->Check(false);
    SendCommand(ids::mnuSteps);
    EXPECT_EQ(Window->GetClientSize(), Window->StepsHiddenClientSize());
}

// ---------------------------------------------------------------------------
// Help, About, Exit

TEST_F(CalculatorTest, HelpTopics_WithoutAHelpFileSaysWhichFileIsMissing)
{
    ASSERT_FALSE(std::filesystem::exists(Window->GetHelpFileName()));
    const std::size_t before = wxTopLevelWindows.size();
    wxTEST_DIALOG(SendCommand(ids::mnuHelpTopics),
                  ExpectEngineMessage("The help cannot be shown: the file " +
                                      wxString::FromUTF8(Window->GetHelpFileName()) + " is missing or damaged."));
    wxTheApp->ProcessIdle();
    EXPECT_EQ(wxTopLevelWindows.size(), before) << "no help window";
}

// The About box: modal, a child of the main window, with its fixed id.
class ExpectAbout : public wxExpectDismissableModal<TfrmAbout> {
public:
    explicit ExpectAbout(wxWindow* owner) : wxExpectDismissableModal<TfrmAbout>(wxID_CANCEL), Owner(owner) {}

protected:
    int OnInvoked(TfrmAbout* dialog) const override
    {
        EXPECT_EQ(dialog->GetId(), ids::frmAbout);
        EXPECT_EQ(dialog->GetParent(), Owner);
        EXPECT_TRUE(dialog->GetTitle().StartsWith("About "));
        EXPECT_TRUE(dialog->HasFlag(wxCAPTION));
        EXPECT_FALSE(dialog->HasFlag(wxRESIZE_BORDER));
        return wxExpectDismissableModal<TfrmAbout>::OnInvoked(dialog);
    }

private:
    wxWindow* Owner;
};

TEST_F(CalculatorTest, About_ShowsTheAboutBoxModally)
{
    const std::size_t before = wxTopLevelWindows.size();
    wxTEST_DIALOG(SendCommand(ids::mnuAbout), ExpectAbout(Window));
    wxTheApp->ProcessIdle();
    EXPECT_EQ(wxTopLevelWindows.size(), before) << "the box is gone after it closes";
}

TEST_F(CalculatorTest, Exit_ClosesAgainstAVetoAndSaves)
{
    // A close handler that would keep the window if it could.
    Window->Bind(wxEVT_CLOSE_WINDOW, [](wxCloseEvent& event) {
        if (event.CanVeto()) {
            event.Veto();
        } else {
            event.Skip();
        }
    });
    Calculate("6*7");
    SendCommand(ids::mnuExit);
    wxTheApp->ProcessIdle();
    Window = nullptr; // deleted by now

    const std::string settings = ReadSettingsFile();
    EXPECT_NE(settings.find("ViewSteps=1"), std::string::npos) << settings;
    EXPECT_NE(settings.find("0=6*7"), std::string::npos) << settings;
}

} // namespace
