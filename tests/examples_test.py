#!/usr/bin/env python3
"""Runs every command example of the documentation, in order, and fails naming each one that
does not run.

An example is a block marked as one:
  README.md        a line starting "<!-- example" right before a ``` block: each line in it
  docs/gallery.1   a line starting '.\\" example' right before .nf: each line up to .fi
Each line is a shell command (a line ending in a backslash goes on in the next), run by bash
with -e and pipefail, so a command that fails anywhere in a line fails the example. A block's
lines run one after the other in one work folder; every block gets a folder of its own.

What an example may name:
  gallery, gallerygen      the programs built (found first in PATH)
  ~/Photos/NAME            a folder of a few small photos, made for each NAME that a block
                           names (HOME is a fresh folder)
  build/PROGRAM            the programs built
  samples/, presets/, docs/ ... files of the source tree
  /tmp/                    a temporary folder of the test's own
  $EDITOR                  an editor that changes nothing
  /usr/share/backgrounds/mate/nature   itself where installed, else a folder of small photos
Everything else an example writes must go below HOME or the work folder (relative paths).
"""

import argparse
import os
import re
import shutil
import subprocess
import sys

from test_photos import write_bmp

SOURCE_FOLDERS = ("samples", "presets", "docs", "scripts", "tests")
DEMO_PHOTOS = "/usr/share/backgrounds/mate/nature"
# The photos of each prepared folder: names a person gave, and names a camera or phone made.
PHOTO_NAMES = ("Sea_view.bmp", "IMG_20240712_143501.bmp", "DSC_0042.bmp", "FreshFlower.bmp")
TIMEOUT_SECONDS = 120


def make_photo_folder(folder):
    os.makedirs(folder, exist_ok=True)
    for seed, name in enumerate(PHOTO_NAMES):
        write_bmp(os.path.join(folder, name), 48 + 8 * seed, 36, seed)
    # A subfolder, as photo libraries have them.
    os.makedirs(os.path.join(folder, "Day 2"), exist_ok=True)
    write_bmp(os.path.join(folder, "Day 2", "Dune.bmp"), 40, 30, 7)


class Example:
    def __init__(self, document, line, command):
        self.document = document
        self.line = line  # where the command starts in its document, from 1
        self.command = command

    def __str__(self):
        return f"{self.document}:{self.line}: {self.command}"


def unescape_roff(text):
    for escaped, plain in (("\\-", "-"), ("\\(dq", '"'), ("\\(aq", "'"), ("\\&", ""),
                           ("\\e", "\\")):
        text = text.replace(escaped, plain)
    return text


def join_lines(document, numbered_lines):
    """The commands of a block: blank lines dropped, continued lines joined."""
    commands = []
    pending = None
    for number, text in numbered_lines:
        if pending is not None:
            pending.command = pending.command[:-1] + text
        elif text.strip():
            pending = Example(document, number, text)
        else:
            continue
        if not pending.command.endswith("\\"):
            commands.append(pending)
            pending = None
    if pending is not None:
        commands.append(pending)
    return commands


def markdown_blocks(path, shown):
    lines = open(path, encoding="utf-8").read().split("\n")
    blocks = []
    for i, line in enumerate(lines):
        if not line.startswith("<!-- example"):
            continue
        if i + 1 >= len(lines) or not lines[i + 1].startswith("```"):
            raise SystemExit(f"{shown}:{i + 1}: an example marker must stand right before ```")
        body = []
        for j in range(i + 2, len(lines)):
            if lines[j].startswith("```"):
                break
            body.append((j + 1, lines[j]))
        else:
            raise SystemExit(f"{shown}:{i + 2}: the example block never ends")
        blocks.append(join_lines(shown, body))
    return blocks


