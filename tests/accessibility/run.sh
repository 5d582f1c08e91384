#!/usr/bin/env bash
# Starts a copy of the calculator with a session bus and an accessibility
# bus of its own, waits for its window, and runs a check script that reads
# what a screen reader sees over AT-SPI. Needs a display (xvfb-run).
#   run.sh PROGRAM CHECK.py APP_ID  (the check gets the window id and the
#   application's name on the accessibility bus: its application id)
# Exit 77 (skipped) without python3-pyatspi, at-spi2-core, dbus or xdotool,
# unless they are required (OV_REQUIRE_TOOLS=1).
set -uo pipefail
source "$(dirname "$0")/../support/window.sh"
program=$(realpath "$1")
check=$(realpath "$2")
app_id=$3
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
"$python" -c "import pyatspi" 2>/dev/null || skip "python3-pyatspi is not installed"
[ -x "$launcher" ] || skip "at-spi2-core is not installed"
require dbus-daemon xdotool

scratch=$(mktemp -d)
pids=()
groups=()
# Nothing started here may hold the caller's output open after the check.
cleanup() {
    kill -KILL "${pids[@]}" 2>/dev/null
    for group in "${groups[@]}"; do kill -KILL -- "-$group" 2>/dev/null; done
    rm -rf "$scratch"
}
trap cleanup EXIT

dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$scratch/address" 4>"$scratch/pid" >/dev/null 2>&1
pids+=("$(cat "$scratch/pid")")
export DBUS_SESSION_BUS_ADDRESS=$(cat "$scratch/address")
export NO_AT_BRIDGE=0 GTK_A11Y=atk GTK_MODULES=gail:atk-bridge HOME=$scratch XDG_CONFIG_HOME=$scratch/config
setsid "$launcher" --launch-immediately >/dev/null 2>&1 &
groups+=($!)
sleep 1
# A copy of the program: its settings file goes beside it, not into the build.
cp "$program" "$scratch/ovCalculator"
window_log=$scratch/log
start_window "Orvandale Calculator" "$scratch/ovCalculator"
pids+=("$window_pid")
window=$window_id
xdotool windowfocus --sync "$window" 2>/dev/null || true
"$python" "$check" "$window" "$app_id"
