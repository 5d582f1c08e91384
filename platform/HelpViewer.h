// Shows the program's help file.
//
// The help is an HTML Help project packed as a zip archive, one per language
// ("Help/ovCalculator.htb" beside the executable in English,
// "Help/ovCalculator-<language>.htb" in the others), shown in a help window
// owned by owner. The window is reused by later calls and closed with owner.
#pragma once

#include <string>

class wxWindow;

// Opens helpFile at its default topic; prepare, when given, is called with
// each new help window before it is first shown. False, with nothing shown,
// when the file is missing or is no help book that can be shown.
bool ShowHelpTopics(wxWindow* owner, const std::string& helpFile, void (*prepare)(wxWindow*) = nullptr);

// The help book for the language the window speaks ("de_DE", "pt_BR", "de";
// "" for English), in the program's folder: the book of that language and
// country, else of the language, else the English one.
std::string HelpBookFor(const std::string& programDirectory, const std::string& language);
