#include "EquationEditor.h"

#include <wx/intl.h>
#include <wx/combobox.h>
#include <wx/platinfo.h>
#include <wx/wxcrt.h>

#include <algorithm>
#include <vector>

#include "NativeWidgets.h"
#include "Translations.h"

namespace {

// Each takes the equation's length and the box's capacity.
const char* const InsertTooLong = wxTRANSLATE(
    "With the inserted text the equation would be %s characters long, and the equation box holds at most %s "
    "characters. Equations of any length can be calculated with the console calculator, ovcalc.");
const char* const PasteTooLong =
    wxTRANSLATE("With the pasted text the equation would be %s characters long, and the equation box holds at most %s "
                "characters. Equations of any length can be calculated with the console calculator, ovcalc.");

// The message for an equation that would be length characters long.
wxString TooLong(const char* message, std::size_t length)
{
    return wxString::Format(wxGetTranslation(message), LocalNumber(static_cast<double>(length)),
                            LocalNumber(static_cast<double>(TEquationEditor::Capacity)));
}

bool IsLineEnd(wxUniChar c)
{
    return c == '\n' || c == '\r';
}

// The number of lines of text: "\r\n" is one line end.
std::size_t LineCount(const wxString& text)
{
    std::size_t count = 1;
    for (std::size_t i = 0; i < text.length(); ++i) {
        if (IsLineEnd(text[i]) && !(text[i] == '\r' && i + 1 < text.length() && text[i + 1] == '\n')) {
            ++count;
        }
    }
    return count;
}

// Drops what a text brought in from elsewhere has around the equation: the
// line ends a line copied from a terminal or a list ends in, and an "=" at
// its end (equations are often written, and copied, with one).
wxString AsPasted(const wxString& text)
{
    auto first = std::find_if_not(text.begin(), text.end(), IsLineEnd);
    auto last = std::find_if_not(text.rbegin(), text.rend(), IsLineEnd).base();
    if (first < last && last[-1] == '=') {
        --last;
        last = std::find_if_not(std::make_reverse_iterator(last), std::make_reverse_iterator(first), IsLineEnd).base();
    }
    return first < last ? wxString(first, last) : wxString();
}

bool IsBlank(const wxString& text)
{
    return std::all_of(text.begin(), text.end(), [](wxUniChar c) { return wxIsspace(c); });
}

} // namespace

TEquationEditor::TEquationEditor(wxComboBox* box, TWarning warn)
    : Box(box), Warn(std::move(warn)), Recorded(box->GetValue())
{
    Box->Bind(wxEVT_KEY_DOWN, &TEquationEditor::OnKeyDown, this);
    Box->Bind(wxEVT_TEXT, &TEquationEditor::OnText, this);
    Box->Bind(wxEVT_TEXT_PASTE, &TEquationEditor::OnPaste, this);
    Box->Bind(wxEVT_TEXT_CUT, &TEquationEditor::OnCut, this);
    Box->Bind(wxEVT_COMBOBOX, &TEquationEditor::OnPick, this);
    FilterInsertions(Box, [this](wxString& text) { return AcceptFromToolkit(text); });
    PrependToContextMenu(Box, [this] {
        return std::vector<TMenuCommand>{
            {_("&Undo"), CanUndo(), [this] { Undo(); }},
            {_("&Redo"), CanRedo(), [this] { Redo(); }},
        };
    });
    KeepFocusOnButtonClick(Box);
}

// ---------------------------------------------------------------------------
// Recording

void TEquationEditor::Record(TChangeKind kind)
{
    if (!Changed) {
        return;
    }
    Changed = false;
    const wxString now = Box->GetValue();
    TTextChange change = TTextChange::Between(Recorded, now, Box->GetInsertionPoint());
    Recorded = now;
    if (change.IsEmpty()) {
        return;
    }
    History.Record(std::move(change), kind);
    Walked = NotWalking; // an edited item is the new text being typed
}

void TEquationEditor::RecordPending()
{
    Record(PendingKind);
    PendingKind = TChangeKind::Typed;
}

// One key may change the text more than once (typing over a selection
// deletes it, then inserts): what it did is recorded when the next key
// comes, or once the events in hand are through, whichever is first.
void TEquationEditor::OnText(wxCommandEvent& event)
{
    Changed = true;
    if (!RecordQueued) {
        RecordQueued = true;
        CallAfter([this] {
            RecordQueued = false;
            RecordPending();
        });
    }
    event.Skip();
}

