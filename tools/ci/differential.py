#!/usr/bin/env python3
"""Differential check: the same velk script on the same starting .reg file
must leave a byte-identical saved .reg file, a byte-identical transcript and
the same exit status natively (the portable layer) and under Wine (the real
registry and console calls).

Inputs are scenario-like directories (script, optional registry.reg and
args; one without its script fails): by default every velk scenario and the
inputs below tools/ci/differential/, which put every byte value, every value type and
over-long texts through the registry calls.

  differential.py --native VELK --windows VELK.EXE --emulator tools/wine-run \\
                  --emulator 64 --work DIR [INPUT_DIR...]

Prints a line for each input that differs, with the first differing lines,
and a closing "differential: N identical, M differ".
"""
import argparse
import difflib
import glob
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "velk", "tests"))  # where the velk_scenarios package is
from velk_scenarios.scenario import add_emulator_argument, emulator_of, run_velk  # noqa: E402


def default_inputs():
    dirs = sorted(glob.glob(os.path.join(ROOT, "velk", "tests", "scenarios", "*")))
    dirs += sorted(glob.glob(os.path.join(ROOT, "tools", "ci", "differential", "*")))
    return [d for d in dirs if os.path.isdir(d)]


def show_difference(what, a, b):
    """The first differing lines of two byte strings, as text."""
    la = (a or b"").decode("latin-1").splitlines()
    lb = (b or b"").decode("latin-1").splitlines()
    lines = list(difflib.unified_diff(la, lb, "native " + what, "wine " + what, n=1, lineterm=""))
    out = ["    " + line.encode("unicode_escape").decode() for line in lines[:24]]
    if len(lines) > 24:
        out.append("    ... %d more diff lines" % (len(lines) - 24))
    if not lines:
        out.append("    (the same lines; line ends or the last byte differ)")
    return "\n".join(out)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--native", required=True, help="velk built natively")
    ap.add_argument("--windows", required=True, help="velk.exe built for Windows")
    add_emulator_argument(ap)
    ap.add_argument("--work", required=True)
    ap.add_argument("inputs", nargs="*")
    args = ap.parse_args()
    emulator = emulator_of(args)
    inputs = [os.path.abspath(d) for d in args.inputs] or default_inputs()

    same, differ = 0, 0
    for d in inputs:
        name = os.path.basename(d)
        work = os.path.join(os.path.abspath(args.work), name)
        if not os.path.isfile(os.path.join(d, "script")):
            differ += 1
            print("%s: FAILED: no script in %s" % (name, d))
            continue
        p1, _, reg1, tr1 = run_velk(args.native, d, os.path.join(work, "native"), [])
        p2, _, reg2, tr2 = run_velk(args.windows, d, os.path.join(work, "wine"), emulator)
        problems = []
        if p1.returncode != p2.returncode:
            problems.append("  exit status: native %d, wine %d" % (p1.returncode, p2.returncode))
        if reg1 != reg2:
            problems.append("  saved registry differs:\n" + show_difference("registry.reg", reg1, reg2))
        if tr1 != tr2:
            problems.append("  transcript differs:\n" + show_difference("transcript.txt", tr1, tr2))
        if problems:
            differ += 1
            print("%s: DIFFERS (files in %s)" % (name, work))
            print("\n".join(problems))
        else:
            same += 1
            print("%s: identical (exit %d, registry %s, transcript %d bytes)" % (
                name, p1.returncode, "%d bytes" % len(reg1) if reg1 is not None else "not saved", len(tr1)))
    print("differential: %d identical, %d differ" % (same, differ))
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
