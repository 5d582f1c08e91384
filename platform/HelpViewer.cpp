#include "HelpViewer.h"

#include <unistd.h>

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
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
        Controller = new wxHtmlHelpController(wxHF_DEFAULT_STYLE, owner);
        ControllerOwner = owner;
        if (owner)
            owner->Bind(wxEVT_DESTROY, &ForgetController);
        if (!Controller->AddBook(wxFileName(wxString::FromUTF8(helpFile.c_str())), false)) {
            delete Controller;
            Controller = nullptr;
            ControllerOwner = nullptr;
            return;
        }
    }
    Controller->DisplayContents();
}
