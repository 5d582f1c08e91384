#include "ChildProcess.h"
#include "ExecutablePath.h"
#include "ProfileFile.h"
#include "TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    for (int i = 0; i < 10; ++i) {
        loaded.Recent.push_back(ini.ReadString("MRUEquation", std::to_string(i), ""));
    }
    return loaded;
}

void SaveLikeTheWindow(const std::string& path, int viewSteps, const std::vector<std::string>& recent)
{
    TProfileFile ini(path);
    ini.WriteString("Settings", "ViewSteps", std::to_string(viewSteps));
    for (std::size_t i = 0; i < recent.size(); ++i) {
        ini.WriteString("MRUEquation", std::to_string(i), recent[i]);
    }
    ASSERT_TRUE(ini.Save());
}

std::vector<std::string> Entries(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathOf(path))) {
        names.push_back(Utf8Of(entry.path().filename()));
    }
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
        while (text.size() < 499) {
            text += "+1";
        }
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
    const std::string before = "; Orvandale Calculator settings\n"
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
    EXPECT_EQ(ReadFile(dir / "a.ini"), "; Orvandale Calculator settings\n"
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
    for (char& c : garbage) {
        c = static_cast<char>(random());
    }
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
        for (const std::string& item : loaded.Recent) {
            EXPECT_LE(item.size(), text.size());
        }
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

TEST(ProfileFile, FileOfAnySizeIsReadAndKeptWhole)
{
    TTempDir dir;
    const std::string foreign = "[Other]\n" + std::string(17u * 1024u * 1024u, ';') + "\n";
    WriteFile(dir / "a.ini", "[Settings]\nViewSteps=0\n" + foreign);
    EXPECT_EQ(LoadLikeTheWindow(dir / "a.ini").ViewSteps, 0);
    SaveLikeTheWindow(dir / "a.ini", 0, {"1+1"});
    EXPECT_EQ(ReadFile(dir / "a.ini"), "[Settings]\nViewSteps=0\n" + foreign + "\n[MRUEquation]\n0=1+1\n");
}

TEST(ProfileFile, DirectoryInPlaceOfTheFile)
{
    TTempDir dir;
    fs::create_directory(PathOf(dir / "ovCalculator.ini"));
    TLoaded loaded = LoadLikeTheWindow(dir / "ovCalculator.ini");
    EXPECT_EQ(loaded.ViewSteps, 1);
    EXPECT_EQ(loaded.Recent, std::vector<std::string>(10));
    TProfileFile ini(dir / "ovCalculator.ini");
    ini.WriteString("Settings", "ViewSteps", "0");
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(fs::is_directory(PathOf(dir / "ovCalculator.ini")));
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"ovCalculator.ini"}); // no temporary left
}

