// The executable's version information.
//
// Each executable of the program carries named text values (ProductName,
// FileVersion, LegalCopyright, CompanyName, FileDescription) in a section of
// its own, ".ov_version_info", embedded at build time by the CMake function
// ov_embed_version_info(<target>) (platform/VersionInfo.cmake):
//
//   add_executable(ovCalculator ...)
//   ov_embed_version_info(ovCalculator)
//
// They are read back at run time from the executable's file, so a value is
// what that file says, not what the running code was compiled with. The
// section holds the magic text "OVVI1" and then name/value pairs, each text
// ending in a zero byte, closed by an empty name.
//
// On Windows the same function gives the executable a VERSIONINFO resource
// instead (its string table holds the same values, with ProductVersion
// beside them), and Load reads it with the system's version API.
#pragma once

#include <map>
#include <optional>
#include <string>

class TVersionInfo {
public:
    // Reads the version information of the executable file at path. False
    // when the file cannot be read, is not an executable of this system (an
    // ELF file of this machine's byte order; on Windows a file with a
    // version resource), or has no (well-formed) version information.
    bool Load(const std::string& path);

    // False until a Load succeeds.
    bool IsLoaded() const { return FLoaded; }

    // The value stored under name (exact, case-sensitive), or nothing when
    // the file has no such value.
    std::optional<std::string> Query(const std::string& name) const;

private:
    bool FLoaded = false;
    std::map<std::string, std::string> FValues;
};

// Reads the name/value pairs of a section's contents; false when malformed.
bool ParseVersionInfoBlock(const std::string& block, std::map<std::string, std::string>& values);
