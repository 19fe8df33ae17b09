#!/usr/bin/env python3
"""zentory-cli's HTML page in a real browser: headless Chromium takes a
screenshot of it (kept as page.png in the build folder, to be looked at), and a
click on a column's heading, scripted in a copy of the page, sorts that table.
Exits 77 (skipped) where Chromium is missing.

usage: html_in_browser_test.py ZENTORY_CLI OUTPUT_FOLDER
"""
import html.parser
import os
import shutil
import struct
import subprocess
import sys
import tempfile

SKIPPED = 77


class Rows(html.parser.HTMLParser):
    """The text of each cell of each body row, table by table, and the
    aria-sort of each heading."""

    def __init__(self):
        super().__init__()
        self.tables, self.sorted, self.cell, self.body = [], [], None, False

    def handle_starttag(self, tag, attrs):
        if tag == "table":
            self.tables.append([])
        elif tag == "tbody":
            self.body = True
        elif tag == "tr" and self.body:
            self.tables[-1].append([])
        elif tag == "th":
            self.sorted.append(dict(attrs).get("aria-sort"))
        elif tag == "td":
            self.cell = ""

    def handle_endtag(self, tag):
        if tag == "td":
            self.tables[-1][-1].append(self.cell)
            self.cell = None
        elif tag == "tbody":
            self.body = False

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def browser(args, page):
    command = [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
               "--user-data-dir=" + os.path.join(WORK, "profile")] + args + ["file://" + page]
    # Chromium keeps crash reports and settings in the home, whatever the profile:
    # it gets one of its own inside this test's folder.
    home = os.path.join(WORK, "home")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"))
    proc = subprocess.run(command, capture_output=True, timeout=120, env=env)
    assert proc.returncode == 0, proc.stderr.decode(errors="replace")
    return proc.stdout.decode()


def after_clicks(page, clicks):
    """The DOM of `page` once the headings picked by `clicks` (CSS selectors)
    were clicked in turn."""
    with open(page, encoding="utf-8") as f:
        text = f.read()
    script = "".join('document.querySelector(%r).click();' % c for c in clicks)
    copy = os.path.join(WORK, "clicked.html")
    with open(copy, "w", encoding="utf-8") as f:
        f.write(text.replace("</body>", "<script>%s</script>\n</body>" % script))
    rows = Rows()
    rows.feed(browser(["--dump-dom"], copy))
    return rows


def main():
    top = os.path.join(WORK, "Work")
    os.makedirs(os.path.join(top, "sub"))
    sizes = {"b.txt": 300, "a.txt": 5, "<script>alert(1)<": 12, "c.txt": 7000, "d.txt": 1}
    for name, size in sizes.items():
        with open(os.path.join(top, name), "wb") as f:
            f.write(b"x" * size)
    open(os.path.join(top, "sub", "e.txt"), "wb").close()
    # A folder long enough for its table to hold its rows in three groups.
    os.makedirs(os.path.join(top, "zmany"))
    many = {"f%04d" % i: (i * 7919) % 1201 for i in range(1100)}
    for name, size in many.items():
        with open(os.path.join(top, "zmany", name), "wb") as f:
            f.write(b"x" * size)
    page = os.path.join(WORK, "page.html")
    subprocess.run([CLI, "-r", "--format", "html", "--size", "--modified", "--totals", "-o", page,
                    top], check=True,
                   env=dict(os.environ, LC_ALL="C", LANG=""))

    shot = os.path.join(OUTPUT, "page.png")
    browser(["--window-size=900,600", "--screenshot=" + shot], page)
    with open(shot, "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", "no screenshot"
    assert struct.unpack(">II", head[16:24]) == (900, 600), head
    assert os.path.getsize(shot) > 10000, "an empty screenshot"

    listed = sorted(sizes)  # byte order, as the list holds them
    def names(rows):
        return [row[0] for row in rows.tables[0]]
    def sizes_of(rows):
        return [int(row[1]) for row in rows.tables[0]]

    unsorted = after_clicks(page, [])
    assert names(unsorted) == listed, names(unsorted)
    assert len(unsorted.tables) == 3, "a table per folder"
    by_size = after_clicks(page, ["th.n"])
    assert sizes_of(by_size) == sorted(sizes.values()), sizes_of(by_size)
    assert by_size.sorted == [None, "ascending", None] + [None] * 6, by_size.sorted
    assert names(by_size)[0] == "d.txt"
    descending = after_clicks(page, ["th.n", "th.n"])
    assert sizes_of(descending) == sorted(sizes.values(), reverse=True), sizes_of(descending)
    by_name = after_clicks(page, ["th.n", "th"])
    assert names(by_name) == listed, names(by_name)
    # The second table is sorted on its own.
    second = after_clicks(page, ["section:nth-of-type(2) th"])
    assert names(second) == listed and second.sorted[3] == "ascending", second.sorted
    # A long table is sorted across its groups of rows.
    long = after_clicks(page, ["section:nth-of-type(3) th.n"])
    assert [int(row[1]) for row in long.tables[2]] == sorted(many.values())
    print("screenshot: " + shot)
    return 0


if __name__ == "__main__":
    CLI, OUTPUT = sys.argv[1], sys.argv[2]
    CHROMIUM = shutil.which("chromium") or shutil.which("chromium-browser")
    if CHROMIUM is None:
        print("chromium not found: skipped")
        sys.exit(SKIPPED)
    WORK = tempfile.mkdtemp(prefix="zentory-browser-")
    try:
        sys.exit(main())
    finally:
        shutil.rmtree(WORK)
