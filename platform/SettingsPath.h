// Where the settings file lives.
//
// The portable choice wins: when the executable's directory is writable, the
// file is "ovCalculator.ini" beside the executable. Otherwise (a system-wide
// install) it is $XDG_CONFIG_HOME/ovCalculator/ovCalculator.ini, with
// $XDG_CONFIG_HOME defaulting to ~/.config when unset, empty or relative.
// The same path serves reading and writing; TProfileFile::Save creates the
// directory when it is missing.
#pragma once

#include <string>

inline constexpr const char* SettingsFileName = "ovCalculator.ini";
inline constexpr const char* SettingsDirectoryName = "ovCalculator";

// The settings file for an executable in executableDirectory (without a
// trailing separator; "" means the root directory "/").
std::string SettingsFilePath(const std::string& executableDirectory);

// The decision itself, without looking at the system: xdgConfigHome and home
// are the values of those variables ("" when unset).
std::string ChooseSettingsFilePath(const std::string& executableDirectory, bool executableDirectoryWritable,
                                   const std::string& xdgConfigHome, const std::string& home);

// True when new files can be created in directory by this process.
bool IsWritableDirectory(const std::string& directory);
