// ovcalc: the equation engine on the command line, for scripts and for
// checking results without the window.
//
// Output is written as the engine goes, so that memory stays near linear in
// the equation whatever the number and length of its steps. Every write is
// checked: a failed one ends the program with status 3.
#include "BaseConversion.h"
#include "EquationEngine.h"
#include "LineReader.h"
#include "Processors.h"
#include "ProgramArguments.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::string_view Usage =
    "Usage: ovcalc [--steps] [--changes] [--json] [EQUATION ...]\n"
    "Evaluates each EQUATION, or each line of standard input when none is given.\n"
    "\n"
    "  --steps     print every step of the working before the result; the steps\n"
    "              are the whole equation each time, so their size grows with the\n"
    "              square of the equation's length (use --changes for long ones)\n"
    "  --changes   in place of the steps, print the first step, then one line per\n"
    "              step naming only what it did: \"AT: FROM -> TO\", where FROM\n"
    "              stood at offset AT of the step before (counted from 0) and TO\n"
    "              took its place\n"
    "  --json      print one JSON object per equation, with its steps, keys in\n"
    "              this order: \"equation\", \"steps\" (or \"changes\" with --changes:\n"
    "              [{\"at\": AT, \"from\": FROM, \"to\": TO}, ...], after the first\n"
    "              step in \"first\"), \"ok\", then \"decimal\", \"hexadecimal\",\n"
    "              \"octal\", \"binary\", or \"error\": {\"message\": M, \"position\": P}\n"
    "              (position -1 when out of memory; \"error\": null for an empty line)\n"
    "  --help      print this help and exit\n"
    "  --version   print the version and exit\n"
    "  --          take every further argument as an equation\n"
    "\n"
    "An equation holds numbers, + - * / ^ (power) & (root), parentheses and spaces.\n"
    "+ - * / are exact decimal arithmetic; so is x^n for an integer n and x not 0\n"
    "when the exact power has at most 28 decimal places and is below 2^96\n"
    "(2^64 = 18446744073709551616). Other powers and every root show about 15\n"
    "significant digits.\n"
    "A result beyond 79228162514264337593543950335, either sign, is reported as\n"
    "an error; a lone number is given back exactly as typed. The hexadecimal,\n"
    "octal and binary lines give the integer part exactly, or say \"beyond 96\n"
    "bits\" (null in JSON) for a lone number beyond that.\n"
    "A fault is shown on standard error with its line and column and at most\n"
    "about 70 characters of the equation around it.\n"
    "\n"
    "Exit status: 0 when every equation succeeded, 1 when any failed (a fault,\n"
    "or out of memory for one equation; the next lines are still answered),\n"
    "2 for a bad option, 3 when the output could not be written.\n";

// ---------------------------------------------------------------------------
// Output

[[noreturn]] void WriteFailed(int error)
{
    // A reader that went away (a closed pipe) is no fault to talk about.
    if (error != EPIPE) {
        const std::string text = std::string("ovcalc: cannot write the output: ") + std::strerror(error) + "\n";
        [[maybe_unused]] const ssize_t ignored = write(2, text.data(), text.size());
    }
    _exit(3);
}

void WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t count = write(fd, text.data(), text.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            WriteFailed(errno);
        }
        text.remove_prefix(static_cast<std::size_t>(count));
    }
}

// Standard output through one buffer, written with write(2) and checked; or,
// as a collector, kept whole (with the texts for standard error and where
// they fall) until it is written out after another output's text.
class TOutput {
public:
    static constexpr std::size_t Capacity = 1 << 16;

    TOutput() { Buffer.reserve(Capacity); }

    // A collector with room for so many bytes.
    static TOutput Collector(std::size_t room)
    {
        TOutput output;
        output.Collecting = true;
        output.Buffer.reserve(room);
        return output;
    }

    // Small enough to be inline where it is called: a text goes into the
    // buffer unless the buffer, not a collector's, is full.
    [[gnu::always_inline]] void Put(std::string_view text)
    {
        if (Buffer.size() + text.size() > Capacity && !Collecting) [[unlikely]] {
            PutPastCapacity(text);
            return;
        }
        Buffer.append(text);
    }
    void Put(char c)
    {
        if (Buffer.size() == Capacity && !Collecting) [[unlikely]] {
            Flush();
        }
        Buffer.push_back(c);
    }

