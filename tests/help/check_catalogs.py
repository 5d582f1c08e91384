#!/usr/bin/env python3
"""Checks the help's translations against the English pages and the window.

    check_catalogs.py HELP_PO_DIR WINDOW_PO_DIR [LANG...]

For each language's help catalog (HELP_PO_DIR/<lang>.po):
- every translation keeps the markup of its English text: the same tags
  with the same attributes (links go to the same pages), in any order, and
  the same equations inside <code> and <pre>;
- every text the window shows that the help names in bold or italics (a
  message, a menu, a menu command, a field: "<b>Division by zero.</b>",
  "<b>View &gt; Steps</b>") reads in the translation as the window's
  catalog (WINDOW_PO_DIR/<lang>.po) has it, so the help and the window use
  the same words.
Prints one line per fault; exits 1 when there is any.
"""
import html
import re
import sys
from pathlib import Path


def read_po(path):
    """The translated entries of a .po file as {msgid: msgstr} (the header,
    obsolete entries and untranslated ones left out)."""
    entries, current, field = {}, {}, None

    def finish():
        if current.get("msgid") and current.get("msgstr"):
            entries[current["msgid"]] = current["msgstr"]

    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if line.startswith("#~"):
            continue
        match = re.match(r'^(msgctxt|msgid|msgid_plural|msgstr(?:\[0\])?)\s+"(.*)"$', line)
        if match:
            if match.group(1) in ("msgctxt", "msgid") and field not in ("msgctxt", None):
                finish()
                current = {}
            field = "msgstr" if match.group(1).startswith("msgstr") else match.group(1)
            current[field] = current.get(field, "") + unescape(match.group(2))
        elif line.startswith('"') and field:
            current[field] += unescape(line[1:-1])
    finish()
    return entries


def unescape(text):
    return re.sub(r'\\(.)', lambda m: {"n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), text)


TAG = re.compile(r"<[^>]+>")


def markup(text):
    tags = sorted(TAG.findall(text))
    code = sorted(re.findall(r"<(code|pre)>(.*?)</\1>", text, re.S))
    return tags, code


def plain(text):
    """Text as shown: tags removed, entities resolved, the window's mnemonic
    marks and trailing ellipses dropped, spaces collapsed."""
    text = html.unescape(TAG.sub("", text))
    text = re.sub(r"\(&\w\)|&(?=\w)", "", text)  # "(&F)" in CJK menus, "&File"
    text = text.replace("...", "").replace("…", "")
    return " ".join(text.split())


def main():
    help_dir, window_dir = Path(sys.argv[1]), Path(sys.argv[2])
    languages = sys.argv[3:] or sorted(p.stem for p in help_dir.glob("*.po"))
    if not languages:
        print("no help catalogs in", help_dir)
        return 1
    faults = 0
    for lang in languages:
        help_po = read_po(help_dir / f"{lang}.po")
        if not help_po:
            faults += 1
            print(f"{lang}: no translations read from {help_dir / (lang + '.po')}")
        window = {plain(k): plain(v) for k, v in read_po(window_dir / f"{lang}.po").items()}
        for english, translated in help_po.items():
            if markup(english) != markup(translated):
                faults += 1
                print(f"{lang}: markup differs from the English: {english[:70]!r}")
            shown = plain(translated)
            for part in re.findall(r"<(b|i)>(.*?)</\1>", english):
                names = [plain(name) for name in part[1].split("&gt;")]
                for name in names:
                    if name in window and window[name] not in shown:
                        faults += 1
                        print(f"{lang}: {name!r} is {window[name]!r} in the window, not so in: {shown[:70]!r}")
    print(f"checked {len(languages)} help catalogs: {faults} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
