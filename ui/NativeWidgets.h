// What the toolkit underneath needs told and wxWidgets has no call for:
// names and roles that screen readers read (GTK's tool buttons without
// labels have no name, and a generic window has no role), the width of a
// combo box's drop-down list, commands of the program's own in the context
// menu of its text field, and a list whose rows are never measured. One
// implementation per toolkit: NativeWidgetsGtk.cpp holds every GTK call,
// NativeWidgetsPlain.cpp the rest. Each call costs O(1) but those on lists
// and toolbars, O(items).
#pragma once

#include <wx/string.h>

#include <functional>
#include <vector>

class wxComboBox;
class wxDataViewCtrl;
class wxTextCtrl;
class wxToolBar;
class wxWindow;

// The name a screen reader says for the window.
void SetAccessibleName(wxWindow* window, const wxString& name);
// Its role by the accessibility toolkit's name for it ("link", "push button").
void SetAccessibleRole(wxWindow* window, const char* role);
// Every tool's short help text as its name; what the toolbar shows stays.
void NameToolbarTools(wxToolBar* toolBar);
// Keeps the drop-down list of the combo box at most width pixels wide, its
// long items shortened at the end with an ellipsis. GTK's list otherwise
// grows to its widest item, up to the screen's width.
void LimitDropDownWidth(wxComboBox* comboBox, int width);

// A command of a context menu: its label with its mnemonic ("&Undo"),
// whether it applies now, and what it does.
struct TMenuCommand {
    wxString Label;
    bool Enabled;
    std::function<void()> Run;
};

// An arrow at the right end of a one-line text field whose text is wider
// than the field, shown or taken away; a click on it scrolls the text to
// its other end. Elsewhere than GTK, a tip with the whole text.
void ShowScrollCue(wxTextCtrl* field, bool shown);
[[nodiscard]] bool HasScrollCue(wxTextCtrl* field);

// Keeps the keyboard focus in the combo box's text field when its button
// is clicked: GTK's button takes it otherwise, and typing then goes nowhere
// until the field is clicked.
void KeepFocusOnButtonClick(wxComboBox* comboBox);

// Puts commands, then a separator, at the top of the context menu that the
// toolkit shows for the combo box's text field; commands is asked each time
// the menu opens. Where the system's own menu cannot take them (Windows),
// it stays as it is.
void PrependToContextMenu(wxComboBox* comboBox, std::function<std::vector<TMenuCommand>()> commands);

// Text that the toolkit puts into the combo box's text field by itself
// (the X11 primary selection's middle-click paste, drag and drop, a typed
// character, an input method's text, a pick from the list) passes accept
// first, at the place it goes: accept may change the text, or refuse it
// (false) and nothing goes in. The program's own insertions pass too: accept
// tells them apart. Elsewhere than GTK the system's own ways in stay as they
// are.
using TInsertionFilter = std::function<bool(wxString& text)>;
void FilterInsertions(wxComboBox* comboBox, TInsertionFilter accept);

// What the clipboard holds for a paste: text (put into text), nothing at
// all, something that is no text (an image, bytes that are not UTF-8), or
// text with a NUL character in it, which the toolkit would cut short there.
// Elsewhere than GTK a NUL cannot be told apart from the text's end.
enum class TClipboardText { Text, Empty, NotText, HasNul };
TClipboardText ReadClipboardText(wxString& text);

// Whether a menu is open now, or the menu bar active: keys then belong to
// it, not to the window's own key commands.
[[nodiscard]] bool MenuIsOpen();

// The style bits the equation box needs beside wxCB_DROPDOWN for Enter to
// reach it, and the longest text the toolkit allows in it.
[[nodiscard]] long EquationBoxStyle();
void AllowLongestText(wxComboBox* comboBox);

// A one-column list whose rows all have one height, so that it never
// measures rows it does not draw, whatever their number; name is what a
// screen reader calls it, and onVerticalScroll runs after each move up or
// down. SetUniformRowHeight fixes the text cell's height and returns the
// height of a whole row; RedrawAllRows has every row in view drawn again.
void UseUniformRows(wxDataViewCtrl* list, const wxString& name, std::function<void()> onVerticalScroll);
int SetUniformRowHeight(wxDataViewCtrl* list, int cellHeight);
void RedrawAllRows(wxDataViewCtrl* list);

// The application's id as the desktop sees it (the Wayland app id, the X11
// WM_CLASS): called before the toolkit starts, and again once it has
// started, before the first window (wxWidgets names the class in between).
void SetApplicationId(const char* id);
// The X11 WM_CLASS of a top-level window not yet shown: the application id.
void SetWindowClass(wxWindow* window, const char* id);
// The id SetApplicationId gave ("" where there is none), for the windows
// after the first: help, About and message boxes are the same program's.
[[nodiscard]] const char* ApplicationId();
// Whether the compositor places windows (Wayland): the program then never
// moves its window, and reads no screen coordinates.
[[nodiscard]] bool CompositorPlacesWindows();
// Asks the system to keep what the program put on the open clipboard after
// it ends, where it can without losing the data now (not on Wayland, where
// that offers a selection without the text the first time).
void KeepClipboardAfterExit();
