#include "Application.h"

#include <wx/image.h>
#include <wx/xpmhand.h>

#include "frmCalculator.h"
#include "ids.h"

wxIMPLEMENT_APP(Application);
wxIMPLEMENT_CLASS(Application, wxApp);

wxBEGIN_EVENT_TABLE(Application, wxApp)
wxEND_EVENT_TABLE()

bool Application::OnInit()
{
    // The window's toolbar images and icon are XPM data.
    wxImage::AddHandler(new wxXPMHandler);

    auto* window = new TfrmCalculator(nullptr, ids::frmCalculator, MainWindowCaption, wxDefaultPosition,
                                      wxDefaultSize, MainWindowStyle);
    window->Show(true);
    frmCalculator = window;
    return true;
}

int Application::OnExit()
{
    return wxApp::OnExit();
}
