// The equation box's editing: the caret and history keys at any length,
// undo and redo of every kind of change, and nothing inserted beyond what
// the box holds.
#include "CalculatorFixture.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>

#include <utility>
#include <vector>

#include "EquationEditor.h"

namespace {

struct TKey {
    int Code;
    int Modifiers = wxMOD_NONE;
};

class EditingTest : public CalculatorTest {
protected:
    // A key as the box receives it first; false when the box's own
    // handling would go on to take it (a character to type, say).
    bool SendKey(TKey key)
    {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = key.Code;
        event.SetControlDown((key.Modifiers & wxMOD_CONTROL) != 0);
        event.SetShiftDown((key.Modifiers & wxMOD_SHIFT) != 0);
        event.SetEventObject(Equation());
        return Equation()->ProcessWindowEvent(event);
    }

    // Each character as a key, then put in by the box as it would.
    void Type(const wxString& text)
    {
        for (wxUniChar c : text)
            if (!SendKey({static_cast<int>(c.GetValue())}))
                Equation()->WriteText(wxString(c));
    }

    void Backspace()
    {
        if (SendKey({WXK_BACK}))
            return;
        long from = 0, to = 0;
        Equation()->GetSelection(&from, &to);
        Equation()->Remove(from == to ? from - 1 : from, to);
    }

    // caret and anchor as the selection's two ends: the caret where a key
    // moves it, the anchor where the selection started.
    void Select(long caret, long anchor)
    {
        if (caret == anchor)
            Equation()->SetInsertionPoint(caret);
        else
            Equation()->SetSelection(caret, anchor);
    }

    std::pair<long, long> CaretAndAnchor() const
    {
        long from = 0, to = 0;
        Equation()->GetSelection(&from, &to);
        const long caret = Caret();
        return {caret, caret == from ? to : from};
    }

    void SetRecentList(std::initializer_list<const char*> items)
    {
        Equation()->Clear();
        for (const char* item : items)
            Equation()->Append(item);
    }

    TEquationEditor& Editor() { return Window->GetEquationEditor(); }
};

void SetClipboardText(const wxString& text)
{
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject(text));
    wxTheClipboard->Close();
}

// ---------------------------------------------------------------------------
// The editing keys: the same rows at two lengths

constexpr long End = -1; // the end of the text, whatever its length
constexpr int Ctrl = wxMOD_CONTROL;
constexpr int Shift = wxMOD_SHIFT;

struct TEditingKey {
    const char* Name;
    long Caret, Anchor; // before: equal for a bare caret
    std::vector<TKey> Keys;
    const char* After;  // the text after, null for unchanged
    bool FromList;      // After is a recent equation, not an edit of the text
    long CaretAfter, AnchorAfter;
};

const char* const EditedText = "12.5 + (3*4)-6.7";

