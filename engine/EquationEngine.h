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
// The first failing operation ends the evaluation with one error report;
// steps already reported stand.
//
// Changes: a step sink, when set, is told the first step and then, for every
// later step, only what changed: the text that one operation, or one group's
// removal with the join that follows it, put in place of a span of the step
// before. Applied in order to the first step, the changes give every step
// exactly as the step callback reports it.
//
// Cost: the step texts are the whole equation each time, so together they
// grow with the square of its length; everything else is kept near linear
// (nesting is an explicit stack, not recursion, and an operation finds its
// operator and edits the list and the step text in place). Without a step
// callback no step text is built at all; a step sink alone costs O(log n)
// per step. Without either, an equation without groups is evaluated by
// operator precedence in one pass, with no working kept. Memory: about 20
// bytes per byte of the equation at most for its tokens and working, plus
// the step text and its index when steps are reported.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TDecimal;

// Scanner messages.
// A character outside the table (letter, tab, byte above 127); at that character.
inline constexpr std::string_view MessageInvalidCharacter = "Invalid character found.";
// A character where it may not follow, or a text ending in an operator, "(" or spaces only; at it / at the last.
inline constexpr std::string_view MessageUnexpectedCharacter = "Unexpected character.";
// A ")" that makes the closing count exceed the opening count; at that ")".
inline constexpr std::string_view MessageNoOpeningParenthesis =
    "Closing parenthesis with no matching opening parenthesis found.";
// More "(" than ")" at the end of the text; always at 0.
inline constexpr std::string_view MessageNoClosingParenthesis =
    "Opening parenthesis with no matching closing parenthesis found.";
// A number that is a lone "."; at that ".".
inline constexpr std::string_view MessageLoneDecimalPoint = "Decimal point with no integer nor decimal part.";
// A number with two or more decimal points; at its second ".".
inline constexpr std::string_view MessageSecondDecimalPoint = "More than one decimal point found.";

// Evaluator messages.
// A division by zero, a root of index 0, 0 raised to a negative power; at the operator.
inline constexpr std::string_view MessageDivisionByZero = "Division by zero.";
// A result beyond 96 bits, an infinite power or root, an operand beyond the range ("1E+30"); at the operator.
inline constexpr std::string_view MessageNumberTooLarge = "Number too large.";
// A power or root with no real result ("-8&3"); at the operator.
inline constexpr std::string_view MessageNotReal = "Result is not a real number.";
// An operand or lone result that is no number ("-", "-."); at its first character, for a join at the "(".
inline constexpr std::string_view MessageInvalidNumber = "Invalid number.";

// Limits.
// An equation longer than EquationLengthLimit, at the first character past it; or steps the step sink
// cannot keep, at the operator whose step it refused.
inline constexpr std::string_view MessageEquationTooLong = "Equation too long.";
// Memory for the tokens or the working ran out; at -1.
inline constexpr std::string_view MessageOutOfMemory = "Out of memory.";

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

// A token as the list holds it. Text views the list's storage: it stays
// valid until the list next changes.
struct TTokenView {
    TTokenKind Kind = tkNumber;
    std::string_view Text;
    std::size_t Position = 0;

    operator TToken() const { return TToken{Kind, std::string(Text), Position}; }
};

// The engine's ordered token list. Tokens are linked rather than packed so
// that an operation removes its operator and right operand in constant time;
// an index names one token for as long as it stays in the list, and indices
// follow the order of the list.
//
// Memory: 17 bytes per token and one per byte of the equation. A token is
// an offset and a length into a copy of the equation; a token given a text
// of its own (a computed number) gets a record with its position, and the
// text goes to a second store, in place of its former text where that was
// long enough. Equations are limited to 4 GiB.
class TTokenList {
public:
    using TIndex = std::uint32_t;
    static constexpr TIndex None = ~TIndex{0};     // "nothing found" and the end of the list
    static constexpr std::size_t KeptNodes = 4096; // storage Clear keeps for the next equation

