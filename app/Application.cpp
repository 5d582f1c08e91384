#include "Application.h"

#include <wx/debug.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/imagxpm.h>

#include "EndSignals.h"
#include "ExecutablePath.h"
#include "NativeWidgets.h"
#include "Translations.h"
#include "ToolkitStart.h"
#include "frmCalculator.h"
#include "ids.h"

wxIMPLEMENT_APP(Application);
wxIMPLEMENT_CLASS(Application, wxApp);

namespace {

// A request to end from outside closes the main window as its close button
// does. A dialog open over it (About, a message) is closed first, and the
// window only once the dialog's own loop has returned: the dialog lives on
// the stack of the command that showed it, and must not go with the window.
void CloseFromOutside()
{
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog != nullptr && dialog->IsModal()) {
            dialog->EndModal(wxID_CANCEL);
        }
    }
    const wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop != nullptr && !loop->IsMain()) {
        wxTheApp->CallAfter([] { CloseFromOutside(); });
        return;
    }
    if (wxWindow* top = wxTheApp->GetTopWindow()) {
        top->Close(true);
        // The window is deleted when the program next goes idle, and with
        // no input coming (a compositor sends none to a hidden window) it
        // would never go: woken here.
        wxWakeUpIdle();
    }
}

} // namespace

Application::Application()
{
    // The toolkit's own messages and the desktop name the product, not the
    // executable's file name.
    SetAppDisplayName(MainWindowCaption);
    // One id for the desktop entry, the icon, the software centres and the
    // window: the desktop ties the window to its launcher by it.
    SetApplicationId(OV_APP_ID);
    // Runs before the toolkit starts, which happens after the application
    // object is made.
    PrepareToolkitStart();
}

bool Application::OnInit()
{
    // A release build shows users no debugging checks of the library (its
    // help window trips one of its own on Windows: a harmless selection of
    // the contents tree's hidden root).
    wxDISABLE_ASSERTS_IN_RELEASE_BUILD();

    SetApplicationId(OV_APP_ID);
    UseUserLanguage(DirectoryOf(ExecutablePath()));

    // The window's toolbar images and icon are XPM data.
    wxImage::AddHandler(new wxXPMHandler);

    auto* window = new TfrmCalculator(nullptr, ids::frmCalculator, MainWindowCaption, wxDefaultPosition, wxDefaultSize,
                                      MainWindowStyle);
    SetWindowClass(window, OV_APP_ID);
    window->Show(true);
    // The window closed from outside, whatever other windows there are.
    SetTopWindow(window);
    // A logout or kill closes the window as its close button does.
    CloseOnEndSignals(&CloseFromOutside);
    // The window is made, and with it its fonts: what was begun for the
    // start is done.
    FinishToolkitStart();
    return true;
}
