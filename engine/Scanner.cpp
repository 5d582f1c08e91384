// The scanner: checks an equation character by character and splits it into
// tokens, reporting the first fault at its position. One pass, O(n); the
// tokens go straight into the engine's list.
//
// What may follow what: a number or ")" must be followed by an operator or
// ")"; anything else by a number, "(" or a sign. A sign ("+" or "-", the
// operators marked Sign in the table) where no operand stands before it
// begins a number, so "-(2+3)" is the number "-" and a group, and "2--3" is
// 2 minus -3.
#include "EngineImpl.h"

namespace {

// What the scanner has just read.
enum class TScanState { Start, Number, Operator, OpenParenthesis, CloseParenthesis };

TScanState AfterToken(TTokenKind kind)
{
    switch (kind) {
    case tkNumber:
        return TScanState::Number;
    case tkOperator:
        return TScanState::Operator;
    case tkOpenParenthesis:
        return TScanState::OpenParenthesis;
    case tkCloseParenthesis:
        return TScanState::CloseParenthesis;
    }
    return TScanState::Start;
}

enum class TVerdict { Accept, BeginsNumber, Skip, Unexpected, Invalid };

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The scanner's table: what the character c may be in state. On Accept,
// kind says which token it is.
TVerdict Classify(char c, TScanState state, TTokenKind& kind)
{
    const bool afterOperand = state == TScanState::Number || state == TScanState::CloseParenthesis;
    if (const TOperator* op = FindOperator(c)) {
        if (!afterOperand) {
            return op->Sign ? TVerdict::BeginsNumber : TVerdict::Unexpected;
        }
        kind = tkOperator;
        return TVerdict::Accept;
    }
    switch (c) {
    case ' ':
        return TVerdict::Skip;
    case '(':
        // Allowed after a number because a lone sign is a number: "-(2+3)".
        if (state == TScanState::CloseParenthesis) {
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

} // namespace

bool TEquationEngine::TImpl::Scan(std::string_view equation)
{
    if (equation.size() > EquationLengthLimit) {
        Tokens.Clear();
        return Fail(MessageEquationTooLong, EquationLengthLimit);
    }
    Tokens.Start(equation);
    if (equation.empty()) {
        return false;
    }
    TScanState state = TScanState::Start;
    long opening = 0;
    long closing = 0;
    for (std::size_t position = 0; position < equation.size(); ++position) {
        const std::size_t start = position;
        TTokenKind kind = tkNumber;
        TVerdict verdict = Classify(equation[position], state, kind);
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
        state = AfterToken(kind);
    }
    ScannedGroups = opening > 0;
    if (opening > closing) {
        return Fail(MessageNoClosingParenthesis, 0);
    }
    if (state == TScanState::Number || state == TScanState::CloseParenthesis) {
        return true;
    }
    // Ends after an operator or "(", or holds nothing but spaces.
    return Fail(MessageUnexpectedCharacter, equation.size() - 1);
}

std::string_view TEquationEngine::TImpl::ScanNumber(std::string_view equation, std::size_t& position, bool& failed)
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
