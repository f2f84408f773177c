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
import shutil
import subprocess
import sys

from velk_scenarios.checks import check
from velk_scenarios.scenario import (add_velk_arguments, emulator_of, extra_args, missing_files, path_for,
                                     read_or_none, run_velk, stops_velk)


class Plan:
    """The scenarios given, sorted into those the batch runs, in order, and
    those it cannot run."""

    def __init__(self, given):
        self.incomplete = [s for s in given if missing_files(s)]
        complete = [s for s in given if s not in self.incomplete]
        self.stopping = [s for s in complete if stops_velk(s)]
        self.scenarios = [s for s in complete if s not in self.stopping] + self.stopping[:1]
        self.left_out = self.stopping[1:]
        self.names = [os.path.basename(s) for s in self.scenarios]


def write_batch(plan, work, conv):
    """Lays out a fresh folder per scenario and writes the batch file; returns
    its path and each scenario's registry file as it was before, or None
    (an error printed) when an argument cannot go into a batch line."""
    lines, befores = [], {}
    for scenario, name in zip(plan.scenarios, plan.names):
        d = os.path.join(work, name)
        os.makedirs(d)
        src = os.path.join(scenario, "registry.reg")
        if os.path.exists(src):
            shutil.copyfile(src, os.path.join(d, "registry.reg"))
        befores[name] = read_or_none(os.path.join(d, "registry.reg"))
        fields = [conv(scenario), "--registry", conv(os.path.join(d, "registry.reg")),
                  "--script", conv(os.path.join(scenario, "script")),
                  "--transcript", conv(os.path.join(d, "transcript.txt"))] + extra_args(scenario)
        if any("\t" in f or "\n" in f for f in fields):
            print("run_batch: %s: an argument holds a tab or a line break" % name)
            return None, None
        lines.append("\t".join(fields))
    batch = os.path.join(work, "batch.txt")
    with open(batch, "w", newline="\n") as f:
        f.write("# velk --batch: directory, then arguments, tab-separated\n")
        f.write("\n".join(lines) + "\n")
    return batch, befores


def split_runs(stderr):
    """Splits the standard error at the batch's marks: {run number: (exit
    status, the run's own text, whether it stopped velk)}."""
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
    return runs


def check_run(args, plan, scenario, d, run, before):
    """The checks of one scenario's run in the batch: (checks, failures)."""
    status, text, stopped = run
    failures = []
    if stopped and scenario not in plan.stopping:
        failures.append("the script stopped velk, which ends a batch, but the scenario has no 'stops' file")
    elif not stopped and scenario in plan.stopping:
        failures.append("the scenario has a 'stops' file but its script ran to its end")
    after = read_or_none(os.path.join(d, "registry.reg"))
    trans = read_or_none(os.path.join(d, "transcript.txt")) or b""
    checks, more = check(scenario, status, before, after, trans, text)
    failures += more
    if args.reference:
        rproc, _, rafter, rtrans = run_velk(args.reference, scenario, os.path.join(d, "alone"), [])
        checks += 1
        diff = [what for what, same in (("exit status", rproc.returncode == status),
                                        ("saved registry", rafter == after),
                                        ("transcript", rtrans == trans)) if not same]
        if diff:
            failures.append("differs from the run alone through %s: %s (see %s)" % (
                args.reference, ", ".join(diff), os.path.join(d, "alone")))
    return checks, failures


def report(args, plan, work, runs, returncode, befores):
    """Prints a line per scenario; returns (passed, failed)."""
    passed, failed = 0, 0
    for scenario in plan.incomplete:
        failed += 1
        print("scenario %s: FAILED\n  FAILED no %s in %s" % (
            os.path.basename(scenario), " or ".join(missing_files(scenario)), scenario))
    for i, (scenario, name) in enumerate(zip(plan.scenarios, plan.names), 1):
        if i in runs:
            checks, failures = check_run(args, plan, scenario, os.path.join(work, name), runs[i], befores[name])
        else:
            checks, failures = 0, ["the batch did not finish this run (velk exit %d)" % returncode]
        if not failures:
            passed += 1
            print("scenario %s: %d checks passed" % (name, checks))
            continue
        failed += 1
        print("scenario %s: FAILED" % name)
        for f in failures:
            print("  FAILED " + f)
        if i in runs:
            print("  --- stderr ---\n" + runs[i][1])
    for scenario in plan.left_out:
        print("scenario %s: left out: it stops velk, and %s already ends the batch" % (
            os.path.basename(scenario), plan.names[-1]))
    return passed, failed


def main():
    ap = argparse.ArgumentParser()
    add_velk_arguments(ap)
    ap.add_argument("--reference", help="a native velk to run each scenario alone with, for comparison")
    ap.add_argument("--timeout", type=int, default=1800)
    ap.add_argument("scenarios", nargs="+", help="scenario directories, in any order")
    args = ap.parse_args()
    emulator = emulator_of(args)
    work = os.path.abspath(args.work)
    given = sorted((os.path.abspath(s) for s in args.scenarios), key=os.path.basename)
    if len(set(map(os.path.basename, given))) != len(given):
        print("run_batch: a scenario is given twice")
        return 2
    plan = Plan(given)
    if os.path.exists(work):
        shutil.rmtree(work)
    os.makedirs(work)
    conv = path_for(emulator)
    batch, befores = write_batch(plan, work, conv)
    if batch is None:
        return 2

    cmd = emulator + [os.path.abspath(args.velk), "--batch", conv(batch)]
    proc = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=args.timeout)
    stderr = proc.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
    passed, failed = report(args, plan, work, split_runs(stderr), proc.returncode, befores)
    if failed and proc.returncode != 0:
        print("--- velk's whole standard error (exit %d) ---\n%s" % (proc.returncode, stderr[-4000:]))
    print("batch: %d passed, %d failed (one velk process)" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
