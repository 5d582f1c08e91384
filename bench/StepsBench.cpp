// Time from Enter to an idle event loop for calculations with many steps,
// split into where it goes: the engine, putting the text into the steps box,
// and GTK laying the text out afterwards. Needs a display (xvfb-run -a).
//
//   steps_bench [runs]
#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/xpmhand.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EquationEngine.h"
#include "frmCalculator.h"
#include "ids.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the event loop until nothing has been pending for a while and returns
// when the last piece of work finished. GTK paces drawing by its frame clock,
// so a quiet moment of a few frames is needed to know it is really done.
Clock::time_point DrainEvents()
{
    Clock::time_point lastWork = Clock::now();
    while (Milliseconds(lastWork, Clock::now()) < 100.0) {
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

std::string Equation(int operators)
{
    std::string equation = "1";
    for (int i = 0; i < operators; ++i)
        equation += "+1";
    return equation;
}

std::string CollectedSteps;
void CollectStep(const std::string& step)
{
    CollectedSteps += step;
    CollectedSteps += '\n';
}
void IgnoreError(std::string, int) {}

struct TFigures {
    double Engine = 0;    // Evaluate with the steps collected as text
    double Calculate = 0; // Enter to the handler's return: engine and text in the box
    double Total = 0;     // Enter to an idle event loop
    double PerStep = 0;   // the same text appended one line at a time, to idle
};

TFigures Measure(int operators, int runs)
{
    const std::string equation = Equation(operators);
    std::vector<double> engine, calculate, total, perStep;
    for (int run = 0; run < runs; ++run) {
        TEquationEngine bare(IgnoreError, CollectStep);
        CollectedSteps.clear();
        std::string text = equation;
        const auto e0 = Clock::now();
        bare.Evaluate(text);
        engine.push_back(Milliseconds(e0, Clock::now()));

        auto* window = new TfrmCalculator(nullptr, ids::frmCalculator, MainWindowCaption, wxDefaultPosition,
                                          wxDefaultSize, MainWindowStyle);
        frmCalculator = window;
        window->Show();
        auto* box = dynamic_cast<wxComboBox*>(window->FindWindow(ids::cboEquation));
        auto* steps = dynamic_cast<wxTextCtrl*>(window->FindWindow(ids::txtSteps));
        box->SetValue(equation);
        DrainEvents();

        wxKeyEvent enter(wxEVT_CHAR);
        enter.m_keyCode = WXK_RETURN;
        enter.SetEventObject(box);
        const auto t0 = Clock::now();
        box->ProcessWindowEvent(enter);
        const auto t1 = Clock::now();
        const auto t2 = DrainEvents();
        calculate.push_back(Milliseconds(t0, t1));
        total.push_back(Milliseconds(t0, t2));

        // The alternative: one append per step as the engine reports it.
        steps->Clear();
        DrainEvents();
        const auto p0 = Clock::now();
        for (std::size_t start = 0; start < CollectedSteps.size();) {
            const std::size_t end = CollectedSteps.find('\n', start) + 1;
            steps->AppendText(wxString::FromUTF8(CollectedSteps.data() + start, end - start));
            start = end;
        }
        perStep.push_back(Milliseconds(p0, DrainEvents()));

        window->Destroy();
        frmCalculator = nullptr;
        DrainEvents();
    }
    return {Median(engine), Median(calculate), Median(total), Median(perStep)};
}

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

    // Pending() and Dispatch() work on the active loop; there is no MainLoop().
    wxEventLoop loop;
    wxEventLoopActivator activate(&loop);

    std::printf("median of %d runs, milliseconds\n", runs);
    std::printf("%6s %9s %10s %11s %13s %16s\n", "steps", "engine", "calculate", "enter→idle", "layout etc.",
                "append per step");
    for (int operators : {500, 1000, 2000}) {
        const TFigures f = Measure(operators, runs);
        std::printf("%6d %9.1f %10.1f %11.1f %13.1f %16.1f\n", operators + 1, f.Engine, f.Calculate, f.Total,
                    f.Total - f.Calculate, f.PerStep);
        std::fflush(stdout);
    }

    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
