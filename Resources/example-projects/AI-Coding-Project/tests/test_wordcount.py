import io
import os
import sys
import tempfile
import unittest
from contextlib import redirect_stderr, redirect_stdout

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "src"))

import wordcount  # noqa: E402


def run(*args):
    out, err = io.StringIO(), io.StringIO()
    with redirect_stdout(out), redirect_stderr(err):
        status = wordcount.main(list(args))
    return status, out.getvalue(), err.getvalue()


class CountTest(unittest.TestCase):
    def test_counts_lines_words_and_characters(self):
        self.assertEqual(wordcount.count("one two\nthree\n"), (2, 3, 14))

    def test_last_line_without_line_break_counts(self):
        self.assertEqual(wordcount.count("a\nb"), (2, 2, 3))

    def test_apostrophes_stay_inside_words(self):
        self.assertEqual(wordcount.words("Don't stop, don't!"), ["don't", "stop", "don't"])

    def test_characters_not_bytes(self):
        self.assertEqual(wordcount.count("café"), (1, 1, 4))


class MainTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def file(self, name, text):
        path = os.path.join(self.dir.name, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def test_totals_for_several_files(self):
        a = self.file("a.txt", "one\n")
        b = self.file("b.txt", "two three\n")
        status, out, _ = run(a, b)
        self.assertEqual(status, 0)
        self.assertEqual(out.splitlines()[-1], "2 3 14 total")

    def test_unreadable_file_is_reported_and_others_still_count(self):
        a = self.file("a.txt", "one\n")
        status, out, err = run(os.path.join(self.dir.name, "missing.txt"), a)
        self.assertEqual(status, 1)
        self.assertIn("cannot read", err)
        self.assertIn("1 1 4 " + a, out)


if __name__ == "__main__":
    unittest.main()
