// What the toolkit underneath needs told and wxWidgets has no call for:
// names and roles that screen readers read (GTK's tool buttons without
// labels have no name, and a generic window has no role), and the width of
// a combo box's drop-down list.
#pragma once

#include <wx/string.h>

class wxComboBox;
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
