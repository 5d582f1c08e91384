// The main window as built: title, ids, menus, toolbar, images and layout.
#include "CalculatorFixture.h"

#include <wx/display.h>
#include <wx/panel.h>
#include <wx/statbox.h>

#include "ToolImages.h"
#include "WindowImages.h"
#include <wx/stattext.h>

#include <set>
#include <string>

namespace {

TEST_F(CalculatorTest, TitleAndIcon)
{
    EXPECT_EQ(Window->GetTitle(), "Orvandale Calculator");
    EXPECT_TRUE(Window->GetIcon().IsOk());
    EXPECT_FALSE(Window->IsShown()) << "the caller shows the window";
}

// The mnemonics of a menu bar: one per title, one per item, none twice in
// a menu or among the titles (Alt+letter must reach each one).
TEST_F(CalculatorTest, Menus_EveryItemHasItsOwnMnemonic)
{
    const auto mnemonic = [](const wxString& label) {
        const int at = label.Find('&');
        return at == wxNOT_FOUND || static_cast<std::size_t>(at) + 1 >= label.length()
                   ? wxString()
                   : wxString(label[static_cast<std::size_t>(at) + 1]).Lower();
    };
    wxMenuBar* bar = Window->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    std::set<wxString> titles;
    for (std::size_t m = 0; m < bar->GetMenuCount(); ++m) {
        SCOPED_TRACE(bar->GetMenuLabel(m).utf8_string());
        EXPECT_TRUE(titles.insert(mnemonic(bar->GetMenuLabel(m))).second);
        std::set<wxString> items;
        for (wxMenuItem* item : bar->GetMenu(m)->GetMenuItems()) {
            if (!item->IsSeparator()) {
                EXPECT_TRUE(item->IsEnabled());
                EXPECT_TRUE(items.insert(mnemonic(item->GetItemLabel())).second) << item->GetItemLabel();
            }
        }
    }
    EXPECT_EQ(titles.count(wxString()), 0u) << "a title without a mnemonic";
}

TEST_F(CalculatorTest, StepsItemStartsChecked)
{
    EXPECT_TRUE(StepsItem()->IsCheckable());
    EXPECT_TRUE(StepsItem()->IsChecked());
}

TEST_F(CalculatorTest, F1IsTheHelpTopicsAccelerator)
{
    wxMenuItem* item = Window->GetMenuBar()->FindItem(ids::mnuHelpTopics);
    ASSERT_NE(item, nullptr);
    wxAcceleratorEntry* accelerator = item->GetAccel();
    ASSERT_NE(accelerator, nullptr);
    EXPECT_EQ(accelerator->GetKeyCode(), WXK_F1);
    EXPECT_EQ(accelerator->GetFlags(), wxACCEL_NORMAL);
    delete accelerator;
}

// Every tool does something to the equation or the memory, says what in a
// tooltip of its own, and shows an image of its own.
TEST_F(CalculatorTest, Toolbar_EveryToolActsAndSaysWhat)
{
    wxToolBar* toolBar = Window->GetToolBar();
    ASSERT_NE(toolBar, nullptr);
    EXPECT_EQ(toolBar->GetToolBitmapSize(), wxSize(16, 16));
    std::set<wxString> tips;
    std::set<std::string> images;
    int tools = 0;
    for (std::size_t i = 0; i < toolBar->GetToolsCount(); ++i) {
        const wxToolBarToolBase* tool = toolBar->GetToolByPos(static_cast<int>(i));
        if (tool->IsSeparator()) {
            continue;
        }
        ++tools;
        SCOPED_TRACE(tool->GetShortHelp().utf8_string());
        EXPECT_TRUE(tips.insert(tool->GetShortHelp()).second) << "a tooltip of its own";
        EXPECT_FALSE(tool->GetShortHelp().empty());
        EXPECT_EQ(tool->GetLabel(), "");
        EXPECT_EQ(tool->GetKind(), wxITEM_NORMAL);
        const wxImage image = tool->GetNormalBitmap().ConvertToImage();
        ASSERT_TRUE(image.IsOk());
        EXPECT_TRUE(images
                        .emplace(reinterpret_cast<const char*>(image.GetData()),
                                 static_cast<std::size_t>(image.GetWidth() * image.GetHeight() * 3))
                        .second)
            << "an image of its own";

        SetEquation("12", 2, 2);
        Field(ids::txtMemory)->SetValue("7");
        SendCommand(tool->GetId());
        EXPECT_TRUE(EquationText() != "12" || Field(ids::txtMemory)->GetValue() != "7") << "the tool did nothing";
    }
    EXPECT_EQ(tools, 9);
}

// ---------------------------------------------------------------------------
// Images

const char* const ToolImageKeys[] = {
    "Images/clear.xpm",        "Images/exponent.xpm", "Images/root.xpm", "Images/pi.xpm", "Images/lparenthesis.xpm",
    "Images/rparenthesis.xpm", "Images/ms.xpm",       "Images/mr.xpm",   "Images/mc.xpm",
};

TEST(Images, ToolBitmap_EveryToolKeyGivesItsSixteenPixelImage)
{
    for (const char* key : ToolImageKeys) {
        SCOPED_TRACE(key);
        const wxBitmap bitmap = ToolBitmap(key);
        ASSERT_TRUE(bitmap.IsOk());
        EXPECT_EQ(bitmap.GetSize(), wxSize(16, 16));
        // Transparent around the drawing, so it sits on any toolbar colour.
        EXPECT_TRUE(bitmap.ConvertToImage().HasMask() || bitmap.ConvertToImage().HasAlpha());
    }
}

TEST(Images, ToolBitmap_EveryKeyGivesADifferentImage)
{
    std::vector<std::string> pixels;
    for (const char* key : ToolImageKeys) {
        const wxImage image = ToolBitmap(key).ConvertToImage();
        pixels.emplace_back(reinterpret_cast<const char*>(image.GetData()), 16 * 16 * 3);
    }
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        for (std::size_t j = i + 1; j < pixels.size(); ++j) {
            EXPECT_NE(pixels[i], pixels[j]) << ToolImageKeys[i] << " and " << ToolImageKeys[j];
        }
    }
}

