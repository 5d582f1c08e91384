// The engine's face: where the observer and the fault are kept during an
// evaluation, and the guard that turns memory running out into a fault, so
// that no exception leaves the engine. The work is done in Scanner.cpp and
// Evaluator.cpp.
#include "EngineImpl.h"

#include <new>
#include <stdexcept>

TEquationEngine::TEquationEngine() : Impl(std::make_unique<TImpl>()) {}

TEquationEngine::~TEquationEngine() = default;

TEvaluation TEquationEngine::Evaluate(std::string& equation, TEvaluationObserver* observer)
{
    return Impl->Guarded(observer, [&] { return Impl->Evaluate(equation); });
}

TEvaluation TEquationEngine::Scan(std::string_view equation)
{
    return Impl->Guarded(nullptr, [&] { return Impl->Scan(equation); });
}

std::vector<TToken> TEquationEngine::Tokens() const
{
    const TTokenList& list = Impl->Tokens;
    std::vector<TToken> tokens;
    tokens.reserve(list.Count());
    for (TTokenList::TIndex i = list.First(); i != TTokenList::None; i = list.Next(i)) {
        tokens.push_back(list[i]);
    }
    return tokens;
}

bool TEquationEngine::TImpl::Fail(std::string_view message, std::size_t position)
{
    FaultMessage = message;
    FaultPosition = position;
    return false;
}

bool TEquationEngine::TImpl::FailAt(std::string_view message, std::size_t position, TIndex first, TIndex last,
                                    bool grouped)
{
    if (Sink != nullptr) {
        std::size_t length = grouped ? 2 : 0;
        for (TIndex i = first;; i = Tokens.Next(i)) {
            length += Tokens.TextOf(i).size();
            if (i == last) {
                break;
            }
        }
        Sink->OnFailure(Work->Lengths.Prefix(first), length);
    }
    return Fail(message, position);
}

template <class Body>
TEvaluation TEquationEngine::TImpl::Guarded(TEvaluationObserver* observer, Body body)
{
    Sink = observer != nullptr && observer->WantsChanges() ? observer : nullptr;
    Stepper = observer != nullptr && observer->WantsSteps() ? observer : nullptr;
    FaultMessage = {};
    FaultPosition = NoPosition;
    ResultValue = TDecimal::Failed(TDecimalStatus::NotANumber);
    bool ok = false;
    bool outOfMemory = false;
    try {
        ok = body();
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    } catch (const std::length_error&) {
        outOfMemory = true;
    }
    if (outOfMemory) {
        // What was half done is dropped with its storage.
        Fail(MessageOutOfMemory, NoPosition);
        try {
            Tokens.Clear();
            Work = std::make_unique<TWorkspace>();
        } catch (const std::bad_alloc&) {
        }
    }
    Sink = Stepper = nullptr; // the observer is the caller's, for this evaluation only
    return ok ? TEvaluation{true, {}, NoPosition, ResultValue} : TEvaluation{false, FaultMessage, FaultPosition};
}
