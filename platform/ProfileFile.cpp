#include "ProfileFile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string Trim(const std::string& text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// "[Name]" (blanks allowed around it and the name): the section's name.
bool ParseSectionHeader(const std::string& raw, std::string& name)
{
    std::string line = Trim(raw);
    if (line.size() < 2 || line.front() != '[')
        return false;
    std::size_t close = line.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

bool IsComment(const std::string& trimmed)
{
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// "Key=Value": the key and the raw value (blanks around both removed).
bool ParseEntry(const std::string& raw, std::string& key, std::string& value)
{
    std::string line = Trim(raw);
    if (line.empty() || IsComment(line) || line.front() == '[')
        return false;
    std::size_t equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return true;
}

std::string Unquote(const std::string& value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

std::string Quote(std::string value)
{
    for (char& c : value)
        if (c == '\n' || c == '\r')
            c = ' ';
    bool needsQuotes = !value.empty() &&
                       (IsBlank(value.front()) || IsBlank(value.back()) ||
                        (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
    return needsQuotes ? '"' + value + '"' : value;
}

// The whole regular file at path; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& text)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<unsigned long long>(st.st_size) <= TProfileFile::MaxFileSize;
    text.clear();
    char buffer[65536];
    while (ok) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
        } else if (n == 0) {
            break;
        } else {
            text.append(buffer, static_cast<std::size_t>(n));
            ok = text.size() <= TProfileFile::MaxFileSize;
        }
    }
    ::close(fd);
    if (!ok)
        text.clear();
    return ok;
}

bool WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Creates directory and its missing parents.
void MakeDirectories(const std::string& directory)
{
    if (directory.empty())
        return;
    for (std::size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        std::string part = directory.substr(0, slash);
        ::mkdir(part.c_str(), 0777);
        if (slash == std::string::npos)
            break;
    }
}

} // namespace

TProfileFile::TProfileFile(std::string path) : FPath(std::move(path))
{
    std::string text;
    if (!ReadWholeFile(FPath, text) || text.empty())
        return;
    FEndsWithLineBreak = text.back() == '\n';
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        FLines.push_back({text.substr(start, end - start)});
        start = end + 1;
    }
    if (!FLines.empty() && !FLines.front().Raw.empty() && FLines.front().Raw.back() == '\r')
        FLineBreak = "\r\n";
}

std::string TProfileFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) const
{
    bool inSection = false;
    std::string name, entryKey, value;
    for (const TLine& line : FLines) {
        if (ParseSectionHeader(line.Raw, name))
            inSection = SameName(name, section);
        else if (inSection && ParseEntry(line.Raw, entryKey, value) && SameName(entryKey, key))
            return Unquote(value);
    }
    return defaultValue;
}

int TProfileFile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const
{
    std::string text = ReadString(section, key, std::string());
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    int value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last)
        return defaultValue;
    return value;
}

void TProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    std::string newLine = key + "=" + Quote(value);
    bool inSection = false;
    std::size_t insertAt = FLines.size();
    bool sectionFound = false;
    std::string name, entryKey, entryValue;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        if (ParseSectionHeader(FLines[i].Raw, name)) {
            if (inSection)
                break; // the end of the first matching section
            inSection = SameName(name, section);
            if (inSection) {
                sectionFound = true;
                insertAt = i + 1;
            }
        } else if (inSection && ParseEntry(FLines[i].Raw, entryKey, entryValue)) {
            if (SameName(entryKey, key)) {
                FLines[i].Raw = newLine;
                return;
            }
            insertAt = i + 1;
        }
    }
    if (sectionFound) {
        FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(insertAt), TLine{newLine});
        return;
    }
    if (!FLines.empty() && !Trim(FLines.back().Raw).empty())
        FLines.push_back({std::string()});
    FLines.push_back({"[" + section + "]"});
    FLines.push_back({newLine});
    FEndsWithLineBreak = true;
}

std::string TProfileFile::Text() const
{
    std::string text;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        const std::string& raw = FLines[i].Raw;
        text += raw;
        bool last = i + 1 == FLines.size();
        if (last && !FEndsWithLineBreak)
            break;
        // Lines as read keep their own "\r"; lines written by us get the file's break.
        if (FLineBreak == "\r\n" && (raw.empty() || raw.back() != '\r'))
            text += '\r';
        text += '\n';
    }
    return text;
}

bool TProfileFile::Save() const
{
    // Write through a symbolic link to the file it names.
    std::string target = FPath;
    if (char* resolved = ::realpath(FPath.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    std::size_t slash = target.rfind('/');
    std::string directory = slash == std::string::npos ? std::string(".") : target.substr(0, slash);
    if (slash != std::string::npos)
        MakeDirectories(directory.empty() ? std::string("/") : directory);

    mode_t mode = 0666;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0)
            return false; // a directory in its place, or a file made read-only
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    std::string temporary = target + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, Text()) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}
