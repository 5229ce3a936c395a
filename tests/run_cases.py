#!/usr/bin/env python3
"""Runs end-to-end cases against the logweld program.

A case is a directory:
  args           one command-line argument per line (may be absent: none)
  stdin          what standard input holds (default: one empty line)
  tree/          the files the run starts with; the run's working directory
  setup          optional lines that make what a repository cannot hold:
                   fifo PATH | symlink TARGET PATH | mkdir PATH |
                   chmod OCTAL PATH | copies COUNT SOURCE DIR PATTERN |
                   file PATH SIZE TEXT
  platforms      optional: the flavours the case runs on (posix, windows)
  expected/
    stderr       the standard error stream
    trace        "SpliceTrace.txt" beside the program (default: = stderr)
    stdout       standard output (default: empty)
    exit         the exit code
    Playfile.log the output beside the named file, byte for byte; absent:
                 no Playfile.log is made

In expected texts and args, {/} stands for the path separator. The Windows
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
    except FileNotFoundError:
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


def apply_setup(case_dir, run_dir):
    lines = (read_bytes(os.path.join(case_dir, "setup"), b"").decode()
             .splitlines())
    for line in lines:
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        op, rest = words[0], words[1:]
        if op == "fifo":
            os.mkfifo(os.path.join(run_dir, rest[0]))
        elif op == "symlink":
            os.symlink(rest[0], os.path.join(run_dir, rest[1]))
        elif op == "mkdir":
            os.makedirs(os.path.join(run_dir, rest[0]), exist_ok=True)
        elif op == "chmod":
            os.chmod(os.path.join(run_dir, rest[1]), int(rest[0], 8))
        elif op == "copies":
            count, source, directory, pattern = int(rest[0]), *rest[1:]
            data = read_bytes(os.path.join(run_dir, source))
            target = os.path.join(run_dir, directory)
            os.makedirs(target, exist_ok=True)
            for i in range(count):
                with open(os.path.join(target, pattern % i), "wb") as f:
                    f.write(data)
        elif op == "file":
            path, size, text = rest[0], int(rest[1]), " ".join(rest[2:])
            unit = text.encode().decode("unicode_escape").encode("latin-1")
            with open(os.path.join(run_dir, path), "wb") as f:
                f.write((unit * (size // len(unit) + 1))[:size])
        else:
            raise ValueError("unknown setup line: " + line)


def expected_text(case_dir, name, flavour, default=None):
    data = read_bytes(os.path.join(case_dir, "expected", name))
    if data is None:
        return default
    sep = b"\\" if flavour == "windows" else b"/"
    data = data.replace(b"{/}", sep)
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
        got.decode("latin-1").splitlines(True), "expected", "actual")
    sys.stdout.writelines(repr(line) + "\n" for line in diff)


def run_case(case_dir, program, flavour, work, wine):
    name = os.path.basename(os.path.normpath(case_dir))
    platforms = read_bytes(os.path.join(case_dir, "platforms"))
    if platforms is not None and flavour not in platforms.decode().split():
        print("%s: skipped, not a case for %s" % (name, flavour))
        return True
    if flavour == "posix" and os.geteuid() == 0 and \
            os.path.exists(os.path.join(case_dir, "needs-non-root")):
        print("%s: skipped, unreadable files are readable to root" % name)
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
    apply_setup(case_dir, run_dir)
    before = snapshot(run_dir)

    sep = "\\" if flavour == "windows" else "/"
    args_text = read_bytes(os.path.join(case_dir, "args"), b"").decode()
    args = [a.replace("{/}", sep) for a in args_text.splitlines()]
    stdin = read_bytes(os.path.join(case_dir, "stdin"), b"\n")
    command = [program_copy] + args
    if flavour == "windows":
        command = [wine] + command
    env = dict(os.environ, WINEDEBUG="-all")
    # Files, not pipes: a wineserver started by the run may keep a pipe open
    # long after the program has ended.
    out_path = os.path.join(case_work, "stdout")
    err_path = os.path.join(case_work, "stderr")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        result = subprocess.run(command, cwd=run_dir, input=stdin,
                                stdout=out, stderr=err, timeout=300, env=env)
    result.stdout = read_bytes(out_path)
    result.stderr = read_bytes(err_path)

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
         read_bytes(os.path.join(bin_dir, "SpliceTrace.txt"))),
    ]
    want_play = read_bytes(os.path.join(case_dir, "expected", "Playfile.log"))
    after = snapshot(run_dir)
    if want_play is not None:
        # The output goes beside the named file.
        base = os.path.dirname(args[-1].replace("\\", "/")) if args else ""
        play = os.path.normpath(os.path.join(base, "Playfile.log"))
        checks.append(("Playfile.log", want_play,
                       read_bytes(os.path.join(run_dir, play))))
        after.pop(play, None)
    for label, want, got in checks:
        if want != got:
            show_difference(label, want, got)
            ok = False
    if before != after:
        changed = sorted(set(before) ^ set(after) |
                         {k for k in before if k in after and
                          before[k] != after[k]})
        print("--- files changed, appeared or vanished: %s" % changed)
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
