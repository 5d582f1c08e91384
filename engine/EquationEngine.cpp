#include "EquationEngine.h"

#include "Decimal.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

using TIndex = TTokenList::TIndex;
constexpr TIndex None = TTokenList::None;

// The scanner's state before the first token, beside the four token kinds.
constexpr int StartState = 5;

enum class TVerdict { Accept, BeginsNumber, Skip, Unexpected, Invalid };

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The scanner's table: what the character c may be after a token of kind
// previous (or the start state). On Accept, kind says which token it is.
TVerdict Classify(char c, int previous, TTokenKind& kind)
{
    const bool afterOperand = previous == tkNumber || previous == tkCloseParenthesis;
    switch (c) {
    case ' ':
        return TVerdict::Skip;
    case '+':
    case '-':
        if (!afterOperand) {
            return TVerdict::BeginsNumber; // the sign leads a number
        }
        kind = tkOperator;
        return TVerdict::Accept;
    case '*':
    case '/':
    case '^':
    case '&':
        if (!afterOperand) {
            return TVerdict::Unexpected;
        }
        kind = tkOperator;
        return TVerdict::Accept;
    case '(':
        // Allowed after a number because a lone sign is a number: "-(2+3)".
        if (previous == tkCloseParenthesis) {
            return TVerdict::Unexpected;
        }
        kind = tkOpenParenthesis;
        return TVerdict::Accept;
    case ')':
        if (!afterOperand) {
            return TVerdict::Unexpected;
        }
        kind = tkCloseParenthesis;
        return TVerdict::Accept;
    default:
        if (IsDigit(c) || c == '.') {
            return afterOperand ? TVerdict::Unexpected : TVerdict::BeginsNumber;
        }
        return TVerdict::Invalid;
    }
}

std::string_view MessageFor(TDecimalStatus status)
{
    switch (status) {
    case TDecimalStatus::DivisionByZero:
        return MessageDivisionByZero;
    case TDecimalStatus::Overflow:
        return MessageNumberTooLarge;
    case TDecimalStatus::NotReal:
        return MessageNotReal;
    case TDecimalStatus::Ok:
    case TDecimalStatus::NotANumber:
        break;
    }
    return MessageInvalidNumber;
}

// A sign before a group meets the sign of the group's value: "--5" is "+5",
// "+-5" is "-5". Each check works on the outcome of the one before.
void FoldSigns(std::string& text)
{
    static constexpr std::string_view Folds[][2] = {{"++", "+"}, {"--", "+"}, {"+-", "-"}, {"-+", "-"}};
    for (const auto& fold : Folds) {
        if (text.starts_with(fold[0])) {
            text.replace(0, 2, fold[1]);
        }
    }
}

// A set of token indices that finds the smallest member at or above a bound
// in O(log64 n): one bit per index, and above it one summary bit per word,
// so that whole runs of consumed operators are skipped at once.
class TIndexSet {
public:
    // Room for indices below size, emptied when clear is set.
    void Reserve(std::size_t size, bool clear)
    {
        if (!Levels.empty() && Levels[0].size() * 64 >= size) {
            if (clear) {
                for (auto& level : Levels) {
                    std::fill(level.begin(), level.end(), 0);
                }
            }
            return;
        }
        std::size_t levels = 0;
        do {
            size = (size + 63) / 64;
            if (Levels.size() <= levels) {
                Levels.emplace_back();
            }
            Levels[levels++].assign(size, 0);
        } while (size > 1);
        Levels.resize(levels);
    }

    void Insert(std::size_t index)
    {
        for (auto& level : Levels) {
            std::uint64_t& word = level[index / 64];
            const bool wasEmpty = word == 0;
            word |= std::uint64_t{1} << (index % 64);
            if (!wasEmpty) {
                return;
            }
            index /= 64;
        }
    }

    void Erase(std::size_t index)
    {
        for (auto& level : Levels) {
            std::uint64_t& word = level[index / 64];
            word &= ~(std::uint64_t{1} << (index % 64));
            if (word != 0) {
                return;
            }
            index /= 64;
        }
    }

