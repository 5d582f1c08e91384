#include "Application.h"

#include <wx/debug.h>
#include <wx/image.h>
#include <wx/imagxpm.h>

#include <cstdlib>
#ifdef __WXGTK__
#include <fontconfig/fontconfig.h>

#include <thread>
#endif

#include "frmCalculator.h"
#include "ids.h"

wxIMPLEMENT_APP(Application);
wxIMPLEMENT_CLASS(Application, wxApp);

Application::Application()
{
    // The toolkit's own messages and the desktop name the product, not the
    // executable's file name.
    SetAppDisplayName(MainWindowCaption);
#ifdef __WXGTK__
    // GTK opens an OpenGL driver at start-up only to rank the screen's
    // visuals; without hardware that loads a whole software renderer, a
    // third of the start-up time. The window draws nothing with OpenGL.
    // Runs before the toolkit starts, which happens after the application
    // object is made; a setting of the user's own is left alone.
    if (std::getenv("GDK_GL") == nullptr) {
        GlProbeDisabled = ::setenv("GDK_GL", "disable", 0) == 0;
    }

    // Reading the font configuration and its caches is the longest single
    // step before the first text can be measured, and nothing else needs
    // it until the window's fonts are made: read it on the second core
    // while GTK starts. Should the window need it sooner, the library
    // reads it there too and keeps one of the two.
    std::thread([] { FcInit(); }).detach();
#endif
}

bool Application::OnInit()
{
    // A release build shows users no debugging checks of the library (its
    // help window trips one of its own on Windows: a harmless selection of
    // the contents tree's hidden root).
    wxDISABLE_ASSERTS_IN_RELEASE_BUILD();

    // Programs started from here (the web browser) get the environment the
    // user gave this one.
#ifdef __WXGTK__
    if (GlProbeDisabled) {
        ::unsetenv("GDK_GL");
    }
#endif

    // The window's toolbar images and icon are XPM data.
    wxImage::AddHandler(new wxXPMHandler);

    auto* window = new TfrmCalculator(nullptr, ids::frmCalculator, MainWindowCaption, wxDefaultPosition, wxDefaultSize,
                                      MainWindowStyle);
    window->Show(true);
    frmCalculator = window;
    return true;
}

int Application::OnExit()
{
    return wxApp::OnExit();
}
