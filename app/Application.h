// The application object: builds and shows the main window.
#pragma once

#include <wx/app.h>

class Application : public wxApp {
    wxDECLARE_CLASS(Application);

public:
    Application();
    bool OnInit() override;
    // Left to right in every locale: the window's texts are English and
    // equations read left to right. Asking the locale instead makes the
    // library build its whole table of languages at start-up.
    wxLayoutDirection GetLayoutDirection() const override { return wxLayout_LeftToRight; }
};

wxDECLARE_APP(Application);
