#!/usr/bin/env python3
"""Times zentory-cli beside the Unix tools a person would use instead, and the
window's read and export, on generated trees; prints one table of medians,
ratios and bars, in Markdown.

Reproduce the table (as root, for the cold-cache runs):

    cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \\
          -DZENTORY_BUILD_BENCH=ON && cmake --build build/bench
    python3 bench/run.py --build build/bench

The trees are built once (bench/make_tree.py, N files, seed 1) under --trees,
on the real disk, not tmpfs. Every command runs --runs times (at least 15 on
trees below a million files), interleaved, so drift and other load hit all of
them alike; medians are shown with the spread (min-max) of the runs. Ratios
are taken within one run of this script. The bars hold for the largest tree;
the time per file is judged by what each added file costs from one size to
the next, next to the time per file net of the start-up on an empty folder.
Cold-cache runs (`sync; echo 3 > /proc/sys/vm/drop_caches` before each)
need root and are skipped otherwise. --baseline DIR adds another build's
zentory-cli (for a before/after comparison) to the same interleaved runs.

--share times a network share instead (bench/share_scenario.py): the tree of
--share-files files served through zentory-bench-share, which waits each of
--delays (ms) in every request, with zentory-cli plain and with --size
--modified, find, fdfind at its default and at -j 64, and the window's read;
--share-runs runs each, --share-skip leaves out commands whose name holds
one of its words (find takes minutes at 5 ms). It skips with a message where
FUSE cannot be mounted.

usage: bench/run.py [--build DIR] [--baseline DIR] [--sizes 10000,100000,1000000]
                    [--runs 5] [--cold-runs 5] [--seed 1] [--trees /var/tmp/zentory-bench]
                    [--no-cold] [--share [--share-files 100000] [--delays 1,5]
                    [--share-runs 3] [--share-skip find]]
"""
import argparse
import os
import platform
import shlex
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
CLI = "zentory-cli -r"
FIND = "find | LC_ALL=C sort"
FD = "fdfind -u -t f"
LS = "ls -R"
CLI_FULL = "zentory-cli -r -f"
CLI_COLUMNS = "zentory-cli -r --size --modified"
FIND_PRINTF = "find -printf size, time | LC_ALL=C sort"
CLI_JSON = "zentory-cli -r --format json"
CLI_HTML = "zentory-cli -r --format html --size --modified"
CLI_TREE = "zentory-cli -r --format tree"
BASE = "baseline zentory-cli -r"
WINDOW_READ = "window read"
WINDOW_QUIET = "window read, no progress window"
WINDOW_PROGRESS = "window read, progress window from the start"
WINDOW_EXPORT = "window export"
FLOOR = "floor: one-thread getdents64 walk"
FLOOR2 = "floor: two-thread getdents64 walk"


def drop_caches():
    subprocess.run(["sync"], check=True)
    with open("/proc/sys/vm/drop_caches", "w") as f:
        f.write("3\n")


def run_once(cmd, shell=False, cold=False):
    """Wall time in seconds, peak resident memory in bytes and stderr of one run."""
    return run_timed(cmd, shell, cold)[:3]


def run_timed(cmd, shell=False, cold=False):
    """run_once's figures, and the CPU seconds (user and system) of the run."""
    if cold:
        drop_caches()
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, shell=shell, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = proc.stderr.read().decode(errors="replace")
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    proc.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: %s\n%s" % (cmd, err))
    return elapsed, usage.ru_maxrss * 1024, err, usage.ru_utime + usage.ru_stime


def tree(args, n):
    path = os.path.join(args.trees, "n%d-s%d" % (n, args.seed))
    if not os.path.isdir(path):
        print("building a tree of %d files in %s" % (n, path), file=sys.stderr)
        tmp = path + ".partial"
        shutil.rmtree(tmp, ignore_errors=True)
        subprocess.run([sys.executable, os.path.join(HERE, "make_tree.py"), str(n),
                        str(args.seed), tmp], check=True, stdout=subprocess.DEVNULL)
        os.rename(tmp, path)
    return path


def tree_stats(folder):
    """Files, folders and the bytes of all full paths (without line ends)."""
    files = folders = path_bytes = 0
    for dirpath, dirnames, filenames in os.walk(os.fsencode(folder)):
        folders += 1
        for name in filenames:
            files += 1
            path_bytes += len(dirpath) + 1 + len(name)
    return files, folders, path_bytes


def spread(values):
    return "%.3f (%.3f-%.3f)" % (statistics.median(values), min(values), max(values))


