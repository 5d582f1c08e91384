#include "Translations.h"

#include <wx/intl.h>
#include <wx/translation.h>
#include <wx/uilocale.h>

#include <clocale>

namespace {

bool LoadCatalogs(const std::string& programDirectory, const wxString& language)
{
    static bool prefixesAdded = false;
    if (!prefixesAdded) {
        const wxString directory = wxString::FromUTF8(programDirectory);
        wxFileTranslationsLoader::AddCatalogLookupPathPrefix(directory + "/locale");
        wxFileTranslationsLoader::AddCatalogLookupPathPrefix(directory + "/../../share/locale");
        prefixesAdded = true;
    }
    auto* translations = new wxTranslations;
    wxTranslations::Set(translations); // owns it, and drops the one before
    if (!language.empty()) {
        translations->SetLanguage(language);
    }
    translations->AddStdCatalog();
    return translations->AddCatalog(CatalogName);
}

} // namespace

void UseUserLanguage(const std::string& programDirectory)
{
    // The user's language for every text, the toolkit's too; but numbers as
    // the equation language writes them, which is what the C library's
    // conversions must keep reading and writing.
    wxUILocale::UseDefault();
    std::setlocale(LC_NUMERIC, "C");
    LoadCatalogs(programDirectory, wxString());
}

bool UseLanguage(const std::string& programDirectory, const std::string& language)
{
    return LoadCatalogs(programDirectory, wxString::FromUTF8(language));
}
