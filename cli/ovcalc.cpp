// ovcalc: the equation engine on the command line, for scripts and for
// checking results without the window.
#include "BaseConversion.h"
#include "EquationEngine.h"
#include "LineReader.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view Usage =
    "Usage: ovcalc [--steps] [--json] [EQUATION ...]\n"
    "Evaluates each EQUATION, or each line of standard input when none is given.\n"
    "\n"
    "  --steps     print every step of the reduction before the result\n"
    "  --json      print one JSON object per equation, with its steps\n"
    "  --help      print this help and exit\n"
    "  --version   print the version and exit\n"
    "  --          take every further argument as an equation\n"
    "\n"
    "An equation holds numbers, + - * / ^ (power) & (root), parentheses and spaces.\n"
    "Exit status: 0 when every equation succeeded, 1 when any failed, 2 for a bad option.\n";

enum class TOutput { Plain, PlainWithSteps, Json };

// Appends texts as JSON strings to one buffer. The JSON library does the
// escaping, and writes U+FFFD for bytes that are not UTF-8. Steps and results
// are printable ASCII without quotes or backslashes: they need no escaping,
// and skipping the library for them keeps a JSON answer as cheap as the
// evaluation behind it.
class TJsonStrings {
public:
    explicit TJsonStrings(std::string& output) : Output(output) {}

    void Append(std::string_view text)
    {
        if (NeedsNoEscaping(text)) {
            Output.append(1, '"').append(text).append(1, '"');
        } else {
            Output += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        }
    }

private:
    static bool NeedsNoEscaping(std::string_view text)
    {
        static constexpr auto Plain = [] {
            std::array<bool, 256> plain{};
            for (int c = ' '; c <= '~'; ++c) {
                plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
            }
            return plain;
        }();
        for (const char c : text) {
            if (!Plain[static_cast<unsigned char>(c)]) {
                return false;
            }
        }
        return true;
    }

    std::string& Output;
};

// The engine reports through plain functions, so what they report about the
// current equation lives here.
struct TReport {
    TOutput Output = TOutput::Plain;
    std::string Message;
    int Position = -1;
    std::string StepsJson; // the steps so far, as the inside of a JSON array
    TJsonStrings StepStrings{StepsJson};
    std::string Line;
    TJsonStrings LineStrings{Line};
};

TReport Report;

