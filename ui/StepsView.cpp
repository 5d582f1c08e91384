#include "StepsView.h"

#include "MessageBox.h"
#include "Translations.h"
#include "NativeWidgets.h"

#include <wx/intl.h>
#include <wx/clipbrd.h>
#include <wx/dataview.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/scrolbar.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <vector>

namespace {

// A cell holds at least this many characters from the first column in view,
// so that a screen reader reads more of a line than fits the box.
constexpr std::size_t CellCharacters = 400;
// Columns moved by one Left or Right key, and by one step of the wheel.
constexpr std::size_t KeyColumns = 4;

void AppendEscaped(wxString& markup, const std::string& text)
{
    for (const char c : text) {
        switch (c) {
        case '&':
            markup += "&amp;";
            break;
        case '<':
            markup += "&lt;";
            break;
        case '>':
            markup += "&gt;";
            break;
        default:
            markup += static_cast<wxUniChar>(static_cast<unsigned char>(c));
            break;
        }
    }
}

} // namespace

// Lines of the history as rows of one text column, in markup: the marked
// part of each line bold and underlined, which reads on any background and
// changes nothing that is copied.
class TStepsModel : public wxDataViewVirtualListModel {
public:
    TStepsModel(const TStepHistory& history) : wxDataViewVirtualListModel(0), History(history) {}

    unsigned GetColumnCount() const override { return 1; }
    wxString GetColumnType(unsigned) const override { return "string"; }

    void GetValueByRow(wxVariant& variant, unsigned row, unsigned) const override
    {
        if (row >= History.Count()) {
            variant = wxString();
            return;
        }
        const std::size_t width = std::max(CellCharacters, Width);
        const std::size_t end = FirstColumn + width;
        const TStepHistory::TMark mark = History.MarkOf(row);
        const std::size_t markStart = std::clamp(mark.Start, FirstColumn, end);
        const std::size_t markEnd = std::clamp(mark.Start + mark.Length, FirstColumn, end);
        wxString markup;
        markup.reserve(width + 64);
        AppendEscaped(markup, History.Line(row, FirstColumn, markStart - FirstColumn));
        if (markEnd > markStart) {
            markup += "<span weight=\"bold\" underline=\"single\">";
            AppendEscaped(markup, History.Line(row, markStart, markEnd - markStart));
            markup += "</span>";
        }
        AppendEscaped(markup, History.Line(row, markEnd, end - markEnd));
        variant = markup;
    }

    bool SetValueByRow(const wxVariant&, unsigned, unsigned) override { return false; }

    std::size_t FirstColumn = 0;
    std::size_t Width = 1;

private:
    const TStepHistory& History;
};

TStepsView::TStepsView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxPanel(parent, id, pos, size, wxTAB_TRAVERSAL | wxBORDER_NONE)
{
    List = new wxDataViewCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxDV_MULTIPLE | wxDV_NO_HEADER);
    Model = new TStepsModel(History);
    List->AssociateModel(Model);
    Model->DecRef(); // the list holds the model now
    auto* renderer = new wxDataViewTextRenderer("string", wxDATAVIEW_CELL_INERT);
    renderer->EnableMarkup();
    auto* column = new wxDataViewColumn(wxEmptyString, renderer, 0, 100, wxALIGN_LEFT, 0);
    List->AppendColumn(column);
    List->SetName(_("Steps"));
    // Moving up or down may bring only lines shorter than the column in view.
    UseUniformRows(List, _("Steps"), [this] { CallAfter([this] { KeepLinesInView(); }); });

    Sideways = new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_HORIZONTAL);
    Sideways->Hide();
    SetFont(GetFont());

    Bind(wxEVT_SIZE, &TStepsView::OnSize, this);
    List->Bind(wxEVT_SIZE, &TStepsView::OnListSize, this);
    List->Bind(wxEVT_KEY_DOWN, &TStepsView::OnKeyDown, this);
    List->Bind(wxEVT_MOUSEWHEEL, &TStepsView::OnWheel, this);
    List->Bind(wxEVT_DATAVIEW_ITEM_CONTEXT_MENU, &TStepsView::OnContextMenu, this);
    Sideways->Bind(wxEVT_SCROLL_THUMBTRACK, &TStepsView::OnScroll, this);
    Sideways->Bind(wxEVT_SCROLL_CHANGED, &TStepsView::OnScroll, this);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { CopySelection(); }, wxID_COPY);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { List->SelectAll(); }, wxID_SELECTALL);
}

TStepsView::~TStepsView()
{
    // The list reads the history while it lives: it goes first.
    DestroyChildren();
}

void TStepsView::ShowSteps()
{
    FirstColumn = 0;
    Model->FirstColumn = 0;
    Model->Reset(static_cast<unsigned>(std::min<std::size_t>(History.Count(), 0xFFFFFFF0u)));
    UpdateColumns();
    if (History.Count() > 0) {
        List->EnsureVisible(Model->GetItem(0));
    }
}

