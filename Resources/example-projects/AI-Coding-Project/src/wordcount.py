"""Count lines, words and characters in text files (see REQUIREMENTS.md)."""

import re
import sys

WORD = re.compile(r"[^\W_]+(?:'[^\W_]+)*")


def words(text):
    """The words of `text`, lower-cased."""
    return [w.lower() for w in WORD.findall(text)]


def count(text):
    """(lines, words, characters) of `text`."""
    lines = text.count("\n")
    if text and not text.endswith("\n"):
        lines += 1
    return lines, len(words(text)), len(text)


def main(argv):
    if not argv:
        print("usage: wordcount.py [--top N] FILE...", file=sys.stderr)
        return 2
    status = 0
    totals = [0, 0, 0]
    for name in argv:
        try:
            with open(name, encoding="utf-8") as f:
                text = f.read()
        except (OSError, UnicodeDecodeError):
            print(f"wordcount: cannot read {name}", file=sys.stderr)
            status = 1
            continue
        counts = count(text)
        totals = [t + c for t, c in zip(totals, counts)]
        print(*counts, name)
    if len(argv) > 1:
        print(*totals, "total")
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
