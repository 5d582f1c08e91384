// Time from a caret key in a long equation to an idle event loop, with the
// window shown, so that GTK's redrawing and scrolling of the entry counts;
// and the same for a typed character (its undo record included) and for
// Ctrl+Z taking it back.
// Needs a display (xvfb-run -a).
//
//   caret_bench [runs]
#include <wx/combobox.h>

#include <cstdlib>
#include <vector>

#include "WindowBench.h"
#include "frmCalculator.h"
#include "ids.h"

namespace {

using bench::Clock;
using bench::Milliseconds;

// Runs the event loop until it has been quiet for 50 ms; returns when the
// last piece of work finished.
Clock::time_point DrainEvents()
{
    return bench::DrainEvents(50.0);
}

struct TKey {
    const char* Name;
    int Code; // 0: a character typed, which the box puts in itself
    bool Control, Shift;
};

const TKey Keys[] = {
    {"Left", WXK_LEFT, false, false},     {"Right", WXK_RIGHT, false, false},
    {"Ctrl+Left", WXK_LEFT, true, false}, {"Shift+Right", WXK_RIGHT, false, true},
    {"Home", WXK_HOME, false, false},     {"End", WXK_END, false, false},
    {"Type 7", 0, false, false},          {"Ctrl+Z", 'Z', true, false},
};

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bench::TWindowSystem windowSystem(argv);
    if (!windowSystem.IsStarted()) {
        return 1;
    }

    auto* window = new TfrmCalculator(nullptr, ids::frmCalculator, MainWindowCaption, wxDefaultPosition, wxDefaultSize,
                                      MainWindowStyle);
    window->Show();
    auto* box = dynamic_cast<wxComboBox*>(window->FindWindow(ids::cboEquation));
    box->SetFocus();

    std::printf("key to idle, median of %d runs, milliseconds\n%8s", runs, "length");
    for (const TKey& key : Keys) {
        std::printf(" %11s", key.Name);
    }
    std::printf("\n");
    for (long length : {2000L, 20000L, 65534L}) {
        wxString text;
        while (static_cast<long>(text.length()) < length) {
            text += "12.5+(3*4)-";
        }
        text.Truncate(static_cast<std::size_t>(length));
        box->SetValue(text);
        DrainEvents();
        std::printf("%8ld", length);
        for (const TKey& key : Keys) {
            std::vector<double> times;
            for (int run = 0; run < runs; ++run) {
                // A character typed needs a place left in the box.
                box->SetValue(key.Code == 0 || key.Code == 'Z' ? text.Left(length - 1) : text);
                box->SetInsertionPoint(length / 2);
                if (key.Code == 'Z') {
                    box->WriteText("7"); // to take back
                }
                DrainEvents();
                if (key.Code == 0) {
                    const auto t0 = Clock::now();
                    box->WriteText("7");
                    times.push_back(Milliseconds(t0, DrainEvents()));
                    continue;
                }
                wxKeyEvent event(wxEVT_KEY_DOWN);
                event.m_keyCode = key.Code;
                event.SetControlDown(key.Control);
                event.SetShiftDown(key.Shift);
                event.SetEventObject(box);
                const auto t0 = Clock::now();
                box->ProcessWindowEvent(event);
                times.push_back(Milliseconds(t0, DrainEvents()));
            }
            std::printf(" %11.1f", bench::Median(times));
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    window->Destroy();
    DrainEvents();
    return 0;
}