    // The smallest member >= index, or SIZE_MAX.
    [[nodiscard]] std::size_t Next(std::size_t index) const
    {
        std::size_t level = 0;
        for (;;) {
            if (level == Levels.size() || index / 64 >= Levels[level].size()) {
                return SIZE_MAX;
            }
            const std::uint64_t bits = Levels[level][index / 64] & (~std::uint64_t{0} << (index % 64));
            if (bits != 0) {
                index = (index & ~std::size_t{63}) | static_cast<std::size_t>(std::countr_zero(bits));
                break;
            }
            index = index / 64 + 1;
            ++level;
        }
        while (level > 0) {
            --level;
            index = index * 64 + static_cast<std::size_t>(std::countr_zero(Levels[level][index]));
        }
        return index;
    }

private:
    std::vector<std::vector<std::uint64_t>> Levels;
};

// Text lengths of the tokens by index (a Fenwick tree), so that a token's
// offset in the step text is found in O(log n) while tokens come and go.
class TLengthTree {
public:
    template <typename TLengthOf>
    void Build(std::size_t count, TLengthOf lengthOf)
    {
        Tree.assign(count + 1, 0);
        for (std::size_t i = 1; i <= count; ++i) {
            Tree[i] += lengthOf(i - 1);
            const std::size_t parent = i + (i & (0 - i));
            if (parent <= count) {
                Tree[parent] += Tree[i];
            }
        }
    }

    // delta may be "negative": the sums wrap back into range.
    void Add(std::size_t index, std::size_t delta)
    {
        for (std::size_t i = index + 1; i < Tree.size(); i += i & (0 - i)) {
            Tree[i] += delta;
        }
    }

    // Total length of the tokens below index: the offset of token index.
    [[nodiscard]] std::size_t Prefix(std::size_t index) const
    {
        std::size_t sum = 0;
        for (std::size_t i = index; i > 0; i &= i - 1) {
            sum += Tree[i];
        }
        return sum;
    }

private:
    std::vector<std::size_t> Tree;
};

} // namespace

// ---------------------------------------------------------------------------
// TTokenList

void TTokenList::Start(std::string_view source)
{
    // Storage is kept for reuse, but not the memory of a huge equation.
    if (Nodes.capacity() > KeptNodes) {
        Nodes = {};
        Kinds = {};
        Records = {};
        Source = {};
        Computed = {};
    }
    Nodes.clear();
    Kinds.clear();
    Records.clear();
    Computed.clear();
    Source.assign(source);
    // A huge equation gets room for its tokens at once, not by doubling,
    // which would at times hold three times their size. Every number
    // follows an operator or parenthesis but the first, so there are at
    // most twice as many tokens as those, plus one.
    if (source.size() > KeptNodes) {
        const std::size_t marks = static_cast<std::size_t>(
            std::count_if(source.begin(), source.end(), [](char c) { return !IsDigit(c) && c != '.' && c != ' '; }));
        const std::size_t bound = std::min(source.size(), 2 * marks + 1);
        Nodes.reserve(bound);
        Kinds.reserve(bound);
    }
    Head = Tail = None;
    Size = 0;
}

TTokenList::TIndex TTokenList::Append(TTokenKind kind, std::size_t position, std::size_t length)
{
    const auto index = static_cast<TIndex>(Nodes.size());
    Nodes.push_back(TNode{static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(length), Tail, None});
    Kinds.push_back(static_cast<std::uint8_t>(kind));
    if (Tail == None) {
        Head = index;
    } else {
        Nodes[Tail].Next = index;
    }
    Tail = index;
    ++Size;
    return index;
}

std::uint32_t TTokenList::Record(TIndex index)
{
    TNode& node = Nodes[index];
    if ((Kinds[index] & HasRecord) == 0) {
        // The text moves along: its place in the copy of the equation is
        // no room for longer ones.
        Records.push_back(TRecord{node.Start, static_cast<std::uint32_t>(Computed.size()), node.Length});
        Computed.append(Source, node.Start, node.Length);
        node.Start = static_cast<std::uint32_t>(Records.size() - 1);
        Kinds[index] |= HasRecord;
    }
    return node.Start;
}

void TTokenList::SetText(TIndex index, std::string_view text)
{
    TRecord& record = Records[Record(index)];
    if (text.size() <= record.Capacity) {
        Computed.replace(record.Start, text.size(), text);
    } else {
        record.Start = static_cast<std::uint32_t>(Computed.size());
        record.Capacity = static_cast<std::uint32_t>(text.size());
        Computed.append(text);
    }
    Nodes[index].Length = static_cast<std::uint32_t>(text.size());
}