    void Flush()
    {
        if (!Collecting) {
            WriteAll(1, Buffer);
            Buffer.clear();
        }
    }

    // Standard error keeps its place after the answers written before.
    void Error(std::string_view text)
    {
        if (Collecting) {
            Errors.push_back({Buffer.size(), std::string(text)});
        } else {
            Flush();
            WriteAll(2, text);
        }
    }

    // Where a collector stands: how much text and how many messages it holds.
    struct TMark {
        std::size_t Text;
        std::size_t Errors;
    };
    [[nodiscard]] TMark Mark() const { return {Buffer.size(), Errors.size()}; }

    // What a collector took between two marks, written out after what out
    // holds.
    void WriteCollectedAfter(TOutput& out, TMark from, TMark to) const
    {
        out.Flush();
        std::size_t written = from.Text;
        for (std::size_t i = from.Errors; i < to.Errors; ++i) {
            WriteAll(1, std::string_view(Buffer).substr(written, Errors[i].first - written));
            WriteAll(2, Errors[i].second);
            written = Errors[i].first;
        }
        WriteAll(1, std::string_view(Buffer).substr(written, to.Text - written));
    }
    void ClearCollected()
    {
        Buffer.clear(); // its room stays for the next time
        Errors.clear();
    }

    // Appends a text as a JSON string. The JSON library does the escaping,
    // and writes U+FFFD for bytes that are not UTF-8.
    void PutJsonString(std::string_view text)
    {
        if (NeedsNoEscaping(text)) {
            PutPlainJsonString(text);
        } else {
            Put(nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
        }
    }

    // For texts the engine made (steps, numbers, messages): printable ASCII
    // without quotes or backslashes, which need no escaping.
    void PutPlainJsonString(std::string_view text)
    {
        Put('"');
        Put(text);
        Put('"');
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
        return std::all_of(text.begin(), text.end(), [](char c) { return Plain[static_cast<unsigned char>(c)]; });
    }

    [[gnu::noinline]] void PutPastCapacity(std::string_view text)
    {
        Flush();
        if (text.size() >= Capacity) {
            WriteAll(1, text);
        } else {
            Buffer.append(text);
        }
    }

    std::string Buffer;
    bool Collecting = false;
    std::vector<std::pair<std::size_t, std::string>> Errors; // a collector's: where in Buffer, and the text
};

TOutput StandardOutput;

void FlushOutput()
{
    StandardOutput.Flush();
}

// ---------------------------------------------------------------------------
// What the engine reports

enum class TMode { Plain, Steps, Changes, Json, JsonChanges };

// Writes the working of each equation as the mode shows it: every step as
// text (--steps, or the "steps" of --json), or each step as what it replaced
// (--changes). For a change the texts of the tokens are kept here (the
// engine has moved on when it reports one): scanned tokens as slices of the
// first step, computed numbers in a store of their own.
class TWorkingWriter final : public TEvaluationObserver {
public:
    TWorkingWriter(TMode mode, TOutput& out) : Out(out), Mode(mode) {}

    [[nodiscard]] bool WantsSteps() const override { return Mode == TMode::Steps || Mode == TMode::Json; }
    [[nodiscard]] bool WantsChanges() const override { return Mode == TMode::Changes || Mode == TMode::JsonChanges; }

    // Before each equation.
    void Reset()
    {
        FirstStep = true;
        Separator = "";
        Texts.clear();
        if (Tokens.size() > 4096) {
            Texts.shrink_to_fit();
            Tokens = {};
        }
    }

    // Whether any step was written for the equation.
    [[nodiscard]] bool WroteSteps() const { return !FirstStep; }

    // Ends the "changes" array in JSON, opening it first when no first step came.
    void CloseJson() { Out.Put(FirstStep ? "null, \"changes\": []" : "]"); }

    void OnStep(const std::string& equation) override
    {
        if (Mode == TMode::Steps) {
            Out.Put(equation);
            Out.Put('\n');
        } else {
            if (!FirstStep) {
                Out.Put(", ");
            }
            Out.PutPlainJsonString(equation);
        }
        FirstStep = false;
    }

