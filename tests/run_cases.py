#!/usr/bin/env python3
"""Runs end-to-end cases against the logweld program.

A case is a directory:
  args           one command-line argument per line (may be absent: none)
  stdin          what standard input holds (default: one empty line)
  tree/          the files the run starts with; the run's working directory
  closed         optional: the standard streams (0, 1, 2) closed for the run
  argv0          present: its one line is passed as argument 0 (the trace
                 then goes to the working directory, as for a bare name)
  setup          optional lines that make what a repository cannot hold:
                   fifo PATH | symlink TARGET PATH | mkdir PATH |
                   append PATH COUNT TEXT (TEXT with C escapes) |
                   copies COUNT SOURCE DIR PATTERN |
                   tmpfs SIZE DIR (a small file system, to make a disk full)
  platforms      optional: the flavours the case runs on (posix, windows)
  expected/
    stderr       the standard error stream
    trace        "SpliceTrace.txt" beside the program (default: = stderr)
    stdout       standard output (default: empty)
    exit         the exit code
    Playfile.log the output beside the named file, byte for byte; absent:
                 no Playfile.log is made

In expected texts and args, {/} stands for the path separator, and a line
{repeat FROM TO FORMAT} stands for the lines FORMAT % i for i = FROM..TO. The Windows
flavour runs logweld.exe under Wine and expects backslashes and CR LF line
ends on the console and in the trace. Every file of the tree must have its
bytes unchanged after the run, and no file may appear but Playfile.log.
"""

import argparse
import difflib
import os
import shutil
import stat
import subprocess
import sys


def read_bytes(path, default=None):
    try:
        with open(path, "rb") as f:
            return f.read()
    except (FileNotFoundError, IsADirectoryError, NotADirectoryError):
        return default


def snapshot(root):
    """Maps every file below root (relative path) to its bytes or kind."""
    found = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames + filenames:
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, root)
            info = os.lstat(path)
            if stat.S_ISLNK(info.st_mode):
                found[rel] = ("link", os.readlink(path))
            elif stat.S_ISDIR(info.st_mode):
                found[rel] = ("dir",)
            elif stat.S_ISREG(info.st_mode):
                if info.st_mode & stat.S_IRUSR:
                    found[rel] = ("file", read_bytes(path))
                else:
                    found[rel] = ("file", info.st_size, info.st_mtime_ns)
            else:
                found[rel] = ("special", stat.S_IFMT(info.st_mode))
    return found


class SetupUnavailable(Exception):
    pass


def apply_setup(case_dir, run_dir, mounts):
    lines = (read_bytes(os.path.join(case_dir, "setup"), b"").decode()
             .splitlines())
    for line in lines:
        words = line.split(" ")
        if not line.strip() or words[0].startswith("#"):
            continue
        op, rest = words[0], words[1:]
        if op == "fifo":
            os.mkfifo(os.path.join(run_dir, rest[0]))
        elif op == "symlink":
            os.symlink(rest[0], os.path.join(run_dir, rest[1]))
        elif op == "mkdir":
            os.makedirs(os.path.join(run_dir, rest[0]), exist_ok=True)
        elif op == "append":
            path, count = os.path.join(run_dir, rest[0]), int(rest[1])
            text = " ".join(rest[2:]).encode().decode("unicode_escape")
            with open(path, "ab") as f:
                f.write(text.encode("latin-1") * count)
        elif op == "copies":
            count, source, directory, pattern = int(rest[0]), *rest[1:]
            data = read_bytes(os.path.join(run_dir, source))
            target = os.path.join(run_dir, directory)
            os.makedirs(target, exist_ok=True)
            for i in range(count):
                with open(os.path.join(target, pattern % i), "wb") as f:
                    f.write(data)
        elif op == "tmpfs":
            target = os.path.join(run_dir, rest[1])
            os.makedirs(target, exist_ok=True)
            done = subprocess.run(["mount", "-t", "tmpfs", "-o",
                                   "size=" + rest[0], "tmpfs", target],
                                  capture_output=True)
            if done.returncode != 0:
                raise SetupUnavailable("cannot mount a tmpfs here: " +
                                       done.stderr.decode().strip())
            mounts.append(target)
        else:
            raise ValueError("unknown setup line: " + line)


def expand_repeats(data):
    out = []
    for line in data.split(b"\n"):
        if line.startswith(b"{repeat ") and line.endswith(b"}"):
            first, last, form = line[8:-1].split(b" ", 2)
            out.extend(form % i for i in range(int(first), int(last) + 1))
        else:
            out.append(line)
    return b"\n".join(out)


def expected_text(case_dir, name, flavour, default=None):
    data = read_bytes(os.path.join(case_dir, "expected", name))
    if data is None:
        return default
    sep = b"\\" if flavour == "windows" else b"/"
    data = expand_repeats(data).replace(b"{/}", sep)
    if flavour == "windows":
        data = data.replace(b"\n", b"\r\n")
    return data


def show_difference(label, want, got):
    print("--- %s differs" % label)
    if want is None or got is None:
        print("expected %r, got %r" % (want, got))
        return
    diff = difflib.unified_diff(
        want.decode("latin-1").splitlines(True),
        got.decode("latin-1").splitlines(True), "expected", "actual", n=1)
    for i, line in enumerate(diff):
        if i == 60:
            print("(more differences)")
            break
        print(repr(line))


