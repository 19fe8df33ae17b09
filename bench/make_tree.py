#!/usr/bin/env python3
"""Builds a deterministic folder tree of empty files for the benchmarks.

Given N and a seed, the same tree every time: folders up to 8 deep, 10 to 40
files and a few sub-folders per folder, names in mixed case with digits, dots,
hidden files and UTF-8. Full paths are about 90 bytes on average: 93 for a
million files under /var/tmp/zentory-bench/n1000000-s1, where bench/run.py
puts them.

usage: make_tree.py N SEED FOLDER   (FOLDER must not exist yet)
"""
import collections
import os
import random
import sys

WORDS = ["report", "Budget", "IMG", "photo", "notes", "Archive", "draft", "final",
         "Übersicht", "données", "résumé", "data", "Scan", "invoice", "backup", "log",
         "straße", "plan", "Q3", "v2", "thumbs", "README", "config", "export", "日本"]
EXTENSIONS = ["txt", "jpg", "PNG", "pdf", "docx", "tar.gz", "json", "c", "h", "xlsx", "md", ""]


def file_name(rng):
    name = rng.choice(WORDS)
    if rng.random() < 0.6:
        name += rng.choice(["_", "-", " ", ""]) + str(rng.randrange(10000))
    if rng.random() < 0.3:
        name += "_" + rng.choice(WORDS).lower()
    if rng.random() < 0.05:
        name = "." + name
    ext = rng.choice(EXTENSIONS)
    return name + ("." + ext if ext else "")


# Folder names are shorter than file names: each one repeats in every path below it.
FOLDERS = ["src", "img", "Docs", "old", "2023", "Music", "lib", "été", "tmp", "Work", "v1.2",
           "data", "写真", "bin", "Q3", "misc", "To Do", "x86"]


def folder_name(rng):
    name = rng.choice(FOLDERS) + rng.choice(["", "", "_" + str(rng.randrange(10))])
    return ("." + name) if rng.random() < 0.03 else name


def build(total, seed, root):
    rng = random.Random(seed)
    os.makedirs(root)
    queue = collections.deque([(root, 0)])
    made = 0
    while queue and made < total:
        # A folder is made when its turn comes, so every folder gets its files:
        # none is left empty when the files run out.
        folder, depth = queue.popleft()
        if folder != root:
            os.mkdir(folder)
        names = set()
        for _ in range(rng.randint(10, 40)):
            if made >= total:
                break
            name = file_name(rng)
            if name in names:
                continue
            names.add(name)
            os.close(os.open(os.path.join(folder, name), os.O_CREAT | os.O_WRONLY, 0o644))
            made += 1
        if depth < 8:
            for _ in range(rng.randint(0, 4) if depth else 6):
                name = folder_name(rng)
                if name in names:
                    continue
                names.add(name)
                queue.append((os.path.join(folder, name), depth + 1))
        if not queue and made < total:
            # Every folder is full: open a new branch at the top.
            queue.append((os.path.join(root, "more_%d" % made), 1))
    return made


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    count = build(int(sys.argv[1]), int(sys.argv[2]), sys.argv[3])
    print(count)
