// The calculator's main window: the equation box with its recent-equation
// list, the four result fields, the one-slot memory, the steps box, the menus
// and the toolbar. The window owns the calculation engine and hands it two
// plain-function callbacks, which find their way back here through the
// application-wide frmCalculator pointer.
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/icon.h>

#include <cstddef>
#include <memory>
#include <string>

#include "EquationEngine.h"

class wxClipboardTextEvent;
class wxComboBox;
class wxMenuItem;
class wxPanel;
class wxSizer;
class wxTextCtrl;

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
    TfrmCalculator(wxWindow* parent, wxWindowID id, const wxString& caption,
                   const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                   long style = wxDEFAULT_FRAME_STYLE);
    ~TfrmCalculator() override;

    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                const wxSize& size, long style);
    void BuildControls();

    // The compiled-in images by key ("Images/clear.xpm", ...). Keys compare
    // exactly, letter case included; an unknown key gives a null image.
    static wxBitmap FindBitmap(const wxString& name);
    static wxIcon FindIcon(const wxString& name);

    // The calculate command: evaluates the equation box and shows the result.
    void Calculate();
    // Puts an equation at the top of the drop-down, keeping at most ten.
    void AddRecentEquation(const wxString& equation);

    // Client sizes of the two views: the result column alone, and the column
    // with the steps box beside it at its natural width.
    wxSize StepsHiddenClientSize() const;
    wxSize StepsShownClientSize() const;

    // The most step text one calculation puts into the steps box.
    void SetStepsTextLimit(std::size_t bytes) { StepsTextLimit = bytes; }

    const std::string& GetIniFileName() const { return IniFileName; }
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
    void OnEquationKeyDown(wxKeyEvent& event);
    void OnEquationPaste(wxClipboardTextEvent& event);

    // The most characters GTK's entry under the equation box holds.
    static constexpr std::size_t EquationCapacity = 65534;
    // From this length on the equation box moves its caret itself: GTK's
    // own caret motion costs time with the square of the text's length.
    static constexpr long LongEquation = 1000;

private:
    friend void OnEngineError(std::string Message, int Position);
    friend void OnEngineStep(const std::string& Equation);

    void ShowEngineError(const std::string& message, int position);
    void FlushSteps();
    void InsertIntoEquation(const wxString& text);
    // Back to typing: the focus in the equation box, the caret at its end.
    void FocusEquationEnd(wxTextCtrl* from);
    // Moves the equation box's caret for a cursor key; false for other keys.
    bool MoveEquationCaret(const wxKeyEvent& event);
    void LoadSettings();
    void SaveSettings();

    std::unique_ptr<TEquationEngine> Engine;
    std::string IniFileName;
    std::string HelpFileName;

    wxPanel* pnlMain = nullptr;
    wxComboBox* cboEquation = nullptr;
    wxTextCtrl* txtDecimal = nullptr;
    wxTextCtrl* txtHexadecimal = nullptr;
    wxTextCtrl* txtOctal = nullptr;
    wxTextCtrl* txtBinary = nullptr;
    wxTextCtrl* txtMemory = nullptr;
    wxTextCtrl* txtSteps = nullptr;
    wxMenuItem* mnuSteps = nullptr;

    // The result column (result box and memory row), for the steps-hidden size.
    wxSizer* ResultColumn = nullptr;
    // Its size before the window is widened by hand.
    wxSize NaturalColumnSize = wxDefaultSize;

    // The equation as handed to the engine, in UTF-8: the engine reports fault
    // positions as byte offsets into it.
    std::string CurrentEquation;
    // Steps reported by the engine and not yet in the steps box. They go in
    // with one append when the engine returns or stops at a fault, not one
    // append per step: every insertion has GTK's text view move its caret,
    // scroll and queue another layout pass.
    std::string PendingSteps;
    // The step texts grow with the square of the equation's length: a long
    // pasted equation would fill the memory with them, and GTK needs seconds
    // to lay out a few megabytes. The box takes this much step text of one
    // calculation and then says that the rest is left out.
    std::size_t StepsTextLimit = std::size_t{6} << 20;
    bool StepsCut = false;
};

// The one main window, set by the application once the window is shown. The
// engine callbacks reach the window through it.
extern TfrmCalculator* frmCalculator;

// Engine callbacks (plain functions: the engine keeps no context pointer).
void OnEngineError(std::string Message, int Position);
void OnEngineStep(const std::string& Equation);
