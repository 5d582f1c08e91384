// What the window benchmarks share: a clock, the median, an event loop run
// until it is quiet, and the window system started without a main loop.
// They need a display (xvfb-run -a).
#pragma once

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/utils.h>
#include <wx/imagxpm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the event loop until nothing has been pending for quietMs and returns
// when the last piece of work finished. GTK paces drawing by its frame clock,
// so a quiet moment of a few frames is needed to know it is really done.
// With trace, prints when the loop was busy (ms from the start) on stderr.
inline Clock::time_point DrainEvents(double quietMs, bool trace = false)
{
    const Clock::time_point start = Clock::now();
    Clock::time_point lastWork = start;
    while (Milliseconds(lastWork, Clock::now()) < quietMs) {
        bool worked = false;
        while (wxTheApp->Pending()) {
            wxTheApp->Dispatch();
            worked = true;
        }
        if (wxTheApp->ProcessIdle()) {
            worked = true;
        }
        if (worked) {
            lastWork = Clock::now();
            if (trace) {
                std::fprintf(stderr, " %.1f", Milliseconds(start, lastWork));
            }
        } else {
            wxMilliSleep(1);
        }
    }
    if (trace) {
        std::fputs("\n", stderr);
    }
    return lastWork;
}

class TBenchApp : public wxApp {
public:
    bool OnInit() override
    {
        wxImage::AddHandler(new wxXPMHandler);
        return true;
    }
};

// The window system for the life of the object, with an active event loop
// for Pending() and Dispatch(); there is no MainLoop().
class TWindowSystem {
public:
    explicit TWindowSystem(char** argv)
    {
        wxApp::SetInstance(new TBenchApp);
        int argc = 1;
        Started = wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
        if (Started) {
            Loop = std::make_unique<wxEventLoop>();
            Activator = std::make_unique<wxEventLoopActivator>(Loop.get());
        } else {
            std::fprintf(stderr, "cannot start the window system (is there a display?)\n");
        }
    }

    ~TWindowSystem()
    {
        if (!Started) {
            return;
        }
        Activator.reset();
        Loop.reset();
        wxTheApp->OnExit();
        wxEntryCleanup();
    }

    TWindowSystem(const TWindowSystem&) = delete;
    TWindowSystem& operator=(const TWindowSystem&) = delete;

    [[nodiscard]] bool IsStarted() const { return Started; }

private:
    bool Started = false;
    std::unique_ptr<wxEventLoop> Loop;
    std::unique_ptr<wxEventLoopActivator> Activator;
};

} // namespace bench
