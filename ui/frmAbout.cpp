#include "frmAbout.h"

#include <wx/intl.h>
#include <wx/button.h>
#include <wx/cursor.h>
#include <wx/dcclient.h>
#include <wx/pen.h>
#include <wx/brush.h>
#include <wx/font.h>
#include <wx/icon.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/generic/stattextg.h> // after wx/stattext.h, which it needs
#include <wx/toplevel.h>

#include <algorithm>

#include "Fonts.h"
#include "NativeWidgets.h"
#include "ExecutablePath.h"
#include "VersionInfo.h"
#include "WebBrowser.h"
#include "ids.h"

namespace {

// The web address as a link: a static text that Tab reaches. With the focus
// it shows a thin outline in the text's own colour.
class TWebLink : public wxGenericStaticText {
public:
    TWebLink(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos, const wxSize& size, long style,
             const wxString& name)
        : wxGenericStaticText(parent, id, label, pos, size, style, name)
    {
        Bind(wxEVT_PAINT, &TWebLink::OnPaint, this);
        Bind(wxEVT_SET_FOCUS, &TWebLink::OnFocus, this);
        Bind(wxEVT_KILL_FOCUS, &TWebLink::OnFocus, this);
        // The toolkit asked the base class while creating the window.
        SetCanFocus(true);
    }
    void SetCanFocus(bool) override { wxGenericStaticText::SetCanFocus(true); }
    bool AcceptsFocus() const override { return true; }
    bool AcceptsFocusFromKeyboard() const override { return true; }

private:
    void OnFocus(wxFocusEvent& event)
    {
        Refresh();
        event.Skip();
    }
    void OnPaint(wxPaintEvent&)
    {
        wxPaintDC dc(this);
        dc.SetFont(GetFont());
        dc.SetTextForeground(GetForegroundColour());
        dc.DrawText(GetLabelText(), 0, 0);
        if (HasFocus()) {
            dc.SetPen(wxPen(GetForegroundColour(), 1, wxPENSTYLE_DOT));
            dc.SetBrush(*wxTRANSPARENT_BRUSH);
            dc.DrawRectangle(wxPoint(0, 0), GetClientSize());
        }
    }
};

// Pure blue reads on a light background only; on a dark one the theme's own
// link colour, or a light blue where the theme has none that reads.
wxColour LinkColour(const wxColour& background)
{
    const wxColour blue(0, 0, 255);
    if (background.GetLuminance() >= 0.5) {
        return blue;
    }
    const wxColour themed = wxSystemSettings::GetColour(wxSYS_COLOUR_HOTLIGHT);
    if (themed.IsOk() && themed.GetLuminance() >= 0.45 && themed != blue) {
        return themed;
    }
    return wxColour(0x8C, 0xB4, 0xFF);
}

// The panel's size as designed; at larger system fonts and buttons the
// panel grows to what its controls need instead of clipping them.
const wxSize DesignedPanelSize(255, 89);

} // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(TfrmAbout, wxDialog)
    EVT_BUTTON(wxID_CANCEL, TfrmAbout::OnOK)
wxEND_EVENT_TABLE()
// clang-format on

wxIMPLEMENT_DYNAMIC_CLASS(TfrmAbout, wxDialog);

TfrmAbout::TfrmAbout() = default;

TfrmAbout::TfrmAbout(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos, const wxSize& size,
                     long style)
{
    Create(parent, id, caption, pos, size, style);

    // The link receives mouse input itself: it is a generic static text with
    // a window of its own (see BuildControls).
    lblWebLink->Connect(wxID_ANY, wxEVT_ENTER_WINDOW, wxMouseEventHandler(TfrmAbout::OnLinkEnter), nullptr, this);
    lblWebLink->Connect(wxID_ANY, wxEVT_LEAVE_WINDOW, wxMouseEventHandler(TfrmAbout::OnLinkLeave), nullptr, this);
    lblWebLink->Connect(wxID_ANY, wxEVT_LEFT_UP, wxMouseEventHandler(TfrmAbout::OnLinkClick), nullptr, this);
    lblWebLink->Bind(wxEVT_KEY_DOWN, &TfrmAbout::OnLinkKey, this);
    // GTK's own focus chain passes over a window of wxWidgets' drawing, so
    // Tab goes between the two controls that take the focus here.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        wxWindow* ok = FindWindow(wxID_CANCEL);
        if (event.GetKeyCode() != WXK_TAB || (event.GetModifiers() & ~wxMOD_SHIFT) != 0 || ok == nullptr) {
            event.Skip();
            return;
        }
        if (wxWindow::FindFocus() == lblWebLink) {
            ok->SetFocus();
        } else {
            lblWebLink->SetFocus();
        }
    });

    ReadVersionInfo();

    if (auto* window = dynamic_cast<wxTopLevelWindow*>(parent)) {
        wxIcon icon = window->GetIcon();
        if (icon.IsOk()) {
            IconBitmap.CopyFromIcon(icon);
        }
    }
    bmpIcon->SetBitmap(IconBitmap);

    FitToContents();
    Bind(wxEVT_SHOW, &TfrmAbout::OnShown, this);
}