const TEditingKey EditingKeys[] = {
    // the caret, and a selection giving way to its edge
    {"Left", 5, 5, {{WXK_LEFT}}, nullptr, false, 4, 4},
    {"Left at the start", 0, 0, {{WXK_LEFT}}, nullptr, false, 0, 0},
    {"Right", 5, 5, {{WXK_RIGHT}}, nullptr, false, 6, 6},
    {"Left goes to a selection's start", 9, 3, {{WXK_LEFT}}, nullptr, false, 3, 3},
    {"Right goes to its end", 3, 9, {{WXK_RIGHT}}, nullptr, false, 9, 9},
    {"Ctrl+Left goes to its start too", 9, 3, {{WXK_LEFT, Ctrl}}, nullptr, false, 3, 3},
    {"Home", 7, 7, {{WXK_HOME}}, nullptr, false, 0, 0},
    {"End", 7, 7, {{WXK_END}}, nullptr, false, End, End},
    // Shift extends from the anchor
    {"Shift+Left", 5, 5, {{WXK_LEFT, Shift}}, nullptr, false, 4, 5},
    {"Shift+Right twice", 5, 5, {{WXK_RIGHT, Shift}, {WXK_RIGHT, Shift}}, nullptr, false, 7, 5},
    {"Shift+Home", 7, 7, {{WXK_HOME, Shift}}, nullptr, false, 0, 7},
    {"Shift+End", 7, 7, {{WXK_END, Shift}}, nullptr, false, End, 7},
    // Ctrl: a whole number, or one operator, and the spaces after it
    {"Ctrl+Right over a number", 0, 0, {{WXK_RIGHT, Ctrl}}, nullptr, false, 5, 5},
    {"Ctrl+Right over an operator", 5, 5, {{WXK_RIGHT, Ctrl}}, nullptr, false, 7, 7},
    {"Ctrl+Right over 6.7, one number", 13, 13, {{WXK_RIGHT, Ctrl}}, nullptr, false, 16, 16},
    {"Ctrl+Left over a number", 4, 4, {{WXK_LEFT, Ctrl}}, nullptr, false, 0, 0},
    {"Ctrl+Left over spaces and an operator", 7, 7, {{WXK_LEFT, Ctrl}}, nullptr, false, 5, 5},
    {"Ctrl+Left from inside 6.7", 15, 15, {{WXK_LEFT, Ctrl}}, nullptr, false, 13, 13},
    {"Ctrl+Shift+Right selects a number", 0, 0, {{WXK_RIGHT, Ctrl | Shift}}, nullptr, false, 5, 0},
    // Ctrl with Backspace or Delete: what Ctrl with Left or Right passes
    {"Ctrl+Backspace", 4, 4, {{WXK_BACK, Ctrl}}, " + (3*4)-6.7", false, 0, 0},
    {"Ctrl+Delete", 5, 5, {{WXK_DELETE, Ctrl}}, "12.5 (3*4)-6.7", false, 5, 5},
    {"Ctrl+Backspace takes a selection", 9, 7, {{WXK_BACK, Ctrl}}, "12.5 + *4)-6.7", false, 7, 7},
    // the recent list, as a shell's history; the text typed is kept
    {"Up: the newest equation", 5, 5, {{WXK_UP}}, "7*6", true, 3, 3},
    {"Up passes blank items", 5, 5, {{WXK_UP}, {WXK_UP}}, "1+2", true, 3, 3},
    {"Up at the oldest stays", 5, 5, {{WXK_UP}, {WXK_UP}, {WXK_UP}}, "1+2", true, 3, 3},
    {"Down gives the typed text back", 5, 5, {{WXK_UP}, {WXK_DOWN}}, nullptr, false, 5, 5},
    {"with its selection", 3, 9, {{WXK_UP}, {WXK_UP}, {WXK_DOWN}, {WXK_DOWN}}, nullptr, false, 3, 9},
    {"Down with nothing newer", 5, 5, {{WXK_DOWN}}, nullptr, false, 5, 5},
    {"Page Up", 5, 5, {{WXK_PAGEUP}}, nullptr, false, 5, 5},
    {"Page Down", 5, 5, {{WXK_PAGEDOWN}}, nullptr, false, 5, 5},
};

TEST_F(EditingTest, EditingKeysActAlikeAtAnyLength)
{
    SetRecentList({"7*6", "", " ", "1+2"});
    // Long enough for GTK's own caret motion to take seconds a key.
    wxString filler;
    while (filler.length() < 60000)
        filler += "+1";
    for (const wxString& tail : {wxString(), filler}) {
        const wxString text = EditedText + tail;
        const long end = static_cast<long>(text.length());
        for (const TEditingKey& row : EditingKeys) {
            SCOPED_TRACE(std::string(row.Name) + (tail.empty() ? "" : " (long)"));
            Equation()->SetValue(text);
            Select(row.Caret, row.Anchor);
            for (const TKey& key : row.Keys)
                EXPECT_TRUE(SendKey(key)) << "the box's own handling would take the key";
            const wxString after = row.After == nullptr ? text : row.FromList ? wxString(row.After) : row.After + tail;
            EXPECT_EQ(Equation()->GetValue(), after);
            const auto at = [end](long position) { return position == End ? end : position; };
            EXPECT_EQ(CaretAndAnchor(), std::make_pair(at(row.CaretAfter), at(row.AnchorAfter)));
        }
    }
}

// ---------------------------------------------------------------------------
// Undo and redo

enum class TOp { Type, Backspace, Select, Enter, Paste, Cut, Tool, Retrieve, Up, Pick };

struct TEdit {
    TOp Op;
    const char* Text = "";
    long Caret = 0, Anchor = 0; // Select; Tool: Caret is the tool; Pick: the item
};

struct TUndo {
    const char* Name;
    std::vector<TEdit> Edits;
    // The text after each Ctrl+Z until there is nothing more to undo; each
    // redo then gives them back in the other order, the last edit's text last.
    std::vector<const char*> Undone;
};

