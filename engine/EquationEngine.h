// The equation engine: checks an equation text, splits it into tokens and
// reduces the token list one operation at a time, reporting every
// intermediate equation.
//
// Reduction order, applied to the whole equation and, the same way, to the
// interior of every group:
//   1. Groups first, from the left, each one completely (groups nested in it
//      before its own operators). When a group is down to one number its
//      parentheses go, and a number standing right before it is joined to
//      its value, folding a doubled sign: "-(2+3)" becomes "-5", "2(3)"
//      becomes "23".
//   2. Then operators by precedence level: "^" and "&" (power, root), then
//      "*" and "/", then "+" and "-". Within a level the leftmost operator
//      goes first, so every operator is left-associative: "2^3^2" is 64.
//      A sign typed right before a number belongs to it: "-2^2" is 4.
//
// Steps: the whole current equation (token texts joined, spaces gone) is
// reported once before every search for the next operator of a range. So
// the first step is the equation as typed, one step follows every
// operation and every removal of a group's parentheses, and the last step
// is the result alone: operations + groups + 1 steps in all.
//
// The first failing operation ends the evaluation, and Evaluate gives back
// its fault; steps already reported stand.
//
// Changes: an observer that wants them is told the first step and then, for
// every later step, only what changed: the text that one operation, or one
// group's removal with the join that follows it, put in place of a span of
// the step before. Applied in order to the first step, the changes give
// every step exactly as OnStep reports it.
//
// Reports: everything the engine has to say during an evaluation goes to the
// observer the caller hands to Evaluate, which carries whatever context the
// caller needs; the outcome is Evaluate's value. The engine keeps no state
// outside its object, so engines on different threads do not meet.
//
// Cost: the step texts are the whole equation each time, so together they
// grow with the square of its length; everything else is kept near linear
// (nesting is an explicit stack, not recursion, and an operation finds its
// operator and edits the list and the step text in place). Unless the
// observer wants steps no step text is built at all; changes alone cost
// O(log n) per step. Without either, an equation without groups is
// evaluated by operator precedence as it is read, with no working kept;
// with step texts alone, a short one is reduced on a table of its numbers.
// Memory: about 20 bytes per byte of the equation at most for its tokens and
// working, plus the step text and its index when steps are reported.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Decimal.h"

// The messages are English; the window shows them translated, and the marker
// lists them in its translators' catalog.
#define OV_MESSAGE(text) text

// Scanner messages.
// A character outside the table (letter, tab, byte above 127); at that character.
inline constexpr std::string_view MessageInvalidCharacter = OV_MESSAGE("Invalid character found.");
// A character where it may not follow, or a text ending in an operator, "(" or spaces only; at it / at the last.
inline constexpr std::string_view MessageUnexpectedCharacter = OV_MESSAGE("Unexpected character.");
// A ")" that makes the closing count exceed the opening count; at that ")".
inline constexpr std::string_view MessageNoOpeningParenthesis =
    OV_MESSAGE("Closing parenthesis with no matching opening parenthesis found.");
// More "(" than ")" at the end of the text; always at 0.
inline constexpr std::string_view MessageNoClosingParenthesis =
    OV_MESSAGE("Opening parenthesis with no matching closing parenthesis found.");
// A number that is a lone "."; at that ".".
inline constexpr std::string_view MessageLoneDecimalPoint =
    OV_MESSAGE("Decimal point with no integer nor decimal part.");
// A number with two or more decimal points; at its second ".".
inline constexpr std::string_view MessageSecondDecimalPoint = OV_MESSAGE("More than one decimal point found.");

// Evaluator messages.
// A division by zero, a root of index 0, 0 raised to a negative power; at the operator.
inline constexpr std::string_view MessageDivisionByZero = OV_MESSAGE("Division by zero.");
// A result beyond 96 bits, an infinite power or root, an operand beyond the range ("1E+30"); at the operator.
inline constexpr std::string_view MessageNumberTooLarge = OV_MESSAGE("Number too large.");
// A power or root with no real result ("-8&3"); at the operator.
inline constexpr std::string_view MessageNotReal = OV_MESSAGE("Result is not a real number.");
// An operand or lone result that is no number ("-", "-."); at its first character, for a join at the "(".
inline constexpr std::string_view MessageInvalidNumber = OV_MESSAGE("Invalid number.");

// Limits.
// An equation longer than EquationLengthLimit, at the first character past it; or steps the observer
// cannot keep, at the operator whose step it refused.
inline constexpr std::string_view MessageEquationTooLong = OV_MESSAGE("Equation too long.");
// Memory for the tokens or the working ran out; at NoPosition.
inline constexpr std::string_view MessageOutOfMemory = OV_MESSAGE("Out of memory.");

enum TTokenKind : std::int32_t {
    tkNumber = 1,
    tkOperator = 2,
    tkOpenParenthesis = 3,
    tkCloseParenthesis = 4,
};

