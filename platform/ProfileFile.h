// The settings file: a small reader and writer of the profile (INI) format.
//
//   ; comment
//   [Section]
//   Key=Value
//
// A TProfileFile holds the whole file in memory, whatever its size. Reading
// never fails: a missing file, section or key, or a file that cannot be read
// at all (no permission, a directory, FIFO or device in its place), gives the
// caller's default. Opening never blocks (a FIFO is not waited on). Section
// and key names compare without regard to ASCII letter case. Values are read
// in full, whatever their length, with the blanks around them removed and one
// pair of enclosing double quotes taken off; WriteString quotes a value that
// would otherwise lose its blanks, so every value reads back exactly as it
// was written.
//
// WriteString changes only the copy in memory: an existing key is replaced
// in place, a new key goes after the last entry of its section, a new
// section at the end. Every other line (other sections and keys, comments,
// blank lines, lines that are not entries) is kept byte for byte. Nothing
// reaches the disk until Save, which writes "<file>.new" beside the file and
// renames it over the old one, so the file on disk is always either the old
// one or the new one, never a half-written mix. Copies of the program saving
// at the same time take turns (a lock on "<file>.new"); the last one wins.
// A run killed while saving leaves at most that one "<file>.new", which the
// next save reuses.
//
// Save writes through symbolic links: to the file a link names, creating it
// when its directory exists. It refuses, and changes nothing, when the file
// was there but could not be read (its contents would be lost), when
// something other than a regular file stands in its place, and when the file
// or its directory is not writable.
//
// Text is taken and given back as bytes (UTF-8 in this program; see
// Utf8FromProfileText for files written elsewhere).
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
    // Reads the file at path, if there is one. When nothing is at path (not
    // even a dangling link's target) and readIfMissing is given, reads that
    // file instead; Save still writes to path.
    explicit TProfileFile(std::string path, const std::string& readIfMissing = std::string());

    const std::string& Path() const { return FPath; }

    // The key's value as a decimal integer. A missing key, or a value that
    // is not wholly a decimal number within the range of int ("", "abc",
    // "1x", "99999999999"), gives defaultValue.
    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const;

    // The key's value in full; defaultValue when the key is missing.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;

    // Sets the key to value in memory, creating section and key as needed.
    // Line breaks in value cannot be stored and become blanks.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Writes the file atomically, creating its directory when missing.
    // Returns false when it could not (the old file is then left as it was),
    // with the reason in *error when error is given.
    bool Save(std::string* error = nullptr) const;

    // The file's text as Save would write it.
    std::string Text() const;

private:
    struct TLine {
        std::string Raw; // the line as read or written, without its line break
    };
    std::string FPath;
    std::string FUnreadable; // why the file at FPath could not be read; "" when it could or was missing
    std::vector<TLine> FLines;
    std::string FLineBreak = "\n";
    bool FEndsWithLineBreak = true;
};

// text as UTF-8: unchanged when it is valid UTF-8, otherwise read as
// Windows-1252 (what files written by Windows programs hold), so that no
// byte is lost. The five bytes that code page leaves undefined become the
// control characters of the same number.
std::string Utf8FromProfileText(const std::string& text);
