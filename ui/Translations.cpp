#include "Translations.h"

#include <wx/intl.h>
#include <wx/translation.h>
#include <wx/uilocale.h>

#include <wx/ffile.h>
#include <wx/numformatter.h>
#include <wx/filename.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

namespace {

// The catalogs' folders: beside the program (a build folder, Windows), where
// an installation keeps them, and the system's.
std::vector<wxString> CatalogFolders;

// Finds a catalog as the library's own loader does (<folder>/<lang>/
// LC_MESSAGES/<domain>.mo, "de_DE" falling back to "de"), and checks it
// before the library reads it: a damaged one is left out, with one line on
// standard error, and the texts stay in English.
class TCheckedCatalogLoader : public wxTranslationsLoader {
public:
    wxMsgCatalog* LoadCatalog(const wxString& domain, const wxString& language) override
    {
        for (const wxString& variant : Variants(language)) {
            for (const wxString& folder : CatalogFolders) {
                for (const wxString& path : {folder + "/" + variant + "/LC_MESSAGES/" + domain + ".mo",
                                             folder + "/" + variant + "/" + domain + ".mo"}) {
                    if (wxFileName::FileExists(path)) {
                        return Load(path, domain);
                    }
                }
            }
        }
        return nullptr;
    }

    wxArrayString GetAvailableTranslations(const wxString& domain) const override
    {
        return wxFileTranslationsLoader().GetAvailableTranslations(domain);
    }

private:
    // "pt_BR.UTF-8@euro", then without the encoding and modifier, then the
    // language alone.
    static std::vector<wxString> Variants(const wxString& language)
    {
        std::vector<wxString> variants{language};
        const wxString plain = language.BeforeFirst('@').BeforeFirst('.');
        for (const wxString& variant : {plain, plain.BeforeFirst('_')}) {
            if (!variant.empty() && variants.back() != variant) {
                variants.push_back(variant);
            }
        }
        return variants;
    }

    static wxMsgCatalog* Load(const wxString& path, const wxString& domain)
    {
        wxFFile file(path, "rb");
        const wxFileOffset length = file.IsOpened() ? file.Length() : -1;
        std::string why = "it cannot be read";
        if (length >= 0) {
            const auto size = static_cast<std::size_t>(length);
            wxCharBuffer bytes(size);
            if (file.Read(bytes.data(), size) == size && IsWholeCatalog(bytes.data(), size, why)) {
                return wxMsgCatalog::CreateFromData(bytes, domain);
            }
        }
        // The library asks again for each language it falls back through: said once.
        static std::set<wxString> told;
        if (told.insert(path).second) {
            std::fprintf(stderr, "ovCalculator: translations not used from %s: %s\n", path.utf8_string().c_str(),
                         why.c_str());
        }
        return nullptr;
    }
};

bool LoadCatalogs(const std::string& programDirectory, const wxString& language)
{
    if (CatalogFolders.empty()) {
        const wxString directory = wxString::FromUTF8(programDirectory);
        CatalogFolders = {directory + "/locale", directory + "/../../share/locale", "/usr/share/locale",
                          "/usr/local/share/locale"};
    }
    auto* translations = new wxTranslations;
    wxTranslations::Set(translations); // owns it, and drops the one before
    translations->SetLoader(new TCheckedCatalogLoader);
    if (!language.empty()) {
        translations->SetLanguage(language);
    }
    translations->AddStdCatalog();
    translations->AddCatalog(LibraryCatalogName); // where the system has no wxstd for the language
    if (translations->AddCatalog(CatalogName) || translations->GetBestTranslation(CatalogName).StartsWith("en")) {
        return true;
    }
    // Without the program's own texts in the language, the library's alone
    // would make a window of two languages: English throughout instead.
    wxTranslations::Set(new wxTranslations);
    return false;
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

std::string CurrentLanguage()
{
    wxTranslations* translations = wxTranslations::Get();
    if (translations == nullptr || !translations->IsLoaded(CatalogName)) {
        return std::string();
    }
    return translations->GetBestTranslation(CatalogName).utf8_string();
}

bool IsWholeCatalog(const char* data, std::size_t size, std::string& why)
{
    // The header: magic number, revision, string count, the offsets of the
    // original and translated strings' tables, the hash table's size and
    // offset; 32-bit words in the byte order the magic number shows.
    constexpr std::uint32_t Magic = 0x950412de;
    constexpr std::size_t HeaderSize = 28;
    if (size < HeaderSize) {
        why = "it is too short";
        return false;
    }
    std::uint32_t first = 0;
    std::memcpy(&first, data, 4);
    const bool swapped = first != Magic;
    if (swapped && first != __builtin_bswap32(Magic)) {
        why = "it is no catalog";
        return false;
    }
    auto word = [&](std::size_t at) {
        std::uint32_t value = 0;
        std::memcpy(&value, data + at, 4);
        return swapped ? __builtin_bswap32(value) : value;
    };
    // Tables and strings inside the bytes; 64-bit sums cannot overflow.
    auto inside = [size](std::uint64_t offset, std::uint64_t length) { return offset + length <= size; };
    const std::uint32_t count = word(8);
    const std::uint32_t originals = word(12);
    const std::uint32_t translations = word(16);
    const std::uint32_t hashSize = word(20);
    if ((word(4) >> 16) > 1 || !inside(originals, 8ULL * count) || !inside(translations, 8ULL * count) ||
        (hashSize != 0 && !inside(word(24), 4ULL * hashSize))) {
        why = "its tables do not fit in the file";
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        for (const std::uint32_t table : {originals, translations}) {
            const std::uint32_t length = word(table + 8ULL * i);
            const std::uint32_t offset = word(table + 8ULL * i + 4);
            // Each string ends in a NUL of its own.
            if (!inside(offset, std::uint64_t{length} + 1) || data[offset + length] != '\0') {
                why = "a string lies outside the file";
                return false;
            }
        }
    }
    return true;
}

wxString LocalNumber(double value, int decimals)
{
    return wxNumberFormatter::ToString(value, decimals, wxNumberFormatter::Style_WithThousandsSep);
}
