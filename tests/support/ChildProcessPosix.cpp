#include "ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void CloseFd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
    }
    fd = -1;
}

// The child's side after fork: only calls that are safe there.
[[noreturn]] void StartChild(const std::string& program, char* const argv[], int in, int out, int err,
                             const TChildOptions& options)
{
    if (::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(options.ErrorIntoOutput ? out : err, 2) < 0) {
        ::_exit(127);
    }
    if (options.OneProcessor) {
        cpu_set_t set;
        if (::sched_getaffinity(0, sizeof set, &set) != 0) {
            ::_exit(127);
        }
        int first = 0;
        while (!CPU_ISSET(first, &set)) {
            ++first;
        }
        CPU_ZERO(&set);
        CPU_SET(first, &set);
        if (::sched_setaffinity(0, sizeof set, &set) != 0) {
            ::_exit(127);
        }
    }
    const std::size_t memoryLimit = options.MemoryLimit;
    if (memoryLimit > 0) {
        const rlimit limit{memoryLimit, memoryLimit};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) {
            ::_exit(127);
        }
    }
    ::execv(program.c_str(), argv);
    const char* why = std::strerror(errno);
    [[maybe_unused]] ssize_t ignored = ::write(2, "cannot start the program: ", 26);
    ignored = ::write(2, why, std::strlen(why));
    ::_exit(127);
}

} // namespace

TChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments, const std::string& input,
                   const TChildOptions& options)
{
    // Feeding a program that stops reading must fail the write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);

    TChildRun run;
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        return run;
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return run;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        for (int fd : {in[0], in[1], out[0], out[1]}) {
            ::close(fd);
        }
        return run;
    }
    int outputFile = -1;
    if (!options.OutputFile.empty()) {
        outputFile = ::open(options.OutputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (outputFile < 0) {
            run.Err = "cannot open " + options.OutputFile + ": " + std::strerror(errno);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
                ::close(fd);
            }
            return run;
        }
    }

    std::vector<std::string> texts{program};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        StartChild(program, argv.data(), in[0], outputFile >= 0 ? outputFile : out[1], err[1], options);
    }
    for (int* fd : {&in[0], &out[1], &err[1], &outputFile}) {
        CloseFd(*fd);
    }
    if (child < 0) {
        for (int* fd : {&in[1], &out[0], &err[0]}) {
            CloseFd(*fd);
        }
        run.Err = std::string("cannot start the program: ") + std::strerror(errno);
        return run;
    }
    if (!options.OutputFile.empty()) {
        CloseFd(out[0]); // nothing comes through the pipe
    }
    ::fcntl(in[1], F_SETFL, O_NONBLOCK);
    if (input.empty()) {
        CloseFd(in[1]);
    }

    std::size_t written = 0;
    char buffer[65536];
    while (in[1] >= 0 || out[0] >= 0 || err[0] >= 0) {
        pollfd fds[3] = {{in[1], POLLOUT, 0}, {out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents != 0) {
            const ssize_t n = ::write(in[1], input.data() + written, input.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            }
            if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
                CloseFd(in[1]); // done, or the program stopped reading
            }
        }
        for (int stream = 1; stream <= 2; ++stream) {
            if (fds[stream].revents == 0) {
                continue;
            }
            int& fd = stream == 1 ? out[0] : err[0];
            std::string& text = stream == 1 ? run.Out : run.Err;
            const std::size_t room = stream == 1 ? options.OutputLimit - text.size() : sizeof buffer;
            const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, room));
            if (n > 0) {
                text.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                CloseFd(fd);
            }
            if (stream == 1 && fd >= 0 && text.size() == options.OutputLimit) {
                CloseFd(fd);
                if (options.KillAtOutputLimit) {
                    ::kill(child, SIGKILL);
                }
            }
        }
    }
    for (int* fd : {&in[1], &out[0], &err[0]}) {
        CloseFd(*fd);
    }

    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool ChildMemoryLimitIsEnforced()
{
    return true;
}

std::string ProgramBeside(const std::string& name)
{
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
    self.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return self.substr(0, self.rfind('/') + 1) + name;
}