def window_seconds(err):
    # The driver prints the seconds of the timed step as the last word on stderr.
    return float(err.strip().split()[-1])


def measure(args, n, path, out):
    cli = os.path.join(args.build, "zentory-cli")
    window = os.path.join(args.build, "zentory-bench-window")
    q, o = shlex.quote(path), shlex.quote(out)
    commands = {
        CLI: ([cli, "-r", "-o", out, path], False),
        FIND: ("find %s -type f | LC_ALL=C sort > %s" % (q, o), True),
        FD: ("fdfind -u -t f . %s > %s" % (q, o), True),
        LS: ("ls -R %s > %s" % (q, o), True),
        CLI_FULL: ([cli, "-r", "-f", "-o", out, path], False),
        CLI_COLUMNS: ([cli, "-r", "--size", "--modified", "-o", out, path], False),
        FIND_PRINTF: ("find %s -type f -printf '%%p\\t%%s\\t%%T@\\n' | LC_ALL=C sort > %s"
                      % (q, o), True),
        CLI_JSON: ([cli, "-r", "--format", "json", "-o", out, path], False),
        CLI_HTML: ([cli, "-r", "--format", "html", "--size", "--modified", "-o", out, path],
                   False),
        CLI_TREE: ([cli, "-r", "--format", "tree", "-o", out, path], False),
    }
    if args.baseline:
        commands[BASE] = ([os.path.join(args.baseline, "zentory-cli"), "-r", "-o", out, path],
                          False)
    if os.access(window, os.X_OK):
        commands[WINDOW_READ] = ([window, "read", path], False)
        commands[WINDOW_QUIET] = ([window, "read-quiet", path], False)
        commands[WINDOW_PROGRESS] = ([window, "read-progress", path], False)
        commands[WINDOW_EXPORT] = ([window, "export", path, out], False)
    floor = os.path.join(args.build, "zentory-bench-floor")
    if os.access(floor, os.X_OK):
        commands[FLOOR] = ([floor, path], False)
        commands[FLOOR2] = ([floor, "--threads", "2", path], False)
    empty = os.path.join(args.trees, "empty")
    os.makedirs(empty, exist_ok=True)
    commands["zentory-cli, empty folder"] = ([cli, "-r", "-o", out, empty], False)

    warm, peak, cpu = {}, {}, {}
    for name, (cmd, shell) in commands.items():  # one unmeasured run fills the cache
        run_once(cmd, shell)
    # Small trees take milliseconds; more runs keep their medians steady.
    runs = args.runs if n >= 1000000 else max(args.runs, 15)
    for _ in range(runs):
        for name, (cmd, shell) in commands.items():
            t, rss, err, seconds = run_timed(cmd, shell)
            if name.startswith("window"):
                t = window_seconds(err)
            warm.setdefault(name, []).append(t)
            peak.setdefault(name, []).append(rss)
            cpu.setdefault(name, []).append(seconds)
    cold = {}
    if args.cold:
        for _ in range(args.cold_runs):
            for name in (CLI, FD):
                cmd, shell = commands[name]
                cold.setdefault(name, []).append(run_once(cmd, shell, cold=True)[0])
    return warm, peak, cold, cpu


def machine():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    mem = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES") / 2**30
    return "%s, %d cores, %.0f GiB RAM, Linux %s" % (cpu, os.cpu_count(), mem, platform.release())


def filesystem(path):
    out = subprocess.run(["df", "--output=fstype", path], capture_output=True, text=True).stdout
    return out.split()[-1] if out.split() else "?"


def ratio(a, b):
    return a / b if b else float("nan")


