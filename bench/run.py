#!/usr/bin/env python3
"""Times kestrel-backup-cli against cp -a and rsync -a on one sample tree, in one run.

Usage: bench/run.py [--folders N] [--files-per-folder N] [--large N] [--large-mb N]
                    [--repeat N] [--work DIR] [--cli PATH]

Builds a tree of small files in nested folders plus some large files, then measures
(median of --repeat runs each):
  1. a full backup into an empty target:   backup --all   vs  cp -a, rsync -a
  2. the unchanged re-run:                 backup         vs  rsync -a, and the floor of
                                                              stat'ing both trees (find -printf)
  3. the re-run after 1% of files changed: backup         vs  rsync -a
  4. the check of an unchanged pair:       check          vs  rsync -an
and the peak memory (max RSS) of our runs. Prints each figure and the ratios.
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


def build_tree(root, folders, files_per_folder, large, large_mb):
    rng = random.Random(20261209)
    made = 0
    paths = []
    for i in range(folders):
        # Three levels: a few dozen top folders, each with nested subfolders.
        folder = os.path.join(root, f"top{i % 40:02d}", f"mid{(i // 40) % 25:02d}", f"leaf{i:05d}")
        os.makedirs(folder, exist_ok=True)
        for j in range(files_per_folder):
            path = os.path.join(folder, f"file {j:03d}.{('txt', 'doc', 'jpg', 'dat')[j % 4]}")
            with open(path, "wb") as f:
                f.write(rng.randbytes(rng.randint(200, 16000)))
            paths.append(path)
            made += 1
    big = os.path.join(root, "top00", "large")
    os.makedirs(big, exist_ok=True)
    for k in range(large):
        path = os.path.join(big, f"video{k}.bin")
        with open(path, "wb") as f:
            for _ in range(large_mb):
                f.write(rng.randbytes(1 << 20))
        paths.append(path)
    return paths


GNU_TIME = "/usr/bin/time" if os.access("/usr/bin/time", os.X_OK) else None


def run(cmd, cwd=None):
    """Runs a command with its output discarded; returns (seconds, max RSS in KiB).

    The peak memory comes from GNU time when it is installed (a child's own figure would
    include the Python process it was forked from); otherwise it is 0.
    """
    measured = [GNU_TIME, "-f", "%M"] + cmd if GNU_TIME else cmd
    start = time.perf_counter()
    proc = subprocess.run(measured, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
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


def drop(path):
    if os.path.exists(path):
        shutil.rmtree(path)


def median_of(repeat, prepare, cmd):
    times, rss = [], []
    for _ in range(repeat):
        prepare()
        t, m = run(cmd)
        times.append(t)
        rss.append(m)
    return statistics.median(times), max(rss)


def change_one_percent(paths, seed):
    rng = random.Random(seed)
    for path in rng.sample(paths, max(1, len(paths) // 100)):
        with open(path, "ab") as f:
            f.write(b"changed")
        st = os.stat(path)
        os.utime(path, (st.st_atime, st.st_mtime + 3600))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--folders", type=int, default=3000)
    parser.add_argument("--files-per-folder", type=int, default=10)
    parser.add_argument("--large", type=int, default=4)
    parser.add_argument("--large-mb", type=int, default=64)
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--work", default=None, help="folder for the trees (default: a new temporary folder)")
    parser.add_argument("--cli", default=os.path.join(HERE, "..", "build", "kestrel-backup-cli"))
    args = parser.parse_args()

    cli = os.path.abspath(args.cli)
    for tool in ("rsync", "cp", "find"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing (apt-get install rsync)")
    if not GNU_TIME:
        print("note: /usr/bin/time is missing (apt-get install time): no peak memory figures")
    if not os.access(cli, os.X_OK):
        sys.exit(f"{cli} not found: run 'make' first")

    work = args.work or tempfile.mkdtemp(prefix="kestrel-bench-")
    src = os.path.join(work, "src")
    drop(src)
    os.makedirs(src)
    print(f"building the tree in {src} ...", flush=True)
    paths = build_tree(src, args.folders, args.files_per_folder, args.large, args.large_mb)
    total = sum(os.path.getsize(p) for p in paths)
    print(f"{len(paths)} files in about {args.folders} folders, {total / 1048576:.0f} MiB\n", flush=True)

    ours, cp_dst, rs_dst = (os.path.join(work, n) for n in ("dst-kestrel", "dst-cp", "dst-rsync"))
    setup = os.path.join(work, "bench.zbk")
    env_home = os.path.join(work, "config")
    os.environ["XDG_CONFIG_HOME"] = env_home
    subprocess.run([cli, "save", setup, "--source", src, "--target", ours, "--include-all", "--subfolders",
                    "--suppress-details"], check=True, stdout=subprocess.DEVNULL)
    backup = [cli, "backup", setup, "--yes"]
    rows = []

    def fresh(path):
        def prepare():
            drop(path)
            os.makedirs(path)
            subprocess.run(["sync"])
        return prepare

    # Each measure starts with the disk idle: what an earlier command left unwritten (cp and
    # rsync leave their data to the kernel, our backup flushes its own) is not charged to the
    # next one.
    def settled():
        subprocess.run(["sync"])

    t_ours, m_full = median_of(args.repeat, fresh(ours), backup + ["--all"])
    t_cp, _ = median_of(args.repeat, lambda: drop(cp_dst), ["cp", "-a", src, cp_dst])
    t_rs, _ = median_of(args.repeat, fresh(rs_dst), ["rsync", "-a", src + "/", rs_dst + "/"])
    rows.append(("full backup into an empty target", t_ours, [("cp -a", t_cp), ("rsync -a", t_rs)]))

    t_ours2, m_rerun = median_of(args.repeat, settled, backup)
    t_rs2, _ = median_of(args.repeat, settled, ["rsync", "-a", src + "/", rs_dst + "/"])
    t_floor, _ = median_of(args.repeat, settled, ["find", src, ours, "-printf", "%s %T@\\n"])
    rows.append(("unchanged re-run", t_ours2, [("rsync -a", t_rs2), ("find floor", t_floor)]))

    seeds = iter(range(1000, 2000))
    changed_ours, changed_rs = [], []
    for _ in range(args.repeat):
        change_one_percent(paths, next(seeds))
        settled()
        changed_ours.append(run(backup)[0])
        settled()
        changed_rs.append(run(["rsync", "-a", src + "/", rs_dst + "/"])[0])
    rows.append(("re-run after 1% changed", statistics.median(changed_ours),
                 [("rsync -a", statistics.median(changed_rs))]))

    t_check, m_check = median_of(args.repeat, settled, [cli, "check", setup, "--yes"])
    t_rsn, _ = median_of(args.repeat, settled, ["rsync", "-an", src + "/", rs_dst + "/"])
    rows.append(("check of an unchanged pair", t_check, [("rsync -an", t_rsn)]))

    print(f"{'measure':36} {'kestrel':>9}   against")
    for name, t, others in rows:
        versus = ", ".join(f"{o} {to:.3f} s (ratio {t / to:.2f})" for o, to in others)
        print(f"{name:36} {t:8.3f}s   {versus}")
    print(f"\npeak memory of kestrel-backup-cli: full {m_full / 1024:.1f} MiB, "
          f"re-run {m_rerun / 1024:.1f} MiB, check {m_check / 1024:.1f} MiB")
    if not args.work:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
