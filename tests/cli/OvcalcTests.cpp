// ovcalc end to end: the real program, its arguments, standard input,
// both output streams and the exit status.
#include "EquationGenerator.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "ChildProcess.h"

namespace {

// Runs ovcalc (the one beside this test program) with the arguments as they
// are and input, when given, as its standard input.
TChildRun RunOvcalc(const std::vector<std::string>& arguments, const char* input, const TChildOptions& options = {})
{
    return RunChild(ProgramBeside("ovcalc"), arguments, input ? input : "", options);
}

struct TRow {
    const char* Equation; // what the row shows; also the trace
    std::vector<std::string> Arguments;
    const char* Input; // null: no equations on standard input
    const char* Out;
    const char* Err; // a prefix of standard error
    int Status;
};

void Check(const TRow& row)
{
    SCOPED_TRACE(row.Equation);
    const TChildRun run = RunOvcalc(row.Arguments, row.Input);
    EXPECT_EQ(run.Status, row.Status);
    EXPECT_EQ(run.Out, row.Out);
    EXPECT_EQ(run.Err.substr(0, std::string(row.Err).size()), row.Err);
    if (*row.Err == '\0') {
        EXPECT_EQ(run.Err, "");
    }
}

// Results as four lines, faults on standard error with a caret under the
// reported character, exit status 1 when any equation failed.
TEST(Ovcalc, PlainOutput)
{
    static const TRow Rows[] = {
        {"one result", {"2+3*4"}, nullptr, "Decimal: 14\nHexadecimal: E\nOctal: 16\nBinary: 1110\n", "", 0},
        {"negative integer part, truncated",
         {"0-255.75"},
         nullptr,
         "Decimal: -255.75\nHexadecimal: -FF\nOctal: -377\nBinary: -11111111\n",
         "",
         0},
        {"an exact integer power",
         {"2^64-1"},
         nullptr,
         "Decimal: 18446744073709551615\nHexadecimal: FFFFFFFFFFFFFFFF\nOctal: 1777777777777777777777\n"
         "Binary: 1111111111111111111111111111111111111111111111111111111111111111\n",
         "",
         0},
        {"an exact power's steps",
         {"--steps", "2^50/2^-20"},
         nullptr,
         "2^50/2^-20\n1125899906842624/2^-20\n1125899906842624/0.00000095367431640625\n1180591620717411303424\n"
         "Decimal: 1180591620717411303424\nHexadecimal: 400000000000000000\nOctal: 200000000000000000000000\n"
         "Binary: 10000000000000000000000000000000000000000000000000000000000000000000000\n",
         "",
         0},
        {"steps first",
         {"--steps", "(1+2)*3"},
         nullptr,
         "(1+2)*3\n(3)*3\n3*3\n9\nDecimal: 9\nHexadecimal: 9\nOctal: 11\nBinary: 1001\n",
         "",
         0},
        {"a fault", {"1 + 4/(2-2)"}, nullptr, "", "ovcalc: Division by zero. (column 6)\n1 + 4/(2-2)\n     ^\n", 1},
        {"a scanner fault", {"2x"}, nullptr, "", "ovcalc: Invalid character found. (column 2)\n2x\n ^\n", 1},
        {"the others are still answered",
         {"1/0", "7"},
         nullptr,
         "Decimal: 7\nHexadecimal: 7\nOctal: 7\nBinary: 111\n",
         "ovcalc: Division by zero. (column 2)\n1/0\n ^\n",
         1},
        {"the empty equation is no failure", {""}, nullptr, "", "", 0},
        {"beyond 64 bits, exact",
         {"18446744073709551615+1"},
         nullptr,
         "Decimal: 18446744073709551616\nHexadecimal: 10000000000000000\nOctal: 2000000000000000000000\nBinary: 1"
         "0000000000000000000000000000000000000000000000000000000000000000\n",
         "",
         0},
        {"a lone number beyond 96 bits",
         {"-99999999999999999999999999999999"},
         nullptr,
         "Decimal: -99999999999999999999999999999999\nHexadecimal: beyond 96 bits\nOctal: beyond 96 bits\n"
         "Binary: beyond 96 bits\n",
         "",
         0},
        {"a leading sign is no option",
         {"-5+2"},
         nullptr,
         "Decimal: -3\nHexadecimal: -3\nOctal: -3\nBinary: -11\n",
         "",
         0},
        {"changes",
         {"--changes", "-(2+3)*2"},
         nullptr,
         "-(2+3)*2\n2: 2+3 -> 5\n0: -(5) -> -5\n0: -5*2 -> -10\nDecimal: -10\nHexadecimal: -A\nOctal: -12\nBinary: "
         "-1010\n",
         "",
         0},
        {"control characters shown",
         {"1+2\x1b[31m"},
         nullptr,
         "",
         "ovcalc: Invalid character found. (column 4)\n1+2\\x1B[31m\n   ^\n",
         1},
        {"-- ends the options",
         {"--", "--json"},
         nullptr,
         "",
         "ovcalc: Invalid character found. (column 3)\n--json\n  ^\n",
         1},
        {"an argument outside ASCII arrives whole",
         {"3\xC3\x97"
          "4"},
         nullptr,
         "",
         "ovcalc: Invalid character found. (column 2)\n3\xC3\x97"
         "4\n ^\n",
         1},
        {"blanks and a final backslash in an argument",
         {"1 + 2\\"},
         nullptr,
         "",
         "ovcalc: Invalid character found. (column 6)\n1 + 2\\\n     ^\n",
         1},
    };
    for (const auto& row : Rows) {
        Check(row);
    }
}

// One object per line; steps always present; U+FFFD for bytes that are not UTF-8.
TEST(Ovcalc, JsonOutput)
{
    static const TRow Rows[] = {
        {"result",
         {"--json", "2(3)"},
         nullptr,
         "{\"equation\": \"2(3)\", \"steps\": [\"2(3)\", \"23\"], \"ok\": true, \"decimal\": \"23\", "
         "\"hexadecimal\": \"17\", \"octal\": \"27\", \"binary\": \"10111\"}\n",
         "",
         0},
        {"changes",
         {"--json", "--changes", "2*(3)"},
         nullptr,
         "{\"equation\": \"2*(3)\", \"first\": \"2*(3)\", \"changes\": [{\"at\": 2, \"from\": \"(3)\", \"to\": \"3\"}, "
         "{\"at\": 0, \"from\": \"2*3\", \"to\": \"6\"}], \"ok\": true, \"decimal\": \"6\", \"hexadecimal\": \"6\", "
         "\"octal\": \"6\", \"binary\": \"110\"}\n",
         "",
         0},
        {"refused, with changes",
         {"--json", "--changes", "2x"},
         nullptr,
         "{\"equation\": \"2x\", \"first\": null, \"changes\": [], \"ok\": false, "
         "\"error\": {\"message\": \"Invalid character found.\", \"position\": 1}}\n",
         "",
         1},
        {"fault",
         {"--json", "1/0"},
         nullptr,
         "{\"equation\": \"1/0\", \"steps\": [\"1/0\"], \"ok\": false, "
         "\"error\": {\"message\": \"Division by zero.\", \"position\": 1}}\n",
         "",
         1},
        {"beyond 96 bits",
         {"--json", "99999999999999999999999999999999"},
         nullptr,
         "{\"equation\": \"99999999999999999999999999999999\", \"steps\": [\"99999999999999999999999999999999\"], "
         "\"ok\": true, \"decimal\": \"99999999999999999999999999999999\", \"hexadecimal\": null, \"octal\": null, "
         "\"binary\": null}\n",
         "",
         0},
        {"empty",
         {"--json", ""},
         nullptr,
         "{\"equation\": \"\", \"steps\": [], \"ok\": false, \"error\": null}\n",
         "",
         0},
        {"escaping",
         {"--json", "2\xff\"\\"},
         nullptr,
         "{\"equation\": \"2\xEF\xBF\xBD\\\"\\\\\", \"steps\": [], \"ok\": false, "
         "\"error\": {\"message\": \"Invalid character found.\", \"position\": 1}}\n",
         "",
         1},
    };
    for (const auto& row : Rows) {
        Check(row);
    }
}

// A fault in a long line shows about 70 characters around it, "..." for the rest.
TEST(Ovcalc, FaultInALongLine)
{
    const std::string ones(1000, '1');
    const std::string line = ones + "+\x01+" + ones + "\n";
    const TChildRun run = RunOvcalc({}, line.c_str());
    EXPECT_EQ(run.Status, 1);
    const std::string shown = "..." + std::string(34, '1') + "+\\x01+" + std::string(33, '1') + "...";
    EXPECT_EQ(run.Err, "ovcalc: Invalid character found. (line 1, column 1002)\n" + shown + "\n" +
                           std::string(3 + 35, ' ') + "^\n");
}

// The changes, applied in order to the first step, give every step as --steps prints it.
TEST(Ovcalc, ChangesRebuildTheSteps)
{
    TEquationGenerator generator(20261208);
    std::string input;
    for (int i = 0; i < 300; ++i) {
        input += generator.Next() + "\n";
    }
    const TChildRun steps = RunOvcalc({"--steps"}, input.c_str());
    const TChildRun changes = RunOvcalc({"--changes"}, input.c_str());
    ASSERT_EQ(changes.Status, steps.Status);
    std::istringstream lines(changes.Out);
    std::string rebuilt;
    std::string step;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(": ");
        const std::size_t arrow = line.find(" -> ");
        if (colon == std::string::npos || arrow == std::string::npos) {
            step = line; // a first step, or a line of the result
        } else {
            const std::size_t at = std::stoul(line.substr(0, colon));
            const std::string from = line.substr(colon + 2, arrow - colon - 2);
            ASSERT_EQ(step.substr(at, from.size()), from) << line;
            step.replace(at, from.size(), line.substr(arrow + 4));
        }
        rebuilt += (step == line ? line : step) + "\n";
    }
    EXPECT_EQ(rebuilt, steps.Out);
}

