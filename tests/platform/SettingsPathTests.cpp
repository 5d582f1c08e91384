#include "Environment.h"
#include "ExecutablePath.h"
#include "ProfileFile.h"
#include "SettingsPath.h"
#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(SettingsPath, Choice)
{
    struct TCase {
        const char* ExecutableDirectory;
        bool Writable;
        const char* XdgConfigHome;
        const char* Home;
        const char* Expected;
    };
    const TCase cases[] = {
        {"/home/ann/calc", true, "/home/ann/cfg", "/home/ann", "/home/ann/calc/ovCalculator.ini"},
        {"", true, "", "/root", "/ovCalculator.ini"},
        {"/usr/bin", false, "/home/ann/cfg", "/home/ann", "/home/ann/cfg/ovCalculator/ovCalculator.ini"},
        {"/usr/bin", false, "/home/ann/cfg/", "/home/ann", "/home/ann/cfg/ovCalculator/ovCalculator.ini"},
        {"/usr/bin", false, "", "/home/ann", "/home/ann/.config/ovCalculator/ovCalculator.ini"},
        {"/usr/bin", false, "relative/cfg", "/home/ann", "/home/ann/.config/ovCalculator/ovCalculator.ini"},
        {"/usr/bin", false, "/", "/home/ann", "/ovCalculator/ovCalculator.ini"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ChooseSettingsFilePath(c.ExecutableDirectory, c.Writable, c.XdgConfigHome, c.Home), c.Expected)
            << c.ExecutableDirectory << " " << c.XdgConfigHome;
    }
}

TEST(SettingsPath, AppDataChoice)
{
    struct TCase {
        const char* ExecutableDirectory;
        bool Writable;
        const char* AppData;
        const char* Expected;
    };
    const TCase cases[] = {
        {"C:\\Tools\\Calc", true, "C:\\Users\\Ann\\AppData\\Roaming", "C:\\Tools\\Calc\\ovCalculator.ini"},
        {"D:/Portable/Calc", true, "C:\\Users\\Ann\\AppData\\Roaming", "D:/Portable/Calc/ovCalculator.ini"},
        {"C:\\Program Files\\Orvandale", false, "C:\\Users\\Ann\\AppData\\Roaming",
         "C:\\Users\\Ann\\AppData\\Roaming\\ovCalculator\\ovCalculator.ini"},
        {"C:\\Program Files\\Orvandale", false, "C:\\Users\\Ann\\AppData\\Roaming\\",
         "C:\\Users\\Ann\\AppData\\Roaming\\ovCalculator\\ovCalculator.ini"},
        {"C:\\Program Files\\Orvandale", false, "\\\\server\\profiles\\ann/",
         "\\\\server\\profiles\\ann\\ovCalculator\\ovCalculator.ini"},
        {"C:\\Program Files\\Orvandale", false, "", "C:\\Program Files\\Orvandale\\ovCalculator.ini"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ChooseAppDataSettingsFilePath(c.ExecutableDirectory, c.Writable, c.AppData), c.Expected)
            << c.ExecutableDirectory << " " << c.AppData;
    }
}

namespace {

// The per-user settings file for this test's environment: XDG_CONFIG_HOME
// is set to config (on Windows the user's %APPDATA% serves, which a test
// cannot move).
std::string PerUserFile(const std::string& config)
{
#ifdef _WIN32
    (void)config;
    const char* appData = std::getenv("APPDATA");
    return std::string(appData ? appData : "") + "\\ovCalculator\\ovCalculator.ini";
#else
    return config + "/ovCalculator/ovCalculator.ini";
#endif
}

} // namespace

TEST(SettingsPath, WritableExecutableDirectoryKeepsTheFileBeside)
{
    TTempDir dir;
    TScopedEnvironment config("XDG_CONFIG_HOME", (dir / "config").c_str());
    EXPECT_EQ(SettingsFilePath(dir.Path()), dir / "ovCalculator.ini");
}

// Installed, the program keeps per-user settings even where it could write.
TEST(SettingsPath, InstalledCopyUsesTheConfigHome)
{
    TTempDir dir;
    TScopedEnvironment config("XDG_CONFIG_HOME", (dir / "config").c_str());
    WriteFile(dir / InstalledMarkerName, "");
    EXPECT_EQ(SettingsFilePath(dir.Path()), PerUserFile(dir / "config"));
}

