#include "ExecutablePath.h"
#include "SettingsPath.h"
#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    for (const TCase& c : cases)
        EXPECT_EQ(ChooseSettingsFilePath(c.ExecutableDirectory, c.Writable, c.XdgConfigHome, c.Home), c.Expected)
            << c.ExecutableDirectory << " " << c.XdgConfigHome;
}

TEST(SettingsPath, WritableExecutableDirectoryKeepsTheFileBeside)
{
    TTempDir dir;
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    EXPECT_EQ(SettingsFilePath(dir.Path()), dir / "ovCalculator.ini");
}

// Installed, the program keeps per-user settings even where it could write.
TEST(SettingsPath, InstalledCopyUsesTheConfigHome)
{
    TTempDir dir;
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    WriteFile(dir / InstalledMarkerName, "");
    EXPECT_EQ(SettingsFilePath(dir.Path()), dir / "config/ovCalculator/ovCalculator.ini");
}

TEST(SettingsPath, MissingOrUnwritableDirectoryFallsBackToTheConfigHome)
{
    TTempDir dir;
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    const std::string fallback = dir / "config/ovCalculator/ovCalculator.ini";
    EXPECT_EQ(SettingsFilePath(dir / "no-such-directory"), fallback);
    WriteFile(dir / "plain-file", "");
    EXPECT_EQ(SettingsFilePath(dir / "plain-file"), fallback);
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", (dir / "home").c_str(), 1);
    EXPECT_EQ(SettingsFilePath(dir / "no-such-directory"), dir / "home/.config/ovCalculator/ovCalculator.ini");
}

// A read-only executable directory, as after a system-wide install. The
// check runs in a child process that, when started by the superuser, gives
// up its rights first (permissions do not bind the superuser).
TEST(SettingsPath, ReadOnlyExecutableDirectoryFallsBackToTheConfigHome)
{
    TTempDir dir;
    const std::string bin = dir / "bin";
    ::mkdir(bin.c_str(), 0755);
    WriteFile(bin + "/ovCalculator.ini", "[Settings]\nViewSteps=0\n"); // a file there does not make it writable
    ::chmod((bin + "/ovCalculator.ini").c_str(), 0666);
    ::chmod(bin.c_str(), 0555);
    ::chmod(dir.Path().c_str(), 0755);
    const std::string expected = "/tmp/xdg/ovCalculator/ovCalculator.ini";

    int status = RunUnprivileged([&] {
        ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
        return SettingsFilePath(bin) == expected ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST(ExecutablePath, IsThisTestProgram)
{
    std::string path = ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "platform_tests");
}

TEST(ExecutablePath, DirectoryOf)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/ovCalculator", "/usr/bin"},
        {"/ovCalculator", ""},
        {"ovCalculator", ""},
        {"a/b", "a"},
        {"/a b/c d/e", "/a b/c d"},
    };
    for (const auto& [path, directory] : cases)
        EXPECT_EQ(DirectoryOf(path), directory) << path;
}
