// The steps box with many steps: time from Enter to an idle event loop, to
// the last line and to the middle drawn, and the memory a calculation adds;
// beside it, the same steps as text in a multi-line text box. Needs a
// display (xvfb-run -a).
//
//   steps_bench [runs]
#include <wx/combobox.h>
#include <wx/dataview.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "EquationEngine.h"
#include "StepHistory.h"
#include "StepsView.h"
#include "WindowBench.h"
#include "frmCalculator.h"
#include "ids.h"

namespace {

using bench::Clock;
using bench::Median;
using bench::Milliseconds;

bool TraceWork = false;

Clock::time_point DrainEvents()
{
    return bench::DrainEvents(100.0, TraceWork);
}

// "1+1+...+1", or a mix of nested groups, powers, roots and divisions.
std::string Equation(int operators, bool mixed)
{
    std::string equation = "1";
    if (!mixed) {
        for (int i = 0; i < operators; ++i) {
            equation += "+1";
        }
        return equation;
    }
    // Terms and their operator counts, joined by "+" and "-": about two
    // characters an operator, so that 30,000 operators fit the equation box.
    static const std::pair<const char*, int> Terms[] = {
        {"1*2/2+1-1^1", 5}, {"((1+1)*2)/4", 3}, {"2&2*3-1", 4}, {"1/2+1-1*1", 4}};
    for (int i = 0, made = 0; made < operators; ++i) {
        const auto& term = Terms[i % 4];
        equation += i % 2 == 0 ? '+' : '-';
        equation += term.first;
        made += term.second + 1;
    }
    return equation;
}

std::string CollectedSteps;
void CollectStep(const std::string& step)
{
    CollectedSteps += step;
    CollectedSteps += '\n';
}

// Resident memory of this process.
double ResidentMegabytes()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

struct TFigures {
    double Engine = 0; // Evaluate with the changes recorded, no window
    double Total = 0;  // Enter to an idle event loop
    double End = 0;    // to the last line, drawn
    double Middle = 0; // the scrollbar to the middle, drawn
    double Memory = 0; // resident memory the calculation added, MB
    std::size_t Lines = 0;
};

TFigures Measure(int operators, bool mixed, int runs)
{
    const std::string equation = Equation(operators, mixed);
    std::vector<double> engine, total, end, middle, memory;
    std::size_t lines = 0;
    for (int run = 0; run < runs; ++run) {
        TStepHistory history;
        TEquationEngine bare;
        std::string text = equation;
        const auto e0 = Clock::now();
        bare.Evaluate(text, &history);
        engine.push_back(Milliseconds(e0, Clock::now()));

        auto* window = new TfrmCalculator(nullptr, ids::frmCalculator, MainWindowCaption, wxDefaultPosition,
                                          wxDefaultSize, MainWindowStyle);
        window->Show();
        auto* box = dynamic_cast<wxComboBox*>(window->FindWindow(ids::cboEquation));
        auto* steps = dynamic_cast<TStepsView*>(window->FindWindow(ids::txtSteps));
        box->SetValue(equation);
        DrainEvents();

        const double before = ResidentMegabytes();
        wxKeyEvent enter(wxEVT_CHAR);
        enter.m_keyCode = WXK_RETURN;
        enter.SetEventObject(box);
        const auto t0 = Clock::now();
        box->ProcessWindowEvent(enter);
        if (TraceWork) {
            std::fprintf(stderr, "calculate %.1f:", Milliseconds(t0, Clock::now()));
        }
        total.push_back(Milliseconds(t0, DrainEvents()));
        memory.push_back(ResidentMegabytes() - before);
        lines = steps->GetLineCount();

        // What Ctrl+End does: the cursor to the last line, scrolled into view.
        GtkTreeView* tree = GTK_TREE_VIEW(steps->GetList()->GtkGetTreeView());
        const auto j0 = Clock::now();
        GtkTreePath* last = gtk_tree_path_new_from_indices(static_cast<int>(lines - 1), -1);
        gtk_tree_view_set_cursor(tree, last, nullptr, FALSE);
        gtk_tree_path_free(last);
        end.push_back(Milliseconds(j0, DrainEvents()));

        // A scrollbar drag to the middle.
        GtkAdjustment* vertical = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(tree));
        const auto m0 = Clock::now();
        gtk_adjustment_set_value(vertical,
                                 (gtk_adjustment_get_upper(vertical) - gtk_adjustment_get_page_size(vertical)) / 2);
        middle.push_back(Milliseconds(m0, DrainEvents()));

        window->Destroy();
        DrainEvents();
    }
    return {Median(engine), Median(total), Median(end), Median(middle), Median(memory), lines};
}

// The steps as a GTK text view took them: every step text built by the
// engine and put into a multi-line text box in one append.
double MeasureTextBox(int operators, int runs)
{
    const std::string equation = Equation(operators, false);
    std::vector<double> total;
    for (int run = 0; run < runs; ++run) {
        auto* frame = new wxFrame(nullptr, wxID_ANY, "steps", wxDefaultPosition, wxSize(500, 300));
        auto* box = new wxTextCtrl(frame, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                   wxTE_MULTILINE | wxTE_READONLY | wxHSCROLL);
        frame->Show();
        DrainEvents();
        const auto t0 = Clock::now();
        TEquationEngine engine;
        TStepObserver collect(CollectStep);
        CollectedSteps.clear();
        std::string text = equation;
        engine.Evaluate(text, &collect);
        box->AppendText(wxString::FromUTF8(CollectedSteps));
        box->SetInsertionPoint(0);
        box->ShowPosition(0);
        total.push_back(Milliseconds(t0, DrainEvents()));
        frame->Destroy();
        DrainEvents();
    }
    return Median(total);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TraceWork = std::getenv("STEPS_TRACE") != nullptr; // when the loop was busy, on standard error
    // Equation sizes in operators: the arguments after the run count.
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) {
        sizes.push_back(std::max(1, std::atoi(argv[i])));
    }
    if (sizes.empty()) {
        sizes = {500, 10000, 30000};
    }
    const bench::TWindowSystem windowSystem(argv);
    if (!windowSystem.IsStarted()) {
        return 1;
    }

    // Animations (the scrollbars fading in and out) would keep the loop busy
    // for a second of frames after every scroll, and the equation box's
    // blinking caret wakes it at its own pace: neither is work of the view.
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, "gtk-cursor-blink", FALSE, nullptr);

    std::printf("median of %d runs; milliseconds, memory in MB\n", runs);
    std::printf("%-6s %9s %7s %9s %11s %9s %9s %8s\n", "shape", "operators", "lines", "engine", "enter→idle", "to last",
                "to middle", "memory");
    for (const bool mixed : {false, true}) {
        for (const int operators : sizes) {
            const TFigures f = Measure(operators, mixed, runs);
            std::printf("%-6s %9d %7zu %9.1f %11.1f %9.1f %9.1f %8.1f\n", mixed ? "mixed" : "ones", operators, f.Lines,
                        f.Engine, f.Total, f.End, f.Middle, f.Memory);
            std::fflush(stdout);
        }
    }
    std::printf("\nfor comparison, every step text in a multi-line text box (1+1+...+1):\n");
    for (const int operators : {500, 2000}) {
        std::printf("%-6s %9d %29.1f\n", "ones", operators, MeasureTextBox(operators, runs));
        std::fflush(stdout);
    }

    return 0;
}