def roff_blocks(path, shown):
    lines = open(path, encoding="utf-8").read().split("\n")
    blocks = []
    for i, line in enumerate(lines):
        if not line.startswith('.\\" example'):
            continue
        if i + 1 >= len(lines) or lines[i + 1].strip() != ".nf":
            raise SystemExit(f"{shown}:{i + 1}: an example marker must stand right before .nf")
        body = []
        for j in range(i + 2, len(lines)):
            if lines[j].strip() == ".fi":
                break
            if lines[j].startswith(".") or lines[j].startswith("'"):
                continue  # a request of the formatter, no command
            body.append((j + 1, unescape_roff(lines[j])))
        else:
            raise SystemExit(f"{shown}:{i + 2}: the example block never ends")
        blocks.append(join_lines(shown, body))
    return blocks


def substitute(command, source, build, temp, home):
    """The command with the documentation's stand-in paths made those of this run."""
    if not os.path.isdir(DEMO_PHOTOS):
        command = command.replace(DEMO_PHOTOS, os.path.join(home, "Photos", "nature"))
    command = command.replace("/tmp/", os.path.join(temp, "tmp") + "/")
    start = r"(?<![\w./~-])"
    command = re.sub(start + r"build/", build + "/", command)
    for folder in SOURCE_FOLDERS:
        command = re.sub(start + folder + "/", os.path.join(source, folder) + "/", command)
    return command


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--source", required=True, help="the source tree")
    parser.add_argument("--gallery", required=True)
    parser.add_argument("--gallerygen", required=True)
    parser.add_argument("--work", required=True, help="a folder for the runs, emptied first")
    args = parser.parse_args()

    source = os.path.abspath(args.source)
    work = os.path.abspath(args.work)
    blocks = []
    blocks += markdown_blocks(os.path.join(source, "README.md"), "README.md")
    blocks += roff_blocks(os.path.join(source, "docs", "gallery.1"), "docs/gallery.1")
    if not any(blocks):
        print("no examples were found: the markers are missing", file=sys.stderr)
        return 1

    shutil.rmtree(work, ignore_errors=True)
    bin_folder = os.path.join(work, "bin")
    os.makedirs(bin_folder)
    build = os.path.join(work, "build")
    os.makedirs(build)
    for program in (args.gallery, args.gallerygen):
        for folder in (bin_folder, build):
            os.symlink(os.path.abspath(program), os.path.join(folder, os.path.basename(program)))

    failures = []
    count = 0
    for number, block in enumerate(blocks, 1):
        temp = os.path.join(work, f"block-{number}")
        home = os.path.join(temp, "home")
        cwd = os.path.join(temp, "work")
        for folder in (home, cwd, os.path.join(temp, "tmp"), os.path.join(temp, "cache")):
            os.makedirs(folder)
        environment = dict(os.environ, HOME=home, EDITOR="true", VISUAL="true",
                           XDG_CACHE_HOME=os.path.join(temp, "cache"),
                           PATH=bin_folder + os.pathsep + os.environ.get("PATH", ""))
        text = " ".join(example.command for example in block)
        for name in sorted(set(re.findall(r"~/Photos/([^/\s\"']+)", text))):
            make_photo_folder(os.path.join(home, "Photos", name))
        if DEMO_PHOTOS in text and not os.path.isdir(DEMO_PHOTOS):
            make_photo_folder(os.path.join(home, "Photos", "nature"))
        for example in block:
            count += 1
            command = substitute(example.command, source, build, temp, home)
            try:
                run = subprocess.run(["bash", "-e", "-o", "pipefail", "-c", command], cwd=cwd,
                                     env=environment, stdin=subprocess.DEVNULL,
                                     capture_output=True, text=True, timeout=TIMEOUT_SECONDS)
                status = run.returncode
                output = run.stdout + run.stderr
            except subprocess.TimeoutExpired:
                status = f"no end after {TIMEOUT_SECONDS} s"
                output = ""
            if status != 0:
                failures.append(example)
                print(f"FAILED {example}\n  exit status {status}", flush=True)
                for line in output.strip().split("\n")[-10:]:
                    print("  | " + line, flush=True)
            else:
                print(f"ok {example}", flush=True)
    print(f"{count - len(failures)} of {count} examples ran")
    if failures:
        print("These examples do not run:")
        for example in failures:
            print(f"  {example}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