void Write(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void OnEngineError(std::string message, int position)
{
    Report.Message = std::move(message);
    Report.Position = position;
}

void OnEngineStep(const std::string& equation)
{
    if (Report.Output == TOutput::PlainWithSteps) {
        Write(equation);
        std::putc('\n', stdout);
    } else {
        if (!Report.StepsJson.empty()) {
            Report.StepsJson += ", ";
        }
        Report.StepStrings.Append(equation);
    }
}

void FlushOutput() { std::fflush(stdout); }

struct TBases {
    std::string Hexadecimal;
    std::string Octal;
    std::string Binary;
};

TBases BasesOf(std::string_view result)
{
    const std::int64_t integer = ResultIntegerPart(result);
    return TBases{IntToHexadecimal(integer), IntToOctal(integer), IntToBinary(integer)};
}

// The fault, the equation, and a caret under the reported character. The
// caret line follows tabs and counts a UTF-8 sequence as one column.
void WriteFault(const std::string& equation)
{
    std::string text = "ovcalc: " + Report.Message + "\n" + equation + "\n";
    const auto position = static_cast<std::size_t>(Report.Position);
    for (std::size_t i = 0; i < position && i < equation.size(); ++i) {
        const auto c = static_cast<unsigned char>(equation[i]);
        if (c == '\t') {
            text += '\t';
        } else if ((c & 0xC0) != 0x80) {
            text += ' ';
        }
    }
    text += "^\n";
    FlushOutput(); // keeps the answers in order where both streams meet
    std::fwrite(text.data(), 1, text.size(), stderr);
}

// {"equation": E, "ok": true, "steps": [...], "decimal": R, "hexadecimal": H,
// "octal": O, "binary": B}, or "error": {"message": M, "position": P} in place
// of the results ("error": null for the empty equation), on one line.
void WriteJson(const std::string& equation, bool ok, const std::string& result)
{
    std::string& line = Report.Line;
    TJsonStrings& strings = Report.LineStrings;
    line.assign("{\"equation\": ");
    strings.Append(equation);
    line.append(ok ? ", \"ok\": true" : ", \"ok\": false");
    line.append(", \"steps\": [").append(Report.StepsJson).append("]");
    if (ok) {
        const TBases bases = BasesOf(result);
        line.append(", \"decimal\": ");
        strings.Append(result);
        line.append(", \"hexadecimal\": ");
        strings.Append(bases.Hexadecimal);
        line.append(", \"octal\": ");
        strings.Append(bases.Octal);
        line.append(", \"binary\": ");
        strings.Append(bases.Binary);
    } else if (Report.Position < 0) {
        line.append(", \"error\": null");
    } else {
        line.append(", \"error\": {\"message\": ");
        strings.Append(Report.Message);
        line.append(", \"position\": ").append(std::to_string(Report.Position)).append("}");
    }
    line.append("}\n");
    Write(line);
}

// Answers one equation; false when it failed.
bool Answer(TEquationEngine& engine, const std::string& equation)
{
    Report.StepsJson.clear();
    Report.Message.clear();
    Report.Position = -1;
    std::string result = equation;
    const bool ok = engine.Evaluate(result);
    if (Report.Output == TOutput::Json) {
        WriteJson(equation, ok, result);
    } else if (ok) {
        const TBases bases = BasesOf(result);
        std::string text;
        text.reserve(64 + result.size() + bases.Binary.size());
        text.append("Decimal: ").append(result);
        text.append("\nHexadecimal: ").append(bases.Hexadecimal);
        text.append("\nOctal: ").append(bases.Octal);
        text.append("\nBinary: ").append(bases.Binary).append("\n");
        Write(text);
    } else if (Report.Position >= 0) {
        WriteFault(equation);
    }
    // The empty equation fails without a message and is no failure here.
    return ok || Report.Position < 0;
}

bool IsOption(std::string_view argument)
{
    if (argument.starts_with("--")) {
        argument.remove_prefix(2);
    } else if (argument.starts_with("-")) {
        argument.remove_prefix(1);
    } else {
        return false;
    }
    // "-5", "--5" and "-(2)" are equations; "-x" could never be one.
    const char first = argument.empty() ? '\0' : argument[0];
    return (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z');
}

} // namespace

int main(int argc, char** argv)
{
    bool steps = false;
    bool json = false;
    bool optionsEnded = false;
    std::vector<std::string> equations;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (optionsEnded || !IsOption(argument)) {
            equations.emplace_back(argument);
        } else if (argument == "--steps") {
            steps = true;
        } else if (argument == "--json") {
            json = true;
        } else if (argument == "--help" || argument == "-h") {
            Write(Usage);
            return 0;
        } else if (argument == "--version") {
            Write("ovcalc " OV_VERSION "\n");
            return 0;
        } else {
            std::fprintf(stderr, "ovcalc: unknown option '%s'\nTry 'ovcalc --help'.\n", argv[i]);
            return 2;
        }
    }

    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    Report.Output = json ? TOutput::Json : steps ? TOutput::PlainWithSteps : TOutput::Plain;
    // Steps are built only when they are shown.
    TEquationEngine engine(OnEngineError, Report.Output == TOutput::Plain ? nullptr : OnEngineStep);
    bool allOk = true;
    if (!equations.empty()) {
        for (const std::string& equation : equations) {
            allOk = Answer(engine, equation) && allOk;
        }
    } else {
        TLineReader input(0, FlushOutput);
        std::string line;
        while (input.Next(line)) {
            allOk = Answer(engine, line) && allOk;
        }
    }
    FlushOutput();
    return allOk ? 0 : 1;
}
