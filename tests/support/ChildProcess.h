// Runs a program as a child process, the same on every system: the
// arguments as given (UTF-8), standard input from bytes, standard output
// and error captured as bytes, and the exit status.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TChildRun {
    std::string Out;
    std::string Err;
    // The exit status; -1 when the program ended without exiting (killed by
    // a signal) or could not be started: Err then says why (on POSIX
    // systems such a program exits with 127).
    int Status = -1;
};

struct TChildOptions {
    // Standard output goes to this file instead of being captured.
    std::string OutputFile;
    // After this many bytes of standard output the reader goes away (its end
    // of the pipe is closed), and the program too when KillAtOutputLimit.
    std::size_t OutputLimit = static_cast<std::size_t>(-1);
    bool KillAtOutputLimit = false;
    // The most memory the program may take, in bytes; 0 for no limit. On
    // POSIX systems this is its address space, on Windows its committed
    // memory (the limit of a job).
    std::size_t MemoryLimit = 0;
    // Standard error goes where standard output does: Out holds both, in
    // the order they were written, and Err nothing.
    bool ErrorIntoOutput = false;
    // The program may run on one processor only (the first it could have).
    bool OneProcessor = false;
};

// Runs program with arguments, input on its standard input (closed after
// the last byte), until it ends. A POSIX child starts with SIGPIPE ignored,
// as the calling process has it, so that a reader going away shows as a
// failed write.
TChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& input = std::string(), const TChildOptions& options = {});

// False where TChildOptions::MemoryLimit is not enforced (Wine takes a job's
// memory limit without applying it).
bool ChildMemoryLimitIsEnforced();

// The file of another program in the directory of the running executable;
// on Windows the name takes ".exe".
std::string ProgramBeside(const std::string& name);
