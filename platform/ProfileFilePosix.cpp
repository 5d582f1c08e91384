// Reading and replacing the settings file on POSIX systems.
#include "ProfileFileSystem.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string DirectoryPart(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Creates directory and its missing parents.
void MakeDirectories(const std::string& directory)
{
    if (directory.empty()) {
        return;
    }
    for (std::size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        std::string part = directory.substr(0, slash);
        ::mkdir(part.c_str(), 0777);
        if (slash == std::string::npos) {
            break;
        }
    }
}

// The file that path ends at after following symbolic links, whether or not
// it exists. False (with errno set) for a loop of links.
bool FollowLinks(const std::string& path, std::string& target)
{
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return true; // not a link, or nothing there
        }
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0) {
            return false;
        }
        link.resize(static_cast<std::size_t>(length));
        target = !link.empty() && link.front() == '/' ? link : DirectoryPart(target) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

bool Fail(std::string* error, const std::string& why)
{
    if (error) {
        *error = why;
    }
    return false;
}

bool FailWithErrno(std::string* error, const char* what)
{
    return Fail(error, std::string(what) + ": " + std::strerror(errno));
}

// Opens and locks path, creating it: the one temporary file of a save. A
// copy that finds it locked waits for its turn; when the holder has renamed
// it away meanwhile, the file at path is a new one and is opened again.
int OpenLockedTemporary(const std::string& path)
{
    for (;;) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd < 0) {
            return -1;
        }
        int locked;
        do {
            locked = ::flock(fd, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        struct stat held {
        }, named{};
        if (locked != 0 || ::fstat(fd, &held) != 0) {
            int saved = errno;
            ::close(fd);
            errno = saved;
            return -1;
        }
        if (::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            if (S_ISREG(held.st_mode)) {
                return fd;
            }
            ::close(fd);
            errno = EINVAL;
            return -1;
        }
        ::close(fd);
    }
}

} // namespace

TReadResult ReadWholeFile(const std::string& path, std::string& text, std::string& why)
{
    text.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) {
            return TReadResult::Missing;
        }
        why = std::string("it could not be read: ") + std::strerror(errno);
        return TReadResult::Unreadable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = S_ISDIR(st.st_mode) ? "it is a directory" : "it is not a regular file";
        ::close(fd);
        return TReadResult::Unreadable;
    }
    bool ok = true;
    try {
        text.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        for (;;) {
            if (done == text.size()) {
                text.resize(text.size() + 65536); // the file grew since fstat
            }
            ssize_t n = ::read(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                why = std::string("it could not be read: ") + std::strerror(errno);
                ok = false;
                break;
            }
            if (n == 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        text.resize(done);
    } catch (const std::bad_alloc&) {
        why = "it could not be read: too large for the memory available";
        ok = false;
    }
    ::close(fd);
    if (!ok) {
        text.clear();
        text.shrink_to_fit();
        return TReadResult::Unreadable;
    }
    return TReadResult::Read;
}

bool ReplaceFileContents(const std::string& path, const std::string& text, std::string* error)
{
    std::string target;
    if (!FollowLinks(path, target)) {
        return FailWithErrno(error, "cannot follow its link");
    }
    // The program's own directory may be made; the directory a link names is
    // the user's business.
    const std::string directory = DirectoryPart(target);
    if (target == path) {
        MakeDirectories(directory);
    }

    mode_t mode = 0666;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            return Fail(error, S_ISDIR(st.st_mode) ? "it is a directory" : "it is not a regular file");
        }
        if (::access(target.c_str(), W_OK) != 0) { // a file made read-only stays so
            return FailWithErrno(error, "the file is not writable");
        }
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return FailWithErrno(error, "cannot look at it");
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    const std::string temporary = target + ".new";
    int fd = OpenLockedTemporary(temporary);
    if (fd < 0) {
        return FailWithErrno(error, ("cannot create " + temporary).c_str());
    }
    std::string failed = "cannot write " + temporary;
    bool ok = ::ftruncate(fd, 0) == 0 && WriteAll(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    if (ok) {
        failed = "cannot replace the file";
        ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    }
    int saved = errno;
    if (!ok) {
        ::unlink(temporary.c_str()); // still locked: nobody else is using it
    }
    ::close(fd); // the lock goes with it
    errno = saved;
    if (!ok) {
        return FailWithErrno(error, failed.c_str());
    }
    return true;
}