void TTokenList::Erase(TIndex index)
{
    TNode& node = Nodes[index];
    (node.Prev == None ? Head : Nodes[node.Prev].Next) = node.Next;
    (node.Next == None ? Tail : Nodes[node.Next].Prev) = node.Prev;
    node.Prev = node.Next = None;
    --Size;
}

// ---------------------------------------------------------------------------
// TEquationEngine

// One range being reduced: the interior of the group between Open and Close,
// or the whole equation when both are None. Cursor is where the search for
// the range's next group goes on: every group before it is resolved.
struct TRange {
    TIndex Open;
    TIndex Close;
    TIndex Cursor;
};

// What is known of a number token's value besides its text.
enum class TValueState : std::uint8_t {
    TextOnly,  // read the text when the value is needed
    Known,     // Values holds it, and the text is its DecimalToText
    TextLater, // Values holds it; the text is written only when needed
};

struct TEquationEngine::TWorkspace {
    std::array<TIndexSet, 3> OperatorIndices; // one set per precedence level
    bool OperatorIndicesEmpty = true;
    std::array<std::uint8_t, 256> Levels{}; // the precedence level of each operator character
    // A decimal result read back from its text is the same value, so the
    // result of an operation is kept as a value for the next operation, and
    // without steps its text is written only if something needs it. A power
    // result is a double, which its text rounds: that one is always read back.
    std::vector<TDecimal> Values;
    std::vector<TValueState> ValueStates;
    std::vector<TIndex> Partner; // the matching ")" of each "("
    std::vector<TIndex> OpenGroups;
    std::vector<TRange> Ranges; // the explicit stack: deep nesting must not recurse
    TLengthTree Lengths;        // only while steps or changes are reported
    std::string Equation;       // the current step text, kept up to date edit by edit (steps only)

    void Release()
    {
        OperatorIndices = {};
        OperatorIndicesEmpty = true;
        Values = {};
        ValueStates = {};
        Partner = {};
        OpenGroups = {};
        Ranges = {};
        Lengths = {};
        Equation = {};
    }
};

TEquationEngine::TEquationEngine(TErrorCallback onError, TStepCallback onStep)
    : Operators{'^', '&', '*', '/', '+', '-'}, OnError(onError), OnStep(onStep), Work(std::make_unique<TWorkspace>())
{
    for (std::size_t slot = 0; slot < Operators.size(); ++slot) {
        Work->Levels[static_cast<unsigned char>(Operators[slot])] = static_cast<std::uint8_t>(slot / 2);
    }
}

TEquationEngine::~TEquationEngine() = default;

bool TEquationEngine::Fail(std::string_view message, std::size_t position)
{
    if (OnError != nullptr) {
        OnError(std::string(message), static_cast<int>(std::min<std::size_t>(position, INT_MAX)));
    }
    return false;
}

bool TEquationEngine::FailAt(std::string_view message, std::size_t position, TIndex first, TIndex last, bool grouped)
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
bool TEquationEngine::Guarded(Body body)
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

bool TEquationEngine::Evaluate(std::string& equation)
{
    return Guarded([&] { return EvaluateUnguarded(equation); });
}

bool TEquationEngine::Scan(std::string_view equation)
{
    return Guarded([&] { return ScanUnguarded(equation); });
}

bool TEquationEngine::EvaluateUnguarded(std::string& equation)
{
    if (!ScanUnguarded(equation)) {
        return false;
    }
    // Without steps and groups the working is not needed, only its result;
    // a fault found that way is left to the reduction, which reports the
    // first one in its own order.
    if (!Textual() && !ScannedGroups && EvaluateFlat(equation)) {
        return true;
    }
    const bool ok = Reduce() && TakeResult(equation);
    // The working storage of a huge equation is not kept for the next one.
    if (Tokens.IndexLimit() > TTokenList::KeptNodes) {
        Work->Release();
    }
    return ok;
}

