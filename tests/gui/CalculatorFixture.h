// A fresh main window per test, driven through its event handlers.
#pragma once

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <ostream>
#include <string>
#include <vector>

#include "frmCalculator.h"
#include "ids.h"

// Readable failure messages for wxString comparisons.
inline void PrintTo(const wxString& text, std::ostream* out)
{
    *out << '"' << text.utf8_string() << '"';
}

class CalculatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Window = new TfrmCalculator(nullptr, ids::frmCalculator, MainWindowCaption, wxDefaultPosition,
                                    wxDefaultSize, MainWindowStyle);
        frmCalculator = Window;
    }

    void TearDown() override
    {
        Window->Destroy();
        frmCalculator = nullptr;
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

    void SendCommand(wxWindowID id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(Window);
        Window->ProcessWindowEvent(event);
    }

    std::vector<std::string> RecentEquations() const
    {
        std::vector<std::string> items;
        for (unsigned i = 0; i < Equation()->GetCount(); ++i)
            items.push_back(Equation()->GetString(i).utf8_string());
        return items;
    }

    std::vector<std::string> StepLines() const
    {
        std::vector<std::string> lines;
        const std::string text = FieldText(ids::txtSteps);
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        EXPECT_EQ(start, text.size()) << "every step line ends in a line break";
        return lines;
    }

    TfrmCalculator* Window = nullptr;
};

// The engine's message box: checks its caption, text and icon and presses OK.
class ExpectEngineMessage : public wxExpectModal<wxMessageDialog> {
public:
    explicit ExpectEngineMessage(const wxString& message)
        : wxExpectModal<wxMessageDialog>(wxID_OK), Message(message)
    {
    }

protected:
    int OnInvoked(wxMessageDialog* dialog) const override
    {
        EXPECT_EQ(dialog->GetCaption(), "Orvandale Calculator");
        EXPECT_EQ(dialog->GetMessage(), Message);
        EXPECT_TRUE(dialog->GetMessageDialogStyle() & wxICON_EXCLAMATION);
        EXPECT_TRUE(dialog->GetMessageDialogStyle() & wxOK);
        return wxExpectModal<wxMessageDialog>::OnInvoked(dialog);
    }

private:
    wxString Message;
};
