#!/usr/bin/env bash
# Types into the calculator through the X server under a window manager, as
# a user would: right after it starts, with the steps shown and hidden, and
# in its help window, whose keys must not reach the calculator. What reached
# the equation box is read from the recent list that File > Exit saves.
#   typing.sh path/to/ovCalculator path/to/Help   (needs a display; 77: skipped)
set -euo pipefail
for tool in xdotool openbox xprop; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$scratch"' EXIT
cp "$1" "$scratch/ovCalculator" # its settings file beside it
cp -r "$2" "$scratch/Help"
export HOME=$scratch XDG_CONFIG_HOME=$scratch/config
openbox --sm-disable >/dev/null 2>&1 &
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do sleep 0.1; done

fail() { echo "FAILED: $*"; exit 1; }
await_active() { # the window titled $1 has the focus
    for _ in $(seq 100); do
        [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "$1" ] && return
        sleep 0.1
    done
    fail "no active window \"$1\""
}
start() { # with ViewSteps=$1
    printf '[Settings]\nViewSteps=%s\n' "$1" >"$scratch/ovCalculator.ini"
    "$scratch/ovCalculator" >>"$scratch/log" 2>&1 &
    calculator=$!
    await_active "Orvandale Calculator"
}
finish() { # File > Exit, then the newest recent equation
    xdotool key --delay 100 alt+f x
    wait "$calculator" || fail "the calculator ended with status $?"
    newest=$(sed -n 's/^0=//p' "$scratch/ovCalculator.ini")
}

for view in 1 0; do
    start "$view"
    xdotool type --delay 30 "12+3"
    xdotool key Return
    finish
    [ "$newest" = "12+3" ] || fail "typed at start with ViewSteps=$view, got \"$newest\""
done

# In help, Ctrl+P would insert PI, Ctrl+M store the equation, Escape clear it.
start 1
xdotool type --delay 30 "1+2"
xdotool key F1
await_active "Orvandale Calculator Help: Orvandale Calculator"
xdotool key --delay 50 ctrl+p ctrl+m ctrl+l Escape
xdotool windowactivate "$(xdotool search --name '^Orvandale Calculator$' | head -1)"
await_active "Orvandale Calculator"
xdotool key --delay 50 ctrl+r Return # the memory is empty unless help stored it
finish
[ "$newest" = "1+2" ] || fail "keys in help changed the equation to \"$newest\""
