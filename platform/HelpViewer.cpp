#include "HelpViewer.h"

#include <algorithm>
#include <unistd.h>

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fileconf.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/log.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

namespace {

// The one help controller, owned here and deleted with its owner window, and
// the settings it starts its window with (kept in memory only).
wxHtmlHelpController* Controller = nullptr;
wxFileConfig* ControllerSettings = nullptr;
wxWindow* ControllerOwner = nullptr;

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
    if (event.GetEventObject() == ControllerOwner)
        DeleteController();
    event.Skip();
}

} // namespace

void ShowHelpTopics(wxWindow* owner, const std::string& helpFile)
{
    if (helpFile.empty() || ::access(helpFile.c_str(), R_OK) != 0)
        return;
    wxLogNull quiet; // an unreadable file shows nothing, not an error box
    static bool archivesReadable = false;
    if (!archivesReadable) {
        wxFileSystem::AddHandler(new wxArchiveFSHandler);
        archivesReadable = true;
    }
    if (Controller && ControllerOwner != owner)
        DeleteController();
    if (!Controller) {
        Controller = new wxHtmlHelpController(wxHF_DEFAULT_STYLE | wxHF_MERGE_BOOKS, owner);
        // Room for the contents and a page side by side; index entries are long.
        wxRect screen = wxGetClientDisplayRect();
        ControllerSettings = new wxFileConfig(wxEmptyString, wxEmptyString, wxEmptyString, wxEmptyString, 0);
        ControllerSettings->Write("hcW", std::min(960, screen.width * 9 / 10));
        ControllerSettings->Write("hcH", std::min(660, screen.height * 9 / 10));
        ControllerSettings->Write("hcSashPos", 320);
        Controller->UseConfig(ControllerSettings);
        Controller->SetTitleFormat("Orvandale Calculator Help: %s");
        ControllerOwner = owner;
        if (owner)
            owner->Bind(wxEVT_DESTROY, &ForgetController);
        // A file that is not a help project adds an empty book: show nothing then either.
        if (!Controller->AddBook(wxFileName(wxString::FromUTF8(helpFile.c_str())), false) ||
            Controller->GetHelpData()->GetContentsArray().size() < 2) { // only the book itself
            DeleteController();
            return;
        }
    }
    wxWindow* before = Controller->FindTopLevelWindow();
    Controller->DisplayContents();
    wxWindow* window = Controller->FindTopLevelWindow();
    if (window && window != before)
        window->Centre(wxBOTH); // a new help window
}
