#!/usr/bin/env bash
# The calculator as a native Wayland client in a headless sway, driven as a
# user drives it: the window maps with the application id and nothing on
# standard error; an equation typed and Enter gives the steps ovcalc gives
# (read back through the steps box's copy); Ctrl+Shift+C puts the decimal
# result on the clipboard; a paste from another program is calculated; at
# scale 2 and on a second, smaller output the window fits its screen. Screenshots of each step go to OUT.
#   tests/wayland/run.sh PROGRAM OVCALC APP_ID OUT
# Needs sway, grim, wl-clipboard, wtype, python3 and setpriv, and root (sway
# runs as nobody; the checks connect as root).
set -euo pipefail
source "$(dirname "$0")/../support/window.sh"
require sway grim wl-paste wl-copy wtype setpriv python3
[ "$(id -u)" -eq 0 ] || skip "wayland: needs root to run sway as nobody"
program=$(realpath "$1")
ovcalc=$(realpath "$2")
app_id=$3
out=$(realpath -m "$4")
mkdir -p "$out"

run=$(mktemp -d)
chown nobody:nogroup "$run"
chmod 700 "$run"
work=$(mktemp -d)
cleanup() {
    kill "${app:-}" "${sway:-}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$run" "$work"
}
trap cleanup EXIT

cat >"$run/config" <<'CONF'
xwayland disable
output HEADLESS-1 resolution 1280x1024
default_border none
for_window [app_id=".*"] floating enable
CONF
chown nobody:nogroup "$run/config"
env -i PATH=/usr/bin:/bin HOME="$run" XDG_RUNTIME_DIR="$run" WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=1 \
    setpriv --reuid=nobody --regid=nogroup --clear-groups sway -c "$run/config" >"$work/sway.log" 2>&1 &
sway=$!
for _ in $(seq 100); do
    [ -S "$run/wayland-1" ] && ls "$run"/sway-ipc.*.sock >/dev/null 2>&1 && break
    sleep 0.1
done
export XDG_RUNTIME_DIR=$run WAYLAND_DISPLAY=wayland-1 GDK_BACKEND=wayland
SWAYSOCK=$(ls "$run"/sway-ipc.*.sock)
export SWAYSOCK
# The font GTK takes on Wayland, pinned: GSettings' default otherwise.
export XDG_CONFIG_HOME=$work/config GSETTINGS_BACKEND=keyfile HOME=$work
mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
printf "[org/gnome/desktop/interface]\nfont-name='Sans 10'\n" >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"

failures=0
fail() {
    echo "wayland: FAILED: $*"
    failures=$((failures + 1))
}
pass() { echo "wayland: ok: $*"; }

# The calculator's window in sway's tree: "x y width height output".
window() {
    swaymsg -t get_tree | python3 -c '
import json, sys
app_id = sys.argv[1]
def walk(node, output):
    if node.get("type") == "output":
        output = node["name"]
    if node.get("app_id") == app_id:
        r = node["rect"]
        print(r["x"], r["y"], r["width"], r["height"], output)
        sys.exit(0)
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child, output)
walk(json.load(sys.stdin), "")
sys.exit(1)' "$app_id"
}
# The output's rectangle: "x y width height".
output_rect() {
    swaymsg -t get_outputs | python3 -c '
import json, sys
for o in json.load(sys.stdin):
    if o["name"] == sys.argv[1]:
        r = o["rect"]
        print(r["x"], r["y"], r["width"], r["height"])' "$1"
}
wait_for() { # seconds, description, command...
    local seconds=$1 what=$2
    shift 2
    for _ in $(seq $((seconds * 10))); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "$what (waited $seconds s)"
    return 1
}
clipboard_is() { [ "$(timeout 5 wl-paste --no-newline 2>/dev/null)" = "$1" ]; }
# The window's size within its output's. Its place is the compositor's
# (sway centres a floating window at the size it first maps with).
fits() {
    local ww wh output ow oh
    read -r _ _ ww wh output < <(window)
    read -r _ _ ow oh < <(output_rect "$output")
    [ "$ww" -le "$ow" ] && [ "$wh" -le "$oh" ]
}
# Each wtype call brings a keyboard of its own: the first key of a call may
# be lost, and the toolkit's own key bindings (Ctrl+V, Ctrl+A) work only
# after a key of the same call. So a call that needs them starts with a
# harmless key, and Shift+Tab is sent as the key it is (ISO_Left_Tab).
keys() { wtype -s 150 "$@"; }

