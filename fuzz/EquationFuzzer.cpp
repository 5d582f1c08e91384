// Feeds arbitrary bytes to the equation engine, with and without a step
// callback, and stops on anything but one result or one clear fault, and on
// any difference from the reduction as written down.
#include "EquationEngine.h"
#include "ReferenceReduction.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int ErrorCount = 0;
int ErrorPosition = -1;
std::string ErrorMessage;
std::vector<std::string> Steps;

void OnError(std::string message, int position)
{
    ++ErrorCount;
    ErrorPosition = position;
    ErrorMessage = std::move(message);
}

void OnStep(const std::string& equation)
{
    Steps.push_back(equation);
}

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
    static TEquationEngine withSteps(OnError, OnStep);
    static TEquationEngine silent(OnError, nullptr);
    const std::string equation(reinterpret_cast<const char*>(data), size);

    ErrorCount = 0;
    ErrorPosition = -1;
    Steps.clear();
    std::string result = equation;
    const bool ok = withSteps.Evaluate(result);
    const int position = ErrorPosition;
    if (ok) {
        Check(ErrorCount == 0, "a result and a fault");
        Check(!result.empty(), "an empty result");
        Check(!Steps.empty() && Steps.back() == result, "the last step is not the result");
    } else {
        Check(result == equation, "a fault changed the text");
        Check(ErrorCount == (equation.empty() ? 0 : 1), "not exactly one fault");
        Check(equation.empty() || (position >= 0 && static_cast<std::size_t>(position) < size),
              "a fault outside the text");
    }

    // The plain reduction costs the square of the length even without steps;
    // short inputs keep the fuzzer fast, and long ones are checked above.
    TEquationEngine scanner(nullptr, nullptr);
    if (size <= 512 && scanner.Scan(equation)) {
        TReferenceReduction reference(scanner.Tokens());
        std::string expected;
        Check(reference.Run(expected) == ok, "the outcome differs from the plain reduction");
        Check(reference.Steps == Steps, "the steps differ from the plain reduction");
        Check(ok ? expected == result : reference.Message == ErrorMessage && reference.Position == position,
              "the result or fault differs from the plain reduction");
    }

    ErrorCount = 0;
    ErrorPosition = -1;
    std::string quiet = equation;
    Check(silent.Evaluate(quiet) == ok, "the step callback changed the outcome");
    Check(quiet == result && ErrorPosition == position, "the step callback changed the result");
    return 0;
}
