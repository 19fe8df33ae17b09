"""The share scenario of bench/run.py: a tree served through
zentory-bench-share (a FUSE passthrough that waits DELAY ms in every request,
the kernel's entry and attribute caches off), timed with zentory-cli plain
and with --size --modified, find, fdfind at its default and at -j 64, and
the window's read. Skips with a message where FUSE cannot be mounted."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

CLI = "zentory-cli -r"
CLI_COLUMNS = "zentory-cli -r --size --modified"
FIND = "find DIR -type f"
FD = "fdfind -u -t f, default threads"
FD64 = "fdfind -j 64 -u -t f"
WINDOW = "window read"


def mount(share, delay, source):
    """The mount point of `source` served with `delay` ms, or None and why."""
    if not os.access(share, os.X_OK):
        return None, "no %s (configure with -DZENTORY_BUILD_BENCH=ON and libfuse3-dev)" % share
    if not os.path.exists("/dev/fuse"):
        return None, "no /dev/fuse"
    point = tempfile.mkdtemp(prefix="zentory-share-")
    proc = subprocess.run([share, "--delay", str(delay), source, point],
                          capture_output=True, text=True)
    for _ in range(100):
        if os.path.ismount(point):
            return point, ""
        time.sleep(0.05)
    os.rmdir(point)
    return None, "FUSE cannot be mounted here: %s" % (proc.stderr.strip() or "no mount")


def unmount(point):
    subprocess.run(["fusermount3", "-u", point], check=False)
    os.rmdir(point)


def commands(build, point, out, skip):
    cli = os.path.join(build, "zentory-cli")
    window = os.path.join(build, "zentory-bench-window")
    cmds = {
        CLI: [cli, "-r", "-o", out, point],
        CLI_COLUMNS: [cli, "-r", "--size", "--modified", "-o", out, point],
        FIND: ["find", point, "-type", "f"],
        FD: ["fdfind", "-u", "-t", "f", ".", point],
        FD64: ["fdfind", "-j", "64", "-u", "-t", "f", ".", point],
    }
    if os.access(window, os.X_OK):
        cmds[WINDOW] = [window, "read", point]
    return {k: v for k, v in cmds.items()
            if not any(s and s in k.split() for s in skip) and shutil.which(v[0])}


def run(args, source, run_once, window_seconds, spread):
    """Times the commands at each delay; returns the report's lines, or None."""
    share = os.path.join(args.build, "zentory-bench-share")
    lines = []
    for delay in [float(d) for d in args.delays.split(",")]:
        point, why = mount(share, delay, source)
        if point is None:
            print("share scenario skipped: %s" % why, file=sys.stderr)
            return None
        try:
            cmds = commands(args.build, point, os.path.join(args.trees, "out.txt"),
                            args.share_skip.split(","))
            print("timing the share at %g ms ..." % delay, file=sys.stderr)
            times = {}
            for _ in range(args.share_runs):
                for name, cmd in cmds.items():
                    t, _, err = run_once(cmd)
                    times.setdefault(name, []).append(window_seconds(err) if name == WINDOW else t)
        finally:
            unmount(point)
        med = {k: statistics.median(v) for k, v in times.items()}
        lines.append("| %g ms | %s |" % (delay, " | ".join(
            "%s: %s" % (k, spread(v)) for k, v in times.items())))
        if CLI in med and FD64 in med:
            r = med[CLI] / med[FD64]
            lines.append("| %g ms | cli -r / fdfind -j 64: %.2fx (bar <= 1.0x, %s) |"
                         % (delay, r, "met" if r <= 1.0 else "**missed**"))
        if CLI in med and CLI_COLUMNS in med:
            r = med[CLI_COLUMNS] / med[CLI]
            lines.append("| %g ms | cli -r --size --modified / cli -r: %.2fx (bar <= 2x, %s) |"
                         % (delay, r, "met" if r <= 2.0 else "**missed**"))
    return lines
