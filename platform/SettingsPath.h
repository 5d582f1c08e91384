// Where the settings file lives.
//
// The portable choice wins: when the executable's directory is writable, the
// file is "ovCalculator.ini" beside the executable. Otherwise, and always for
// an installed copy (one with the marker file InstalledMarkerName beside it,
// which the installation puts there), it is
// $XDG_CONFIG_HOME/ovCalculator/ovCalculator.ini, with $XDG_CONFIG_HOME
// defaulting to ~/.config when unset, empty or relative: per user, even for
// the superuser, who could write beside an installed program.
//
// On Windows the same rule holds with %APPDATA% (the user's roaming
// application data folder) in place of $XDG_CONFIG_HOME: the file is then
// %APPDATA%\ovCalculator\ovCalculator.ini.
//
// That path serves writing; TProfileFile::Save creates the directory when it
// is missing. For reading, while nothing is there yet, the file beside the
// executable (SettingsFileBeside) stands in, so that moving to a read-only
// directory keeps the user's equations.
#pragma once

#include <string>

inline constexpr const char* SettingsFileName = "ovCalculator.ini";
inline constexpr const char* SettingsDirectoryName = "ovCalculator";
inline constexpr const char* InstalledMarkerName = "ovCalculator.installed";

// The settings file for an executable in executableDirectory (without a
// trailing separator; "" means the root directory "/").
std::string SettingsFilePath(const std::string& executableDirectory);

// The decision itself, without looking at the system: xdgConfigHome and home
// are the values of those variables ("" when unset).
std::string ChooseSettingsFilePath(const std::string& executableDirectory, bool executableDirectoryWritable,
                                   const std::string& xdgConfigHome, const std::string& home);

// The Windows decision: appData is the user's roaming application data
// folder ("" when the system does not tell; the file then stays beside the
// executable).
std::string ChooseAppDataSettingsFilePath(const std::string& executableDirectory, bool executableDirectoryWritable,
                                          const std::string& appData);

// True when new files can be created in directory by this process.
bool IsWritableDirectory(const std::string& directory);

// The settings file beside an executable in executableDirectory.
std::string SettingsFileBeside(const std::string& executableDirectory);

// True when executableDirectory holds an installed copy of the program.
bool IsInstalledCopy(const std::string& executableDirectory);
