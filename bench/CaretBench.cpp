// Time from a caret key in a long equation to an idle event loop, with the
// window shown, so that GTK's redrawing and scrolling of the entry counts.
// Needs a display (xvfb-run -a).
//
//   caret_bench [runs]
#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/utils.h>
#include <wx/xpmhand.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "frmCalculator.h"
#include "ids.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Runs the event loop until it has been quiet for 50 ms; returns when the
// last piece of work finished.
Clock::time_point DrainEvents()
{
    Clock::time_point lastWork = Clock::now();
    while (Milliseconds(lastWork, Clock::now()) < 50.0) {
        bool worked = false;
        while (wxTheApp->Pending()) {
            wxTheApp->Dispatch();
            worked = true;
        }
        if (wxTheApp->ProcessIdle())
            worked = true;
        if (worked)
            lastWork = Clock::now();
        else
            wxMilliSleep(1);
    }
    return lastWork;
}

struct TKey {
    const char* Name;
    int Code;
    bool Control, Shift;
};

const TKey Keys[] = {
    {"Left", WXK_LEFT, false, false},        {"Right", WXK_RIGHT, false, false},
    {"Ctrl+Left", WXK_LEFT, true, false},    {"Shift+Right", WXK_RIGHT, false, true},
    {"Home", WXK_HOME, false, false},        {"End", WXK_END, false, false},
};

class BenchApp : public wxApp {
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
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    wxApp::SetInstance(new BenchApp);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the window system (is there a display?)\n");
        return 1;
    }
    wxEventLoop loop;
    wxEventLoopActivator activate(&loop);

    auto* window = new TfrmCalculator(nullptr, ids::frmCalculator, MainWindowCaption, wxDefaultPosition,
                                      wxDefaultSize, MainWindowStyle);
    frmCalculator = window;
    window->Show();
    auto* box = dynamic_cast<wxComboBox*>(window->FindWindow(ids::cboEquation));
    box->SetFocus();

    std::printf("key to idle, median of %d runs, milliseconds\n%8s", runs, "length");
    for (const TKey& key : Keys)
        std::printf(" %11s", key.Name);
    std::printf("\n");
    for (long length : {2000L, 20000L, 65534L}) {
        wxString text;
        while (static_cast<long>(text.length()) < length)
            text += "12.5+(3*4)-";
        text.Truncate(static_cast<std::size_t>(length));
        box->SetValue(text);
        DrainEvents();
        std::printf("%8ld", length);
        for (const TKey& key : Keys) {
            std::vector<double> times;
            for (int run = 0; run < runs; ++run) {
                box->SetInsertionPoint(length / 2);
                DrainEvents();
                wxKeyEvent event(wxEVT_KEY_DOWN);
                event.m_keyCode = key.Code;
                event.SetControlDown(key.Control);
                event.SetShiftDown(key.Shift);
                event.SetEventObject(box);
                const auto t0 = Clock::now();
                box->ProcessWindowEvent(event);
                times.push_back(Milliseconds(t0, DrainEvents()));
            }
            std::sort(times.begin(), times.end());
            std::printf(" %11.1f", times[times.size() / 2]);
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    window->Destroy();
    frmCalculator = nullptr;
    DrainEvents();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
