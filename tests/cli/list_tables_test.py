#!/usr/bin/env python3
"""zentory-cli's filters, columns, totals, CSV and JSON, run as a real process.

Golden outputs on a small tree of odd names; the CSV and JSON lists read back
by Python's csv and json modules and compared with the files on disk; and the
plain list unchanged by options that take every file.

usage: list_tables_test.py ZENTORY_CLI GOLDEN_DIR [unittest arguments]
Set ZENTORY_UPDATE_GOLDENS=1 to write the golden files instead of comparing.
"""
import base64
import calendar
import csv
import datetime
import io
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

CLI = None
GOLDENS = None
# Central European time with its summer time, spelt out so no zone files are needed.
CET = "CET-1CEST,M3.5.0,M10.5.0/3"
WINTER = calendar.timegm((2026, 12, 8, 13, 3, 5))
SUMMER = calendar.timegm((2026, 7, 8, 13, 0, 0))


def run(args, cwd, tz=CET, status=0):
    env = dict(os.environ, LC_ALL="C", LANG="", LC_MESSAGES="", TZ=tz)
    proc = subprocess.run([CLI] + args, cwd=cwd, env=env, capture_output=True, timeout=120)
    if proc.returncode != status:
        raise AssertionError("%s: exit %d, expected %d\n%s" % (
            args, proc.returncode, status, proc.stderr.decode(errors="replace")))
    return proc.stdout


def make_file(top, relative, data=b"", mtime=WINTER):
    path = os.path.join(top, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (mtime, mtime))


# The golden tree: odd names, sizes, a summer date and a link that leads nowhere.
GOLDEN_TREE = [
    (b"a.txt", b"hello", WINTER),
    (b"B.TXT", b"", SUMMER),
    (b".hidden", b"h", WINTER),
    (b'we,ird "quoted".tar.gz', b"12345678", WINTER),
    (b"caf\xc3\xa9.md", b"\xc3\xa9", SUMMER),
    (b"bad\xff.bin", b"\xff", WINTER),
    (b"ctl\t\n.txt", b"ab", WINTER),
    (b"img/logo.png", b"png", WINTER),
    (b"img/old/logo.bak.png", b"old png", SUMMER),
    (b"img/thumbs.db", b"db", WINTER),
    (b".git/HEAD", b"ref", WINTER),
    (b"sub dir/x,y.csv", b"1,2\r\n", SUMMER),
]

GOLDEN_RUNS = {
    "text_columns.txt": ["-r", "-d", "--size", "--modified", "--totals"],
    "text_full_path_columns.txt": ["-r", "-f", "-x", "-d", "--size"],
    "text_filters.txt": ["-r", "-d", "--include", "*.txt", "--include", "*.PNG", "-i",
                         "--exclude", "b*", "--no-hidden"],
    "text_depth_totals.txt": ["-d", "--max-depth", "1", "--totals", "--exclude", "*.db"],
    "list.csv": ["-r", "--format", "csv"],
    "filters.csv": ["--format", "csv", "--max-depth", "1", "--no-hidden", "--exclude", "*.png"],
    "list.json": ["-r", "--format", "json"],
    "filters_totals.json": ["--format", "json", "--totals", "--include", "*.t?t", "-i"],
}


def placeholder(output, folder):
    """`output` with the tree's folder written as @WORK@, inside base64 too."""
    def exact_path(match):
        path = base64.b64decode(match.group(1)).replace(folder, b"@WORK@")
        return b'"path_base64":"' + base64.b64encode(path) + b'"'
    output = re.sub(rb'"path_base64":"([^"]*)"', exact_path, output)
    return output.replace(folder, b"@WORK@")


