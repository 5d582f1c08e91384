#include "ProfileFile.h"
#include "TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What the main window reads at start-up.
struct TLoaded {
    int ViewSteps;
    std::vector<std::string> Recent;
};

TLoaded LoadLikeTheWindow(const std::string& path)
{
    TProfileFile ini(path);
    TLoaded loaded{ini.ReadInt("Settings", "ViewSteps", 1), {}};
    for (int i = 0; i < 10; ++i)
        loaded.Recent.push_back(ini.ReadString("MRUEquation", std::to_string(i), ""));
    return loaded;
}

void SaveLikeTheWindow(const std::string& path, int viewSteps, const std::vector<std::string>& recent)
{
    TProfileFile ini(path);
    ini.WriteString("Settings", "ViewSteps", std::to_string(viewSteps));
    for (std::size_t i = 0; i < recent.size(); ++i)
        ini.WriteString("MRUEquation", std::to_string(i), recent[i]);
    ASSERT_TRUE(ini.Save());
}

std::vector<std::string> Entries(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(ProfileFile, FirstRunWithoutFileGivesDefaultsAndWritesNothing)
{
    TTempDir dir;
    TLoaded loaded = LoadLikeTheWindow(dir / "ovCalculator.ini");
    EXPECT_EQ(loaded.ViewSteps, 1);
    EXPECT_EQ(loaded.Recent, std::vector<std::string>(10));
    EXPECT_TRUE(Entries(dir.Path()).empty());
}

TEST(ProfileFile, FirstSaveCreatesTheFileWithAllKeys)
{
    TTempDir dir;
    std::vector<std::string> recent(10);
    recent[0] = "2+3*4";
    SaveLikeTheWindow(dir / "ovCalculator.ini", 1, recent);
    EXPECT_EQ(ReadFile(dir / "ovCalculator.ini"),
              "[Settings]\nViewSteps=1\n\n[MRUEquation]\n0=2+3*4\n1=\n2=\n3=\n4=\n5=\n6=\n7=\n8=\n9=\n");
}

TEST(ProfileFile, ViewStepsValues)
{
    struct TCase {
        const char* Line; // "" for no ViewSteps line at all
        int Expected;
    };
    const TCase cases[] = {
        {"", 1},
        {"ViewSteps=0", 0},
        {"ViewSteps=1", 1},
        {"ViewSteps = 0 ", 0},
        {"viewsteps=0", 0},
        {"ViewSteps=+0", 0},
        {"ViewSteps=-1", -1},
        {"ViewSteps=2147483647", 2147483647},
        {"ViewSteps=", 1},
        {"ViewSteps=abc", 1},
        {"ViewSteps=0abc", 1},
        {"ViewSteps=0x10", 1},
        {"ViewSteps=1.5", 1},
        {"ViewSteps=99999999999", 1},
        {"ViewSteps=\"0\"", 0},
    };
    TTempDir dir;
    for (const TCase& c : cases) {
        WriteFile(dir / "a.ini", std::string("[Settings]\n") + c.Line + "\n");
        EXPECT_EQ(TProfileFile(dir / "a.ini").ReadInt("Settings", "ViewSteps", 1), c.Expected) << c.Line;
    }
}

TEST(ProfileFile, OnlyKeysZeroTwoAndNinePresent)
{
    TTempDir dir;
    WriteFile(dir / "a.ini", "[MRUEquation]\n0=1+1\n2=(2+3)*4\n9=9&2\n");
    std::vector<std::string> expected(10);
    expected[0] = "1+1";
    expected[2] = "(2+3)*4";
    expected[9] = "9&2";
    EXPECT_EQ(LoadLikeTheWindow(dir / "a.ini").Recent, expected);
}

TEST(ProfileFile, ValuesRoundTripExactly)
{
    const std::string longEquation = [] {
        std::string text = "1";
        while (text.size() < 499)
            text += "+1";
        return text + "0";
    }();
    ASSERT_EQ(longEquation.size(), 500u);
    const std::string values[] = {
        longEquation,
        std::string(100000, '7'),
        "",
        " 2+3",
        "2+3  ",
        "\t1",
        "\"quoted\"",
        "\"",
        "a\"b",
        "x=y",
        "[Settings]",
        "; not a comment",
        "caf\xC3\xA9 \xE2\x82\xAC",
    };
    TTempDir dir;
    for (const std::string& value : values) {
        SaveLikeTheWindow(dir / "a.ini", 1, {value, "after"});
        TLoaded loaded = LoadLikeTheWindow(dir / "a.ini");
        EXPECT_EQ(loaded.Recent[0], value);
        EXPECT_EQ(loaded.Recent[1], "after");
    }
}

TEST(ProfileFile, LineBreaksInValuesCannotInjectEntries)
{
    TTempDir dir;
    SaveLikeTheWindow(dir / "a.ini", 1, {"1\n[Settings]\nViewSteps=0\r\n2"});
    TLoaded loaded = LoadLikeTheWindow(dir / "a.ini");
    EXPECT_EQ(loaded.ViewSteps, 1);
    EXPECT_EQ(loaded.Recent[0], "1 [Settings] ViewSteps=0  2");
}

TEST(ProfileFile, OtherSectionsKeysAndCommentsAreKept)
{
    const std::string before =
        "; Orvandale Calculator settings\n"
        "[Window]\n"
        "Left=10\n"
        "\n"
        "[Settings]\n"
        "  ViewSteps = 1   ; shown\n"
        "Font=Courier\n"
        "# a note\n"
        "\n"
        "[MRUEquation]\n"
        "1=old one\n"
        "10=eleventh\n"
        "junk line without equals\n"
        "[Other]\n"
        "0=not an equation\n";
    TTempDir dir;
    WriteFile(dir / "a.ini", before);
    SaveLikeTheWindow(dir / "a.ini", 0, {"new0", "new1", "new2"});
    EXPECT_EQ(ReadFile(dir / "a.ini"),
              "; Orvandale Calculator settings\n"
              "[Window]\n"
              "Left=10\n"
              "\n"
              "[Settings]\n"
              "ViewSteps=0\n"
              "Font=Courier\n"
              "# a note\n"
              "\n"
              "[MRUEquation]\n"
              "1=new1\n"
              "10=eleventh\n"
              "0=new0\n"
              "2=new2\n"
              "junk line without equals\n"
              "[Other]\n"
              "0=not an equation\n");
}

TEST(ProfileFile, SectionAndKeyNamesIgnoreLetterCase)
{
    TTempDir dir;
    WriteFile(dir / "a.ini", "[settings]\nVIEWSTEPS=0\n");
    TProfileFile ini(dir / "a.ini");
    EXPECT_EQ(ini.ReadInt("Settings", "ViewSteps", 1), 0);
    ini.WriteString("Settings", "ViewSteps", "1");
    EXPECT_EQ(ini.Text(), "[settings]\nViewSteps=1\n");
}

TEST(ProfileFile, WindowsLineBreaksAreKept)
{
    TTempDir dir;
    WriteFile(dir / "a.ini", "[Settings]\r\nViewSteps=0\r\n[MRUEquation]\r\n0=1+2\r\n");
    EXPECT_EQ(LoadLikeTheWindow(dir / "a.ini").Recent[0], "1+2");
    SaveLikeTheWindow(dir / "a.ini", 1, {"3*4", "5"});
    EXPECT_EQ(ReadFile(dir / "a.ini"), "[Settings]\r\nViewSteps=1\r\n[MRUEquation]\r\n0=3*4\r\n1=5\r\n");
}

TEST(ProfileFile, FileWithoutFinalLineBreak)
{
    TTempDir dir;
    WriteFile(dir / "a.ini", "[Settings]\nViewSteps=0");
    SaveLikeTheWindow(dir / "a.ini", 1, {});
    EXPECT_EQ(ReadFile(dir / "a.ini"), "[Settings]\nViewSteps=1");
}

TEST(ProfileFile, NothingIsWrittenBeforeSave)
{
    TTempDir dir;
    WriteFile(dir / "a.ini", "[Settings]\nViewSteps=0\n");
    {
        TProfileFile ini(dir / "a.ini");
        ini.WriteString("Settings", "ViewSteps", "1");
        ini.WriteString("MRUEquation", "0", "2+2");
        TProfileFile missing(dir / "b.ini");
        missing.WriteString("Settings", "ViewSteps", "1");
    }
    EXPECT_EQ(ReadFile(dir / "a.ini"), "[Settings]\nViewSteps=0\n");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"a.ini"});
}

