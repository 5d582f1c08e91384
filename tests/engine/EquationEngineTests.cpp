#include "EquationEngine.h"
#include "EngineRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TFaultRow {
    const char* Equation;
    std::string_view Message;
    std::size_t Position;
};

// What the engine reported, for the steps before the fault.
TRecorder ExpectFault(const TFaultRow& row)
{
    SCOPED_TRACE(row.Equation);
    TRecorder recorder;
    TEquationEngine engine;
    std::string equation = row.Equation;
    EXPECT_FALSE(recorder.Evaluate(engine, equation));
    EXPECT_EQ(equation, row.Equation); // the caller's text stays as it was
    EXPECT_EQ(recorder.ErrorCount, 1);
    EXPECT_EQ(recorder.Message, row.Message);
    EXPECT_EQ(recorder.Position, row.Position);
    return recorder;
}

// Every scanner fault: the first one found, with the offending character's index.
TEST(EquationScanner, ReportsFirstFaultAtItsPosition)
{
    static const TFaultRow Rows[] = {
        // Nothing but spaces, or an ending operator: the last character, space or not.
        {"   ", MessageUnexpectedCharacter, 2},
        {"5+", MessageUnexpectedCharacter, 1},
        {"5+ ", MessageUnexpectedCharacter, 2},
        {"(2)*3- ", MessageUnexpectedCharacter, 6},
        // A number may not follow a number or ")"; "*" "/" "^" "&" need a left operand.
        {"1 2", MessageUnexpectedCharacter, 2},
        {"2 3", MessageUnexpectedCharacter, 2},
        {"(2)3", MessageUnexpectedCharacter, 3},
        {"*2", MessageUnexpectedCharacter, 0},
        {"2*/3", MessageUnexpectedCharacter, 2},
        {"(&2)", MessageUnexpectedCharacter, 1},
        // An unexpected ")" is not counted, so it is merely unexpected.
        {"()", MessageUnexpectedCharacter, 1},
        {")", MessageUnexpectedCharacter, 0},
        {"(2)(3)", MessageUnexpectedCharacter, 3},
        // Unbalanced parentheses: the surplus ")" itself; a missing ")" always at 0.
        {"2)", MessageNoOpeningParenthesis, 1},
        {"(2))", MessageNoOpeningParenthesis, 3},
        {"(2", MessageNoClosingParenthesis, 0},
        {"1+((2)", MessageNoClosingParenthesis, 0},
        {"2*(", MessageNoClosingParenthesis, 0}, // checked before the ending "("
        // Characters outside the table, including tab and bytes above 127.
        {"2x", MessageInvalidCharacter, 1},
        {"2,5", MessageInvalidCharacter, 1},
        {"2\t+3", MessageInvalidCharacter, 1},
        {"1+\xE9", MessageInvalidCharacter, 2},
        // A fault earlier in the text wins over a later one.
        {"x)", MessageInvalidCharacter, 0},
        {"2)x", MessageNoOpeningParenthesis, 1},
        // Decimal points: a lone "." at itself; two or more at the second one.
        {".", MessageLoneDecimalPoint, 0},
        {"2+.", MessageLoneDecimalPoint, 2},
        {"1.2.3", MessageSecondDecimalPoint, 3},
        {"1..2", MessageSecondDecimalPoint, 2},
        {"1.2.3.4", MessageSecondDecimalPoint, 3},
        {"2*-1.2.3", MessageSecondDecimalPoint, 6},
    };
    for (const auto& row : Rows) {
        ExpectFault(row);
    }
}

TEST(EquationScanner, EmptyTextFailsSilently)
{
    TRecorder recorder;
    TEquationEngine engine;
    std::string equation;
    const TEvaluation outcome = engine.Evaluate(equation, &recorder);
    EXPECT_FALSE(outcome);
    EXPECT_TRUE(outcome.Message.empty());
    EXPECT_EQ(outcome.Position, NoPosition);
    EXPECT_TRUE(recorder.Steps.empty());
    EXPECT_TRUE(engine.Tokens().empty());
}

