// The equation box's undo history as data: edits of a plain text, each
// recorded as the box records it (the change found from the texts before and
// after, placed by the caret), then undone to the start and redone to the
// end. No window: the box's own part is tested in the window tests.
#include "EditHistory.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr auto Typed = TChangeKind::Typed;
constexpr auto Command = TChangeKind::Command;

// At Position, Count characters replaced by Text, the caret after it.
struct TEdit {
    long Position;
    long Count;
    wxString Text;
    TChangeKind Kind = Typed;
};

wxString Replaced(const wxString& text, long position, long count, const wxString& with)
{
    return text.Mid(0, position) + with + text.Mid(position + count);
}

// Plays edits on a text and a history, then undoes to the start and redoes
// to the end. Every text on the way back is one the edits went through, in
// their order, the last the first text; redoing gives them again the other
// way. Returns the texts undo gave, the first undo's first.
std::vector<wxString> PlayUndoRedo(const std::vector<TEdit>& edits)
{
    TEditHistory history;
    wxString text;
    std::vector<wxString> seen{text};
    for (const TEdit& edit : edits) {
        const wxString after = Replaced(text, edit.Position, edit.Count, edit.Text);
        history.Record(TTextChange::Between(text, after, edit.Position + static_cast<long>(edit.Text.length())),
                       edit.Kind);
        text = after;
        seen.push_back(text);
    }

    std::vector<wxString> undone;
    std::size_t at = seen.size() - 1;
    while (const TTextChange* change = history.Undo()) {
        text = Replaced(text, change->Position, static_cast<long>(change->Inserted.length()), change->Removed);
        undone.push_back(text);
        std::size_t back = at;
        while (back > 0 && seen[--back] != text) {
        }
        EXPECT_EQ(seen[back], text) << "undo gave a text the edits never made";
        EXPECT_LT(back, at);
        at = back;
    }
    EXPECT_EQ(text, wxString()) << "undo goes back to the start";

    for (std::size_t i = undone.size(); i-- > 0;) {
        const TTextChange* change = history.Redo();
        if (change == nullptr) {
            ADD_FAILURE() << "nothing to redo with " << i + 1 << " undone";
            break;
        }
        text = Replaced(text, change->Position, static_cast<long>(change->Removed.length()), change->Inserted);
        EXPECT_EQ(text, i > 0 ? undone[i - 1] : seen.back());
    }
    EXPECT_FALSE(history.CanRedo());
    return undone;
}

std::vector<TEdit> TypedText(const char* text)
{
    std::vector<TEdit> edits;
    for (long i = 0; text[i] != '\0'; ++i) {
        edits.push_back({i, 0, wxString(text[i])});
    }
    return edits;
}

struct TReplay {
    const char* Name;
    const char* Typed;
    std::vector<TEdit> Then;
    std::vector<const char*> Undone; // the texts each undo gives
};

// Sequences typed into the window, a change beside identical characters
// among them.
const TReplay Replays[] = {
    {"Backspace in a run of zeros", "100", {{2, 1, ""}}, {"100", ""}},
    {"Backspace in a run of ones", "11", {{1, 1, ""}}, {"11", ""}},
    {"Backspace inside 22", "1+22", {{2, 1, ""}}, {"1+22", "1+", "1", ""}},
    {"Delete inside 000", "1000", {{1, 1, ""}}, {"1000", ""}},
    {"a digit typed into a run", "1+00", {{3, 0, "0"}}, {"1+00", "1+", "1", ""}},
    {"a selection typed over with its neighbours' character", "121", {{1, 1, "1"}}, {"121", ""}},
    {"a paste of what was there", "12", {{0, 2, "12", Command}}, {""}},
    {"Clear, then typing", "6*7", {{0, 3, "", Command}, {0, 0, "6"}}, {"", "6*7", "6*", "6", ""}},
    {"a recent equation over the typed one", "7-", {{0, 2, "7-7", Command}}, {"7-", "7", ""}},
};

TEST(EditHistory, ReplaysGiveBackEveryText)
{
    for (const TReplay& row : Replays) {
        SCOPED_TRACE(row.Name);
        std::vector<TEdit> edits = TypedText(row.Typed);
        edits.insert(edits.end(), row.Then.begin(), row.Then.end());
        const std::vector<wxString> undone = PlayUndoRedo(edits);
        EXPECT_EQ(undone, std::vector<wxString>(row.Undone.begin(), row.Undone.end()));
    }
}

// Thousands of random edits of every kind, on texts that are mostly runs of
// a few characters, where the change between two texts is ambiguous.
TEST(EditHistory, RandomEditsUndoToTheStartAndRedoToTheEnd)
{
    const unsigned seed = 20261209;
    std::mt19937 random(seed);
    auto below = [&](long n) { return static_cast<long>(random() % static_cast<unsigned long>(n)); };
    const wxString characters = "0011+-. (";
    for (int sequence = 0; sequence < 2000; ++sequence) {
        std::vector<TEdit> edits;
        long length = 0;
        const int count = 1 + static_cast<int>(below(30));
        for (int i = 0; i < count; ++i) {
            const long at = below(length + 1);
            TEdit edit{at, 0, wxString(characters[static_cast<std::size_t>(below(9))])};
            switch (below(8)) {
            case 0: // Backspace, Delete
            case 1:
                if (length > 0) {
                    edit = {std::min(at, length - 1), 1, ""};
                }
                break;
            case 2: // a selection typed over, or pasted over
                edit.Count = below(length - at + 1);
                edit.Kind = below(2) == 0 ? Typed : Command;
                break;
            case 3: // a paste
                edit.Text = characters.Mid(static_cast<std::size_t>(below(5)), static_cast<std::size_t>(below(4) + 1));
                edit.Kind = Command;
                break;
            case 4: // Clear, or a recent equation in place of the text
                edit = {0, length, below(2) == 0 ? wxString() : wxString("1+1"), Command};
                break;
            default: // typed
                break;
            }
            length += static_cast<long>(edit.Text.length()) - edit.Count;
            edits.push_back(edit);
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + ", sequence " + std::to_string(sequence));
        PlayUndoRedo(edits);
        if (HasFailure()) {
            break;
        }
    }
}

TEST(EditHistory, HoldsChangesNotCopiesAndForgetsTheOldest)
{
    TEditHistory history;
    const wxString full(wxUniChar('1'), 65534);
    for (int i = 0; i < 100; ++i) {
        history.Record({0, full, ""}, TChangeKind::Command);
    }
    EXPECT_LE(history.UndoCount() * full.length(), TEditHistory::Budget);
    EXPECT_GE(history.UndoCount(), 10u);
}

} // namespace
