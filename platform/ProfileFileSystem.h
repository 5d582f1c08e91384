// The file system side of TProfileFile, one implementation per system.
#pragma once

#include <string>

enum class TReadResult { Read, Missing, Unreadable };

// The whole regular file at path, however large. Missing means nothing is
// there; Unreadable (with the reason in why) that something is there which
// cannot be read as a file. Never blocks: a FIFO is opened without waiting
// for a writer, and then refused like any other special file.
TReadResult ReadWholeFile(const std::string& path, std::string& text, std::string& why);

// Replaces the file at path with text as TProfileFile::Save describes:
// through links, atomically by way of "<file>.new", one saving copy at a
// time. False, with the reason in *error when given, when it could not; the
// old file is then left as it was.
bool ReplaceFileContents(const std::string& path, const std::string& text, std::string* error);