def verdict(value, bar):
    return "met" if value <= bar else "**missed**"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--build", default=os.path.join(HERE, "..", "build", "bench"))
    ap.add_argument("--baseline", help="another build folder whose zentory-cli runs alongside")
    ap.add_argument("--sizes", default="10000,100000,1000000")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--cold-runs", type=int, default=5)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--trees", default="/var/tmp/zentory-bench")
    ap.add_argument("--no-cold", dest="cold", action="store_false")
    ap.add_argument("--share", action="store_true", help="time a share instead")
    ap.add_argument("--share-files", type=int, default=100000)
    ap.add_argument("--delays", default="1,5")
    ap.add_argument("--share-runs", type=int, default=3)
    ap.add_argument("--share-skip", default="")
    args = ap.parse_args()
    if args.share:
        sys.path.insert(0, HERE)
        import share_scenario
        os.makedirs(args.trees, exist_ok=True)
        lines = share_scenario.run(args, tree(args, args.share_files),
                                   lambda cmd: run_timed(cmd), window_seconds, spread)
        if lines is not None:
            print("Machine: %s. Share: bench/make_tree.py %d %d served by "
                  "zentory-bench-share, medians of %d runs, seconds.\n" % (
                      machine(), args.share_files, args.seed, args.share_runs))
            print("| delay | measured |\n|---|---|")
            print("\n".join(lines))
        return
    if args.cold and os.geteuid() != 0:
        print("not root: no cold-cache runs", file=sys.stderr)
        args.cold = False
    os.makedirs(args.trees, exist_ok=True)
    out = os.path.join(args.trees, "out.txt")

    rows = []
    for n in [int(s) for s in args.sizes.split(",")]:
        path = tree(args, n)
        files, folders, path_bytes = tree_stats(path)
        print("timing %d files ..." % files, file=sys.stderr)
        warm, peak, cold, cpu = measure(args, n, path, out)
        rows.append(dict(n=files, folders=folders, path_bytes=path_bytes, warm=warm, peak=peak,
                         cold=cold, cpu=cpu))
    report(args, rows)


def cell(text):
    return text.replace("|", "\\|")


