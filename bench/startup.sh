#!/usr/bin/env bash
# Start-up time of the calculator window against galculator: from process
# start until the window is mapped, median of several runs, the two programs
# alternating on one X server; first on the bare server, then with a window
# manager (openbox) running, as on a desktop. Run from the source tree after
# a build:
#   bench/startup.sh [path/to/ovCalculator] [runs]
# Needs xvfb-run, xdotool and galculator; openbox for the second half.
set -euo pipefail

program=${1:-build/bin/ovCalculator}
runs=${2:-5}
[ -x "$program" ] || { echo "no executable at $program (build first)" >&2; exit 1; }
program=$(realpath "$program")
command -v galculator >/dev/null || { echo "galculator is not installed" >&2; exit 1; }

if [ -z "${OV_STARTUP_INNER:-}" ]; then
    exec env OV_STARTUP_INNER=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$program" "$runs"
fi

# Milliseconds from launching "$@" until a visible window named $title exists.
# xdotool's own --sync waits in half-second steps, so poll every 2 ms. A start
# that dies without a window (on a busy machine Xvfb now and then refuses a
# connection, to any client) is not a sample: it is started again.
time_to_window() {
    local title=$1; shift
    local start end pid attempt
    for attempt in 1 2 3 4 5; do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 &
        pid=$!
        until xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.002
        done
        end=$(date +%s%N)
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null || true
            echo $(( (end - start) / 1000000 ))
            return
        fi
        wait "$pid" 2>/dev/null || true
    done
    echo "failed"
}

median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# Settings files of both programs stay out of the user's.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch XDG_CONFIG_HOME=$scratch/config

# Both programs, alternating; $1 names the setting in the report.
series() {
    local ours=() theirs=() i
    # One unmeasured start each warms the file cache.
    time_to_window "Orvandale Calculator" "$program" >/dev/null
    time_to_window "galculator" galculator >/dev/null
    for ((i = 0; i < runs; i++)); do
        ours+=("$(time_to_window "Orvandale Calculator" "$program")")
        theirs+=("$(time_to_window "galculator" galculator)")
    done
    echo "$1:"
    echo "  ovCalculator ms: ${ours[*]}  median $(median "${ours[@]}")"
    echo "  galculator   ms: ${theirs[*]}  median $(median "${theirs[@]}")"
}

series "no window manager"

if command -v openbox >/dev/null; then
    source "$(dirname "$0")/../tests/support/window.sh"
    start_window_manager
    trap 'kill "$window_manager" 2>/dev/null; rm -rf "$scratch"' EXIT
    series "openbox"
else
    echo "openbox is not installed: no figures with a window manager" >&2
fi
