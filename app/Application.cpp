#include "Application.h"

#include <wx/debug.h>
#include <wx/image.h>
#include <wx/imagxpm.h>

#include "ExecutablePath.h"
#include "NativeWidgets.h"
#include "Translations.h"
#include "ToolkitStart.h"
#include "frmCalculator.h"
#include "ids.h"

wxIMPLEMENT_APP(Application);
wxIMPLEMENT_CLASS(Application, wxApp);

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

    FinishToolkitStart();
    SetApplicationId(OV_APP_ID);
    UseUserLanguage(DirectoryOf(ExecutablePath()));

    // The window's toolbar images and icon are XPM data.
    wxImage::AddHandler(new wxXPMHandler);

    auto* window = new TfrmCalculator(nullptr, ids::frmCalculator, MainWindowCaption, wxDefaultPosition, wxDefaultSize,
                                      MainWindowStyle);
    SetWindowClass(window, OV_APP_ID);
    window->Show(true);
    frmCalculator = window;
    return true;
}

int Application::OnExit()
{
    return wxApp::OnExit();
}
