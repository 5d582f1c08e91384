#include "ProfileFile.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <new>
#include <string_view>

#include "ProfileFileSystem.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// Views, not copies: a file of a hundred megabytes is scanned once per key read.
std::string_view Trim(std::string_view text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) {
        ++first;
    }
    while (last > first && IsBlank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<unsigned char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<unsigned char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

// "[Name]" (blanks allowed around it and the name): the section's name.
bool ParseSectionHeader(std::string_view raw, std::string_view& name)
{
    std::string_view line = Trim(raw);
    if (line.size() < 2 || line.front() != '[') {
        return false;
    }
    std::size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = Trim(line.substr(1, close - 1));
    return true;
}

bool IsComment(std::string_view trimmed)
{
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// "Key=Value": the key and the raw value (blanks around both removed).
bool ParseEntry(std::string_view raw, std::string_view& key, std::string_view& value)
{
    std::string_view line = Trim(raw);
    if (line.empty() || IsComment(line) || line.front() == '[') {
        return false;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return true;
}

std::string Unquote(std::string_view value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string Quote(std::string value)
{
    for (char& c : value) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    bool needsQuotes = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                                          (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
    return needsQuotes ? '"' + value + '"' : value;
}

} // namespace

TProfileFile::TProfileFile(std::string path, const std::string& readIfMissing) : FPath(std::move(path))
{
    std::string text;
    TReadResult result = ReadWholeFile(FPath, text, FUnreadable);
    if (result == TReadResult::Missing && !readIfMissing.empty() && readIfMissing != FPath) {
        std::string ignored; // that file is never written: nothing of it can be lost
        ReadWholeFile(readIfMissing, text, ignored);
    }
    if (text.empty()) {
        return;
    }
    FEndsWithLineBreak = text.back() == '\n';
    std::size_t lines = 0;
    for (char c : text) {
        lines += c == '\n';
    }
    FLines.reserve(lines + 1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        FLines.push_back({text.substr(start, end - start)});
        start = end + 1;
    }
    if (!FLines.empty() && !FLines.front().Raw.empty() && FLines.front().Raw.back() == '\r') {
        FLineBreak = "\r\n";
    }
}

std::string TProfileFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) const
{
    bool inSection = false;
    std::string_view name, entryKey, value;
    for (const TLine& line : FLines) {
        if (ParseSectionHeader(line.Raw, name)) {
            inSection = SameName(name, section);
        } else if (inSection && ParseEntry(line.Raw, entryKey, value) && SameName(entryKey, key)) {
            return Unquote(value);
        }
    }
    return defaultValue;
}

int TProfileFile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const
{
    std::string text = ReadString(section, key, std::string());
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;
    }
    int value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last) {
        return defaultValue;
    }
    return value;
}

void TProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    std::string newLine = key + "=" + Quote(value);
    bool inSection = false;
    std::size_t insertAt = FLines.size();
    bool sectionFound = false;
    std::string_view name, entryKey, entryValue;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        if (ParseSectionHeader(FLines[i].Raw, name)) {
            if (inSection) {
                break; // the end of the first matching section
            }
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
    if (!FLines.empty() && !Trim(FLines.back().Raw).empty()) {
        FLines.push_back({std::string()});
    }
    FLines.push_back({"[" + section + "]"});
    FLines.push_back({newLine});
    FEndsWithLineBreak = true;
}

std::string TProfileFile::Text() const
{
    std::size_t size = 0;
    for (const TLine& line : FLines) {
        size += line.Raw.size() + 2;
    }
    std::string text;
    text.reserve(size);
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        const std::string& raw = FLines[i].Raw;
        text += raw;
        bool last = i + 1 == FLines.size();
        if (last && !FEndsWithLineBreak) {
            break;
        }
        // Lines as read keep their own "\r"; lines written by us get the file's break.
        if (FLineBreak == "\r\n" && (raw.empty() || raw.back() != '\r')) {
            text += '\r';
        }
        text += '\n';
    }
    return text;
}

bool TProfileFile::Save(std::string* error) const
{
    if (!FUnreadable.empty()) { // whatever is there stays as it is
        if (error) {
            *error = FUnreadable;
        }
        return false;
    }
    return ReplaceFileContents(FPath, Text(), error);
}

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0 (overlong forms,
// surrogates and code points beyond U+10FFFF are not valid).
std::size_t Utf8SequenceLength(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    std::size_t length = lead < 0x80                    ? 1
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    unsigned char second = length > 1 ? byte(i + 1) : 0;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second > 0x8F)) {
        return 0;
    }
    return length;
}

void AppendUtf8(std::string& text, char32_t c)
{
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Windows-1252 bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
const char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::string Utf8FromProfileText(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            break;
        }
        i += length;
    }
    if (i == text.size()) {
        return text;
    }
    std::string converted;
    converted.reserve(text.size() * 2);
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        AppendUtf8(converted, byte >= 0x80 && byte < 0xA0 ? Windows1252High[byte - 0x80] : char32_t(byte));
    }
    return converted;
}
