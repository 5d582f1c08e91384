#!/usr/bin/env python3
"""Marks where lines may break in the text of Chinese and Japanese pages.

    wordbreaks.py PAGE...

The help viewer breaks lines only at spaces, and these languages write
without them: a paragraph would run off the page as one word. Between two
characters of which one is Chinese or Japanese, this puts a <wbr/> (which
the viewer takes as a place to break), except before a closing mark or a
small kana and after an opening mark, as those languages set their lines.
Tags and the head are left alone, and so is text in <pre>; pages without
such characters come out as they went in. Rewrites each page in place.
"""
import re
import sys

# Characters that may not start a line, and that may not end one.
NO_START = set("、。，．：；？！）」』】〕〉》〙〗’”ー・…‥々〻ゝゞヽヾ"
               "ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ"
               ")]},.:;!?%")
NO_END = set("（「『【〔〈《〘〖‘“([{")


def wide(c):
    code = ord(c)
    return (0x2E80 <= code <= 0x9FFF or 0xAC00 <= code <= 0xD7AF or 0xF900 <= code <= 0xFAFF
            or 0xFF00 <= code <= 0xFFEF or 0x20000 <= code <= 0x3FFFF)


def break_text(text):
    out = []
    for i, c in enumerate(text):
        if i > 0:
            before = text[i - 1]
            if ((wide(before) or wide(c)) and not before.isspace() and not c.isspace()
                    and c not in NO_START and before not in NO_END):
                out.append("<wbr/>")
        out.append(c)
    return "".join(out)


def break_page(page):
    body = page.find("<body")
    if body < 0:
        return page
    head, rest = page[:body], page[body:]
    parts = re.split(r"(<pre\b.*?</pre>|<[^>]*>)", rest, flags=re.S)
    # Text runs sit at even places, tags and <pre> blocks at odd ones; no
    # break is put beside a tag.
    return head + "".join(part if i % 2 else break_text(part) for i, part in enumerate(parts))


def main():
    for name in sys.argv[1:]:
        with open(name, encoding="utf-8") as file:
            page = file.read()
        broken = break_page(page)
        if broken != page:
            with open(name, "w", encoding="utf-8") as file:
                file.write(broken)
    return 0


if __name__ == "__main__":
    sys.exit(main())