TEST(ProfileFile, MalformedFilesGiveDefaults)
{
    std::mt19937 random(12345);
    std::string garbage(4096, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    const std::string hugeLine(3u * 1024u * 1024u, 'x');
    const std::string cases[] = {
        garbage,
        std::string("[Settings]\nViewSteps=0\n", 23) + garbage, // garbage after a good part
        hugeLine,
        "[Settings]\nViewSteps=" + hugeLine + "\n[MRUEquation]\n0=" + hugeLine,
        std::string("\0\0\0[Settings", 12),
        "[Settings\nViewSteps=oops\n[MRUEquation\n0=1\n",
        "=\n==\n[]\n[\n]\n=value\nkey=\n",
    };
    TTempDir dir;
    for (const std::string& text : cases) {
        WriteFile(dir / "a.ini", text);
        TLoaded loaded = LoadLikeTheWindow(dir / "a.ini");
        EXPECT_TRUE(loaded.ViewSteps == 1 || loaded.ViewSteps == 0);
        for (const std::string& item : loaded.Recent)
            EXPECT_LE(item.size(), text.size());
        SaveLikeTheWindow(dir / "a.ini", 1, {"2+2"}); // and it can be saved over
        EXPECT_EQ(LoadLikeTheWindow(dir / "a.ini").Recent[0], "2+2");
    }
    // The good part before the garbage is still read.
    WriteFile(dir / "a.ini", std::string("[Settings]\nViewSteps=0\n") + garbage);
    EXPECT_EQ(LoadLikeTheWindow(dir / "a.ini").ViewSteps, 0);
    // A value of megabytes comes back in full.
    WriteFile(dir / "a.ini", "[MRUEquation]\n0=" + hugeLine + "\n");
    EXPECT_EQ(LoadLikeTheWindow(dir / "a.ini").Recent[0], hugeLine);
}

TEST(ProfileFile, FileBeyondTheSizeLimitIsNotRead)
{
    TTempDir dir;
    WriteFile(dir / "a.ini", "[Settings]\nViewSteps=0\n" + std::string(TProfileFile::MaxFileSize, ';'));
    EXPECT_EQ(LoadLikeTheWindow(dir / "a.ini").ViewSteps, 1);
}

TEST(ProfileFile, DirectoryInPlaceOfTheFile)
{
    TTempDir dir;
    fs::create_directory(dir / "ovCalculator.ini");
    TLoaded loaded = LoadLikeTheWindow(dir / "ovCalculator.ini");
    EXPECT_EQ(loaded.ViewSteps, 1);
    EXPECT_EQ(loaded.Recent, std::vector<std::string>(10));
    TProfileFile ini(dir / "ovCalculator.ini");
    ini.WriteString("Settings", "ViewSteps", "0");
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(fs::is_directory(dir / "ovCalculator.ini"));
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"ovCalculator.ini"}); // no temporary left
}