// Operator precedence with left associativity builds the same tree as the
// reduction's leftmost-first order by level, so every operation gets the same
// operands. An operator waits on a stack until one of the same or a lower
// level follows it, so the stacks hold at most one operator per level.
bool TEquationEngine::EvaluateFlat(std::string& equation)
{
    std::array<TDecimal, 4> values;
    std::array<char, 3> operators{};
    std::size_t valueCount = 0;
    std::size_t operatorCount = 0;
    auto applyTop = [&] {
        const char op = operators[--operatorCount];
        const TDecimal r = values[--valueCount];
        TDecimal& l = values[valueCount - 1];
        switch (op) {
        case '+':
            l = DecimalAdd(l, r);
            break;
        case '-':
            l = DecimalSubtract(l, r);
            break;
        case '*':
            l = DecimalMultiply(l, r);
            break;
        case '/':
            l = DecimalDivide(l, r);
            break;
        case '^':
            l = DecimalPower(l, r);
            break;
        default:
            l = DecimalPower(l, DecimalReciprocal(r));
            break;
        }
        // A double result goes on as it is: the next operation reads it
        // back from its text, as the reduction does.
        return l.IsOk();
    };
    for (TIndex i = Tokens.First(); i != None; i = Tokens.Next(i)) {
        const std::string_view text = Tokens.TextOf(i);
        if (Tokens.KindOf(i) == tkNumber) {
            values[valueCount] = DecimalFromText(text);
            if (!values[valueCount++].IsOk()) {
                return false;
            }
            continue;
        }
        const std::size_t level = LevelOf(text[0]);
        while (operatorCount > 0 && LevelOf(operators[operatorCount - 1]) <= level) {
            if (!applyTop()) {
                return false;
            }
        }
        operators[operatorCount++] = text[0];
    }
    if (valueCount == 1) {
        return false; // a lone number is handed back as typed: the reduction does that
    }
    while (operatorCount > 0) {
        if (!applyTop()) {
            return false;
        }
    }
    equation = DecimalToText(values[0]);
    return true;
}

bool TEquationEngine::TakeResult(std::string& equation)
{
    const TIndex last = Tokens.First();
    // A lone number is handed back as typed, but a lone sign or "-." is none.
    if (Work->ValueStates[last] == TValueState::TextOnly &&
        DecimalFromText(Tokens.TextOf(last)).Status == TDecimalStatus::NotANumber) {
        return FailAt(MessageInvalidNumber, Tokens.PositionOf(last), last, last);
    }
    equation = TextOf(last);
    return true;
}

// ---------------------------------------------------------------------------
// Scanner

bool TEquationEngine::ScanUnguarded(std::string_view equation)
{
    if (equation.size() > EquationLengthLimit) {
        Tokens.Clear();
        return Fail(MessageEquationTooLong, EquationLengthLimit);
    }
    Tokens.Start(equation);
    if (equation.empty()) {
        return false;
    }
    int previous = StartState;
    long opening = 0;
    long closing = 0;
    for (std::size_t position = 0; position < equation.size(); ++position) {
        const std::size_t start = position;
        TTokenKind kind = tkNumber;
        TVerdict verdict = Classify(equation[position], previous, kind);
        std::string_view text = equation.substr(position, 1);
        switch (verdict) {
        case TVerdict::Skip:
            continue;
        case TVerdict::BeginsNumber: {
            bool failed = false;
            text = ScanNumber(equation, position, failed);
            if (failed) {
                return false;
            }
            verdict = TVerdict::Accept;
            kind = tkNumber;
            break;
        }
        case TVerdict::Accept:
            if (kind == tkOpenParenthesis) {
                ++opening;
            } else if (kind == tkCloseParenthesis) {
                ++closing;
            }
            break;
        case TVerdict::Unexpected:
        case TVerdict::Invalid:
            break;
        }
        if (opening < closing) {
            return Fail(MessageNoOpeningParenthesis, position);
        }
        if (verdict == TVerdict::Unexpected) {
            return Fail(MessageUnexpectedCharacter, position);
        }
        if (verdict == TVerdict::Invalid) {
            return Fail(MessageInvalidCharacter, position);
        }
        Tokens.Append(kind, start, text.size());
        previous = kind;
    }
    ScannedGroups = opening > 0;
    if (opening > closing) {
        return Fail(MessageNoClosingParenthesis, 0);
    }
    if (previous == tkNumber || previous == tkCloseParenthesis) {
        return true;
    }
    // Ends after an operator or "(", or holds nothing but spaces.
    return Fail(MessageUnexpectedCharacter, equation.size() - 1);
}

