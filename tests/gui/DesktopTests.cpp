// The window with real input on the desktop: command keys, double-clicks,
// readable and fitting fields.
#include "UnderWine.h"
#include "CalculatorFixture.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/dcmemory.h>
#include <wx/dataview.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <functional>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace {

template <class Condition>
bool DeliverUntil(Condition condition)
{
    for (int round = 0; round < 200 && !condition(); ++round) {
        wxYield();
        if (!condition()) {
            wxMilliSleep(10);
        }
    }
    return condition();
}

class DesktopTest : public CalculatorTest {
public:
    using CalculatorTest::EquationText;
    using CalculatorTest::FieldText;

protected:
    // Shows the window and clicks into the given control, as a user would.
    void ShowAndClick(wxWindow* control)
    {
        Window->Show();
        Window->Raise();
        ASSERT_TRUE(DeliverUntil([&] { return control->IsShownOnScreen(); }));
        const wxRect rect = control->GetScreenRect();
        // Two places in turn: clicks in quick succession at one place would
        // make a double-click.
        Simulator.MouseMove(rect.x + rect.width / 4 + (++Clicks % 2) * 20, rect.y + rect.height / 2);
        Simulator.MouseClick();
        ASSERT_TRUE(DeliverUntil([&] { return wxWindow::FindFocus() != nullptr; }));
    }

    wxUIActionSimulator Simulator;
    int Clicks = 0;
};

std::string ClipboardText()
{
    wxTextDataObject data;
    if (!wxTheClipboard->Open()) {
        return "<no clipboard>";
    }
    const bool got = wxTheClipboard->GetData(data);
    wxTheClipboard->Close();
    return got ? data.GetText().utf8_string() : "";
}

void SetClipboardText(const wxString& text)
{
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject(text));
    wxTheClipboard->Close();
}

struct TCommandKey {
    const char* Name;
    int Key;
    int Modifiers;
    const char* Equation;
    const char* Memory;
    std::function<bool(DesktopTest&)> Done;
};

TEST_F(DesktopTest, CommandKeysWorkWhereverTheFocusIs)
{
    OV_SKIP_UNDER_WINE("simulated keys and clicks reach the window only with a window manager and focus");
    auto equationIs = [](const char* text) {
        return [text](DesktopTest& test) { return test.EquationText() == text; };
    };
    auto memoryIs = [](const char* text) {
        return [text](DesktopTest& test) { return test.FieldText(ids::txtMemory) == text; };
    };
    const TCommandKey keys[] = {
        {"Escape clears", WXK_ESCAPE, wxMOD_NONE, "1+2", "", equationIs("")},
        {"Ctrl+M stores", 'M', wxMOD_CONTROL, "7*6", "", memoryIs("7*6")},
        {"Ctrl+R retrieves", 'R', wxMOD_CONTROL, "", "5", equationIs("5")},
        {"Ctrl+L clears the memory", 'L', wxMOD_CONTROL, "1", "5", memoryIs("")},
        {"Ctrl+P inserts PI", 'P', wxMOD_CONTROL, "", "", equationIs("3.14159265358979")},
        {"Ctrl+Shift+C copies the result", 'C', wxMOD_CONTROL | wxMOD_SHIFT, "6*7", "",
         [](DesktopTest&) { return ClipboardText() == "42"; }},
    };
    for (wxWindowID focus : {ids::cboEquation, ids::txtMemory}) {
        for (const TCommandKey& key : keys) {
            SCOPED_TRACE(std::string(key.Name) + (focus == ids::txtMemory ? " (memory focused)" : ""));
            SetClipboardText("");
            Calculate(key.Equation[0] != '\0' ? key.Equation : "1");
            Equation()->SetValue(key.Equation);
            Equation()->SetInsertionPointEnd();
            Field(ids::txtMemory)->SetValue(key.Memory);
            ShowAndClick(Window->FindWindow(focus));
            Equation()->SetInsertionPointEnd();
            Simulator.Char(key.Key, key.Modifiers);
            EXPECT_TRUE(DeliverUntil([&] { return key.Done(*this); }));
            EXPECT_TRUE(DeliverUntil([&] { return wxWindow::FindFocus() == Equation(); })) << "back to typing";
        }
    }
}

TEST_F(DesktopTest, DoubleClickLeavesTheFocusInTheEquationBoxAtItsEnd)
{
    OV_SKIP_UNDER_WINE("simulated keys and clicks reach the window only with a window manager and focus");
    for (wxWindowID id : {ids::txtDecimal, ids::txtMemory}) {
        SCOPED_TRACE(id);
        Calculate("12+30");
        Equation()->SetValue("");
        Field(ids::txtMemory)->SetValue("8");
        ShowAndClick(Field(id));
        Simulator.MouseDblClick();
        ASSERT_TRUE(DeliverUntil([&] { return wxWindow::FindFocus() != Field(id); }));
        wxYield();
        EXPECT_EQ(EquationText(), id == ids::txtDecimal ? "42" : "8");
        long from = 0, to = 0;
        Field(id)->GetSelection(&from, &to);
        EXPECT_EQ(from, to) << "no word selected";
        EXPECT_EQ(Caret(), Equation()->GetLastPosition());
        Simulator.Char(WXK_RETURN);
        EXPECT_TRUE(DeliverUntil([&] { return RecentEquations().front() == EquationText(); }));
    }
}