def case_args(case_dir, flavour):
    sep = "\\" if flavour == "windows" else "/"
    args_text = read_bytes(os.path.join(case_dir, "args"), b"").decode()
    return [a.replace("{/}", sep) for a in args_text.splitlines()]


def run_program(case_dir, case_work, run_dir, program, flavour, wine):
    """Runs the program once; returns its result and the trace's folder."""
    args = case_args(case_dir, flavour)
    stdin = read_bytes(os.path.join(case_dir, "stdin"), b"\n")
    closed = [int(fd) for fd in
              read_bytes(os.path.join(case_dir, "closed"), b"").split()]
    argv0 = read_bytes(os.path.join(case_dir, "argv0"))
    command = [program] + args
    trace_dir = os.path.dirname(program)
    if argv0 is not None:
        command[0] = argv0.decode().rstrip("\n")
        trace_dir = run_dir
    if flavour == "windows":
        command = [wine] + command
    env = dict(os.environ, WINEDEBUG="-all")
    # Files, not pipes: a wineserver started by the run may keep a pipe open
    # long after the program has ended.
    out_path = os.path.join(case_work, "stdout")
    err_path = os.path.join(case_work, "stderr")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        def close_streams():
            for fd in closed:
                os.close(fd)

        result = subprocess.run(
            command, executable=program if flavour == "posix" else None,
            cwd=run_dir, input=None if 0 in closed else stdin,
            stdin=subprocess.DEVNULL if 0 in closed else None,
            preexec_fn=close_streams if closed else None, stdout=out,
            stderr=err, timeout=300, env=env)
    result.stdout = read_bytes(out_path)
    result.stderr = read_bytes(err_path)
    return result, trace_dir


def changed_files(before, after):
    return sorted(set(before) ^ set(after) |
                  {k for k in before if k in after and before[k] != after[k]})


def run_case(case_dir, program, flavour, work, wine):
    name = os.path.basename(os.path.normpath(case_dir))
    platforms = read_bytes(os.path.join(case_dir, "platforms"))
    if platforms is not None and flavour not in platforms.decode().split():
        print("%s: skipped, not a case for %s" % (name, flavour))
        return True

    case_work = os.path.join(work, flavour, name)
    shutil.rmtree(case_work, ignore_errors=True)
    run_dir = os.path.join(case_work, "run")
    bin_dir = os.path.join(case_work, "bin")
    tree = os.path.join(case_dir, "tree")
    if os.path.isdir(tree):
        shutil.copytree(tree, run_dir, symlinks=True)
    else:
        os.makedirs(run_dir)
    os.makedirs(bin_dir)
    program_copy = os.path.join(bin_dir, os.path.basename(program))
    shutil.copy(program, program_copy)
    args = case_args(case_dir, flavour)

    mounts = []
    try:
        try:
            apply_setup(case_dir, run_dir, mounts)
        except SetupUnavailable as e:
            print("%s: SKIPPED, %s" % (name, e))
            return True
        before = snapshot(run_dir)
        result, trace_dir = run_program(case_dir, case_work, run_dir,
                                        program_copy, flavour, wine)
        after = snapshot(run_dir)
        trace = read_bytes(os.path.join(trace_dir, "SpliceTrace.txt"))
        if trace_dir == run_dir:
            after.pop("SpliceTrace.txt", None)
        play = None
        if args:
            # The output goes beside the named file.
            base = os.path.dirname(args[-1].replace("\\", "/"))
            play = os.path.normpath(os.path.join(base, "Playfile.log"))
            play_bytes = read_bytes(os.path.join(run_dir, play))
    finally:
        for target in reversed(mounts):
            subprocess.run(["umount", "-l", target])

    ok = True
    want_exit = int(read_bytes(os.path.join(case_dir, "expected", "exit"),
                               b"0").decode())
    if result.returncode != want_exit:
        print("--- exit code: expected %d, got %d" %
              (want_exit, result.returncode))
        ok = False
    want_stderr = expected_text(case_dir, "stderr", flavour, b"")
    checks = [
        ("standard error", want_stderr, result.stderr),
        ("standard output", expected_text(case_dir, "stdout", flavour, b""),
         result.stdout),
        ("trace", expected_text(case_dir, "trace", flavour, want_stderr),
         trace),
    ]
    want_play = read_bytes(os.path.join(case_dir, "expected", "Playfile.log"))
    if want_play is not None:
        checks.append(("Playfile.log", want_play, play_bytes))
        after.pop(play, None)
    for label, want, got in checks:
        if want != got:
            show_difference(label, want, got)
            ok = False
    if before != after:
        print("--- files changed, appeared or vanished: %s" %
              changed_files(before, after)[:20])
        ok = False
    print("%s: %s" % (name, "passed" if ok else "FAILED"))
    if ok:
        shutil.rmtree(case_work, ignore_errors=True)
    return ok


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--flavour", choices=["posix", "windows"],
                        default="posix")
    parser.add_argument("--work", required=True)
    parser.add_argument("--wine", default="")
    parser.add_argument("cases", nargs="+")
    options = parser.parse_args()
    if options.flavour == "windows" and not options.wine:
        options.wine = shutil.which("wine64") or "/usr/lib/wine/wine64"
    failed = [c for c in options.cases
              if not run_case(c, options.program, options.flavour,
                              options.work, options.wine)]
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