TEST(ProfileFile, SaveReplacesTheFileByRenaming)
{
    TTempDir dir;
    WriteFile(dir / "a.ini", "[Settings]\nViewSteps=0\n");
    ::chmod((dir / "a.ini").c_str(), 0640);
    // A second name for the old file: writing in place would change it too.
    fs::create_hard_link(dir / "a.ini", dir / "old.ini");
    SaveLikeTheWindow(dir / "a.ini", 1, {"1+1"});
    EXPECT_EQ(ReadFile(dir / "old.ini"), "[Settings]\nViewSteps=0\n");
    EXPECT_EQ(ReadFile(dir / "a.ini"), "[Settings]\nViewSteps=1\n\n[MRUEquation]\n0=1+1\n");
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"a.ini", "old.ini"}));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "a.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ProfileFile, SaveWritesThroughASymbolicLink)
{
    TTempDir dir;
    fs::create_directory(dir / "real");
    WriteFile(dir / "real/a.ini", "[Settings]\nViewSteps=0\n");
    fs::create_symlink("real/a.ini", dir / "link.ini");
    SaveLikeTheWindow(dir / "link.ini", 1, {});
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadFile(dir / "real/a.ini"), "[Settings]\nViewSteps=1\n");
}

TEST(ProfileFile, SaveCreatesMissingDirectories)
{
    TTempDir dir;
    SaveLikeTheWindow(dir / "config/ovCalculator/ovCalculator.ini", 0, {"5"});
    EXPECT_EQ(LoadLikeTheWindow(dir / "config/ovCalculator/ovCalculator.ini").ViewSteps, 0);
}

TEST(ProfileFile, FailedSaveKeepsTheOldFile)
{
    TTempDir dir;
    WriteFile(dir / "a.ini", "[Settings]\nViewSteps=0\n");
    ::chmod((dir / "a.ini").c_str(), 0444);
    ::chmod(dir.Path().c_str(), 0555);
    // Neither the file nor its directory is writable.
    int status = RunUnprivileged([&] {
        TProfileFile ini(dir / "a.ini");
        if (ini.ReadInt("Settings", "ViewSteps", 1) != 0)
            return 1;
        ini.WriteString("Settings", "ViewSteps", "1");
        return ini.Save() ? 2 : 0;
    });
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(dir / "a.ini"), "[Settings]\nViewSteps=0\n");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"a.ini"});
}