// What the screen shows of a window: its pixels, read back from the X server.
std::string Screenshot([[maybe_unused]] const wxWindow* window, [[maybe_unused]] int& stride)
{
    std::string pixels;
#ifdef __WXGTK__
    const wxRect rect = window->GetScreenRect();
    GdkPixbuf* image =
        gdk_pixbuf_get_from_window(gdk_get_default_root_window(), rect.x, rect.y, rect.width, rect.height);
    if (image != nullptr) {
        stride = gdk_pixbuf_get_rowstride(image);
        pixels.assign(reinterpret_cast<const char*>(gdk_pixbuf_read_pixels(image)),
                      static_cast<std::size_t>(stride) * rect.height);
        g_object_unref(image);
    }
#endif
    return pixels;
}

// Each whole row in view, as drawn.
std::vector<std::string> DrawnRows(TStepsView* steps)
{
    for (int round = 0; round < 20; ++round) { // the frames GTK paces its drawing by
        wxYield();
        wxMilliSleep(10);
    }
    int stride = 0;
    const std::string image = Screenshot(steps->GetList(), stride);
    const std::size_t rowBytes = static_cast<std::size_t>(stride) * steps->GetRowHeight();
    std::vector<std::string> rows;
    for (int row = 0; row < steps->GetVisibleRows() && rowBytes * (row + 1) <= image.size(); ++row) {
        rows.push_back(image.substr(rowBytes * row, rowBytes));
    }
    return rows;
}

// Sideways scrolling moves every row in view at once (keys, the scrollbar and
// the wheel all scroll this way), and back again; the list shows whole rows.
TEST_F(DesktopTest, StepsScrollSidewaysEveryRowAtOnce)
{
#ifndef __WXGTK__
    GTEST_SKIP() << "the screen's pixels are read back from the X server";
#endif
    Window->Show();
    Window->Raise();
    ASSERT_TRUE(DeliverUntil([&] { return Steps()->IsShownOnScreen(); }));
    wxString equation = "1";
    for (int i = 2; i < 60; ++i) {
        equation << "+" << i;
    }
    Calculate(equation);
    const int rows = Steps()->GetVisibleRows();
    ASSERT_GE(rows, 7);
    EXPECT_EQ(Steps()->GetList()->GetSize().y % Steps()->GetRowHeight(), 0) << "no row cut in half";

    const std::vector<std::string> start = DrawnRows(Steps());
    Steps()->ScrollToColumn(12);
    ASSERT_EQ(Steps()->GetFirstColumn(), 12u);
    const std::vector<std::string> moved = DrawnRows(Steps());
    Steps()->ScrollToColumn(0);
    const std::vector<std::string> back = DrawnRows(Steps());
    ASSERT_EQ(start.size(), static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        SCOPED_TRACE(row);
        EXPECT_TRUE(moved[row] != start[row]) << "the row was not drawn again";
        EXPECT_TRUE(back[row] == start[row]) << "the row is not as it was";
    }

    // Far right, then down to the short last lines: back to where they end.
    Steps()->ScrollToColumn(100);
    auto* model = dynamic_cast<wxDataViewVirtualListModel*>(Steps()->GetList()->GetModel());
    Steps()->GetList()->EnsureVisible(model->GetItem(static_cast<unsigned>(Steps()->GetLineCount() - 1)));
    DrawnRows(Steps());
    EXPECT_LT(Steps()->GetFirstColumn(), Steps()->GetHistory().LineLength(Steps()->GetFirstVisibleLine()))
        << "the longest line in view shows";
}

TEST_F(CalculatorTest, WidestValuesFitTheirFields)
{
    const char* const widest[] = {
        "-1000000000000000000000000000000000000000000000000000000000000000",
        "-1.2345678901234567890123456789",
        "1.18059162071741E+21",
    };
    Window->Show();
    wxYield();
    for (wxWindowID id : {ids::txtDecimal, ids::txtHexadecimal, ids::txtOctal, ids::txtBinary}) {
        for (const char* text : widest) {
            SCOPED_TRACE(text);
            wxTextCtrl* field = Field(id);
            const int needed = field->GetSizeFromTextSize(field->GetTextExtent(text).x).x;
            EXPECT_GE(field->GetSize().x, needed) << id;
        }
    }
}

// Rows of ink in a text drawn black on white.
int InkHeight(const wxFont& font, const wxString& text)
{
    wxBitmap bitmap(200, 100);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(font);
    dc.SetTextForeground(*wxBLACK);
    dc.DrawText(text, 10, 10);
    dc.SelectObject(wxNullBitmap);
    const wxImage image = bitmap.ConvertToImage();
    int top = -1, bottom = -1;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            if (image.GetRed(x, y) < 128) {
                top = top < 0 ? y : top;
                bottom = y;
                break;
            }
        }
    }
    return top < 0 ? 0 : bottom - top + 1;
}

TEST_F(CalculatorTest, FieldDigitsAreAtLeastAsTallAsTheLabels)
{
    wxStaticText* label = nullptr;
    for (wxWindow* child : Find<wxPanel>(ids::pnlMain)->GetChildren()) {
        if (auto* text = dynamic_cast<wxStaticText*>(child); text && text->GetLabel() == "Decimal:") {
            label = text;
        }
    }
    ASSERT_NE(label, nullptr);
    EXPECT_GE(InkHeight(Field(ids::txtDecimal)->GetFont(), "0123456789"), InkHeight(label->GetFont(), "D"));
#ifdef __WXGTK__
    EXPECT_GE(label->GetFont().GetPointSize(), 9) << "the desktop's size, not 8 points";
#endif
}

} // namespace