def report(args, rows):
    med = lambda row, k: statistics.median(row["warm"][k])
    shown = [k for k in rows[0]["warm"] if not k.startswith("zentory-cli, empty")]
    print("Machine: %s. Trees: bench/make_tree.py N %d under %s (%s), warm file cache unless "
          "marked cold. Medians of %d runs (at least 15 below a million files; cold: %d), "
          "min-max in brackets, seconds.\n" % (
              machine(), args.seed, args.trees, filesystem(args.trees), args.runs,
              args.cold_runs))
    print("| files | folders | avg path bytes | " + " | ".join(cell(k) for k in shown) + " |")
    print("|---" * (3 + len(shown)) + "|")
    for row in rows:
        print("| %d | %d | %.1f | %s |" % (row["n"], row["folders"], row["path_bytes"] / row["n"],
                                           " | ".join(spread(row["warm"][k]) for k in shown)))
    print()

    # The bars hold for the largest tree (a million files); smaller ones are shown for scale.
    largest = rows[-1]["n"]
    judged = lambda n, value, bar: verdict(value, bar) if n == largest else ""
    bars = []
    for row in rows:
        n, cli = row["n"], med(row, CLI)
        find_ratio = ratio(cli, med(row, FIND))
        fd_ratio = ratio(cli, med(row, FD))
        bars.append((n, "cli -r vs find | LC_ALL=C sort", "%.2fx" % find_ratio, "<= 0.5x",
                     judged(n, find_ratio, 0.5)))
        bars.append((n, "cli -r vs fdfind -u -t f", "%.2fx" % fd_ratio, "<= 1.0x",
                     judged(n, fd_ratio, 1.0)))
        columns = ratio(med(row, CLI_COLUMNS), med(row, FIND_PRINTF))
        bars.append((n, "cli -r --size --modified vs find -printf '%p\\t%s\\t%T@\\n' | "
                     "LC_ALL=C sort", "%.2fx" % columns, "<= 0.5x", judged(n, columns, 0.5)))
        if FLOOR in row["warm"]:
            # What a walk on two cores could take at best: the floor halved.
            floor = med(row, FLOOR) / 2
            r = ratio(cli, floor)
            bars.append((n, "cli -r vs the 2-core floor (one-thread getdents64 walk %.3f s, "
                         "halved)" % med(row, FLOOR), "%.2fx" % r, "<= 1.3x",
                         judged(n, r, 1.3)))
            # Where the time goes: what two threads that keep nothing take, and
            # the processor time of each (user and system together).
            cpu = lambda name: statistics.median(row["cpu"][name])
            bars.append((n, "cli -r vs a two-thread getdents64 walk that keeps nothing (%.3f s)"
                         % med(row, FLOOR2), "%.2fx" % ratio(cli, med(row, FLOOR2)), "", ""))
            bars.append((n, "processor time: cli -r %.3f s, one-thread floor %.3f s, two-thread "
                         "floor %.3f s" % (cpu(CLI), cpu(FLOOR), cpu(FLOOR2)),
                         "%.2fx" % ratio(cpu(CLI), cpu(FLOOR)), "", ""))
        json_ratio = ratio(med(row, CLI_JSON), cli)
        bars.append((n, "cli -r --format json vs cli -r", "%.2fx" % json_ratio, "<= 1.5x",
                     judged(n, json_ratio, 1.5)))
        html_ratio = ratio(med(row, CLI_HTML), med(row, CLI_COLUMNS))
        bars.append((n, "cli -r --format html --size --modified vs cli -r --size --modified",
                     "%.2fx" % html_ratio, "<= 2.0x", judged(n, html_ratio, 2.0)))
        tree_ratio = ratio(med(row, CLI_TREE), cli)
        bars.append((n, "cli -r --format tree vs cli -r", "%.2fx" % tree_ratio, "<= 1.2x",
                     judged(n, tree_ratio, 1.2)))
        if row["cold"]:
            c_cli = statistics.median(row["cold"][CLI])
            c_fd = statistics.median(row["cold"][FD])
            bars.append((n, "cold cache: cli -r %s s vs fdfind %s s" % (
                spread(row["cold"][CLI]), spread(row["cold"][FD])), "%.2fx" % ratio(c_cli, c_fd),
                "<= 1.0x", judged(n, ratio(c_cli, c_fd), 1.0)))
        rss = max(row["peak"][CLI_FULL])
        mem = ratio(rss, row["path_bytes"])
        bars.append((n, "peak memory of cli -r -f: %.1f MiB for %.1f MiB of full paths" % (
            rss / 2**20, row["path_bytes"] / 2**20), "%.2fx" % mem, "<= 1.5x",
            judged(n, mem, 1.5)))
        if WINDOW_READ in row["warm"]:
            extra = med(row, WINDOW_READ) - cli
            bars.append((n, "window read %.3f s - cli -r %.3f s" % (med(row, WINDOW_READ), cli),
                         "%+.3f s" % extra, "<= +0.5 s", judged(n, extra, 0.5)))
            quiet = med(row, WINDOW_QUIET)
            for name in (WINDOW_READ, WINDOW_PROGRESS):
                cost = ratio(med(row, name), quiet) - 1
                bars.append((n, "%s %.3f s vs none %.3f s" % (name, med(row, name), quiet),
                             "%+.1f%%" % (100 * cost), "<= +2%", judged(n, cost, 0.02)))
            exp = ratio(med(row, WINDOW_EXPORT), cli)
            bars.append((n, "window export %.3f s / cli -r %.3f s" % (med(row, WINDOW_EXPORT), cli),
                         "%.2fx" % exp, "<= 1.2x", judged(n, exp, 1.2)))
        if BASE in row["warm"]:
            bars.append((n, "cli -r vs the baseline build's %.3f s" % med(row, BASE),
                         "%.2fx" % ratio(cli, med(row, BASE)), "", ""))

    # Time per file, net of the start-up (the same run on an empty folder), and
    # the time each added file costs between one size and the next: a step
    # that grows faster than n log n makes the latter grow with the size,
    # while the former also carries what a walk costs once (threads, memory).
    net = []
    for row in rows:
        start = med(row, "zentory-cli, empty folder")
        net.append((med(row, CLI) - start) / row["n"] * 1e6)
        bars.append((row["n"], "cli -r time per file, net of the %.3f s start-up" % start,
                     "%.3f us" % net[-1], "", ""))
    added = []
    for a, b in zip(rows, rows[1:]):
        added.append((med(b, CLI) - med(a, CLI)) / (b["n"] - a["n"]) * 1e6)
        bars.append(("%d-%d" % (a["n"], b["n"]), "cli -r time per added file",
                     "%.3f us" % added[-1], "", ""))
    if len(rows) > 1:
        bars.append(("%d-%d" % (rows[0]["n"], largest), "time per file net of start-up, "
                     "largest / smallest", "%.2fx" % (max(net) / min(net)), "", ""))
    if len(added) > 1:
        flat = max(added) / min(added)
        bars.append(("%d-%d" % (rows[0]["n"], largest), "time per added file, "
                     "largest / smallest", "%.2fx" % flat, "<= 1.5x", verdict(flat, 1.5)))

    print("| files | what | measured | bar | |")
    print("|---|---|---|---|---|")
    for b in bars:
        print("| %s | %s | %s | %s | %s |" % (b[0], cell(b[1]), b[2], b[3], b[4]))
    if not os.access(os.path.join(args.build, "zentory-bench-window"), os.X_OK):
        print("\n(no zentory-bench-window in %s: the window's rows are left out)" % args.build)


if __name__ == "__main__":
    main()
