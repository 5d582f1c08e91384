#include "LineReader.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

TLineReader::TLineReader(int fd, void (*beforeWait)()) : Fd(fd), BeforeWait(beforeWait), Buffer(InitialSize) {}

bool TLineReader::Fill()
{
    if (AtEnd) {
        return false;
    }
    BeforeWait();
    for (;;) {
        const ssize_t count = read(Fd, Buffer.data() + End, Buffer.size() - End);
        if (count > 0) {
            End += static_cast<std::size_t>(count);
            return true;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        AtEnd = true; // end of input, or an input that cannot be read any further
        return false;
    }
}

bool TLineReader::Next(std::string& line)
{
    std::size_t scanned = Begin;
    for (;;) {
        const void* newline = std::memchr(Buffer.data() + scanned, '\n', End - scanned);
        if (newline != nullptr) {
            const auto at = static_cast<std::size_t>(static_cast<const char*>(newline) - Buffer.data());
            line.assign(Buffer.data() + Begin, at - Begin);
            Begin = at + 1;
            break;
        }
        scanned = End;
        // Keep the partial line at the front and make room for more of it.
        if (Begin > 0) {
            std::memmove(Buffer.data(), Buffer.data() + Begin, End - Begin);
            scanned -= Begin;
            End -= Begin;
            Begin = 0;
        }
        if (End == Buffer.size()) {
            Buffer.resize(Buffer.size() * 2);
        }
        if (!Fill()) {
            if (End == Begin) {
                return false;
            }
            line.assign(Buffer.data() + Begin, End - Begin);
            Begin = End;
            break;
        }
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

bool TLineReader::NextBuffered(std::string_view& line)
{
    const void* newline = std::memchr(Buffer.data() + Begin, '\n', End - Begin);
    if (newline == nullptr) {
        return false;
    }
    const auto at = static_cast<std::size_t>(static_cast<const char*>(newline) - Buffer.data());
    line = std::string_view(Buffer.data() + Begin, at - Begin);
    Begin = at + 1;
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return true;
}

bool TLineReader::SkipLine()
{
    for (;;) {
        const void* newline = std::memchr(Buffer.data() + Begin, '\n', End - Begin);
        if (newline != nullptr) {
            Begin = static_cast<std::size_t>(static_cast<const char*>(newline) - Buffer.data()) + 1;
            return true;
        }
        // Nothing buffered is kept: the buffer goes back to its first size.
        Begin = End = 0;
        if (Buffer.size() > InitialSize) {
            Buffer.clear();
            Buffer.shrink_to_fit();
            Buffer.resize(InitialSize);
        }
        if (!Fill()) {
            return false;
        }
    }
}