// The output cannot be written: status 3 and a message.
TEST(Ovcalc, OutputThatCannotBeWritten)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no device that is always full";
#else
    static const TRow Rows[] = {
        {"disk full", {"1+1"}, nullptr, "", "ovcalc: cannot write the output: No space left on device\n", 3},
        {"disk full at --help", {"--help"}, nullptr, "", "ovcalc: cannot write the output: ", 3},
    };
    for (const auto& row : Rows) {
        SCOPED_TRACE(row.Equation);
        TChildOptions full;
        full.OutputFile = "/dev/full";
        const TChildRun run = RunOvcalc(row.Arguments, row.Input, full);
        EXPECT_EQ(run.Status, row.Status);
        EXPECT_EQ(run.Err.substr(0, std::string(row.Err).size()), row.Err);
    }
#endif
}

// A reader that went away: status 3 with nothing said, before the steps of
// a long equation (some 45 GB) are all written.
TEST(Ovcalc, FailuresAroundTheEquation)
{
    std::string longSum;
    for (int i = 0; i < 150000; ++i) {
        longSum += "1+";
    }
    longSum += "1\n";
    TChildOptions closedPipe;
    closedPipe.OutputLimit = 10;
    const TChildRun run = RunOvcalc({"--steps"}, longSum.c_str(), closedPipe);
    EXPECT_EQ(run.Status, 3);
    EXPECT_EQ(run.Out, "1+1+1+1+1+");
    EXPECT_EQ(run.Err, "");
}

