// The window in whatever theme and at whatever scale the desktop has: it
// fits the screen, its fields and glyphs stand out, its icon comes at every
// size. Run once as the desktop is and once dark at twice the scale.
#include "WindowImages.h"
#include "CalculatorFixture.h"

#include <wx/display.h>
#include <wx/iconbndl.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/translation.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "NativeWidgets.h"
#include "ToolImages.h"
#include "Translations.h"
#include "frmAbout.h"

namespace {

// Contrast ratio of two colours as the accessibility guidelines define it.
double RelativeLuminance(const wxColour& colour)
{
    auto channel = [](unsigned char value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.Red()) + 0.7152 * channel(colour.Green()) + 0.0722 * channel(colour.Blue());
}

// The languages the build made catalogs for (none where they are not looked for).
std::vector<std::string> ShippedLanguages()
{
    std::vector<std::string> languages;
    std::istringstream list(OV_SHIPPED_LANGUAGES);
    for (std::string language; std::getline(list, language, ',');) {
        if (!language.empty()) {
            languages.push_back(language);
        }
    }
    return languages;
}

double Contrast(const wxColour& a, const wxColour& b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(CalculatorTest, Theme_OpensInsideTheDisplaysWorkArea)
{
    const wxRect area = wxDisplay(0U).GetClientArea();
    auto expectInside = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_LE(Window->GetSize().x, area.width);
        EXPECT_LE(Window->GetSize().y, area.height);
        EXPECT_TRUE(area.Contains(Window->GetPosition()));
    };
    expectInside("opened");
    // Hiding the steps and showing them again keeps it so.
    for (bool shown : {false, true}) {
        StepsItem()->Check(shown);
        SendCommand(ids::mnuSteps);
        expectInside(shown ? "steps shown again" : "steps hidden");
    }
    // The steps show, however small the screen, and a result wider than its
    // field says that it scrolls.
    ResizePanel(Find<wxPanel>(ids::pnlMain), Window->GetClientSize());
    EXPECT_TRUE(Steps()->IsShown());
    EXPECT_GE(Steps()->GetSize().x, 20 * Steps()->GetCharWidth());
    for (const char* text : {"-1.2345678901234567890123456789", "79228162514264337593543950335"}) {
        Calculate(text);
        for (wxWindowID id : {ids::txtDecimal, ids::txtBinary}) {
            wxTextCtrl* field = Field(id);
            const bool whole =
                field->GetSize().x >= field->GetSizeFromTextSize(field->GetTextExtent(field->GetValue()).x).x;
            EXPECT_TRUE(whole || HasScrollCue(field)) << text;
        }
    }
    EXPECT_LE(Window->GetMinSize().x, Window->GetSize().x);
}

TEST_F(CalculatorTest, Theme_ReadOnlyFieldsReadAsFields)
{
    const wxColour window = Find<wxPanel>(ids::pnlMain)->GetBackgroundColour();
    const bool dark = wxSystemSettings::GetAppearance().IsUsingDarkBackground();
    for (wxWindowID id : {ids::txtDecimal, ids::txtHexadecimal, ids::txtOctal, ids::txtBinary, ids::txtMemory}) {
        SCOPED_TRACE(id);
        const wxTextCtrl* field = Field(id);
        EXPECT_GE(Contrast(field->GetForegroundColour(), field->GetBackgroundColour()), 4.5);
        // On a dark window the window's own colour would hide the field.
        if (dark) {
            EXPECT_GE(Contrast(field->GetBackgroundColour(), window), 1.3);
        }
    }
}

TEST_F(CalculatorTest, Theme_WindowIconAtTheSizesWindowManagersAskFor)
{
    const wxIconBundle icons = Window->GetIcons();
    for (int size : {16, 32, 48, 64, 128}) {
        SCOPED_TRACE(size);
        const wxIcon icon = icons.GetIconOfExactSize(wxSize(size, size));
        ASSERT_TRUE(icon.IsOk());
        wxBitmap bitmap;
        bitmap.CopyFromIcon(icon);
        const wxImage image = bitmap.ConvertToImage();
        // Transparent corners, an opaque middle.
        ASSERT_TRUE(image.HasAlpha() || image.HasMask());
        EXPECT_TRUE(image.IsTransparent(0, 0));
        EXPECT_FALSE(image.IsTransparent(size / 2, size / 2));
    }
}

struct TToolbarTheme {
    const char* Name;
    wxColour Ink;
    wxColour Toolbar;
};

// The exponent's red stands out from the toolbar as a graphic should (3:1),
// at the designed size and drawn larger, in either theme.
TEST(Images, Theme_ExponentRedReadsOnItsToolbar)
{
    const TToolbarTheme themes[] = {
        {"light", *wxBLACK, wxColour(0xF6, 0xF5, 0xF4)},
        {"dark", wxColour(0xEE, 0xEE, 0xEC), wxColour(0x35, 0x35, 0x35)},
    };
    for (const TToolbarTheme& theme : themes) {
        SCOPED_TRACE(theme.Name);
        EXPECT_GE(Contrast(AccentRed(theme.Ink), theme.Toolbar), 3.0);
        const wxImage designed = RecolouredImage(ToolBitmap("Images/exponent.xpm").ConvertToImage(), theme.Ink);
        bool found = false;
        for (int p = 0; p < 16 * 16; ++p) {
            const unsigned char* rgb = designed.GetData() + 3 * p;
            found |= wxColour(rgb[0], rgb[1], rgb[2]) == AccentRed(theme.Ink);
        }
        EXPECT_TRUE(found) << "the 16-pixel image shows the red";
    }
}

} // namespace