// Numbers keep their text as typed; a sign leads a number except right after
// a number or ")"; spaces never reach the list; positions count the spaces.
TEST(EquationScanner, SplitsIntoTokensAsTyped)
{
    struct TRow {
        const char* Equation;
        std::vector<TToken> Tokens;
    };
    static const TRow Rows[] = {
        {"2 + 3", {{tkNumber, "2", 0}, {tkOperator, "+", 2}, {tkNumber, "3", 4}}},
        {"-5", {{tkNumber, "-5", 0}}},
        {"+5", {{tkNumber, "+5", 0}}},
        {"2*-5", {{tkNumber, "2", 0}, {tkOperator, "*", 1}, {tkNumber, "-5", 2}}},
        {"2--5", {{tkNumber, "2", 0}, {tkOperator, "-", 1}, {tkNumber, "-5", 2}}},
        {"(-5)", {{tkOpenParenthesis, "(", 0}, {tkNumber, "-5", 1}, {tkCloseParenthesis, ")", 3}}},
        {"--5", {{tkNumber, "-", 0}, {tkOperator, "-", 1}, {tkNumber, "5", 2}}},
        {"-(3)", {{tkNumber, "-", 0}, {tkOpenParenthesis, "(", 1}, {tkNumber, "3", 2}, {tkCloseParenthesis, ")", 3}}},
        {"2(3)", {{tkNumber, "2", 0}, {tkOpenParenthesis, "(", 1}, {tkNumber, "3", 2}, {tkCloseParenthesis, ")", 3}}},
        {"-.", {{tkNumber, "-.", 0}}},
        {"5. ^ .5 & 007",
         {{tkNumber, "5.", 0}, {tkOperator, "^", 3}, {tkNumber, ".5", 5}, {tkOperator, "&", 8}, {tkNumber, "007", 10}}},
        {"3.14159265358979", {{tkNumber, "3.14159265358979", 0}}},
    };
    for (const auto& row : Rows) {
        SCOPED_TRACE(row.Equation);
        TEquationEngine engine;
        ASSERT_TRUE(engine.Scan(row.Equation));
        const std::vector<TToken> tokens = engine.Tokens();
        ASSERT_EQ(tokens.size(), row.Tokens.size());
        for (std::size_t n = 0; n < tokens.size(); ++n) {
            EXPECT_EQ(tokens[n].Kind, row.Tokens[n].Kind) << "token " << n;
            EXPECT_EQ(tokens[n].Text, row.Tokens[n].Text) << "token " << n;
            EXPECT_EQ(tokens[n].Position, row.Tokens[n].Position) << "token " << n;
        }
    }
}

struct TReductionRow {
    const char* Equation;
    std::vector<std::string> Steps;
    const char* Result;
};

void ExpectReduction(const TReductionRow& row)
{
    SCOPED_TRACE(row.Equation);
    TRecorder recorder;
    TEquationEngine engine;
    std::string equation = row.Equation;
    EXPECT_TRUE(recorder.Evaluate(engine, equation));
    EXPECT_EQ(equation, row.Result);
    EXPECT_EQ(recorder.Steps, row.Steps);
    EXPECT_EQ(recorder.ErrorCount, 0);

    // Without an observer the outcome is the same.
    TEquationEngine silent;
    std::string again = row.Equation;
    EXPECT_TRUE(silent.Evaluate(again));
    EXPECT_EQ(again, row.Result);
}