// Drawn afresh at other sizes: every glyph at 32 pixels has ink of its own,
// and the monochrome ones take the ink colour instead of black.
TEST(Images, ToolImagesAtTwiceTheSizeAndInTheThemeColour)
{
    const wxColour ink(0xEE, 0xEE, 0xEC);
    std::vector<std::string> drawn;
    for (std::size_t i = 0; i < std::size(ToolImageKeys); ++i) {
        SCOPED_TRACE(ToolImageKeys[i]);
        const auto glyph = static_cast<TToolGlyph>(i);
        const wxBitmap sixteen = ToolBitmap(ToolImageKeys[i]);
        const wxImage large = DrawnToolImage(glyph, 32, ink);
        ASSERT_EQ(large.GetSize(), wxSize(32, 32));
        int opaque = 0;
        for (int p = 0; p < 32 * 32; ++p) {
            opaque += large.GetAlpha()[p] > 128;
        }
        EXPECT_GT(opaque, 12);
        drawn.emplace_back(reinterpret_cast<const char*>(large.GetAlpha()), 32 * 32);

        const wxImage recoloured = RecolouredImage(sixteen.ConvertToImage(), ink);
        ASSERT_TRUE(recoloured.IsOk());
        bool black = false;
        for (int p = 0; p < 16 * 16 * 3; p += 3) {
            black |=
                recoloured.GetData()[p] == 0 && recoloured.GetData()[p + 1] == 0 && recoloured.GetData()[p + 2] == 0;
        }
        EXPECT_FALSE(black) << "black left in the image";
    }
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        for (std::size_t j = i + 1; j < drawn.size(); ++j) {
            EXPECT_NE(drawn[i], drawn[j]) << ToolImageKeys[i] << " and " << ToolImageKeys[j];
        }
    }
}

TEST(Images, WindowIcon_TheWindowIcon)
{
    const wxIcon icon = WindowIcon("Images/calculator.xpm");
    ASSERT_TRUE(icon.IsOk());
    EXPECT_EQ(icon.GetWidth(), 32);
    EXPECT_EQ(icon.GetHeight(), 32);
}

TEST(Images, OtherKeysGiveNullImages)
{
    const char* const bitmapMisses[] = {
        "Images/Clear.xpm",
        "images/clear.xpm",
        "IMAGES/CLEAR.XPM",
        "Images/clear.XPM",
        "clear.xpm",
        "Images/clear.xpm ",
        "",
        "Images/calculator.xpm",
        "Images/mx.xpm",
    };
    for (const char* key : bitmapMisses) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(ToolBitmap(key).IsOk());
    }
    const char* const iconMisses[] = {"Images/Calculator.xpm", "images/calculator.xpm", "Images/clear.xpm", ""};
    for (const char* key : iconMisses) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(WindowIcon(key).IsOk());
    }
}

// ---------------------------------------------------------------------------
// Layout

// Every control of the result column lies wholly inside the panel and gets
// at least the height it asks for, so no text is clipped.
void ExpectResultColumnVisible(const wxPanel* panel)
{
    const wxRect area(panel->GetClientSize());
    for (wxWindow* child : panel->GetChildren()) {
        if (child->GetId() == ids::txtSteps) {
            continue;
        }
        SCOPED_TRACE(child->GetClassInfo()->GetClassName());
        const wxRect rect = child->GetRect();
        EXPECT_TRUE(area.Contains(rect)) << "control at " << rect.x << "," << rect.y << " size " << rect.width << "x"
                                         << rect.height << " outside " << area.width << "x" << area.height;
        EXPECT_GE(rect.height, child->GetBestSize().y);
        if (dynamic_cast<wxStaticText*>(child) != nullptr) {
            EXPECT_GE(rect.width, child->GetBestSize().x);
        }
    }
}

