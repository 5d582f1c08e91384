#!/usr/bin/env bash
# On X11 the window's WM_CLASS is the application id, name and class alike:
# the desktop entry's StartupWMClass ties the window to its launcher by it.
#   tests/wayland/x11_class.sh PROGRAM APP_ID   (needs a display: xvfb-run)
set -euo pipefail
for tool in xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "skipped, $tool is not installed"; exit 77; }
done
[ -n "${DISPLAY:-}" ] || { echo "skipped, no display"; exit 77; }
program=$(realpath "$1")
app_id=$2
work=$(mktemp -d)
# Ended as a logout ends it, the program saves its settings: waited for.
trap 'kill "${app:-}" 2>/dev/null; wait; rm -rf "$work"' EXIT
cp -r "$(dirname "$program")/." "$work/bin"
rm -f "$work/bin/ovCalculator.ini"
GDK_BACKEND=x11 "$work/bin/$(basename "$program")" >/dev/null 2>&1 &
app=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$app" --name '^Orvandale Calculator$' | head -n 1)
class=$(xprop -id "$window" WM_CLASS)
echo "$class"
[ "$class" = "WM_CLASS(STRING) = \"$app_id\", \"$app_id\"" ]