    bool OnFirstStep(std::string_view equation, std::span<const TTokenSpan> tokens) override
    {
        if (equation.size() > TextLimit) {
            return false;
        }
        Texts.assign(equation);
        Tokens.assign(tokens.begin(), tokens.end());
        if (Mode == TMode::Changes) {
            Out.Put(equation);
            Out.Put('\n');
        } else {
            Out.PutPlainJsonString(equation);
            Out.Put(", \"changes\": [");
        }
        FirstStep = false;
        return true;
    }

    bool OnChange(const TStepChange& change) override
    {
        if (Texts.size() + change.Text.size() > TextLimit) {
            return false; // past what the 32-bit offsets reach
        }
        // The span a step replaces is its keeper and the tokens it removed,
        // side by side: their old texts in list order are what stood there.
        std::array<TTokenIndex, 4> span{change.Keeper};
        std::size_t count = 1;
        for (std::size_t i = 0; i < change.GoneCount && i < 3; ++i) {
            std::size_t k = count++;
            for (; k > 0 && span[k - 1] > change.Gone[i]; --k) {
                span[k] = span[k - 1];
            }
            span[k] = change.Gone[i];
        }
        From.clear();
        for (std::size_t i = 0; i < count; ++i) {
            From.append(Texts, Tokens[span[i]].Start, Tokens[span[i]].Length);
        }
        const std::string at = std::to_string(change.At);
        if (Mode == TMode::Changes) {
            Out.Put(at);
            Out.Put(": ");
            Out.Put(From);
            Out.Put(" -> ");
            Out.Put(change.Text);
            Out.Put('\n');
        } else {
            Out.Put(Separator);
            Out.Put("{\"at\": ");
            Out.Put(at);
            Out.Put(", \"from\": ");
            Out.PutPlainJsonString(From);
            Out.Put(", \"to\": ");
            Out.PutPlainJsonString(change.Text);
            Out.Put('}');
            Separator = ", ";
        }
        // Where the keeper's old text was long enough the new one takes its
        // place, so the store grows only as results grow.
        TTokenSpan& keeper = Tokens[change.Keeper];
        if (change.Text.size() > keeper.Length) {
            keeper.Start = static_cast<std::uint32_t>(Texts.size());
            Texts.append(change.Text);
        } else {
            Texts.replace(keeper.Start, change.Text.size(), change.Text);
        }
        keeper.Length = static_cast<std::uint32_t>(change.Text.size());
        return true;
    }

private:
    static constexpr std::size_t TextLimit = 0xFFFFFFFF;

    TOutput& Out;
    TMode Mode;
    bool FirstStep = true;

