// Decimal arithmetic over a mixed set of operands: small integers, 28-digit
// fractions, values near 2^96 and mixed scales (kind 4), and over each kind
// alone (kinds 0 to 3). Each iteration applies one operation to the next pair
// of the set, so the time per iteration is the time per operation, averaged
// over the set.
#include "Decimal.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// The four kinds of operand, and the mixed set of all of them.
const std::vector<std::vector<const char*>> Kinds = {
    {"7", "-12", "1000", "3", "250"},
    {"0.1234567890123456789012345678", "-0.9876543210987654321098765432", "0.3333333333333333333333333333"},
    {"79228162514264337593543950335", "-79228162514264337593543950000", "39614081257132168796771975167.5"},
    {"123.45", "-0.001", "98765.4321", "0.00000015", "-4294967296.125"},
};
enum { SmallIntegers, Fractions28, Near2To96, MixedScales, Mixed };

struct Pair {
    TDecimal A, B;
};

// Every ordered pair of the kind's operands (of all operands for Mixed).
const std::vector<Pair>& Pairs(int kind)
{
    static std::vector<Pair> pairs[Mixed + 1];
    if (pairs[kind].empty()) {
        std::vector<const char*> operands;
        for (int k = 0; k < Mixed; ++k)
            if (kind == Mixed || kind == k)
                operands.insert(operands.end(), Kinds[k].begin(), Kinds[k].end());
        for (const char* a : operands)
            for (const char* b : operands)
                pairs[kind].push_back({DecimalFromText(a), DecimalFromText(b)});
    }
    return pairs[kind];
}

template <TDecimal (*Operation)(TDecimal, TDecimal)>
void BM_Operation(benchmark::State& state)
{
    const std::vector<Pair>& pairs = Pairs(static_cast<int>(state.range(0)));
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

// Argument: the operand kind; Mixed (4) is the figure that counts.
#define OV_KINDS ArgName("kind")->Arg(Mixed)->Arg(SmallIntegers)->Arg(Fractions28)->Arg(Near2To96)->Arg(MixedScales)
BENCHMARK(BM_Operation<PassThrough>)->Name("Baseline_LoopOnly")->Arg(Mixed);
BENCHMARK(BM_Operation<DecimalAdd>)->Name("DecimalAdd")->OV_KINDS;
BENCHMARK(BM_Operation<DecimalSubtract>)->Name("DecimalSubtract")->OV_KINDS;
BENCHMARK(BM_Operation<DecimalMultiply>)->Name("DecimalMultiply")->OV_KINDS;
BENCHMARK(BM_Operation<DecimalDivide>)->Name("DecimalDivide")->OV_KINDS;

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
