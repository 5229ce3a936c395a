#!/usr/bin/env python3
"""Interrupted and simultaneous runs never leave a partial Playfile.log.

Makes a recording large enough that a run can be caught while it writes,
then: stops runs by signals as soon as their temporary output appears;
checks that a later run still succeeds; and starts two runs at once on one
directory, of which exactly one may produce the result.
"""

import argparse
import glob
import os
import shutil
import signal
import subprocess
import sys
import time

LINE = b"00000010 0001 0002 0001 00000000\n"


def make_recording(directory, lines):
    os.makedirs(directory)
    path = os.path.join(directory, "Record001.log")
    chunk = LINE * 100000
    with open(path, "wb") as f:
        f.write(b"00000001 0000 0000 00c8 00000000\n")
        for _ in range(lines // 100000):
            f.write(chunk)
    with open(path, "rb") as f:
        return f.read()


def temporaries(directory):
    return glob.glob(os.path.join(directory, "Playfile.log.*.tmp"))


class Run:
    """One run of the program, its standard error going to a file: a
    wineserver that a run starts may hold a pipe open after it has ended."""

    count = 0

    def __init__(self, command, directory, wine):
        Run.count += 1
        self.err_path = os.path.join(directory, "stderr.%d" % Run.count)
        with open(self.err_path, "wb") as err:
            self.process = subprocess.Popen(
                ([wine] if wine else []) + command, cwd=directory,
                stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=err)

    def finish(self, timeout):
        """Answers the Enter prompt, waits; returns (exit code, stderr)."""
        try:
            self.process.stdin.write(b"\n")
            self.process.stdin.close()
        except (BrokenPipeError, ValueError):
            pass
        code = self.process.wait(timeout=timeout)
        with open(self.err_path, "rb") as f:
            return code, f.read()


def catch_while_writing(run, directory, signal_number):
    """Sends the signal once the temporary output exists; True if caught."""
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline and run.process.poll() is None:
        if temporaries(directory):
            run.process.send_signal(signal_number)
            return True
        time.sleep(0.0005)
    return False


class Checks:
    def __init__(self):
        self.failures = 0

    def expect(self, condition, message):
        if not condition:
            print("FAILED: " + message)
            self.failures += 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--wine", default="")
    parser.add_argument("--lines", type=int, default=3000000)
    options = parser.parse_args()

    work = os.path.join(options.work, "interrupt")
    shutil.rmtree(work, ignore_errors=True)
    rec = os.path.join(work, "rec")
    recording = make_recording(rec, options.lines)
    program = os.path.join(work, os.path.basename(options.program))
    shutil.copy(options.program, program)
    named = ("rec\\" if options.wine else "rec/") + "Record001.log"
    play = os.path.join(rec, "Playfile.log")
    checks = Checks()

    # Signals after which no temporary file may stay. On POSIX the program
    # removes it on SIGINT, SIGTERM and SIGHUP; nothing can after SIGKILL.
    # Under Wine only SIGINT reaches the program, as the console's Ctrl-C;
    # the others end it uncaught, as TerminateProcess does. The file is then
    # mostly removed too, since it is marked for removal until complete,
    # but an end that falls between its creation and that mark leaves it.
    cleaned = [signal.SIGINT]
    if not options.wine:
        cleaned += [signal.SIGTERM, signal.SIGHUP]
    for number in [signal.SIGINT, signal.SIGTERM, signal.SIGHUP,
                   signal.SIGKILL]:
        name = signal.Signals(number).name
        earlier = set(temporaries(rec))
        process = Run([program, named], work, options.wine)
        caught = catch_while_writing(process, rec, number)
        process.finish(timeout=120)
        checks.expect(caught, "%s: the run was not caught while writing" %
                      name)
        checks.expect(not os.path.lexists(play),
                      "%s: Playfile.log left behind" % name)
        left = sorted(set(temporaries(rec)) - earlier)
        if options.wine:
            # Wine closes a dead process's handles, and so removes a file
            # marked for removal, a moment after the exit is reported.
            deadline = time.monotonic() + 5
            while left and time.monotonic() < deadline:
                time.sleep(0.05)
                left = sorted(set(temporaries(rec)) - earlier)
        if number not in cleaned:
            # Nothing can clean up after these: at most the temporary file
            # stays, and it must not disturb the next run.
            checks.expect(len(left) <= 1, "%s: more than one file left" %
                          name)
        else:
            checks.expect(not left, "%s: temporary file left: %s" %
                          (name, left))
        print("%s while writing: %s" % (name, "caught" if caught else "missed"))

    # The next run succeeds, whatever the interruptions left.
    code, _ = Run([program, named], work, options.wine).finish(300)
    checks.expect(code == 0, "the run after the interruptions "
                  "failed with %d" % code)
    with open(play, "rb") as f:
        checks.expect(f.read() == recording,
                      "the run after the interruptions wrote a wrong result")
    for leftover in temporaries(rec):
        os.remove(leftover)
    os.remove(play)

    first = Run([program, named], work, options.wine)
    second = Run([program, named], work, options.wine)
    outcomes = [run.finish(300) for run in (first, second)]
    codes = sorted(code for code, _ in outcomes)
    checks.expect(codes == [0, 1], "two runs at once ended with %s" % codes)
    loser = [err for code, err in outcomes if code == 1]
    if loser:
        checks.expect(b"Cannot open 'Playfile.log' for writing." in loser[0] or
                      b"I refuse to overwrite PLAYFILE.LOG" in loser[0],
                      "the losing run gave another reason")
    with open(play, "rb") as f:
        checks.expect(f.read() == recording,
                      "two runs at once wrote a wrong result")
    checks.expect(not temporaries(rec), "two runs at once left a temporary")
    print("two runs at once: exit codes %s" % codes)

    if not checks.failures:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
