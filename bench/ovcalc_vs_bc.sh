#!/usr/bin/env bash
# Whole-process wall time of ovcalc against Debian's bc -l (scale=28) on the
# same 50,000 short equations, in one run: median of several rounds.
#   bench/ovcalc_vs_bc.sh [path/to/ovcalc] [runs]
# ovcalc should be at least 5 times faster than bc, ovcalc --json (which
# builds every step) at least 3 times; --json --changes is shown beside them.
set -euo pipefail
cd "$(dirname "$0")/.."
ovcalc=$(realpath "${1:-build/bin/ovcalc}")
runs=${2:-15}
for tool in bc python3; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done

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

echo "$(wc -l < "$work/equations.txt") equations, e.g. $(head -1 "$work/equations.txt")"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"

# Rounds run the three commands back to back, so that a machine shared with
# other work slows all three alike; the medians over the rounds are compared.
python3 - "$runs" "$ovcalc" "$work" <<'PY'
import statistics, subprocess, sys, time
runs, ovcalc, work = int(sys.argv[1]), sys.argv[2], sys.argv[3]
commands = {
    "bc -l": (["bc", "-l"], f"{work}/equations.bc"),
    "ovcalc": ([ovcalc], f"{work}/equations.txt"),
    "ovcalc --json": ([ovcalc, "--json"], f"{work}/equations.txt"),
    "--json --changes": ([ovcalc, "--json", "--changes"], f"{work}/equations.txt"),
}
times = {name: [] for name in commands}
for round in range(runs + 1):
    for name, (argv, input_path) in commands.items():
        with open(input_path, "rb") as input_file:
            start = time.perf_counter()
            subprocess.run(argv, stdin=input_file, stdout=subprocess.DEVNULL, check=False)
            elapsed = time.perf_counter() - start
        if round > 0:  # the first round only warms the caches
            times[name].append(elapsed)
median = {name: statistics.median(values) for name, values in times.items()}
bc = median["bc -l"]
ok = True
print(f"median of {runs} rounds, whole-process wall time")
print(f"{'bc -l':16s} {bc * 1000:7.1f} ms")
for name, needed in (("ovcalc", 5.0), ("ovcalc --json", 3.0), ("--json --changes", None)):
    speedup = bc / median[name]
    ok &= needed is None or speedup >= needed
    wanted = f" (needs {needed}x)" if needed else ""
    print(f"{name:16s} {median[name] * 1000:7.1f} ms  {speedup:5.2f}x faster than bc{wanted}")
sys.exit(0 if ok else 1)
PY
