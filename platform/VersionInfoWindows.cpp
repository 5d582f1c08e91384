// Reading the version information from a Windows executable: its VERSIONINFO
// resource, through the system's version API.
#include "VersionInfo.h"

#include <windows.h>

#include <vector>

#include "WindowsText.h"

namespace {

constexpr const wchar_t* Names[] = {L"ProductName",    L"ProductVersion", L"FileVersion",
                                    L"LegalCopyright", L"CompanyName",    L"FileDescription"};

} // namespace

bool TVersionInfo::Load(const std::string& path)
{
    FLoaded = false;
    FValues.clear();
    const std::wstring file = WideFromUtf8(path);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) {
        return false;
    }
    std::vector<unsigned char> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) {
        return false;
    }

    // The first language and code page the resource lists names its texts.
    struct TTranslation {
        WORD Language;
        WORD CodePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        length < sizeof(TTranslation)) {
        return false;
    }
    wchar_t table[32];
    ::wsprintfW(table, L"\\StringFileInfo\\%04x%04x\\", translation->Language, translation->CodePage);

    for (const wchar_t* name : Names) {
        wchar_t* value = nullptr;
        UINT chars = 0;
        const std::wstring query = std::wstring(table) + name;
        if (!::VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) || !value) {
            continue;
        }
        std::wstring text(value, chars);
        while (!text.empty() && text.back() == L'\0') { // the count may include the closing zero
            text.pop_back();
        }
        FValues.emplace(Utf8FromWide(name), Utf8FromWide(text));
    }
    FLoaded = true;
    return true;
}
