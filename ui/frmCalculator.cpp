#include "frmCalculator.h"

#include <wx/accel.h>
#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/dataobj.h>
#include <wx/display.h>
#include <wx/iconbndl.h>
#include <wx/font.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/sysopt.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "NativeWidgets.h"
#include "BaseConversion.h"
#include "Decimal.h"
#include "EquationEditor.h"
#include "ExecutablePath.h"
#include "HelpViewer.h"
#include "MessageBox.h"
#include "ProfileFile.h"
#include "SettingsPath.h"
#include "StepsView.h"
#include "ToolImages.h"
#include "frmAbout.h"
#include "ids.h"

#include "Images/calculator.xpm"
#include "Images/clear.xpm"
#include "Images/exponent.xpm"
#include "Images/lparenthesis.xpm"
#include "Images/mc.xpm"
#include "Images/mr.xpm"
#include "Images/ms.xpm"
#include "Images/pi.xpm"
#include "Images/root.xpm"
#include "Images/rparenthesis.xpm"

TfrmCalculator* frmCalculator = nullptr;

namespace {

const char* const ProductName = MainWindowCaption;
const char* const HelpName = "Help/ovCalculator.htb";
const char* const IconKey = "Images/calculator.xpm";

// The settings file's sections and keys.
const char* const SettingsSection = "Settings";
const char* const ViewStepsKey = "ViewSteps";
const char* const RecentSection = "MRUEquation"; // keys "0" (newest) to "9"

// Texts of the insert commands.
const char* const PiText = "3.14159265358979";

constexpr unsigned RecentEquationCount = 10;

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

struct TImage {
    const char* Key;
    const char* const* Data;
};

// The toolbar images, in the order FindBitmap tries them.
constexpr TImage ToolImages[] = {
    {"Images/clear.xpm", clear_xpm},
    {"Images/exponent.xpm", exponent_xpm},
    {"Images/root.xpm", root_xpm},
    {"Images/pi.xpm", pi_xpm},
    {"Images/lparenthesis.xpm", lparenthesis_xpm},
    {"Images/rparenthesis.xpm", rparenthesis_xpm},
    {"Images/ms.xpm", ms_xpm},
    {"Images/mr.xpm", mr_xpm},
    {"Images/mc.xpm", mc_xpm},
};

// A tool's image at every scale, ToolImages' order being the glyphs' order.
// The eraser is drawn in its own colours; the others' black is ink.
wxBitmapBundle ToolBundle(const char* key, const wxColour& ink)
{
    for (std::size_t i = 0; i < std::size(ToolImages); ++i) {
        if (std::strcmp(key, ToolImages[i].Key) == 0) {
            const auto glyph = static_cast<TToolGlyph>(i);
            return ToolImageBundle(glyph, ToolImages[i].Data, glyph == TToolGlyph::Clear ? *wxBLACK : ink);
        }
    }
    return wxBitmapBundle();
}

struct TTool {
    wxWindowID Id; // wxID_SEPARATOR for a separator
    const char* ImageKey;
    const char* ShortHelp;
};

constexpr TTool Tools[] = {
    {ids::ToolClear, "Images/clear.xpm", "Clears the current calculation"},
    {wxID_SEPARATOR, nullptr, nullptr},
    {ids::ToolExponent, "Images/exponent.xpm", "Inserts an exponent operator"},
    {ids::ToolRoot, "Images/root.xpm", "Inserts a root operator"},
    {wxID_SEPARATOR, nullptr, nullptr},
    {ids::ToolPi, "Images/pi.xpm", "Inserts the constant PI"},
    {wxID_SEPARATOR, nullptr, nullptr},
    {ids::ToolLeftParenthesis, "Images/lparenthesis.xpm", "Inserts a left parenthesis"},
    {ids::ToolRightParenthesis, "Images/rparenthesis.xpm", "Inserts a right parenthesis"},
    {wxID_SEPARATOR, nullptr, nullptr},
    {ids::ToolMemoryStore, "Images/ms.xpm", "Memory: store"},
    {ids::ToolMemoryRetrieve, "Images/mr.xpm", "Memory: retrieve"},
    {ids::ToolMemoryClear, "Images/mc.xpm", "Memory: clear"},
};

// The desktop's own text size, in points: the window's fonts follow it, so
// that the layout grows with the desktop's font instead of clipping.
double DesktopPointSize()
{
    const wxFont desktop = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    return desktop.IsOk() ? desktop.GetFractionalPointSize() : 10.0;
}

// The calculator keys users know from desktop calculators.
const wxAcceleratorEntry Accelerators[] = {
    {wxACCEL_NORMAL, WXK_ESCAPE, ids::ToolClear},
    {wxACCEL_CTRL, 'M', ids::ToolMemoryStore},
    {wxACCEL_CTRL, 'R', ids::ToolMemoryRetrieve},
    {wxACCEL_CTRL, 'L', ids::ToolMemoryClear},
    {wxACCEL_CTRL, 'P', ids::ToolPi},
    {wxACCEL_CTRL | wxACCEL_SHIFT, 'C', ids::CopyDecimal},
};

int ModifiersOf(const wxAcceleratorEntry& entry)
{
    return ((entry.GetFlags() & wxACCEL_CTRL) != 0 ? wxMOD_CONTROL : 0) |
           ((entry.GetFlags() & wxACCEL_SHIFT) != 0 ? wxMOD_SHIFT : 0);
}

wxFont DialogFont()
{
    return wxFont(wxFontInfo(DesktopPointSize()).Family(wxFONTFAMILY_SWISS).FaceName("MS Sans Serif"));
}

// Courier New and its metric twins draw digits about a sixth shorter than a
// sans-serif face of the same size draws capitals: this much larger, the
// field text is at least as tall as the labels beside it.
constexpr double FieldFontScale = 1.2;

// The fixed-pitch font of the equation, result and steps fields. The face
// name is matched by fontconfig (a metric-compatible Courier New where one
// is installed); the teletype family keeps the substitute fixed-pitch where
// no alias for the face exists.
wxFont FieldFont()
{
    return wxFont(
        wxFontInfo(DesktopPointSize() * FieldFontScale).Family(wxFONTFAMILY_TELETYPE).FaceName("Courier New"));
}

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

// The window icon at the sizes window managers and task bars ask for. The
// 32-pixel image is the design; 64 and 128 are exact enlargements of it;
// 16 halves the design and 48 its threefold enlargement, each pixel the
// average of four weighted by their opacity, so that edges do not take the
// transparent pixels' colour.
wxImage Enlarged(const wxImage& image, int factor)
{
    return image.Scale(image.GetWidth() * factor, image.GetHeight() * factor, wxIMAGE_QUALITY_NEAREST);
}

wxImage Halved(const wxImage& image)
{
    const int width = image.GetWidth() / 2;
    const int height = image.GetHeight() / 2;
    wxImage half(width, height);
    half.InitAlpha();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int weight = 0;
            int red = 0, green = 0, blue = 0;
            for (int dy = 0; dy < 2; ++dy) {
                for (int dx = 0; dx < 2; ++dx) {
                    const int a = image.GetAlpha(2 * x + dx, 2 * y + dy);
                    weight += a;
                    red += a * image.GetRed(2 * x + dx, 2 * y + dy);
                    green += a * image.GetGreen(2 * x + dx, 2 * y + dy);
                    blue += a * image.GetBlue(2 * x + dx, 2 * y + dy);
                }
            }
            if (weight > 0) {
                half.SetRGB(x, y, static_cast<unsigned char>(red / weight), static_cast<unsigned char>(green / weight),
                            static_cast<unsigned char>(blue / weight));
            }
            half.SetAlpha(x, y, static_cast<unsigned char>(weight / 4));
        }
    }
    return half;
}