const TUndo Undos[] = {
    {"typing, a word at a time", {{TOp::Type, "12+345"}}, {"12+", "12", ""}},
    {"typing over a selection", {{TOp::Type, "2+3*4"}, {TOp::Select, "", 2, 3}, {TOp::Type, "56"}},
     {"2+3*4", "2+3*", "2+3", "2+", "2", ""}},
    {"Backspace, a word at a time",
     {{TOp::Type, "12+345"}, {TOp::Backspace}, {TOp::Backspace}, {TOp::Backspace}, {TOp::Backspace}},
     {"12+", "12+345", "12+", "12", ""}},
    {"calculating is no change", {{TOp::Type, "6*7"}, {TOp::Enter}, {TOp::Type, "1"}}, {"6*7", "6*", "6", ""}},
    {"an insert and Clear", {{TOp::Type, "2*"}, {TOp::Tool, "", ids::ToolPi}, {TOp::Tool, "", ids::ToolClear}},
     {"2*3.14159265358979", "2*", "2", ""}},
    {"a paste and a cut", {{TOp::Type, "1+"}, {TOp::Paste, "2+3\n"}, {TOp::Select, "", 0, 2}, {TOp::Cut}},
     {"1+2+3", "1+", "1", ""}},
    {"the memory over a selection", {{TOp::Type, "8-2"}, {TOp::Select, "", 0, 3}, {TOp::Retrieve, "40"}},
     {"8-2", "8-", "8", ""}},
    {"walking and picking from the list", {{TOp::Type, "5"}, {TOp::Up}, {TOp::Pick, "", 3}},
     {"7*6", "5", ""}},
};

class UndoTest : public EditingTest, public ::testing::WithParamInterface<TUndo> {
protected:
    void Do(const TEdit& edit)
    {
        switch (edit.Op) {
        case TOp::Type: Type(edit.Text); break;
        case TOp::Backspace: Backspace(); break;
        case TOp::Select: Select(edit.Caret, edit.Anchor); break;
        case TOp::Enter: PressKey(WXK_RETURN); break;
        case TOp::Paste:
            SetClipboardText(edit.Text);
            Equation()->Paste();
            break;
        case TOp::Cut: Equation()->Cut(); break;
        case TOp::Tool: ClickTool(static_cast<wxWindowID>(edit.Caret)); break;
        case TOp::Retrieve:
            Field(ids::txtMemory)->SetValue(edit.Text);
            ClickTool(ids::ToolMemoryRetrieve);
            break;
        case TOp::Up: SendKey({WXK_UP}); break;
        case TOp::Pick: {
            Equation()->SetSelection(static_cast<int>(edit.Caret));
            wxCommandEvent picked(wxEVT_COMBOBOX, ids::cboEquation);
            picked.SetInt(static_cast<int>(edit.Caret));
            picked.SetEventObject(Equation());
            Equation()->ProcessWindowEvent(picked);
            break;
        }
        }
        wxTheApp->ProcessPendingEvents(); // what the box does once a key is through
    }
};

TEST_P(UndoTest, EveryChangeIsUndoneAndRedoneStepByStep)
{
    const TUndo& row = GetParam();
    SetRecentList({"7*6", "", "", "1+2"});
    for (const TEdit& edit : row.Edits)
        Do(edit);
    const wxString last = Equation()->GetValue();

    std::vector<wxString> texts;
    for (const char* expected : row.Undone) {
        SendKey({'Z', Ctrl});
        EXPECT_EQ(Equation()->GetValue(), wxString(expected));
        texts.insert(texts.begin(), expected);
    }
    EXPECT_FALSE(Editor().CanUndo());
    texts.erase(texts.begin());
    texts.push_back(last);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SendKey(i % 2 == 0 ? TKey{'Z', Ctrl | Shift} : TKey{'Y', Ctrl});
        EXPECT_EQ(Equation()->GetValue(), texts[i]);
    }
    EXPECT_FALSE(Editor().CanRedo());
}

INSTANTIATE_TEST_SUITE_P(Edits, UndoTest, ::testing::ValuesIn(Undos));

TEST(EditHistory, HoldsChangesNotCopiesAndForgetsTheOldest)
{
    TEditHistory history;
    const wxString full(wxUniChar('1'), TEquationEditor::Capacity);
    for (int i = 0; i < 100; ++i)
        history.Record({0, full, ""}, TChangeKind::Command);
    EXPECT_LE(history.UndoCount() * full.length(), TEditHistory::Budget);
    EXPECT_GE(history.UndoCount(), 10u);
}

