"""The share scenario of bench/run.py: a tree served through
zentory-bench-share (a FUSE passthrough that waits DELAY ms in every request,
the kernel's entry and attribute caches off), timed with zentory-cli plain
and with --size --modified, find, fdfind at its default and at -j 64, and
the window's read, with the CPU time each command and the server took (the
server runs on the same cores as the command it serves). Skips with a
message where FUSE cannot be mounted."""
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


class Server:
    """A mounted share: its mount point, its process and its counts file."""

    def __init__(self, point, pid, counts):
        self.point, self.pid, self.counts = point, pid, counts


def mount(share, delay, source):
    """The Server of `source` served with `delay` ms, or None and why."""
    if not os.access(share, os.X_OK):
        return None, "no %s (configure with -DZENTORY_BUILD_BENCH=ON and libfuse3-dev)" % share
    if not os.path.exists("/dev/fuse"):
        return None, "no /dev/fuse"
    point = tempfile.mkdtemp(prefix="zentory-share-")
    counts = point + ".counts"
    proc = subprocess.run([share, "--delay", str(delay), source, point],
                          capture_output=True, text=True,
                          env=dict(os.environ, ZENTORY_SHARE_COUNTS=counts))
    for _ in range(100):
        if os.path.ismount(point):
            return Server(point, server_pid(share, point), counts), ""
        time.sleep(0.05)
    os.rmdir(point)
    return None, "FUSE cannot be mounted here: %s" % (proc.stderr.strip() or "no mount")


def server_pid(share, point):
    """The process that serves `point` (the server goes to the background)."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                argv = f.read().split(b"\0")
        except OSError:
            continue
        if argv[0] == os.fsencode(share) and os.fsencode(point) in argv:
            return int(entry)
    return None


def cpu_seconds(pid):
    """User and system time of process `pid` so far, all its threads, or 0."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except (OSError, TypeError):
        return 0.0
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def unmount(server):
    """Unmounts; the requests the server served, once it has written them."""
    subprocess.run(["fusermount3", "-u", server.point], check=False)
    os.rmdir(server.point)
    for _ in range(200):
        if server.pid is None or not os.path.exists("/proc/%d" % server.pid):
            break
        time.sleep(0.05)
    try:
        with open(server.counts) as f:
            counts = {k: int(v) for k, v in (line.split() for line in f)}
        os.remove(server.counts)
    except OSError:
        counts = {}
    return counts


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


def run(args, source, run_timed, window_seconds, spread):
    """Times the commands at each delay; returns the report's lines, or None.
    run_timed(cmd) gives a run's wall time, peak memory, stderr and CPU time."""
    share = os.path.join(args.build, "zentory-bench-share")
    lines = []
    for delay in [float(d) for d in args.delays.split(",")]:
        server, why = mount(share, delay, source)
        if server is None:
            print("share scenario skipped: %s" % why, file=sys.stderr)
            return None
        try:
            cmds = commands(args.build, server.point, os.path.join(args.trees, "out.txt"),
                            args.share_skip.split(","))
            print("timing the share at %g ms ..." % delay, file=sys.stderr)
            times = {}
            cpu = {}  # name: [the command's CPU seconds, the server's]
            for _ in range(args.share_runs):
                for name, cmd in cmds.items():
                    before = cpu_seconds(server.pid)
                    t, _, err, seconds = run_timed(cmd)
                    spent = cpu.setdefault(name, [0.0, 0.0])
                    spent[0] += seconds
                    spent[1] += cpu_seconds(server.pid) - before
                    times.setdefault(name, []).append(window_seconds(err) if name == WINDOW else t)
            total = cpu_seconds(server.pid)
        finally:
            counts = unmount(server)
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
            # The command and the server share this machine's cores: a run
            # cannot take less than the processor time both spent, spread
            # over all cores, however many requests it keeps in flight.
            least = sum(cpu[CLI_COLUMNS]) / args.share_runs / (os.cpu_count() or 1)
            lines.append("| %g ms | with sizes, processor time of command and server over %d "
                         "cores: at least %.3f s a run, %.2fx the plain list |"
                         % (delay, os.cpu_count() or 1, least, least / med[CLI]))
        served = sum(counts.values())
        spent = " | ".join("%s: %.2f + %.2f s" % (k, v[0], v[1]) for k, v in cpu.items())
        each = "%.1f us a request" % (total / served * 1e6) if served else "no counts"
        lines.append("| %g ms | CPU of all runs, command + server: %s; the server's in all: "
                     "%.2f s for %d requests (%s) |" % (delay, spent, total, served, each))
    return lines
