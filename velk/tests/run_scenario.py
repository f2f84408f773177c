#!/usr/bin/env python3
"""Runs one velk scenario and checks what it left behind.

A scenario is a directory with:
  script        the velk script (required)
  registry.reg  the registry to start from (optional; without it velk starts
                from its built-in sample table)
  args          extra velk arguments, shell-quoted, on one line (optional);
                velk runs in the scenario directory, so relative paths name its files
  expect        the checks, one per line (see CHECKS below; required)
  stops         present when the script stops velk: it ends while the plug-in
                waits for input, or a command does not fit what is shown
                (or --end-after-registry-write ends velk).
                velk then ends its process from inside the plug-in's call,
                which in a batch (run_batch.py) ends the batch, so a batch
                runs at most one such scenario, last. The file's text says
                why; only its presence counts.

The package velk_scenarios beside this file reads, runs and checks
scenarios for this runner, run_batch.py and the CI tools.

velk runs twice, each time in a fresh directory below --work; the checks are
made on the first run, and the second run must leave a byte-identical
registry file and transcript (velk's output is deterministic).

CHECKS (blank lines and lines starting with # are skipped; TEXT may hold
\\xHH for a byte, and key paths are relative to HKEY_CURRENT_USER\\Software\\VELK):
  exit N                      velk's exit status
  saved                       the registry file was written
  unsaved                     the registry file is as it was before (or still absent)
  table M0 | M1 | ...         the Mask values of Associations\\Type0, Type1, ... in
                              order, and no other TypeN key
  value KEY NAME = TEXT       a REG_SZ value
  dword KEY NAME = N          a REG_DWORD value
  novalue KEY NAME            the value does not exist
  key KEY / nokey KEY         the key exists / does not exist
  values KEY N1 N2 ...        the key holds exactly these value names
  transcript TEXT             the transcript holds TEXT
  notranscript TEXT           the transcript does not hold TEXT
  count N TEXT                TEXT occurs exactly N times in the transcript
  stderr TEXT                 velk's standard error holds TEXT
"""
import argparse
import os
import sys

from velk_scenarios.checks import check
from velk_scenarios.scenario import add_velk_arguments, emulator_of, missing_files, run_velk


def report(name, proc, checks, failures, transcript_path, transcript):
    if not failures:
        print("scenario %s: %d checks passed" % (name, checks))
        return 0
    print("scenario %s: exit %d" % (name, proc.returncode))
    for f in failures:
        print("  FAILED " + f)
    print("--- stderr ---\n" + proc.stderr.decode("utf-8", "replace"))
    print("--- transcript (%s) ---" % transcript_path)
    print(transcript[-6000:])
    return 1


def main():
    ap = argparse.ArgumentParser()
    add_velk_arguments(ap)
    ap.add_argument("--extra", action="append", default=[], help="one more velk argument")
    ap.add_argument("scenario")
    args = ap.parse_args()
    emulator = emulator_of(args)
    scenario = os.path.abspath(args.scenario)
    name = os.path.basename(scenario)
    missing = missing_files(scenario)
    if missing:
        print("scenario %s: FAILED: no %s in %s" % (name, " or ".join(missing), scenario))
        return 1

    proc, before, after, trans = run_velk(args.velk, scenario, os.path.join(args.work, "run1"), emulator, args.extra)
    proc2, _, after2, trans2 = run_velk(args.velk, scenario, os.path.join(args.work, "run2"), emulator, args.extra)
    failures = []
    if proc2.returncode != proc.returncode or after2 != after or trans2 != trans:
        failures.append("a second run left a different result (exit %d vs %d, registry %s, transcript %s)" % (
            proc.returncode, proc2.returncode, "same" if after == after2 else "differs",
            "same" if trans == trans2 else "differs"))
    checks, more = check(scenario, proc.returncode, before, after, trans, proc.stderr.decode("utf-8", "replace"))
    return report(name, proc, checks, failures + more, os.path.join(args.work, "run1", "transcript.txt"),
                  trans.decode("utf-8", "replace"))


if __name__ == "__main__":
    sys.exit(main())
