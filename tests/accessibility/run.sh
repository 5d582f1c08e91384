#!/usr/bin/env bash
# Starts the calculator with a session bus and the accessibility bus of its
# own, calculates an equation, and lets a check script walk what a screen
# reader sees. Needs a display.
#   run.sh PROGRAM CHECK.py
set -euo pipefail
program=$1
check=$2

work=$(mktemp -d)
pids=()
groups=()
cleanup() {
    kill -KILL "${pids[@]}" 2>/dev/null || true
    for group in "${groups[@]}"; do kill -KILL -- "-$group" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A copy of the program keeps its settings file away from the real one.
cp "$program" "$work/ovCalculator"

# Nothing started here may hold the caller's output open after the check.
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$work/address" 4>"$work/pid" >/dev/null 2>&1
pids+=("$(cat "$work/pid")")
DBUS_SESSION_BUS_ADDRESS=$(cat "$work/address")
export DBUS_SESSION_BUS_ADDRESS
setsid /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
groups+=($!)
disown
sleep 1

export NO_AT_BRIDGE=0 GTK_MODULES=gail:atk-bridge
"$work/ovCalculator" >"$work/log" 2>&1 </dev/null &
pids+=($!)
window=$(timeout 20 xdotool search --sync --name "Orvandale Calculator" | head -1)
xdotool windowfocus --sync "$window" 2>/dev/null || true
/usr/bin/python3 "$check" "$window"
