#include "HelpViewer.h"

#include <algorithm>
#include <unistd.h>

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/log.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

namespace {

// The one help controller, owned here and deleted with its owner window.
wxHtmlHelpController* Controller = nullptr;
wxWindow* ControllerOwner = nullptr;

void ForgetController(wxWindowDestroyEvent& event)
{
    if (event.GetEventObject() == ControllerOwner) {
        delete Controller;
        Controller = nullptr;
        ControllerOwner = nullptr;
    }
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
    if (Controller && ControllerOwner != owner) {
        delete Controller;
        Controller = nullptr;
    }
    if (!Controller) {
        Controller = new wxHtmlHelpController(wxHF_DEFAULT_STYLE | wxHF_MERGE_BOOKS, owner);
        Controller->SetTitleFormat("Orvandale Calculator Help: %s");
        ControllerOwner = owner;
        if (owner)
            owner->Bind(wxEVT_DESTROY, &ForgetController);
        // A file that is not a help project adds an empty book: show nothing then either.
        if (!Controller->AddBook(wxFileName(wxString::FromUTF8(helpFile.c_str())), false) ||
            Controller->GetHelpData()->GetContentsArray().size() < 2) { // only the book itself
            delete Controller;
            Controller = nullptr;
            ControllerOwner = nullptr;
            return;
        }
    }
    wxWindow* before = Controller->FindTopLevelWindow();
    Controller->DisplayContents();
    wxWindow* window = Controller->FindTopLevelWindow();
    if (window && window != before) {
        // A new help window: room for the contents and a page side by side.
        wxRect screen = wxGetClientDisplayRect();
        window->SetSize(std::min(900, screen.width * 9 / 10), std::min(650, screen.height * 9 / 10));
        window->Centre(wxBOTH);
    }
}
