// Decimal arithmetic over a mixed set of operands: small integers, 28-digit
// fractions, values near 2^96 and mixed scales (kind 4), and over each kind
// alone (kinds 0 to 3). Each iteration applies one operation to the next pair
// of the set, so the time per iteration is the time per operation, averaged
// over the set.
#include "Decimal.h"
#include "Power.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
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
        for (int k = 0; k < Mixed; ++k) {
            if (kind == Mixed || kind == k) {
                operands.insert(operands.end(), Kinds[k].begin(), Kinds[k].end());
            }
        }
        for (const char* a : operands) {
            for (const char* b : operands) {
                pairs[kind].push_back({DecimalFromText(a), DecimalFromText(b)});
            }
        }
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
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecimalFromText(text));
    }
}
BENCHMARK(BM_FromText29Digits)->Name("DecimalFromText_29Digits");

void BM_ToText29Digits(benchmark::State& state)
{
    const TDecimal value = DecimalFromText("-1234567890.1234567890123456789");
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecimalToText(value));
    }
}
BENCHMARK(BM_ToText29Digits)->Name("DecimalToText_29Digits");

// Powers of the shapes the calculator meets: decimal bases to integer and
// decimal exponents, to reciprocals of small integers (roots), values near
// 1 to large exponents. Pairs whose power leaves the range are left out.
const char* const PowerBases[] = {"2451.7211", "0.000123456789",  "1.0000001",        "98765.4321", "3",
                                  "0.5",       "123456789012345", "7.38905609893065", "-1.5",       "0.999999999"};
const char* const PowerExponents[] = {
    "4",  "-3",     "0.5", "2.75", "-12", "1000000", "0.3333333333333333333333333333", "0.1428571428571428571428571429",
    "25", "-0.0625"};

struct PowerPair {
    TDecimal A, B;
    double X, Y;
};

const std::vector<PowerPair>& PowerPairs()
{
    static std::vector<PowerPair> pairs;
    if (pairs.empty()) {
        auto toDouble = [](const char* text) {
            double d = 0;
            std::from_chars(text, text + std::char_traits<char>::length(text), d);
            return d;
        };
        for (const char* a : PowerBases) {
            for (const char* b : PowerExponents) {
                const double x = toDouble(a);
                const double y = toDouble(b);
                const double p = std::pow(x, y);
                if (std::isfinite(p) && p != 0) {
                    pairs.push_back({DecimalFromText(a), DecimalFromText(b), x, y});
                }
            }
        }
    }
    return pairs;
}

double LibraryPow(double x, double y)
{
    return std::pow(x, y);
}