    // Empties the list and takes a copy of the text the tokens will come from.
    void Start(std::string_view source);
    void Clear() { Start({}); }
    [[nodiscard]] std::size_t Count() const { return Size; }
    // The token at source[position, position + length).
    TIndex Append(TTokenKind kind, std::size_t position, std::size_t length);
    void Erase(TIndex index);

    [[nodiscard]] TTokenView operator[](TIndex index) const
    {
        return TTokenView{KindOf(index), TextOf(index), PositionOf(index)};
    }
    [[nodiscard]] TTokenKind KindOf(TIndex index) const { return static_cast<TTokenKind>(Kinds[index] & KindMask); }
    [[nodiscard]] std::string_view TextOf(TIndex index) const
    {
        const TNode& node = Nodes[index];
        return (Kinds[index] & HasRecord) != 0
                   ? std::string_view(Computed).substr(Records[node.Start].Start, node.Length)
                   : std::string_view(Source).substr(node.Start, node.Length);
    }
    [[nodiscard]] std::size_t PositionOf(TIndex index) const
    {
        return (Kinds[index] & HasRecord) != 0 ? Records[Nodes[index].Start].Position : Nodes[index].Start;
    }
    // Gives the token a text of its own.
    void SetText(TIndex index, std::string_view text);
    // A number for the token, below RecordCount(), that stays its own while
    // it is in the list; made on first use.
    std::uint32_t Record(TIndex index);
    [[nodiscard]] std::size_t RecordCount() const { return Records.size(); }
    // The record of a token that has one.
    [[nodiscard]] std::uint32_t RecordOf(TIndex index) const { return Nodes[index].Start; }

    [[nodiscard]] TIndex First() const { return Head; }
    [[nodiscard]] TIndex Next(TIndex index) const { return Nodes[index].Next; }
    [[nodiscard]] TIndex Prev(TIndex index) const { return Nodes[index].Prev; }
    // One past the highest index handed out since the last Clear.
    [[nodiscard]] TIndex IndexLimit() const { return static_cast<TIndex>(Nodes.size()); }

private:
    static constexpr std::uint8_t KindMask = 0x7F;
    static constexpr std::uint8_t HasRecord = 0x80;

    // Start is an offset in Source, or with HasRecord the token's record.
    struct TNode {
        std::uint32_t Start;
        std::uint32_t Length;
        TIndex Prev;
        TIndex Next;
    };
    struct TRecord {
        std::uint32_t Position;
        std::uint32_t Start;    // in Computed
        std::uint32_t Capacity; // room at Start
    };

    std::vector<TNode> Nodes;
    std::vector<std::uint8_t> Kinds; // the kind, and HasRecord
    std::vector<TRecord> Records;
    std::string Source;
    std::string Computed;
    TIndex Head = None;
    TIndex Tail = None;
    std::size_t Size = 0;
};

using TErrorCallback = void (*)(std::string Message, int Position);
using TStepCallback = void (*)(const std::string& Equation);

// One step of the working, as an edit of the step before it.
struct TStepChange {
    std::size_t At = 0;     // offset of the replaced span in the previous step's text
    std::size_t Length = 0; // length of that span: an operation with its operands, or a group
    std::string_view Text;  // what stands there now: always one number
    // The token that holds Text now, and the tokens the step removed (an
    // operator and its right operand; or a group's parentheses, and its
    // value when the number before the group took it).
    TTokenList::TIndex Keeper = TTokenList::None;
    std::array<TTokenList::TIndex, 3> Gone{TTokenList::None, TTokenList::None, TTokenList::None};
    std::size_t GoneCount = 0;
};

