// The equation engine's inside, shared by its three parts: the scanner
// (Scanner.cpp) turns the text into the token list, the evaluator
// (Evaluator.cpp) reduces the list, and EquationEngine.cpp holds what both
// report through. Only the engine includes this header.
//
// Invariant between the parts: after a successful scan the list holds a
// valid equation (parentheses balanced, operands where operators need
// them), so the evaluator checks values, never the syntax.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Decimal.h"
#include "EquationEngine.h"
#include "IndexSet.h"
#include "Operators.h"
#include "TokenList.h"

// One range being reduced: the interior of the group between Open and Close,
// or the whole equation when both are None. Cursor is where the search for
// the range's next group goes on: every group before it is resolved.
struct TRange {
    TTokenList::TIndex Open;
    TTokenList::TIndex Close;
    TTokenList::TIndex Cursor;
};

// What is known of a number token's value besides its text.
enum class TValueState : std::uint8_t {
    TextOnly,  // read the text when the value is needed
    Known,     // Values holds it, and the text is its DecimalToText
    TextLater, // Values holds it; the text is written only when needed
};

// A number and an operator of a short equation reduced with steps in a
// table (EvaluateDirectSteps).
struct TDirectNumber {
    TDirectNumber() {} // Own is written before it is read: not cleared for every number
    TDecimal Value;
    std::string_view Text; // in the equation, or in Own for a result
    TDecimalText Own;
    bool Alive = true;
};
struct TDirectOperator {
    const TOperator* Operator; // null once applied
    std::size_t Position;
    std::uint8_t Level; // the operator's
};

// The reduction's working storage, kept from one equation to the next.
struct TWorkspace {
    std::array<TIndexSet, OperatorLevels> OperatorIndices; // one set per precedence level
    bool OperatorIndicesEmpty = true;
    // A decimal result read back from its text is the same value, so the
    // result of an operation is kept as a value for the next operation, and
    // without steps its text is written only if something needs it. A power
    // result is a double, which its text rounds: that one is always read back.
    std::vector<TDecimal> Values;
    std::vector<TValueState> ValueStates;
    std::vector<TTokenList::TIndex> Partner; // the matching ")" of each "("
    std::vector<TTokenList::TIndex> OpenGroups;
    std::vector<TRange> Ranges; // the explicit stack: deep nesting must not recurse
    TLengthTree Lengths;        // only while steps or changes are reported
    std::string Equation;       // the current step text, kept up to date edit by edit (steps only)
    std::vector<TDirectNumber> DirectNumbers;
    std::vector<TDirectOperator> DirectOperators;
    std::vector<TTokenSpan> FirstSpans; // where each token's text lies in the first step (changes only)
    std::string Joined;                 // a number and the group's value after it, joined

    void Release() { *this = TWorkspace{}; }
};

struct TEquationEngine::TImpl {
    using TIndex = TTokenList::TIndex;
    static constexpr TIndex None = TTokenList::None;

    TTokenList Tokens;
    // The observer of the evaluation under way, where it wants changes
    // (Sink) and step texts (Stepper); null where not.
    TEvaluationObserver* Sink = nullptr;
    TEvaluationObserver* Stepper = nullptr;
    // The fault, once there is one.
    std::string_view FaultMessage;
    std::size_t FaultPosition = NoPosition;
    // The result's value, when one of the decimal kind is at hand.
    TDecimal ResultValue;
    bool ScannedGroups = false;
    std::unique_ptr<TWorkspace> Work = std::make_unique<TWorkspace>();

    // EquationEngine.cpp
    // Runs work for observer, turning memory that runs out into a fault, and
    // gives back how it went.
    template <class Body>
    TEvaluation Guarded(TEvaluationObserver* observer, Body body);
    bool Fail(std::string_view message, std::size_t position);
    // Tells the sink which span of the last step failed (first to last
    // token, and the group's parentheses when grouped), then fails.
    bool FailAt(std::string_view message, std::size_t position, TIndex first, TIndex last, bool grouped = false);
    // Whether token texts and their offsets are kept up to date.
    [[nodiscard]] bool Textual() const { return Stepper != nullptr || Sink != nullptr; }

    // Scanner.cpp
    bool Scan(std::string_view equation);
    std::string_view ScanNumber(std::string_view equation, std::size_t& position, bool& failed);

    // Evaluator.cpp
    bool Evaluate(std::string& equation);
    bool EvaluateDirect(std::string& equation);
    enum class TDirect { NotTaken, Succeeded, Failed };
    TDirect EvaluateDirectSteps(std::string& equation);
    bool Reduce();
    bool ReportFirstStep();
    bool TakeResult(std::string& equation);
    TIndex FindTokenOfKind(TIndex from, TIndex last, TTokenKind kind) const;
    TIndex FindGroup(TIndex from, TIndex close) const;
    TIndex FindNextOperator(TIndex open, TIndex close) const;
    TIndex FindOperatorToken(TIndex open, std::size_t level, TIndex close) const;
    bool ApplyOperator(TIndex k);
    [[nodiscard]] TDecimal ValueOf(TIndex number) const;
    std::string_view TextOf(TIndex number);
    void SetValue(TIndex number, TDecimal value);
    void RemoveParentheses(TIndex open, TIndex close);
    bool JoinAdjacentNumbers(TIndex value, std::size_t groupPosition, TIndex& joined);
    void ReportStep();
    std::size_t ReplaceText(TIndex first, TIndex last, std::string_view text);
};
