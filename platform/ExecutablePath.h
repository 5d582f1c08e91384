// The running executable's own file.
#pragma once

#include <string>

// The absolute path of the running executable (any length), or "" when the
// system does not tell.
std::string ExecutablePath();

// The directory part of path without a trailing separator: "/usr/bin" for
// "/usr/bin/ovCalculator", "" for "/ovCalculator" and for "ovCalculator".
// On Windows a backslash separates as well as "/": "C:\Tools" for
// "C:\Tools\ovCalculator.exe".
std::string DirectoryOf(const std::string& path);