start() { # starts the calculator afresh, with its settings beside it
    rm -rf "$work/bin"
    cp -r "$(dirname "$program")/." "$work/bin"
    rm -f "$work/bin/ovCalculator.ini"
    "$work/bin/$(basename "$program")" 2>"$work/stderr" &
    app=$!
    wait_for 30 "a window with app id $app_id" window
}
stop() {
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    app=
}

started=$(date +%s)
start
if window >/dev/null; then pass "the window maps with app id $app_id"; fi
sleep 1
grim "$out/1-started.png"

equation='(2+3)*4^2-10/4'
keys "$equation"
keys -k Return
sleep 1
grim "$out/2-calculated.png"
# The steps, as the steps box copies them: Shift+Tab from the equation box
# wraps to the steps box.
keys -k Right -M shift -k ISO_Left_Tab -m shift -M ctrl -k a -m ctrl -M ctrl -k c -m ctrl
expected=$("$ovcalc" --steps "$equation" | grep -v ':')
if wait_for 10 "the steps of $equation on the clipboard" clipboard_is "$expected"; then
    pass "the steps of $equation"
fi

# The decimal result, the first copy of the run.
keys -M ctrl -M shift -k c -m shift -m ctrl
if wait_for 10 "Ctrl+Shift+C gives 77.5" clipboard_is "77.5"; then pass "Ctrl+Shift+C gives 77.5"; fi

# A paste from another program, calculated.
printf '%s' '2^10+(1+2)*3' | wl-copy
keys -k Escape -M ctrl -k v -m ctrl -k Return # Escape clears, back in the equation box
sleep 1
keys -M ctrl -M shift -k c -m shift -m ctrl
if wait_for 10 "a pasted 2^10+(1+2)*3 gives 1033" clipboard_is "1033"; then pass "a pasted equation is calculated"; fi
grim "$out/3-pasted.png"
stop
if [ -s "$work/stderr" ]; then
    fail "standard error was not empty:"
    cat "$work/stderr"
else
    pass "nothing on standard error"
fi

# Scale 2: the window fits its screen.
swaymsg output HEADLESS-1 scale 2 >/dev/null
start
sleep 1
if wait_for 10 "at scale 2 the window fits its screen" fits; then pass "scale 2: fits its screen"; fi
grim "$out/4-scale2.png"
stop
swaymsg output HEADLESS-1 scale 1 >/dev/null

# A second, smaller output with the focus: the window opens there and is
# fitted to it.
swaymsg create_output >/dev/null
second=$(swaymsg -t get_outputs | python3 -c 'import json,sys; print([o["name"] for o in json.load(sys.stdin)][-1])')
swaymsg output "$second" resolution 800x600 position 1280 0 >/dev/null
swaymsg focus output "$second" >/dev/null
start
sleep 1
read -r _ _ _ _ on < <(window)
if [ "$on" != "$second" ]; then
    fail "the window opened on $on, not on the focused output $second"
elif wait_for 10 "on the 800x600 output the window fits its screen" fits; then
    pass "800x600 second output: fits its screen"
fi
grim -o "$second" "$out/5-second-output.png"
stop

echo "wayland: $failures failed, in $(($(date +%s) - started)) s; screenshots in $out"
[ "$failures" -eq 0 ]