void TStepsView::Clear()
{
    History.Clear();
    FirstColumn = 0;
    Model->FirstColumn = 0;
    Model->Reset(0);
    UpdateColumns();
}

// Columns the sideways scrollbar covers: the longest line shown, and one more.
std::size_t TStepsView::LongestShown() const
{
    return Model->GetCount() > 0 ? History.LongestLine() + 1 : 0;
}

std::size_t TStepsView::GetLineCount() const
{
    return Model->GetCount();
}

std::size_t TStepsView::GetFirstVisibleLine() const
{
    const wxDataViewItem top = List->GetTopItem();
    return top.IsOk() ? Model->GetRow(top) : 0;
}

long TStepsView::GetCursorLine() const
{
    const wxDataViewItem item = List->GetCurrentItem();
    return item.IsOk() ? static_cast<long>(Model->GetRow(item)) : -1;
}

bool TStepsView::SetFont(const wxFont& font)
{
    wxPanel::SetFont(font);
    const bool done = List->SetFont(font);
    // The text and a little room above and below it, as GTK pads its rows.
    const int cellHeight = List->GetCharHeight() + List->FromDIP(4);
    RowHeight = SetUniformRowHeight(List, cellHeight);
    LayOut();
    UpdateColumns();
    return done;
}

// The list's frame around its rows.
static int FrameHeight(const wxWindow* list)
{
    return std::max(list->GetSize().y - list->GetClientSize().y, 0);
}

int TStepsView::HeightForRows(int rows) const
{
    return rows * RowHeight + FrameHeight(List) + Sideways->GetBestSize().y;
}

int TStepsView::GetVisibleRows() const
{
    return (List->GetSize().y - FrameHeight(List)) / RowHeight;
}

// No row cut in half at the bottom: the list takes whole rows, the sideways
// scrollbar sits right under them, and what is left over stays empty.
void TStepsView::LayOut()
{
    const wxSize size = GetClientSize();
    const int bar = Sideways->IsShown() ? Sideways->GetBestSize().y : 0;
    const int frame = FrameHeight(List);
    const int rows = std::max((size.y - bar - frame) / RowHeight, 1);
    const int height = std::min(rows * RowHeight + frame, std::max(size.y - bar, 0));
    List->SetSize(0, 0, size.x, height);
    Sideways->SetSize(0, height, size.x, bar);
}

void TStepsView::OnSize(wxSizeEvent&)
{
    LayOut();
}

bool TStepsView::SetBackgroundColour(const wxColour& colour)
{
    wxPanel::SetBackgroundColour(colour);
    return List->SetBackgroundColour(colour);
}

bool TStepsView::SetForegroundColour(const wxColour& colour)
{
    wxPanel::SetForegroundColour(colour);
    return List->SetForegroundColour(colour);
}

// The column is exactly as wide as the list, and the sideways scrollbar
// covers the longest line.
void TStepsView::UpdateColumns()
{
    const int clientWidth = std::max(List->GetClientSize().x, 1);
    wxClientDC dc(List);
    dc.SetFont(List->GetFont());
    const int charWidth = std::max(dc.GetTextExtent("0123456789").x / 10, 1);
    VisibleColumns = std::max(static_cast<std::size_t>(clientWidth / charWidth), std::size_t{1});
    Model->Width = VisibleColumns + 1;
    if (wxDataViewColumn* column = List->GetColumn(0)) {
        column->SetWidth(clientWidth);
    }

    const std::size_t longest = LongestShown();
    const bool needed = longest > VisibleColumns;
    if (!needed && FirstColumn != 0) {
        ScrollToColumn(0);
    }
    if (needed) {
        const int range = static_cast<int>(std::min<std::size_t>(longest, 0x7FFFFFFF));
        Sideways->SetScrollbar(static_cast<int>(FirstColumn), static_cast<int>(VisibleColumns), range,
                               static_cast<int>(VisibleColumns));
    }
    if (Sideways->IsShown() != needed) {
        Sideways->Show(needed);
        LayOut();
    }
}

void TStepsView::ScrollToColumn(std::size_t column)
{
    const std::size_t longest = LongestShown();
    const std::size_t last = longest > VisibleColumns ? longest - VisibleColumns : 0;
    column = std::min(column, last);
    if (column == FirstColumn) {
        return;
    }
    FirstColumn = column;
    Model->FirstColumn = column;
    Sideways->SetThumbPosition(static_cast<int>(column));
    // Every row in view at once: the list's own refresh leaves the rows as
    // drawn, and only those redrawn for another reason would move.
    RedrawAllRows(List);
}

// Scrolled sideways past every line in view (End after Right, say), the
// list would look empty: it goes back to show the end of the longest.
void TStepsView::KeepLinesInView()
{
    if (FirstColumn == 0) {
        return;
    }
    const std::size_t first = GetFirstVisibleLine();
    const std::size_t last = std::min(GetLineCount(), first + static_cast<std::size_t>(GetVisibleRows()) + 1);
    std::size_t longest = 0;
    for (std::size_t line = first; line < last; ++line) {
        longest = std::max(longest, History.LineLength(line));
    }
    if (longest <= FirstColumn) {
        ScrollToColumn(longest > VisibleColumns ? longest - VisibleColumns + 1 : 0);
    }
}

