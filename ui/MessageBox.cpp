#include "MessageBox.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include <algorithm>

#include "NativeWidgets.h"

TMessageBox::TMessageBox(wxWindow* parent, const wxString& message, const wxString& caption, long style)
    : wxGenericMessageDialog(parent, message, caption, style)
{
}

int TMessageBox::ShowModal()
{
    DoCreateMsgdialog();
    SetWindowClass(this, ApplicationId()); // the program's, as its main window's
    // The caption in the title bar's bold face, with room for the window
    // manager's icon and buttons beside it.
    wxClientDC dc(this);
    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Bold());
    const int title = dc.GetTextExtent(GetTitle()).x + FromDIP(140);
    if (GetSize().x < title) {
        SetSize(title, GetSize().y);
        SetMinSize(GetSize());
        Layout();
    }
    Centre(wxBOTH);
    return wxDialog::ShowModal();
}

void ShowMessageBox(wxWindow* parent, const wxString& message, const wxString& caption, long style)
{
    TMessageBox box(parent, message, caption, style);
    box.ShowModal();
}
