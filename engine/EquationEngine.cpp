// The engine's face: the callbacks and the sink every report goes through,
// and the guard that turns memory running out into a report, so that no
// exception leaves the engine. The work is done in Scanner.cpp and
// Evaluator.cpp.
#include "EngineImpl.h"

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

TEquationEngine::TEquationEngine(TErrorCallback onError, TStepCallback onStep)
    : Impl(std::make_unique<TImpl>(onError, onStep))
{
}

TEquationEngine::~TEquationEngine() = default;

bool TEquationEngine::Evaluate(std::string& equation)
{
    return Impl->Guarded([&] { return Impl->Evaluate(equation); });
}

bool TEquationEngine::Scan(std::string_view equation)
{
    return Impl->Guarded([&] { return Impl->Scan(equation); });
}

void TEquationEngine::SetStepSink(TStepSink* sink)
{
    Impl->Sink = sink;
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
    if (OnError != nullptr) {
        OnError(std::string(message), static_cast<int>(std::min<std::size_t>(position, INT_MAX)));
    }
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
bool TEquationEngine::TImpl::Guarded(Body body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    // What was half done is dropped with its storage.
    try {
        Tokens.Clear();
        Work = std::make_unique<TWorkspace>();
    } catch (const std::bad_alloc&) {
    }
    if (OnError != nullptr) {
        OnError(std::string(MessageOutOfMemory), -1);
    }
    return false;
}
