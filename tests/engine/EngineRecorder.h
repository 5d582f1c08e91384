// What the engine reported for an evaluation, as the engine tests look at
// it: the steps it told the recorder (its observer), and the fault Evaluate
// gave back. Each test keeps its own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "EquationEngine.h"

class TRecorder final : public TEvaluationObserver {
public:
    // steps false: the engine is told that no steps are wanted, and builds none.
    explicit TRecorder(bool steps = true) : Listening(steps) {}

    std::vector<std::string> Steps;
    std::size_t StepCount = 0;
    std::string LastStep;
    bool KeepSteps = true; // off for huge inputs, whose steps are only counted
    std::string Message;
    std::size_t Position = NoPosition;
    int ErrorCount = 0;
    // Where the changes go as well, when set.
    TEvaluationObserver* Changes = nullptr;

    // Forgets what was recorded.
    void Clear()
    {
        Steps.clear();
        StepCount = 0;
        LastStep.clear();
        Message.clear();
        Position = NoPosition;
        ErrorCount = 0;
    }

    // Evaluates equation with engine, recording what it reports; whether it succeeded.
    bool Evaluate(TEquationEngine& engine, std::string& equation)
    {
        const TEvaluation outcome = engine.Evaluate(equation, this);
        if (!outcome && !outcome.Message.empty()) {
            Message = outcome.Message;
            Position = outcome.Position;
            ++ErrorCount;
        }
        return outcome.Ok;
    }

    [[nodiscard]] bool WantsSteps() const override { return Listening; }
    void OnStep(const std::string& equation) override
    {
        ++StepCount;
        if (KeepSteps) {
            Steps.push_back(equation);
        } else {
            LastStep = equation;
        }
    }

    [[nodiscard]] bool WantsChanges() const override { return Changes != nullptr; }
    bool OnFirstStep(std::string_view equation, std::span<const TTokenSpan> tokens) override
    {
        return Changes->OnFirstStep(equation, tokens);
    }
    bool OnChange(const TStepChange& change) override { return Changes->OnChange(change); }
    void OnFailure(std::size_t at, std::size_t length) override { Changes->OnFailure(at, length); }

private:
    bool Listening;
};
