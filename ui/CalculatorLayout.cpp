// The main window's layout: its controls, menus and toolbar, the sizes of
// its two views (steps shown and hidden), and its place on the screen. The
// sizes follow the fonts and the theme: the numbers below are lower bounds
// that GTK's larger controls and the desktop's text size may widen. Laying
// out costs O(controls); nothing here depends on the equation or its steps.
#include "frmCalculator.h"

#include <wx/intl.h>
#include <wx/combobox.h>
#include <wx/display.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "Fonts.h"
#include "NativeWidgets.h"
#include "StepsView.h"
#include "WindowImages.h"
#include "ids.h"

namespace {

// Sizer borders of the layout; the view sizes below are worked out from them.
constexpr int OuterBorder = 7;         // around everything
constexpr int EquationGap = 2;         // between the equation box and the row below
constexpr int ColumnGap = 2;           // right of the result column
constexpr int StepsTopBorder = 6;      // above the steps box
constexpr int ResultRightBorder = 5;   // right of the Result box and the memory row
constexpr int FieldTextMargin = 4;     // above and below a field's text
constexpr int DropDownButtonRoom = 40; // the list's own padding and border
constexpr int FieldGap = 4;            // between a label and its field

// The steps box's size when the window opens with the steps shown: at least
// this, and room for StepsBoxColumns characters of the field font.
const wxSize StepsBoxSize(194, 143);
constexpr int StepsBoxColumns = 36;
// Whole rows at least, for the steps of an equation of a few operations.
constexpr int StepsBoxRows = 7;
// On a screen too small for the natural sizes: the steps box keeps at least
// this many characters, and the result fields this many.
constexpr int StepsBoxMinColumns = 20;
constexpr int FieldMinColumns = 16;

// The window's own sizes for the two views. GTK draws controls larger than
// the platform these numbers were chosen on, so they are lower bounds: the
// result column at its natural size wins where it needs more.
constexpr int StepsShownClientWidth = 543;

struct TTool {
    wxWindowID Id; // wxID_SEPARATOR for a separator
    const char* ImageKey;
    const char* ShortHelp;
};

constexpr TTool Tools[] = {
    {ids::ToolClear, "Images/clear.xpm", wxTRANSLATE("Clears the current calculation")},
    {wxID_SEPARATOR, nullptr, nullptr},
    {ids::ToolExponent, "Images/exponent.xpm", wxTRANSLATE("Inserts an exponent operator")},
    {ids::ToolRoot, "Images/root.xpm", wxTRANSLATE("Inserts a root operator")},
    {wxID_SEPARATOR, nullptr, nullptr},
    {ids::ToolPi, "Images/pi.xpm", wxTRANSLATE("Inserts the constant PI")},
    {wxID_SEPARATOR, nullptr, nullptr},
    {ids::ToolLeftParenthesis, "Images/lparenthesis.xpm", wxTRANSLATE("Inserts a left parenthesis")},
    {ids::ToolRightParenthesis, "Images/rparenthesis.xpm", wxTRANSLATE("Inserts a right parenthesis")},
    {wxID_SEPARATOR, nullptr, nullptr},
    {ids::ToolMemoryStore, "Images/ms.xpm", wxTRANSLATE("Memory: store")},
    {ids::ToolMemoryRetrieve, "Images/mr.xpm", wxTRANSLATE("Memory: retrieve")},
    {ids::ToolMemoryClear, "Images/mc.xpm", wxTRANSLATE("Memory: clear")},
};

// The widest texts the result fields show: a 64-bit binary value with its
// sign, 29 significant digits with a point and a sign, and an exponent form.
const char* const WidestResults[] = {
    "-1000000000000000000000000000000000000000000000000000000000000000",
    "-1.2345678901234567890123456789",
    "1.18059162071741E+21",
};

// A value wider than its field gets an arrow that scrolls it: nothing else
// would tell that digits are out of sight.
void UpdateScrollCue(wxTextCtrl* field)
{
    const int room = field->GetSize().x - field->GetSizeFromTextSize(0).x;
    ShowScrollCue(field, field->GetTextExtent(field->GetValue()).x > room);
}

// The work area of the display the window is on: the whole display less
// panels and docks.
wxRect WorkArea(const wxWindow* window)
{
    const int index = wxDisplay::GetFromWindow(window);
    return wxDisplay(index == wxNOT_FOUND ? 0U : static_cast<unsigned>(index)).GetClientArea();
}

// A label at least as wide as designed and never narrower than its text.
wxStaticText* NewLabel(wxWindow* parent, const wxString& text, int width)
{
    auto* label = new wxStaticText(parent, wxID_STATIC, text);
    label->SetMinSize(wxSize(std::max(width, label->GetBestSize().x), wxDefaultCoord));
    return label;
}

} // namespace

