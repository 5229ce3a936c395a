#!/usr/bin/env python3
"""Measures logweld on generated recordings against a baseline of standard
tools doing the unavoidable work: reading every record file once (wc -l),
and copying the chain's files once into one file (cat). Logweld forces its
result to the disk before it names it, so the baseline is also shown with
its copy synced. Prints figures; asserts nothing about them."""

import argparse
import glob
import os
import resource
import shutil
import subprocess
import sys
import time


def generate(generator, directory, files, lines):
    stamp = os.path.join(directory, ".complete")
    if os.path.exists(stamp):
        return
    shutil.rmtree(directory, ignore_errors=True)
    os.makedirs(directory)
    print("generating %d files of %d lines in %s ..." %
          (files, lines, directory), flush=True)
    subprocess.run([generator, directory, str(files), str(lines)], check=True)
    open(stamp, "w").close()


def run_timed(command, cwd, stdout=subprocess.DEVNULL):
    """Wall time and peak resident memory (KB) of one command. The memory
    is GNU time's figure where /usr/bin/time exists: a child's own maximum
    from wait4 also counts the Python image it was forked from."""
    gnu_time = shutil.which("time", path="/usr/bin")
    report = os.path.join(cwd, ".peak")
    if gnu_time:
        command = [gnu_time, "-f", "%M", "-o", report] + command
    start = time.monotonic()
    process = subprocess.Popen(command, cwd=cwd, stdin=subprocess.DEVNULL,
                               stdout=stdout, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.monotonic() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: %s ..." % " ".join(command[:2]))
    peak = usage.ru_maxrss
    if gnu_time:
        with open(report) as f:
            peak = int(f.read().split()[-1])
        os.remove(report)
    return elapsed, peak


def best_of(runs, work):
    return min(work() for _ in range(runs))


def measure(program, directory, label):
    record_files = sorted(glob.glob(os.path.join(directory, "Record*.log")) +
                          glob.glob(os.path.join(directory, "Logs*",
                                                 "Record*.log")))
    total = sum(os.path.getsize(f) for f in record_files)
    named = sorted(glob.glob(os.path.join(directory, "Record*.log")))[-1]
    play = os.path.join(directory, "Playfile.log")
    # Warm the page cache so that every side reads from memory.
    subprocess.run(["cat"] + record_files, stdout=subprocess.DEVNULL)

    def logweld():
        if os.path.exists(play):
            os.remove(play)
        return run_timed([program, os.path.basename(named)], directory)

    elapsed, peak = best_of(3, logweld)
    out_size = os.path.getsize(play)
    os.remove(play)

    copy = os.path.join(directory, "baseline.out")

    def baseline(durable):
        read_time, _ = run_timed(["wc", "-l"] + record_files, directory)
        with open(copy, "wb") as out:
            copy_time, _ = run_timed(["cat"] + record_files, directory,
                                     stdout=out)
        sync_time = run_timed(["sync", copy], directory)[0] if durable else 0
        os.remove(copy)
        return read_time + copy_time + sync_time

    plain = best_of(3, lambda: baseline(False))
    durable = best_of(3, lambda: baseline(True))
    mb = total / 1e6
    print("%-28s %7.1f MB %5d files | logweld %6.3f s %6.0f MB/s peak %5.1f MB"
          " | baseline %6.3f s ratio %4.2f | with sync %6.3f s ratio %4.2f" %
          (label, mb, len(record_files), elapsed, mb / elapsed, peak / 1024,
           plain, elapsed / plain, durable, elapsed / durable), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--generator", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--large", action="store_true",
                        help="also a recording ten times larger (5 GB)")
    options = parser.parse_args()
    program = os.path.abspath(options.program)
    shapes = [("100 files x 15,000 lines", 100, 15000),
              ("100 files x 150,000 lines", 100, 150000),
              ("1,000 files x 1,000 lines", 1000, 1000),
              ("10,000 files x 1,000 lines", 9999, 1000)]
    if options.large:
        shapes.append(("100 files x 1,500,000 lines", 100, 1500000))
    for label, files, lines in shapes:
        directory = os.path.abspath(
            os.path.join(options.data, "%d-%d" % (files, lines)))
        generate(options.generator, directory, files, lines)
        measure(program, directory, label)


if __name__ == "__main__":
    main()