    std::string Texts;
    std::vector<TTokenSpan> Tokens; // by token: where its current text lies in Texts
    std::string From;
    std::string_view Separator;
};

// ---------------------------------------------------------------------------
// Answers

// The integer part of a result in the three bases, written into buffers of
// its own: from the value where the engine holds it (the same as from its
// text, which writes every digit of that kind), else from the text.
struct TBases {
    explicit TBases(const TEvaluation& outcome, std::string_view result)
    {
        const TIntegerPart part = outcome.Value.IsOk() ? DecimalIntegerPart(outcome.Value) : ResultIntegerPart(result);
        Hexadecimal = IntegerPartToChars(part, TBase::Hexadecimal, HexadecimalDigits);
        Octal = IntegerPartToChars(part, TBase::Octal, OctalDigits);
        Binary = IntegerPartToChars(part, TBase::Binary, BinaryDigits);
        Known = !part.TooLarge;
    }
    std::string_view Hexadecimal;
    std::string_view Octal;
    std::string_view Binary;
    bool Known; // false for a lone number beyond 96 bits: the texts say so

private:
    TBaseDigits HexadecimalDigits;
    TBaseDigits OctalDigits;
    TBaseDigits BinaryDigits;
};

// Where an equation came from, for messages: a line of standard input or an argument.
struct TSource {
    const char* Kind; // "line" or "argument"
    std::size_t Number;
};

// At most about 70 characters of the equation around the fault, with "..."
// where text is left out, control characters and bytes that are no UTF-8
// written as \xHH, and the caret line under the reported character.
std::string FaultExcerpt(std::string_view equation, std::size_t position)
{
    constexpr std::size_t Before = 35;
    constexpr std::size_t After = 35;
    position = std::min(position, equation.empty() ? 0 : equation.size() - 1);
    std::size_t begin = position > Before ? position - Before : 0;
    std::size_t end = std::min(equation.size(), position + After);
    // Cut at the start of a UTF-8 sequence.
    while (begin > 0 && (static_cast<unsigned char>(equation[begin]) & 0xC0) == 0x80) {
        --begin;
    }
    while (end < equation.size() && (static_cast<unsigned char>(equation[end]) & 0xC0) == 0x80) {
        ++end;
    }
    std::string line = begin > 0 ? "..." : "";
    std::size_t caret = line.size();
    for (std::size_t i = begin; i < end;) {
        if (i == position) {
            caret = 0;
            for (const char c : line) {
                caret += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
            }
        }
        const auto c = static_cast<unsigned char>(equation[i]);
        std::size_t length = c < 0x80                ? 1
                             : c >= 0xC2 && c < 0xE0 ? 2
                             : c >= 0xE0 && c < 0xF0 ? 3
                             : c >= 0xF0 && c < 0xF5 ? 4
                                                     : 0;
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= end || (static_cast<unsigned char>(equation[i + k]) & 0xC0) != 0x80) {
                length = 0;
            }
        }
        // C1 controls (U+0080 to U+009F) act on terminals as C0 ones do.
        const bool control =
            c < 0x20 || c == 0x7F || (c == 0xC2 && length == 2 && static_cast<unsigned char>(equation[i + 1]) < 0xA0);
        if (length == 0 || control) {
            for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k) {
                static constexpr char Hex[] = "0123456789ABCDEF";
                const auto byte = static_cast<unsigned char>(equation[i + k]);
                line += {'\\', 'x', Hex[byte >> 4], Hex[byte & 15]};
            }
            i += std::max<std::size_t>(length, 1);
        } else {
            line.append(equation.substr(i, length));
            i += length;
        }
    }
    if (end < equation.size()) {
        line += "...";
    }
    return line + "\n" + std::string(caret, ' ') + "^\n";
}

void WriteFault(TOutput& out, const std::string& equation, TSource source, const TEvaluation& fault)
{
    const std::size_t position = fault.Position;
    std::string text = "ovcalc: " + std::string(fault.Message) + " (";
    if (source.Kind[0] == 'l') {
        text.append("line ").append(std::to_string(source.Number)).append(", ");
    }
    text.append("column ").append(std::to_string(position + 1)).append(")\n");
    text += FaultExcerpt(equation, position);
    out.Error(text);
}

void WriteOutOfMemory(TOutput& out, TSource source)
{
    out.Error(std::string("ovcalc: out of memory (") + source.Kind + " " + std::to_string(source.Number) + ")\n");
}

void WriteResult(TOutput& out, const TEvaluation& outcome, std::string_view result)
{
    const TBases bases(outcome, result);
    out.Put("Decimal: ");
    out.Put(result);
    out.Put("\nHexadecimal: ");
    out.Put(bases.Hexadecimal);
    out.Put("\nOctal: ");
    out.Put(bases.Octal);
    out.Put("\nBinary: ");
    out.Put(bases.Binary);
    out.Put('\n');
}

// The end of a JSON object, after its steps or changes: "ok" and the results,
// or the error (null for the empty equation, position -1 where it has none).
void WriteJsonEnd(TOutput& out, const TEvaluation& outcome, std::string_view result)
{
    out.Put(outcome ? ", \"ok\": true" : ", \"ok\": false");
    if (outcome) {
        const TBases bases(outcome, result);
        out.Put(", \"decimal\": ");
        out.PutPlainJsonString(result);
        if (bases.Known) {
            out.Put(", \"hexadecimal\": ");
            out.PutPlainJsonString(bases.Hexadecimal);
            out.Put(", \"octal\": ");
            out.PutPlainJsonString(bases.Octal);
            out.Put(", \"binary\": ");
            out.PutPlainJsonString(bases.Binary);
        } else {
            out.Put(", \"hexadecimal\": null, \"octal\": null, \"binary\": null");
        }
    } else if (outcome.Message.empty()) {
        out.Put(", \"error\": null");
    } else {
        out.Put(", \"error\": {\"message\": ");
        out.PutPlainJsonString(outcome.Message);
        out.Put(", \"position\": ");
        out.Put(outcome.Position == NoPosition ? std::string("-1") : std::to_string(outcome.Position));
        out.Put('}');
    }
    out.Put("}\n");
}