void TStepsView::OnListSize(wxSizeEvent& event)
{
    event.Skip();
    CallAfter([this] { UpdateColumns(); });
}

void TStepsView::OnScroll(wxScrollEvent& event)
{
    ScrollToColumn(static_cast<std::size_t>(std::max(event.GetPosition(), 0)));
}

void TStepsView::OnKeyDown(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    const bool control = event.GetModifiers() == wxMOD_CONTROL;
    if (control && (key == 'C' || key == WXK_INSERT)) {
        CopySelection();
        return;
    }
    if (control && key == 'A') {
        List->SelectAll();
        return;
    }
    if (key == WXK_LEFT || key == WXK_RIGHT) {
        const std::size_t by = event.ControlDown() ? VisibleColumns : KeyColumns;
        if (key == WXK_LEFT) {
            ScrollToColumn(FirstColumn > by ? FirstColumn - by : 0);
        } else {
            ScrollToColumn(FirstColumn + by);
        }
        return;
    }
    event.Skip(); // the list's own keys: lines, pages, first and last
}

void TStepsView::OnWheel(wxMouseEvent& event)
{
    if (event.GetWheelAxis() != wxMOUSE_WHEEL_HORIZONTAL && !event.ShiftDown()) {
        event.Skip();
        return;
    }
    const int steps = event.GetWheelRotation() / std::max(event.GetWheelDelta(), 1);
    const std::size_t by = KeyColumns * static_cast<std::size_t>(std::max(std::abs(steps), 1));
    // Up and left move towards the start of the line.
    const bool back = event.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL ? steps < 0 : steps > 0;
    ScrollToColumn(back ? (FirstColumn > by ? FirstColumn - by : 0) : FirstColumn + by);
}

void TStepsView::OnContextMenu(wxDataViewEvent&)
{
    wxMenu menu;
    menu.Append(wxID_COPY, _("&Copy\tCtrl+C"));
    menu.Append(wxID_SELECTALL, _("Select &All\tCtrl+A"));
    menu.Enable(wxID_COPY, List->HasSelection());
    PopupMenu(&menu);
}

std::string TStepsView::GetLines(std::size_t from, std::size_t to) const
{
    std::string text;
    to = std::min(to, GetLineCount());
    for (std::size_t line = from; line < to; ++line) {
        if (line != from) {
            text += '\n';
        }
        History.AppendLine(text, line);
    }
    return text;
}

void TStepsView::SelectLines(std::size_t from, std::size_t to)
{
    wxDataViewItemArray items;
    to = std::min(to, GetLineCount());
    for (std::size_t line = from; line < to; ++line) {
        items.push_back(Model->GetItem(static_cast<unsigned>(line)));
    }
    List->SetSelections(items);
}

// The selected lines in order, the rows past the steps shown left out.
std::vector<unsigned> TStepsView::SelectedLines() const
{
    wxDataViewItemArray items;
    List->GetSelections(items);
    std::vector<unsigned> lines;
    lines.reserve(items.size());
    for (const wxDataViewItem& item : items) {
        const unsigned line = Model->GetRow(item);
        if (line < GetLineCount()) {
            lines.push_back(line);
        }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string TStepsView::TextOf(const std::vector<unsigned>& lines) const
{
    std::string text;
    for (const unsigned line : lines) {
        if (line != lines.front()) {
            text += '\n';
        }
        History.AppendLine(text, line);
    }
    return text;
}

std::string TStepsView::GetSelectedText() const
{
    return TextOf(SelectedLines());
}

bool TStepsView::CopySelection()
{
    const std::vector<unsigned> lines = SelectedLines();
    if (lines.empty()) {
        return false;
    }
    std::size_t length = 0;
    for (const unsigned line : lines) {
        length += History.LineLength(line) + 1;
    }
    if (length > CopyLimit) {
        const wxTopLevelWindow* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(this));
        ShowMessageBox(this,
                       // TRANSLATORS: the number of steps, the megabytes (MB) they hold
                       // and the most that can be copied; write the unit as the language does.
                       wxString::Format(wxPLURAL("The %s selected step holds %s MB of text, more than the %s MB "
                                                 "that can be copied at once. Select fewer steps and copy again.",
                                                 "The %s selected steps hold %s MB of text, more than the %s MB "
                                                 "that can be copied at once. Select fewer steps and copy again.",
                                                 lines.size()),
                                        LocalNumber(static_cast<double>(lines.size())),
                                        LocalNumber(static_cast<double>(length) / (1 << 20), 1),
                                        LocalNumber(static_cast<double>(CopyLimit >> 20))),
                       top != nullptr ? top->GetTitle() : wxString(), wxOK | wxICON_INFORMATION);
        return false;
    }
    const std::string text = TextOf(lines);
    wxClipboardLocker locker;
    if (!locker) {
        return false;
    }
    wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(text)));
    return true;
}
