#include "Processors.h"

#include <thread>

unsigned UsableProcessors()
{
    return std::thread::hardware_concurrency();
}
