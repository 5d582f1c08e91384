#include "HelpViewer.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include <wx/intl.h>
#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fileconf.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/imaggif.h>
#include <wx/html/helpfrm.h>
#include <wx/html/m_templ.h>
#include <wx/notebook.h>
#include <wx/log.h>
#include <wx/gdicmn.h>
#include <wx/wfstream.h>
#include <wx/window.h>
#include <wx/zipstrm.h>

// <wbr/>: a place where a line may break inside a word. The viewer breaks
// lines only between words, at spaces; the Chinese and Japanese pages carry
// one between characters (Help/wordbreaks.py puts them there). An empty word
// that allows a break before it, and draws nothing.
TAG_HANDLER_BEGIN(WBR, "WBR")
TAG_HANDLER_CONSTR(WBR) {}
TAG_HANDLER_PROC(tag)
{
    wxUnusedVar(tag);
    m_WParser->GetContainer()->InsertCell(new wxHtmlWordCell(wxString(), *m_WParser->GetDC()));
    return false;
}
TAG_HANDLER_END(WBR)

TAGS_MODULE_BEGIN(WordBreaks)
TAGS_MODULE_ADD(WBR)
TAGS_MODULE_END(WordBreaks)

namespace {

// The one help controller, owned here and deleted with its owner window, and
// the settings it starts its window with (kept in memory only).
wxHtmlHelpController* Controller = nullptr;
wxFileConfig* ControllerSettings = nullptr;
wxWindow* ControllerOwner = nullptr;
void (*PrepareWindow)(wxWindow*) = nullptr;

// The help window's contents tree keeps one parent per level in a fixed
// table of 64 and overruns it on deeper books, and its reader of contents
// files recurses once per level: nothing real nests beyond a few levels, so
// a book deeper than this is not shown at all.
constexpr int MaxLevels = 32;

// The deepest nesting of lists (<ul>, <ol>, in any letter case) in text.
int ListDepth(const std::string& text)
{
    const auto lower = [&](std::size_t i) { return std::tolower(static_cast<unsigned char>(text[i])); };
    int depth = 0, deepest = 0;
    for (std::size_t i = text.find('<'); i != std::string::npos; i = text.find('<', i + 1)) {
        const bool closing = i + 1 < text.size() && text[i + 1] == '/';
        const std::size_t name = i + 1 + (closing ? 1 : 0);
        if (name + 2 > text.size() || (lower(name) != 'u' && lower(name) != 'o') || lower(name + 1) != 'l' ||
            (name + 2 < text.size() && std::isalnum(static_cast<unsigned char>(text[name + 2])))) {
            continue;
        }
        depth = closing ? std::max(0, depth - 1) : depth + 1;
        deepest = std::max(deepest, depth);
    }
    return deepest;
}

// True when a contents or index file packed in the help archive nests
// deeper than MaxLevels; looked at before the help controller reads it.
bool ArchiveNestsTooDeep(const std::string& helpFile)
{
    wxFFileInputStream file(wxString::FromUTF8(helpFile.c_str()));
    if (!file.IsOk()) {
        return false;
    }
    wxZipInputStream zip(file);
    for (std::unique_ptr<wxZipEntry> entry(zip.GetNextEntry()); entry; entry.reset(zip.GetNextEntry())) {
        const wxString name = entry->GetName().Lower();
        if (!name.EndsWith(".hhc") && !name.EndsWith(".hhk")) {
            continue;
        }
        std::string text;
        char buffer[65536];
        while (zip.Read(buffer, sizeof buffer).LastRead() > 0) {
            text.append(buffer, zip.LastRead());
        }
        if (ListDepth(text) > MaxLevels) {
            return true;
        }
    }
    return false;
}

bool NestsTooDeep(const wxHtmlHelpDataItems& items)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].level > MaxLevels) {
            return true;
        }
    }
    return false;
}

// Gives every page of the notebooks under window the notebook's size and
// lays it out.
void SizeNotebookPages(wxWindow* window)
{
    if (auto* notebook = dynamic_cast<wxNotebook*>(window)) {
        for (std::size_t i = 0; i < notebook->GetPageCount(); ++i) {
            notebook->GetPage(i)->SetSize(notebook->GetClientSize());
            notebook->GetPage(i)->Layout();
        }
        return;
    }
    for (wxWindow* child : window->GetChildren()) {
        SizeNotebookPages(child);
    }
}

