// Reading and replacing the settings file on Windows, with the wide (UTF-16)
// calls, so that any path the program holds in UTF-8 works.
#include "ProfileFileSystem.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

#include "WindowsText.h"

namespace {

bool Fail(std::string* error, const std::string& why)
{
    if (error) {
        *error = why;
    }
    return false;
}

bool FailWithLastError(std::string* error, const std::string& what)
{
    return Fail(error, what + ": " + SystemErrorText(::GetLastError()));
}

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// Creates directory and its missing parents.
void MakeDirectories(const std::wstring& directory)
{
    for (std::size_t i = 1; i <= directory.size(); ++i) {
        if (i == directory.size() || IsSeparator(directory[i])) {
            const std::wstring part = directory.substr(0, i);
            if (!part.empty() && part.back() != L':') { // not a drive ("C:")
                ::CreateDirectoryW(part.c_str(), nullptr);
            }
        }
    }
}

std::wstring DirectoryPart(const std::wstring& path)
{
    for (std::size_t i = path.size(); i-- > 0;) {
        if (IsSeparator(path[i])) {
            return path.substr(0, i);
        }
    }
    return std::wstring();
}

// The file a symbolic link (or junction) at path ends at; path itself when
// it is none.
std::wstring FollowLinks(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return path;
    }
    std::wstring target(32768, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()), 0);
    ::CloseHandle(file);
    if (length == 0 || length >= target.size()) {
        return path;
    }
    target.resize(length);
    return target;
}

// Opens path for writing, creating it: the one temporary file of a save,
// shared for reading only, so that a second copy of the program saving at
// the same time waits for its turn (up to a minute) instead of writing into
// it. DELETE access lets the holder rename it while it is still open; once
// it is in place, reading it is what every other copy may do meanwhile.
HANDLE OpenExclusiveTemporary(const std::wstring& path)
{
    for (int attempt = 0;; ++attempt) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION || attempt == 6000) {
            return file;
        }
        ::Sleep(10);
    }
}

bool WriteAll(HANDLE file, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, text.data() + done, chunk, &written, nullptr)) {
            return false;
        }
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

// Renames the open file over target, keeping it open (and so the turn).
bool RenameOpenFileOnce(HANDLE file, const std::wstring& target)
{
    const std::size_t size = offsetof(FILE_RENAME_INFO, FileName) + (target.size() + 1) * sizeof(wchar_t);
    std::vector<unsigned char> buffer(size);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), info->FileName);
    info->FileName[target.size()] = L'\0';
    return ::SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(size)) != 0;
}

// A file that is open cannot be replaced: the copy that saved before still
// holds the file it has just renamed into place, and a reader may hold it
// too. Those let go within moments, so a refused rename is tried again, for
// up to ten seconds.
bool RenameOpenFile(HANDLE file, const std::wstring& target)
{
    for (int attempt = 0;; ++attempt) {
        if (RenameOpenFileOnce(file, target)) {
            return true;
        }
        const DWORD code = ::GetLastError();
        if ((code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) || attempt == 1000) {
            return false;
        }
        ::Sleep(10);
    }
}

} // namespace

TReadResult ReadWholeFile(const std::string& path, std::string& text, std::string& why)
{
    text.clear();
    const std::wstring name = WideFromUtf8(path);
    HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return TReadResult::Missing;
        }
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            why = "it is a directory";
            return TReadResult::Unreadable;
        }
        why = "it could not be read: " + SystemErrorText(code);
        return TReadResult::Unreadable;
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        why = "it is not a regular file";
        ::CloseHandle(file);
        return TReadResult::Unreadable;
    }
    bool ok = true;
    try {
        LARGE_INTEGER size{};
        ::GetFileSizeEx(file, &size);
        text.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        for (;;) {
            if (done == text.size()) {
                text.resize(text.size() + 65536); // the file grew since
            }
            DWORD read = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 30));
            if (!::ReadFile(file, text.data() + done, chunk, &read, nullptr)) {
                why = "it could not be read: " + SystemErrorText(::GetLastError());
                ok = false;
                break;
            }
            if (read == 0) {
                break;
            }
            done += read;
        }
        text.resize(done);
    } catch (const std::bad_alloc&) {
        why = "it could not be read: too large for the memory available";
        ok = false;
    }
    ::CloseHandle(file);
    if (!ok) {
        text.clear();
        text.shrink_to_fit();
        return TReadResult::Unreadable;
    }
    return TReadResult::Read;
}

bool ReplaceFileContents(const std::string& path, const std::string& text, std::string* error)
{
    const std::wstring named = WideFromUtf8(path);
    const std::wstring target = FollowLinks(named);
    // The program's own directory may be made; the directory a link names is
    // the user's business.
    if (target == named) {
        MakeDirectories(DirectoryPart(target));
    }

    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            return Fail(error, "it is a directory");
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) { // a file made read-only stays so
            return Fail(error, "the file is not writable: it is read-only");
        }
    } else if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return FailWithLastError(error, "cannot look at it");
    }

    const std::wstring temporary = target + L".new";
    const std::string temporaryName = Utf8FromWide(temporary);
    HANDLE file = OpenExclusiveTemporary(temporary);
    if (file == INVALID_HANDLE_VALUE) {
        return FailWithLastError(error, "cannot create " + temporaryName);
    }
    bool ok = ::SetEndOfFile(file) && WriteAll(file, text) && ::FlushFileBuffers(file);
    if (!ok) {
        const DWORD code = ::GetLastError();
        FILE_DISPOSITION_INFO remove{TRUE}; // still ours alone: nobody else is using it
        ::SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
        ::CloseHandle(file);
        return Fail(error, "cannot write " + temporaryName + ": " + SystemErrorText(code));
    }
    if (RenameOpenFile(file, target)) {
        ::CloseHandle(file);
        return true;
    }
    // A file system that cannot rename an open file: close, then move.
    ::CloseHandle(file);
    if (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    const DWORD code = ::GetLastError();
    ::DeleteFileW(temporary.c_str());
    return Fail(error, "cannot replace the file: " + SystemErrorText(code));
}