// Saved again and again over the file it replaced (a rename that does not
// replace an existing file fails from the second save on).
TEST(ProfileFile, SaveReplacesTheFileByRenaming)
{
    TTempDir dir;
    WriteFile(dir / "a.ini", "[Settings]\nViewSteps=0\n");
#ifndef _WIN32
    fs::permissions(dir / "a.ini", fs::perms(0640));
#endif
    // A second name for the old file: writing in place would change it too.
    fs::create_hard_link(PathOf(dir / "a.ini"), PathOf(dir / "old.ini"));
    SaveLikeTheWindow(dir / "a.ini", 1, {"1+1"});
    EXPECT_EQ(ReadFile(dir / "old.ini"), "[Settings]\nViewSteps=0\n");
    EXPECT_EQ(ReadFile(dir / "a.ini"), "[Settings]\nViewSteps=1\n\n[MRUEquation]\n0=1+1\n");
    SaveLikeTheWindow(dir / "a.ini", 0, {"2+2"});
    EXPECT_EQ(ReadFile(dir / "a.ini"), "[Settings]\nViewSteps=0\n\n[MRUEquation]\n0=2+2\n");
    EXPECT_EQ(ReadFile(dir / "old.ini"), "[Settings]\nViewSteps=0\n");
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"a.ini", "old.ini"}));
#ifndef _WIN32
    struct stat st {};
    ASSERT_EQ(::stat((dir / "a.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
}

TEST(ProfileFile, SaveWritesThroughASymbolicLink)
{
    TTempDir dir;
    fs::create_directory(PathOf(dir / "real"));
    WriteFile(dir / "real/a.ini", "[Settings]\nViewSteps=0\n");
    std::error_code error;
    fs::create_symlink(PathOf("real/a.ini"), PathOf(dir / "link.ini"), error);
#ifdef _WIN32
    if (error) {
        GTEST_SKIP() << "no symbolic link can be made here: " << error.message();
    }
#endif
    ASSERT_FALSE(error) << error.message();
    SaveLikeTheWindow(dir / "link.ini", 1, {});
    EXPECT_TRUE(fs::is_symlink(PathOf(dir / "link.ini")));
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
    fs::permissions(PathOf(dir / "a.ini"), fs::perms(0444));
    // Neither the file nor its directory is writable (on Windows the file's
    // read-only attribute alone refuses the save: a folder's does not bind).
    fs::permissions(PathOf(dir.Path()), fs::perms(0555));
    int status = RunUnprivileged([&] {
        TProfileFile ini(dir / "a.ini");
        if (ini.ReadInt("Settings", "ViewSteps", 1) != 0) {
            return 1;
        }
        ini.WriteString("Settings", "ViewSteps", "1");
        return ini.Save() ? 2 : 0;
    });
    fs::permissions(PathOf(dir.Path()), fs::perms(0755));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(dir / "a.ini"), "[Settings]\nViewSteps=0\n");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"a.ini"});
}

// Whatever stands at the path and cannot take a save is left exactly as it
// was; a dangling link gets its target.
TEST(ProfileFile, SpecialPathsAreNeverReplaced)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX links, FIFOs and permission bits; Windows has none of these rules";
#else
    struct TCase {
        const char* Name;
        void (*Prepare)(const TTempDir& dir); // makes dir/a.ini
        bool Saved;
        const char* Kept;   // what must still be at a.ini: "link", "fifo" or "file"
        const char* Target; // the file the save must have created, or ""
    };
    const TCase cases[] = {
        {"dangling link", [](const TTempDir& d) { fs::create_symlink("real.ini", d / "a.ini"); }, true, "link",
         "real.ini"},
        {"dangling link into a missing folder",
         [](const TTempDir& d) { fs::create_symlink("nowhere/real.ini", d / "a.ini"); }, false, "link", ""},
        {"chain to a dangling link",
         [](const TTempDir& d) {
             fs::create_symlink("b.ini", d / "a.ini");
             fs::create_symlink("c.ini", d / "b.ini");
         },
         true, "link", "c.ini"},
        {"link loop", [](const TTempDir& d) { fs::create_symlink("a.ini", d / "a.ini"); }, false, "link", ""},
        {"fifo", [](const TTempDir& d) { ::mkfifo((d / "a.ini").c_str(), 0600); }, false, "fifo", ""},
        {"file with no read permission",
         [](const TTempDir& d) {
             WriteFile(d / "a.ini", "[Other]\nKeep=1\n");
             ::chmod((d / "a.ini").c_str(), 0222); // writable, so only the failed read protects it
         },
         false, "file", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempDir dir;
        ::chmod(dir.Path().c_str(), 0777);
        c.Prepare(dir);
        int status = RunUnprivileged([&] {
            TProfileFile ini(dir / "a.ini"); // opening a FIFO must not wait for a writer
            ini.WriteString("Settings", "ViewSteps", "0");
            std::string why;
            bool saved = ini.Save(&why);
            return saved == why.empty() ? (saved ? 0 : 1) : 2;
        });
        EXPECT_EQ(status, c.Saved ? 0 : 1);
        struct stat st {};
        ASSERT_EQ(::lstat((dir / "a.ini").c_str(), &st), 0);
        const std::string kind = S_ISLNK(st.st_mode) ? "link" : S_ISFIFO(st.st_mode) ? "fifo" : "file";
        EXPECT_EQ(kind, c.Kept);
        if (kind == "file") {
            ::chmod((dir / "a.ini").c_str(), 0600);
            EXPECT_EQ(ReadFile(dir / "a.ini"), "[Other]\nKeep=1\n");
        }
        if (*c.Target) {
            EXPECT_EQ(ReadFile(dir / c.Target), "[Settings]\nViewSteps=0\n");
        }
        for (const auto& name : Entries(dir.Path())) {
            EXPECT_EQ(name.find(".new"), std::string::npos) << name;
        }
    }
#endif
}

