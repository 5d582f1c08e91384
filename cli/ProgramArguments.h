// The program's arguments and standard streams, the same on every system:
// arguments as UTF-8, streams as plain bytes.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's name, as UTF-8 (on Windows read from
// the wide command line, whatever the code page).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Standard input, output and error as bytes: no line break translation and
// no end-of-file character (Windows' text mode); a console shows UTF-8.
void UseBinaryStandardStreams();