namespace {

// Every label of window and its children shown whole.
void ExpectNoLabelCut(const wxWindow* window, const std::string& language)
{
    for (const wxWindow* child : window->GetChildren()) {
        if (const auto* label = dynamic_cast<const wxStaticText*>(child); label != nullptr && label->IsShown()) {
            const wxSize needed = label->GetTextExtent(label->GetLabelText());
            EXPECT_GE(label->GetSize().x, needed.x) << language << ": " << label->GetLabelText().utf8_string();
            EXPECT_GE(label->GetSize().y, needed.y) << language << ": " << label->GetLabelText().utf8_string();
        }
        if (const auto* box = dynamic_cast<const wxStaticBox*>(child)) {
            EXPECT_GE(box->GetSize().x, box->GetTextExtent(box->GetLabelText()).x) << language;
        }
        ExpectNoLabelCut(child, language);
    }
}

} // namespace

// In each language the program ships, the window is built in it, and its
// labels, the result box's caption and About's texts are shown whole.
TEST_F(CalculatorTest, Theme_NoLabelIsCutInAnyLanguage)
{
    const std::vector<std::string> languages = ShippedLanguages();
    if (languages.empty()) {
        GTEST_SKIP() << "the catalogs are looked for in the Linux build only";
    }
    for (const std::string& language : languages) {
        ASSERT_TRUE(UseLanguage(OV_PROGRAM_DIR, language)) << language;
        EXPECT_EQ(CurrentLanguage(), language) << "the help book is chosen by it";
        Close();
        Open();
        Window->Show();
        wxYield();
        EXPECT_NE(Window->GetMenuBar()->GetMenuLabelText(2), "Help") << language << ": not translated";
        ExpectNoLabelCut(Window, language);
        EXPECT_TRUE(Steps()->IsShown()) << language;
        TfrmAbout about(Window, ids::frmAbout, _("About %s"), wxDefaultPosition, wxDefaultSize, wxCAPTION);
        about.Show();
        wxYield();
        ExpectNoLabelCut(&about, language);
    }
    wxTranslations::Set(nullptr);
}

