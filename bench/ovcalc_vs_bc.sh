#!/usr/bin/env bash
# Whole-process wall time of ovcalc against Debian's bc -l (scale=28) on the
# same 50,000 short equations, in one run: medians of interleaved rounds,
# beside the floor (a program that only reads the equations and writes the
# answers' bytes: ovcalc_floor) and, where it is installed, qalc.
#   bench/ovcalc_vs_bc.sh [path/to/ovcalc] [rounds]
# The goals: ovcalc at least 10 times faster than bc, ovcalc --json (which
# writes every step) at least 5 times; --json --changes is shown beside them.
# qalc answers one equation in milliseconds: it is timed on the first 500
# equations, once, and scaled to all of them. With more than one processor
# ovcalc answers the lines it reads together on two threads; where taskset
# is installed, it is also timed held to one processor.
set -euo pipefail
cd "$(dirname "$0")/.."
ovcalc=$(realpath "${1:-build/bin/ovcalc}")
floor=$(dirname "$ovcalc")/ovcalc_floor
runs=${2:-9}
for tool in bc python3; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done
[ -x "$floor" ] || { echo "needs $floor (cmake --build build --target ovcalc_floor)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 3 to 9 numbers joined by + - * /; about one number in four has two
# decimals. No zeros, so that bc meets no division by zero either.
awk -v seed=20261208 'BEGIN {
    srand(seed)
    split("+ - * /", ops, " ")
    for (n = 0; n < 50000; n++) {
        count = 3 + int(rand() * 7)
        line = ""
        for (i = 0; i < count; i++) {
            if (i > 0) line = line ops[1 + int(rand() * 4)]
            if (rand() < 0.25) line = line sprintf("%d.%02d", 1 + int(rand() * 99), 1 + int(rand() * 99))
            else line = line (1 + int(rand() * 999))
        }
        print line
    }
}' > "$work/equations.txt"
{ echo "scale=28"; cat "$work/equations.txt"; } > "$work/equations.bc"
"$ovcalc" < "$work/equations.txt" > "$work/plain.out"
"$ovcalc" --json < "$work/equations.txt" > "$work/json.out"

echo "$(wc -l < "$work/equations.txt") equations, e.g. $(head -1 "$work/equations.txt")"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"

# Rounds run the commands back to back, so that a machine shared with other
# work slows all of them alike; the medians over the rounds are compared.
python3 - "$runs" "$ovcalc" "$floor" "$work" <<'PY'
import shutil, statistics, subprocess, sys, time
runs, ovcalc, floor, work = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
equations = f"{work}/equations.txt"
commands = {
    "floor (plain)": ([floor, f"{work}/plain.out"], equations),
    "floor (--json)": ([floor, f"{work}/json.out"], equations),
    "bc -l": (["bc", "-l"], f"{work}/equations.bc"),
    "ovcalc": ([ovcalc], equations),
    "ovcalc --json": ([ovcalc, "--json"], equations),
    "--json --changes": ([ovcalc, "--json", "--changes"], equations),
}
if shutil.which("taskset"):
    commands["ovcalc, 1 processor"] = (["taskset", "-c", "0", ovcalc], equations)
    commands["--json, 1 processor"] = (["taskset", "-c", "0", ovcalc, "--json"], equations)
def timed(argv, input_path):
    with open(input_path, "rb") as input_file:
        start = time.perf_counter()
        subprocess.run(argv, stdin=input_file, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        return time.perf_counter() - start
times = {name: [] for name in commands}
for round in range(runs + 1):
    for name, (argv, input_path) in commands.items():
        elapsed = timed(argv, input_path)
        if round > 0:  # the first round only warms the caches
            times[name].append(elapsed)
median = {name: statistics.median(values) for name, values in times.items()}
bc = median["bc -l"]
print(f"medians of {runs} interleaved rounds, whole-process wall time")
for name in ("floor (plain)", "floor (--json)"):
    print(f"{name:20s} {median[name] * 1000:8.1f} ms  {bc / median[name]:6.1f}x faster than bc")
print(f"{'bc -l':20s} {bc * 1000:8.1f} ms")
if shutil.which("qalc"):
    with open(equations) as all_lines, open(f"{work}/sample.txt", "w") as sample:
        sample.writelines(line for _, line in zip(range(500), all_lines))
    start = time.perf_counter()
    subprocess.run(["qalc", "-t", "-f", f"{work}/sample.txt"], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)
    qalc = (time.perf_counter() - start) * 100  # 500 of 50,000
    print(f"{'qalc (scaled)':20s} {qalc * 1000:8.1f} ms  {bc / qalc:6.3f}x faster than bc")
else:
    print("qalc is not installed")
ok = True
for name, needed, floor_name in (("ovcalc", 10.0, "floor (plain)"), ("ovcalc --json", 5.0, "floor (--json)"),
                                 ("--json --changes", None, "floor (--json)"), ("ovcalc, 1 processor", None, "floor (plain)"),
                                 ("--json, 1 processor", None, "floor (--json)")):
    if name not in median:
        continue
    speedup = bc / median[name]
    ok &= needed is None or speedup >= needed
    wanted = f" (goal {needed:g}x)" if needed else ""
    print(f"{name:20s} {median[name] * 1000:8.1f} ms  {speedup:6.2f}x faster than bc{wanted}, "
          f"{median[name] / median[floor_name]:5.1f}x the floor")
sys.exit(0 if ok else 1)
PY