// ---------------------------------------------------------------------------
// Nothing beyond the box's capacity

enum class TAction { Tool, Retrieve, Paste, DoubleClickResult };

struct TInsertAtCapacity {
    const char* Name;
    std::size_t Kept, Selected; // '1's in the box, the last of them selected
    TAction Action;
    wxWindowID Tool;
    wxString Text; // the memory, or the clipboard
    const char* Message; // how the refusal starts, null when none
    std::size_t LengthAfter;
};

const std::size_t Capacity = TEquationEditor::Capacity;

const TInsertAtCapacity InsertsAtCapacity[] = {
    {"PI past the capacity", Capacity - 10, 0, TAction::Tool, ids::ToolPi, "",
     "With the inserted text the equation would be 65540 characters long, and the equation box holds at most "
     "65534 characters.",
     Capacity - 10},
    {"PI in place of as much", Capacity, 16, TAction::Tool, ids::ToolPi, "", nullptr, Capacity},
    {"a parenthesis into a full box", Capacity, 0, TAction::Tool, ids::ToolLeftParenthesis, "",
     "With the inserted text the equation would be 65535 characters", Capacity},
    {"an operator into the last place", Capacity - 1, 0, TAction::Tool, ids::ToolExponent, "", nullptr, Capacity},
    {"the memory past the capacity", Capacity - 14, 0, TAction::Retrieve, 0, "12345678901234567890",
     "With the inserted text the equation would be 65540 characters", Capacity - 14},
    {"a paste that fits", 0, 0, TAction::Paste, 0, wxString(wxUniChar('2'), 200), nullptr, 200},
    {"a paste past the capacity", Capacity - 10, 0, TAction::Paste, 0, wxString(wxUniChar('2'), 11),
     "With the pasted text the equation would be 65535 characters", Capacity - 10},
    {"a line end after the text", 2, 0, TAction::Paste, 0, "+3\r\n", nullptr, 4},
    {"several lines", 2, 0, TAction::Paste, 0, "1+1\n2+2\n", "The pasted text has 2 lines,", 2},
    {"a result in place of a full box", Capacity, 0, TAction::DoubleClickResult, 0, "", nullptr, 2},
};

// A refusal's message box: its text starts as expected.
class ExpectRefusal : public wxExpectModal<wxMessageDialog> {
public:
    explicit ExpectRefusal(const char* start) : wxExpectModal<wxMessageDialog>(wxID_OK), Start(start) {}

protected:
    int OnInvoked(wxMessageDialog* dialog) const override
    {
        EXPECT_EQ(dialog->GetCaption(), "Orvandale Calculator");
        EXPECT_TRUE(dialog->GetMessage().StartsWith(Start)) << dialog->GetMessage();
        EXPECT_TRUE(dialog->GetMessage().Contains("ovcalc")) << "where longer equations go";
        return wxExpectModal<wxMessageDialog>::OnInvoked(dialog);
    }

private:
    wxString Start;
};

class CapacityTest : public EditingTest, public ::testing::WithParamInterface<TInsertAtCapacity> {};

TEST_P(CapacityTest, NothingIsEverCutToFit)
{
    const TInsertAtCapacity& row = GetParam();
    Calculate("7*2");
    Equation()->SetValue(wxString(wxUniChar('1'), row.Kept));
    Select(static_cast<long>(row.Kept - row.Selected), static_cast<long>(row.Kept));
    Field(ids::txtMemory)->SetValue(row.Text);
    SetClipboardText(row.Text);
    const auto act = [&] {
        switch (row.Action) {
        case TAction::Tool: ClickTool(row.Tool); break;
        case TAction::Retrieve: ClickTool(ids::ToolMemoryRetrieve); break;
        case TAction::Paste: Equation()->Paste(); break;
        case TAction::DoubleClickResult: DoubleClick(ids::txtDecimal); break;
        }
    };
    if (row.Message == nullptr)
        act();
    else
        wxTEST_DIALOG(act(), ExpectRefusal(row.Message));
    EXPECT_EQ(Equation()->GetValue().length(), row.LengthAfter);
    if (row.Message != nullptr) {
        EXPECT_EQ(Equation()->GetValue(), wxString(wxUniChar('1'), row.Kept)) << "the box as it was";
    }
}

INSTANTIATE_TEST_SUITE_P(Inserts, CapacityTest, ::testing::ValuesIn(InsertsAtCapacity));

} // namespace