std::string_view TEquationEngine::ScanNumber(std::string_view equation, std::size_t& position, bool& failed)
{
    // The first character belongs to the number whatever it is, so a sign
    // can only ever lead one; a sign followed by no digit stays a lone sign.
    std::size_t length = 1;
    std::size_t points = equation[position] == '.' ? 1 : 0;
    std::size_t secondPoint = 0;
    for (; position + length < equation.size(); ++length) {
        const char c = equation[position + length];
        if (c == '.') {
            if (++points == 2) {
                secondPoint = length;
            }
        } else if (!IsDigit(c)) {
            break;
        }
    }
    const std::string_view candidate = equation.substr(position, length);
    failed = true;
    if (candidate == ".") {
        Fail(MessageLoneDecimalPoint, position);
        return {};
    }
    if (points > 1) {
        Fail(MessageSecondDecimalPoint, position + secondPoint);
        return {};
    }
    failed = false;
    position += length - 1;
    return candidate;
}

// ---------------------------------------------------------------------------
// Reduction

bool TEquationEngine::Reduce()
{
    TWorkspace& work = *Work;
    const TIndex limit = Tokens.IndexLimit();

    // Pair the parentheses and index the operators by level, once. An
    // evaluation that ran to its end consumed every indexed operator.
    for (auto& set : work.OperatorIndices) {
        set.Reserve(limit, !work.OperatorIndicesEmpty);
    }
    work.OperatorIndicesEmpty = false;
    work.ValueStates.assign(limit, TValueState::TextOnly);
    work.OpenGroups.clear();
    bool hasGroups = false;
    std::size_t depth = 0;
    for (TIndex i = Tokens.First(); i != None; i = Tokens.Next(i)) {
        const TTokenKind kind = Tokens.KindOf(i);
        if (kind == tkOpenParenthesis) {
            if (!hasGroups) {
                work.Partner.resize(std::max<std::size_t>(work.Partner.size(), limit));
                hasGroups = true;
            }
            work.OpenGroups.push_back(i);
            depth = std::max(depth, work.OpenGroups.size());
        } else if (kind == tkCloseParenthesis) {
            work.Partner[work.OpenGroups.back()] = i;
            work.OpenGroups.pop_back();
        } else if (kind == tkOperator) {
            work.OperatorIndices[LevelOf(Tokens.TextOf(i)[0])].Insert(i);
        }
    }

    if (Textual()) {
        work.Equation.clear();
        for (TIndex i = Tokens.First(); i != None; i = Tokens.Next(i)) {
            work.Equation += Tokens.TextOf(i);
        }
        work.Lengths.Build(limit, [this](std::size_t i) { return Tokens.TextOf(static_cast<TIndex>(i)).size(); });
        if (Sink != nullptr && !Sink->OnFirstStep(work.Equation, Tokens)) {
            return Fail(MessageEquationTooLong, 0);
        }
        if (OnStep == nullptr) {
            work.Equation.clear(); // kept up to date for the step callback only
        }
    }

    // Each range resolves its groups from the left, each one completely,
    // before any of its own operators; a group's interior is a range of its
    // own, pushed here instead of recursed into.
    work.Ranges.clear();
    work.Ranges.reserve(depth + 1); // once, not by doubling: deep nesting is one range per level
    work.Ranges.push_back(TRange{None, None, hasGroups ? Tokens.First() : None});
    for (;;) {
        TRange& range = work.Ranges.back();
        const TIndex open = FindGroup(range.Cursor, range.Close);
        if (open != None) {
            const TRange inner{open, work.Partner[open], Tokens.Next(open)};
            work.Ranges.push_back(inner);
            continue;
        }
        for (;;) {
            ReportStep();
            const TIndex k = FindNextOperator(range.Open, range.Close);
            if (k == None) {
                break;
            }
            if (!ApplyOperator(k)) {
                return false;
            }
        }
        const TRange done = range;
        work.Ranges.pop_back();
        if (work.Ranges.empty()) {
            work.OperatorIndicesEmpty = true;
            return true;
        }
        const TIndex value = Tokens.Next(done.Open);
        const std::size_t groupPosition = Tokens.PositionOf(done.Open);
        TStepChange change;
        if (Sink != nullptr) {
            change.At = work.Lengths.Prefix(done.Open);
            change.Length = Tokens.TextOf(value).size() + 2;
            change.Gone = {done.Open, done.Close, None};
            change.GoneCount = 2;
        }
        RemoveParentheses(done.Open, done.Close);
        TIndex joined = value;
        if (!JoinAdjacentNumbers(value, groupPosition, joined)) {
            return false;
        }
        if (Sink != nullptr) {
            if (joined != value) {
                // The number before the group took its value: the change
                // starts at that number, and the value's token went too.
                const std::size_t at = work.Lengths.Prefix(joined);
                change.Length += change.At - at;
                change.At = at;
                change.Gone[change.GoneCount++] = value;
            }
            change.Keeper = joined;
            change.Text = Tokens.TextOf(joined);
            if (!Sink->OnChange(change)) {
                return Fail(MessageEquationTooLong, groupPosition);
            }
        }
        work.Ranges.back().Cursor = Tokens.Next(joined);
    }
}

