// Feeds arbitrary bytes to the equation engine, with and without steps
// observed, and stops on anything but one result or one clear fault, and on
// any difference from the reduction as written down.
#include "EquationEngine.h"
#include "ReferenceReduction.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Keeps the steps of one evaluation.
struct TStepKeeper final : TEvaluationObserver {
    std::vector<std::string> Steps;
    [[nodiscard]] bool WantsSteps() const override { return true; }
    void OnStep(const std::string& equation) override { Steps.push_back(equation); }
};

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "equation_fuzzer: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TEquationEngine engine;
    const std::string equation(reinterpret_cast<const char*>(data), size);

    TStepKeeper keeper;
    std::string result = equation;
    const TEvaluation outcome = engine.Evaluate(result, &keeper);
    const bool ok = outcome.Ok;
    if (ok) {
        Check(!result.empty(), "an empty result");
        Check(!keeper.Steps.empty() && keeper.Steps.back() == result, "the last step is not the result");
    } else {
        Check(result == equation, "a fault changed the text");
        Check(outcome.Message.empty() == equation.empty(), "not exactly one fault");
        Check(equation.empty() || outcome.Position < size, "a fault outside the text");
    }

    // The plain reduction costs the square of the length even without steps;
    // short inputs keep the fuzzer fast, and long ones are checked above.
    TEquationEngine scanner;
    if (size <= 512 && scanner.Scan(equation)) {
        TReferenceReduction reference(scanner.Tokens());
        std::string expected;
        Check(reference.Run(expected) == ok, "the outcome differs from the plain reduction");
        Check(reference.Steps == keeper.Steps, "the steps differ from the plain reduction");
        Check(ok ? expected == result : reference.Message == outcome.Message && reference.Position == outcome.Position,
              "the result or fault differs from the plain reduction");
    }

    std::string quiet = equation;
    const TEvaluation silent = engine.Evaluate(quiet);
    Check(silent.Ok == ok, "the steps changed the outcome");
    Check(quiet == result && silent.Position == outcome.Position, "the steps changed the result");
    return 0;
}
