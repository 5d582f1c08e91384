// Text at the boundary with Windows: the program's strings are UTF-8, the
// system's wide calls take and give UTF-16.
#pragma once

#include <string>

// text (UTF-8) as UTF-16; ill-formed sequences become U+FFFD.
std::wstring WideFromUtf8(const std::string& text);

// text (UTF-16) as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf8FromWide(const std::wstring& text);

// The system's message for an error code (GetLastError), as UTF-8, without
// its trailing line break.
std::string SystemErrorText(unsigned long code);
