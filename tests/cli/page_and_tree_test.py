#!/usr/bin/env python3
"""zentory-cli's tree and HTML page, run as a real process.

TreeAgainstTree: the drawing of --format tree is the `tree` program's on the
same folder, for names on which the two orders agree.
HtmlParsed: the page read by html5lib, a parser that follows the HTML
standard, in strict mode: no parse error, one table per folder of the text
list, the rows in the text list's order, every odd name shown as itself.

usage: page_and_tree_test.py ZENTORY_CLI TREE [unittest arguments]
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

CLI = None
TREE = None


def run(program, args, cwd, locale="C"):
    env = dict(os.environ, LC_ALL=locale, LANG="", LC_MESSAGES="", TZ="UTC0")
    proc = subprocess.run([program] + args, cwd=cwd, env=env, capture_output=True, timeout=120)
    if proc.returncode != 0:
        raise AssertionError("%s %s: exit %d\n%s" % (
            program, args, proc.returncode, proc.stderr.decode(errors="replace")))
    return proc.stdout


def make_tree(top, names, rng):
    folders = [b""]
    for name in names["folders"]:
        folders.append(os.path.join(rng.choice(folders), name))
    for i, name in enumerate(names["files"]):
        path = os.path.join(top, rng.choice(folders), name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(b"x" * rng.randint(0, 2000))
    os.makedirs(os.path.join(top, b"empty", b"emptier"))


class TreeAgainstTree(unittest.TestCase):
    """Letters, digits and "_" (bytes above "/"), folder names ending in "d" and
    file names in "f" or "f.txt": no name is another's with a byte below "/"
    after it, so the list's order of whole paths is the order of each folder's
    names that `tree` uses."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zentory-tree-")
        self.top = os.path.realpath(os.path.join(self.dir, "top"))
        rng = random.Random(30)
        letters = b"abcXYZ019_"
        word = lambda end: bytes(rng.choice(letters) for _ in range(rng.randint(1, 5))) + end
        make_tree(os.fsencode(self.top), {
            "folders": [word(b"d") for _ in range(15)],
            "files": [word(b"f.txt") if i % 3 else word(b"f") for i in range(120)]
                     + [b".hidden", b"img/.hidden.txt"]}, rng)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def drawing(self, output):
        """The lines before the closing line's empty line. (`tree` writes the
        spaces after a "│" as no-break spaces; the list writes spaces.)"""
        lines = output.decode("utf-8").replace("\xa0", " ").split("\n")
        return lines[:lines.index("")]

    def test_drawing_is_trees_for_the_same_options(self):
        cases = [
            (["-r"], ["-a"]),
            (["-r", "--ascii"], ["-a", "--charset=ascii"]),
            (["-r", "--no-hidden"], []),
            (["-r", "--include", "*.txt"], ["-a", "-P", "*.txt"]),
            (["--max-depth", "1"], ["-a", "-L", "2"]),
            (["--max-depth", "0"], ["-a", "-L", "1"]),
            (["-r", "-f"], ["-a", "-f"]),
            (["-r", "--size"], ["-a", "-s"]),
        ]
        for ours, theirs in cases:
            mine = self.drawing(run(CLI, ["-d", "--format", "tree"] + ours + [self.top], self.dir))
            # A folder that lists no file has no line in the list (--prune).
            expected = self.drawing(run(TREE, ["-n", "--prune"] + theirs + [self.top], self.dir,
                                        "C.UTF-8"))
            if "--size" in ours:  # tree also gives the folders' own sizes
                expected[0] = self.top
                expected = [line.replace("[       4096]  ", "") for line in expected]
            self.assertGreater(len(mine), 5)
            self.assertEqual(mine, expected, "%s / tree %s" % (ours, theirs))

    def test_closing_line_counts_the_folders_drawn_and_the_files(self):
        out = run(CLI, ["-r", "-d", "--format", "tree", self.top], self.dir).decode()
        folders, files = set(), 0
        for here, _, names in os.walk(self.top):
            files += len(names)
            while names and here != self.top:
                folders.add(here)
                here = os.path.dirname(here)
        self.assertTrue(out.endswith("\n\n%d folders, %d files\n" % (len(folders), files)),
                        out[-100:])