void TfrmCalculator::StyleResultFields()
{
    // Read-only fields look like part of the window, not like inputs. On a
    // dark theme the window's own colour would hide their extent: one step
    // lighter there shows it.
    wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    if (wxSystemSettings::GetAppearance().IsUsingDarkBackground()) {
        face = face.ChangeLightness(111);
    }
    // On that background the theme's own text colour for it, light or dark.
    const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    std::vector<wxTextCtrl*> fields(ResultFields.begin(), ResultFields.end());
    fields.push_back(txtMemory);
    for (wxTextCtrl* field : fields) {
        field->SetBackgroundColour(face);
        field->SetForegroundColour(text);
    }

    for (wxTextCtrl* field : ResultFields) {
        field->Bind(wxEVT_TEXT, [field](wxCommandEvent& event) {
            UpdateScrollCue(field);
            event.Skip();
        });
        field->Bind(wxEVT_SIZE, [field](wxSizeEvent& event) {
            UpdateScrollCue(field);
            event.Skip();
        });
    }
}

void TfrmCalculator::FitIntoScreen()
{
    // The minimum is a client size: the frame's is that plus the menu bar
    // and toolbar, whose heights GTK knows only once they are shown.
    SetMinClientSize(StepsHiddenClientSize());
    FitInto(WorkArea(this).GetSize());
}

void TfrmCalculator::PlaceOnScreen()
{
    // Centred in the work area at the size the view state gave; a window
    // larger than the screen (a scaled desktop) gives way first.
    // Where the compositor places windows, the place is its own.
    const wxRect screen = WorkArea(this);
    FitInto(screen.GetSize());
    if (!CompositorPlacesWindows()) {
        Move(screen.x + std::max(0, (screen.width - GetSize().x) / 2),
             screen.y + std::max(0, (screen.height - GetSize().y) / 2));
    }
    // Until it is shown, the window's screen is a guess (the first one): the
    // compositor or the window manager may open it on another, smaller one,
    // and says which only some time after the window is mapped. So for a
    // moment after showing, its size is fitted to the screen it is on; its
    // place is left alone. Fitting only ever shrinks it.
    Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
        event.Skip();
        if (event.IsShown() && ScreenFits == 0) {
            CallAfter([this] { FitIntoScreen(); });
            ScreenFitTimer.StartOnce(ScreenFitInterval);
        }
    });
    ScreenFitTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        FitIntoScreen();
        if (++ScreenFits < ScreenFitRounds) {
            ScreenFitTimer.StartOnce(ScreenFitInterval);
        }
    });
}

