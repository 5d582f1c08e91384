// Runs the tests inside an initialised wxWidgets application.
#include <wx/app.h>
#include <wx/debug.h>
#include <wx/image.h>
#include <wx/init.h>

#include <gtest/gtest.h>

namespace {

class TTestApp : public wxApp {
public:
    bool OnInit() override
    {
        wxImage::AddHandler(new wxXPMHandler);
#ifdef __WXMSW__
        // The library's help window trips a debugging check of its own on
        // Windows (it selects its contents tree's hidden root), which would
        // wait for a click in a box; the program runs without such checks.
        wxDisableAsserts();
#endif
        return true;
    }
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS(); // lists only: no display needed
    }
    wxApp::SetInstance(new TTestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        return 2;
    }
    int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
