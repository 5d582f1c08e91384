#include "SettingsPath.h"

#include <windows.h>
#include <shlobj.h>

#include "WindowsText.h"

namespace {

std::string RoamingAppData()
{
    wchar_t* folder = nullptr;
    std::string path;
    if (::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK && folder) {
        path = Utf8FromWide(folder);
    }
    ::CoTaskMemFree(folder);
    return path;
}

} // namespace

// Access rights on Windows come from the folder's access control list, which
// only the attempt itself reads correctly: a file is created and removed.
bool IsWritableDirectory(const std::string& directory)
{
    const std::wstring folder = WideFromUtf8(directory);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    const std::wstring probe = folder + L"\\ovCalculator-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                               std::to_wstring(::GetTickCount64()) + L".probe";
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

bool IsInstalledCopy(const std::string& executableDirectory)
{
    const std::wstring marker = WideFromUtf8(executableDirectory + "\\" + InstalledMarkerName);
    return ::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SettingsFilePath(const std::string& executableDirectory)
{
    const bool beside = !IsInstalledCopy(executableDirectory) && IsWritableDirectory(executableDirectory);
    return ChooseAppDataSettingsFilePath(executableDirectory, beside, beside ? std::string() : RoamingAppData());
}
