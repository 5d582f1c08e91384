// The equation box's editing: what keys, pastes and the window's commands
// do to the equation, and taking any of it back.
//
// - Every change is recorded (TEditHistory): typing, pastes, cuts, inserts,
//   Clear, a pick from the recent list, walking the list with Up and Down.
//   Ctrl+Z undoes; Ctrl+Shift+Z and Ctrl+Y redo; so do Undo and Redo at the
//   top of the box's context menu. Calculating is no change.
// - Up and Down walk the recent list as a shell walks its history: the
//   text being typed is kept, Down past the newest item gives it back with
//   its caret, blank items are passed over. Page Up and Page Down do
//   nothing; Alt+Down opens the list.
// - On GTK the caret keys move by the program's own rules, the same at every
//   length (GTK's own motion costs time with the square of the text's
//   length, and the program took over from it only in long equations):
//   Ctrl with Left or Right moves over a whole number, or over one operator,
//   and the spaces after it; with a selection, Left and Right go to its
//   start and end. Windows' edit control moves the caret quickly by the
//   system's own rules. Ctrl+Backspace and Ctrl+Delete delete what Ctrl+Left
//   and Ctrl+Right would move over by the program's rules, everywhere.
// - Nothing is ever cut to fit: text that would make the equation longer
//   than the box holds is refused with a message, and the box is left as
//   it was; so is a recent equation longer than the box. Every paste (Ctrl+V,
//   the middle button's primary selection, drag and drop, whatever the
//   toolkit inserts) drops the line ends around the text and an "=" at its
//   end, and refuses text of several lines.
//
// Costs: a change costs a comparison of the text before and after it, once
// per key or command; a caret key costs a look at the characters it passes.
#pragma once

#include <wx/event.h>
#include <wx/string.h>

#include <cstddef>
#include <functional>

#include "EditHistory.h"

class wxClipboardTextEvent;
class wxComboBox;

class TEquationEditor : public wxEvtHandler {
public:
    // The most characters the equation box holds (GTK's entry, everywhere).
    static constexpr std::size_t Capacity = 65534;

    // Shows a message about something refused, and waits until it is read.
    using TWarning = std::function<void(const wxString& message)>;

    TEquationEditor(wxComboBox* box, TWarning warn);

    // Puts text in place of the selection, the caret after it. Refused
    // (false) when the equation would be longer than Capacity.
    bool Insert(const wxString& text);
    // The whole equation replaced by text, the caret at its end.
    bool ReplaceAll(const wxString& text);

    bool CanUndo();
    bool CanRedo();
    void Undo();
    void Redo();

    // The keyboard focus into the box, its caret and selection as they were.
    void Focus();
    // The recent list has changed: Up starts again from its newest item.
    void RestartHistoryWalk() { Walked = NotWalking; }

    // Where Ctrl+Left (forward false) or Ctrl+Right moves from position.
    static long WordStop(const wxString& text, long position, bool forward);
    // Whether the caret keys are the program's, not the toolkit's.
    static bool MovesCaretItself();

private:
    void OnKeyDown(wxKeyEvent& event);
    void OnText(wxCommandEvent& event);
    void OnPaste(wxClipboardTextEvent& event);
    void OnCut(wxClipboardTextEvent& event);
    void OnPick(wxCommandEvent& event);

    // Records what changed in the box since the last record as one change.
    void Record(TChangeKind kind);
    // Records what a key or the toolkit changed since the last record.
    void RecordPending();
    bool Fits(std::size_t added, const char* tooLong);
    // Why text cannot go into the box beside lengthBesides characters
    // (several lines, or too long), or empty when it can.
    static wxString Refusal(const wxString& text, std::size_t lengthBesides);
    bool AcceptFromToolkit(wxString& text);
    void MoveCaret(int key, bool byWord, bool extend);
    void DeleteWord(bool forward);
    void WalkHistory(bool older);
    // Puts the text back as change had it before (undo) or after it.
    void Apply(const TTextChange& change, bool undo);
    void SetCaret(long caret, long anchor);

    // While one lives, the box's changes are the program's own.
    class TWriting {
    public:
        explicit TWriting(TEquationEditor* editor) : Editor(editor) { ++Editor->Writing; }
        ~TWriting() { --Editor->Writing; }
        TWriting(const TWriting&) = delete;
        TWriting& operator=(const TWriting&) = delete;

    private:
        TEquationEditor* Editor;
    };

    wxComboBox* Box;
    TWarning Warn;
    int Writing = 0;
    TEditHistory History;
    wxString Recorded;         // the text as last recorded
    bool Changed = false;      // the box's text may differ from Recorded
    bool RecordQueued = false; // a record after the current event is on its way
    TChangeKind PendingKind = TChangeKind::Typed;

    // Walking the recent list: the item shown, and the text being typed.
    static constexpr int NotWalking = -1;
    int Walked = NotWalking;
    wxString Draft;
    bool HasDraft = false; // a walk has started since the box was made
    long DraftCaret = 0;
    long DraftAnchor = 0;
};