// Groups from the left, each completely, then "^&", "*/", "+-", leftmost
// first; one step before every search for an operator.
TEST(EquationEvaluator, ReducesStepByStep)
{
    static const TReductionRow Rows[] = {
        {"2+3*4", {"2+3*4", "2+12", "14"}, "14"},
        {"(1+2)*3", {"(1+2)*3", "(3)*3", "3*3", "9"}, "9"},
        {"(1+2)*(3+4)", {"(1+2)*(3+4)", "(3)*(3+4)", "3*(3+4)", "3*(7)", "3*7", "21"}, "21"},
        {"((1+2))", {"((1+2))", "((3))", "(3)", "3"}, "3"},
        {"(1+2)^2-4/2", {"(1+2)^2-4/2", "(3)^2-4/2", "3^2-4/2", "9-4/2", "9-2", "7"}, "7"},
        {"1+2*3-4/2^2", {"1+2*3-4/2^2", "1+2*3-4/4", "1+6-4/4", "1+6-1", "7-1", "6"}, "6"},
        {"-(2+3)*4", {"-(2+3)*4", "-(5)*4", "-5*4", "-20"}, "-20"},
        {"-(-(5))", {"-(-(5))", "-(-5)", "5"}, "5"},
        {"2-(-3)", {"2-(-3)", "2--3", "5"}, "5"},
        {"2 + 3", {"2+3", "5"}, "5"},
        {"(2*(3))", {"(2*(3))", "(2*3)", "(6)", "6"}, "6"},
        {"(2)+(3)", {"(2)+(3)", "2+(3)", "2+3", "5"}, "5"},
        {"-(2)-(3)", {"-(2)-(3)", "-2-(3)", "-2-3", "-5"}, "-5"},
        // Left-associative at every level; the sign belongs to the number.
        {"2^3^2", {"2^3^2", "8^2", "64"}, "64"},
        {"8/4/2", {"8/4/2", "2/2", "1"}, "1"},
        {"2-3-4", {"2-3-4", "-1-4", "-5"}, "-5"},
        {"-2^2", {"-2^2", "4"}, "4"},
        {"2*-5", {"2*-5", "-10"}, "-10"},
        {"2--5", {"2--5", "7"}, "7"},
        {"9&2", {"9&2", "3"}, "3"},
        {"8&3", {"8&3", "2"}, "2"},
        // "&" and "^" share a level, so the leftmost of them goes first.
        {"2+64&2^3", {"2+64&2^3", "2+8^3", "2+512", "514"}, "514"},
        // A number before a group is joined to its value, doubled signs folded.
        {"2(3)", {"2(3)", "23"}, "23"},
        {"-(007)", {"-(007)", "-7"}, "-7"},
        {"+(-5)", {"+(-5)", "-5"}, "-5"},
        {"1-(-(2))*3", {"1-(-(2))*3", "1-(-2)*3", "1--2*3", "1--6", "7"}, "7"},
        // Decimal arithmetic; integer powers exact where the type holds them,
        // other power results as at most 15 significant digits.
        {"0.1+0.2", {"0.1+0.2", "0.3"}, "0.3"},
        {"1/3", {"1/3", "0.3333333333333333333333333333"}, "0.3333333333333333333333333333"},
        {"2^0.5", {"2^0.5", "1.4142135623731"}, "1.4142135623731"},
        {"2^64-1", {"2^64-1", "18446744073709551616-1", "18446744073709551615"}, "18446744073709551615"},
        {"(0-2)^3", {"(0-2)^3", "(-2)^3", "-2^3", "-8"}, "-8"},
        {"10^20/10^18",
         {"10^20/10^18", "100000000000000000000/10^18", "100000000000000000000/1000000000000000000", "100"},
         "100"},
        {"2^96/2^95",
         {"2^96/2^95", "7.92281625142643E+28/2^95", "7.92281625142643E+28/39614081257132168796771975168",
          "1.9999999999999990510055324439"},
         "1.9999999999999990510055324439"},
        // A lone number is handed back as typed: no operation converted it.
        {"5", {"5"}, "5"},
        {"+5", {"+5"}, "+5"},
        {"007", {"007"}, "007"},
        {"5.", {"5."}, "5."},
        {"(5)", {"(5)", "5"}, "5"},
        {"(007)", {"(007)", "007"}, "007"},
        {"99999999999999999999999999999999", {"99999999999999999999999999999999"}, "99999999999999999999999999999999"},
    };
    for (const auto& row : Rows) {
        ExpectReduction(row);
    }
}

