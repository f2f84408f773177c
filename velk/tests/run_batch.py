#!/usr/bin/env python3
"""Runs several velk scenarios in one velk process (velk --batch) and checks
each one as run_scenario.py does.

Starting a Windows process is what costs under an emulator (a minute for
32-bit code through qemu), so a batch makes many scenarios cost one start.
Each scenario gets a fresh directory below --work with its registry.reg;
velk runs it in the scenario's own directory, so its args file means what it
means for run_scenario.py.

A scenario whose script stops velk (it ends while the plug-in waits for
input, or a command does not fit) ends the process and so the batch. Such a
scenario says so with a file "stops" in its directory (see run_scenario.py):
the batch runs the others in name order, then the first of the stopping ones
by name; the rest of those are left out (their own single runs check them).
The batch checks the files: a run that stops velk without one, or one with
it that runs to its end, fails. A directory without its script or expect
file fails too. Runs the batch did not reach count as failures.

With --reference VELK, every scenario also runs alone through that velk
(natively, no emulator), and the batch's saved registry, transcript and exit
status must be byte for byte the same as the single run's.

Prints one line per scenario and a closing "batch: N passed, M failed".
"""
import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_scenario  # noqa: E402


def read_or_none(path):
    return open(path, "rb").read() if os.path.exists(path) else None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--velk", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--emulator", action="append", default=[],
                    help="the emulator's program or one of its arguments (repeatable; ';' also separates)")
    ap.add_argument("--reference", help="a native velk to run each scenario alone with, for comparison")
    ap.add_argument("--timeout", type=int, default=1800)
    ap.add_argument("scenarios", nargs="+", help="scenario directories, in any order")
    args = ap.parse_args()
    emulator = [p for value in args.emulator for p in value.split(";") if p]
    if emulator and os.path.exists(emulator[0]):
        emulator[0] = os.path.abspath(emulator[0])  # velk runs in the scenario's directory
    conv = (lambda p: "Z:" + os.path.abspath(p).replace("/", "\\")) if emulator else os.path.abspath
    work = os.path.abspath(args.work)
    given = sorted((os.path.abspath(s) for s in args.scenarios), key=os.path.basename)
    if len(set(map(os.path.basename, given))) != len(given):
        print("run_batch: a scenario is given twice")
        return 2
    incomplete = [s for s in given if run_scenario.missing_files(s)]
    complete = [s for s in given if s not in incomplete]
    stopping = [s for s in complete if run_scenario.stops_velk(s)]
    scenarios = [s for s in complete if s not in stopping] + stopping[:1]
    left_out = stopping[1:]
    names = [os.path.basename(s) for s in scenarios]

    if os.path.exists(work):
        shutil.rmtree(work)
    os.makedirs(work)
    lines = []
    befores = {}
    for scenario, name in zip(scenarios, names):
        d = os.path.join(work, name)
        os.makedirs(d)
        src = os.path.join(scenario, "registry.reg")
        if os.path.exists(src):
            shutil.copyfile(src, os.path.join(d, "registry.reg"))
        befores[name] = read_or_none(os.path.join(d, "registry.reg"))
        extra = []
        if os.path.exists(os.path.join(scenario, "args")):
            with open(os.path.join(scenario, "args")) as f:
                extra = shlex.split(f.read())
        fields = [conv(scenario), "--registry", conv(os.path.join(d, "registry.reg")),
                  "--script", conv(os.path.join(scenario, "script")),
                  "--transcript", conv(os.path.join(d, "transcript.txt"))] + extra
        if any("\t" in f or "\n" in f for f in fields):
            print("run_batch: %s: an argument holds a tab or a line break" % name)
            return 2
        lines.append("\t".join(fields))
    batch = os.path.join(work, "batch.txt")
    with open(batch, "w", newline="\n") as f:
        f.write("# velk --batch: directory, then arguments, tab-separated\n")
        f.write("\n".join(lines) + "\n")

    cmd = emulator + [os.path.abspath(args.velk), "--batch", conv(batch)]
    proc = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=args.timeout)
    stderr = proc.stderr.decode("utf-8", "replace").replace("\r\n", "\n")

    # Split the standard error at the batch's marks: each run's own text
    # and exit status.
    runs = {}
    current, text = None, []
    for line in stderr.split("\n"):
        m = re.match(r"velk-batch: (begin|end) (\d+)(?: exit (-?\d+))?( stopped)?", line)
        if m and m.group(1) == "begin":
            current, text = int(m.group(2)), []
        elif m and m.group(1) == "end" and current == int(m.group(2)):
            runs[current] = (int(m.group(3)), "\n".join(text), bool(m.group(4)))
            current = None
        elif current is not None:
            text.append(line)

    passed, failed = 0, 0
    for scenario in incomplete:
        failed += 1
        print("scenario %s: FAILED\n  FAILED no %s in %s" % (
            os.path.basename(scenario), " or ".join(run_scenario.missing_files(scenario)), scenario))
    for i, (scenario, name) in enumerate(zip(scenarios, names), 1):
        d = os.path.join(work, name)
        failures = []
        if i not in runs:
            failures.append("the batch did not finish this run (velk exit %d)" % proc.returncode)
            checks = 0
        else:
            status, text, stopped = runs[i]
            if stopped and scenario not in stopping:
                failures.append("the script stopped velk, which ends a batch, but the scenario has no 'stops' file")
            elif not stopped and scenario in stopping:
                failures.append("the scenario has a 'stops' file but its script ran to its end")
            after = read_or_none(os.path.join(d, "registry.reg"))
            trans = read_or_none(os.path.join(d, "transcript.txt")) or b""
            checks, more = run_scenario.check(scenario, status, befores[name], after, trans, text)
            failures += more
            if args.reference:
                ref = argparse.Namespace(velk=os.path.abspath(args.reference), extra=[])
                rproc, _, rafter, rtrans = run_scenario.run_velk(ref, scenario, os.path.join(d, "alone"), [])
                checks += 1
                diff = [what for what, same in (("exit status", rproc.returncode == status),
                                                ("saved registry", rafter == after),
                                                ("transcript", rtrans == trans)) if not same]
                if diff:
                    failures.append("differs from the run alone through %s: %s (see %s)" % (
                        args.reference, ", ".join(diff), os.path.join(d, "alone")))
        if failures:
            failed += 1
            print("scenario %s: FAILED" % name)
            for f in failures:
                print("  FAILED " + f)
            if i in runs:
                print("  --- stderr ---\n" + runs[i][1])
        else:
            passed += 1
            print("scenario %s: %d checks passed" % (name, checks))
    for scenario in left_out:
        print("scenario %s: left out: it stops velk, and %s already ends the batch" % (
            os.path.basename(scenario), names[-1]))
    if failed and proc.returncode != 0:
        print("--- velk's whole standard error (exit %d) ---\n%s" % (proc.returncode, stderr[-4000:]))
    print("batch: %d passed, %d failed (one velk process)" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