TEST(ProfileFile, ReadsTheStandInUntilTheFileExists)
{
    TTempDir dir;
    WriteFile(dir / "beside.ini", "[Settings]\nViewSteps=0\n[Other]\nKeep=1\n");
    TProfileFile first(dir / "config/a.ini", dir / "beside.ini");
    EXPECT_EQ(first.ReadInt("Settings", "ViewSteps", 1), 0);
    first.WriteString("MRUEquation", "0", "1+1");
    ASSERT_TRUE(first.Save());
    EXPECT_EQ(ReadFile(dir / "config/a.ini"), "[Settings]\nViewSteps=0\n[Other]\nKeep=1\n\n[MRUEquation]\n0=1+1\n");
    EXPECT_EQ(ReadFile(dir / "beside.ini"), "[Settings]\nViewSteps=0\n[Other]\nKeep=1\n");
    WriteFile(dir / "beside.ini", "[Settings]\nViewSteps=5\n");
    EXPECT_EQ(TProfileFile(dir / "config/a.ini", dir / "beside.ini").ReadInt("Settings", "ViewSteps", 1), 0);
}

// Runs killed while saving leave at most one temporary file, and copies
// saving at the same time never mix their files. The saving copies are this
// test program started again (TestMain.cpp).
TEST(ProfileFile, KilledAndConcurrentSavesLeaveOneWholeFile)
{
    TTempDir dir;
    const std::string path = dir / "a.ini";
    const auto text = [](char fill) {
        return "[Settings]\nViewSteps=1\n[Big]\nFill=" + std::string(1 << 20, fill) + "\n";
    };
    const auto save = [&](char fill, int times, long lifetime) {
        const std::string orders =
            path + "\n" + fill + "\n" + std::to_string(times) + "\n" + std::to_string(lifetime) + "\n";
        return RunChild(ExecutablePath(), {"--save-repeatedly"}, orders);
    };
    WriteFile(path, text('a'));
    const std::size_t fillAt = text('a').find("Fill=") + 5;
    std::mt19937 random(7);
    for (int run = 0; run < 50; ++run) {
        const TChildRun killed = save(static_cast<char>('b' + run % 20), 1000, 1 + static_cast<long>(random() % 20000));
        ASSERT_EQ(killed.Status, 9) << "the saving copy did not run until its end: " << killed.Err;
        // Each run's first save would mend what the run before broke: look now.
        const std::string left = ReadFile(path);
        ASSERT_EQ(left, text(left.size() > fillAt ? left[fillAt] : 'a')) << "not one whole save, run " << run;
        ASSERT_LE(Entries(dir.Path()).size(), 2u);
    }

    TChildRun writers[2];
    std::thread second([&] { writers[1] = save('y', 20, 0); });
    writers[0] = save('x', 20, 0);
    second.join();
    for (const TChildRun& writer : writers) {
        EXPECT_EQ(writer.Status, 0) << writer.Err;
    }
    EXPECT_LE(Entries(dir.Path()).size(), 2u);
    const std::string saved = ReadFile(path);
    EXPECT_TRUE(saved == text('x') || saved == text('y')) << saved.substr(0, 40);
}

TEST(ProfileFile, TextThatIsNotUtf8IsReadAsWindows1252)
{
    const std::pair<std::string, std::string> cases[] = {
        {"1+2", "1+2"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80 5", "\xE2\x82\xAC 5"},
        {"\x81\x9F\xFF", "\xC2\x81\xC5\xB8\xC3\xBF"},
        {"\xC3", "\xC3\x83"},                             // cut sequence
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                 // overlong
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"}, // surrogate
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Utf8FromProfileText(text), expected) << text;
    }
}
