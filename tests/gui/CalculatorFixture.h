// A fresh main window per test, driven through its event handlers.
#pragma once

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "ExecutablePath.h"
#include "MessageBox.h"
#include "SettingsPath.h"
#include "StepsView.h"
#include "frmCalculator.h"
#include "ids.h"

// Readable failure messages for wxString comparisons.
inline void PrintTo(const wxString& text, std::ostream* out)
{
    *out << '"' << text.utf8_string() << '"';
}

// The settings file the window under test reads and writes: beside the test
// program, whose directory is its own.
inline std::string SettingsFile()
{
    return SettingsFilePath(DirectoryOf(ExecutablePath()));
}

inline void RemoveSettingsFile()
{
    std::error_code ignored;
    std::filesystem::remove_all(SettingsFile(), ignored);
}

inline void WriteSettingsFile(const std::string& text)
{
    RemoveSettingsFile();
    std::ofstream(SettingsFile(), std::ios::binary) << text;
}

// The file's text, "" when there is none.
inline std::string ReadSettingsFile()
{
    std::ifstream in(SettingsFile(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The panel's own size event, as the frame's resizing sends it.
inline void ResizePanel(wxWindow* panel, const wxSize& size)
{
    panel->SetSize(size);
    wxSizeEvent event(size, panel->GetId());
    event.SetEventObject(panel);
    panel->ProcessWindowEvent(event);
}

class CalculatorTest : public ::testing::Test {
protected:
    // Each test starts without a settings file (the defaults) unless it
    // writes one first and then opens the window itself.
    void SetUp() override
    {
        RemoveSettingsFile();
        if (OpenOnSetUp) {
            Open();
        }
    }

    void TearDown() override
    {
        Close();
        RemoveSettingsFile();
    }

    void Open()
    {
        Window = new TfrmCalculator(nullptr, ids::frmCalculator, MainWindowCaption, wxDefaultPosition, wxDefaultSize,
                                    MainWindowStyle);
    }

    // Destroys the window, which saves the settings.
    void Close()
    {
        if (Window != nullptr) {
            Window->Destroy();
        }
        Window = nullptr;
        // Top-level windows are deleted when the application next goes idle.
        wxTheApp->ProcessIdle();
    }

    template <class T>
    T* Find(wxWindowID id) const
    {
        return dynamic_cast<T*>(Window->FindWindow(id));
    }

    wxComboBox* Equation() const { return Find<wxComboBox>(ids::cboEquation); }
    wxTextCtrl* Field(wxWindowID id) const { return Find<wxTextCtrl>(id); }
    std::string FieldText(wxWindowID id) const { return Field(id)->GetValue().utf8_string(); }
    std::string EquationText() const { return Equation()->GetValue().utf8_string(); }
    wxMenuItem* StepsItem() const { return Window->GetMenuBar()->FindItem(ids::mnuSteps); }

    // The key as the equation box's entry passes it on: a character event
    // of the combo box.
    void PressKey(int keyCode)
    {
        wxKeyEvent event(wxEVT_CHAR);
        event.m_keyCode = keyCode;
        event.SetEventObject(Equation());
        event.SetId(ids::cboEquation);
        Equation()->ProcessWindowEvent(event);
    }

    // Types a whole equation and presses Enter; the equation must be valid.
    void Calculate(const wxString& equation)
    {
        Equation()->SetValue(equation);
        PressKey(WXK_RETURN);
    }

    // A menu command, as the menu bar sends it to the frame.
    void SendCommand(wxWindowID id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(Window);
        Window->ProcessWindowEvent(event);
    }

    // A toolbar click: the tool's command starts at the toolbar and travels
    // up to the frame's event table.
    void ClickTool(wxWindowID id)
    {
        wxToolBar* toolBar = Window->GetToolBar();
        ASSERT_NE(toolBar->FindById(id), nullptr) << "no tool " << id;
        wxCommandEvent event(wxEVT_TOOL, id);
        event.SetEventObject(toolBar);
        toolBar->ProcessWindowEvent(event);
    }

    void DoubleClick(wxWindowID id)
    {
        wxMouseEvent event(wxEVT_LEFT_DCLICK);
        event.SetEventObject(Field(id));
        event.SetId(id);
        Field(id)->ProcessWindowEvent(event);
    }

    void SetEquation(const wxString& text, long from, long to)
    {
        Equation()->SetValue(text);
        Equation()->SetSelection(from, to);
    }

    long Caret() const { return Equation()->GetInsertionPoint(); }

    bool HasSelection() const
    {
        long from = 0, to = 0;
        Equation()->GetSelection(&from, &to);
        return from != to;
    }

    std::vector<std::string> RecentEquations() const
    {
        std::vector<std::string> items;
        for (unsigned i = 0; i < Equation()->GetCount(); ++i) {
            items.push_back(Equation()->GetString(i).utf8_string());
        }
        return items;
    }

    TStepsView* Steps() const { return Find<TStepsView>(ids::txtSteps); }

    // Every line of the steps box, each followed by a line break.
    std::string StepsText() const
    {
        const std::size_t count = Steps()->GetLineCount();
        return count == 0 ? std::string() : Steps()->GetLines(0, count) + "\n";
    }

    std::vector<std::string> StepLines() const
    {
        std::vector<std::string> lines;
        const std::string text = StepsText();
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            lines.push_back(text.substr(start, end - start));
        }
        EXPECT_EQ(start, text.size()) << "every step line ends in a line break";
        return lines;
    }

    TfrmCalculator* Window = nullptr;
    bool OpenOnSetUp = true;
};

// The engine's message box: checks its caption, text and icon and presses OK.
class ExpectEngineMessage : public wxExpectDismissableModal<TMessageBox> {
public:
    explicit ExpectEngineMessage(const wxString& message)
        : wxExpectDismissableModal<TMessageBox>(wxID_OK), Message(message)
    {
    }

protected:
    int OnInvoked(TMessageBox* dialog) const override
    {
        EXPECT_EQ(dialog->GetCaption(), "Orvandale Calculator");
        EXPECT_EQ(dialog->GetMessage(), Message);
        EXPECT_TRUE(dialog->GetMessageDialogStyle() & wxICON_EXCLAMATION);
        EXPECT_TRUE(dialog->GetMessageDialogStyle() & wxOK);
        // The icon of its kind, and the whole caption in the title bar.
        bool icon = false;
        for (wxWindow* child : dialog->GetChildren()) {
            icon = icon || dynamic_cast<wxStaticBitmap*>(child) != nullptr;
        }
        EXPECT_TRUE(icon);
        EXPECT_GE(dialog->GetSize().x, dialog->GetTextExtent(dialog->GetCaption()).x + 100);
        return wxExpectDismissableModal<TMessageBox>::OnInvoked(dialog);
    }

private:
    wxString Message;
};
