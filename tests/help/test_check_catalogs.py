#!/usr/bin/env python3
"""The help catalogs' checker finds what it is there to find: one row per
kind of fault, and the translations it must let pass."""
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

CHECKER = Path(__file__).with_name("check_catalogs.py")

WINDOW = r'''
msgid "&View"
msgstr "&Ansicht"

msgid "&Steps"
msgstr "&Schritte"

msgid "Division by zero."
msgstr "Division durch null."
'''

# (what the row shows, English, translation, faults expected)
ROWS = [
    ("markup kept, in another order", "Press <b>Enter</b> in <i>the box</i>.", "In <i>dem Feld</i> <b>Eingabe</b> drücken.", 0),
    ("a tag dropped", "Press <b>Enter</b>.", "Eingabe drücken.", 1),
    ("a link to another page", 'See <a href="keyboard.html">keys</a>.', 'Siehe <a href="index.html">Tasten</a>.', 1),
    ("an equation changed", "Type <code>1+2</code>.", "Tippen Sie <code>1 + 2</code>.", 1),
    ("a message as the window shows it", "<b>Division by zero.</b>", "<b>Division durch null.</b>", 0),
    ("a message worded otherwise", "<b>Division by zero.</b>", "<b>Teilung durch Null.</b>", 1),
    ("a menu path in the window's words", "Use <b>View &gt; Steps</b>.", "<b>Ansicht &gt; Schritte</b> benutzen.", 0),
    ("a menu named otherwise", "Use <b>View &gt; Steps</b>.", "<b>Anzeige &gt; Schritte</b> benutzen.", 1),
]


def po(entries):
    quote = lambda text: text.replace("\\", "\\\\").replace('"', '\\"')
    header = 'msgid ""\nmsgstr "Content-Type: text/plain; charset=UTF-8\\n"\n\n'
    return header + "".join(f'msgid "{quote(a)}"\nmsgstr "{quote(b)}"\n\n' for a, b in entries)


def check(entries):
    with tempfile.TemporaryDirectory() as folder:
        help_dir, window_dir = Path(folder, "help"), Path(folder, "window")
        help_dir.mkdir()
        window_dir.mkdir()
        (help_dir / "de.po").write_text(po(entries), encoding="utf-8")
        (window_dir / "de.po").write_text(WINDOW, encoding="utf-8")
        run = subprocess.run([sys.executable, str(CHECKER), str(help_dir), str(window_dir)],
                             capture_output=True, text=True)
        return run.returncode, run.stdout


class CheckerTest(unittest.TestCase):
    def test_rows(self):
        for name, english, translated, faults in ROWS:
            with self.subTest(name):
                code, out = check([(english, translated)])
                self.assertIn(f"{faults} faults", out)
                self.assertEqual(code, 1 if faults else 0, out)

    def test_a_catalog_without_translations_fails(self):
        code, out = check([])
        self.assertEqual(code, 1, out)


if __name__ == "__main__":
    unittest.main()
