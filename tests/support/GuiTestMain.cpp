// The main of every window test program: the tests run inside a wxWidgets
// application object, a wxWidgets assertion is a test failure, a modal
// dialog no test expects fails the test, and a run that matches no test
// fails too (a name filter that matches nothing would pass otherwise).
#include "GuiTestMain.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/imagxpm.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/platinfo.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

int ShowingModals = 0;

class TestApp : public wxApp {
public:
    bool OnInit() override
    {
        // The window's toolbar images and icon are XPM data.
        wxImage::AddHandler(new wxXPMHandler);
        return true;
    }
};

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    // The library's help window trips a debugging check of its own on
    // Windows: it selects its contents tree's hidden root. Harmless, and the
    // program runs without such checks.
    if (wxPlatformInfo::Get().GetOperatingSystemId() & wxOS_WINDOWS && file.Contains("treectrl")) {
        return;
    }
    ADD_FAILURE_AT(file.utf8_str(), line)
        << "wx assertion in " << func.utf8_string() << ": " << cond.utf8_string() << " " << msg.utf8_string();
}

// A modal dialog that no test expects would wait for a click forever: fail
// and dismiss it instead. Tests that expect one script it with wxTEST_DIALOG,
// whose hook is asked first.
class UnexpectedDialogGuard : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override
    {
        if (ShowingModals > 0) {
            return wxID_NONE;
        }
        ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle().utf8_string() << "\"";
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

// A busy Xvfb now and then refuses a client's connection, to any program,
// and GTK gives up at once: a few more tries keep such a refusal from
// failing the whole run.
bool StartWindowSystem(int& argc, char** argv)
{
    // Messages go to stderr: a message box about a failed try would wait
    // for a click once a later try has brought the toolkit up.
    wxLog::DontCreateOnDemand();
    for (int attempt = 0; attempt < 5; ++attempt) {
        delete wxLog::SetActiveTarget(new wxLogStderr);
        wxApp::SetInstance(new TestApp);
        if (wxEntryStart(argc, argv)) {
            return wxTheApp->CallOnInit();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

} // namespace

TModalDialogsShow::TModalDialogsShow()
{
    ++ShowingModals;
}

TModalDialogsShow::~TModalDialogsShow()
{
    --ShowingModals;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS(); // lists only: no display needed
    }
    if (!StartWindowSystem(argc, argv)) {
        std::fprintf(stderr, "cannot start the window system (is there a display?)\n");
        return 1;
    }
    wxSetAssertHandler(FailOnAssert);

    int result = 0;
    {
        UnexpectedDialogGuard guard;
        guard.Register();
        result = RUN_ALL_TESTS();
        guard.Unregister();
    }
    if (::testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::fprintf(stderr, "no test matched\n");
        result = 1;
    }

    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