class TAnswerer {
public:
    TAnswerer(TMode mode, TOutput& out) : Out(out), Mode(mode), Working(mode, out) {}

    // Answers one equation; false when it failed. The equation is replaced
    // by its result (the engine leaves a failed one as it is).
    bool Answer(std::string& equation, TSource source)
    {
        const bool json = Mode == TMode::Json || Mode == TMode::JsonChanges;
        const bool changes = Mode == TMode::Changes || Mode == TMode::JsonChanges;
        Working.Reset();
        if (json) {
            Out.Put("{\"equation\": ");
            Out.PutJsonString(equation);
            Out.Put(changes ? ", \"first\": " : ", \"steps\": [");
        }
        const TEvaluation outcome = Engine.Evaluate(equation, &Working);
        const bool outOfMemory = !outcome && outcome.Message == MessageOutOfMemory;
        const std::string& result = equation;
        if (json) {
            if (changes) {
                Working.CloseJson();
            } else {
                Out.Put(']');
            }
            WriteJsonEnd(Out, outcome, result);
        } else if (outcome) {
            WriteResult(Out, outcome, result);
        }
        if (outOfMemory) {
            WriteOutOfMemory(Out, source);
            return false;
        }
        if (!outcome && !json && !outcome.Message.empty()) {
            WriteFault(Out, equation, source, outcome);
        }
        // The empty equation fails without a message and is no failure here.
        return outcome || outcome.Message.empty();
    }

private:
    TOutput& Out;
    TMode Mode;
    TEquationEngine Engine;
    TWorkingWriter Working; // steps are built only when they are shown
};

// The lines of a run shared out in chunks between two answerers: the first
// takes chunks from the front, the helper from the back, until they meet.
// The first answerer writes its answers as it goes; the helper keeps its
// own, and they are written after, in order, so the bytes and their order
// are those of answering every line in turn. However late the helper
// starts, the first answerer is never kept waiting for more than a chunk.
class TChunks {
public:
    static constexpr std::size_t Lines = 32; // a chunk's

    // The lines of chunk of a run.
    static std::span<const std::string_view> Of(std::span<const std::string_view> lines, std::size_t chunk)
    {
        const std::size_t begin = chunk * Lines;
        return lines.subspan(begin, std::min(Lines, lines.size() - begin));
    }

    void Reset(std::size_t lines)
    {
        const std::uint64_t chunks = (lines + Lines - 1) / Lines;
        Ends.store(chunks << 32, std::memory_order_release);
    }
    // The first chunk left, from the front; false when none is left.
    bool TakeFront(std::size_t& chunk)
    {
        std::uint64_t ends = Ends.load(std::memory_order_acquire);
        do {
            if (Front(ends) >= Back(ends)) {
                return false;
            }
        } while (!Ends.compare_exchange_weak(ends, ends + 1, std::memory_order_acq_rel));
        chunk = Front(ends);
        return true;
    }
    // The last chunk left, from the back, when take agrees to it.
    template <class TAgrees>
    bool TakeBack(std::size_t& chunk, TAgrees take)
    {
        std::uint64_t ends = Ends.load(std::memory_order_acquire);
        do {
            if (Back(ends) <= Front(ends) || !take(Back(ends) - 1)) {
                return false;
            }
        } while (!Ends.compare_exchange_weak(ends, ends - (std::uint64_t{1} << 32), std::memory_order_acq_rel));
        chunk = Back(ends) - 1;
        return true;
    }

private:
    static std::size_t Front(std::uint64_t ends) { return static_cast<std::uint32_t>(ends); }
    static std::size_t Back(std::uint64_t ends) { return static_cast<std::size_t>(ends >> 32); }

