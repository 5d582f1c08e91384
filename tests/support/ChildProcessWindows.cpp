#include "ChildProcess.h"

#include "WindowsText.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <thread>

namespace {

// One argument as the C runtime and CommandLineToArgvW read it back: in
// quotes when it is empty or holds blanks or quotes; backslashes are
// doubled only before a quote, whether one of the text or the closing one.
std::wstring QuotedArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

std::string LastErrorText()
{
    return SystemErrorText(::GetLastError());
}

void CloseHandleOnce(HANDLE& handle)
{
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
    }
    handle = nullptr;
}

// A pipe whose end for the child (read or write) can be inherited.
bool MakePipe(HANDLE& read, HANDLE& write, bool childReads)
{
    if (!::CreatePipe(&read, &write, nullptr, 0)) {
        return false;
    }
    return ::SetHandleInformation(childReads ? read : write, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) != 0;
}

void ReadAll(HANDLE pipe, std::string& text)
{
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        text.append(buffer, n);
    }
}

} // namespace

TChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments, const std::string& input,
                   const TChildOptions& options)
{
    // A child inherits every inheritable handle there is: those of a child
    // started at the same time by another thread must not be among them.
    static std::mutex starting;
    std::unique_lock<std::mutex> startingLock(starting);

    TChildRun run;
    HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr, errRead = nullptr,
           errWrite = nullptr;
    const auto closeAll = [&] {
        for (HANDLE* handle : {&inRead, &inWrite, &outRead, &outWrite, &errRead, &errWrite}) {
            CloseHandleOnce(*handle);
        }
    };
    if (!MakePipe(inRead, inWrite, true) || !MakePipe(errRead, errWrite, false)) {
        run.Err = "cannot make a pipe: " + LastErrorText();
        closeAll();
        return run;
    }
    if (options.OutputFile.empty()) {
        if (!MakePipe(outRead, outWrite, false)) {
            run.Err = "cannot make a pipe: " + LastErrorText();
            closeAll();
            return run;
        }
    } else {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        outWrite = ::CreateFileW(WideFromUtf8(options.OutputFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (outWrite == INVALID_HANDLE_VALUE) {
            run.Err = "cannot create " + options.OutputFile + ": " + LastErrorText();
            closeAll();
            return run;
        }
    }

    const std::wstring application = WideFromUtf8(program);
    std::wstring commandLine = QuotedArgument(application);
    for (const std::string& argument : arguments) {
        commandLine += L" " + QuotedArgument(WideFromUtf8(argument));
    }

    // A job, so that a memory limit binds the child from its start.
    HANDLE job = nullptr;
    if (options.MemoryLimit > 0) {
        job = ::CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit{};
        limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        limit.ProcessMemoryLimit = options.MemoryLimit;
        if (job == nullptr ||
            !::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limit, sizeof limit)) {
            run.Err = "cannot limit the memory: " + LastErrorText();
            CloseHandleOnce(job);
            closeAll();
            return run;
        }
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = options.ErrorIntoOutput ? outWrite : errWrite;
    PROCESS_INFORMATION process{};
    const bool suspended = job != nullptr || options.OneProcessor;
    const DWORD flags = CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW | (suspended ? CREATE_SUSPENDED : 0);
    const BOOL started = ::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                                          nullptr, nullptr, &startup, &process);
    const std::string whyNot = started ? std::string() : LastErrorText();
    // The child holds its own ends now; the pipes end when it does.
    CloseHandleOnce(inRead);
    CloseHandleOnce(outWrite);
    CloseHandleOnce(errWrite);
    startingLock.unlock();
    if (!started) {
        run.Err = "cannot start the program: " + whyNot;
        CloseHandleOnce(job);
        closeAll();
        return run;
    }
    if (job) {
        ::AssignProcessToJobObject(job, process.hProcess);
    }
    if (options.OneProcessor) {
        DWORD_PTR processMask = 0;
        DWORD_PTR systemMask = 0;
        if (::GetProcessAffinityMask(process.hProcess, &processMask, &systemMask) && processMask != 0) {
            ::SetProcessAffinityMask(process.hProcess, processMask & (~processMask + 1)); // the lowest one
        }
    }
    if (suspended) {
        ::ResumeThread(process.hThread);
    }
    ::CloseHandle(process.hThread);

    std::thread writer([&] {
        std::size_t written = 0;
        while (written < input.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(input.size() - written, 1 << 16));
            DWORD n = 0;
            if (!::WriteFile(inWrite, input.data() + written, chunk, &n, nullptr)) {
                break; // the program stopped reading
            }
            written += n;
        }
        CloseHandleOnce(inWrite);
    });
    std::thread errors([&] { ReadAll(errRead, run.Err); });
    if (outRead != nullptr) {
        char buffer[65536];
        DWORD n = 0;
        while (run.Out.size() < options.OutputLimit) {
            const DWORD room =
                static_cast<DWORD>(std::min<std::size_t>(sizeof buffer, options.OutputLimit - run.Out.size()));
            if (!::ReadFile(outRead, buffer, room, &n, nullptr) || n == 0) {
                break;
            }
            run.Out.append(buffer, n);
        }
        CloseHandleOnce(outRead);
        if (run.Out.size() == options.OutputLimit && options.KillAtOutputLimit) {
            ::TerminateProcess(process.hProcess, 1);
        }
    }
    writer.join();
    errors.join();
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    run.Status = static_cast<int>(code);
    ::CloseHandle(process.hProcess);
    CloseHandleOnce(job);
    closeAll();
    return run;
}

bool ChildMemoryLimitIsEnforced()
{
    // Wine's own ntdll says what it is.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll == nullptr || ::GetProcAddress(ntdll, "wine_get_version") == nullptr;
}

std::string ProgramBeside(const std::string& name)
{
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::string path = Utf8FromWide(self);
    return path.substr(0, path.find_last_of("\\/") + 1) + name + ".exe";
}