// The first failing operation ends the evaluation: operands are checked
// left, then right, then the operation; steps already reported stand.
TEST(EquationEvaluator, ReportsArithmeticFailures)
{
    struct TRow {
        TFaultRow Fault;
        std::vector<std::string> Steps;
    };
    static const TRow Rows[] = {
        // Division by zero, root of index 0, zero to a negative power: at the operator.
        {{"1/0", MessageDivisionByZero, 1}, {"1/0"}},
        {{"1 + 4 / (2-2)", MessageDivisionByZero, 6}, {"1+4/(2-2)", "1+4/(0)", "1+4/0"}},
        {{"2&0", MessageDivisionByZero, 1}, {"2&0"}},
        {{"0^-1", MessageDivisionByZero, 1}, {"0^-1"}},
        // Integer part beyond 96 bits, an infinite power, an operand beyond the range.
        {{"79228162514264337593543950335+1", MessageNumberTooLarge, 29}, {"79228162514264337593543950335+1"}},
        {{"2^2000", MessageNumberTooLarge, 1}, {"2^2000"}},
        {{"10^30+1", MessageNumberTooLarge, 5}, {"10^30+1", "1E+30+1"}},
        {{"1+99999999999999999999999999999999", MessageNumberTooLarge, 1}, {"1+99999999999999999999999999999999"}},
        // No real result: a negative base with a fractional exponent, an odd root of a negative.
        {{"-8&3", MessageNotReal, 2}, {"-8&3"}},
        {{"(0-4)^0.5", MessageNotReal, 5}, {"(0-4)^0.5", "(-4)^0.5", "-4^0.5"}},
        // An operand that is no number: at its first character.
        {{"--5", MessageInvalidNumber, 0}, {"--5"}},
        {{"-*3", MessageInvalidNumber, 0}, {"-*3"}},
        {{"2*-.", MessageInvalidNumber, 2}, {"2*-."}},
        {{"+.+1", MessageInvalidNumber, 0}, {"+.+1"}},
        // The left operand is checked before the right one and before computing.
        {{"-/0", MessageInvalidNumber, 0}, {"-/0"}},
        {{"99999999999999999999999999999999/-", MessageNumberTooLarge, 32}, {"99999999999999999999999999999999/-"}},
        {{"5/-", MessageInvalidNumber, 2}, {"5/-"}},
        // Positions count the spaces of the text as typed.
        {{"1 + 2 * -", MessageInvalidNumber, 8}, {"1+2*-"}},
        // A join that is no number: at the group's "(".
        {{"2(-3)", MessageInvalidNumber, 1}, {"2(-3)"}},
        {{"1+ 2 (1-4)", MessageInvalidNumber, 5}, {"1+2(1-4)", "1+2(-3)"}},
        {{"1(79228162514264337593543950335)", MessageNumberTooLarge, 1}, {"1(79228162514264337593543950335)"}},
        // A result that is no number alone: at its first character.
        {{"+", MessageInvalidNumber, 0}, {"+"}},
        {{"-.", MessageInvalidNumber, 0}, {"-."}},
        {{" ( -. )", MessageInvalidNumber, 3}, {"(-.)", "-."}},
        {{"-(+)", MessageInvalidNumber, 1}, {"-(+)"}},
    };
    for (const auto& row : Rows) {
        EXPECT_EQ(ExpectFault(row.Fault).Steps, row.Steps) << row.Fault.Equation;
    }
}

// One engine serves many evaluations: a fault leaves nothing behind.
TEST(EquationEvaluator, StartsAfreshOnEveryEvaluation)
{
    TRecorder recorder;
    TEquationEngine engine;
    std::string first = "(1+2";
    EXPECT_FALSE(recorder.Evaluate(engine, first));
    std::string second = "1/0";
    EXPECT_FALSE(recorder.Evaluate(engine, second));
    recorder.Clear();
    std::string third = "(2)*3";
    EXPECT_TRUE(recorder.Evaluate(engine, third));
    EXPECT_EQ(third, "6");
    EXPECT_EQ(recorder.Steps, (std::vector<std::string>{"(2)*3", "2*3", "6"}));
    EXPECT_EQ(recorder.ErrorCount, 0);
}

} // namespace
