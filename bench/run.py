#!/usr/bin/env python3
"""Times kestrel-backup-cli against cp -a, rsync -a (and rclone when installed) on one sample
tree, in one run, the tools interleaved round by round.

Usage: bench/run.py [--files 20k|300k|1M] [--rounds N] [--cold-rounds N] [--work DIR]
                    [--cli PATH] [--before PATH] [--options 'OPTIONS'] [--keep-tree] [--no-rclone]

Builds a sample tree (20k: 20,000 small files in 2,000 folders plus 4 files of 64 MiB;
300k: 300,000 small files; 1M: 1,000,000 tiny files), then, in every round, measures each
tool once, one after the other:
  1. a full backup into a new, empty target:  backup --all  vs  cp -a, rsync -a, each also
     followed by `sync -f TARGET` (the fair peer of a program that flushes what it wrote)
  2. the unchanged re-run:                    backup        vs  rsync -a, and the floor of
                                                                stat'ing both trees (find -printf)
  3. the check of an unchanged pair:          check         vs  rsync -an, and the same floor
  4. the re-run after 1% of files changed:    backup        vs  rsync -a      (warm rounds only)
Warm rounds read the source (and, for the re-run and the check, stat the targets) before every
tool; cold rounds, run where the page cache can be dropped (as root), drop it before every tool.
Every full backup writes to a target name of its own; the copies of the round before are
deleted once the full backups of a round are done, so no timed run follows a deletion at once
(ext4 would spend it skipping the inodes just freed). Nothing a tool left unwritten is charged
to the next: the disk is synced, untimed, after every tool.

With --before, an earlier build of kestrel-backup-cli runs beside the others as one more
peer ("kestrel before"), so a change is measured in the same rounds and under the same load.

Prints, per measure and peer, the median seconds and the ratio kestrel / peer: its median and
its range over the rounds; and the peak memory (max RSS, through GNU time) of each tool, with
the load of the machine at the start and the end.
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GNU_TIME = "/usr/bin/time" if os.access("/usr/bin/time", os.X_OK) else None
DROP_CACHES = "/proc/sys/vm/drop_caches"

# folders, files a folder, smallest and largest small file, large files, MiB each
TREES = {
    "2k": (200, 10, 200, 16000, 0, 0),  # a trial of the script itself
    "20k": (2000, 10, 200, 16000, 4, 64),
    "300k": (30000, 10, 100, 4000, 0, 0),
    "1M": (62500, 16, 0, 1000, 0, 0),
}


def build_tree(root, folders, files_per_folder, smallest, largest, large, large_mb):
    rng = random.Random(20261209)
    paths = []
    for i in range(folders):
        # Three levels: a few dozen top folders, each with nested subfolders.
        folder = os.path.join(root, f"top{i % 40:02d}", f"mid{(i // 40) % 25:02d}", f"leaf{i:05d}")
        os.makedirs(folder, exist_ok=True)
        for j in range(files_per_folder):
            path = os.path.join(folder, f"file {j:03d}.{('txt', 'doc', 'jpg', 'dat')[j % 4]}")
            with open(path, "wb") as f:
                f.write(rng.randbytes(rng.randint(smallest, largest)))
            paths.append(path)
    if large:
        big = os.path.join(root, "top00", "large")
        os.makedirs(big, exist_ok=True)
        for k in range(large):
            path = os.path.join(big, f"video{k}.bin")
            with open(path, "wb") as f:
                for _ in range(large_mb):
                    f.write(rng.randbytes(1 << 20))
            paths.append(path)
    return paths


def change_one_percent(paths, seed):
    rng = random.Random(seed)
    for path in rng.sample(paths, max(1, len(paths) // 100)):
        with open(path, "ab") as f:
            f.write(b"changed")
        st = os.stat(path)
        os.utime(path, (st.st_atime, st.st_mtime + 3600))


def quiet(cmd):
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)


def settle():
    quiet(["sync"])


def can_drop_caches():
    return os.geteuid() == 0 and os.access(DROP_CACHES, os.W_OK)


def drop_caches():
    settle()
    with open(DROP_CACHES, "w") as f:
        f.write("3\n")


def warm(src, data, others=()):
    """Brings the source (its data too with `data`) and the given trees' metadata into the cache."""
    if data:
        quiet(["sh", "-c", 'find "$1" -type f -exec cat {} + >/dev/null', "warm", src])
    quiet(["find", src, *others, "-printf", ""])


