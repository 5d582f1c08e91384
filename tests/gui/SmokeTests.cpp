// One end-to-end check with real input: on GTK the keys go to the combo
// box's inner entry, and only a real key press shows that Enter reaches the
// calculate command from there.
#include "UnderWine.h"
#include "CalculatorFixture.h"

#include <wx/uiaction.h>
#include <wx/utils.h>

namespace {

// Lets the window system deliver what the simulator sent and the window
// handle it. Simulated input travels through the X server, so it is not
// there the moment the call returns.
template <class Condition>
bool DeliverUntil(Condition condition)
{
    for (int round = 0; round < 200 && !condition(); ++round) {
        wxYield();
        if (!condition()) {
            wxMilliSleep(10);
        }
    }
    return condition();
}

TEST_F(CalculatorTest, Smoke_TypedEquationAndEnterKeyCalculate)
{
    OV_SKIP_UNDER_WINE("simulated keys and clicks reach the window only with a window manager and focus");
    Window->Show();
    Window->Raise();
    wxComboBox* equation = Equation();
    ASSERT_TRUE(DeliverUntil([&] { return equation->IsShownOnScreen(); }));

    // Click into the entry to give it the keyboard focus, as a user would.
    wxUIActionSimulator simulator;
    const wxRect entry = equation->GetScreenRect();
    simulator.MouseMove(entry.x + entry.width / 4, entry.y + entry.height / 2);
    simulator.MouseClick();
    ASSERT_TRUE(DeliverUntil([&] { return equation->HasFocus() || wxWindow::FindFocus() == equation; }));

    simulator.Text("2+3*4");
    ASSERT_TRUE(DeliverUntil([&] { return equation->GetValue() == "2+3*4"; })) << equation->GetValue();
    simulator.Char(WXK_RETURN);
    ASSERT_TRUE(DeliverUntil([&] { return FieldText(ids::txtDecimal) == "14"; }));

    EXPECT_EQ(FieldText(ids::txtHexadecimal), "E");
    EXPECT_EQ(StepLines(), (std::vector<std::string>{"2+3*4", "2+12", "14"}));
    EXPECT_EQ(RecentEquations().front(), "2+3*4");
    // Enter also went on to the box, which neither lost nor changed the text.
    EXPECT_EQ(EquationText(), "2+3*4");
}

} // namespace
