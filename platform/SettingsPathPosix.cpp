#include "SettingsPath.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeDirectory()
{
    std::string home = Environment("HOME");
    if (!home.empty()) {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
        return entry->pw_dir;
    }
    return std::string();
}

} // namespace

bool IsWritableDirectory(const std::string& directory)
{
    const std::string path = directory.empty() ? std::string("/") : directory;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    if (::access(path.c_str(), W_OK | X_OK) != 0) {
        return false;
    }
    struct statvfs fs {};
    return ::statvfs(path.c_str(), &fs) != 0 || (fs.f_flag & ST_RDONLY) == 0;
}

bool IsInstalledCopy(const std::string& executableDirectory)
{
    const std::string marker = executableDirectory + "/" + InstalledMarkerName;
    struct stat st {};
    return ::stat(marker.c_str(), &st) == 0;
}

std::string SettingsFilePath(const std::string& executableDirectory)
{
    const bool beside = !IsInstalledCopy(executableDirectory) && IsWritableDirectory(executableDirectory);
    return ChooseSettingsFilePath(executableDirectory, beside, Environment("XDG_CONFIG_HOME"), HomeDirectory());
}
