// The engine's working memory per byte of the equation, counted by a global
// allocator that keeps the peak of the bytes held.
#include "EquationEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <malloc.h>
#include <new>
#include <string>

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete" // new and delete here are malloc and free
#endif

namespace {

std::size_t BlockSize(void* p)
{
#ifdef _WIN32
    return _msize(p);
#else
    return malloc_usable_size(p);
#endif
}

std::size_t Held = 0;
std::size_t Peak = 0;
std::size_t Allocations = 0;

} // namespace

void* operator new(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    Held += BlockSize(p);
    Peak = std::max(Peak, Held);
    ++Allocations;
    return p;
}

void operator delete(void* p) noexcept
{
    if (p != nullptr) {
        Held -= BlockSize(p);
        std::free(p);
    }
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

// Wants the steps as texts, and drops them.
struct TIgnoreSteps final : TEvaluationObserver {
    [[nodiscard]] bool WantsSteps() const override { return true; }
};

// Wants the steps as changes, and drops them.
struct TIgnoreChanges final : TEvaluationObserver {
    [[nodiscard]] bool WantsChanges() const override { return true; }
};

std::string Repeat(const std::string& part, std::size_t count, const std::string& last)
{
    std::string text;
    text.reserve(part.size() * count + last.size());
    for (std::size_t i = 0; i < count; ++i) {
        text += part;
    }
    return text + last;
}

TEST(EngineMemory, BytesPerInputByte)
{
    struct TRow {
        const char* Name;
        std::string Equation;
        bool Steps;
        double Limit; // bytes held at the peak, per byte of the equation
    };
    // Plain and with steps, as the console and the window evaluate.
    const TRow rows[] = {
        {"1+1+...+1", Repeat("1+", 1000000, "1"), false, 24},
        {"a run of digits", Repeat("9", 2000000, ""), false, 24},
        {"nested groups", Repeat("(", 500000, "1") + Repeat(")", 500000, ""), false, 36},
        {"1+1+...+1, steps", Repeat("1+", 20000, "1"), true, 36},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TEquationEngine engine;
        TIgnoreSteps ignore;
        std::string equation = row.Equation;
        const std::size_t before = Held;
        Peak = Held;
        ASSERT_TRUE(engine.Evaluate(equation, row.Steps ? &ignore : nullptr));
        const double perByte = static_cast<double>(Peak - before) / static_cast<double>(row.Equation.size());
        RecordProperty(row.Name, std::to_string(perByte));
        EXPECT_LE(perByte, row.Limit);
    }
}

// Once an engine has worked out equations of a size, it works out more of
// them without allocating: plain, with steps and with changes, by the
// direct ways and the full one (groups, powers), failures included.
TEST(EngineMemory, NoAllocationOnceWarm)
{
    const char* const equations[] = {"1+2*3-4/5", "(1+2)*3", "2^10+1", "1.5*2.25-3/7", "-(2+3)*-4", "-(1/3)",
                                     "2&3",       "1/0",     "(1"};
    TIgnoreSteps steps;
    TIgnoreChanges changes;
    struct TRow {
        const char* Name;
        TEvaluationObserver* Observer;
    };
    const TRow rows[] = {{"plain", nullptr}, {"steps", &steps}, {"changes", &changes}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TEquationEngine engine;
        std::string equation;
        equation.reserve(64);
        for (int round = 0; round < 2; ++round) {
            const std::size_t before = Allocations;
            for (const char* text : equations) {
                equation.assign(text);
                (void)engine.Evaluate(equation, row.Observer);
            }
            if (round == 1) {
                EXPECT_EQ(Allocations - before, 0u);
            }
        }
    }
}

} // namespace