void TEquationEngine::ReportStep()
{
    if (OnStep != nullptr) {
        OnStep(Work->Equation);
    }
}

TTokenList::TIndex TEquationEngine::FindTokenOfKind(TIndex from, TIndex last, TTokenKind kind) const
{
    for (TIndex i = from; i != last && i != None; i = Tokens.Next(i)) {
        if (Tokens.KindOf(i) == kind) {
            return i;
        }
    }
    return None;
}

// The "(" of the next group from a range's cursor on; its ")" is paired in
// advance. The search never passes the range's own ")", and everything it
// passes (numbers and operators of this range) it passes once.
TTokenList::TIndex TEquationEngine::FindGroup(TIndex from, TIndex close) const
{
    return FindTokenOfKind(from, close, tkOpenParenthesis);
}

// Token indices follow the list order and a range holds no group any more
// when its operators are searched, so the range's operators are exactly the
// indexed operators between its "(" and ")". Both operators of a level share
// one index: its first member in range is the leftmost of either.
TTokenList::TIndex TEquationEngine::FindOperatorToken(TIndex open, std::size_t level, TIndex close) const
{
    const std::size_t lower = open == None ? 0 : std::size_t{open} + 1;
    const std::size_t upper = close == None ? Tokens.IndexLimit() : close;
    const std::size_t found = lower < upper ? Work->OperatorIndices[level].Next(lower) : SIZE_MAX;
    return found < upper ? static_cast<TIndex>(found) : None;
}

std::size_t TEquationEngine::LevelOf(char op) const
{
    return Work->Levels[static_cast<unsigned char>(op)];
}

TTokenList::TIndex TEquationEngine::FindNextOperator(TIndex open, TIndex close) const
{
    for (std::size_t level = 0; level < Work->OperatorIndices.size(); ++level) {
        const TIndex found = FindOperatorToken(open, level, close);
        if (found != None) {
            return found;
        }
    }
    return None;
}

bool TEquationEngine::ApplyOperator(TIndex k)
{
    const TIndex left = Tokens.Prev(k);
    const TIndex right = Tokens.Next(k);
    const std::size_t operatorPosition = Tokens.PositionOf(k);

    // Left operand, then right operand, then the operation: the first
    // failure found is the one reported.
    const TDecimal l = ValueOf(left);
    if (!l.IsOk()) {
        return FailAt(MessageFor(l.Status),
                      l.Status == TDecimalStatus::NotANumber ? Tokens.PositionOf(left) : operatorPosition, left, right);
    }
    const TDecimal r = ValueOf(right);
    if (!r.IsOk()) {
        return FailAt(MessageFor(r.Status),
                      r.Status == TDecimalStatus::NotANumber ? Tokens.PositionOf(right) : operatorPosition, left,
                      right);
    }
    const char op = Tokens.TextOf(k)[0];
    TDecimal result;
    switch (op) {
    case '+':
        result = DecimalAdd(l, r);
        break;
    case '-':
        result = DecimalSubtract(l, r);
        break;
    case '*':
        result = DecimalMultiply(l, r);
        break;
    case '/':
        result = DecimalDivide(l, r);
        break;
    case '^':
        result = DecimalPower(l, r);
        break;
    default: // '&': the r-th root of l
        result = DecimalPower(l, DecimalReciprocal(r));
        break;
    }
    if (!result.IsOk()) {
        return FailAt(MessageFor(result.Status), operatorPosition, left, right);
    }

    // The left operand's token takes the result, keeping its position.
    TWorkspace& work = *Work;
    if (result.Kind == TDecimalKind::Decimal) {
        SetValue(left, result);
        work.ValueStates[left] = Textual() ? TValueState::Known : TValueState::TextLater;
    } else {
        work.ValueStates[left] = TValueState::TextOnly;
    }
    TStepChange change;
    if (Textual() || result.Kind != TDecimalKind::Decimal) {
        TDecimalText chars;
        const std::string_view text = DecimalToChars(result, chars);
        if (text.empty()) {
            return FailAt(MessageNumberTooLarge, operatorPosition, left, right);
        }
        if (Sink != nullptr) {
            change.Length = Tokens.TextOf(left).size() + Tokens.TextOf(k).size() + Tokens.TextOf(right).size();
        }
        change.At = ReplaceText(left, right, text);
        Tokens.SetText(left, text);
    }
    work.OperatorIndices[LevelOf(op)].Erase(k);
    Tokens.Erase(k);
    Tokens.Erase(right);
    if (Sink != nullptr) {
        change.Text = Tokens.TextOf(left);
        change.Keeper = left;
        change.Gone = {k, right, None};
        change.GoneCount = 2;
        if (!Sink->OnChange(change)) {
            return Fail(MessageEquationTooLong, operatorPosition);
        }
    }
    return true;
}

