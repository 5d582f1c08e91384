# Shared by the scripts that run the calculator's window on a display (the
# window tests, the package check, the screenshots, the start-up benchmark).
# Source it from bash:
#   require TOOL...         a tool the script needs. A missing one skips the
#                           script (exit 77) on a developer's machine, saying
#                           so; where OV_REQUIRE_TOOLS=1 (CI) it fails it.
#   skip REASON             the same for any other missing precondition.
#   start_window_manager    starts openbox and waits until it manages the
#                           screen; its pid in window_manager.
#   start_window TITLE COMMAND...
#                           starts COMMAND in the background, its output to
#                           the file window_log (default: none), its pid in
#                           window_pid, and waits up to 30 s for a visible
#                           window titled TITLE of it (its id in window_id);
#                           false, with a line on standard error, without one.

skip() {
    if [ "${OV_REQUIRE_TOOLS:-0}" = 1 ]; then
        echo "FAILED: $* (required here)" >&2
        exit 1
    fi
    echo "skipped: $*" >&2
    exit 77
}

require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || skip "$tool is not installed"
    done
}

start_window_manager() {
    require openbox xprop
    openbox --sm-disable >/dev/null 2>&1 &
    window_manager=$!
    local _
    for _ in $(seq 300); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "the window manager did not start" >&2
    return 1
}

start_window() {
    require xdotool
    local title=$1
    shift
    "$@" >"${window_log:-/dev/null}" 2>&1 </dev/null &
    window_pid=$!
    window_id=$(timeout 30 xdotool search --sync --onlyvisible --pid "$window_pid" --name "^$title\$" 2>/dev/null |
        head -n 1) || true
    if [ -z "$window_id" ]; then
        echo "no window \"$title\" within 30 s" >&2
        return 1
    fi
}