def odd_name(rng):
    pieces = [b"a", b"B", b".", b"<", b">", b"&", b"&amp;", b'"', b"'", b" ", b"\t", b"\n",
              b"\x01", b"\x7f", b"\xc2\x85", b"\xc3\xa9", b"\xe2\x82\xac", b"\xef\xbf\xbe",
              b"\xff", b"\xc3", b"\xed\xa0\x80", b"<script>", b"</", b"txt"]
    name = b"".join(rng.choice(pieces) for _ in range(rng.randint(1, 5)))
    return name if name not in (b".", b"..") and not name.endswith(b".") else name + b"z"


def shown(name):
    """A name as the page shows it: control characters as "?", bytes outside
    UTF-8 and noncharacters as U+FFFD."""
    text = name.decode("utf-8", "replace")
    return "".join("?" if ord(c) < 0x20 or 0x7f <= ord(c) < 0xa0 else
                   "\ufffd" if 0xfdd0 <= ord(c) <= 0xfdef or (ord(c) & 0xfffe) == 0xfffe else c
                   for c in text)


def text_groups(text):
    """The text list (-d) as [(heading, [names])], the folder's own files first."""
    lines = text.split(b"\r\n")
    groups = [(None, [])]
    i = 2
    while i < len(lines):
        if lines[i] == b"---":
            groups.append((lines[i + 2], []))
            i += 3
        elif lines[i]:
            groups[-1][1].append(lines[i])
        i += 1
    return [g for g in groups if g[1]]


class HtmlParsed(unittest.TestCase):
    def setUp(self):
        import html5lib  # noqa: F401 (refused here rather than at start)
        self.dir = tempfile.mkdtemp(prefix="zentory-html-")
        self.top = os.path.realpath(os.path.join(self.dir, "top"))
        rng = random.Random(31)
        make_tree(os.fsencode(self.top), {
            "folders": [odd_name(rng) for _ in range(10)] + [b"<b>bold</b>"],
            "files": [odd_name(rng) + b"%d" % i for i in range(150)]}, rng)
        with open(os.path.join(self.top, "<script>alert(1)<"), "wb"):
            pass

    def tearDown(self):
        shutil.rmtree(self.dir)

    def parse(self, page):
        import html5lib
        parser = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False)
        return parser.parse(page)  # raises at the first parse error

    def test_page_parses_with_one_table_per_folder_and_the_rows_in_order(self):
        # (--include: some folders keep no file, and have no section.)
        for options in ([], ["--size", "--modified", "--totals"], ["-f", "-x"],
                        ["--include", "*1"]):
            page = run(CLI, ["-r", "-d", "--format", "html"] + options + [self.top], self.dir)
            page.decode("utf-8")  # strict: valid UTF-8 throughout
            document = self.parse(page)
            groups = text_groups(run(CLI, ["-r", "-d"] + options + [self.top], self.dir))
            sections = document.findall("body/section")
            self.assertEqual(len(sections), len(groups), options)
            for section, (heading, names) in zip(sections, groups):
                self.assertEqual(len(section.findall("table")), 1)
                h2 = section.find("h2")
                if heading is None:
                    self.assertIsNone(h2)
                else:  # "Folder .../img:", and its totals in the text list's words
                    folder = shown(heading[:heading.rindex(b":")] if "--totals" not in options
                                   else heading[:heading.rindex(b": (")])
                    self.assertTrue("".join(h2.itertext()).startswith(folder), folder)
                rows = section.findall("table/tbody/tr")
                self.assertEqual(["\t".join("".join(td.itertext()) for td in row) for row in rows],
                                 ["\t".join([shown(n.split(b"\t")[0])] +
                                            [c.decode() for c in n.split(b"\t")[1:]])
                                  for n in names], options)
            self.assertEqual(len(document.findall(".//script")), 1)
            self.assertTrue("--include" in options or
                            any(td.text.endswith("top/<script>alert(1)<") or
                                td.text == "<script>alert(1)<" for td in document.iter("td")))


if __name__ == "__main__":
    CLI, TREE = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
