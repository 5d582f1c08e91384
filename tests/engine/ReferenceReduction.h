// The reduction exactly as written down, on a plain array with index ranges
// and recursion: slow, but obviously right. The engine's linked list,
// operator index, value cache and incremental step text are checked against
// it, by the tests and by the fuzzer.
#pragma once

#include "Decimal.h"
#include "EquationEngine.h"
#include "Operators.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

class TReferenceReduction {
public:
    explicit TReferenceReduction(std::vector<TToken> scanned) : T(std::move(scanned)) {}

    std::vector<std::string> Steps;
    std::string Message;
    std::size_t Position = NoPosition;

    bool Run(std::string& result)
    {
        if (!Reduce(0, T.size() - 1)) {
            return false;
        }
        if (DecimalFromText(T[0].Text).Status == TDecimalStatus::NotANumber) {
            return Fail(MessageInvalidNumber, T[0].Position);
        }
        result = T[0].Text;
        return true;
    }

private:
    static constexpr std::size_t NotFound = ~std::size_t{0};
    std::vector<TToken> T;

    bool Fail(std::string_view message, std::size_t position)
    {
        Message = message;
        Position = position;
        return false;
    }

    std::size_t End(std::size_t last) const { return last == 0 ? T.size() : last; }

    std::size_t FindOperatorToken(std::size_t first, std::size_t level, std::size_t last) const
    {
        for (std::size_t i = first; i < End(last); ++i) {
            if (T[i].Kind == tkOperator && FindOperator(T[i].Text[0])->Level == level) {
                return i;
            }
        }
        return NotFound;
    }

    bool Reduce(std::size_t first, std::size_t last)
    {
        if (!ResolveGroups(first, last)) {
            return false;
        }
        for (;;) {
            std::string step;
            for (const auto& token : T) {
                step += token.Text;
            }
            Steps.push_back(step);
            std::size_t k = NotFound;
            for (std::size_t level = 0; level < OperatorLevels; ++level) {
                k = FindOperatorToken(first, level, last);
                if (k != NotFound) {
                    break;
                }
            }
            if (k == NotFound) {
                return true;
            }
            if (!ApplyOperator(k)) {
                return false;
            }
            last -= 2;
        }
    }

    bool ResolveGroups(std::size_t first, std::size_t& last)
    {
        for (;;) {
            std::size_t open = NotFound;
            for (std::size_t i = first; i < End(last); ++i) {
                if (T[i].Kind == tkOpenParenthesis) {
                    open = i;
                    break;
                }
            }
            if (open == NotFound) {
                return true;
            }
            std::size_t close = open;
            for (int depth = 0;; ++close) {
                depth += T[close].Kind == tkOpenParenthesis ? 1 : T[close].Kind == tkCloseParenthesis ? -1 : 0;
                if (depth == 0) {
                    break;
                }
            }
            const std::size_t count = T.size();
            if (!Reduce(open + 1, close - 1)) {
                return false;
            }
            const std::size_t removed = count - T.size();
            const std::size_t groupPosition = T[open].Position;
            T.erase(T.begin() + static_cast<std::ptrdiff_t>(close - removed));
            T.erase(T.begin() + static_cast<std::ptrdiff_t>(open));
            last -= removed + 2;
            for (std::size_t i = 0; i + 1 < T.size(); ++i) {
                if (T[i].Kind == tkNumber && T[i + 1].Kind == tkNumber) {
                    std::string text = T[i].Text + T[i + 1].Text;
                    for (auto [from, to] : {std::pair{"++", "+"}, {"--", "+"}, {"+-", "-"}, {"-+", "-"}}) {
                        if (text.starts_with(from)) {
                            text = to + text.substr(2);
                        }
                    }
                    const TDecimal value = DecimalFromText(text);
                    if (!value.IsOk()) {
                        return Fail(value.Status == TDecimalStatus::Overflow ? MessageNumberTooLarge
                                                                             : MessageInvalidNumber,
                                    groupPosition);
                    }
                    T[i].Text = DecimalToText(value);
                    T.erase(T.begin() + static_cast<std::ptrdiff_t>(i + 1));
                    --last;
                }
            }
        }
    }

    bool CheckOperand(const TDecimal& value, std::size_t operand, std::size_t k)
    {
        if (value.Status == TDecimalStatus::NotANumber) {
            return Fail(MessageInvalidNumber, T[operand].Position);
        }
        return value.IsOk() || Fail(MessageNumberTooLarge, T[k].Position);
    }

    bool ApplyOperator(std::size_t k)
    {
        const TDecimal l = DecimalFromText(T[k - 1].Text);
        if (!CheckOperand(l, k - 1, k)) {
            return false;
        }
        const TDecimal r = DecimalFromText(T[k + 1].Text);
        if (!CheckOperand(r, k + 1, k)) {
            return false;
        }
        const TDecimal result = FindOperator(T[k].Text[0])->Apply(l, r);
        switch (result.Status) {
        case TDecimalStatus::Ok:
            break;
        case TDecimalStatus::DivisionByZero:
            return Fail(MessageDivisionByZero, T[k].Position);
        case TDecimalStatus::NotReal:
            return Fail(MessageNotReal, T[k].Position);
        default:
            return Fail(MessageNumberTooLarge, T[k].Position);
        }
        T.insert(T.begin() + static_cast<std::ptrdiff_t>(k + 2),
                 TToken{tkNumber, DecimalToText(result), T[k - 1].Position});
        for (int n = 0; n < 3; ++n) {
            T.erase(T.begin() + static_cast<std::ptrdiff_t>(k - 1));
        }
        return true;
    }
};