TEST_F(CalculatorTest, StepsShown_EverythingVisibleAndTheStepsBoxBeside)
{
    auto* panel = Find<wxPanel>(ids::pnlMain);
    ResizePanel(panel, Window->GetClientSize());
    ExpectResultColumnVisible(panel);
    EXPECT_TRUE(Steps()->IsShown());

    const wxRect steps = Steps()->GetRect();
    const wxRect memory = Field(ids::txtMemory)->GetRect();
    EXPECT_TRUE(wxRect(panel->GetClientSize()).Contains(steps));
    EXPECT_GT(steps.x, memory.GetRight());
    EXPECT_GE(steps.width, 194);
    EXPECT_GE(Window->GetClientSize().x, 543);
}

TEST_F(CalculatorTest, StepsHidden_TheWindowIsExactlyTheResultColumn)
{
    StepsItem()->Check(false);
    SendCommand(ids::mnuSteps);
    auto* panel = Find<wxPanel>(ids::pnlMain);
    ResizePanel(panel, Window->GetClientSize());
    ExpectResultColumnVisible(panel);

    // Nothing of the steps box shows: GTK would draw it at its minimum
    // width over the border otherwise.
    EXPECT_FALSE(Steps()->IsShown());
    // No more than the outer border right of the result column.
    int right = 0;
    for (wxWindow* child : panel->GetChildren()) {
        if (child->GetId() != ids::txtSteps) {
            right = std::max(right, child->GetRect().GetRight() + 1);
        }
    }
    EXPECT_LE(panel->GetClientSize().x - right, 7 + 2 + 5 + 8);
}

TEST_F(CalculatorTest, StepsHidden_WideningByHandBringsTheStepsBack)
{
    StepsItem()->Check(false);
    SendCommand(ids::mnuSteps);
    auto* panel = Find<wxPanel>(ids::pnlMain);
    ResizePanel(panel, Window->GetClientSize());
    ASSERT_FALSE(Steps()->IsShown());

    ResizePanel(panel, Window->GetClientSize() + wxSize(120, 0));
    EXPECT_TRUE(Steps()->IsShown());
    EXPECT_GE(Steps()->GetSize().x, 100);
    EXPECT_FALSE(StepsItem()->IsChecked()) << "the check mark changes only through the menu";
}

// At every size the result column keeps its own width and the steps box
// takes all the rest, maximised too.
TEST_F(CalculatorTest, NothingOverlapsAndEveryExtraPixelGoesToTheSteps)
{
    auto* panel = Find<wxPanel>(ids::pnlMain);
    EXPECT_GE(Window->GetMinClientSize().x, Window->StepsHiddenClientSize().x);
    EXPECT_GE(Window->GetMinClientSize().y, Window->StepsHiddenClientSize().y);
    const int natural = Field(ids::txtBinary)->GetMinSize().x;
    const struct {
        const char* Name;
        wxSize Size;
    } sizes[] = {
        {"minimum", Window->GetMinClientSize()},
        {"steps shown", Window->StepsShownClientSize()},
        {"200 wider", Window->StepsShownClientSize() + wxSize(200, 0)},
        {"maximised", wxDisplay(0U).GetClientArea().GetSize()},
    };
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.Name);
        ResizePanel(panel, size.Size);
        ExpectResultColumnVisible(panel);
        EXPECT_EQ(Field(ids::txtBinary)->GetSize().x, natural);
        const int room = size.Size.x - Window->StepsHiddenClientSize().x;
        EXPECT_EQ(Steps()->IsShown(), room > 0);
        if (room > 0) {
            EXPECT_GE(Steps()->GetSize().x, room - 8);
            EXPECT_GE(Steps()->GetRect().GetBottom(), Field(ids::txtMemory)->GetRect().GetBottom());
        }
    }
    // The memory row is one of the family: as high, and its right edge the Result box's.
    EXPECT_EQ(Field(ids::txtMemory)->GetSize().y, Field(ids::txtBinary)->GetSize().y);
    for (wxWindow* child : panel->GetChildren()) {
        if (dynamic_cast<wxStaticBox*>(child) != nullptr) {
            EXPECT_EQ(Field(ids::txtMemory)->GetRect().GetRight(), child->GetRect().GetRight());
        }
    }
}

TEST_F(CalculatorTest, ResultColumnIsAtLeastAsWideAsTheToolbar)
{
    // Else the steps-hidden view would cut the last tools off.
    EXPECT_GE(Window->StepsHiddenClientSize().x, Window->GetToolBar()->GetBestSize().x);
}

} // namespace
