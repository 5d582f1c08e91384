// The calculator's main window: the equation box with its recent-equation
// list, the four result fields, the one-slot memory, the steps box, the menus
// and the toolbar. The window owns the calculation engine, hands it the steps
// box's history to hear the working, and shows the fault an evaluation gives
// back once the engine is done.
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/icon.h>
#include <wx/timer.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "EquationEngine.h"
#include "ResultFields.h"

class wxComboBox;
class wxMenuItem;
class wxPanel;
class wxSizer;
class wxTextCtrl;
class TEquationEditor;
class TStepsView;

// The main window's caption and frame style: the default frame style
// without wxCLIP_CHILDREN.
inline constexpr const char* MainWindowCaption = "Orvandale Calculator";
inline constexpr long MainWindowStyle =
    wxCAPTION | wxRESIZE_BORDER | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxCLOSE_BOX;

class TfrmCalculator : public wxFrame {
    wxDECLARE_DYNAMIC_CLASS(TfrmCalculator);
    wxDECLARE_EVENT_TABLE();

public:
    // Only for the class registry; builds no window.
    TfrmCalculator();
    // Builds the complete window, hidden; the caller shows it.
    TfrmCalculator(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize, long style = wxDEFAULT_FRAME_STYLE);
    ~TfrmCalculator() override;

    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos, const wxSize& size,
                long style);
    void BuildControls();

    // The calculate command: evaluates the equation box and shows the result.
    void Calculate();
    // Puts an equation at the top of the drop-down, keeping at most ten.
    void AddRecentEquation(const wxString& equation);

    // Client sizes of the two views: the result column alone, and the column
    // with the steps box beside it at its natural width.
    wxSize StepsHiddenClientSize() const;
    wxSize StepsShownClientSize() const;

    const std::string& GetHelpFileName() const { return HelpFileName; }

    void OnEquationChar(wxKeyEvent& event);
    void OnClear(wxCommandEvent& event);
    void OnExponent(wxCommandEvent& event);
    void OnRoot(wxCommandEvent& event);
    void OnPi(wxCommandEvent& event);
    void OnLeftParenthesis(wxCommandEvent& event);
    void OnRightParenthesis(wxCommandEvent& event);
    void OnMemoryStore(wxCommandEvent& event);
    void OnMemoryRetrieve(wxCommandEvent& event);
    void OnMemoryClear(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnViewSteps(wxCommandEvent& event);
    void OnHelpTopics(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnMemoryDoubleClick(wxMouseEvent& event);
    void OnDecimalDoubleClick(wxMouseEvent& event);
    void OnPanelSize(wxSizeEvent& event);
    void OnCopyDecimal(wxCommandEvent& event);
    void OnCommandKey(wxKeyEvent& event);

    // The equation box's editing and undo history.
    TEquationEditor& GetEquationEditor() { return *Editor; }

private:
    void ShowEngineError(std::string_view message, std::size_t position);
    void InsertIntoEquation(const wxString& text);
    // Back to typing: the focus in the equation box, the caret at its end.
    void FocusEquationEnd(wxTextCtrl* from);
    // Makes the window no larger than area (a client area), where the
    // result column allows.
    void FitInto(const wxSize& area);
    // The same for the work area of the display the window is on.
    void FitIntoScreen();
    // The result fields' colours, and their scroll cues kept up to date.
    void StyleResultFields();
    // The parts of the window, in the order BuildControls makes them.
    void BuildMenus();
    wxToolBar* BuildToolbar();
    void BuildResultColumn(wxSizer* row);
    void BuildSteps(wxSizer* row);
    wxTextCtrl* DecimalField() const { return ResultFields.front(); }
    // Centred in the work area at the size the view state gave.
    void PlaceOnScreen();
    void LoadSettings();
    // Writes the view state and the recent equations: those calculated here,
    // newest first, above those the file holds now (another window may have
    // saved its own since). False, with the reason in why, when it could not.
    bool SaveSettings(std::string& why);
    // Closing saves the settings, and says so when it cannot.
    void OnClose(wxCloseEvent& event);

    std::unique_ptr<TEquationEngine> Engine;
    std::unique_ptr<TEquationEditor> Editor;
    std::string IniFileName;
    std::string HelpFileName;

    wxPanel* pnlMain = nullptr;
    wxComboBox* cboEquation = nullptr;
    // As ResultFieldTable lists them; the decimal field first.
    std::array<wxTextCtrl*, ResultFieldCount> ResultFields{};
    wxTextCtrl* txtMemory = nullptr;
    TStepsView* txtSteps = nullptr;
    wxMenuItem* mnuSteps = nullptr;

    // The steps box's width when the window opens with the steps shown.
    int StepsBoxWidth = 0;
    // The result column (result box and memory row), for the steps-hidden size.
    wxSizer* ResultColumn = nullptr;
    // Fits of the size to the screen the window was shown on: ScreenFitRounds,
    // ScreenFitInterval ms apart, while the compositor tells where it is.
    static constexpr int ScreenFitRounds = 5;
    static constexpr int ScreenFitInterval = 200;
    wxTimer ScreenFitTimer;
    int ScreenFits = 0;
    // Its size before the window is widened by hand.
    wxSize NaturalColumnSize = wxDefaultSize;

    // The equations calculated in this window, newest first, each once.
    std::vector<wxString> CalculatedHere;
    bool SettingsSaved = false;

    // The equation as handed to the engine, in UTF-8: the engine reports fault
    // positions as byte offsets into it.
    std::string CurrentEquation;
};
