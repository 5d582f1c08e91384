"""What a screen reader sees of the steps box: a table named Steps with one
row per step, each row's text readable, the keyboard cursor's row too, for a
short equation and for one of 20,000 operators."""
import subprocess
import sys
import time

import pyatspi

window = sys.argv[1]


def keys(*names):
    subprocess.run(["xdotool", "key", "--window", window, *names], check=True)


def calculate(equation):
    # Typed through the clipboard: xdotool types a long text far too slowly.
    # xclip stays in the foreground to serve the paste, then goes.
    clip = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard"], stdin=subprocess.PIPE,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    clip.stdin.write(equation.encode())
    clip.stdin.close()
    time.sleep(0.3)
    equation_box().queryComponent().grabFocus()
    keys("ctrl+a", "ctrl+v")
    time.sleep(0.5)
    clip.kill()
    clip.wait()
    keys("Return")


def find(accessible, role, name=None):
    if accessible is None:
        return None
    if accessible.getRole() == role and (name is None or accessible.name == name):
        return accessible
    for i in range(accessible.childCount):
        found = find(accessible.getChildAtIndex(i), role, name)
        if found is not None:
            return found
    return None


def in_program(role, name=None):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == sys.argv[2]:
            return find(app, role, name)
    return None


def steps_table():
    return in_program(pyatspi.ROLE_TABLE, "Steps")


def equation_box():
    # The entry of the combo box.
    return find(in_program(pyatspi.ROLE_COMBO_BOX), pyatspi.ROLE_TEXT)


def wait_for(what, condition, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    sys.exit(f"FAILED: {what}")


def cell(table, row):
    return table.queryTable().getAccessibleAt(row, 0).name


failures = []
checks = 0


def expect(what, actual, expected):
    global checks
    checks += 1
    if actual != expected:
        failures.append(f"{what}: {actual!r}, expected {expected!r}")


table = wait_for("a table named Steps", steps_table)
calculate("2+3*4")
wait_for("three rows", lambda: table.queryTable().nRows == 3)
expect("rows", [cell(table, row) for row in range(3)], ["2+3*4", "2+12", "14"])

# The row under the keyboard cursor is focused and readable.
table.queryComponent().grabFocus()
keys("ctrl+End")
def focused_cell():
    for row in range(table.queryTable().nRows):
        accessible = table.queryTable().getAccessibleAt(row, 0)
        if accessible.getState().contains(pyatspi.STATE_FOCUSED):
            return accessible.name
    return None
expect("cursor row", wait_for("a focused row", focused_cell), "14")

# Every row of a long equation is there and reads its step.
operators = 20000
calculate("1" + "+1" * operators)
wait_for(f"{operators + 1} rows", lambda: table.queryTable().nRows == operators + 1, 60)
expect("last row", cell(table, operators), str(operators + 1))
expect("middle row", cell(table, 10000)[:12], "10001+1+1+1+")

print(f"steps accessibility: {checks - len(failures)} passed, {len(failures)} failed")
for failure in failures:
    print("  " + failure)
sys.exit(1 if failures else 0)