// The engine's power function against the C library's on the same pairs.
template <double (*Pow)(double, double)>
void BM_Pow(benchmark::State& state)
{
    const std::vector<PowerPair>& pairs = PowerPairs();
    std::size_t i = 0;
    for (auto _ : state) {
        const PowerPair& p = pairs[i];
        benchmark::DoNotOptimize(Pow(p.X, p.Y));
        i = i + 1 == pairs.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_Pow<AccuratePow>)->Name("AccuratePow");
BENCHMARK(BM_Pow<LibraryPow>)->Name("StdPow");

// The whole operation: both operands through their text to doubles, the power.
void BM_DecimalPower(benchmark::State& state)
{
    const std::vector<PowerPair>& pairs = PowerPairs();
    std::size_t i = 0;
    for (auto _ : state) {
        const PowerPair& p = pairs[i];
        benchmark::DoNotOptimize(DecimalPower(p.A, p.B));
        i = i + 1 == pairs.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_DecimalPower)->Name("DecimalPower");

// Integer powers: small and large results, negative exponents, the ends of
// the exact range and past them (2^96, 0.1^29, 3^-1), a huge exponent.
void BM_DecimalIntegerPower(benchmark::State& state)
{
    static const char* const pairs[][2] = {
        {"2", "64"}, {"3", "40"},   {"7", "30"}, {"12.5", "3"},           {"2", "-20"},     {"5", "-28"}, {"0.5", "-3"},
        {"2", "96"}, {"0.1", "29"}, {"3", "-1"}, {"1.0001", "100000000"}, {"-1", "100001"},
    };
    std::vector<std::pair<TDecimal, TDecimal>> operands;
    for (const auto& pair : pairs) {
        operands.emplace_back(DecimalFromText(pair[0]), DecimalFromText(pair[1]));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecimalPower(operands[i].first, operands[i].second));
        i = i + 1 == operands.size() ? 0 : i + 1;
    }
}
BENCHMARK(BM_DecimalIntegerPower)->Name("DecimalPower_IntegerExponents");

// The operands of a file, one per line, when OV_DECIMAL_OPERANDS names one
// (bench/decimal_vs_mono.sh writes it, and times the platform decimal of
// Mono on the same operands): every ordered pair through the four
// operations, and every operand from and to text. The loops have the
// other side's shape: over arrays of left and right operands, each result
// stored in an array of results, one pass over all pairs per iteration;
// the time per operation is the iteration's time over the pairs.
struct TFileOperands {
    std::vector<std::string> Texts;
    std::vector<TDecimal> Values;
    std::vector<TDecimal> Left, Right, Results;

    TFileOperands()
    {
        const char* path = std::getenv("OV_DECIMAL_OPERANDS");
        if (path == nullptr) {
            return;
        }
        std::ifstream file(path);
        for (std::string line; std::getline(file, line);) {
            if (!line.empty()) {
                Texts.push_back(line);
                Values.push_back(DecimalFromText(line));
            }
        }
        for (const TDecimal& a : Values) {
            for (const TDecimal& b : Values) {
                Left.push_back(a);
                Right.push_back(b);
            }
        }
        if (Left.empty()) {
            return;
        }
        Results.resize(Left.size());
        benchmark::RegisterBenchmark("File_Add", &FileOperation<DecimalAdd>);
        benchmark::RegisterBenchmark("File_Subtract", &FileOperation<DecimalSubtract>);
        benchmark::RegisterBenchmark("File_Multiply", &FileOperation<DecimalMultiply>);
        benchmark::RegisterBenchmark("File_Divide", &FileOperation<DecimalDivide>);
        benchmark::RegisterBenchmark("File_FromText", &FileFromText);
        benchmark::RegisterBenchmark("File_ToText", &FileToText);
    }

    // Reports the time of one operation as the benchmark's time.
    static void PerOperation(benchmark::State& state, std::size_t operations)
    {
        state.counters["ns_per_operation"] =
            benchmark::Counter(static_cast<double>(operations) * 1e-9,
                               benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    }

    template <TDecimal (*Operation)(TDecimal, TDecimal)>
    static void FileOperation(benchmark::State& state)
    {
        const TDecimal* left = Operands.Left.data();
        const TDecimal* right = Operands.Right.data();
        TDecimal* results = Operands.Results.data();
        const std::size_t n = Operands.Left.size();
        for (auto _ : state) {
            for (std::size_t i = 0; i < n; ++i) {
                results[i] = Operation(left[i], right[i]);
            }
            benchmark::ClobberMemory();
        }
        PerOperation(state, n);
    }
    static void FileFromText(benchmark::State& state)
    {
        const std::vector<std::string>& texts = Operands.Texts;
        TDecimal* results = Operands.Results.data();
        for (auto _ : state) {
            for (std::size_t i = 0; i < texts.size(); ++i) {
                results[i] = DecimalFromText(texts[i]);
            }
            benchmark::ClobberMemory();
        }
        PerOperation(state, texts.size());
    }
    static void FileToText(benchmark::State& state)
    {
        // A string each time, as the platform decimal makes one.
        static std::vector<std::string> written(Operands.Values.size());
        const std::vector<TDecimal>& values = Operands.Values;
        for (auto _ : state) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                written[i] = DecimalToText(values[i]);
            }
            benchmark::ClobberMemory();
        }
        PerOperation(state, values.size());
    }

    static TFileOperands Operands;
};
TFileOperands TFileOperands::Operands;

} // namespace
