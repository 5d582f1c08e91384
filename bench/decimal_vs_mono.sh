#!/usr/bin/env bash
# The decimal type against the platform decimal of .NET under Mono (its JIT)
# on the same operands: numbers of mixed scales, 0 to 20 decimal places,
# about a third of them integers up to 10^6, either sign, none zero. Every
# ordered pair goes through add, subtract, multiply and divide; every
# operand from and to text. Prints nanoseconds per operation and the ratio.
#   bench/decimal_vs_mono.sh [path/to/decimal_bench]
# Needs python3, and mono with mcs (mono-runtime, mono-mcs) for the other side.
set -euo pipefail
cd "$(dirname "$0")/.."
bench=$(realpath "${1:-build/bin/decimal_bench}")
for tool in python3 mono mcs; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/operands.txt" <<'PY'
import random, sys
r = random.Random(20261209)
with open(sys.argv[1], "w") as out:
    for i in range(60):
        sign = "-" if r.random() < 0.5 else ""
        if i % 3 == 0:
            out.write(f"{sign}{r.randint(1, 10**6)}\n")
        else:
            places = r.randint(1, 20)
            fraction = "".join(r.choice("0123456789") for _ in range(places - 1)) + r.choice("123456789")
            out.write(f"{sign}{r.randint(0, 10**6)}.{fraction}\n")
PY

cat > "$work/Bench.cs" <<'CS'
using System;
using System.Diagnostics;
using System.Globalization;
using System.IO;

// Each operation in a loop of its own over arrays, its results stored (so
// that the JIT keeps the work): the best of seven rounds, per operation.
static class Bench
{
    const int Rounds = 7, Repeats = 500;
    static decimal[] A, B, Results;
    static string[] Texts;
    static decimal[] Values;

    static double Best(Action run, int operations)
    {
        double best = double.MaxValue;
        for (int round = 0; round < Rounds; round++) {
            var watch = Stopwatch.StartNew();
            run();
            watch.Stop();
            best = Math.Min(best, watch.Elapsed.TotalMilliseconds * 1e6 / operations);
        }
        return best;
    }

    static void Add() { for (int r = 0; r < Repeats; r++) for (int i = 0; i < A.Length; i++) Results[i] = A[i] + B[i]; }
    static void Sub() { for (int r = 0; r < Repeats; r++) for (int i = 0; i < A.Length; i++) Results[i] = A[i] - B[i]; }
    static void Mul() { for (int r = 0; r < Repeats; r++) for (int i = 0; i < A.Length; i++) Results[i] = A[i] * B[i]; }
    static void Div() { for (int r = 0; r < Repeats; r++) for (int i = 0; i < A.Length; i++) Results[i] = A[i] / B[i]; }
    static void FromText()
    {
        for (int r = 0; r < Repeats * 20; r++)
            for (int i = 0; i < Texts.Length; i++)
                Results[i] = decimal.Parse(Texts[i], NumberStyles.Float, CultureInfo.InvariantCulture);
    }
    static string[] Written;
    static void ToText()
    {
        for (int r = 0; r < Repeats * 20; r++)
            for (int i = 0; i < Values.Length; i++) Written[i] = Values[i].ToString(CultureInfo.InvariantCulture);
    }

    static void Main(string[] args)
    {
        Texts = File.ReadAllLines(args[0]);
        Values = new decimal[Texts.Length];
        for (int i = 0; i < Texts.Length; i++) {
            Values[i] = decimal.Parse(Texts[i], NumberStyles.Float, CultureInfo.InvariantCulture);
        }
        int n = Values.Length;
        A = new decimal[n * n];
        B = new decimal[n * n];
        Results = new decimal[n * n];
        Written = new string[n];
        for (int i = 0; i < n; i++) {
            for (int j = 0; j < n; j++) {
                A[i * n + j] = Values[i];
                B[i * n + j] = Values[j];
            }
        }
        int pairs = Repeats * n * n, texts = Repeats * 20 * n;
        Console.WriteLine("add " + Best(Add, pairs));
        Console.WriteLine("sub " + Best(Sub, pairs));
        Console.WriteLine("mul " + Best(Mul, pairs));
        Console.WriteLine("div " + Best(Div, pairs));
        Console.WriteLine("fromtext " + Best(FromText, texts));
        Console.WriteLine("totext " + Best(ToText, texts));
    }
}
CS
mcs -optimize+ -out:"$work/Bench.exe" "$work/Bench.cs" >/dev/null
echo "operands: $(wc -l < "$work/operands.txt") ($(head -3 "$work/operands.txt" | tr '\n' ' ')...)"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
mono "$work/Bench.exe" "$work/operands.txt" > "$work/mono.txt"
OV_DECIMAL_OPERANDS="$work/operands.txt" "$bench" --benchmark_filter='^File_' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null > "$work/ours.csv"
python3 - "$work/mono.txt" "$work/ours.csv" <<'PY'
import csv, sys
mono = dict(line.split() for line in open(sys.argv[1]))
ours = {}
for row in csv.DictReader(line for line in open(sys.argv[2]) if line.startswith(("name,", '"File_'))):
    if row["name"].endswith("_median"):
        ours[row["name"][5:-7]] = float(row["ns_per_operation"])
names = {"add": "Add", "sub": "Subtract", "mul": "Multiply", "div": "Divide", "fromtext": "FromText", "totext": "ToText"}
print(f"{'operation':10s} {'ours ns':>8s} {'mono ns':>8s}  ratio (goal 4x)")
for key, name in names.items():
    o, m = ours[name], float(mono[key])
    print(f"{key:10s} {o:8.1f} {m:8.1f}  {m / o:5.2f}x")
PY
