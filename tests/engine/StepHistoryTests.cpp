#include "StepHistory.h"
#include "EngineRecorder.h"
#include "EquationGenerator.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Every line of the history, whole and in slices, is the step the engine
// reported as text; each mark spans exactly what differs from the next line;
// and a history filled without step texts built is the same.
TEST(StepHistory, AgreesWithStepTextsOnRandomEquations)
{
    TEquationGenerator generator(20261209);
    std::mt19937 random(5);
    TStepHistory history;
    TStepHistory alone;
    TEquationEngine engine;
    TRecorder recorder;
    recorder.Changes = &history;
    TEquationEngine changesOnly;
    for (int n = 0; n < 3000; ++n) {
        // Now and then several equations in one, for deeper trees.
        std::string equation = generator.Next();
        for (int more = n % 10 == 0 ? 20 : 0; more > 0; --more) {
            equation += Operators[more % Operators.size()].Symbol + generator.Next();
        }
        SCOPED_TRACE(equation);
        recorder.Clear();
        std::string result = equation;
        const bool ok = recorder.Evaluate(engine, result);
        std::string quiet = equation;
        ASSERT_EQ(bool(changesOnly.Evaluate(quiet, &alone)), ok);

        const auto& steps = recorder.Steps;
        ASSERT_EQ(history.Count(), steps.size());
        ASSERT_EQ(alone.Count(), steps.size());
        for (std::size_t k = 0; k < steps.size(); ++k) {
            const std::string& step = steps[k];
            ASSERT_EQ(history.Line(k), step) << "line " << k;
            ASSERT_EQ(alone.Line(k), step) << "line " << k;
            ASSERT_EQ(history.LineLength(k), step.size());
            const std::size_t column = random() % (step.size() + 2);
            const std::size_t width = random() % 12;
            ASSERT_EQ(history.Line(k, column, width), column < step.size() ? step.substr(column, width) : "");

            const TStepHistory::TMark mark = history.MarkOf(k);
            if (k + 1 == steps.size()) {
                // After a failure, the operation that failed.
                EXPECT_EQ(mark.Length == 0, ok);
                EXPECT_LE(mark.Start + mark.Length, step.size());
                continue;
            }
            const std::string& next = steps[k + 1];
            ASSERT_LE(mark.Start + mark.Length, step.size());
            const std::size_t keptTail = step.size() - mark.Start - mark.Length;
            EXPECT_EQ(step.substr(0, mark.Start), next.substr(0, mark.Start));
            EXPECT_EQ(step.substr(mark.Start + mark.Length), next.substr(next.size() - keptTail));
        }
        EXPECT_GE(history.LongestLine(), steps.empty() ? 0 : steps[0].size());
    }
}

// Marks on a few known equations: the operation, the group, the join.
TEST(StepHistory, MarksTheNextReduction)
{
    struct TRow {
        const char* Equation;
        std::vector<std::string> Marked; // of each line but the last, or of every line after a failure
    };
    const TRow Rows[] = {
        {"2+3*4", {"3*4", "2+12"}},
        {"-(2+3)*2", {"2+3", "-(5)", "-5*2"}},
        {"2(3)", {"2(3)"}},
        {"(1)+ 1", {"(1)", "1+1"}},
        // the operation that failed, on the last line
        {"1+6-4/0+7", {"4/0"}},
        {"2*3+(-8&3)", {"-8&3"}},
        {"2(-3)", {"2(-3)"}},
    };
    TStepHistory history;
    TEquationEngine engine;
    for (const auto& row : Rows) {
        SCOPED_TRACE(row.Equation);
        std::string equation = row.Equation;
        const bool ok = bool(engine.Evaluate(equation, &history));
        ASSERT_EQ(history.Count(), row.Marked.size() + (ok ? 1 : 0));
        for (std::size_t k = 0; k < row.Marked.size(); ++k) {
            const auto mark = history.MarkOf(k);
            EXPECT_EQ(history.Line(k, mark.Start, mark.Length), row.Marked[k]);
        }
    }
}

} // namespace
