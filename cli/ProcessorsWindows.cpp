#include "Processors.h"

#include <windows.h>

#include <bit>
#include <thread>

unsigned UsableProcessors()
{
    // Those the process is allowed on, not all the machine has.
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) && process != 0) {
        return static_cast<unsigned>(std::popcount(static_cast<unsigned long long>(process)));
    }
    return std::thread::hardware_concurrency();
}
