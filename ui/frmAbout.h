// The About box: the main window's icon, the product name with the file
// version, the copyright line and the maker's web address as a link, with
// an OK button. The texts come from the version information embedded in the
// running executable's file (platform/VersionInfo.h); a missing value leaves
// its part out.
#pragma once

#include <wx/bitmap.h>
#include <wx/dialog.h>

class wxPanel;
class wxStaticBitmap;
class wxStaticText;
class wxGenericStaticText;
class wxKeyEvent;
class wxShowEvent;

// The maker's web site, shown and opened by the link.
inline constexpr const char* MakerWebAddress = "https://www.orvandale.example/";

class TfrmAbout : public wxDialog {
    wxDECLARE_DYNAMIC_CLASS(TfrmAbout);
    wxDECLARE_EVENT_TABLE();

public:
    // Only for the class registry; builds no window.
    TfrmAbout();
    // Builds and fills the dialog. parent is the main window, whose icon the
    // dialog shows; the caption is a format ("About %s") that the product
    // name fills, or nothing when the program carries none.
    TfrmAbout(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos, const wxSize& size,
              long style);
    ~TfrmAbout() override;

    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos, const wxSize& size,
                long style);
    void BuildControls();
    void ReadVersionInfo();

    void OnOK(wxCommandEvent& event);
    void OnLinkEnter(wxMouseEvent& event);
    void OnLinkLeave(wxMouseEvent& event);
    void OnLinkClick(wxMouseEvent& event);
    // Enter or Space on the focused link opens it as a click does.
    void OnLinkKey(wxKeyEvent& event);

private:
    wxPanel* pnlAbout = nullptr;
    wxStaticBitmap* bmpIcon = nullptr;
    wxStaticText* lblProduct = nullptr;
    wxString CaptionFormat;
    wxStaticText* lblCopyright = nullptr;
    // A static text with a window of its own, so that it gets its own mouse
    // input (entering, leaving, clicks); GTK's native label has none.
    wxGenericStaticText* lblWebLink = nullptr;
    wxBitmap IconBitmap;

    void OnShown(wxShowEvent& event);
    void FitToContents();
};
