// The evaluator: reduces a scanned token list to one number, groups first
// and then operators by level (the order and the cost are set out in
// EquationEngine.h), reporting each step and each change to the observer
// that wants them. Operators are applied through the operator
// table, so nothing here names one.
#include "EngineImpl.h"

#include "DecimalInternal.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

const TOperator& OperatorOf(std::string_view text)
{
    return *FindOperator(text[0]); // the scanner let only operators in
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

// The operand at p for the two direct ways, as the scanner splits it: its
// first character whatever it is (a sign, a digit or a point; op is that
// character's operator, if any), then digits and points. Read by the number
// grammar from there, and taken when it is a number that no digit or point
// follows; false for anything the full way must answer. Leaves p after it.
inline bool ReadOperand(const char*& p, const char* end, const TOperator* op, TDecimal& value)
{
    if (op != nullptr && !op->Sign) {
        return false;
    }
    value = decimal_detail::ReadDecimalPrefix<false>(p, end);
    return value.IsOk() && (p == end || (*p != '.' && static_cast<unsigned>(*p - '0') > 9));
}

} // namespace

bool TEquationEngine::TImpl::Evaluate(std::string& equation)
{
    // Without steps or changes, an equation of numbers and operators alone is
    // worked out as it is read, with no working kept. Anything else (groups,
    // a lone number) and every fault take the full way: scan, then reduce,
    // which reports the first fault in its own order.
    if (!Textual() && EvaluateDirect(equation)) {
        return true;
    }
    if (Stepper != nullptr && Sink == nullptr) {
        switch (EvaluateDirectSteps(equation)) {
        case TDirect::Succeeded:
            return true;
        case TDirect::Failed:
            return false;
        case TDirect::NotTaken:
            break;
        }
    }
    if (!Scan(equation)) {
        return false;
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
// operands; and the numbers are read as the scanner would split them (a sign
// where no operand stands before it begins a number, spaces part tokens), so
// every operand is the same text. An operator waits on a stack until one of
// the same or a lower level follows it, so the stacks hold at most one
// operator per level. False, having changed nothing, for anything it does not
// take: the full way answers that.
bool TEquationEngine::TImpl::EvaluateDirect(std::string& equation)
{
    std::array<TDecimal, OperatorLevels + 1> values;
    std::array<const TOperator*, OperatorLevels> operators{};
    static_assert(values.size() == operators.size() + 1 && operators.size() == OperatorLevels,
                  "one waiting operator per level, and one operand more");
    std::size_t valueCount = 0;
    std::size_t operatorCount = 0;
    auto applyTop = [&] {
        const TOperator& op = *operators[--operatorCount];
        const TDecimal r = values[--valueCount];
        TDecimal& l = values[valueCount - 1];
        l = op.Apply(l, r);
        // A double result goes on as it is: the next operation reads it
        // back from its text, as the reduction does.
        return l.IsOk();
    };
    if (equation.size() > EquationLengthLimit) {
        return false;
    }
    const char* p = equation.data();
    const char* const end = p + equation.size();
    bool operandNext = true;
    for (; p != end; ++p) {
        const char c = *p;
        if (c == ' ') {
            continue;
        }
        const TOperator* op = FindOperator(c);
        if (operandNext) {
            if (!ReadOperand(p, end, op, values[valueCount++])) {
                return false;
            }
            --p; // the loop steps past the number's last character
            operandNext = false;
            continue;
        }
        if (op == nullptr) {
            return false; // a group, or a fault
        }
        while (operatorCount > 0 && operators[operatorCount - 1]->Level <= op->Level) {
            if (!applyTop()) {
                return false;
            }
        }
        operators[operatorCount++] = op;
        operandNext = true;
    }
    if (operandNext || valueCount == 1) {
        return false; // ends after an operator, or a lone number, handed back as typed by the reduction
    }
    while (operatorCount > 0) {
        if (!applyTop()) {
            return false;
        }
    }
    TDecimalText text;
    equation.assign(DecimalToChars(values[0], text)); // into the equation's own storage
    if (values[0].Kind == TDecimalKind::Decimal) {
        ResultValue = values[0];
    }
    Tokens.Clear();
    return true;
}

// The reduction of a short equation of numbers and operators alone, with its
// steps as texts: the same reduction on a small table of its numbers,
// leftmost operator of the tightest level first, each step the numbers' and
// operators' texts joined. Every number is read before the first step is
// told, and one that is no number, a group, a lone number or anything else
// the scanner would refuse is left to the full way, having told nothing.
// After that only an operation can fail, as in the full way: a failed
// result, or an operand read back from a double's text that does not fit,
// at the operator, after the steps before it.
TEquationEngine::TImpl::TDirect TEquationEngine::TImpl::EvaluateDirectSteps(std::string& equation)
{
    // Longer ones take the full way, whose search for the next operator does
    // not grow with the equation.
    constexpr std::size_t MaxNumbers = 64;
    std::vector<TDirectNumber>& numbers = Work->DirectNumbers;       // kept from one equation to the next
    std::vector<TDirectOperator>& operators = Work->DirectOperators; // [i] between numbers i and i + 1
    numbers.clear();
    operators.clear();
    std::size_t count = 0;
    bool operandNext = true;
    const char* const begin = equation.data();
    const char* const end = begin + equation.size();
    for (const char* p = begin; p != end; ++p) {
        const char c = *p;
        if (c == ' ') {
            continue;
        }
        const TOperator* op = FindOperator(c);
        if (operandNext) {
            if (count == MaxNumbers) {
                return TDirect::NotTaken;
            }
            const char* const start = p;
            TDirectNumber& number = numbers.emplace_back();
            ++count;
            if (!ReadOperand(p, end, op, number.Value)) {
                return TDirect::NotTaken;
            }
            number.Text = std::string_view(start, static_cast<std::size_t>(p - start));
            --p;
            operandNext = false;
            continue;
        }
        if (op == nullptr) {
            return TDirect::NotTaken;
        }
        operators.push_back({op, static_cast<std::size_t>(p - begin), op->Level});
        operandNext = true;
    }
    if (operandNext || count == 1 || equation.size() > EquationLengthLimit) {
        return TDirect::NotTaken;
    }

    // The first step: the texts joined; each later one edits it in place.
    std::string& step = Work->Equation;
    step.clear();
    for (std::size_t i = 0; i < count; ++i) {
        step += numbers[i].Text;
        if (i + 1 < count) {
            step += operators[i].Operator->Symbol;
        }
    }
    // Applying an operator changes no other one's level or place, so the
    // leftmost of the tightest level left is always the next of this order:
    // the operators of level 0 from the left, then of level 1, then 2.
    std::array<std::uint8_t, MaxNumbers> order; // filled below, count - 1 of them
    std::size_t ordered = 0;
    for (std::size_t level = 0; level < OperatorLevels; ++level) {
        for (std::size_t i = 0; i + 1 < count; ++i) {
            if (operators[i].Level == level) {
                order[ordered++] = static_cast<std::uint8_t>(i);
            }
        }
    }
    for (std::size_t done = 0;; ++done) {
        Stepper->OnStep(step);
        if (done + 1 == count) {
            break;
        }
        const std::size_t k = order[done];
        std::size_t left = k;
        while (!numbers[left].Alive) {
            --left;
        }
        std::size_t right = k + 1;
        while (!numbers[right].Alive) {
            ++right;
        }
        // Left operand, then right operand, then the operation, as the full
        // way checks them; an operand that fails here is a double's text.
        const TOperator& op = *operators[k].Operator;
        // Where the left operand's text starts in the step.
        std::size_t at = 0;
        for (std::size_t i = 0; i < left; ++i) {
            at += numbers[i].Alive ? numbers[i].Text.size() : 0;
            at += operators[i].Operator != nullptr ? 1 : 0;
        }
        const std::size_t replaced = numbers[left].Text.size() + 1 + numbers[right].Text.size();
        const TDecimal l = numbers[left].Value;
        const TDecimal r = numbers[right].Value;
        const TDecimal result = !l.IsOk() ? l : !r.IsOk() ? r : op.Apply(l, r);
        if (!result.IsOk()) {
            Fail(MessageFor(result.Status), operators[k].Position);
            return TDirect::Failed;
        }
        numbers[left].Text = DecimalToChars(result, numbers[left].Own);
        if (numbers[left].Text.empty()) {
            Fail(MessageNumberTooLarge, operators[k].Position);
            return TDirect::Failed;
        }
        step.replace(at, replaced, numbers[left].Text);
        // A double goes on as its text reads: the full way reads it back.
        numbers[left].Value = result.Kind == TDecimalKind::Decimal ? result : DecimalFromText(numbers[left].Text);
        numbers[right].Alive = false;
        operators[k].Operator = nullptr;
    }
    equation.assign(numbers[0].Text);
    if (numbers[0].Value.IsOk() && numbers[0].Value.Kind == TDecimalKind::Decimal) {
        ResultValue = numbers[0].Value;
    }
    Tokens.Clear();
    return TDirect::Succeeded;
}

bool TEquationEngine::TImpl::TakeResult(std::string& equation)
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

bool TEquationEngine::TImpl::Reduce()
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
            work.OperatorIndices[OperatorOf(Tokens.TextOf(i)).Level].Insert(i);
        }
    }

    if (Textual()) {
        work.Equation.clear();
        for (TIndex i = Tokens.First(); i != None; i = Tokens.Next(i)) {
            work.Equation += Tokens.TextOf(i);
        }
        work.Lengths.Build(limit, [this](std::size_t i) { return Tokens.TextOf(static_cast<TIndex>(i)).size(); });
        if (Sink != nullptr && !ReportFirstStep()) {
            return Fail(MessageEquationTooLong, 0);
        }
        if (Stepper == nullptr) {
            work.Equation.clear(); // kept up to date for OnStep only
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

// Every token scanned is still in the list at the first step, so token i
// is the i-th text of the step.
bool TEquationEngine::TImpl::ReportFirstStep()
{
    std::vector<TTokenSpan>& spans = Work->FirstSpans;
    spans.resize(Tokens.IndexLimit());
    std::uint32_t offset = 0;
    for (TIndex i = 0; i < spans.size(); ++i) {
        spans[i] = TTokenSpan{offset, static_cast<std::uint32_t>(Tokens.TextOf(i).size())};
        offset += spans[i].Length;
    }
    return Sink->OnFirstStep(Work->Equation, spans);
}

void TEquationEngine::TImpl::ReportStep()
{
    if (Stepper != nullptr) {
        Stepper->OnStep(Work->Equation);
    }
}

TTokenList::TIndex TEquationEngine::TImpl::FindTokenOfKind(TIndex from, TIndex last, TTokenKind kind) const
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
TTokenList::TIndex TEquationEngine::TImpl::FindGroup(TIndex from, TIndex close) const
{
    return FindTokenOfKind(from, close, tkOpenParenthesis);
}

// Token indices follow the list order and a range holds no group any more
// when its operators are searched, so the range's operators are exactly the
// indexed operators between its "(" and ")". Both operators of a level share
// one index: its first member in range is the leftmost of either.
TTokenList::TIndex TEquationEngine::TImpl::FindOperatorToken(TIndex open, std::size_t level, TIndex close) const
{
    const std::size_t lower = open == None ? 0 : std::size_t{open} + 1;
    const std::size_t upper = close == None ? Tokens.IndexLimit() : close;
    const std::size_t found = lower < upper ? Work->OperatorIndices[level].Next(lower) : SIZE_MAX;
    return found < upper ? static_cast<TIndex>(found) : None;
}

TTokenList::TIndex TEquationEngine::TImpl::FindNextOperator(TIndex open, TIndex close) const
{
    for (std::size_t level = 0; level < Work->OperatorIndices.size(); ++level) {
        const TIndex found = FindOperatorToken(open, level, close);
        if (found != None) {
            return found;
        }
    }
    return None;
}

bool TEquationEngine::TImpl::ApplyOperator(TIndex k)
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
    const TOperator& op = OperatorOf(Tokens.TextOf(k));
    const TDecimal result = op.Apply(l, r);
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
    work.OperatorIndices[op.Level].Erase(k);
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

TDecimal TEquationEngine::TImpl::ValueOf(TIndex number) const
{
    return Work->ValueStates[number] == TValueState::TextOnly ? DecimalFromText(Tokens.TextOf(number))
                                                              : Work->Values[Tokens.RecordOf(number)];
}

std::string_view TEquationEngine::TImpl::TextOf(TIndex number)
{
    if (Work->ValueStates[number] == TValueState::TextLater) {
        TDecimalText chars;
        Tokens.SetText(number, DecimalToChars(Work->Values[Tokens.RecordOf(number)], chars));
        Work->ValueStates[number] = TValueState::Known;
    }
    return Tokens.TextOf(number);
}

void TEquationEngine::TImpl::SetValue(TIndex number, TDecimal value)
{
    const std::uint32_t record = Tokens.Record(number);
    if (record >= Work->Values.size()) {
        Work->Values.resize(std::max<std::size_t>(record + 1, Work->Values.size() * 2));
    }
    Work->Values[record] = value;
}

void TEquationEngine::TImpl::RemoveParentheses(TIndex open, TIndex close)
{
    if (Textual()) {
        TWorkspace& work = *Work;
        if (Stepper != nullptr) {
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
bool TEquationEngine::TImpl::JoinAdjacentNumbers(TIndex value, std::size_t groupPosition, TIndex& joined)
{
    joined = value;
    const TIndex before = Tokens.Prev(value);
    if (before == None || Tokens.KindOf(before) != tkNumber) {
        return true;
    }
    std::string& text = Work->Joined;
    text.assign(TextOf(before));
    text += TextOf(value);
    FoldSigns(text);
    const TDecimal number = DecimalFromText(text);
    if (!number.IsOk()) {
        return FailAt(MessageFor(number.Status), groupPosition, before, value, true);
    }
    TDecimalText chars;
    const std::string_view written = DecimalToChars(number, chars);
    ReplaceText(before, value, written);
    Tokens.SetText(before, written);
    SetValue(before, number);
    Work->ValueStates[before] = TValueState::Known;
    Tokens.Erase(value);
    joined = before;
    return true;
}

// Puts text in place of the step text of the tokens first to last; first
// will hold text, the others will be gone. Returns the offset of first.
std::size_t TEquationEngine::TImpl::ReplaceText(TIndex first, TIndex last, std::string_view text)
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
    if (Stepper != nullptr) {
        work.Equation.replace(offset, oldLength, text);
    }
    return offset;
}