wxIconBundle WindowIcons()
{
    wxImage design = wxBitmap(calculator_xpm).ConvertToImage();
    design.InitAlpha(); // the mask becomes transparency
    wxIconBundle icons;
    for (const wxImage& image :
         {Halved(design), design, Halved(Enlarged(design, 3)), Enlarged(design, 2), Enlarged(design, 4)}) {
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(image));
        icons.AddIcon(icon);
    }
    return icons;
}

// A label at least as wide as designed and never narrower than its text.
wxStaticText* NewLabel(wxWindow* parent, const char* text, int width)
{
    auto* label = new wxStaticText(parent, wxID_STATIC, text);
    label->SetMinSize(wxSize(std::max(width, label->GetBestSize().x), wxDefaultCoord));
    return label;
}

// The directory of the running executable, without a trailing separator.
// argv[0] is no guide: started from the PATH it holds a bare name.
std::string ExecutableDirectory()
{
    return DirectoryOf(ExecutablePath());
}

} // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(TfrmCalculator, wxFrame)
    EVT_MENU(ids::ToolClear,            TfrmCalculator::OnClear)
    EVT_MENU(ids::ToolExponent,         TfrmCalculator::OnExponent)
    EVT_MENU(ids::ToolRoot,             TfrmCalculator::OnRoot)
    EVT_MENU(ids::ToolPi,               TfrmCalculator::OnPi)
    EVT_MENU(ids::ToolLeftParenthesis,  TfrmCalculator::OnLeftParenthesis)
    EVT_MENU(ids::ToolRightParenthesis, TfrmCalculator::OnRightParenthesis)
    EVT_MENU(ids::ToolMemoryStore,      TfrmCalculator::OnMemoryStore)
    EVT_MENU(ids::ToolMemoryRetrieve,   TfrmCalculator::OnMemoryRetrieve)
    EVT_MENU(ids::ToolMemoryClear,      TfrmCalculator::OnMemoryClear)
    EVT_MENU(ids::mnuExit,              TfrmCalculator::OnExit)
    EVT_MENU(ids::mnuSteps,             TfrmCalculator::OnViewSteps)
    EVT_MENU(ids::mnuHelpTopics,        TfrmCalculator::OnHelpTopics)
    EVT_MENU(ids::mnuAbout,             TfrmCalculator::OnAbout)
    EVT_MENU(ids::CopyDecimal,          TfrmCalculator::OnCopyDecimal)
