// The settings file: a small reader and writer of the profile (INI) format.
//
//   ; comment
//   [Section]
//   Key=Value
//
// A TProfileFile holds the whole file in memory. Reading never fails: a
// missing file, section or key, or a file that cannot be read at all (binary
// garbage, a directory in its place, larger than MaxFileSize), gives the
// caller's default. Section and key names compare without regard to ASCII
// letter case. Values are read in full, whatever their length, with the
// blanks around them removed and one pair of enclosing double quotes taken
// off; WriteString quotes a value that would otherwise lose its blanks, so
// every value reads back exactly as it was written.
//
// WriteString changes only the copy in memory: an existing key is replaced
// in place, a new key goes after the last entry of its section, a new
// section at the end. Every other line (other sections and keys, comments,
// blank lines, lines that are not entries) is kept byte for byte. Nothing
// reaches the disk until Save, which writes a temporary file beside the
// settings file and renames it over the old one, so the file on disk is
// always either the old one or the new one, never a half-written mix. A file
// that could not be read is replaced by one holding only what was written;
// Save fails, and changes nothing, when a directory stands in its place or
// the file or its directory is not writable.
//
// Text is taken and given back as bytes (UTF-8 in this program).
//
// Typical use: read with one TProfileFile when the program starts; to save,
// take a fresh TProfileFile of the same path (so that whatever else the file
// holds by then is kept), write the keys and call Save once.
//
//   TProfileFile ini(SettingsFilePath(DirectoryOf(ExecutablePath())));
//   int viewSteps = ini.ReadInt("Settings", "ViewSteps", 1);
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class TProfileFile {
public:
    // Files larger than this are not read (treated as unreadable).
    static constexpr std::size_t MaxFileSize = 16u * 1024u * 1024u;

    // Reads the file at path, if there is one.
    explicit TProfileFile(std::string path);

    const std::string& Path() const { return FPath; }

    // The key's value as a decimal integer. A missing key, or a value that
    // is not wholly a decimal number within the range of int ("", "abc",
    // "1x", "99999999999"), gives defaultValue.
    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const;

    // The key's value in full; defaultValue when the key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;

    // Sets the key to value in memory, creating section and key as needed.
    // Line breaks in value cannot be stored and become blanks.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Writes the file atomically, creating its directory when missing.
    // Returns false when it could not (the old file is then left as it was).
    bool Save() const;

    // The file's text as Save would write it.
    std::string Text() const;

private:
    struct TLine {
        std::string Raw; // the line as read or written, without its line break
    };
    std::string FPath;
    std::vector<TLine> FLines;
    std::string FLineBreak = "\n";
    bool FEndsWithLineBreak = true;
};
