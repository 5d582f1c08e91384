// Names and roles that screen readers read, where the toolkit gives none:
// GTK's tool buttons without labels have no name, and a generic window has
// no role.
#pragma once

#include <wx/string.h>

class wxToolBar;
class wxWindow;

// The name a screen reader says for the window.
void SetAccessibleName(wxWindow* window, const wxString& name);
// Its role by the accessibility toolkit's name for it ("link", "push button").
void SetAccessibleRole(wxWindow* window, const char* role);
// Every tool's short help text as its name; what the toolbar shows stays.
void NameToolbarTools(wxToolBar* toolBar);