wxEND_EVENT_TABLE()
// clang-format on

wxIMPLEMENT_DYNAMIC_CLASS(TfrmCalculator, wxFrame);

TfrmCalculator::TfrmCalculator() = default;

TfrmCalculator::TfrmCalculator(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                               const wxSize& size, long style)
{
    // Keeps the Windows port from remapping toolbar colours; no effect elsewhere.
    wxSystemOptions::SetOption("msw.remap", 0);
    Create(parent, id, caption, pos, size, style);

    // Read-only fields look like part of the window, not like inputs. On a
    // dark theme the window's own colour would hide their extent: one step
    // lighter there shows it.
    wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    if (wxSystemSettings::GetAppearance().IsUsingDarkBackground()) {
        face = face.ChangeLightness(111);
    }
    for (wxTextCtrl* field : {txtDecimal, txtHexadecimal, txtOctal, txtBinary, txtMemory}) {
        field->SetBackgroundColour(face);
    }
    // On that background the theme's own text colour for it, light or dark.
    const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    for (wxTextCtrl* field : {txtDecimal, txtHexadecimal, txtOctal, txtBinary, txtMemory}) {
        field->SetForegroundColour(text);
    }

    cboEquation->Connect(wxID_ANY, wxID_ANY, wxEVT_CHAR, wxKeyEventHandler(TfrmCalculator::OnEquationChar), nullptr,
                         this);
    Editor = std::make_unique<TEquationEditor>(cboEquation, [this](const wxString& message) {
        ShowMessageBox(this, message, ProductName, wxOK | wxICON_EXCLAMATION);
    });
    txtMemory->Connect(wxID_ANY, wxID_ANY, wxEVT_LEFT_DCLICK, wxMouseEventHandler(TfrmCalculator::OnMemoryDoubleClick),
                       nullptr, this);
    txtDecimal->Connect(wxID_ANY, wxID_ANY, wxEVT_LEFT_DCLICK,
                        wxMouseEventHandler(TfrmCalculator::OnDecimalDoubleClick), nullptr, this);
    pnlMain->Bind(wxEVT_SIZE, &TfrmCalculator::OnPanelSize, this);
    for (wxTextCtrl* field : {txtDecimal, txtHexadecimal, txtOctal, txtBinary}) {
        field->Bind(wxEVT_TEXT, [field](wxCommandEvent& event) {
            UpdateScrollCue(field);
            event.Skip();
        });
        field->Bind(wxEVT_SIZE, [field](wxSizeEvent& event) {
            UpdateScrollCue(field);
            event.Skip();
        });
    }

    const std::string directory = ExecutableDirectory();
    IniFileName = SettingsFilePath(directory);
    HelpFileName = directory + "/" + HelpName;

    // The steps go to the steps box as changes: it builds the texts of the
    // lines it shows, never all of them.
    Engine = std::make_unique<TEquationEngine>(OnEngineError, nullptr);
    Engine->SetStepSink(&txtSteps->GetHistory());

    LoadSettings();

    // Centred in the work area at the size the view state gave; a window
    // larger than the screen (a scaled desktop) gives way first.
    const wxRect screen = WorkArea(this);
    FitInto(screen.GetSize());
    Move(screen.x + std::max(0, (screen.width - GetSize().x) / 2),
         screen.y + std::max(0, (screen.height - GetSize().y) / 2));

    // Typing goes to the equation box from the start, whichever view the
    // window opens in: left to the toolkit, no control would have the focus
    // with the steps hidden.
    Editor->Focus();
}