// Out of memory fails only that equation; the next line is still answered.
TEST(Ovcalc, OutOfMemory)
{
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the sanitizer's allocator needs far more address space than the limit leaves";
#endif
#endif
    if (!ChildMemoryLimitIsEnforced()) {
        GTEST_SKIP() << "this system does not hold a program to a memory limit";
    }
    // In a group, so that even the plain answer needs the working of the
    // reduction (about 20 bytes per byte), not only the numbers it reads.
    std::string huge = "(";
    for (int i = 0; i < 10000000; ++i) {
        huge += "1+";
    }
    huge += "1)\n2+2\n";
    struct TMemoryRow {
        const char* Name;
        std::vector<std::string> Arguments;
        bool LastLineOnly; // of the output
        const char* Out;
    };
    const TMemoryRow rows[] = {
        {"plain", {}, false, "Decimal: 4\nHexadecimal: 4\nOctal: 4\nBinary: 100\n"},
        {"json",
         {"--json", "--changes"},
         true,
         "{\"equation\": \"2+2\", \"first\": \"2+2\", \"changes\": [{\"at\": 0, \"from\": \"2+2\", \"to\": \"4\"}], "
         "\"ok\": true, \"decimal\": \"4\", \"hexadecimal\": \"4\", \"octal\": \"4\", \"binary\": \"100\"}\n"},
    };
    TChildOptions limited;
    limited.MemoryLimit = 200000 * 1024;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const TChildRun run = RunOvcalc(row.Arguments, huge.c_str(), limited);
        EXPECT_EQ(run.Status, 1);
        std::string_view out = run.Out;
        if (row.LastLineOnly && out.size() > 1) {
            out.remove_prefix(out.rfind('\n', out.size() - 2) + 1);
        }
        EXPECT_EQ(out, row.Out);
        EXPECT_EQ(run.Err, "ovcalc: out of memory (line 1)\n");
    }
}

// Without equation arguments every line of standard input is one, "\r\n"
// endings and a last line without "\n" included.
TEST(Ovcalc, StandardInput)
{
    static const TRow Rows[] = {
        {"lines",
         {},
         "1+1\r\n\n7/2",
         "Decimal: 2\nHexadecimal: 2\nOctal: 2\nBinary: 10\n"
         "Decimal: 3.5\nHexadecimal: 3\nOctal: 3\nBinary: 11\n",
         "",
         0},
        {"a failing line",
         {"--json"},
         "(1\n2^10\n5^-28\n",
         "{\"equation\": \"(1\", \"steps\": [], \"ok\": false, \"error\": {\"message\": "
         "\"Opening parenthesis with no matching closing parenthesis found.\", \"position\": 0}}\n"
         "{\"equation\": \"2^10\", \"steps\": [\"2^10\", \"1024\"], \"ok\": true, \"decimal\": \"1024\", "
         "\"hexadecimal\": \"400\", \"octal\": \"2000\", \"binary\": \"10000000000\"}\n"
         "{\"equation\": \"5^-28\", \"steps\": [\"5^-28\", \"0.0000000000000000000268435456\"], \"ok\": true, "
         "\"decimal\": \"0.0000000000000000000268435456\", \"hexadecimal\": \"0\", \"octal\": \"0\", \"binary\": "
         "\"0\"}\n",
         "",
         1},
        {"no input", {}, "", "", "", 0},
        {"a Ctrl-Z byte is a character, not the end",
         {},
         "2\x1a\n3\n",
         "Decimal: 3\nHexadecimal: 3\nOctal: 3\nBinary: 11\n",
         "ovcalc: Invalid character found. (line 1, column 2)\n2\\x1A\n ^\n",
         1},
    };
    for (const auto& row : Rows) {
        Check(row);
    }
}

// Many lines at once are answered on two processors where there are two:
// the same bytes, answers and messages in the same order, and the same
// status as answering them in turn on one. The lines mix faults, empty
// lines and "\r\n" ends; lines longer than the helper takes; and lines
// whose steps fill its kept output, in the modes that write steps.
TEST(Ovcalc, LinesReadTogetherAnswerAsInTurn)
{
    TEquationGenerator generator(20261209);
    std::string mixed;
    std::string longSteps; // 120 numbers each: some 20 kilobytes of steps a line
    for (int i = 0; i < 3000; ++i) {
        mixed += i % 97 == 0 ? "" : i % 89 == 0 ? std::string(600, '1') + "+1" : generator.Next();
        mixed += i % 5 == 0 ? "\r\n" : "\n";
    }
    for (int i = 0; i < 400; ++i) {
        for (int k = 0; k < 120; ++k) {
            longSteps += std::to_string((i + k * 7) % 13 + 1);
            longSteps += k == 119 ? '\n' : "+*-/"[k % 4];
        }
    }
    struct TInputRow {
        const char* Name;
        const std::string* Input;
        std::vector<std::string> Arguments;
    };
    const TInputRow rows[] = {
        {"plain", &mixed, {}},
        {"steps", &mixed, {"--steps"}},
        {"changes", &mixed, {"--changes"}},
        {"json", &mixed, {"--json"}},
        {"json changes", &mixed, {"--json", "--changes"}},
        {"steps past the kept output", &longSteps, {"--steps"}},
        {"json past the kept output", &longSteps, {"--json"}},
    };
    TChildOptions together;
    together.ErrorIntoOutput = true;
    TChildOptions inTurn = together;
    inTurn.OneProcessor = true;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const TChildRun shared = RunOvcalc(row.Arguments, row.Input->c_str(), together);
        const TChildRun alone = RunOvcalc(row.Arguments, row.Input->c_str(), inTurn);
        EXPECT_EQ(shared.Status, alone.Status);
        EXPECT_EQ(shared.Out.size(), alone.Out.size());
        EXPECT_TRUE(shared.Out == alone.Out);           // not printed: megabytes
        EXPECT_GT(alone.Out.size(), row.Input->size()); // answered
    }
}

TEST(Ovcalc, Options)
{
    static const TRow Rows[] = {
        {"version", {"--version"}, nullptr, "ovcalc " OV_PROJECT_VERSION "\n", "", 0},
        {"bad option", {"--frobnicate", "1+1"}, nullptr, "", "ovcalc: unknown option '--frobnicate'\n", 2},
    };
    for (const auto& row : Rows) {
        Check(row);
    }
    const TChildRun help = RunOvcalc({"--help"}, nullptr);
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Usage: ovcalc [--steps] [--changes] [--json] [EQUATION ...]\n", 0), 0U) << help.Out;
}

} // namespace
