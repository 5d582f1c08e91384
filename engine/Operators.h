// The operators of an equation, in one table: each one's symbol, its
// precedence level and its decimal operation. The scanner, both ways of
// reducing an equation, and the tests' reference reduction and equation
// generator all read them here; adding an operator adds a row (and its
// decimal operation, and rows in the tests).
//
// Levels: 0 binds tightest ("^" and "&"), then 1 ("*" and "/"), then 2
// ("+" and "-"). Within a level the leftmost operator goes first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Decimal.h"

struct TOperator {
    char Symbol;
    std::uint8_t Level;
    bool Sign; // also the sign of a number where no operand stands before it
    TDecimal (*Apply)(TDecimal left, TDecimal right);
};

inline constexpr std::size_t OperatorLevels = 3;

inline constexpr std::array<TOperator, 6> Operators{{
    {'^', 0, false, DecimalPower},
    {'&', 0, false, DecimalRoot},
    {'*', 1, false, DecimalMultiply},
    {'/', 1, false, DecimalDivide},
    {'+', 2, true, DecimalAdd},
    {'-', 2, true, DecimalSubtract},
}};

namespace operators_detail {
constexpr std::array<const TOperator*, 256> BySymbol()
{
    std::array<const TOperator*, 256> table{};
    for (const TOperator& op : Operators) {
        table[static_cast<unsigned char>(op.Symbol)] = &op;
    }
    return table;
}
inline constexpr std::array<const TOperator*, 256> Table = BySymbol();
} // namespace operators_detail

// The operator written c, or null when c is none.
constexpr const TOperator* FindOperator(char c)
{
    return operators_detail::Table[static_cast<unsigned char>(c)];
}

static_assert(
    [] {
        for (const TOperator& op : Operators) {
            if (op.Level >= OperatorLevels || FindOperator(op.Symbol) != &op) {
                return false;
            }
        }
        return true;
    }(),
    "every operator has a level below OperatorLevels and a symbol of its own");
