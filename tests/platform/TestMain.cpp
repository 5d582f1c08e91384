// The platform tests, and a second role for saving from another process:
//
//   platform_tests --save-repeatedly
//
// reads from standard input the settings file's path, a fill character, a
// count and a time in microseconds, one a line, and saves the file that
// many times with the [Big] Fill value made of the character. When the time
// is not 0 the program ends abruptly after it, wherever the saving is, as if
// it had been killed.
#include "ProfileFile.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <thread>

namespace {

int SaveRepeatedly()
{
    std::string path, fill, count, lifetime;
    if (!std::getline(std::cin, path) || !std::getline(std::cin, fill) || fill.empty() ||
        !std::getline(std::cin, count) || !std::getline(std::cin, lifetime)) {
        return 2;
    }
    if (const long microseconds = std::stol(lifetime); microseconds > 0) {
        std::thread([microseconds] {
            std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
            std::_Exit(9);
        }).detach();
    }
    for (int i = 0, times = std::stoi(count); i < times; ++i) {
        TProfileFile ini(path);
        ini.WriteString("Big", "Fill", std::string(1 << 20, fill.front()));
        std::string why;
        if (!ini.Save(&why)) {
            std::cerr << "save " << i + 1 << ": " << why << "\n";
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--save-repeatedly") {
        return SaveRepeatedly();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