void TfrmCalculator::BuildControls()
{
    BuildMenus();
    wxToolBar* toolBar = BuildToolbar();

    // The panel: the equation box above a row of the result column and the
    // steps box.
    pnlMain = new wxPanel(this, ids::pnlMain, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    auto* panelSizer = new wxBoxSizer(wxHORIZONTAL);
    pnlMain->SetSizer(panelSizer);
    auto* content = new wxBoxSizer(wxVERTICAL);
    panelSizer->Add(content, 1, wxEXPAND | wxALL, OuterBorder);

    cboEquation = new wxComboBox(pnlMain, ids::cboEquation, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                                 wxCB_DROPDOWN | EquationBoxStyle());
    AllowLongestText(cboEquation);
    cboEquation->SetFont(FieldFont());
    // TRANSLATORS: what a screen reader says for the equation box; never shown.
    SetAccessibleName(cboEquation, _("Equation"));
    content->Add(cboEquation, 0, wxEXPAND);

    auto* resultsAndSteps = new wxBoxSizer(wxHORIZONTAL);
    content->Add(resultsAndSteps, 1, wxEXPAND | wxTOP, EquationGap);
    BuildResultColumn(resultsAndSteps);
    BuildSteps(resultsAndSteps);

    // GTK's tool buttons are wider than those the field widths were chosen
    // for. The result column is what the steps-hidden view shows, and a
    // narrower column would cut the last tools off: widen its fields instead.
    const int shortfall = toolBar->GetBestSize().x - StepsHiddenClientSize().x;
    if (shortfall > 0) {
        for (wxTextCtrl* field : ResultFields) {
            field->SetMinSize(field->GetMinSize() + wxSize(shortfall, 0));
        }
    }
    NaturalColumnSize = ResultColumn->CalcMin();

    // The toolbar takes no keyboard focus: its commands have keys of their
    // own, which work wherever the focus is. The menus stay as they are.
    // They are looked up before any control sees the key: GTK's entry reads
    // Ctrl+M as Enter before an accelerator table is asked.
    Bind(wxEVT_CHAR_HOOK, &TfrmCalculator::OnCommandKey, this);

    // Smaller than the result column alone, controls would overlap.
    SetMinClientSize(StepsHiddenClientSize());
}

void TfrmCalculator::BuildMenus()
{
    auto* menuBar = new wxMenuBar;
    auto* fileMenu = new wxMenu;
    fileMenu->Append(ids::mnuExit, _("E&xit"), wxEmptyString, wxITEM_NORMAL);
    auto* viewMenu = new wxMenu;
    mnuSteps = viewMenu->Append(ids::mnuSteps, _("&Steps"), wxEmptyString, wxITEM_CHECK);
    mnuSteps->Check(true);
    auto* helpMenu = new wxMenu;
    helpMenu->Append(ids::mnuHelpTopics, _("&Help Topics\tF1"), wxEmptyString, wxITEM_NORMAL);
    helpMenu->AppendSeparator();
    helpMenu->Append(ids::mnuAbout, wxString::Format(_("&About %s"), MainWindowCaption), wxEmptyString, wxITEM_NORMAL);
    menuBar->Append(fileMenu, _("&File"));
    menuBar->Append(viewMenu, _("&View"));
    menuBar->Append(helpMenu, _("&Help"));
    SetMenuBar(menuBar);
}

wxToolBar* TfrmCalculator::BuildToolbar()
{
    wxToolBar* toolBar = CreateToolBar(wxTB_FLAT | wxTB_HORIZONTAL, ids::Toolbar);
    toolBar->SetToolBitmapSize(wxSize(16, 16));
    // The monochrome glyphs in the theme's text colour: black on a dark
    // toolbar would hardly show.
    const wxColour ink = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    for (const TTool& tool : Tools) {
        if (tool.Id == wxID_SEPARATOR) {
            toolBar->AddSeparator();
        } else {
            toolBar->AddTool(tool.Id, wxEmptyString, ToolBundle(tool.ImageKey, ink), wxGetTranslation(tool.ShortHelp),
                             wxITEM_NORMAL);
        }
    }
    toolBar->Realize();
    SetToolBar(toolBar);
    NameToolbarTools(toolBar);
    return toolBar;
}

// The Result box with a row per result field, and the memory row below it.
void TfrmCalculator::BuildResultColumn(wxSizer* row)
{
    auto* column = new wxBoxSizer(wxVERTICAL);
    row->Add(column, 0, wxRIGHT, ColumnGap);
    ResultColumn = column;

    auto* resultBox = new wxStaticBoxSizer(new wxStaticBox(pnlMain, wxID_ANY, _("Result")), wxVERTICAL);
    column->Add(resultBox, 0, wxEXPAND | wxRIGHT, ResultRightBorder);
    // Two columns, label and field. The fields take the width the column
    // gets beyond its natural one.
    auto* grid = new wxFlexGridSizer(0, 2, 7, FieldGap);
    grid->AddGrowableCol(1);
    resultBox->Add(grid, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 3);

    // The result fields and the memory field are one family: one font, one
    // style, one height, and wide enough for the widest result. Screen
    // readers say the labels' names for them.
    auto newField = [&](wxWindowID id, const char* name) {
        auto* field =
            new wxTextCtrl(pnlMain, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_READONLY | wxNO_BORDER);
        field->SetFont(FieldFont());
        SetAccessibleName(field, wxGetTranslation(name));
        return field;
    };
    for (std::size_t i = 0; i < ResultFieldCount; ++i) {
        const TResultField& row = ResultFieldTable[i];
        grid->Add(NewLabel(pnlMain, wxGetTranslation(row.Label), row.LabelWidth), 0, wxALIGN_CENTER_VERTICAL | wxLEFT,
                  1);
        ResultFields[i] = newField(row.Id, row.Name);
        grid->Add(ResultFields[i], 0, wxEXPAND);
    }

    auto* memoryRow = new wxBoxSizer(wxHORIZONTAL);
    column->Add(memoryRow, 0, wxEXPAND | wxTOP | wxRIGHT, ResultRightBorder);
    memoryRow->Add(NewLabel(pnlMain, _("Memory:"), 57), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FieldGap);
    // TRANSLATORS: what a screen reader says for the memory field; never shown.
    txtMemory = newField(ids::txtMemory, wxTRANSLATE("Memory"));
    // Its right edge is the Result box's.
    memoryRow->Add(txtMemory, 1, wxALIGN_CENTER_VERTICAL);

    int textWidth = 0;
    for (const char* text : WidestResults) {
        textWidth = std::max(textWidth, txtMemory->GetTextExtent(text).x);
    }
    const wxSize best = txtMemory->GetSizeFromTextSize(textWidth);
    // Room above and below the digits, so the row reads as a field.
    const int height = std::max(best.y, txtMemory->GetCharHeight() + 2 * FieldTextMargin);
    for (wxTextCtrl* field : ResultFields) {
        field->SetMinSize(wxSize(best.x, height));
    }
    txtMemory->SetMinSize(wxSize(wxDefaultCoord, height));
}

void TfrmCalculator::BuildSteps(wxSizer* row)
{
    txtSteps = new TStepsView(pnlMain, ids::txtSteps, wxDefaultPosition, StepsBoxSize);
    txtSteps->SetFont(FieldFont());
    StepsBoxWidth = std::max(StepsBoxSize.x, StepsBoxColumns * txtSteps->GetCharWidth());
    // The box takes whatever width the result column leaves, down to none at
    // all: that is how the steps-hidden view hides it.
    txtSteps->SetMinSize(wxSize(0, std::max(StepsBoxSize.y, txtSteps->HeightForRows(StepsBoxRows))));
    row->Add(txtSteps, 1, wxEXPAND | wxTOP, StepsTopBorder);
}

wxSize TfrmCalculator::StepsHiddenClientSize() const
{
    const wxSize column = NaturalColumnSize != wxDefaultSize ? NaturalColumnSize : ResultColumn->CalcMin();
    const int equationHeight = cboEquation->GetBestSize().y;
    return wxSize(OuterBorder + column.x + ColumnGap + OuterBorder,
                  OuterBorder + equationHeight + EquationGap + column.y + OuterBorder);
}

wxSize TfrmCalculator::StepsShownClientSize() const
{
    const wxSize natural = pnlMain->GetSizer()->GetMinSize();
    const int width = StepsHiddenClientSize().x + StepsBoxWidth;
    return wxSize(std::max(width, StepsShownClientWidth), natural.y);
}

void TfrmCalculator::FitInto(const wxSize& area)
{
    // The frame's decorations, as far as they are known before it is shown.
    const wxSize room = area - (GetSize() - GetClientSize());
    const wxSize client = GetClientSize();
    if (client.x <= room.x && client.y <= room.y) {
        return;
    }
    // The result column and, when shown, the steps box too wide: the fields
    // give way (their values then scroll, and say so), never narrower than
    // a few digits, and the column never narrower than the toolbar.
    const int stepsWanted = mnuSteps->IsChecked() ? StepsBoxMinColumns * txtSteps->GetCharWidth() : 0;
    const int excess = StepsHiddenClientSize().x + stepsWanted - room.x;
    if (excess > 0) {
        const int toolbar = GetToolBar() != nullptr ? GetToolBar()->GetBestSize().x : 0;
        const int spare = StepsHiddenClientSize().x - toolbar;
        const wxTextCtrl* sample = DecimalField(); // all of one font and width
        const int narrowest = sample->GetSizeFromTextSize(FieldMinColumns * sample->GetCharWidth()).x;
        const int cut = std::max(0, std::min({excess, sample->GetMinSize().x - narrowest, spare}));
        for (wxTextCtrl* field : ResultFields) {
            field->SetMinSize(wxSize(field->GetMinSize().x - cut, field->GetMinSize().y));
        }
        ResultColumn->SetMinSize(wxDefaultSize);
        NaturalColumnSize = ResultColumn->CalcMin();
        SetMinClientSize(StepsHiddenClientSize());
    }
    // The steps box takes what is left, down to nothing.
    SetClientSize(std::max(StepsHiddenClientSize().x, std::min(client.x, room.x)),
                  std::max(StepsHiddenClientSize().y, std::min(client.y, room.y)));
}

// The steps box gets all the width the result column leaves. GTK will not
// draw a list narrower than its scrollbars, so with no width left it would
// still show a strip at the window's edge: take it out of the layout until
// there is room for it again, whether the view command or the user's own
// resizing made it.
void TfrmCalculator::OnPanelSize(wxSizeEvent& event)
{
    const int room = event.GetSize().x - StepsHiddenClientSize().x;
    if (txtSteps->IsShown() != (room > 0)) {
        txtSteps->Show(room > 0);
    }
    // The recent equations' list no wider than the equation box.
    LimitDropDownWidth(cboEquation, std::max(1, event.GetSize().x - 2 * OuterBorder - DropDownButtonRoom));
    event.Skip(); // the sizers lay the panel out
}
