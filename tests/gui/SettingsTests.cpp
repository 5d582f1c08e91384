// The settings file: read when the window is built, written when it is
// destroyed, never in between.
#include "CalculatorFixture.h"

#include "ProfileFile.h"

#include <sys/stat.h>

namespace {

class SettingsTest : public CalculatorTest {
protected:
    SettingsTest() { OpenOnSetUp = false; }
};

std::string Equations(int operators)
{
    std::string equation = "1";
    for (int i = 0; i < operators; ++i) {
        equation += "+1";
    }
    return equation;
}

TEST_F(SettingsTest, FirstRun_DefaultsThenTheFileIsWrittenOnDestroy)
{
    Open();
    EXPECT_TRUE(StepsItem()->IsChecked());
    EXPECT_EQ(Window->GetClientSize(), Window->StepsShownClientSize());
    EXPECT_EQ(RecentEquations(), std::vector<std::string>(10, ""));
    Calculate("1+2");
    EXPECT_EQ(ReadSettingsFile(), "") << "nothing is written before the window goes";

    Close();
    const TProfileFile saved(SettingsFile());
    EXPECT_EQ(saved.ReadString("Settings", "ViewSteps", "missing"), "1");
    EXPECT_EQ(saved.ReadString("MRUEquation", "0", "missing"), "1+2");
    for (int key = 1; key <= 9; ++key) {
        EXPECT_EQ(saved.ReadString("MRUEquation", std::to_string(key), "missing"), "") << "key " << key;
    }
    EXPECT_EQ(saved.ReadString("MRUEquation", "10", "missing"), "missing");
}

TEST_F(SettingsTest, ViewStepsZero_StartsNarrowAndUncheckedAndIsWrittenBack)
{
    WriteSettingsFile("[Settings]\nViewSteps=0\n");
    Open();
    EXPECT_FALSE(StepsItem()->IsChecked());
    EXPECT_EQ(Window->GetClientSize(), Window->StepsHiddenClientSize());
    Close();
    EXPECT_NE(ReadSettingsFile().find("ViewSteps=0\n"), std::string::npos);
}

TEST_F(SettingsTest, ViewStepsToggled_IsSavedOnDestroy)
{
    Open();
    StepsItem()->Check(false);
    SendCommand(ids::mnuSteps);
    Close();
    EXPECT_NE(ReadSettingsFile().find("ViewSteps=0\n"), std::string::npos);

    Open();
    EXPECT_FALSE(StepsItem()->IsChecked());
}

TEST_F(SettingsTest, SomeKeysOnly_EmptyItemsBetween)
{
    WriteSettingsFile("[MRUEquation]\n0=1+1\n2=2*2\n9=9/3\n");
    Open();
    EXPECT_EQ(RecentEquations(), (std::vector<std::string>{"1+1", "", "2*2", "", "", "", "", "", "", "9/3"}));
    EXPECT_EQ(EquationText(), "") << "no item is selected";
}

TEST_F(SettingsTest, LongEquation_ComesBackWhole)
{
    const std::string equation = Equations(250); // 501 characters
    Open();
    Calculate(equation);
    Close();
    Open();
    ASSERT_FALSE(RecentEquations().empty());
    EXPECT_EQ(RecentEquations().front(), equation);

    // Longer than the box holds (written by hand, say): kept whole.
    const std::string longer = Equations(32770); // 65541 characters
    WriteSettingsFile("[MRUEquation]\n0=" + longer + "\n");
    Open();
    Close();
    EXPECT_NE(ReadSettingsFile().find("\n0=" + longer + "\n"), std::string::npos);
}

TEST_F(SettingsTest, ElevenCalculations_TheTenNewestAreSavedNewestFirst)
{
    Open();
    for (int i = 1; i <= 11; ++i) {
        Calculate(std::to_string(i) + "*1");
    }
    Close();
    Open();
    EXPECT_EQ(RecentEquations(),
              (std::vector<std::string>{"11*1", "10*1", "9*1", "8*1", "7*1", "6*1", "5*1", "4*1", "3*1", "2*1"}));
}

TEST_F(SettingsTest, OtherSectionsKeysAndCommentsStay)
{
    WriteSettingsFile("; kept\n[Window]\nLeft=10\n[Settings]\nViewSteps=1\nFont=Mono\n[MRUEquation]\n0=5+5\n10=old\n");
    Open();
    Calculate("7+7");
    Close();
    EXPECT_EQ(ReadSettingsFile(), "; kept\n[Window]\nLeft=10\n[Settings]\nViewSteps=1\nFont=Mono\n[MRUEquation]\n"
                                  "0=7+7\n10=old\n1=5+5\n2=\n3=\n4=\n5=\n6=\n7=\n8=\n9=\n");
}

struct TMalformed {
    const char* Name;
    std::string Text;
    bool StepsShown;
};

const TMalformed Malformed[] = {
    {"not a number", "[Settings]\nViewSteps=abc\n", true},
    {"number and rubbish", "[Settings]\nViewSteps=0x\n", true},
    {"binary", std::string("\0\x01\xff\xfe[Settings\n\x80\x81=\0\n", 16), true},
    {"huge line", "[Settings]\nViewSteps=0\n" + std::string(1 << 20, 'x') + "\n", false},
    {"no sections", "ViewSteps=0\n0=1+1\n", true},
};

class MalformedSettingsTest : public SettingsTest, public ::testing::WithParamInterface<TMalformed> {};

TEST_P(MalformedSettingsTest, GivesTheDefaultsForWhatCannotBeRead)
{
    const TMalformed& row = GetParam();
    SCOPED_TRACE(row.Name);
    WriteSettingsFile(row.Text);
    Open();
    EXPECT_EQ(StepsItem()->IsChecked(), row.StepsShown);
    EXPECT_EQ(RecentEquations().size(), 10u);
    Calculate("1+1");
    Close();
    Open();
    EXPECT_EQ(RecentEquations().front(), "1+1") << "the file is usable again after a save";
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedSettingsTest, ::testing::ValuesIn(Malformed));

// Closed the normal way, a window that cannot save says so in a box.
TEST_F(SettingsTest, DirectoryInPlaceOfTheFile_DefaultsAndASaveThatFailsSaysSo)
{
    std::filesystem::create_directories(SettingsFile());
    Open();
    EXPECT_TRUE(StepsItem()->IsChecked());
    EXPECT_EQ(RecentEquations(), std::vector<std::string>(10, ""));
    Calculate("1+1");
    testing::internal::CaptureStderr();
    wxTEST_DIALOG(Window->Close(true),
                  ExpectEngineMessage("The settings and the recent equations could not be saved to " +
                                      wxString::FromUTF8(SettingsFile()) + ": it is a directory."));
    testing::internal::GetCapturedStderr();
    wxTheApp->ProcessIdle();
    Window = nullptr; // deleted by now
    EXPECT_TRUE(std::filesystem::is_directory(SettingsFile()));
}

// Two windows on one settings file: each save puts the equations calculated
// in its window above those the file holds by then, so both windows' stay,
// whichever closes first.
TEST_F(SettingsTest, TwoWindows_KeepTheEquationsOfBoth)
{
    const struct {
        bool FirstClosesFirst;
        std::vector<std::string> Recent;
    } rows[] = {
        {true, {"5-6", "3*4", "1+2", "9*9"}},
        {false, {"3*4", "1+2", "5-6", "9*9"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.FirstClosesFirst ? "first closes first" : "second closes first");
        WriteSettingsFile("[MRUEquation]\n0=9*9\n1=5-6\n");
        Open();
        TfrmCalculator* first = Window;
        Calculate("1+2");
        Calculate("3*4");
        Open();
        TfrmCalculator* second = Window;
        Calculate("5-6");
        for (TfrmCalculator* window : row.FirstClosesFirst ? std::vector{first, second} : std::vector{second, first}) {
            Window = window;
            Close();
        }
        Open();
        std::vector<std::string> recent = RecentEquations();
        recent.resize(row.Recent.size());
        EXPECT_EQ(recent, row.Recent);
        EXPECT_EQ(RecentEquations()[row.Recent.size()], "") << "each once";
        Close();
    }
}

// Nothing stands in the way of starting, nothing is replaced, and a save that
// cannot happen as the window is destroyed is told once on standard error.
TEST_F(SettingsTest, FifoInPlaceOfTheFile_StartsWithDefaultsAndSaysWhyItIsNotSaved)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no FIFOs in its file system";
#else
    ASSERT_EQ(::mkfifo(SettingsFile().c_str(), 0600), 0);
    Open(); // would wait for a writer, were the FIFO opened blocking
    EXPECT_TRUE(StepsItem()->IsChecked());
    testing::internal::CaptureStderr();
    Close();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ovCalculator: settings not saved to " + SettingsFile() + ": it is not a regular file\n");
    EXPECT_TRUE(std::filesystem::is_fifo(SettingsFile()));
#endif
}

TEST_F(SettingsTest, EquationWrittenOnWindows_IsReadAsWindows1252)
{
    WriteSettingsFile("[MRUEquation]\n0=2\x80 + 3\xB2\n1=caf\xC3\xA9\n");
    Open();
    const std::vector<std::string> recent = RecentEquations();
    EXPECT_EQ(recent[0], "2\xE2\x82\xAC + 3\xC2\xB2");
    EXPECT_EQ(recent[1], "caf\xC3\xA9");
}

} // namespace
