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
#include <vector>

namespace {

// The engine's steps, result and fault agree with the plain reduction.
TEST(EquationEngineRobustness, AgreesWithPlainReductionOnRandomEquations)
{
    TEquationGenerator generator(20261208);
    TEquationEngine engine(RecordError, RecordStep);
    TEquationEngine silent(RecordError, nullptr);
    for (int n = 0; n < 3000; ++n) {
        const std::string equation = generator.Next();
        SCOPED_TRACE(equation);
        TEquationEngine scanner(nullptr, nullptr);
        ASSERT_TRUE(scanner.Scan(equation));
        TReferenceReduction reference(scanner.Tokens());
        std::string expected;
        const bool expectedOk = reference.Run(expected);

        Recorder = {};
        std::string result = equation;
        ASSERT_EQ(engine.Evaluate(result), expectedOk);
        EXPECT_EQ(Recorder.Steps, reference.Steps);
        if (expectedOk) {
            EXPECT_EQ(result, expected);
            EXPECT_EQ(Recorder.ErrorCount, 0);
        } else {
            EXPECT_EQ(result, equation);
            EXPECT_EQ(Recorder.ErrorCount, 1);
            EXPECT_EQ(Recorder.Message, reference.Message);
            EXPECT_EQ(Recorder.Position, reference.Position);
        }

        Recorder = {};
        std::string quiet = equation;
        ASSERT_EQ(silent.Evaluate(quiet), expectedOk);
        EXPECT_EQ(quiet, result);
        EXPECT_EQ(Recorder.Position, expectedOk ? -1 : reference.Position);
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
        int Position;
        std::size_t Steps;
    };
    static const TRow Rows[] = {
        // Deep nesting: one step per group plus the first.
        {Repeat("(", Depth) + "1" + Repeat(")", Depth), false, "1", {}, -1, 0},
        {Repeat("(", 2000) + "1+2" + Repeat(")", 2000), true, "3", {}, -1, 2002},
        // A sign before every group: a join at every level.
        {Repeat("-(", Depth) + "7" + Repeat(")", Depth), false, "7", {}, -1, 0},
        {Repeat("-(", Depth - 1) + "7" + Repeat(")", Depth - 1), false, "-7", {}, -1, 0},
        {Repeat("(1+", Depth) + "1" + Repeat(")", Depth), false, "30001", {}, -1, 0},
        {Repeat("(", Depth) + "1" + Repeat(")", Depth - 1), false, nullptr, MessageNoClosingParenthesis, 0, 0},
        {Repeat("(", Depth) + "1/0" + Repeat(")", Depth), false, nullptr, MessageDivisionByZero, int{Depth} + 1, 0},
        // A megabyte of one thing; long flat equations.
        {Repeat("1", Megabyte), true, nullptr, {}, -1, 1},
        {Repeat(" ", Megabyte), true, nullptr, MessageUnexpectedCharacter, int{Megabyte} - 1, 0},
        {Repeat("(", Megabyte / 4), true, nullptr, MessageNoClosingParenthesis, 0, 0},
        {Repeat("1.", Megabyte / 2), true, nullptr, MessageSecondDecimalPoint, 3, 0},
        {"1" + Repeat("z", Megabyte), true, nullptr, MessageInvalidCharacter, 1, 0},
        {"1" + Repeat("+1", 100000), false, "100001", {}, -1, 0},
        {"2" + Repeat("*1^1-1+1/1", 20000), false, "2", {}, -1, 0},
    };
    for (const auto& row : Rows) {
        SCOPED_TRACE(row.Equation.substr(0, 40));
        Recorder = {};
        Recorder.KeepSteps = false;
        TEquationEngine engine(RecordError, row.WithSteps ? RecordStep : nullptr);
        std::string equation = row.Equation;
        const bool ok = engine.Evaluate(equation);
        if (row.Result == nullptr && row.Message.empty()) {
            // A lone number is handed back as typed.
            EXPECT_TRUE(ok);
            EXPECT_EQ(equation, row.Equation);
        } else if (row.Result != nullptr) {
            EXPECT_TRUE(ok);
            EXPECT_EQ(equation, row.Result);
            EXPECT_EQ(Recorder.ErrorCount, 0);
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(Recorder.ErrorCount, 1);
            EXPECT_EQ(Recorder.Message, row.Message);
            EXPECT_EQ(Recorder.Position, row.Position);
        }
        if (row.WithSteps) {
            EXPECT_EQ(Recorder.StepCount, row.Steps);
        }
    }
}

// A sink that cannot keep a step, or memory that runs out: a fault with its
// message, never an exception, and the next equation is answered.
TEST(EquationEngineRobustness, LimitsAreFaultsNotExceptions)
{
    struct TThrowingSink final : TStepSink {
        bool OnFirstStep(std::string_view, std::span<const TTokenSpan>) override { return true; }
        bool OnChange(const TStepChange&) override { throw std::bad_alloc(); }
    };
    TStepHistory small(40); // 40 characters of step texts
    TThrowingSink throwing;
    struct TRow {
        TStepSink* Sink;
        std::string Equation;
        std::string_view Message;
        int Position;
    } rows[] = {
        {&small, Repeat("1+", 30) + "1", MessageEquationTooLong, 0},    // the first step
        {&small, "10+20+30+40+50+60+70+80", MessageEquationTooLong, 2}, // the steps after it
        {&throwing, "1+2", MessageOutOfMemory, -1},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Equation);
        Recorder = {};
        TEquationEngine engine(RecordError, nullptr);
        engine.SetStepSink(row.Sink);
        std::string equation = row.Equation;
        EXPECT_FALSE(engine.Evaluate(equation));
        EXPECT_EQ(Recorder.Message, row.Message);
        EXPECT_EQ(Recorder.Position, row.Position);
        engine.SetStepSink(nullptr);
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
    Recorder = {};
    TEquationEngine engine(RecordError, nullptr);
    EXPECT_FALSE(engine.Scan(std::string_view(static_cast<const char*>(pages), size)));
    EXPECT_EQ(Recorder.Message, MessageEquationTooLong);
    munmap(pages, size);
#endif
}

// Any bytes at all: a result, or exactly one fault at a place in the text.
TEST(EquationEngineRobustness, RandomBytes)
{
    std::mt19937 random(7);
    TEquationEngine engine(RecordError, RecordStep);
    for (int n = 0; n < 20000; ++n) {
        std::string equation(random() % 40, '\0');
        for (char& c : equation) {
            // Mostly the equation's own characters, so that many texts get far.
            static constexpr std::string_view Common = "0123456789.+-*/^&() ";
            c = random() % 4 != 0 ? Common[random() % Common.size()] : static_cast<char>(random());
        }
        SCOPED_TRACE(::testing::PrintToString(equation));
        Recorder = {};
        std::string result = equation;
        if (engine.Evaluate(result)) {
            EXPECT_EQ(Recorder.ErrorCount, 0);
            EXPECT_FALSE(result.empty());
            EXPECT_EQ(Recorder.Steps.back(), result);
        } else {
            EXPECT_EQ(result, equation);
            EXPECT_EQ(Recorder.ErrorCount, equation.empty() ? 0 : 1);
            EXPECT_GE(Recorder.Position, equation.empty() ? -1 : 0);
            EXPECT_LT(Recorder.Position, static_cast<int>(equation.size()));
        }
    }
}

} // namespace