    std::atomic<std::uint64_t> Ends = 0; // the front chunk in the low half, one past the back one in the high
};

// The helper: a second answerer on a thread of its own, with its own engine
// (the engine keeps no state between engines) and its own kept output. It
// takes no chunk with a long line (whose steps could be long), nor any once
// it keeps much: the first answerer then answers those.
class THelper {
public:
    explicit THelper(TMode mode) : Answerer(mode, Output), Thread([this] { Run(); }) {}
    THelper(const THelper&) = delete;
    THelper& operator=(const THelper&) = delete;
    ~THelper()
    {
        {
            const std::lock_guard lock(Mutex);
            Stopping = true;
        }
        Wake.notify_one();
        Thread.join();
    }

    // Starts taking chunks of lines, numbered from first on. The lines must
    // stay as they are until Finish.
    void Start(TChunks& chunks, std::span<const std::string_view> lines, std::size_t first)
    {
        {
            const std::lock_guard lock(Mutex);
            Chunks = &chunks;
            Lines = lines;
            First = first;
            HasWork = true;
        }
        Wake.notify_one();
    }

    // Waits until the helper takes no more chunks, and writes its answers
    // after what out holds; allOk turns false when any of them failed.
    void Finish(TOutput& out, bool& allOk)
    {
        std::unique_lock lock(Mutex);
        Done.wait(lock, [this] { return !HasWork; });
        if (Failure) {
            std::rethrow_exception(std::exchange(Failure, nullptr));
        }
        // Taken from the back: the last one taken comes first.
        for (std::size_t i = Taken.size(); i-- > 0;) {
            Output.WriteCollectedAfter(out, Taken[i].From, Taken[i].To);
        }
        Output.ClearCollected();
        Taken.clear();
        allOk = AllOk && allOk;
    }

    static constexpr std::size_t LongLine = 512;            // bytes
    static constexpr std::size_t KeptOutputLimit = 1 << 19; // bytes

private:
    void Run()
    {
        std::unique_lock lock(Mutex);
        for (;;) {
            Wake.wait(lock, [this] { return Stopping || HasWork; });
            if (Stopping) {
                return;
            }
            lock.unlock();
            AllOk = true;
            try {
                const auto agrees = [this](std::size_t chunk) {
                    if (Output.Mark().Text > KeptOutputLimit) {
                        return false;
                    }
                    const std::span<const std::string_view> lines = TChunks::Of(Lines, chunk);
                    return std::none_of(lines.begin(), lines.end(),
                                        [](std::string_view line) { return line.size() > LongLine; });
                };
                for (std::size_t chunk; Chunks->TakeBack(chunk, agrees);) {
                    const TOutput::TMark from = Output.Mark();
                    std::size_t number = First + chunk * TChunks::Lines;
                    for (const std::string_view text : TChunks::Of(Lines, chunk)) {
                        Line.assign(text);
                        AllOk = Answerer.Answer(Line, {"line", number++}) && AllOk;
                    }
                    Taken.push_back({from, Output.Mark()});
                }
            } catch (...) {
                Failure = std::current_exception();
            }
            lock.lock();
            HasWork = false;
            Done.notify_one();
        }
    }

    struct TTaken {
        TOutput::TMark From;
        TOutput::TMark To;
    };

    // Room for what it keeps from the start: growing by doubling would hold
    // the old copy and the new at once.
    TOutput Output = TOutput::Collector(KeptOutputLimit + TOutput::Capacity);
    TAnswerer Answerer;
    std::string Line;
    std::vector<TTaken> Taken; // the answers of each chunk taken, in the order taken
    std::mutex Mutex;
    std::condition_variable Wake;
    std::condition_variable Done;
    TChunks* Chunks = nullptr;
    std::span<const std::string_view> Lines;
    std::size_t First = 0;
    bool AllOk = true;
    bool HasWork = false;
    bool Stopping = false;
    std::exception_ptr Failure;
    std::thread Thread; // last: it starts once the rest is there
};

// Answers lines read together, numbered from first on, in order; with a
// second processor a long run is shared with a helper.
class TRunAnswerer {
public:
    TRunAnswerer(TMode mode, TAnswerer& answerer) : Mode(mode), Answerer(answerer), Share(UsableProcessors() > 1) {}

