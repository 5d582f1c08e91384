#!/usr/bin/env bash
# Takes the pictures of the window that the README, the help's start page and
# the AppStream metadata show, from a real run: the calculator from build/
# under Xvfb with openbox, light theme, an equation typed and calculated
# through the X server, in English and in each language of po/LINGUAS. Look
# at the images before committing them.
#   dist/screenshots.sh [path/to/ovCalculator]
# Writes dist/screenshot.png (README, AppStream), Help/screenshot.gif and
# Help/figures/<lang>.gif (each language's help; the help viewer reads GIF
# on every system). Needs xvfb-run, openbox, xdotool, ImageMagick and the
# languages' locales (locales-all).
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/bin/ovCalculator}")
[ -x "$program" ] || { echo "no executable at $program (build first)" >&2; exit 1; }

if [ -z "${OV_SCREENSHOT_INNER:-}" ]; then
    exec env OV_SCREENSHOT_INNER=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$program"
fi

work=$(mktemp -d)
# Ended as a logout ends it, the program saves its settings: waited for.
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT
# A fresh settings folder and a copy of the program: no recent equations of
# anyone's, and the steps shown.
cp -r "$(dirname "$program")/." "$work/bin"
rm -f "$work/bin/ovCalculator.ini"
export HOME=$work XDG_CONFIG_HOME=$work/config GTK_THEME=Adwaita
source tests/support/window.sh
start_window_manager

# shoot LOCALE PNG: the window in LOCALE, after (2+3)*4^2-10/4.
shoot() {
    rm -f "$work/bin/ovCalculator.ini"
    start_window "Orvandale Calculator" env LANG="$1" LANGUAGE= LC_ALL= "$work/bin/ovCalculator"
    local program=$window_pid window=$window_id
    # A size that shows the steps and the results without empty space.
    xdotool windowsize "$window" 1100 340
    sleep 1
    xdotool windowactivate --sync "$window"
    xdotool type --delay 20 '(2+3)*4^2-10/4'
    xdotool key Return
    sleep 1
    # The window's own area (the title bar is the desktop's).
    import -window "$window" "$2"
    kill "$program"
    wait "$program" || true
}

shoot C.UTF-8 dist/screenshot.png
convert dist/screenshot.png -dither None -colors 128 Help/screenshot.gif
echo "wrote dist/screenshot.png and Help/screenshot.gif ($(identify -format '%wx%h' dist/screenshot.png))"
mkdir -p Help/figures
while read -r lang; do
    case $lang in
        *_*) locale=$lang.UTF-8 ;;
        ja) locale=ja_JP.UTF-8 ;;
        *) locale=${lang}_${lang^^}.UTF-8 ;;
    esac
    shoot "$locale" "$work/$lang.png"
    convert "$work/$lang.png" -dither None -colors 128 "Help/figures/$lang.gif"
    echo "wrote Help/figures/$lang.gif"
done <po/LINGUAS