class Goldens(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zentory-lists-")
        self.top = os.path.join(self.dir, "Work")
        for name, data, mtime in GOLDEN_TREE:
            make_file(os.fsencode(self.top), name, data, mtime)
        os.symlink("nowhere", os.path.join(self.top, "dangling"))

    def tearDown(self):
        shutil.rmtree(self.dir)

    def test_each_format_and_option_gives_its_golden_bytes(self):
        update = os.environ.get("ZENTORY_UPDATE_GOLDENS") == "1"
        folder = os.fsencode(os.path.realpath(self.top))
        for name, args in GOLDEN_RUNS.items():
            got = placeholder(run(args + ["Work"], self.dir), folder)
            path = os.path.join(GOLDENS, name)
            if update:
                with open(path, "wb") as f:
                    f.write(got)
                continue
            with open(path, "rb") as f:
                expected = f.read()
            self.assertEqual(got, expected, "%s: %s" % (name, args))

    def test_options_that_take_every_file_leave_the_plain_list_alone(self):
        plain = run(["-r", "-d", "Work"], self.dir)
        for args in (["--format", "text"], ["--include", "*"], ["--exclude", ""],
                     ["--max-depth", "9"], ["-i"]):
            self.assertEqual(run(["-r", "-d"] + args + ["Work"], self.dir), plain, args)
        self.assertEqual(run(["-d", "--max-depth", "0", "-r", "Work"], self.dir),
                         run(["-d", "Work"], self.dir))

    def test_bad_values_are_usage_errors(self):
        for args in (["--format", "xml"], ["--max-depth", "-1"], ["--max-depth", "x"],
                     ["--include"]):
            run(args + ["Work"], self.dir, status=2)


def random_name(rng):
    pieces = [b"a", b"B", b".", b",", b'"', b" ", b"\r", b"\n", b"\t", b"\\", b"\xc3\xa9",
              b"\xe2\x82\xac", b"\xff", b"\xc3", b"\xed\xa0\x80", b"x", b"txt", b"\x01"]
    name = b"".join(rng.choice(pieces) for _ in range(rng.randint(1, 6)))
    return name if name not in (b".", b"..") and not name.endswith(b".") else name + b"z"


def extension(name):
    dot = name.rfind(b".")
    return name[dot + 1:] if dot > 0 else b""


def cell(text):
    """A CSV cell as the name it holds: a cell a spreadsheet would run as a
    formula comes with a quote mark before it (the random names have none of
    their own)."""
    return text[1:] if text[:1] == "'" and text[1:2] in ("=", "+", "-", "@", "\t", "\r") else text


def iso_local(seconds):
    return datetime.datetime.fromtimestamp(seconds, datetime.timezone.utc).astimezone().isoformat()


class TablesAgainstDisk(unittest.TestCase):
    """Random odd names, sizes and times; what a CSV or JSON reader gets is the disk."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zentory-tables-")
        self.top = os.fsencode(os.path.join(self.dir, "t"))
        rng = random.Random(14)
        folders = [b""]
        for _ in range(12):
            folders.append(os.path.join(rng.choice(folders), random_name(rng)))
        for i in range(150):
            mtime = rng.choice([WINTER, SUMMER, -86400 * 365 * 3, 0, WINTER + rng.randint(0, 10**8)])
            make_file(self.top, os.path.join(rng.choice(folders), random_name(rng) + b"%d" % i),
                      b"x" * rng.randint(0, 3000), mtime)
        os.symlink(b"nowhere", os.path.join(self.top, b"dangling"))
        os.symlink(b"dangling", os.path.join(self.top, folders[1], b"to dangling"))

    def tearDown(self):
        shutil.rmtree(self.dir)

    def on_disk(self):
        """(path, folder, name, extension, size, modified) per file, in byte order."""
        top = os.path.realpath(self.top)
        rows = []
        for here, dirs, files in os.walk(top, followlinks=True):
            for name in files + [d for d in dirs if os.path.islink(os.path.join(here, d))]:
                path = os.path.join(here, name)
                if os.path.isdir(path):
                    continue
                try:
                    st = os.stat(path)
                    size, modified = st.st_size, iso_local(st.st_mtime_ns // 10**9)
                except OSError:
                    size = modified = None
                rows.append((path, os.path.relpath(here, top) if here != top else b"", name,
                             extension(name), size, modified))
        return sorted(rows)

    def check_csv(self, tz):
        out = run(["-r", "--format", "csv", self.top.decode(errors="surrogateescape")],
                  self.dir, tz)
        self.assertTrue(out.endswith(b"\r\n"))
        text = out.decode("utf-8", "surrogateescape")
        records = list(csv.reader(io.StringIO(text, newline=""), strict=True))
        self.assertEqual(records[0], ["path", "folder", "name", "extension", "size", "modified"])
        got = [(os.fsencode(r[0]), os.fsencode(cell(r[1])), os.fsencode(cell(r[2])),
                os.fsencode(cell(r[3])), int(r[4]) if r[4] else None, r[5] or None)
               for r in records[1:]]
        self.assertEqual(got, self.on_disk())

    def check_json(self, tz):
        out = run(["-r", "--format", "json", self.top.decode(errors="surrogateescape")],
                  self.dir, tz)
        document = json.loads(out)  # refuses anything but valid UTF-8 JSON
        self.assertEqual(document["folder"], os.path.realpath(self.top).decode())
        expected = self.on_disk()
        self.assertEqual(len(document["files"]), len(expected))
        for f, (path, folder, name, ext, size, modified) in zip(document["files"], expected):
            exact = base64.b64decode(f["path_base64"]) if "path_base64" in f else f["path"].encode()
            self.assertEqual(exact, path)
            self.assertEqual("path_base64" in f, path != path.decode(errors="replace").encode())
            self.assertEqual(f["path"], path.decode(errors="replace"))
            self.assertEqual(f["folder"], folder.decode(errors="replace"))
            self.assertEqual(f["name"], name.decode(errors="replace"))
            self.assertEqual(f["extension"], ext.decode(errors="replace"))
            self.assertEqual((f["size"], f["modified"]), (size, modified), path)

    def in_zone(self, tz, check):
        saved = os.environ.get("TZ")
        os.environ["TZ"] = tz
        time.tzset()
        try:
            check(tz)
        finally:
            if saved is None:
                del os.environ["TZ"]
            else:
                os.environ["TZ"] = saved
            time.tzset()

    def test_csv_read_back_is_the_disk(self):
        for tz in (CET, "UTC0", "XST+9:30"):
            self.in_zone(tz, self.check_csv)

    def test_json_read_back_is_the_disk(self):
        for tz in (CET, "UTC0", "XST+9:30"):
            self.in_zone(tz, self.check_json)


if __name__ == "__main__":
    CLI, GOLDENS = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
