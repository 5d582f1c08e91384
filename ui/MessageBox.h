// The program's message boxes. GTK's own box is as narrow as its text, so
// that the window manager shortens the caption ("Orva...lator"), and shows
// no icon; this one shows the icon of its kind and is wide enough for its
// caption. Its text is wrapped at a readable width.
#pragma once

#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>

class TMessageBox : public wxGenericMessageDialog {
public:
    TMessageBox(wxWindow* parent, const wxString& message, const wxString& caption, long style);

    int ShowModal() override;
    // Lays the box out as ShowModal shows it, without showing it.
    void Prepare();

    // The message broken into lines of about 60 characters, never wider
    // than the screen near the window allows.
    static wxString Wrapped(const wxString& message, wxWindow* near);

private:
    bool Prepared = false;
};

// Shows message modally over parent with the given caption and style
// (wxOK with wxICON_EXCLAMATION, wxICON_INFORMATION, ...).
void ShowMessageBox(wxWindow* parent, const wxString& message, const wxString& caption, long style);
