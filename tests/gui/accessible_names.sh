#!/usr/bin/env bash
# Starts the calculator with a private session bus and accessibility bus
# and checks its tree with accessible_names.py. Needs a display (xvfb-run).
#   accessible_names.sh path/to/ovCalculator
# Exit 77 (skipped) without python3-pyatspi or at-spi2-core.
set -uo pipefail
program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
"$python" -c "import pyatspi" 2>/dev/null || { echo "python3-pyatspi is not installed"; exit 77; }
[ -x "$launcher" ] || { echo "at-spi2-core is not installed"; exit 77; }
command -v dbus-daemon >/dev/null || { echo "dbus is not installed"; exit 77; }

scratch=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

address=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$scratch/dbus.pid")
pids+=("$(cat "$scratch/dbus.pid")")
export DBUS_SESSION_BUS_ADDRESS=$address
export NO_AT_BRIDGE=0 GTK_A11Y=atk HOME=$scratch XDG_CONFIG_HOME=$scratch/config
"$launcher" --launch-immediately >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
# A copy of the program: its settings file goes beside it, not into the build.
cp "$program" "$scratch/ovCalculator"
"$scratch/ovCalculator" >/dev/null 2>&1 &
pids+=($!)
"$python" "$here/accessible_names.py" ovCalculator
