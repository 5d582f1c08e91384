// Whether the tests run under Wine, where some window-system behaviour
// (simulated input, focus and placement without a window manager) is not
// that of Windows: tests of it are skipped there, with the reason.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

inline bool RunningUnderWine()
{
#ifdef _WIN32
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

#define OV_SKIP_UNDER_WINE(reason)                                                                                     \
    do {                                                                                                               \
        if (RunningUnderWine())                                                                                        \
            GTEST_SKIP() << "under Wine: " << reason;                                                                  \
    } while (false)
