#include "EquationEngine.h"
#include "EngineRecorder.h"
#include "StepHistory.h"
#include "EquationGenerator.h"
#include "ReferenceReduction.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/mman.h>
#endif

#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

// The engine's steps, result and fault agree with the plain reduction.
TEST(EquationEngineRobustness, AgreesWithPlainReductionOnRandomEquations)
{
    TEquationGenerator generator(20261208);
    TEquationEngine engine;
    TEquationEngine silent;
    TRecorder recorder;
    TRecorder quietRecorder(false);
    for (int n = 0; n < 3000; ++n) {
        const std::string equation = generator.Next();
        SCOPED_TRACE(equation);
        TEquationEngine scanner;
        ASSERT_TRUE(scanner.Scan(equation));
        TReferenceReduction reference(scanner.Tokens());
        std::string expected;
        const bool expectedOk = reference.Run(expected);

        recorder.Clear();
        std::string result = equation;
        ASSERT_EQ(recorder.Evaluate(engine, result), expectedOk);
        EXPECT_EQ(recorder.Steps, reference.Steps);
        if (expectedOk) {
            EXPECT_EQ(result, expected);
            EXPECT_EQ(recorder.ErrorCount, 0);
        } else {
            EXPECT_EQ(result, equation);
            EXPECT_EQ(recorder.ErrorCount, 1);
            EXPECT_EQ(recorder.Message, reference.Message);
            EXPECT_EQ(recorder.Position, reference.Position);
        }

        quietRecorder.Clear();
        std::string quiet = equation;
        ASSERT_EQ(quietRecorder.Evaluate(silent, quiet), expectedOk);
        EXPECT_TRUE(quietRecorder.Steps.empty());
        EXPECT_EQ(quiet, result);
        EXPECT_EQ(quietRecorder.Position, expectedOk ? NoPosition : reference.Position);
    }
}

// Engines share nothing: two evaluate on two threads at once, with steps and
// changes observed, and each gives what it gives alone. Run under
// ThreadSanitizer too, which finds any state they would share.
TEST(EquationEngineRobustness, TwoEnginesOnTwoThreads)
{
    struct TRun {
        std::vector<std::string> Equations;
        std::vector<std::string> Answers; // result, or message and position
        std::vector<std::size_t> Lines;   // steps kept as changes
    };
    const auto run = [](TRun& work) {
        TEquationEngine engine;
        TRecorder recorder;
        TStepHistory history;
        recorder.Changes = &history;
        for (const std::string& equation : work.Equations) {
            recorder.Clear();
            std::string text = equation;
            const bool ok = recorder.Evaluate(engine, text);
            work.Answers.push_back(ok ? text : recorder.Message + " at " + std::to_string(recorder.Position));
            work.Lines.push_back(history.Count() * 1000 + recorder.StepCount);
        }
    };
    TRun runs[2];
    for (int k = 0; k < 2; ++k) {
        TEquationGenerator generator(20261209 + k);
        for (int n = 0; n < 1500; ++n) {
            runs[k].Equations.push_back(generator.Next());
        }
    }
    TRun alone[2] = {{runs[0].Equations, {}, {}}, {runs[1].Equations, {}, {}}};
    run(alone[0]);
    run(alone[1]);
    std::thread second([&] { run(runs[1]); });
    run(runs[0]);
    second.join();
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(runs[k].Answers, alone[k].Answers) << "thread " << k;
        EXPECT_EQ(runs[k].Lines, alone[k].Lines) << "thread " << k;
    }
}

std::string Repeat(std::string_view part, std::size_t times)
{
    std::string text;
    text.reserve(part.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text += part;
    }
    return text;
}

