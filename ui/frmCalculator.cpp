// The main window's behaviour: the calculate command, the inserts, the
// memory, the view and help commands, the command keys and the settings
// file. The layout is in CalculatorLayout.cpp, the equation box's editing
// in EquationEditor.cpp. A command costs O(1) beside what it hands on (the
// engine's evaluation, the steps view's update).
#include "frmCalculator.h"

#include <wx/intl.h>
#include <wx/accel.h>
#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/dataobj.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sysopt.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>

#include "BaseConversion.h"
#include "Decimal.h"
#include "EquationEditor.h"
#include "ExecutablePath.h"
#include "Fonts.h"
#include "HelpViewer.h"
#include "MessageBox.h"
#include "NativeWidgets.h"
#include "ProfileFile.h"
#include "SettingsPath.h"
#include "StepsView.h"
#include "Translations.h"
#include "WindowImages.h"
#include "frmAbout.h"
#include "ids.h"

namespace {

const char* const ProductName = MainWindowCaption;

// The settings file's sections and keys.
const char* const SettingsSection = "Settings";
const char* const ViewStepsKey = "ViewSteps";
const char* const RecentSection = "MRUEquation"; // keys "0" (newest) to "9"

// Texts of the insert commands.
const char* const PiText = "3.14159265358979";

constexpr unsigned RecentEquationCount = 10;

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
    EVT_CLOSE(                          TfrmCalculator::OnClose)
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
    StyleResultFields();

    cboEquation->Connect(wxID_ANY, wxID_ANY, wxEVT_CHAR, wxKeyEventHandler(TfrmCalculator::OnEquationChar), nullptr,
                         this);
    Editor = std::make_unique<TEquationEditor>(cboEquation, [this](const wxString& message) {
        ShowMessageBox(this, message, ProductName, wxOK | wxICON_EXCLAMATION);
    });
    txtMemory->Connect(wxID_ANY, wxID_ANY, wxEVT_LEFT_DCLICK, wxMouseEventHandler(TfrmCalculator::OnMemoryDoubleClick),
                       nullptr, this);
    DecimalField()->Connect(wxID_ANY, wxID_ANY, wxEVT_LEFT_DCLICK,
                            wxMouseEventHandler(TfrmCalculator::OnDecimalDoubleClick), nullptr, this);
    pnlMain->Bind(wxEVT_SIZE, &TfrmCalculator::OnPanelSize, this);
    const std::string directory = ExecutableDirectory();
    IniFileName = SettingsFilePath(directory);
    HelpFileName = HelpBookFor(directory, CurrentLanguage());

    // The steps go to the steps box as changes: it builds the texts of the
    // lines it shows, never all of them.
    Engine = std::make_unique<TEquationEngine>();

    LoadSettings();
    PlaceOnScreen();

    // Typing goes to the equation box from the start, whichever view the
    // window opens in: left to the toolkit, no control would have the focus
    // with the steps hidden.
    Editor->Focus();
}

TfrmCalculator::~TfrmCalculator()
{
    // The default constructor builds no window and has nothing to save; a
    // window closed the normal way has saved already. Destroyed otherwise,
    // it saves now, and can only say on standard error that it could not.
    std::string why;
    if (cboEquation != nullptr && !SettingsSaved && !SaveSettings(why)) {
        std::fprintf(stderr, "ovCalculator: settings not saved to %s: %s\n", IniFileName.c_str(), why.c_str());
    }
}

