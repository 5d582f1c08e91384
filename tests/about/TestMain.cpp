// Runs the tests inside an initialised wxWidgets application.
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include <gtest/gtest.h>

namespace {

class TTestApp : public wxApp {
public:
    bool OnInit() override
    {
        wxImage::AddHandler(new wxXPMHandler);
        return true;
    }
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS(); // lists only: no display needed
    wxApp::SetInstance(new TTestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
        return 2;
    int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
