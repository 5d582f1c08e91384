# Cross-building the Windows programs (x86-64) on Linux with MinGW-w64:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The programs are linked statically (C and C++ runtimes, threads), so each
# .exe runs on its own; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
# The -posix compilers: std::thread and std::mutex need the POSIX thread model.
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
# wxWidgets for Windows lives in a prefix of its own (dist/wxwidgets.sh windows).
if(wxWidgets_CONFIG_EXECUTABLE)
    get_filename_component(wx_prefix "${wxWidgets_CONFIG_EXECUTABLE}" DIRECTORY)
    get_filename_component(wx_prefix "${wx_prefix}" DIRECTORY)
    list(APPEND CMAKE_FIND_ROOT_PATH ${wx_prefix})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine, quietly: its own diagnostics would mix with what the
# programs write to standard error.
find_program(OV_WINE NAMES wine wine64)
if(OV_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINEDEBUG=-all ${OV_WINE})
endif()

# Test programs are listed when the tests run, not while building, so the
# build needs no Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
