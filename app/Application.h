// The application object: builds and shows the main window.
#pragma once

#include <wx/app.h>

class Application : public wxApp {
    wxDECLARE_CLASS(Application);
    wxDECLARE_EVENT_TABLE();

public:
    bool OnInit() override;
    int OnExit() override;
};

wxDECLARE_APP(Application);