def timed(cmd, flush=None):
    """Runs a command with its output discarded, then `sync -f flush` when given, both timed.

    Returns (seconds, max RSS in KiB of the command). The peak memory comes from GNU time (a
    child's own rusage would include the Python process it was forked from); 0 without it.
    """
    measured = [GNU_TIME, "-f", "%M"] + cmd if GNU_TIME else cmd
    start = time.perf_counter()
    proc = subprocess.run(measured, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if flush:
        subprocess.run(["sync", "-f", flush], check=True)
    elapsed = time.perf_counter() - start
    err = proc.stderr.decode(errors="replace")
    if proc.returncode not in (0, 1):
        sys.exit(f"command failed ({proc.returncode}): {' '.join(cmd)}\n{err}")
    rss = 0
    if GNU_TIME:
        try:
            rss = int(err.strip().splitlines()[-1])
        except (ValueError, IndexError):
            pass
    return elapsed, rss


class Results:
    """Seconds per (temperature, measure, tool), one entry a round, and peak memory per tool."""

    def __init__(self):
        self.seconds = {}
        self.rss = {}

    def add(self, temperature, measure, tool, seconds, rss):
        self.seconds.setdefault((temperature, measure), {}).setdefault(tool, []).append(seconds)
        key = (measure, tool)
        self.rss[key] = max(self.rss.get(key, 0), rss)

    def print(self, measures):
        print(f"{'':5}{'measure':30} {'tool':16} {'median s':>9}   ratio kestrel/tool: median (range over rounds)")
        for temperature in ("warm", "cold"):
            for measure in measures:
                tools = self.seconds.get((temperature, measure))
                if not tools:
                    continue
                ours = tools["kestrel"]
                for tool, times in tools.items():
                    line = f"{temperature:5}{measure:30} {tool:16} {statistics.median(times):9.3f}"
                    if tool != "kestrel":
                        ratios = [a / b for a, b in zip(ours, times) if b > 0]
                        line += (f"   {statistics.median(ratios):.2f} ({min(ratios):.2f}-{max(ratios):.2f},"
                                 f" {len(ratios)} rounds)")
                    print(line)
        print("\npeak memory (max RSS over the rounds, MiB):")
        for (measure, tool), kib in sorted(self.rss.items()):
            if kib:
                print(f"    {measure:30} {tool:16} {kib / 1024:7.1f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--files", choices=sorted(TREES), default="20k")
    parser.add_argument("--rounds", type=int, default=None, help="warm rounds (default 5, 3 at 300k, 1 at 1M)")
    parser.add_argument("--cold-rounds", type=int, default=None,
                        help="cold rounds, where the page cache can be dropped (default as --rounds; 0: none)")
    parser.add_argument("--work", default=None, help="folder for the trees (default: a new folder in /tmp)")
    parser.add_argument("--cli", default=os.path.join(HERE, "..", "build", "kestrel-backup-cli"))
    parser.add_argument("--before", default=None, help="an earlier kestrel-backup-cli to compare with")
    parser.add_argument("--options", default="",
                        help="setup options for kestrel-backup-cli alone, in one argument "
                             "(e.g. --options='--keep-versions 30'; the --before build runs without them)")
    parser.add_argument("--keep-tree", action="store_true", help="leave the work folder in place")
    parser.add_argument("--no-rclone", action="store_true")
    args = parser.parse_args()

    rounds = args.rounds if args.rounds is not None else {"2k": 1, "20k": 5, "300k": 3, "1M": 1}[args.files]
    cold_rounds = args.cold_rounds if args.cold_rounds is not None else rounds
    if cold_rounds and not can_drop_caches():
        print("note: the page cache cannot be dropped here (needs root): no cold rows")
        cold_rounds = 0
    cli = os.path.abspath(args.cli)
    for tool in ("rsync", "cp", "find", "sync"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing (apt-get install rsync)")
    if not GNU_TIME:
        print("note: /usr/bin/time is missing (apt-get install time): no peak memory figures")
    if not os.access(cli, os.X_OK):
        sys.exit(f"{cli} not found: run 'make' first")
    rclone = None if args.no_rclone else shutil.which("rclone")

    work = args.work or tempfile.mkdtemp(prefix="kestrel-bench-", dir="/tmp")
    try:
        measure(args, cli, rclone, rounds, cold_rounds, work)
    finally:
        if not args.keep_tree:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print(f"\nthe trees are kept in {work}")


def measure(args, cli, rclone, rounds, cold_rounds, work):
    before = os.path.abspath(args.before) if args.before else None
    src = os.path.join(work, "src")
    dst = os.path.join(work, "dst")
    for folder in (src, dst):
        if os.path.exists(folder):
            shutil.rmtree(folder)
    os.makedirs(src)
    os.makedirs(dst)
    os.environ["XDG_CONFIG_HOME"] = os.path.join(work, "config")
    print(f"building the {args.files} tree in {src} ...", flush=True)
    paths = build_tree(src, *TREES[args.files])
    total = sum(os.path.getsize(p) for p in paths)
    if args.options:
        print(f"kestrel runs with the setup options {args.options}")
    print(f"{len(paths)} files, {total / 1048576:.0f} MiB; {rounds} warm and {cold_rounds} cold rounds; "
          f"load average at the start {os.getloadavg()[0]:.2f} on {os.cpu_count()} cores\n", flush=True)

    def setup_for(target, program=None):
        """The setup of a full backup into `target`: kestrel's own (with --options), or `program`'s."""
        setup = target + ".zbk"
        options = args.options.split() if program is None else []
        subprocess.run([program or cli, "save", setup, "--source", src, "--target", target, "--include-all",
                        "--subfolders", "--suppress-details", *options], check=True, stdout=subprocess.DEVNULL)
        return setup

    def full_tools(name):
        """(tool, command, folder to flush) for the full backups of one round into new targets."""
        out = lambda tool: os.path.join(dst, f"{name}-{tool}")
        tools = [("kestrel", lambda t: [cli, "backup", setup_for(t), "--yes", "--all"], False),
                 *([("kestrel before", lambda t: [before, "backup", setup_for(t, before), "--yes", "--all"], False)]
                   if before else []),
                 ("cp -a", lambda t: ["cp", "-a", src + "/.", t], False),
                 ("cp -a && sync", lambda t: ["cp", "-a", src + "/.", t], True),
                 ("rsync -a", lambda t: ["rsync", "-a", src + "/", t + "/"], False),
                 ("rsync -a && sync", lambda t: ["rsync", "-a", src + "/", t + "/"], True)]
        if rclone:
            tools.append(("rclone copy", lambda t: [rclone, "copy", src, t], False))
        made = []
        for tool, command, flush in tools:
            target = out(tool.replace(" ", "").replace("&&", "+"))
            os.makedirs(target)
            made.append((tool, command(target), target if flush else None, target))
        return made

    results = Results()
    measures = ["full backup", "unchanged re-run", "check", "re-run after 1% changed"]
    previous = []
    seeds = iter(range(1000, 2000))
    temperatures = []
    for i in range(max(rounds, cold_rounds)):
        if i < rounds:
            temperatures.append("warm")
        if i < cold_rounds:
            temperatures.append("cold")

    for number, temperature in enumerate(temperatures, 1):
        cold = temperature == "cold"
        print(f"round {number}/{len(temperatures)} ({temperature}), load {os.getloadavg()[0]:.2f}", flush=True)
        prepare = (lambda data, others=(): drop_caches()) if cold else (lambda data, others=(): warm(src, data, others))

        # 1. Full backups, each into a new folder.
        made = full_tools(f"r{number}")
        copies = {tool: target for tool, _, _, target in made}
        for tool, command, flush, target in made:
            settle()
            prepare(True)
            results.add(temperature, measures[0], tool, *timed(command, flush))
        settle()
        # The round before's copies go now, with the re-runs (which make no files) between them
        # and the next full backups.
        for target in previous:
            shutil.rmtree(target, ignore_errors=True)
            if os.path.exists(target + ".zbk"):
                os.remove(target + ".zbk")
        previous = list(copies.values())
        settle()

        ours = copies["kestrel"]
        setup = ours + ".zbk"
        rerun = [("kestrel", [cli, "backup", setup, "--yes"], ours),
                 ("rsync -a", ["rsync", "-a", src + "/", copies["rsync -a"] + "/"], copies["rsync -a"]),
                 ("find floor", ["find", src, ours, "-printf", "%s %T@\\n"], ours)]
        if before:
            older = copies["kestrel before"]
            rerun.insert(1, ("kestrel before", [before, "backup", older + ".zbk", "--yes"], older))
        if rclone:
            rerun.append(("rclone copy", [rclone, "copy", src, copies["rclone copy"]], copies["rclone copy"]))
        check = [("kestrel", [cli, "check", setup, "--yes"], ours),
                 ("rsync -an", ["rsync", "-an", src + "/", copies["rsync -a"] + "/"], copies["rsync -a"]),
                 ("find floor", ["find", src, ours, "-printf", "%s %T@\\n"], ours)]
        if before:
            check.insert(1, ("kestrel before", [before, "check", older + ".zbk", "--yes"], older))
        if rclone:
            check.append(("rclone --dry-run", [rclone, "copy", "--dry-run", src, copies["rclone copy"]],
                          copies["rclone copy"]))
        for measure, tools in ((measures[1], rerun), (measures[2], check)):
            for tool, command, target in tools:
                settle()
                prepare(False, (target,))
                results.add(temperature, measure, tool, *timed(command))

        if not cold:
            change_one_percent(paths, next(seeds))
            for tool, command, target in rerun[:3 if before else 2]:
                settle()
                prepare(True, (target,))
                results.add(temperature, measures[3], tool, *timed(command))

    print(f"\nload average at the end {os.getloadavg()[0]:.2f}\n")
    results.print(measures)


if __name__ == "__main__":
    main()
