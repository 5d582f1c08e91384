// The application object: builds and shows the main window.
#pragma once

#include <wx/app.h>

class Application : public wxApp {
    wxDECLARE_CLASS(Application);
    wxDECLARE_EVENT_TABLE();

public:
    Application();
    bool OnInit() override;
    int OnExit() override;

private:
    bool GlProbeDisabled = false;
};

wxDECLARE_APP(Application);
