#include "SettingsPath.h"

// The decisions alone, the same on every system.

std::string ChooseSettingsFilePath(const std::string& executableDirectory, bool executableDirectoryWritable,
                                   const std::string& xdgConfigHome, const std::string& home)
{
    if (executableDirectoryWritable) {
        return SettingsFileBeside(executableDirectory);
    }
    // XDG base directories ignore relative values.
    std::string base = !xdgConfigHome.empty() && xdgConfigHome.front() == '/' ? xdgConfigHome : home + "/.config";
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    if (base == "/") {
        base.clear();
    }
    return base + "/" + SettingsDirectoryName + "/" + SettingsFileName;
}

std::string SettingsFileBeside(const std::string& executableDirectory)
{
    // A Windows path keeps its own separator.
    const bool backslashes =
        executableDirectory.find('\\') != std::string::npos && executableDirectory.find('/') == std::string::npos;
    return executableDirectory + (backslashes ? "\\" : "/") + SettingsFileName;
}

std::string ChooseAppDataSettingsFilePath(const std::string& executableDirectory, bool executableDirectoryWritable,
                                          const std::string& appData)
{
    if (executableDirectoryWritable || appData.empty()) {
        return SettingsFileBeside(executableDirectory);
    }
    std::string base = appData;
    while (!base.empty() && (base.back() == '\\' || base.back() == '/')) {
        base.pop_back();
    }
    return base + "\\" + SettingsDirectoryName + "\\" + SettingsFileName;
}
