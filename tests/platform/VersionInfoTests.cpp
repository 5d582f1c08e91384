#include "ExecutablePath.h"
#include "TempDir.h"
#include "VersionInfo.h"

#include <gtest/gtest.h>

// This test program carries the program's own version information; the
// helper programs next to it carry partial ones or none (CMakeLists.txt).
namespace {

// The executable name in the directory of this test program.
std::string Beside(const std::string& name)
{
    return DirectoryOf(ExecutablePath()) + Separator + name + OV_EXECUTABLE_SUFFIX;
}

#ifdef _WIN32
// Where the key of the version resource ("VS_VERSION_INFO" in UTF-16) starts
// in a Windows executable's bytes.
std::size_t ResourceKeyAt(const std::string& file)
{
    std::string key;
    for (char c : std::string("VS_VERSION_INFO")) {
        key += std::string{c, '\0'};
    }
    return file.find(key);
}
#endif

} // namespace

TEST(VersionInfo, ReadFromTheRunningExecutable)
{
    TVersionInfo info;
    ASSERT_TRUE(info.Load(ExecutablePath()));
    EXPECT_EQ(info.Query("ProductName"), "Orvandale Calculator");
    EXPECT_EQ(info.Query("FileVersion"), OV_PROJECT_VERSION);
    EXPECT_EQ(info.Query("LegalCopyright"), "Copyright \xC2\xA9 2026 Orvandale Software");
    EXPECT_EQ(info.Query("CompanyName"), "Orvandale Software");
    EXPECT_EQ(info.Query("FileDescription"), "Orvandale Calculator");
    EXPECT_EQ(info.Query("Comments"), std::nullopt);
    EXPECT_EQ(info.Query("productname"), std::nullopt);
}

TEST(VersionInfo, MissingValueIsReportedAsMissing)
{
    for (const char* name : {"version_info_partial", "version_info_partial_stripped"}) {
        TVersionInfo info;
        ASSERT_TRUE(info.Load(Beside(name))) << name;
        EXPECT_EQ(info.Query("ProductName"), std::nullopt) << name;
        EXPECT_EQ(info.Query("FileVersion"), "9.8.7 \"beta\" \\ end") << name;
        EXPECT_EQ(info.Query("LegalCopyright"), "") << name;
        EXPECT_EQ(info.Query("CompanyName"), "Orvandale Software") << name;
    }
}

TEST(VersionInfo, FilesWithoutVersionInformation)
{
    TTempDir dir;
    const std::string self = ReadFile(ExecutablePath());
    ASSERT_GT(self.size(), 4096u);
#ifdef _WIN32
    const std::size_t keyAt = ResourceKeyAt(self);
    ASSERT_NE(keyAt, std::string::npos);
#else
    std::string corrupted = self;
    // Every copy of the section's start, wherever it is (this very test's
    // text holds one too).
    const std::string start("OVVI1\0ProductName", 18);
    int copies = 0;
    for (std::size_t at = corrupted.find(start); at != std::string::npos;
         at = corrupted.find(start, at + 1), ++copies) {
        corrupted[at] = 'X';
    }
    ASSERT_GE(copies, 1);
    std::string wrongByteOrder = self;
    wrongByteOrder[5] = 2; // EI_DATA: big-endian
#endif

    const std::pair<const char*, std::string> files[] = {
        {"empty", ""},
        {"text", "[Settings]\nViewSteps=1\n"},
        {"elf magic only", "\x7f"
                           "ELF"},
        {"header only", self.substr(0, 64)},
#ifdef _WIN32
        {"cut inside its version resource", self.substr(0, keyAt + 8)},
#else
        {"truncated", self.substr(0, self.size() / 2)},
        {"corrupted magic", corrupted},
        {"wrong byte order", wrongByteOrder},
#endif
    };
    for (const auto& [name, contents] : files) {
        WriteFile(dir / "file", contents);
        TVersionInfo info;
        EXPECT_FALSE(info.Load(dir / "file")) << name;
        EXPECT_FALSE(info.IsLoaded()) << name;
        EXPECT_EQ(info.Query("ProductName"), std::nullopt) << name;
    }
    TVersionInfo info;
    EXPECT_FALSE(info.Load(Beside("version_info_none")));
    EXPECT_FALSE(info.Load(dir / "missing"));
    EXPECT_FALSE(info.Load(dir.Path()));
}

TEST(VersionInfo, ParseBlock)
{
    using TValues = std::map<std::string, std::string>;
    struct TCase {
        std::string Block;
        bool Ok;
        TValues Values;
    };
    const std::string magic("OVVI1\0", 6);
    const TCase cases[] = {
        {magic + std::string("\0", 1), true, {}},
        {magic + std::string("A\0x\0B\0\0\0", 8), true, {{"A", "x"}, {"B", ""}}},
        {magic + std::string("A\0x\0A\0y\0\0", 9), true, {{"A", "x"}}},
        {magic + std::string("A\0x\0\0padding", 12), true, {{"A", "x"}}},
        {magic + std::string("A\0x\0", 4), false, {}}, // no closing name
        {magic + std::string("A\0x", 3), false, {}},   // unterminated value
        {magic + std::string("A\0", 2), false, {}},    // name without value
        {std::string("OVVI2\0\0", 7), false, {}},      // another format
        {std::string("OVVI", 4), false, {}},
        {std::string(), false, {}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        TValues values{{"stale", "value"}};
        EXPECT_EQ(ParseVersionInfoBlock(cases[i].Block, values), cases[i].Ok) << i;
        EXPECT_EQ(values, cases[i].Values) << i;
    }
}
