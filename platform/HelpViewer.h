// Shows the program's help file.
//
// The help is an HTML Help project packed as a zip archive ("Help/
// ovCalculator.htb" beside the executable), shown in a help window owned by
// owner. The window is reused by later calls and closed with owner.
#pragma once

#include <string>

class wxWindow;

// Opens helpFile at its default topic. Does nothing when the file is missing
// or cannot be opened.
void ShowHelpTopics(wxWindow* owner, const std::string& helpFile);