// GTK sizes a top-level window for real only when it maps it, and a
// configure event still on its way from an earlier window can then
// overwrite the size set here, leaving the dialog at a default size in the
// screen's corner: held by size hints, the size cannot change. And while
// the styles of a window just closed (the help window) are still being
// taken apart, GTK measures controls without theirs (an OK button 9 pixels
// high): measured again once the dialog is on screen, they are right.
void TfrmAbout::FitToContents()
{
    for (wxWindow* child : pnlAbout->GetChildren()) {
        child->InvalidateBestSize();
    }
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    const wxSize needed = pnlAbout->GetSizer()->GetMinSize();
    pnlAbout->SetSize(std::max(DesignedPanelSize.x, needed.x), std::max(DesignedPanelSize.y, needed.y));
    Fit();
    SetSizeHints(GetSize(), GetSize());
    Centre(wxBOTH);
}

void TfrmAbout::OnShown(wxShowEvent& event)
{
    event.Skip();
    if (!event.IsShown()) {
        return;
    }
    FitToContents();
    CallAfter([this] { FitToContents(); });
    // The link takes the focus by Tab only: the OK button starts with it.
    if (wxWindow* ok = FindWindow(wxID_CANCEL)) {
        ok->SetFocus();
    }
}

TfrmAbout::~TfrmAbout() = default;

bool TfrmAbout::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos, const wxSize& size,
                       long style)
{
    SetExtraStyle(GetExtraStyle() | wxWS_EX_BLOCK_EVENTS);
    pnlAbout = nullptr;
    bmpIcon = nullptr;
    lblProduct = nullptr;
    lblCopyright = nullptr;
    lblWebLink = nullptr;
    // The caption is a format: "About %s", the product's name in place of
    // the %s, nothing while there is none.
    CaptionFormat = caption;
    wxDialog::Create(parent, id, wxString::Format(CaptionFormat, wxString()), pos, size, style, "dialog");
    BuildControls();
    Centre(wxBOTH);
    return true;
}

void TfrmAbout::BuildControls()
{
    SetFont(DialogFont(false));

    pnlAbout = new wxPanel(this, ids::pnlAbout, wxDefaultPosition, DesignedPanelSize, wxTAB_TRAVERSAL, "panel");

    auto* grid = new wxFlexGridSizer(2, 3, 0, 0);
    grid->AddGrowableCol(2, 0);
    pnlAbout->SetSizer(grid);

    grid->Add(8, 5, 0, wxTOP | wxBOTTOM, 5);

    bmpIcon =
        new wxStaticBitmap(pnlAbout, wxID_STATIC, wxNullBitmap, wxDefaultPosition, wxSize(32, 32), 0, "staticBitmap");
    grid->Add(bmpIcon, 0, wxTOP | wxBOTTOM, 12);

    auto* texts = new wxBoxSizer(wxVERTICAL);
    grid->Add(texts, 1, wxEXPAND | wxLEFT | wxTOP | wxBOTTOM, 10);

    lblProduct =
        new wxStaticText(pnlAbout, wxID_STATIC, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, "staticText");
    texts->Add(lblProduct, 0, 0, 5);

    lblCopyright =
        new wxStaticText(pnlAbout, wxID_STATIC, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, "staticText");
    texts->Add(lblCopyright, 0, wxRIGHT | wxTOP | wxBOTTOM, 7);

    lblWebLink =
        new TWebLink(pnlAbout, ids::lblWebLink, MakerWebAddress, wxDefaultPosition, wxDefaultSize, 0, "staticText");
    lblWebLink->SetForegroundColour(LinkColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    lblWebLink->SetFont(DialogFont(true));
    // Its size was taken with the dialog's font when it was made.
    lblWebLink->InvalidateBestSize();
    lblWebLink->SetMinSize(lblWebLink->GetBestSize());
    SetAccessibleRole(lblWebLink, "link");
    SetAccessibleName(lblWebLink, MakerWebAddress);
    texts->Add(lblWebLink, 0, wxBOTTOM, 9);

    auto* ok =
        new wxButton(pnlAbout, wxID_CANCEL, _("OK"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "button");
    ok->SetDefault();
    texts->Add(ok, 0, wxALIGN_RIGHT | wxRIGHT, 8);
}

void TfrmAbout::ReadVersionInfo()
{
    TVersionInfo info;
    if (!info.Load(ExecutablePath())) {
        return; // both lines stay empty, the caption as given
    }

    // The values are data, not labels: an "&" in them is shown as it is.
    if (auto product = info.Query("ProductName")) {
        wxString text = wxString::FromUTF8(product->c_str());
        lblProduct->SetLabelText(text);
        SetTitle(wxString::Format(CaptionFormat, text));
    }
    if (auto version = info.Query("FileVersion")) {
        lblProduct->SetLabelText(lblProduct->GetLabelText() + " " + wxString::FromUTF8(version->c_str()));
    }
    if (auto copyright = info.Query("LegalCopyright")) {
        lblCopyright->SetLabelText(wxString::FromUTF8(copyright->c_str()));
    }
}

void TfrmAbout::OnOK(wxCommandEvent& event)
{
    Close(true);
    event.Skip();
}

void TfrmAbout::OnLinkEnter(wxMouseEvent&)
{
    SetCursor(wxCursor(wxCURSOR_HAND));
}

void TfrmAbout::OnLinkLeave(wxMouseEvent&)
{
    SetCursor(wxNullCursor);
}

void TfrmAbout::OnLinkClick(wxMouseEvent&)
{
    OpenWebAddress(lblWebLink->GetLabelText().utf8_string());
}

void TfrmAbout::OnLinkKey(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_SPACE:
        OpenWebAddress(lblWebLink->GetLabelText().utf8_string());
        break;
    default:
        event.Skip(); // Tab, Escape and the rest as usual
    }
}
