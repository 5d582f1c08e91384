#!/usr/bin/env bash
# Maximum resident memory of ovcalc (GNU time's "Maximum resident set size"),
# output to /dev/null:
#   - plain, --json and --json --changes on one equation of 1,000, 10,000 and
#     30,000 operators of mixed precedence with groups;
#   - plain on a 10 MB equation of 1+1+...+1 and on a 10 MB run of digits;
#   - plain and --json over 50,000 short lines against 500 of the same lines
#     (memory should not grow with the number of lines).
#   bench/ovcalc_memory.sh [path/to/ovcalc]
# Targets: --json at 30,000 operators within 3 times plain; the 10 MB
# equations at most 250 MB; the same memory for 500 and 50,000 lines.
set -euo pipefail
cd "$(dirname "$0")/.."
ovcalc=$(realpath "${1:-build/bin/ovcalc}")
for tool in /usr/bin/time python3; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Maximum RSS in KB of ovcalc with the given options on the given input.
rss() {
    local input=$1
    shift
    /usr/bin/time -f "%M" -o "$work/rss" "$ovcalc" "$@" < "$input" > /dev/null 2>&1 || true
    cat "$work/rss"
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
ok=true
printf '%-34s %10s %10s %16s\n' "input" "plain KB" "--json KB" "--json --changes"
for operators in 1000 10000 30000; do
    # "1+(12*3.5-7)/3^2" repeated: five operators per part, and a group.
    awk -v n="$operators" 'BEGIN {
        line = "1"
        for (i = 0; i < n / 5; i++) line = line "+(12*3.5-7)/3^2"
        print line
    }' > "$work/e$operators.txt"
    plain=$(rss "$work/e$operators.txt")
    json=$(rss "$work/e$operators.txt" --json)
    changes=$(rss "$work/e$operators.txt" --json --changes)
    printf '%-34s %10s %10s %16s\n' "one equation, $operators operators" "$plain" "$json" "$changes"
    if [ "$operators" -eq 30000 ] && [ "$json" -gt $((3 * plain)) ]; then ok=false; fi
done

python3 -c 'print("1+" * 5000000 + "1")' > "$work/ones.txt"
python3 -c 'print("9" * 10000000)' > "$work/digits.txt"
for name in ones digits; do
    plain=$(rss "$work/$name.txt")
    printf '%-34s %10s\n' "10 MB equation ($name)" "$plain"
    if [ "$plain" -gt 256000 ]; then ok=false; fi
done

awk -v seed=20261208 'BEGIN {
    srand(seed)
    split("+ - * /", ops, " ")
    for (n = 0; n < 50000; n++) {
        count = 3 + int(rand() * 7)
        line = ""
        for (i = 0; i < count; i++) {
            if (i > 0) line = line ops[1 + int(rand() * 4)]
            line = line (1 + int(rand() * 999))
        }
        print line
    }
}' > "$work/lines.txt"
head -n 500 "$work/lines.txt" > "$work/few.txt"
for options in "" "--json"; do
    few=$(rss "$work/few.txt" $options)
    many=$(rss "$work/lines.txt" $options)
    printf '%-34s %10s KB for 500 lines, %s KB for 50,000\n' "lines ${options:-plain}" "$few" "$many"
    if [ "$many" -gt $((few + 1024)) ]; then ok=false; fi
done
$ok && echo "targets met" || { echo "a target is missed"; exit 1; }
