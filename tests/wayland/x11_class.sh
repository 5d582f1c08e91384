#!/usr/bin/env bash
# On X11 the window's WM_CLASS is the application id, name and class alike:
# the desktop entry's StartupWMClass ties the window to its launcher by it.
#   tests/wayland/x11_class.sh PROGRAM APP_ID   (needs a display: xvfb-run)
set -euo pipefail
source "$(dirname "$0")/../support/window.sh"
require xdotool xprop
[ -n "${DISPLAY:-}" ] || skip "no display"
program=$(realpath "$1")
app_id=$2
work=$(mktemp -d)
# Ended as a logout ends it, the program saves its settings: waited for.
trap 'kill "${window_pid:-}" 2>/dev/null; wait; rm -rf "$work"' EXIT
cp -r "$(dirname "$program")/." "$work/bin"
rm -f "$work/bin/ovCalculator.ini"
start_window "Orvandale Calculator" env GDK_BACKEND=x11 "$work/bin/$(basename "$program")"
class=$(xprop -id "$window_id" WM_CLASS)
echo "$class"
[ "$class" = "WM_CLASS(STRING) = \"$app_id\", \"$app_id\"" ]
