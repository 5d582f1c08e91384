#include "frmAbout.h"

#include <wx/button.h>
#include <wx/cursor.h>
#include <wx/font.h>
#include <wx/icon.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/generic/stattextg.h> // after wx/stattext.h, which it needs
#include <wx/toplevel.h>

#include <algorithm>

#include "ExecutablePath.h"
#include "VersionInfo.h"
#include "WebBrowser.h"
#include "ids.h"

namespace {

// The panel's size as designed; at larger system fonts and buttons the
// panel grows to what its controls need instead of clipping them.
const wxSize DesignedPanelSize(255, 89);

wxFont DialogFont(bool underlined)
{
    return wxFont(8, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, underlined, "MS Sans Serif");
}

} // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(TfrmAbout, wxDialog)
    EVT_BUTTON(wxID_CANCEL, TfrmAbout::OnOK)
wxEND_EVENT_TABLE()
// clang-format on

wxIMPLEMENT_DYNAMIC_CLASS(TfrmAbout, wxDialog);

TfrmAbout::TfrmAbout() = default;

TfrmAbout::TfrmAbout(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                     const wxSize& size, long style)
{
    Create(parent, id, caption, pos, size, style);

    // The link receives mouse input itself: it is a generic static text with
    // a window of its own (see BuildControls).
    lblWebLink->Connect(wxID_ANY, wxEVT_ENTER_WINDOW, wxMouseEventHandler(TfrmAbout::OnLinkEnter), nullptr, this);
    lblWebLink->Connect(wxID_ANY, wxEVT_LEAVE_WINDOW, wxMouseEventHandler(TfrmAbout::OnLinkLeave), nullptr, this);
    lblWebLink->Connect(wxID_ANY, wxEVT_LEFT_UP, wxMouseEventHandler(TfrmAbout::OnLinkClick), nullptr, this);

    ReadVersionInfo();

    if (auto* window = dynamic_cast<wxTopLevelWindow*>(parent)) {
        wxIcon icon = window->GetIcon();
        if (icon.IsOk())
            IconBitmap.CopyFromIcon(icon);
    }
    bmpIcon->SetBitmap(IconBitmap);

    wxSize needed = pnlAbout->GetSizer()->GetMinSize();
    pnlAbout->SetSize(std::max(DesignedPanelSize.x, needed.x), std::max(DesignedPanelSize.y, needed.y));
    Fit();
    Centre(wxBOTH);
}

TfrmAbout::~TfrmAbout() = default;

bool TfrmAbout::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                       const wxSize& size, long style)
{
    SetExtraStyle(GetExtraStyle() | wxWS_EX_BLOCK_EVENTS);
    pnlAbout = nullptr;
    bmpIcon = nullptr;
    lblProduct = nullptr;
    lblCopyright = nullptr;
    lblWebLink = nullptr;
    wxDialog::Create(parent, id, caption, pos, size, style, "dialog");
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

    bmpIcon = new wxStaticBitmap(pnlAbout, wxID_STATIC, wxNullBitmap, wxDefaultPosition, wxSize(32, 32), 0,
                                 "staticBitmap");
    grid->Add(bmpIcon, 0, wxTOP | wxBOTTOM, 12);

    auto* texts = new wxBoxSizer(wxVERTICAL);
    grid->Add(texts, 1, wxEXPAND | wxLEFT | wxTOP | wxBOTTOM, 10);

    lblProduct = new wxStaticText(pnlAbout, wxID_STATIC, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                                  "staticText");
    texts->Add(lblProduct, 0, 0, 5);

    lblCopyright = new wxStaticText(pnlAbout, wxID_STATIC, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                                    "staticText");
    texts->Add(lblCopyright, 0, wxRIGHT | wxTOP | wxBOTTOM, 7);

    lblWebLink = new wxGenericStaticText(pnlAbout, ids::lblWebLink, MakerWebAddress, wxDefaultPosition, wxDefaultSize, 0,
                                         "staticText");
    lblWebLink->SetForegroundColour(wxColour(0, 0, 255));
    lblWebLink->SetFont(DialogFont(true));
    texts->Add(lblWebLink, 0, wxBOTTOM, 9);

    auto* ok = new wxButton(pnlAbout, wxID_CANCEL, "OK", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                            "button");
    ok->SetDefault();
    texts->Add(ok, 0, wxALIGN_RIGHT | wxRIGHT, 8);
}

void TfrmAbout::ReadVersionInfo()
{
    TVersionInfo info;
    if (!info.Load(ExecutablePath()))
        return; // both lines stay empty, the caption as given

    // The values are data, not labels: an "&" in them is shown as it is.
    if (auto product = info.Query("ProductName")) {
        wxString text = wxString::FromUTF8(product->c_str());
        lblProduct->SetLabelText(text);
        SetTitle(GetTitle() + text);
    }
    if (auto version = info.Query("FileVersion"))
        lblProduct->SetLabelText(lblProduct->GetLabelText() + " " + wxString::FromUTF8(version->c_str()));
    if (auto copyright = info.Query("LegalCopyright"))
        lblCopyright->SetLabelText(wxString::FromUTF8(copyright->c_str()));
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