bool TfrmCalculator::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                            const wxSize& size, long style)
{
    pnlMain = nullptr;
    cboEquation = nullptr;
    ResultFields.fill(nullptr);
    txtMemory = nullptr;
    txtSteps = nullptr;

    wxFrame::Create(parent, id, caption, pos, size, style);
    SetFont(DialogFont());
    BuildControls();
    SetIcons(WindowIcons());
    return true;
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

bool TfrmCalculator::SaveSettings(std::string& why)
{
    // Read again rather than kept from start-up: whatever else the file holds
    // now stays as it is, the recent equations of other windows too.
    TProfileFile profile(IniFileName, SettingsFileBeside(ExecutableDirectory()));
    profile.WriteString(SettingsSection, ViewStepsKey, mnuSteps->IsChecked() ? "1" : "0");
    std::vector<std::string> recent;
    auto add = [&recent](const std::string& equation) {
        if (recent.size() < RecentEquationCount && !equation.empty() &&
            std::find(recent.begin(), recent.end(), equation) == recent.end()) {
            recent.push_back(equation);
        }
    };
    for (const wxString& equation : CalculatedHere) {
        add(equation.utf8_string());
    }
    for (unsigned i = 0; i < RecentEquationCount; ++i) {
        add(Utf8FromProfileText(profile.ReadString(RecentSection, std::to_string(i), "")));
    }
    recent.resize(RecentEquationCount);
    for (unsigned i = 0; i < RecentEquationCount; ++i) {
        profile.WriteString(RecentSection, std::to_string(i), recent[i]);
    }
    return profile.Save(&why);
}

void TfrmCalculator::OnClose(wxCloseEvent& event)
{
    std::string why;
    SettingsSaved = SaveSettings(why);
    if (!SettingsSaved) {
        // A file that cannot be written keeps its old contents, and the
        // recent equations of this window are lost: the user is told.
        std::fprintf(stderr, "ovCalculator: settings not saved to %s: %s\n", IniFileName.c_str(), why.c_str());
        // TRANSLATORS: the settings file's path, then why it could not be
        // written ("it is a directory", "Permission denied"), in English.
        ShowMessageBox(this,
                       wxString::Format(_("The settings and the recent equations could not be saved to %s: %s."),
                                        wxString::FromUTF8(IniFileName), wxString::FromUTF8(why)),
                       ProductName, wxOK | wxICON_EXCLAMATION);
        SettingsSaved = true; // said once
    }
    event.Skip(); // the window closes
}

// ---------------------------------------------------------------------------
// Calculate command

void TfrmCalculator::OnEquationChar(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        Calculate();
    }
    // "=" calculates, as on a desktop calculator, and is not typed.
    const bool plain = (event.GetModifiers() & (wxMOD_CONTROL | wxMOD_ALT | wxMOD_META)) == 0;
    if (plain && (key == '=' || key == WXK_NUMPAD_EQUAL)) {
        Calculate();
        return;
    }
    event.Skip();
}

void TfrmCalculator::Calculate()
{
    CurrentEquation = cboEquation->GetValue().utf8_string();
    std::string equation = CurrentEquation;

    txtSteps->Clear();
    const TEvaluation outcome = Engine->Evaluate(equation, &txtSteps->GetHistory());
    txtSteps->ShowSteps();
    if (!outcome) {
        // Told once the engine is done: the box's own event loop finds no
        // evaluation under way.
        if (!outcome.Message.empty()) {
            ShowEngineError(outcome.Message, outcome.Position);
        }
        return;
    }

    const TIntegerPart integerPart = ResultIntegerPart(equation);
    for (std::size_t i = 0; i < ResultFieldCount; ++i) {
        const auto digits = ResultFieldTable[i].Digits;
        // The result itself; digits, or the words that say there are too many of them.
        const wxString text = wxString::FromUTF8(digits != nullptr ? digits(integerPart) : equation);
        ResultFields[i]->SetValue(digits != nullptr && integerPart.TooLarge ? wxGetTranslation(text) : text);
    }

    // Selected, so that the next typed character starts a new equation.
    cboEquation->SetSelection(0, static_cast<long>(cboEquation->GetValue().length()));
    AddRecentEquation(cboEquation->GetValue());
}

