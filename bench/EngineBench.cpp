// The reduction reports the whole equation at every step, so its cost has a
// quadratic floor: the step texts themselves. These benchmarks put the engine
// next to that floor, building the very same step texts by plain string
// concatenation, on a flat equation of 10,000 operators of mixed precedence.
#include "EquationEngine.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// "1+12*3.5-7/3^2+12*3.5-7/3^2...": five operators of all three levels per
// part, and quotients with 28 decimals, as real results have.
std::string FlatEquation(int operators)
{
    std::string equation = "1";
    static constexpr const char* Parts[] = {"+12", "*3.5", "-7", "/3", "^2"};
    for (int i = 0; i < operators; ++i) {
        equation += Parts[i % 5];
    }
    return equation;
}

// Stands for whatever the caller does with a step; kept small so that the
// comparison measures the building of the texts, not their use.
std::size_t StepBytes = 0;
std::size_t StepCount = 0;

void RecordStep(const std::string& equation)
{
    StepBytes += equation.size();
    ++StepCount;
    benchmark::DoNotOptimize(equation.data());
}

// Each step differs from the one before in one place: a prefix kept, a new
// middle, a suffix kept. Captured once so that the steps can be rebuilt by
// concatenation alone.
struct TStepEdit {
    std::size_t PrefixLength;
    std::string Middle;
    std::size_t SuffixLength;
};

struct TStepScript {
    std::string First;
    std::vector<TStepEdit> Edits;
};

TStepScript Script;
std::string PreviousStep;

void CaptureStep(const std::string& equation)
{
    if (Script.Edits.empty() && Script.First.empty()) {
        Script.First = equation;
    } else {
        std::size_t prefix = 0;
        const std::size_t shorter = std::min(PreviousStep.size(), equation.size());
        while (prefix < shorter && PreviousStep[prefix] == equation[prefix]) {
            ++prefix;
        }
        std::size_t suffix = 0;
        while (suffix < shorter - prefix &&
               PreviousStep[PreviousStep.size() - 1 - suffix] == equation[equation.size() - 1 - suffix]) {
            ++suffix;
        }
        Script.Edits.push_back(TStepEdit{prefix, equation.substr(prefix, equation.size() - prefix - suffix), suffix});
    }
    PreviousStep = equation;
}

const std::string& Equation()
{
    static const std::string equation = FlatEquation(10000);
    return equation;
}

const TStepScript& StepScript()
{
    if (Script.First.empty()) {
        TEquationEngine engine;
        TStepObserver capture(CaptureStep);
        std::string equation = Equation();
        if (!engine.Evaluate(equation, &capture)) {
            std::fprintf(stderr, "EngineBench: the benchmark equation failed\n");
            std::abort();
        }
    }
    return Script;
}

void BM_EvaluateWithSteps(benchmark::State& state)
{
    TEquationEngine engine;
    TStepObserver record(RecordStep);
    for (auto _ : state) {
        std::string equation = Equation();
        StepBytes = StepCount = 0;
        benchmark::DoNotOptimize(engine.Evaluate(equation, &record));
    }
    state.counters["steps"] = static_cast<double>(StepCount);
    state.counters["step_MB"] = static_cast<double>(StepBytes) / 1e6;
}

// The floor: every step text built anew by concatenating the unchanged
// prefix, the new middle and the unchanged suffix of the step before.
void BM_ConcatenateSameSteps(benchmark::State& state)
{
    const TStepScript& script = StepScript();
    for (auto _ : state) {
        StepBytes = StepCount = 0;
        std::string previous = script.First;
        RecordStep(previous);
        for (const TStepEdit& edit : script.Edits) {
            std::string next;
            next.reserve(edit.PrefixLength + edit.Middle.size() + edit.SuffixLength);
            next.append(previous, 0, edit.PrefixLength);
            next.append(edit.Middle);
            next.append(previous, previous.size() - edit.SuffixLength, edit.SuffixLength);
            RecordStep(next);
            previous = std::move(next);
        }
    }
    state.counters["steps"] = static_cast<double>(StepCount);
    state.counters["step_MB"] = static_cast<double>(StepBytes) / 1e6;
}

void BM_EvaluateWithoutSteps(benchmark::State& state)
{
    TEquationEngine engine;
    for (auto _ : state) {
        std::string equation = Equation();
        benchmark::DoNotOptimize(engine.Evaluate(equation));
    }
}

BENCHMARK(BM_EvaluateWithSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConcatenateSameSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluateWithoutSteps)->Unit(benchmark::kMillisecond);

} // namespace
