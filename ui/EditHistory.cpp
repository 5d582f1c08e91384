#include "EditHistory.h"

#include <wx/wxcrt.h>

#include <algorithm>

bool IsWordCharacter(wxUniChar c)
{
    return wxIsalnum(c) || c == '.' || c == '_';
}

namespace {

// Two characters of one typing step: both of a word, or both spaces.
bool SameWord(wxUniChar a, wxUniChar b)
{
    return (IsWordCharacter(a) && IsWordCharacter(b)) || (wxIsspace(a) && wxIsspace(b));
}

} // namespace

TTextChange TTextChange::Between(const wxString& before, const wxString& after, long caret)
{
    const long n = static_cast<long>(before.length());
    const long m = static_cast<long>(after.length());
    const long shorter = std::min(n, m);
    long prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix]) {
        ++prefix;
    }
    if (prefix == n && prefix == m) {
        return {};
    }
    long suffix = 0;
    while (suffix < shorter && before[n - 1 - suffix] == after[m - 1 - suffix]) {
        ++suffix;
    }

    // Within a run of one character ("100" to "10") the common prefix and
    // suffix overlap: the lengths tell an insertion from a removal.
    TTextChange change;
    if (m > n && prefix + suffix >= n) {
        // Only inserted: anywhere from n - suffix to prefix gives the same
        // text; the caret stands after the inserted characters.
        const long count = m - n;
        change.Position = std::clamp(caret - count, n - suffix, prefix);
        change.Inserted = after.Mid(change.Position, count);
    } else if (n > m && prefix + suffix >= m) {
        // Only removed: the caret stands where the characters were.
        const long count = n - m;
        change.Position = std::clamp(caret, m - suffix, prefix);
        change.Removed = before.Mid(change.Position, count);
    } else {
        suffix = std::min(suffix, shorter - prefix);
        change.Position = prefix;
        change.Removed = before.Mid(prefix, n - prefix - suffix);
        change.Inserted = after.Mid(prefix, m - prefix - suffix);
    }
    return change;
}

std::size_t TEditHistory::Cost(const TTextChange& change)
{
    return change.Removed.length() + change.Inserted.length() + 8;
}

bool TEditHistory::Joins(const TTextChange& change) const
{
    if (!Open || Done.empty()) {
        return false;
    }
    const TTextChange& last = Done.back();
    if (change.Removed.empty() && change.Inserted.length() == 1) { // typed on
        return !last.Inserted.empty() && change.Position == last.Position + static_cast<long>(last.Inserted.length()) &&
               SameWord(last.Inserted.Last(), change.Inserted[0]);
    }
    if (change.Inserted.empty() && change.Removed.length() == 1 && last.Inserted.empty()) {
        if (change.Position + 1 == last.Position) { // Backspace
            return SameWord(change.Removed[0], last.Removed[0]);
        }
        if (change.Position == last.Position) { // Delete
            return SameWord(last.Removed.Last(), change.Removed[0]);
        }
    }
    return false;
}

void TEditHistory::Record(TTextChange change, TChangeKind kind)
{
    if (change.IsEmpty()) {
        return;
    }
    for (const TTextChange& undone : Undone) {
        Stored -= Cost(undone);
    }
    Undone.clear();

    // One character typed or deleted may be followed by more of its word.
    const bool single = change.Inserted.length() == 1 || (change.Inserted.empty() && change.Removed.length() == 1);
    if (kind == TChangeKind::Typed && Joins(change)) {
        TTextChange& last = Done.back();
        Stored -= Cost(last);
        if (!change.Inserted.empty()) {
            last.Inserted += change.Inserted;
        } else if (change.Position < last.Position) {
            last.Position = change.Position;
            last.Removed.Prepend(change.Removed);
        } else {
            last.Removed += change.Removed;
        }
        Stored += Cost(last);
    } else {
        Stored += Cost(change);
        Done.push_back(std::move(change));
    }
    Open = kind == TChangeKind::Typed && single;
    while (Stored > Budget && Done.size() > 1) {
        Stored -= Cost(Done.front());
        Done.pop_front();
    }
}

const TTextChange* TEditHistory::Undo()
{
    Open = false;
    if (Done.empty()) {
        return nullptr;
    }
    Undone.push_back(std::move(Done.back()));
    Done.pop_back();
    return &Undone.back();
}

const TTextChange* TEditHistory::Redo()
{
    Open = false;
    if (Undone.empty()) {
        return nullptr;
    }
    Done.push_back(std::move(Undone.back()));
    Undone.pop_back();
    return &Done.back();
}