void TfrmCalculator::AddRecentEquation(const wxString& equation)
{
    CalculatedHere.erase(std::remove(CalculatedHere.begin(), CalculatedHere.end(), equation), CalculatedHere.end());
    CalculatedHere.insert(CalculatedHere.begin(), equation);
    if (CalculatedHere.size() > RecentEquationCount) {
        CalculatedHere.pop_back();
    }
    cboEquation->Insert(equation, 0);
    if (cboEquation->GetCount() > RecentEquationCount) {
        cboEquation->Delete(RecentEquationCount);
    }
    Editor->RestartHistoryWalk();
}

void TfrmCalculator::ShowEngineError(std::string_view message, std::size_t position)
{
    // The steps reported before the fault are on screen while the box is up,
    // the last with the operation that failed marked; the results of an
    // earlier equation are not.
    for (wxTextCtrl* field : ResultFields) {
        field->Clear();
    }
    wxString text = wxGetTranslation(wxString::FromUTF8(message.data(), message.size()));
    if (position == NoPosition) {
        ShowMessageBox(this, text, ProductName, wxOK | wxICON_EXCLAMATION);
        return; // no place in the equation: out of memory
    }

    // The engine counts bytes of the UTF-8 text, the entry counts characters.
    const std::size_t bytes = std::min(position, CurrentEquation.size());
    const long start = static_cast<long>(wxString::FromUTF8(CurrentEquation.data(), bytes).length());
    // A character that shows nothing, or may look like another, is named.
    const wxString at = wxString::FromUTF8(CurrentEquation.data() + bytes, CurrentEquation.size() - bytes);
    if (message == MessageInvalidCharacter && !at.empty() && (at[0] < 0x20 || at[0] > 0x7e)) {
        // TRANSLATORS: the character's Unicode code point (U+200B, a zero-width
        // space) and its position in the equation, counted from 1.
        text = wxString::Format(_("Invalid character found. (U+%04X at position %s)"),
                                static_cast<unsigned>(at[0].GetValue()), LocalNumber(static_cast<double>(start + 1)));
    }
    ShowMessageBox(this, text, ProductName, wxOK | wxICON_EXCLAMATION);
    cboEquation->SetFocus();
    cboEquation->SetSelection(start, start + 1);
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
        FitIntoScreen();
    } else {
        SetClientSize(StepsHiddenClientSize());
    }
    Editor->Focus();
    event.Skip();
}

void TfrmCalculator::OnHelpTopics(wxCommandEvent& event)
{
    if (!ShowHelpTopics(this, HelpFileName, [](wxWindow* window) { SetWindowClass(window, ApplicationId()); })) {
        // TRANSLATORS: the help file's path.
        ShowMessageBox(this,
                       wxString::Format(_("The help cannot be shown: the file %s is missing or damaged."),
                                        wxString::FromUTF8(HelpFileName)),
                       ProductName, wxOK | wxICON_EXCLAMATION);
    }
    event.Skip();
}

void TfrmCalculator::OnAbout(wxCommandEvent&)
{
    // TRANSLATORS: the About box's caption; %s is the product's name.
    TfrmAbout about(this, ids::frmAbout, _("About %s"), wxDefaultPosition, wxDefaultSize, wxCAPTION);
    SetWindowClass(&about, ApplicationId());
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
    Editor->ReplaceAll(wxString::FromUTF8(DecimalTextWithoutExponent(DecimalField()->GetValue().utf8_string())));
    FocusEquationEnd(DecimalField());
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
    // An open menu's keys are its own too: Escape closes it, nothing else.
    auto* origin = dynamic_cast<wxWindow*>(event.GetEventObject());
    if (origin == nullptr || wxGetTopLevelParent(origin) != this || MenuIsOpen()) {
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
    // As a double-click inserts it: written out, as equations take it.
    const wxString result = wxString::FromUTF8(DecimalTextWithoutExponent(DecimalField()->GetValue().utf8_string()));
    if (!result.empty() && wxTheClipboard->Open()) {
        wxTheClipboard->SetData(new wxTextDataObject(result));
        KeepClipboardAfterExit();
        wxTheClipboard->Close();
    }
    Editor->Focus();
}
