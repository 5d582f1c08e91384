#!/usr/bin/env bash
# Types into the calculator through the X server under a window manager, as
# a user would: right after it starts, with the steps shown and hidden, and
# in its help window, whose keys must not reach the calculator; pastes with
# the middle button; presses Escape in open menus; undoes; ends it by
# SIGTERM. What reached the equation
# box is read from the recent list that File > Exit saves.
#   typing.sh path/to/ovCalculator path/to/Help   (needs a display; 77: skipped)
set -euo pipefail
source "$(dirname "$0")/../support/window.sh"
require xdotool openbox xprop xclip xwininfo python3
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$scratch"' EXIT
cp "$1" "$scratch/ovCalculator" # its settings file beside it
cp -r "$2" "$scratch/Help"
export HOME=$scratch XDG_CONFIG_HOME=$scratch/config
start_window_manager

fail() { echo "FAILED: $*"; exit 1; }
await_active() { # the window titled $1 has the focus
    for _ in $(seq 100); do
        [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "$1" ] && return
        sleep 0.1
    done
    fail "no active window \"$1\""
}
start() { # with ViewSteps=$1; what the run does is said, for a run that times out
    echo "typing: ${2:-typing} (ViewSteps=$1)"
    printf '[Settings]\nViewSteps=%s\n' "$1" >"$scratch/ovCalculator.ini"
    "$scratch/ovCalculator" >>"$scratch/log" 2>&1 &
    calculator=$!
    await_active "Orvandale Calculator"
    main=$(xdotool getactivewindow)
}
await_message() { # a message box in front of the calculator; Return closes it
    for _ in $(seq 100); do
        [ "$(xdotool getactivewindow 2>/dev/null)" != "$main" ] && { xdotool key Return; sleep 0.3; return; }
        sleep 0.1
    done
    fail "no message box for $1"
}
middle_click() { # pastes the primary selection at the end of the equation box
    local x y
    x=$(xwininfo -id "$main" | sed -n 's/.*Absolute upper-left X: *//p')
    y=$(xwininfo -id "$main" | sed -n 's/.*Absolute upper-left Y: *//p')
    xdotool mousemove $((x + 400)) $((y + 91)) click 2
    sleep 0.3
}
await_exit() { # the calculator has ended, with status 0, within 30 s
    for _ in $(seq 300); do
        if ! kill -0 "$calculator" 2>/dev/null; then
            wait "$calculator" || fail "the calculator ended with status $? ($1)"
            return
        fi
        sleep 0.1
    done
    fail "the calculator did not end ($1)"
}
finish() { # File > Exit, then the newest recent equation
    xdotool key --delay 100 alt+f x
    await_exit "File > Exit"
    newest=$(sed -n 's/^0=//p' "$scratch/ovCalculator.ini")
}

for view in 1 0; do
    start "$view"
    xdotool type --delay 30 "12+3="  # "=" calculates as Enter does
    finish
    [ "$newest" = "12+3" ] || fail "typed at start with ViewSteps=$view, got \"$newest\""
done

# In help, Ctrl+P would insert PI, Ctrl+M store the equation, Escape clear it.
start 1 "keys in help"
xdotool type --delay 30 "1+2"
xdotool key F1
await_active "Orvandale Calculator Help: Orvandale Calculator"
xdotool key --delay 50 ctrl+p ctrl+m ctrl+l Escape
xdotool windowactivate "$(xdotool search --name '^Orvandale Calculator$' | head -1)"
await_active "Orvandale Calculator"
xdotool key --delay 50 ctrl+r Return # the memory is empty unless help stored it
finish
[ "$newest" = "1+2" ] || fail "keys in help changed the equation to \"$newest\""

# The middle button pastes the primary selection by Ctrl+V's rules: its line
# end and "=" dropped, several lines or more than the box holds refused with
# a message, nothing cut. Escape in an open menu closes the menu only.
start 1 "middle-click pastes, Escape in menus"
xdotool type --delay 30 "7-"
python3 -c "print('1+' * 32769 + '11000000', end='')" | xclip -selection primary
middle_click
await_message "a paste past the box's limit"
printf '5*1\n2\n' | xclip -selection primary
middle_click
await_message "a paste of two lines"
printf '3=\n' | xclip -selection primary
middle_click
# Each menu open before Escape reaches it.
for opener in F10 alt+v; do
    xdotool key "$opener"
    sleep 0.5
    xdotool key Escape
    sleep 0.3
done
xdotool type --delay 30 "2"
xdotool key Return
finish
[ "$newest" = "7-32" ] || fail "middle-click pastes and Escape in menus gave \"$newest\""

# The smallest window is as high as the steps-hidden view: every row shows.
height() { xwininfo -id "$main" | sed -n 's/.*Height: *//p'; }
for view in 1 0; do
    start "$view" "the smallest window"
    if [ "$view" = 0 ]; then
        hidden=$(height)
    else
        xdotool key --delay 200 alt+v Return
        sleep 0.5
        hidden=$(height)
    fi
    xdotool windowsize "$main" 50 50
    sleep 0.5
    smallest=$(height)
    finish
    [ "$smallest" -ge "$hidden" ] || fail "the smallest window is $smallest px high, the rows need $hidden"
done

# kill -TERM, as a logout or a shutdown sends it, closes the window as its
# close button does, a dialog open over it included: the settings are saved.
start 1 "SIGTERM"
xdotool type --delay 30 "4*5"
xdotool key Return
xdotool key --delay 200 alt+h a
await_active "About Orvandale Calculator"
kill -TERM "$calculator"
await_exit "SIGTERM"
newest=$(sed -n 's/^0=//p' "$scratch/ovCalculator.ini")
[ "$newest" = "4*5" ] || fail "after SIGTERM the newest recent equation is \"$newest\""

# Undo beside identical characters, and with a selection at the change.
start 1 "undo"
xdotool type --delay 30 "100"
xdotool key --delay 50 BackSpace ctrl+z Return Escape
xdotool type --delay 30 "12"
xdotool key --delay 50 BackSpace ctrl+a ctrl+z Return
finish
recent=$(sed -n 's/^[01]=//p' "$scratch/ovCalculator.ini" | tr '\n' ' ')
[ "$recent" = "12 100 " ] || fail "undo gave \"$recent\" (expected 12, then 100)"

# Every window of the program carries its class on X11: the help window,
# About and message boxes are the same program's as the main window.
start 1 "window classes"
expected='WM_CLASS(STRING) = "org.orvandale.calculator", "org.orvandale.calculator"'
class_of_active() { xprop -id "$(xdotool getactivewindow)" WM_CLASS; }
[ "$(class_of_active)" = "$expected" ] || fail "main window: $(class_of_active)"
xdotool key F1
await_active "Orvandale Calculator Help: Orvandale Calculator"
[ "$(class_of_active)" = "$expected" ] || fail "help window: $(class_of_active)"
xdotool key ctrl+w 2>/dev/null; xdotool windowactivate "$main"
await_active "Orvandale Calculator"
xdotool key --delay 200 alt+h a
await_active "About Orvandale Calculator"
[ "$(class_of_active)" = "$expected" ] || fail "About: $(class_of_active)"
xdotool key Escape
await_active "Orvandale Calculator"
xdotool type --delay 30 "2x"
xdotool key Return
for _ in $(seq 100); do [ "$(xdotool getactivewindow)" != "$main" ] && break; sleep 0.1; done
[ "$(class_of_active)" = "$expected" ] || fail "message box: $(class_of_active)"
xdotool key Return
sleep 0.3
finish
