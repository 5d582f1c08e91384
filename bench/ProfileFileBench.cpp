// The settings file at sizes no one should have but some will: reading it as
// the window does at start-up (the file, ViewSteps and ten equations), and
// saving it as the window does on close.
#include "ProfileFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A file of about megabytes MB: the program's two sections, then a foreign
// section of 100-character lines.
std::string MakeFile(int megabytes)
{
    std::string path = "/tmp/ov-profile-bench-" + std::to_string(::getpid()) + "-" + std::to_string(megabytes) + ".ini";
    std::ofstream out(path, std::ios::binary);
    out << "[Settings]\nViewSteps=1\n[MRUEquation]\n";
    for (int i = 0; i < 10; ++i) {
        out << i << "=" << i << "+1\n";
    }
    out << "[Other]\n";
    const std::string line = "Key=" + std::string(95, 'v') + "\n";
    for (long i = 0, lines = megabytes * 1024L * 1024L / 100; i < lines; ++i) {
        out << line;
    }
    return path;
}

void BM_LoadLikeTheWindow(benchmark::State& state)
{
    const std::string path = MakeFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TProfileFile ini(path);
        benchmark::DoNotOptimize(ini.ReadInt("Settings", "ViewSteps", 1));
        for (int i = 0; i < 10; ++i) {
            benchmark::DoNotOptimize(ini.ReadString("MRUEquation", std::to_string(i), ""));
        }
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadLikeTheWindow)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_SaveLikeTheWindow(benchmark::State& state)
{
    const std::string path = MakeFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TProfileFile ini(path);
        ini.WriteString("Settings", "ViewSteps", "0");
        for (int i = 0; i < 10; ++i) {
            ini.WriteString("MRUEquation", std::to_string(i), "2*" + std::to_string(i));
        }
        benchmark::DoNotOptimize(ini.Save());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveLikeTheWindow)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace
