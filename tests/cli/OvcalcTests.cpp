// ovcalc end to end: the real program, its arguments, standard input,
// both output streams and the exit status.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct TRun {
    std::string Out;
    std::string Err;
    int Status = -1;
};

std::string Quoted(const std::string& argument)
{
    std::string quoted = "'";
    for (const char c : argument) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs ovcalc through the shell with the arguments quoted as they are; with
// input, standard input comes from a file holding it, else from /dev/null.
TRun RunOvcalc(const std::vector<std::string>& arguments, const char* input)
{
    const std::string stem = ::testing::TempDir() + "ovcalc_" + std::to_string(getpid());
    std::string command = Quoted(OVCALC_PATH);
    for (const auto& argument : arguments) {
        command += " " + Quoted(argument);
    }
    if (input != nullptr) {
        std::ofstream(stem + ".in", std::ios::binary) << input;
        command += " < " + Quoted(stem + ".in");
    } else {
        command += " < /dev/null";
    }
    command += " 2> " + Quoted(stem + ".err");

    TRun run;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.Out.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    {
        std::ifstream err(stem + ".err", std::ios::binary);
        run.Err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    }
    std::remove((stem + ".err").c_str());
    std::remove((stem + ".in").c_str());
    return run;
}

struct TRow {
    const char* Equation; // what the row shows; also the trace
    std::vector<std::string> Arguments;
    const char* Input;    // null: no equations on standard input
    const char* Out;
    const char* Err;      // a prefix of standard error
    int Status;
};

void Check(const TRow& row)
{
    SCOPED_TRACE(row.Equation);
    const TRun run = RunOvcalc(row.Arguments, row.Input);
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
        {"negative integer part, truncated", {"0-255.75"}, nullptr,
         "Decimal: -255.75\nHexadecimal: -FF\nOctal: -377\nBinary: -11111111\n", "", 0},
        {"steps first", {"--steps", "(1+2)*3"}, nullptr,
         "(1+2)*3\n(3)*3\n3*3\n9\nDecimal: 9\nHexadecimal: 9\nOctal: 11\nBinary: 1001\n", "", 0},
        {"a fault", {"1 + 4/(2-2)"}, nullptr, "", "ovcalc: Division by zero.\n1 + 4/(2-2)\n     ^\n", 1},
        {"a scanner fault", {"2x"}, nullptr, "", "ovcalc: Invalid character found.\n2x\n ^\n", 1},
        {"the others are still answered", {"1/0", "7"}, nullptr,
         "Decimal: 7\nHexadecimal: 7\nOctal: 7\nBinary: 111\n", "ovcalc: Division by zero.\n1/0\n ^\n", 1},
        {"the empty equation is no failure", {""}, nullptr, "", "", 0},
        {"a leading sign is no option", {"-5+2"}, nullptr,
         "Decimal: -3\nHexadecimal: -3\nOctal: -3\nBinary: -11\n", "", 0},
        {"-- ends the options", {"--", "--json"}, nullptr, "", "ovcalc: Invalid character found.\n--json\n  ^\n", 1},
    };
    for (const auto& row : Rows) {
        Check(row);
    }
}

// One object per line; steps always present; U+FFFD for bytes that are not UTF-8.
TEST(Ovcalc, JsonOutput)
{
    static const TRow Rows[] = {
        {"result", {"--json", "2(3)"}, nullptr,
         "{\"equation\": \"2(3)\", \"ok\": true, \"steps\": [\"2(3)\", \"23\"], \"decimal\": \"23\", "
         "\"hexadecimal\": \"17\", \"octal\": \"27\", \"binary\": \"10111\"}\n",
         "", 0},
        {"fault", {"--json", "1/0"}, nullptr,
         "{\"equation\": \"1/0\", \"ok\": false, \"steps\": [\"1/0\"], "
         "\"error\": {\"message\": \"Division by zero.\", \"position\": 1}}\n",
         "", 1},
        {"empty", {"--json", ""}, nullptr, "{\"equation\": \"\", \"ok\": false, \"steps\": [], \"error\": null}\n", "",
         0},
        {"escaping", {"--json", "2\xff\"\\"}, nullptr,
         "{\"equation\": \"2\xEF\xBF\xBD\\\"\\\\\", \"ok\": false, \"steps\": [], "
         "\"error\": {\"message\": \"Invalid character found.\", \"position\": 1}}\n",
         "", 1},
    };
    for (const auto& row : Rows) {
        Check(row);
    }
}

// Without equation arguments every line of standard input is one, "\r\n"
// endings and a last line without "\n" included.
TEST(Ovcalc, StandardInput)
{
    static const TRow Rows[] = {
        {"lines", {}, "1+1\r\n\n7/2", "Decimal: 2\nHexadecimal: 2\nOctal: 2\nBinary: 10\n"
                                     "Decimal: 3.5\nHexadecimal: 3\nOctal: 3\nBinary: 11\n", "", 0},
        {"a failing line", {"--json"}, "(1\n2^10\n",
         "{\"equation\": \"(1\", \"ok\": false, \"steps\": [], \"error\": {\"message\": "
         "\"Opening parenthesis with no matching closing parenthesis found.\", \"position\": 0}}\n"
         "{\"equation\": \"2^10\", \"ok\": true, \"steps\": [\"2^10\", \"1024\"], \"decimal\": \"1024\", "
         "\"hexadecimal\": \"400\", \"octal\": \"2000\", \"binary\": \"10000000000\"}\n",
         "", 1},
        {"no input", {}, "", "", "", 0},
    };
    for (const auto& row : Rows) {
        Check(row);
    }
}

TEST(Ovcalc, Options)
{
    static const TRow Rows[] = {
        {"version", {"--version"}, nullptr, "ovcalc 3.3.0\n", "", 0},
        {"bad option", {"--frobnicate", "1+1"}, nullptr, "", "ovcalc: unknown option '--frobnicate'\n", 2},
    };
    for (const auto& row : Rows) {
        Check(row);
    }
    const TRun help = RunOvcalc({"--help"}, nullptr);
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Usage: ovcalc [--steps] [--json] [EQUATION ...]\n", 0), 0U) << help.Out;
}

} // namespace