TDecimal TEquationEngine::ValueOf(TIndex number) const
{
    return Work->ValueStates[number] == TValueState::TextOnly ? DecimalFromText(Tokens.TextOf(number))
                                                              : Work->Values[Tokens.RecordOf(number)];
}

std::string_view TEquationEngine::TextOf(TIndex number)
{
    if (Work->ValueStates[number] == TValueState::TextLater) {
        TDecimalText chars;
        Tokens.SetText(number, DecimalToChars(Work->Values[Tokens.RecordOf(number)], chars));
        Work->ValueStates[number] = TValueState::Known;
    }
    return Tokens.TextOf(number);
}

void TEquationEngine::SetValue(TIndex number, TDecimal value)
{
    const std::uint32_t record = Tokens.Record(number);
    if (record >= Work->Values.size()) {
        Work->Values.resize(std::max<std::size_t>(record + 1, Work->Values.size() * 2));
    }
    Work->Values[record] = value;
}

void TEquationEngine::RemoveParentheses(TIndex open, TIndex close)
{
    if (Textual()) {
        TWorkspace& work = *Work;
        if (OnStep != nullptr) {
            const std::size_t openOffset = work.Lengths.Prefix(open);
            const std::size_t closeOffset = work.Lengths.Prefix(close);
            // Both parentheses go in one pass over the text.
            char* text = work.Equation.data();
            const std::size_t size = work.Equation.size();
            std::memmove(text + openOffset, text + openOffset + 1, closeOffset - openOffset - 1);
            std::memmove(text + closeOffset - 1, text + closeOffset + 1, size - closeOffset - 1);
            work.Equation.resize(size - 2);
        }
        work.Lengths.Add(open, std::size_t{0} - 1);
        work.Lengths.Add(close, std::size_t{0} - 1);
    }
    Tokens.Erase(close);
    Tokens.Erase(open);
}

// The list never holds two numbers side by side except where a group's value
// now follows the number that stood before its "(" ("-(2+3)", "2(3)"), so
// only that pair is looked at.
bool TEquationEngine::JoinAdjacentNumbers(TIndex value, std::size_t groupPosition, TIndex& joined)
{
    joined = value;
    const TIndex before = Tokens.Prev(value);
    if (before == None || Tokens.KindOf(before) != tkNumber) {
        return true;
    }
    std::string text(TextOf(before));
    text += TextOf(value);
    FoldSigns(text);
    const TDecimal number = DecimalFromText(text);
    if (!number.IsOk()) {
        return FailAt(MessageFor(number.Status), groupPosition, before, value, true);
    }
    text = DecimalToText(number);
    ReplaceText(before, value, text);
    Tokens.SetText(before, text);
    SetValue(before, number);
    Work->ValueStates[before] = TValueState::Known;
    Tokens.Erase(value);
    joined = before;
    return true;
}

// Puts text in place of the step text of the tokens first to last; first
// will hold text, the others will be gone. Returns the offset of first.
std::size_t TEquationEngine::ReplaceText(TIndex first, TIndex last, std::string_view text)
{
    if (!Textual()) {
        return 0;
    }
    TWorkspace& work = *Work;
    const std::size_t offset = work.Lengths.Prefix(first);
    std::size_t oldLength = 0;
    for (TIndex i = first;; i = Tokens.Next(i)) {
        const std::size_t length = Tokens.TextOf(i).size();
        oldLength += length;
        work.Lengths.Add(i, (i == first ? text.size() : 0) - length);
        if (i == last) {
            break;
        }
    }
    if (OnStep != nullptr) {
        work.Equation.replace(offset, oldLength, text);
    }
    return offset;
}
