#include "MessageBox.h"

#include <wx/dcclient.h>
#include <wx/dcscreen.h>
#include <wx/display.h>
#include <wx/settings.h>

#include <algorithm>

#include "NativeWidgets.h"

namespace {

// A readable line: about this many average characters.
constexpr int LineCharacters = 60;

// Breaks a paragraph into lines no wider than width at its spaces, between
// the characters of scripts written without spaces (Chinese, Japanese), and
// a word wider than a line (a long path) between its characters.
void WrapParagraph(const wxString& paragraph, const wxDC& dc, int width, wxString& wrapped)
{
    wxString line;
    auto fits = [&](const wxString& text) { return dc.GetTextExtent(text).x <= width; };
    auto endLine = [&] {
        wrapped += line + "\n";
        line.clear();
    };
    const wxArrayString words = wxSplit(paragraph, ' ', '\0');
    for (std::size_t i = 0; i < words.size(); ++i) {
        const wxString candidate = line.empty() ? words[i] : line + " " + words[i];
        if (fits(candidate)) {
            line = candidate;
            continue;
        }
        const bool ideographic =
            std::any_of(words[i].begin(), words[i].end(), [](wxUniChar c) { return c.GetValue() >= 0x2e80; });
        if (ideographic && !line.empty() && fits(line + " ")) {
            line += " "; // the line takes as much of the word as it holds
        } else if (!line.empty()) {
            endLine();
        }
        for (const wxUniChar c : words[i]) {
            if (!line.empty() && !fits(line + c)) {
                endLine();
            }
            line += c;
        }
    }
    wrapped += line;
}

} // namespace

TMessageBox::TMessageBox(wxWindow* parent, const wxString& message, const wxString& caption, long style)
    : wxGenericMessageDialog(parent, message, caption, style)
{
}

wxString TMessageBox::Wrapped(const wxString& message, wxWindow* near)
{
    wxScreenDC dc;
    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    const int display = near != nullptr ? wxDisplay::GetFromWindow(near) : wxNOT_FOUND;
    const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0U : static_cast<unsigned>(display)).GetClientArea();
    // Beside the text: the icon, the box's borders and the window frame's.
    const int room = area.width - wxWindow::FromDIP(160, near);
    const int width = std::max(wxWindow::FromDIP(100, near), std::min(LineCharacters * dc.GetCharWidth(), room));
    wxString wrapped;
    const wxArrayString paragraphs = wxSplit(message, '\n', '\0');
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        if (i > 0) {
            wrapped += "\n";
        }
        WrapParagraph(paragraphs[i], dc, width, wrapped);
    }
    return wrapped;
}

void TMessageBox::Prepare()
{
    if (Prepared) {
        return;
    }
    Prepared = true;
    // The lines shown are wrapped; the message, as read back, stays whole.
    const wxString message = GetMessage();
    SetMessage(Wrapped(message, GetParent()));
    DoCreateMsgdialog();
    SetMessage(message);
    SetWindowClass(this, ApplicationId()); // the program's, as its main window's
    // Read by screen readers as an alert, its text with it.
    SetAccessibleRole(this, "alert");
    // The caption in the title bar's bold face, with room for the window
    // manager's icon and buttons beside it.
    wxClientDC dc(this);
    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Bold());
    const int title = dc.GetTextExtent(GetTitle()).x + FromDIP(140);
    if (GetSize().x < title) {
        SetSize(title, GetSize().y);
        Layout();
    }
    // Its size is its text's: neither resized nor maximised.
    SetSizeHints(GetSize(), GetSize());
}

int TMessageBox::ShowModal()
{
    Prepare();
    Centre(wxBOTH);
    return wxDialog::ShowModal();
}

void ShowMessageBox(wxWindow* parent, const wxString& message, const wxString& caption, long style)
{
    TMessageBox box(parent, message, caption, style);
    box.ShowModal();
}