// A token as a value of its own (tests, reference reductions).
struct TToken {
    TTokenKind Kind = tkNumber;
    std::string Text;
    // Index of the token's first character in the equation text. A token an
    // operation or a join makes takes the position of its leftmost part.
    std::size_t Position = 0;
};

// The position of a fault that has none in the equation.
inline constexpr std::size_t NoPosition = static_cast<std::size_t>(-1);

// What an evaluation (or a scan) came to: success, or its one fault.
struct TEvaluation {
    bool Ok = false;
    // The fault: one of the messages above ("" for the empty equation, which
    // fails without one), and the index of the character it is about in the
    // equation (NoPosition when it has none).
    std::string_view Message;
    std::size_t Position = NoPosition;
    // On success, the result's value where the engine holds it as one of the
    // decimal kind, whose text is the result; a failed value otherwise (a
    // lone number handed back as typed, a power's double): read the text.
    TDecimal Value = TDecimal::Failed(TDecimalStatus::NotANumber);

    explicit operator bool() const { return Ok; }
};

// Tokens are numbered from 0 in the order the scanner found them; a number
// stays a token's own for as long as the token is in the working.
using TTokenIndex = std::uint32_t;
inline constexpr TTokenIndex NoToken = ~TTokenIndex{0};

// Where a scanned token's text lies in the first step.
struct TTokenSpan {
    std::uint32_t Start;
    std::uint32_t Length;
};

// One step of the working, as an edit of the step before it.
struct TStepChange {
    std::size_t At = 0;     // offset of the replaced span in the previous step's text
    std::size_t Length = 0; // length of that span: an operation with its operands, or a group
    std::string_view Text;  // what stands there now: always one number
    // The token that holds Text now, and the tokens the step removed (an
    // operator and its right operand; or a group's parentheses, and its
    // value when the number before the group took it).
    TTokenIndex Keeper = NoToken;
    std::array<TTokenIndex, 3> Gone{NoToken, NoToken, NoToken};
    std::size_t GoneCount = 0;
};

// Hears the working of one evaluation: the steps as whole texts, the steps
// as changes (see above), and the operation that failed. The caller passes
// it to Evaluate with whatever context it needs; each kind of report is
// asked for once per evaluation and costs nothing unless wanted. Nothing is
// reported for an equation the scanner refuses; a failing operation ends the
// reports, after OnFailure has named it.
class TEvaluationObserver {
public:
    virtual ~TEvaluationObserver() = default;

    // Every step as the whole equation at that point.
    [[nodiscard]] virtual bool WantsSteps() const { return false; }
    virtual void OnStep(const std::string& /*equation*/) {}

    // The first step: the token texts joined, and where each token's text
    // lies in it, by token number; then each change. Both return false when
    // the observer cannot keep the step: the evaluation then fails with
    // MessageEquationTooLong.
    [[nodiscard]] virtual bool WantsChanges() const { return false; }
    virtual bool OnFirstStep(std::string_view /*equation*/, std::span<const TTokenSpan> /*tokens*/) { return true; }
    virtual bool OnChange(const TStepChange& /*change*/) { return true; }
    // The operation that failed, as the span of the last step it would have
    // replaced (an operator with its operands, a group with the number
    // joined to it, a lone number that is none); told when changes are.
    virtual void OnFailure(std::size_t /*at*/, std::size_t /*length*/) {}
};

// An observer of the steps as texts alone, from a callable that carries its
// own context: TStepObserver steps([&](const std::string& step) { ... });
// then engine.Evaluate(equation, &steps).
template <class TOnStep>
class TStepObserver final : public TEvaluationObserver {
public:
    explicit TStepObserver(TOnStep onStep) : Callable(std::move(onStep)) {}
    [[nodiscard]] bool WantsSteps() const override { return true; }
    void OnStep(const std::string& equation) override { Callable(equation); }

private:
    TOnStep Callable;
};

class TEquationEngine {
public:
    // The longest equation the engine can index; longer ones are refused.
    static constexpr std::size_t EquationLengthLimit = std::size_t{0xFFFFFFFE};

    TEquationEngine();
    ~TEquationEngine();
    TEquationEngine(const TEquationEngine&) = delete;
    TEquationEngine& operator=(const TEquationEngine&) = delete;

    // Replaces equation by its value and succeeds, or gives back its one
    // fault with equation unchanged; the working goes to observer (none when
    // null) as it is done. The empty text fails without a message. Nothing
    // is thrown: memory that runs out is the fault MessageOutOfMemory, and
    // the next evaluation starts afresh.
    TEvaluation Evaluate(std::string& equation, TEvaluationObserver* observer = nullptr);

    // The first stage of Evaluate: scans a valid equation into tokens, or
    // gives back its first fault.
    TEvaluation Scan(std::string_view equation);

    // The scanned tokens after Scan; after Evaluate, what the reduction left
    // (none for an equation worked out as it was read: numbers and
    // operators alone, with no changes wanted). A copy, in order.
    [[nodiscard]] std::vector<TToken> Tokens() const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};