TEST(SettingsPath, MissingOrUnwritableDirectoryFallsBackToTheConfigHome)
{
    TTempDir dir;
    const std::string fallback = PerUserFile(dir / "config");
    {
        TScopedEnvironment config("XDG_CONFIG_HOME", (dir / "config").c_str());
        EXPECT_EQ(SettingsFilePath(dir / "no-such-directory"), fallback);
        WriteFile(dir / "plain-file", "");
        EXPECT_EQ(SettingsFilePath(dir / "plain-file"), fallback);
    }
#ifndef _WIN32
    TScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
    TScopedEnvironment home("HOME", (dir / "home").c_str());
    EXPECT_EQ(SettingsFilePath(dir / "no-such-directory"), dir / "home/.config/ovCalculator/ovCalculator.ini");
#endif
}

// A read-only executable directory, as after a system-wide install. The
// check runs in a child process that, when started by the superuser, gives
// up its rights first (permissions do not bind the superuser).
TEST(SettingsPath, ReadOnlyExecutableDirectoryFallsBackToTheConfigHome)
{
#ifdef _WIN32
    GTEST_SKIP() << "a Windows folder is closed to writing by its access control list, not by permission bits";
#else
    TTempDir dir;
    const std::string bin = dir / "bin";
    fs::create_directory(bin);
    WriteFile(bin + "/ovCalculator.ini", "[Settings]\nViewSteps=0\n"); // a file there does not make it writable
    fs::permissions(bin + "/ovCalculator.ini", fs::perms(0666));
    fs::permissions(bin, fs::perms(0555));
    fs::permissions(dir.Path(), fs::perms(0755));
    const std::string expected = "/tmp/xdg/ovCalculator/ovCalculator.ini";

    int status = RunUnprivileged([&] {
        TScopedEnvironment config("XDG_CONFIG_HOME", "/tmp/xdg");
        return SettingsFilePath(bin) == expected ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
#endif
}

// The settings file beside a program in a folder whose name is not ASCII:
// found, written and read back under that very name.
TEST(SettingsPath, FolderNameOutsideAscii)
{
    TTempDir dir;
    const std::string folder = dir / "Z\xC3\xBCrich \xCE\xA9 \xE6\x97\xA5";
    ASSERT_TRUE(fs::create_directory(PathOf(folder)));
    const std::string path = SettingsFilePath(folder);
    ASSERT_EQ(path, folder + Separator + "ovCalculator.ini");
    TProfileFile ini(path);
    ini.WriteString("MRUEquation", "0",
                    "3\xC3\x97"
                    "4");
    ASSERT_TRUE(ini.Save());
    EXPECT_TRUE(fs::is_regular_file(PathOf(folder) / "ovCalculator.ini"));
    EXPECT_EQ(TProfileFile(path).ReadString("MRUEquation", "0", ""), "3\xC3\x97"
                                                                     "4");
    EXPECT_EQ(ReadFile(path), "[MRUEquation]\n0=3\xC3\x97"
                              "4\n");
}

TEST(ExecutablePath, IsThisTestProgram)
{
    std::string path = ExecutablePath();
    ASSERT_FALSE(path.empty());
#ifdef _WIN32
    const bool absolute = (path.size() > 2 && path[1] == ':' && path[2] == '\\') || path.starts_with("\\\\");
    EXPECT_TRUE(absolute) << path;
    EXPECT_EQ(path.substr(path.rfind('\\') + 1), "platform_tests.exe");
#else
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "platform_tests");
#endif
    EXPECT_TRUE(fs::is_regular_file(PathOf(path))) << path;
}

TEST(ExecutablePath, DirectoryOf)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/ovCalculator", "/usr/bin"},
        {"/ovCalculator", ""},
        {"ovCalculator", ""},
        {"a/b", "a"},
        {"/a b/c d/e", "/a b/c d"},
#ifdef _WIN32
        {"C:\\Tools\\ovCalculator.exe", "C:\\Tools"},
        {"C:\\Program Files\\Orvandale\\ovCalculator.exe", "C:\\Program Files\\Orvandale"},
        {"C:\\Tools/bin\\ovCalculator.exe", "C:\\Tools/bin"},
        {"C:\\Tools\\bin/ovCalculator.exe", "C:\\Tools\\bin"},
        {"\\\\server\\share\\ovCalculator.exe", "\\\\server\\share"},
#endif
    };
    for (const auto& [path, directory] : cases) {
        EXPECT_EQ(DirectoryOf(path), directory) << path;
    }
}
