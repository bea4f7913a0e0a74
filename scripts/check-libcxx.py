#!/usr/bin/env python3
"""Compiles every source of a configured build once more with clang and libc++, syntax only.

A Mac builds with Apple clang and libc++, without -fexperimental-library. Qt here is built
against libstdc++, so nothing can be linked that way; parsing and instantiating every file
finds what a Mac's compiler would refuse. Each command is the build's own (defines, include
folders, moc's output) from compile_commands.json, with the compiler and the standard library
swapped. A file whose preprocessed text and command passed before is not parsed again.
Usage: check-libcxx.py <build folder> [jobs]
"""

import hashlib
import json
import os
import shlex
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

CXX = os.environ.get("LIBCXX_CXX", "clang++-19")
ADDED = ["-stdlib=libc++", "-fsyntax-only", "-Wall", "-Wextra", "-Werror"]
# Options of the build's own compiler that mean nothing here, or that would hide the check.
DROPPED = {"-Wno-maybe-uninitialized", "-fexperimental-library"}


def rewrite(entry):
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    while args and Path(args[0]).name in ("ccache", "sccache"):
        args = args[1:]
    out = [CXX]
    skip = False
    for arg in args[1:]:
        if skip:
            skip = False
        elif arg == "-o":
            skip = True
        elif arg != "-c" and arg not in DROPPED and not arg.startswith("-stdlib="):
            out.append(arg)
    return out + ADDED


def key(command, directory):
    """What the outcome depends on: the command and the preprocessed text."""
    pre = [a for a in command if a != "-fsyntax-only"] + ["-E", "-o", "-"]
    result = subprocess.run(pre, cwd=directory, capture_output=True)
    if result.returncode != 0:
        return None
    return hashlib.sha256("\0".join(command).encode() + b"\0" + result.stdout).hexdigest()


def check(entry, passed):
    command = rewrite(entry)
    digest = key(command, entry["directory"])
    if digest in passed:
        return entry["file"], 0, "", digest
    result = subprocess.run(command, cwd=entry["directory"], capture_output=True, text=True)
    return entry["file"], result.returncode, result.stdout + result.stderr, digest


def main():
    build = Path(sys.argv[1])
    jobs = int(sys.argv[2]) if len(sys.argv) > 2 else os.cpu_count()
    entries = json.loads((build / "compile_commands.json").read_text())
    root = Path(__file__).resolve().parent.parent
    tracked = subprocess.run(["git", "ls-files", "*.cpp"], cwd=root, capture_output=True,
                             text=True, check=True).stdout.split()
    compiled = {str(Path(e["file"]).resolve()) for e in entries}
    unchecked = [f for f in tracked if str((root / f).resolve()) not in compiled]
    memo = build / "libcxx-passed.txt"
    passed = set(memo.read_text().split()) if memo.exists() else set()
    failed, now_passed = [], set()
    with ThreadPoolExecutor(max_workers=jobs) as pool:
        for file, code, output, digest in pool.map(lambda e: check(e, passed), entries):
            if code != 0:
                failed.append(file)
                print(f"== {file}\n{output}", end="", flush=True)
            elif digest:
                now_passed.add(digest)
    memo.write_text("\n".join(sorted(now_passed)) + "\n")
    print(f"check-libcxx: {len(entries)} files with {CXX} and libc++, {len(failed)} failed")
    for file in unchecked:
        print(f"check-libcxx: not compiled by the build, so not checked: {file}")
    for file in failed:
        print(f"check-libcxx: FAILED {file}")
    return 1 if failed or unchecked or not entries else 0


if __name__ == "__main__":
    sys.exit(main())
