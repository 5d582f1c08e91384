// The equation box's undo history: a list of small changes, each the place
// it happened, the text taken out there and the text put in, never a copy
// of the equation. Typed characters join the change before them while they
// continue a word at the place it ended (digits and the point make a
// number; spaces join spaces; every operator and parenthesis stands
// alone), and so do characters deleted one at a time; anything else is a
// change of its own.
//
// Memory is bounded by what changed: the oldest changes are forgotten once
// the history holds more than about a million characters' worth.
#pragma once

#include <wx/string.h>

#include <cstddef>
#include <deque>
#include <vector>

// A character of a word in the equation: the digits and point of a number,
// and letters. Ctrl with Left or Right moves over a whole word, and typing
// a word is one step to undo.
bool IsWordCharacter(wxUniChar c);

struct TTextChange {
    long Position = 0; // where the change starts, in characters
    wxString Removed;  // the text that stood there before
    wxString Inserted; // the text that stands there after

    bool IsEmpty() const { return Removed.empty() && Inserted.empty(); }
    // The change that turns before into after, placed where the caret (in
    // after) says it happened when repeated characters leave a choice:
    // "11" to "111" with the caret at 1 is an insertion at 0, not at 2.
    static TTextChange Between(const wxString& before, const wxString& after, long caret);
};

enum class TChangeKind {
    Typed,   // a key in the box: may join the change before it
    Command, // a paste, a cut, an insert, a pick from the list: stands alone
};

class TEditHistory {
public:
    void Record(TTextChange change, TChangeKind kind);

    bool CanUndo() const { return !Done.empty(); }
    bool CanRedo() const { return !Undone.empty(); }
    // The change to take back (its Inserted replaced by its Removed), or
    // null; it moves to the redo list.
    const TTextChange* Undo();
    // The change to make again, or null; it moves back to the undo list.
    const TTextChange* Redo();
    // The next typed character starts a change of its own.
    void Close() { Open = false; }

    std::size_t UndoCount() const { return Done.size(); }

    // What the history may hold: characters, plus a few per change for its
    // bookkeeping.
    static constexpr std::size_t Budget = std::size_t{1} << 20;

private:
    bool Joins(const TTextChange& change) const;
    static std::size_t Cost(const TTextChange& change);

    std::deque<TTextChange> Done;
    std::vector<TTextChange> Undone;
    std::size_t Stored = 0; // the cost of both lists
    bool Open = false;      // Done.back() was typed and may take more
};
