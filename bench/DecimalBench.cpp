// Decimal arithmetic over a mixed set of operands: small integers, 28-digit
// fractions, values near 2^96 and mixed scales. Each iteration applies one
// operation to the next pair of the set, so the time per iteration is the
// time per operation, averaged over the mix.
#include "Decimal.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const char* const Operands[] = {
    // small integers
    "7", "-12", "1000", "3", "250",
    // 28-digit fractions
    "0.1234567890123456789012345678", "-0.9876543210987654321098765432", "0.3333333333333333333333333333",
    // near 2^96
    "79228162514264337593543950335", "-79228162514264337593543950000", "39614081257132168796771975167.5",
    // mixed scales
    "123.45", "-0.001", "98765.4321", "0.00000015", "-4294967296.125",
};

struct Pair {
    TDecimal A, B;
};

const std::vector<Pair>& Pairs()
{
    static const std::vector<Pair> pairs = [] {
        std::vector<Pair> result;
        for (const char* a : Operands)
            for (const char* b : Operands)
                result.push_back({DecimalFromText(a), DecimalFromText(b)});
        return result;
    }();
    return pairs;
}

template <TDecimal (*Operation)(TDecimal, TDecimal)>
void BM_Operation(benchmark::State& state)
{
    const std::vector<Pair>& pairs = Pairs();
    std::size_t i = 0;
    for (auto _ : state) {
        const Pair& p = pairs[i];
        benchmark::DoNotOptimize(Operation(p.A, p.B));
        i = i + 1 == pairs.size() ? 0 : i + 1;
    }
}

// What the loop itself costs, as a baseline for the four operations.
TDecimal PassThrough(TDecimal a, TDecimal)
{
    return a;
}

BENCHMARK(BM_Operation<PassThrough>)->Name("Baseline_LoopOnly");
BENCHMARK(BM_Operation<DecimalAdd>)->Name("DecimalAdd");
BENCHMARK(BM_Operation<DecimalSubtract>)->Name("DecimalSubtract");
BENCHMARK(BM_Operation<DecimalMultiply>)->Name("DecimalMultiply");
BENCHMARK(BM_Operation<DecimalDivide>)->Name("DecimalDivide");

void BM_FromText29Digits(benchmark::State& state)
{
    const std::string text = "-1234567890.1234567890123456789";
    for (auto _ : state)
        benchmark::DoNotOptimize(DecimalFromText(text));
}
BENCHMARK(BM_FromText29Digits)->Name("DecimalFromText_29Digits");

void BM_ToText29Digits(benchmark::State& state)
{
    const TDecimal value = DecimalFromText("-1234567890.1234567890123456789");
    for (auto _ : state)
        benchmark::DoNotOptimize(DecimalToText(value));
}
BENCHMARK(BM_ToText29Digits)->Name("DecimalToText_29Digits");

} // namespace