// Receives the working as changes (see above). Nothing is reported for an
// equation the scanner refuses; a failing operation ends the reports, after
// OnFailure has named it.
class TStepSink {
public:
    virtual ~TStepSink() = default;
    // The first step: the token texts joined, and the tokens themselves, by
    // index (every index below tokens.IndexLimit() is in the list). Both
    // return false when the sink cannot keep the step: the evaluation then
    // fails with MessageEquationTooLong.
    virtual bool OnFirstStep(std::string_view equation, const TTokenList& tokens) = 0;
    virtual bool OnChange(const TStepChange& change) = 0;
    // The operation that failed, as the span of the last step it would have
    // replaced (an operator with its operands, a group with the number
    // joined to it, a lone number that is none).
    virtual void OnFailure(std::size_t /*at*/, std::size_t /*length*/) {}
};

class TEquationEngine {
public:
    // The longest equation the token list can index; longer ones are refused.
    static constexpr std::size_t EquationLengthLimit = std::size_t{0xFFFFFFFE};

    // onStep may be null: then no step text is built at all.
    TEquationEngine(TErrorCallback onError, TStepCallback onStep);
    ~TEquationEngine();
    TEquationEngine(const TEquationEngine&) = delete;
    TEquationEngine& operator=(const TEquationEngine&) = delete;

    // Replaces equation by its value and returns true, or reports one fault
    // through the error callback and returns false with equation unchanged.
    // The empty text fails without a message. Nothing is thrown: memory
    // that runs out is reported as MessageOutOfMemory, and the next
    // evaluation starts afresh.
    bool Evaluate(std::string& equation);

    // The first stage of Evaluate: appends the tokens of a valid equation
    // to the token list, which it clears first, or reports its first fault.
    bool Scan(std::string_view equation);

    // Where the working goes as changes, beside the step callback; null for
    // none. The sink must outlive every Evaluate it is set for.
    void SetStepSink(TStepSink* sink) { Sink = sink; }

    // The scanned tokens after Scan; after Evaluate, what the reduction left
    // (or, for an equation without groups evaluated without steps or sink,
    // the scanned tokens).
    [[nodiscard]] const TTokenList& GetTokens() const { return Tokens; }

private:
    using TIndex = TTokenList::TIndex;
    struct TWorkspace;

    std::string_view ScanNumber(std::string_view equation, std::size_t& position, bool& failed);

    bool EvaluateUnguarded(std::string& equation);
    bool ScanUnguarded(std::string_view equation);
    // Runs work, turning memory that runs out into a report.
    template <class Body>
    bool Guarded(Body body);
    bool Reduce();
    bool EvaluateFlat(std::string& equation);
    bool TakeResult(std::string& equation);
    TIndex FindGroup(TIndex from, TIndex close) const;
    TIndex FindTokenOfKind(TIndex from, TIndex last, TTokenKind kind) const;
    TIndex FindNextOperator(TIndex open, TIndex close) const;
    TIndex FindOperatorToken(TIndex open, std::size_t level, TIndex close) const;
    // 0 for "^" and "&", 1 for "*" and "/", 2 for "+" and "-", by Operators.
    [[nodiscard]] std::size_t LevelOf(char op) const;
    bool ApplyOperator(TIndex k);
    [[nodiscard]] TDecimal ValueOf(TIndex number) const;
    std::string_view TextOf(TIndex number);
    void SetValue(TIndex number, TDecimal value);
    void RemoveParentheses(TIndex open, TIndex close);
    bool JoinAdjacentNumbers(TIndex value, std::size_t groupPosition, TIndex& joined);
    void ReportStep();
    // Whether token texts and their offsets are kept up to date.
    [[nodiscard]] bool Textual() const { return OnStep != nullptr || Sink != nullptr; }
    std::size_t ReplaceText(TIndex first, TIndex last, std::string_view text);
    bool Fail(std::string_view message, std::size_t position);
    // Tells the sink which span of the last step failed (first to last
    // token, and the group's parentheses when grouped), then fails.
    bool FailAt(std::string_view message, std::size_t position, TIndex first, TIndex last, bool grouped = false);

    std::array<char, 6> Operators;
    TTokenList Tokens;
    TErrorCallback OnError;
    TStepCallback OnStep;
    TStepSink* Sink = nullptr;
    bool ScannedGroups = false;
    std::unique_ptr<TWorkspace> Work;
};