    bool Answer(std::span<const std::string_view> lines, std::size_t first)
    {
        if (!Share || lines.size() < ShareFrom) {
            return AnswerInTurn(lines, first);
        }
        if (!Helper) {
            Helper = std::make_unique<THelper>(Mode);
        }
        Chunks.Reset(lines.size());
        Helper->Start(Chunks, lines, first);
        bool allOk = true;
        for (std::size_t chunk; Chunks.TakeFront(chunk);) {
            allOk = AnswerInTurn(TChunks::Of(lines, chunk), first + chunk * TChunks::Lines) && allOk;
        }
        Helper->Finish(StandardOutput, allOk);
        return allOk;
    }

private:
    // Fewer lines are answered quicker than a helper is handed them.
    static constexpr std::size_t ShareFrom = 128;

    bool AnswerInTurn(std::span<const std::string_view> lines, std::size_t first)
    {
        bool allOk = true;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            Line.assign(lines[i]);
            allOk = Answerer.Answer(Line, {"line", first + i}) && allOk;
        }
        return allOk;
    }

    TMode Mode;
    TAnswerer& Answerer;
    bool Share;
    TChunks Chunks;
    std::unique_ptr<THelper> Helper;
    std::string Line;
};

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
    bool changes = false;
    bool json = false;
    bool optionsEnded = false;
    std::vector<std::string> equations;
    UseBinaryStandardStreams();
    for (const std::string& argument : ProgramArguments(argc, argv)) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (optionsEnded || !IsOption(argument)) {
            equations.emplace_back(argument);
        } else if (argument == "--steps") {
            steps = true;
        } else if (argument == "--changes") {
            changes = true;
        } else if (argument == "--json") {
            json = true;
        } else if (argument == "--help" || argument == "-h") {
            StandardOutput.Put(Usage);
            StandardOutput.Flush();
            return 0;
        } else if (argument == "--version") {
            StandardOutput.Put("ovcalc " OV_VERSION "\n");
            StandardOutput.Flush();
            return 0;
        } else {
            StandardOutput.Error("ovcalc: unknown option '" + std::string(argument) + "'\nTry 'ovcalc --help'.\n");
            return 2;
        }
    }

    // --changes wins over --steps: both at once would repeat the working.
    const TMode mode = json      ? (changes ? TMode::JsonChanges : TMode::Json)
                       : changes ? TMode::Changes
                       : steps   ? TMode::Steps
                                 : TMode::Plain;
    TAnswerer answerer(mode, StandardOutput);
    bool allOk = true;
    if (!equations.empty()) {
        for (std::size_t i = 0; i < equations.size(); ++i) {
            allOk = answerer.Answer(equations[i], {"argument", i + 1}) && allOk;
        }
    } else {
        TLineReader input(0, FlushOutput);
        std::vector<std::string_view> run; // outlives the answerer's helper, which reads it
        TRunAnswerer runs(mode, answerer);
        std::string line;
        for (std::size_t number = 1;; ++number) {
            // The lines already read, together; then one more, which may wait.
            run.clear();
            for (std::string_view text; input.NextBuffered(text);) {
                run.push_back(text);
            }
            if (!run.empty()) {
                allOk = runs.Answer(run, number) && allOk;
                number += run.size() - 1;
                continue;
            }
            bool more = false;
            try {
                more = input.Next(line);
            } catch (const std::bad_alloc&) {
                // A line too long to hold: its answer is that it could not be had.
                line = {};
                line.shrink_to_fit();
                more = input.SkipLine();
                allOk = false;
                if (json) {
                    StandardOutput.Put("{\"equation\": null");
                    WriteJsonEnd(StandardOutput, TEvaluation{false, MessageOutOfMemory, NoPosition}, {});
                }
                WriteOutOfMemory(StandardOutput, {"line", number});
                if (!more) {
                    break;
                }
                continue;
            }
            if (!more) {
                break;
            }
            allOk = answerer.Answer(line, {"line", number}) && allOk;
        }
    }
    StandardOutput.Flush();
    return allOk ? 0 : 1;
}
