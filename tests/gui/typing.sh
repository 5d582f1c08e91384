#!/usr/bin/env bash
# Types into the calculator through the X server, under a window manager,
# as a user would: right after it starts, with the steps shown and hidden,
# and in its help window, whose keys must not reach the calculator behind
# it. What reached the equation box is read back from the recent list the
# calculator saves when File > Exit closes it. Needs a display (xvfb-run).
#   typing.sh path/to/ovCalculator path/to/Help
# Exit 77 (skipped) without xdotool or openbox.
set -euo pipefail
program=$(realpath "$1")
help=$(realpath "$2")
for tool in xdotool openbox xprop; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

scratch=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

# A copy of the program and its help: the settings file goes beside it.
cp "$program" "$scratch/ovCalculator"
cp -r "$help" "$scratch/Help"
export HOME=$scratch XDG_CONFIG_HOME=$scratch/config

openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

fail() {
    echo "FAILED: $*"
    exit 1
}

# Waits until the window whose title matches $1 exactly is the active one.
await_active() {
    for _ in $(seq 100); do
        [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "no active window \"$1\""
}

# start VIEWSTEPS: the calculator with the steps shown (1) or hidden (0).
start() {
    printf '[Settings]\nViewSteps=%s\n' "$1" >"$scratch/ovCalculator.ini"
    "$scratch/ovCalculator" >>"$scratch/log" 2>&1 &
    calculator=$!
    await_active "Orvandale Calculator"
}

# File > Exit through the keyboard; the calculator saves its settings.
finish() {
    xdotool key --delay 100 alt+f x
    for _ in $(seq 100); do
        kill -0 "$calculator" 2>/dev/null || break
        sleep 0.1
    done
    wait "$calculator" || fail "the calculator ended with status $?"
}

newest_equation() {
    sed -n 's/^0=//p' "$scratch/ovCalculator.ini"
}

# Typing right after the start reaches the equation box, in either view.
for view in 1 0; do
    start "$view"
    xdotool type --delay 30 "12+3"
    xdotool key Return
    finish
    [ "$(newest_equation)" = "12+3" ] || fail "typed at start with ViewSteps=$view, got \"$(newest_equation)\""
done

# The calculator's keys pressed in the help window stay there: Ctrl+P
# would insert PI, Ctrl+M store the equation, Escape clear it.
start 1
xdotool type --delay 30 "1+2"
xdotool key F1
await_active "Orvandale Calculator Help: Orvandale Calculator"
xdotool key --delay 50 ctrl+p ctrl+m ctrl+l Escape
xdotool windowactivate "$(xdotool search --name '^Orvandale Calculator$' | head -1)"
await_active "Orvandale Calculator"
# Memory: retrieve inserts nothing unless the help window stored something.
xdotool key --delay 50 ctrl+r Return
finish
[ "$(newest_equation)" = "1+2" ] || fail "keys in help changed the equation to \"$(newest_equation)\""
echo "typing reached the equation box, and the help window's keys stayed there"