void TEquationEditor::OnCut(wxClipboardTextEvent& event)
{
    RecordPending();
    PendingKind = TChangeKind::Command;
    event.Skip(); // the box cuts
}

void TEquationEditor::OnPick(wxCommandEvent& event)
{
    // The list has put its item into the box already, the caret before it;
    // the list takes the focus back to where it was once it has closed.
    // An item longer than the box is refused (GTK's entry has refused it
    // already): the text before the pick comes back.
    const int picked = event.GetSelection();
    const std::size_t length = picked >= 0 && static_cast<unsigned>(picked) < Box->GetCount()
                                   ? Box->GetString(static_cast<unsigned>(picked)).length()
                                   : 0;
    if (length > Capacity) {
        {
            const TWriting writing(this);
            Box->ChangeValue(Recorded);
            Box->SetInsertionPointEnd();
        }
        Changed = false;
        CallAfter([this, length] {
            Warn(TooLong(InsertTooLong, length));
            Focus();
        });
        return;
    }
    Changed = true;
    Record(TChangeKind::Command);
    CallAfter([this] {
        Box->SetInsertionPointEnd();
        Focus();
    });
    event.Skip();
}

bool TEquationEditor::CanUndo()
{
    RecordPending();
    return History.CanUndo();
}

bool TEquationEditor::CanRedo()
{
    RecordPending();
    return History.CanRedo();
}

void TEquationEditor::Undo()
{
    RecordPending();
    if (const TTextChange* change = History.Undo()) {
        Apply(*change, true);
    }
}

void TEquationEditor::Redo()
{
    RecordPending();
    if (const TTextChange* change = History.Redo()) {
        Apply(*change, false);
    }
}

