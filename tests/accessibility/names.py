"""Reads the running calculator's accessibility tree over AT-SPI and checks
that every toolbar button has a name and that the About box's web address is
a named link that the keyboard can reach. Prints what is wrong; exit code 1
then."""
import subprocess
import sys
import time

import pyatspi

TOOLS = [
    "Clears the current calculation", "Inserts an exponent operator", "Inserts a root operator",
    "Inserts the constant PI", "Inserts a left parenthesis", "Inserts a right parenthesis",
    "Memory: store", "Memory: retrieve", "Memory: clear",
]
ADDRESS = "https://www.orvandale.example/"


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def application(name, wait=20.0):
    end = time.monotonic() + wait
    while time.monotonic() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def find(app, predicate, wait=10.0):
    end = time.monotonic() + wait
    while time.monotonic() < end:
        found = [n for n in walk(app) if predicate(n)]
        if found:
            return found
        time.sleep(0.2)
    return []


def main():
    app = application(sys.argv[2])
    if app is None:
        print("the program did not appear on the accessibility bus")
        return 1
    faults = []
    buttons = find(app, lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name in TOOLS)
    names = sorted({b.name for b in buttons})
    if names != sorted(TOOLS):
        faults.append("toolbar buttons named %s, want %s" % (names, sorted(TOOLS)))
    unnamed = [n for n in walk(app) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and not n.name]
    if unnamed:
        faults.append("%d push buttons without a name" % len(unnamed))

    about = find(app, lambda n: n.getRole() == pyatspi.ROLE_MENU_ITEM and n.name.startswith("About"))
    if not about:
        faults.append("no About menu item")
    else:
        # Through the keyboard: an action over the bus would wait for the
        # modal dialog to close before the program answers anything else.
        window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Orvandale Calculator"],
                                capture_output=True, text=True).stdout.split()
        if window:
            subprocess.run(["xdotool", "windowfocus", "--sync", window[0]])
            subprocess.run(["xdotool", "key", "alt+h"])
            time.sleep(0.5)
            subprocess.run(["xdotool", "key", "a"])
        links = find(app, lambda n: n.getRole() == pyatspi.ROLE_LINK)
        if not links:
            faults.append("no link in the About box")
        else:
            link = links[0]
            if link.name != ADDRESS:
                faults.append("link named %r, want %r" % (link.name, ADDRESS))
            if not link.getState().contains(pyatspi.STATE_FOCUSABLE):
                faults.append("the link cannot take the focus")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
