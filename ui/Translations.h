// The window in its user's language: the program's own catalog
// (ovcalculator.mo), wxWidgets' (wxstd) and GTK's, by the user's locale.
// Equations, results and the settings file stay in the equation language
// whatever the locale: numbers are read and written with ".".
#pragma once

#include <cstddef>
#include <string>

// The catalog's name (its .mo files are <lang>/LC_MESSAGES/ovcalculator.mo).
inline constexpr const char* CatalogName = "ovcalculator";
// The library's texts for the languages the system's wxWidgets catalogs lack.
inline constexpr const char* LibraryCatalogName = "ovcalculator-wx";

// Sets the user's locale and loads the catalogs, looked for beside the
// program (programDirectory/locale: a build folder, Windows) and where an
// installation under <prefix>/lib/ovCalculator keeps them
// (<prefix>/share/locale), before the system's own places. O(1): a catalog
// is one file read.
void UseUserLanguage(const std::string& programDirectory);

// The same for the language code given ("de", "pt_BR"), for tests; false
// when no catalog of the program's is found for it.
bool UseLanguage(const std::string& programDirectory, const std::string& language);

// The language the window speaks, as the user's settings or UseLanguage name
// it ("de_DE", "pt_BR", "de"); "" when the program's catalog is not in use
// (English).
std::string CurrentLanguage();

// A number in a message as the user's language writes it: "65,540" in
// English, "65.540" in German, "65 540" in French, with decimals places
// after the point the language uses. Equations, results and the settings
// file keep writing numbers with "." and no grouping.
class wxString;
wxString LocalNumber(double value, int decimals = 0);

// Whether size bytes at data are a whole compiled catalog (.mo): its magic
// number and revision, and every table and string it points to within the
// bytes. The library trusts a catalog's header, and a damaged one would
// crash the start; why says what is wrong. O(number of strings).
bool IsWholeCatalog(const char* data, std::size_t size, std::string& why);
