// The native widget calls where the toolkit is not GTK (Windows): what
// wxWidgets offers there, or nothing where the system does it itself.
#include "NativeWidgets.h"

#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/dataobj.h>
#include <wx/dataview.h>
#include <wx/textctrl.h>
#include <wx/window.h>

void SetAccessibleName(wxWindow* window, const wxString& name)
{
    window->SetName(name);
}

void SetAccessibleRole(wxWindow*, const char*) {}

void NameToolbarTools(wxToolBar*) {}

void LimitDropDownWidth(wxComboBox*, int) {}

// The whole value in a tip, where the field cannot show an arrow.
void ShowScrollCue(wxTextCtrl* field, bool shown)
{
    if (shown) {
        field->SetToolTip(field->GetValue());
    } else {
        field->UnsetToolTip();
    }
}

bool HasScrollCue(wxTextCtrl* field)
{
    return field->GetToolTip() != nullptr;
}

long EquationBoxStyle()
{
    return wxTE_PROCESS_ENTER; // else the dialog navigation takes Enter
}

void AllowLongestText(wxComboBox* comboBox)
{
    comboBox->SetMaxLength(0); // as long as the system allows: Windows' default is 30,000 characters
}

void KeepFocusOnButtonClick(wxComboBox*) {}

void FilterInsertions(wxComboBox*, TInsertionFilter) {}

TClipboardText ReadClipboardText(wxString& text)
{
    TClipboardText found = TClipboardText::Empty;
    if (wxTheClipboard->Open()) {
        wxTextDataObject data;
        if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) && wxTheClipboard->GetData(data)) {
            text = data.GetText();
            found = TClipboardText::Text;
        }
        wxTheClipboard->Close();
    }
    return found;
}

bool MenuIsOpen()
{
    return false; // the system's menu loop takes the keys itself
}

void PrependToContextMenu(wxComboBox*, std::function<std::vector<TMenuCommand>()>) {}

void UseUniformRows(wxDataViewCtrl* list, const wxString& name, std::function<void()>)
{
    SetAccessibleName(list, name);
}

int SetUniformRowHeight(wxDataViewCtrl* list, int cellHeight)
{
    list->SetRowHeight(cellHeight);
    return cellHeight;
}

void RedrawAllRows(wxDataViewCtrl* list)
{
    list->Refresh();
}

void SetApplicationId(const char*) {}

void SetWindowClass(wxWindow*, const char*) {}

const char* ApplicationId()
{
    return "";
}

bool CompositorPlacesWindows()
{
    return false;
}

void KeepClipboardAfterExit()
{
    wxTheClipboard->Flush();
}
