#include "Processors.h"

#include <sched.h>
#include <thread>

unsigned UsableProcessors()
{
    // Those the process is allowed on (taskset, cgroups' cpusets), not all
    // the machine has.
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        return static_cast<unsigned>(CPU_COUNT(&set));
    }
    return std::thread::hardware_concurrency();
}