// A catalog is checked before the library reads it: the library trusts its
// header, and a damaged one crashed the start.
TEST(Catalogs, DamagedOnesAreToldApartFromWholeOnes)
{
    std::ifstream in(std::string(OV_PROGRAM_DIR) + "/locale/de/LC_MESSAGES/ovcalculator.mo", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (whole.size() < 28) {
        GTEST_SKIP() << "the catalogs are looked for in the Linux build only";
    }
    auto withWord = [&](std::size_t at, std::uint32_t value) {
        std::string bytes = whole;
        std::memcpy(bytes.data() + at, &value, 4);
        return bytes;
    };
    std::uint32_t firstOriginal = 0;
    std::memcpy(&firstOriginal, whole.data() + 12, 4);
    const struct {
        const char* Name;
        std::string Bytes;
        bool Whole;
    } rows[] = {
        {"as built", whole, true},
        {"a huge count and a table offset near 4 GiB", withWord(12, 0xfffffff0).replace(8, 4, "\xff\xff\xff\x7f", 4),
         false},
        {"cut in half", whole.substr(0, whole.size() / 2), false},
        {"a string beyond the end", withWord(firstOriginal + 4, static_cast<std::uint32_t>(whole.size())), false},
        {"random bytes", std::string(4096, '\x5a'), false},
        {"empty", "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        std::string why;
        EXPECT_EQ(IsWholeCatalog(row.Bytes.data(), row.Bytes.size(), why), row.Whole) << why;
    }
}

// Every message box of the program, in every language it ships, is wrapped
// to fit a 1024x768 screen and shows its whole text.
TEST_F(CalculatorTest, Theme_EveryMessageFitsInEveryLanguage)
{
    std::vector<std::string> languages = ShippedLanguages();
    languages.insert(languages.begin(), "en");
    const wxString path = "/home/someone/.config/ovCalculator/ovCalculator.ini";
    for (const std::string& language : languages) {
        if (language != "en") {
            ASSERT_TRUE(UseLanguage(OV_PROGRAM_DIR, language)) << language;
        }
        auto tr = [](const char* text) { return wxGetTranslation(text); };
        std::vector<wxString> messages = {
            wxString::Format(tr("With the pasted text the equation would be %s characters long, and the equation "
                                "box holds at most %s characters. Equations of any length can be calculated with "
                                "the console calculator, ovcalc."),
                             LocalNumber(65540), LocalNumber(65534)),
            wxString::Format(wxGetTranslation("The pasted text has %zu line, and the equation box takes one equation "
                                              "on one line. The console calculator, ovcalc, calculates one equation "
                                              "per line.",
                                              "The pasted text has %zu lines, and the equation box takes one "
                                              "equation on one line. The console calculator, ovcalc, calculates one "
                                              "equation per line.",
                                              12),
                             std::size_t{12}),
            wxString::Format(tr("Invalid character found. (U+%04X at position %s)"), 0x200bu, LocalNumber(65000)),
            tr("The text on the clipboard holds a NUL character, which no equation can hold: nothing was pasted."),
            wxString::Format(tr("The settings and the recent equations could not be saved to %s: %s."), path,
                             "it could not be read: Permission denied"),
            wxString::Format(tr("The help cannot be shown: the file %s is missing or damaged."),
                             "/usr/lib/ovCalculator/Help/ovCalculator.htb"),
            tr("Opening parenthesis with no matching closing parenthesis found."),
        };
        for (const wxString& message : messages) {
            SCOPED_TRACE(language + ": " + message.utf8_string());
            TMessageBox box(Window, message, MainWindowCaption, wxOK | wxICON_EXCLAMATION);
            box.Prepare();
            EXPECT_LE(box.GetSize().x, 1024 - 40);
            EXPECT_LE(box.GetSize().y, 768 - 80);
            const wxRect inside(box.GetClientSize());
            for (wxWindow* child : box.GetChildren()) {
                if (auto* text = dynamic_cast<wxStaticText*>(child)) {
                    EXPECT_TRUE(inside.Contains(text->GetRect())) << text->GetLabel();
                    EXPECT_GE(text->GetSize().x, text->GetBestSize().x) << text->GetLabel();
                }
            }
        }
    }
    wxTranslations::Set(nullptr);
}