// Lays the help window out at its own size before it is first shown. Left
// to the first showing, the pages behind the first tab are still 20 by 20
// pixels when GTK sizes them, and the index list's scroll bars come out with
// a negative size (two Gtk-CRITICAL lines on standard error).
class THelpController : public wxHtmlHelpController {
public:
    using wxHtmlHelpController::wxHtmlHelpController;

protected:
    wxHtmlHelpFrame* CreateHelpFrame(wxHtmlHelpData* data) override
    {
        wxHtmlHelpFrame* frame = wxHtmlHelpController::CreateHelpFrame(data);
        frame->SendSizeEvent(); // the frame, its splitter and notebook take their sizes
        SizeNotebookPages(frame);
        if (PrepareWindow != nullptr) {
            PrepareWindow(frame);
        }
        return frame;
    }
};

void DeleteController()
{
    delete Controller; // first: it writes its window's state into its settings
    Controller = nullptr;
    delete ControllerSettings;
    ControllerSettings = nullptr;
    ControllerOwner = nullptr;
}

void ForgetController(wxWindowDestroyEvent& event)
{
    if (event.GetEventObject() == ControllerOwner) {
        DeleteController();
    }
    event.Skip();
}

} // namespace

bool ShowHelpTopics(wxWindow* owner, const std::string& helpFile, void (*prepare)(wxWindow*))
{
    if (helpFile.empty() || !wxFileName::IsFileReadable(wxString::FromUTF8(helpFile.c_str()))) {
        return false;
    }
    PrepareWindow = prepare;
    wxLogNull quiet; // an unreadable file shows nothing, not an error box
    static bool archivesReadable = false;
    if (!archivesReadable) {
        wxFileSystem::AddHandler(new wxArchiveFSHandler);
        // The start page shows the window: a GIF, which every build of the
        // library reads without an image library of the system's.
        if (wxImage::FindHandler(wxBITMAP_TYPE_GIF) == nullptr) {
            wxImage::AddHandler(new wxGIFHandler);
        }
        archivesReadable = true;
    }
    if (Controller && ControllerOwner != owner) {
        DeleteController();
    }
    if (!Controller) {
        if (ArchiveNestsTooDeep(helpFile)) {
            return false;
        }
        Controller = new THelpController(wxHF_DEFAULT_STYLE | wxHF_MERGE_BOOKS, owner);
        // Room for the contents and a page side by side; index entries are long.
        wxRect screen = wxGetClientDisplayRect();
        ControllerSettings = new wxFileConfig(wxEmptyString, wxEmptyString, wxEmptyString, wxEmptyString, 0);
        ControllerSettings->Write("hcW", std::min(960, screen.width * 9 / 10));
        ControllerSettings->Write("hcH", std::min(660, screen.height * 9 / 10));
        ControllerSettings->Write("hcSashPos", 320);
        Controller->UseConfig(ControllerSettings);
        Controller->SetTitleFormat(_("Orvandale Calculator Help: %s"));
        ControllerOwner = owner;
        if (owner) {
            owner->Bind(wxEVT_DESTROY, &ForgetController);
        }
        // A file that is not a help project adds an empty book: show nothing then either.
        if (!Controller->AddBook(wxFileName(wxString::FromUTF8(helpFile.c_str())), false) ||
            Controller->GetHelpData()->GetContentsArray().size() < 2 || // only the book itself
            NestsTooDeep(Controller->GetHelpData()->GetContentsArray()) ||
            NestsTooDeep(Controller->GetHelpData()->GetIndexArray())) {
            DeleteController();
            return false;
        }
    }
    wxWindow* before = Controller->FindTopLevelWindow();
    Controller->DisplayContents();
    wxWindow* window = Controller->FindTopLevelWindow();
    if (window && window != before) {
        window->Centre(wxBOTH); // a new help window
    }
    return true;
}

std::string HelpBookFor(const std::string& programDirectory, const std::string& language)
{
    // "de_AT.UTF-8" reads the German book, as it reads the German catalog.
    const std::string folder = programDirectory + "/Help/";
    const std::string name = language.substr(0, language.find_first_of(".@"));
    for (const std::string& candidate : {name, name.substr(0, name.find('_'))}) {
        const std::string book = folder + "ovCalculator-" + candidate + ".htb";
        if (!candidate.empty() && wxFileName::FileExists(wxString::FromUTF8(book.c_str()))) {
            return book;
        }
    }
    return folder + "ovCalculator.htb";
}