TfrmCalculator::~TfrmCalculator()
{
    // The default constructor builds no window and has nothing to save.
    if (cboEquation != nullptr) {
        SaveSettings();
    }
    if (frmCalculator == this) {
        frmCalculator = nullptr;
    }
}

bool TfrmCalculator::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                            const wxSize& size, long style)
{
    pnlMain = nullptr;
    cboEquation = nullptr;
    txtDecimal = nullptr;
    txtHexadecimal = nullptr;
    txtOctal = nullptr;
    txtBinary = nullptr;
    txtMemory = nullptr;
    txtSteps = nullptr;

    wxFrame::Create(parent, id, caption, pos, size, style);
    SetFont(DialogFont());
    BuildControls();
    SetIcons(WindowIcons());
    return true;
}

void TfrmCalculator::BuildControls()
{
    auto* menuBar = new wxMenuBar;
    auto* fileMenu = new wxMenu;
    fileMenu->Append(ids::mnuExit, "E&xit", wxEmptyString, wxITEM_NORMAL);
    auto* viewMenu = new wxMenu;
    viewMenu->Append(ids::mnuSteps, "&Steps", wxEmptyString, wxITEM_CHECK);
    viewMenu->Check(ids::mnuSteps, true);
    auto* helpMenu = new wxMenu;
    helpMenu->Append(ids::mnuHelpTopics, "&Help Topics\tF1", wxEmptyString, wxITEM_NORMAL);
    helpMenu->AppendSeparator();
    helpMenu->Append(ids::mnuAbout, wxString("&About ") + ProductName, wxEmptyString, wxITEM_NORMAL);
    menuBar->Append(fileMenu, "&File");
    menuBar->Append(viewMenu, "&View");
    menuBar->Append(helpMenu, "&Help");
    SetMenuBar(menuBar);

    wxToolBar* toolBar = CreateToolBar(wxTB_FLAT | wxTB_HORIZONTAL, ids::Toolbar);
    toolBar->SetToolBitmapSize(wxSize(16, 16));
    // The monochrome glyphs in the theme's text colour: black on a dark
    // toolbar would hardly show.
    const wxColour ink = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    for (const TTool& tool : Tools) {
        if (tool.Id == wxID_SEPARATOR) {
            toolBar->AddSeparator();
        } else {
            toolBar->AddTool(tool.Id, wxEmptyString, ToolBundle(tool.ImageKey, ink), tool.ShortHelp, wxITEM_NORMAL);
        }
    }
    toolBar->Realize();
    SetToolBar(toolBar);
    NameToolbarTools(toolBar);

    pnlMain = new wxPanel(this, ids::pnlMain, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);

    auto* s1 = new wxBoxSizer(wxHORIZONTAL);
    pnlMain->SetSizer(s1);
    auto* s2 = new wxBoxSizer(wxVERTICAL);
    s1->Add(s2, 1, wxEXPAND | wxALL, OuterBorder);

    long equationStyle = wxCB_DROPDOWN;
#ifdef __WXMSW__
    equationStyle |= wxTE_PROCESS_ENTER; // else the dialog navigation takes Enter
#endif
    cboEquation = new wxComboBox(pnlMain, ids::cboEquation, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                                 equationStyle);
#ifdef __WXMSW__
    cboEquation->SetMaxLength(0); // as long as the system allows: Windows' default is 30,000 characters
#endif
    cboEquation->SetFont(FieldFont());
    s2->Add(cboEquation, 0, wxEXPAND, 4);

    auto* s3 = new wxBoxSizer(wxHORIZONTAL);
    s2->Add(s3, 1, wxEXPAND | wxTOP, EquationGap);
    auto* s4 = new wxBoxSizer(wxVERTICAL);
    s3->Add(s4, 0, wxRIGHT, ColumnGap);
    ResultColumn = s4;

    auto* resultBox = new wxStaticBox(pnlMain, wxID_ANY, "Result");
    auto* s5 = new wxStaticBoxSizer(resultBox, wxVERTICAL);
    s4->Add(s5, 0, wxEXPAND | wxRIGHT, ResultRightBorder);
    // Two columns, label and field; rows are added as the cells come. The
    // fields take the width the column gets beyond its natural one.
    auto* grid = new wxFlexGridSizer(0, 2, 7, FieldGap);
    grid->AddGrowableCol(1);
    s5->Add(grid, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 3);

    // The result fields and the memory field are one family: one font, one
    // style, one height, and wide enough for the widest result.
    const long fieldStyle = wxTE_READONLY | wxNO_BORDER;
    auto newField = [&](wxWindowID id) {
        auto* field = new wxTextCtrl(pnlMain, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, fieldStyle);
        field->SetFont(FieldFont());
        return field;
    };
    auto addResultRow = [&](const char* label, int labelWidth, wxWindowID id) {
        grid->Add(NewLabel(pnlMain, label, labelWidth), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 1);
        wxTextCtrl* field = newField(id);
        grid->Add(field, 0, wxEXPAND);
        return field;
    };
    txtDecimal = addResultRow("Decimal:", 67, ids::txtDecimal);
    txtHexadecimal = addResultRow("Hexadecimal:", wxDefaultCoord, ids::txtHexadecimal);
    txtOctal = addResultRow("Octal:", wxDefaultCoord, ids::txtOctal);
    txtBinary = addResultRow("Binary:", wxDefaultCoord, ids::txtBinary);

    auto* s6 = new wxBoxSizer(wxHORIZONTAL);
    s4->Add(s6, 0, wxEXPAND | wxTOP | wxRIGHT, ResultRightBorder);
    s6->Add(NewLabel(pnlMain, "Memory:", 57), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FieldGap);
    txtMemory = newField(ids::txtMemory);
    // Its right edge is the Result box's.
    s6->Add(txtMemory, 1, wxALIGN_CENTER_VERTICAL);

    int textWidth = 0;
    for (const char* text : WidestResults) {
        textWidth = std::max(textWidth, txtBinary->GetTextExtent(text).x);
    }
    const wxSize best = txtBinary->GetSizeFromTextSize(textWidth);
    // Room above and below the digits, so the row reads as a field.
    const int height = std::max(best.y, txtBinary->GetCharHeight() + 2 * FieldTextMargin);
    for (wxTextCtrl* field : {txtDecimal, txtHexadecimal, txtOctal, txtBinary}) {
        field->SetMinSize(wxSize(best.x, height));
    }
    txtMemory->SetMinSize(wxSize(wxDefaultCoord, height));
    // Screen readers say the labels' names for the fields.
    SetAccessibleName(cboEquation, "Equation");
    const std::pair<wxTextCtrl*, const char*> fieldNames[] = {
        {txtDecimal, "Decimal"}, {txtHexadecimal, "Hexadecimal"}, {txtOctal, "Octal"},
        {txtBinary, "Binary"},   {txtMemory, "Memory"},
    };
    for (const auto& [field, name] : fieldNames) {
        SetAccessibleName(field, name);
    }

    txtSteps = new TStepsView(pnlMain, ids::txtSteps, wxDefaultPosition, StepsBoxSize);
    txtSteps->SetFont(FieldFont());
    StepsBoxWidth = std::max(StepsBoxSize.x, StepsBoxColumns * txtSteps->GetCharWidth());
    // The box takes whatever width the result column leaves, down to none at
    // all: that is how the steps-hidden view hides it.
    txtSteps->SetMinSize(wxSize(0, std::max(StepsBoxSize.y, txtSteps->HeightForRows(StepsBoxRows))));
    s3->Add(txtSteps, 1, wxEXPAND | wxTOP, StepsTopBorder);

    // GTK's tool buttons are wider than those the field widths were chosen
    // for. The result column is what the steps-hidden view shows, and a
    // narrower column would cut the last tools off: widen its fields instead.
    const int shortfall = toolBar->GetBestSize().x - StepsHiddenClientSize().x;
    if (shortfall > 0) {
        for (wxTextCtrl* field : {txtDecimal, txtHexadecimal, txtOctal, txtBinary}) {
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

    mnuSteps = viewMenu->FindItem(ids::mnuSteps);
}

wxBitmap TfrmCalculator::FindBitmap(const wxString& name)
{
    for (const TImage& image : ToolImages) {
        if (name == image.Key) {
            return wxBitmap(image.Data);
        }
    }
    return wxNullBitmap;
}

wxIcon TfrmCalculator::FindIcon(const wxString& name)
{
    if (name == IconKey) {
        return wxIcon(calculator_xpm);
    }
    return wxNullIcon;
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
        const int narrowest = txtBinary->GetSizeFromTextSize(FieldMinColumns * txtBinary->GetCharWidth()).x;
        const int cut = std::max(0, std::min({excess, txtBinary->GetMinSize().x - narrowest, spare}));
        for (wxTextCtrl* field : {txtDecimal, txtHexadecimal, txtOctal, txtBinary}) {
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

void TfrmCalculator::LoadSettings()
{
    // Until the file it saves to exists, the one beside the program stands in.
    const TProfileFile profile(IniFileName, SettingsFileBeside(ExecutableDirectory()));

    // Only zero hides the steps; a missing or unreadable value shows them.
    if (profile.ReadInt(SettingsSection, ViewStepsKey, 1) != 0) {
        // What Fit would do, were the steps box's minimum width not zero.
        SetClientSize(StepsShownClientSize());
    } else {
        mnuSteps->Check(false);
        wxCommandEvent blank;
        OnViewSteps(blank);
    }

    // Empty items are items too: the list always starts with ten.
    for (unsigned i = 0; i < RecentEquationCount; ++i) {
        cboEquation->Append(
            wxString::FromUTF8(Utf8FromProfileText(profile.ReadString(RecentSection, std::to_string(i), ""))));
    }
}

void TfrmCalculator::SaveSettings()
{
    // Read again rather than kept from start-up: whatever else the file holds
    // now stays as it is.
    TProfileFile profile(IniFileName, SettingsFileBeside(ExecutableDirectory()));
    profile.WriteString(SettingsSection, ViewStepsKey, mnuSteps->IsChecked() ? "1" : "0");
    for (unsigned i = 0; i < cboEquation->GetCount(); ++i) {
        profile.WriteString(RecentSection, std::to_string(i), cboEquation->GetString(i).utf8_string());
    }
    // A file that cannot be written keeps its old contents. No box (a
    // read-only file may be deliberate), but one line says why.
    std::string why;
    if (!profile.Save(&why)) {
        std::fprintf(stderr, "ovCalculator: settings not saved to %s: %s\n", IniFileName.c_str(), why.c_str());
    }
}

// ---------------------------------------------------------------------------
// Calculate command

void TfrmCalculator::OnEquationChar(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        Calculate();
    }
    event.Skip();
}

void TfrmCalculator::Calculate()
{
    CurrentEquation = cboEquation->GetValue().utf8_string();
    std::string equation = CurrentEquation;

    txtSteps->Clear();
    const bool ok = Engine->Evaluate(equation);
    if (ok) {
        txtSteps->ShowSteps(); // a fault has shown them already
    }
    if (!ok) {
        return;
    }

    const TIntegerPart integerPart = ResultIntegerPart(equation);
    txtDecimal->SetValue(wxString::FromUTF8(equation));
    txtHexadecimal->SetValue(IntegerPartToHexadecimal(integerPart));
    txtOctal->SetValue(IntegerPartToOctal(integerPart));
    txtBinary->SetValue(IntegerPartToBinary(integerPart));

    // Selected, so that the next typed character starts a new equation.
    cboEquation->SetSelection(0, static_cast<long>(cboEquation->GetValue().length()));
    AddRecentEquation(cboEquation->GetValue());
}

void TfrmCalculator::AddRecentEquation(const wxString& equation)
{
    cboEquation->Insert(equation, 0);
    if (cboEquation->GetCount() > RecentEquationCount) {
        cboEquation->Delete(RecentEquationCount);
    }
    Editor->RestartHistoryWalk();
}

void TfrmCalculator::ShowEngineError(const std::string& message, int position)
{
    // The steps reported before the fault are on screen while the box is up,
    // the last with the operation that failed marked; the results of an
    // earlier equation are not.
    txtSteps->ShowSteps();
    for (wxTextCtrl* field : {txtDecimal, txtHexadecimal, txtOctal, txtBinary}) {
        field->Clear();
    }
    ShowMessageBox(this, wxString::FromUTF8(message), ProductName, wxOK | wxICON_EXCLAMATION);
    if (position < 0) {
        return; // no place in the equation: out of memory
    }

    // The engine counts bytes of the UTF-8 text, the entry counts characters.
    const std::size_t bytes = std::min(static_cast<std::size_t>(std::max(position, 0)), CurrentEquation.size());
    const long start = static_cast<long>(wxString::FromUTF8(CurrentEquation.data(), bytes).length());
    cboEquation->SetFocus();
    cboEquation->SetSelection(start, start + 1);
}

void OnEngineError(std::string Message, int Position)
{
    if (frmCalculator != nullptr) {
        frmCalculator->ShowEngineError(Message, Position);
    }
}

// ---------------------------------------------------------------------------
// Editing, memory and view commands

// Replaces the equation box's selection, or inserts at the caret, and leaves
// the caret after the text, whether or not the box had the focus; it has it
// afterwards, as after every command that opens no window.
void TfrmCalculator::InsertIntoEquation(const wxString& text)
{
    Editor->Insert(text);
    Editor->Focus();
}

void TfrmCalculator::OnClear(wxCommandEvent& event)
{
    Editor->ReplaceAll(wxEmptyString);
    Editor->Focus();
    event.Skip();
}

void TfrmCalculator::OnExponent(wxCommandEvent& event)
{
    InsertIntoEquation("^");
    event.Skip();
}

void TfrmCalculator::OnRoot(wxCommandEvent& event)
{
    InsertIntoEquation("&");
    event.Skip();
}

void TfrmCalculator::OnPi(wxCommandEvent& event)
{
    InsertIntoEquation(PiText);
    event.Skip();
}

void TfrmCalculator::OnLeftParenthesis(wxCommandEvent& event)
{
    InsertIntoEquation("(");
    event.Skip();
}

void TfrmCalculator::OnRightParenthesis(wxCommandEvent& event)
{
    InsertIntoEquation(")");
    event.Skip();
}

void TfrmCalculator::OnMemoryStore(wxCommandEvent& event)
{
    long from = 0;
    long to = 0;
    cboEquation->GetSelection(&from, &to);
    const wxString equation = cboEquation->GetValue();
    txtMemory->SetValue(from != to ? equation.Mid(from, to - from) : equation);
    Editor->Focus();
    event.Skip();
}

void TfrmCalculator::OnMemoryRetrieve(wxCommandEvent& event)
{
    // An empty memory still replaces the selection: it deletes it.
    InsertIntoEquation(txtMemory->GetValue());
    event.Skip();
}

void TfrmCalculator::OnMemoryClear(wxCommandEvent& event)
{
    txtMemory->SetValue(wxEmptyString);
    Editor->Focus();
    event.Skip();
}

void TfrmCalculator::OnExit(wxCommandEvent&)
{
    // Forced: no close handler can keep the window, so the settings are saved.
    Close(true);
}

void TfrmCalculator::OnViewSteps(wxCommandEvent& event)
{
    // The menu has already flipped the check mark when this runs.
    if (mnuSteps->IsChecked()) {
        SetClientSize(StepsShownClientSize().x, GetClientSize().y);
        FitInto(WorkArea(this).GetSize());
    } else {
        SetClientSize(StepsHiddenClientSize());
    }
    Editor->Focus();
    event.Skip();
}

void TfrmCalculator::OnHelpTopics(wxCommandEvent& event)
{
    ShowHelpTopics(this, HelpFileName);
    event.Skip();
}

void TfrmCalculator::OnAbout(wxCommandEvent&)
{
    TfrmAbout about(this, ids::frmAbout, "About ", wxDefaultPosition, wxDefaultSize, wxCAPTION);
    about.ShowModal();
}

void TfrmCalculator::OnMemoryDoubleClick(wxMouseEvent&)
{
    // Consumed: no word selection in the memory field.
    wxCommandEvent blank;
    OnMemoryRetrieve(blank);
    FocusEquationEnd(txtMemory);
}

void TfrmCalculator::OnDecimalDoubleClick(wxMouseEvent&)
{
    // The last result starts a new equation; nothing is calculated. A power
    // may have given it in exponent form, which equations do not take.
    Editor->ReplaceAll(wxString::FromUTF8(DecimalTextWithoutExponent(txtDecimal->GetValue().utf8_string())));
    FocusEquationEnd(txtDecimal);
}

// The first click of a double-click has already put the focus into the
// field, and the field may still select a word once this handler returns:
// both are undone now and once more when the pending events are through.
void TfrmCalculator::FocusEquationEnd(wxTextCtrl* from)
{
    auto refocus = [this, from] {
        from->SetSelection(0, 0);
        cboEquation->SetFocus();
        cboEquation->SetInsertionPointEnd();
    };
    refocus();
    CallAfter(refocus);
}

void TfrmCalculator::OnCommandKey(wxKeyEvent& event)
{
    // The help window's keys come here too, as from a child window: they
    // are its own.
    auto* origin = dynamic_cast<wxWindow*>(event.GetEventObject());
    if (origin == nullptr || wxGetTopLevelParent(origin) != this) {
        event.Skip();
        return;
    }
    for (const wxAcceleratorEntry& entry : Accelerators) {
        if (event.GetKeyCode() == entry.GetKeyCode() && event.GetModifiers() == ModifiersOf(entry)) {
            wxCommandEvent command(wxEVT_MENU, entry.GetCommand());
            command.SetEventObject(this);
            ProcessWindowEvent(command);
            return;
        }
    }
    event.Skip();
}

void TfrmCalculator::OnCopyDecimal(wxCommandEvent&)
{
    const wxString result = txtDecimal->GetValue();
    if (!result.empty() && wxTheClipboard->Open()) {
        wxTheClipboard->SetData(new wxTextDataObject(result));
        wxTheClipboard->Flush(); // still there after the program ends
        wxTheClipboard->Close();
    }
    Editor->Focus();
}