void TEquationEditor::Apply(const TTextChange& change, bool undo)
{
    const wxString& out = undo ? change.Inserted : change.Removed;
    const wxString& in = undo ? change.Removed : change.Inserted;
    const TWriting writing(this);
    // Each step costs GTK a layout of the whole text: only those needed.
    if (!out.empty()) {
        Box->Remove(change.Position, change.Position + static_cast<long>(out.length()));
    }
    // Always placed, whatever the caret was: a selection left standing
    // would be replaced by the text written.
    Box->SetInsertionPoint(change.Position);
    if (!in.empty()) {
        Box->WriteText(in); // the caret after it
    }
    // Not a change of the user's: nothing to record.
    Recorded = Box->GetValue();
    Changed = false;
    // Back at an item of the recent list that a walk showed, the walk goes
    // on from there, and Down still leads back to the text being typed.
    Walked = NotWalking;
    if (HasDraft && Recorded != Draft) {
        for (unsigned i = 0; i < Box->GetCount(); ++i) {
            if (Box->GetString(i) == Recorded) {
                Walked = static_cast<int>(i);
                break;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Inserting

bool TEquationEditor::Fits(std::size_t added, const char* tooLong)
{
    long from = 0;
    long to = 0;
    Box->GetSelection(&from, &to);
    const std::size_t length = static_cast<std::size_t>(Box->GetLastPosition() - (to - from)) + added;
    if (length <= Capacity) {
        return true;
    }
    Warn(TooLong(tooLong, length));
    return false;
}

wxString TEquationEditor::Refusal(const wxString& text, std::size_t lengthBesides)
{
    if (std::any_of(text.begin(), text.end(), IsLineEnd)) {
        const std::size_t count = LineCount(text);
        // TRANSLATORS: shown only for 2 lines or more; the plural forms are
        // those of the language's numbers.
        return wxString::Format(wxPLURAL("The pasted text has %zu line, and the equation box takes one equation on one "
                                         "line. The console calculator, ovcalc, calculates one equation per line.",
                                         "The pasted text has %zu lines, and the equation box takes one equation on "
                                         "one line. The console calculator, ovcalc, calculates one equation per line.",
                                         count),
                                count);
    }
    if (lengthBesides + text.length() > Capacity) {
        return TooLong(PasteTooLong, lengthBesides + text.length());
    }
    return {};
}

// What GTK inserts by itself (a middle-click paste, a drop, a pick from the
// list, a typed character) takes the rules of a paste. The box has already
// deleted what the text replaces. The message waits until GTK is through
// with the insertion.
bool TEquationEditor::AcceptFromToolkit(wxString& text)
{
    if (Writing > 0) {
        return true; // the program's own, checked before
    }
    const wxString kept = AsPasted(text);
    const wxString refusal = Refusal(kept, static_cast<std::size_t>(Box->GetLastPosition()));
    if (!refusal.empty()) {
        // A recent equation too long for the box: the pick says so (OnPick).
        if (Box->FindString(text, true) == wxNOT_FOUND) {
            CallAfter([this, refusal] { Warn(refusal); });
        }
        return false;
    }
    text = kept;
    return !text.empty();
}

bool TEquationEditor::Insert(const wxString& text)
{
    RecordPending();
    if (!Fits(text.length(), InsertTooLong)) {
        return false;
    }
    const TWriting writing(this);
    Box->WriteText(text);
    Record(TChangeKind::Command);
    return true;
}

bool TEquationEditor::ReplaceAll(const wxString& text)
{
    RecordPending();
    if (text.length() > Capacity) {
        Warn(TooLong(InsertTooLong, text.length()));
        return false;
    }
    const TWriting writing(this);
    Box->SetValue(text);
    Box->SetInsertionPointEnd();
    Record(TChangeKind::Command);
    return true;
}

// The box would paste a line end as a character of the equation, cut a text
// that does not fit without a word, and cut it at a NUL: the paste is done
// here instead.
void TEquationEditor::OnPaste(wxClipboardTextEvent&)
{
    wxString pasted;
    switch (ReadClipboardText(pasted)) {
    case TClipboardText::Text:
    case TClipboardText::Empty:
        break;
    case TClipboardText::NotText:
        Warn(_("The clipboard holds no text to paste."));
        return;
    case TClipboardText::HasNul:
        Warn(_("The text on the clipboard holds a NUL character, which no equation can hold: nothing was pasted."));
        return;
    }
    const wxString text = AsPasted(pasted);
    if (text.empty()) {
        return;
    }
    long from = 0;
    long to = 0;
    Box->GetSelection(&from, &to);
    const wxString refusal = Refusal(text, static_cast<std::size_t>(Box->GetLastPosition() - (to - from)));
    if (!refusal.empty()) {
        Warn(refusal);
        return;
    }
    RecordPending();
    const TWriting writing(this);
    Box->WriteText(text);
    Record(TChangeKind::Command);
}

// ---------------------------------------------------------------------------
// Keys

void TEquationEditor::OnKeyDown(wxKeyEvent& event)
{
    RecordPending(); // what the key before did
    const int modifiers = event.GetModifiers();
    if ((modifiers & ~(wxMOD_CONTROL | wxMOD_SHIFT)) != 0) {
        event.Skip(); // Alt+Down opens the list
        return;
    }
    const bool control = (modifiers & wxMOD_CONTROL) != 0;
    const bool shift = (modifiers & wxMOD_SHIFT) != 0;
    switch (event.GetKeyCode()) {
    // The keypad's decimal key types the locale's separator (a comma in
    // German); equations write ".".
    case WXK_NUMPAD_DECIMAL:
    case WXK_NUMPAD_SEPARATOR:
        if (modifiers == 0) {
            Insert(".");
            return;
        }
        break;
    case 'Z':
        if (!control) {
            break;
        }
        shift ? Redo() : Undo();
        return;
    case 'Y':
        if (!control || shift) {
            break;
        }
        Redo();
        return;
    // The combo box would put a list item in place of the equation.
    case WXK_UP:
    case WXK_NUMPAD_UP:
        if (modifiers == 0) {
            WalkHistory(true);
        }
        return;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
        if (modifiers == 0) {
            WalkHistory(false);
        }
        return;
    case WXK_PAGEUP:
    case WXK_PAGEDOWN:
    case WXK_NUMPAD_PAGEUP:
    case WXK_NUMPAD_PAGEDOWN:
        return;
    case WXK_BACK:
    case WXK_DELETE:
    case WXK_NUMPAD_DELETE:
        if (!control || shift) {
            break;
        }
        DeleteWord(event.GetKeyCode() != WXK_BACK);
        return;
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT:
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT:
    case WXK_HOME:
    case WXK_NUMPAD_HOME:
    case WXK_END:
    case WXK_NUMPAD_END:
        if (!MovesCaretItself()) {
            break;
        }
        MoveCaret(event.GetKeyCode(), control, shift);
        return;
    default:
        break;
    }
    event.Skip();
}

bool TEquationEditor::MovesCaretItself()
{
    return wxPlatformInfo::Get().GetPortId() == wxPORT_GTK;
}

long TEquationEditor::WordStop(const wxString& text, long position, bool forward)
{
    const long length = static_cast<long>(text.length());
    long stop = std::clamp(position, 0L, length);
    if (forward) {
        if (stop < length && IsWordCharacter(text[stop])) {
            while (stop < length && IsWordCharacter(text[stop])) {
                ++stop;
            }
        } else if (stop < length) {
            ++stop;
        }
        while (stop < length && wxIsspace(text[stop])) {
            ++stop;
        }
    } else {
        while (stop > 0 && wxIsspace(text[stop - 1])) {
            --stop;
        }
        if (stop > 0 && IsWordCharacter(text[stop - 1])) {
            while (stop > 0 && IsWordCharacter(text[stop - 1])) {
                --stop;
            }
        } else if (stop > 0) {
            --stop;
        }
    }
    return stop;
}

void TEquationEditor::MoveCaret(int key, bool byWord, bool extend)
{
    long from = 0;
    long to = 0;
    Box->GetSelection(&from, &to);
    const long caret = Box->GetInsertionPoint();
    const long anchor = caret == from ? to : from;
    const long length = Box->GetLastPosition();
    const bool forward = key == WXK_RIGHT || key == WXK_NUMPAD_RIGHT || key == WXK_END || key == WXK_NUMPAD_END;
    const bool toEnd = key == WXK_HOME || key == WXK_NUMPAD_HOME || key == WXK_END || key == WXK_NUMPAD_END;

    long target = caret;
    if (toEnd) {
        target = forward ? length : 0;
    } else if (!extend && from != to) {
        target = forward ? to : from; // a selection gives way to its edge
    } else if (byWord) {
        target = WordStop(Box->GetValue(), caret, forward);
    } else {
        target = std::clamp(caret + (forward ? 1 : -1), 0L, length);
    }

    SetCaret(target, extend ? anchor : target);
}

void TEquationEditor::SetCaret(long caret, long anchor)
{
    if (caret == anchor) {
        Box->SetInsertionPoint(caret);
    } else {
        Box->SetSelection(caret, anchor); // the caret at the first position given
    }
}

void TEquationEditor::DeleteWord(bool forward)
{
    long from = 0;
    long to = 0;
    Box->GetSelection(&from, &to);
    if (from == to) {
        const long stop = WordStop(Box->GetValue(), from, forward);
        from = std::min(from, stop);
        to = std::max(to, stop);
    }
    if (from == to) {
        return;
    }
    Box->Remove(from, to);
    Box->SetInsertionPoint(from);
    Record(TChangeKind::Command);
}

// ---------------------------------------------------------------------------
// The recent list

void TEquationEditor::WalkHistory(bool older)
{
    if (Walked == NotWalking && !older) {
        return; // nothing is newer than the text being typed
    }
    const wxString shown = Box->GetValue();
    const int count = static_cast<int>(Box->GetCount());
    int index = Walked;
    do {
        index += older ? 1 : -1;
    } while (index >= 0 && index < count && (IsBlank(Box->GetString(index)) || Box->GetString(index) == shown));
    if (index >= count) {
        return; // nothing older
    }

    if (Walked == NotWalking) {
        long from = 0;
        long to = 0;
        Box->GetSelection(&from, &to);
        Draft = shown;
        DraftCaret = Box->GetInsertionPoint();
        DraftAnchor = DraftCaret == from ? to : from;
        HasDraft = true;
    }
    const wxString& text = index < 0 ? Draft : Box->GetString(index);
    if (text.length() > Capacity) {
        // Kept whole in the list and the settings file, never cut: the walk
        // passes it, and the box stays as it is.
        Walked = index;
        Warn(TooLong(InsertTooLong, text.length()));
        return;
    }
    const TWriting writing(this);
    Box->SetValue(text);
    Record(TChangeKind::Command);
    if (index < 0) {
        SetCaret(DraftCaret, DraftAnchor);
        Walked = NotWalking;
    } else {
        Box->SetInsertionPointEnd();
        Walked = index;
    }
}

// ---------------------------------------------------------------------------
// Focus

void TEquationEditor::Focus()
{
    if (wxWindow::FindFocus() == Box) {
        return;
    }
    // GTK's entry selects all of its text when it takes the focus.
    long from = 0;
    long to = 0;
    Box->GetSelection(&from, &to);
    const long caret = Box->GetInsertionPoint();
    Box->SetFocus();
    SetCaret(caret, caret == from ? to : from);
}