// Huge inputs give a result or one clear fault, without exhausting the stack
// (nesting is not recursion) and without work beyond the steps reported.
TEST(EquationEngineRobustness, HugeInputs)
{
    constexpr std::size_t Depth = 30000;
    constexpr std::size_t Megabyte = 1 << 20;
    struct TRow {
        std::string Equation;
        bool WithSteps;
        const char* Result; // null: a fault
        std::string_view Message;
        std::size_t Position;
        std::size_t Steps;
    };
    static const TRow Rows[] = {
        // Deep nesting: one step per group plus the first.
        {Repeat("(", Depth) + "1" + Repeat(")", Depth), false, "1", {}, NoPosition, 0},
        {Repeat("(", 2000) + "1+2" + Repeat(")", 2000), true, "3", {}, NoPosition, 2002},
        // A sign before every group: a join at every level.
        {Repeat("-(", Depth) + "7" + Repeat(")", Depth), false, "7", {}, NoPosition, 0},
        {Repeat("-(", Depth - 1) + "7" + Repeat(")", Depth - 1), false, "-7", {}, NoPosition, 0},
        {Repeat("(1+", Depth) + "1" + Repeat(")", Depth), false, "30001", {}, NoPosition, 0},
        {Repeat("(", Depth) + "1" + Repeat(")", Depth - 1), false, nullptr, MessageNoClosingParenthesis, 0, 0},
        {Repeat("(", Depth) + "1/0" + Repeat(")", Depth), false, nullptr, MessageDivisionByZero, Depth + 1, 0},
        // A megabyte of one thing; long flat equations.
        {Repeat("1", Megabyte), true, nullptr, {}, NoPosition, 1},
        {Repeat(" ", Megabyte), true, nullptr, MessageUnexpectedCharacter, Megabyte - 1, 0},
        {Repeat("(", Megabyte / 4), true, nullptr, MessageNoClosingParenthesis, 0, 0},
        {Repeat("1.", Megabyte / 2), true, nullptr, MessageSecondDecimalPoint, 3, 0},
        {"1" + Repeat("z", Megabyte), true, nullptr, MessageInvalidCharacter, 1, 0},
        {"1" + Repeat("+1", 100000), false, "100001", {}, NoPosition, 0},
        {"2" + Repeat("*1^1-1+1/1", 20000), false, "2", {}, NoPosition, 0},
    };
    for (const auto& row : Rows) {
        SCOPED_TRACE(row.Equation.substr(0, 40));
        TRecorder recorder(row.WithSteps);
        recorder.KeepSteps = false;
        TEquationEngine engine;
        std::string equation = row.Equation;
        const bool ok = recorder.Evaluate(engine, equation);
        if (row.Result == nullptr && row.Message.empty()) {
            // A lone number is handed back as typed.
            EXPECT_TRUE(ok);
            EXPECT_EQ(equation, row.Equation);
        } else if (row.Result != nullptr) {
            EXPECT_TRUE(ok);
            EXPECT_EQ(equation, row.Result);
            EXPECT_EQ(recorder.ErrorCount, 0);
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(recorder.ErrorCount, 1);
            EXPECT_EQ(recorder.Message, row.Message);
            EXPECT_EQ(recorder.Position, row.Position);
        }
        if (row.WithSteps) {
            EXPECT_EQ(recorder.StepCount, row.Steps);
        }
    }
}

// An observer that cannot keep a step, or memory that runs out: a fault with
// its message, never an exception, and the next equation is answered.
TEST(EquationEngineRobustness, LimitsAreFaultsNotExceptions)
{
    struct TThrowingObserver final : TEvaluationObserver {
        [[nodiscard]] bool WantsChanges() const override { return true; }
        bool OnChange(const TStepChange&) override { throw std::bad_alloc(); }
    };
    TStepHistory small(40); // 40 characters of step texts
    TThrowingObserver throwing;
    struct TRow {
        TEvaluationObserver* Observer;
        std::string Equation;
        std::string_view Message;
        std::size_t Position;
    } rows[] = {
        {&small, Repeat("1+", 30) + "1", MessageEquationTooLong, 0},    // the first step
        {&small, "10+20+30+40+50+60+70+80", MessageEquationTooLong, 2}, // the steps after it
        {&throwing, "1+2", MessageOutOfMemory, NoPosition},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Equation);
        TEquationEngine engine;
        std::string equation = row.Equation;
        const TEvaluation outcome = engine.Evaluate(equation, row.Observer);
        EXPECT_FALSE(outcome);
        EXPECT_EQ(outcome.Message, row.Message);
        EXPECT_EQ(outcome.Position, row.Position);
        equation = "6*7";
        EXPECT_TRUE(engine.Evaluate(equation));
        EXPECT_EQ(equation, "42");
    }
#ifndef _WIN32
    // Longer than the token list can index: refused before a byte is read
    // (the pages are address space only).
    const std::size_t size = TEquationEngine::EquationLengthLimit + 1;
    void* pages = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    TEquationEngine engine;
    const TEvaluation outcome = engine.Scan(std::string_view(static_cast<const char*>(pages), size));
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.Message, MessageEquationTooLong);
    EXPECT_EQ(outcome.Position, TEquationEngine::EquationLengthLimit);
    munmap(pages, size);
#endif
}

// Any bytes at all: a result, or exactly one fault at a place in the text.
TEST(EquationEngineRobustness, RandomBytes)
{
    std::mt19937 random(7);
    TEquationEngine engine;
    TRecorder recorder;
    for (int n = 0; n < 20000; ++n) {
        std::string equation(random() % 40, '\0');
        for (char& c : equation) {
            // Mostly the equation's own characters, so that many texts get far.
            static constexpr std::string_view Common = "0123456789.+-*/^&() ";
            c = random() % 4 != 0 ? Common[random() % Common.size()] : static_cast<char>(random());
        }
        SCOPED_TRACE(::testing::PrintToString(equation));
        recorder.Clear();
        std::string result = equation;
        if (recorder.Evaluate(engine, result)) {
            EXPECT_EQ(recorder.ErrorCount, 0);
            EXPECT_FALSE(result.empty());
            EXPECT_EQ(recorder.Steps.back(), result);
        } else {
            EXPECT_EQ(result, equation);
            EXPECT_EQ(recorder.ErrorCount, equation.empty() ? 0 : 1);
            if (!equation.empty()) {
                EXPECT_LT(recorder.Position, equation.size());
            }
        }
    }
}

} // namespace
