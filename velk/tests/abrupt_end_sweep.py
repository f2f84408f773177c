#!/usr/bin/env python3
"""Ends velk after every mutating registry call of a scenario and opens the
plug-in again on what was left: no point may leave a partial table.

For each scenario directory given (its script, args and registry.reg as
run_scenario.py reads them), velk first runs whole; then once per point N
with --end-after-registry-write N (after the scenario's own
--fail-registry-write F, from F + 1 on), until a run makes fewer than N
calls and ends as usual. Each ended run must exit with status 5, its
transcript ending in the line that names N. All the reopening runs then go
into one velk --batch process: each opens the plug-in on the registry file
an ended run left, and must find

  - a complete journal (a slot marked complete): the table becomes exactly
    the newest complete slot's, message 28 is shown;
  - none: the table stays exactly as the ended run left it, no message 28;
  - either way no journal afterwards, and a table that is one of at most
    two: the one the scenario started from and the one it applies.

With --expect-state N=FILE (repeatable) the registry file left by the end
after call N of the first scenario must be byte for byte FILE (the scenarios that replay those
points in the 32-bit batch start from such files).

Prints the counts per scenario and a closing "sweep: N passed, M failed".
"""
import argparse
import concurrent.futures
import os
import shutil
import subprocess
import sys

from velk_scenarios.regedit4 import parse_reg
from velk_scenarios.scenario import extra_args, read_or_none

HERE = os.path.dirname(os.path.abspath(__file__))
BRANCH = "hkey_current_user\\software\\velk"
TABLE = BRANCH + "\\associations"
JOURNAL = BRANCH + "\\plugins\\tollex\\journal"
TOLD = "The last apply of the association table was interrupted"


def table_of(keys, root=TABLE):
    """The keys below root (and root itself) with their values, paths made
    relative to root, so that a journal slot compares with the table."""
    return {path[len(root):]: values for path, (_, values) in keys.items()
            if path == root or path.startswith(root + "\\")}


def journal_slot(keys):
    """The newest slot marked complete, as a table; None without one."""
    slots = []
    for path, (_, values) in keys.items():
        if path.startswith(JOURNAL + "\\") and path.count("\\") == JOURNAL.count("\\") + 1 and "complete" in values:
            slots.append((int.from_bytes(values["complete"][2], "little"), path))
    if not slots:
        return None
    table = table_of(keys, max(slots)[1])
    table[""] = {}  # the mark is the slot's own, not the table's
    return table


def fail_point(scenario):
    args = extra_args(scenario)
    return int(args[args.index("--fail-registry-write") + 1]) if "--fail-registry-write" in args else 0


def run(cmd, cwd):
    return subprocess.run(cmd, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=600)


def end_run(velk, scenario, work, point):
    """One run ended after the point: (status, registry file, failure or
    None); status 0 when the run made fewer calls and ended as usual."""
    d = os.path.join(work, "end%d" % point)
    os.makedirs(d)
    reg = os.path.join(d, "registry.reg")
    if os.path.exists(os.path.join(scenario, "registry.reg")):
        shutil.copyfile(os.path.join(scenario, "registry.reg"), reg)
    trans = os.path.join(d, "transcript.txt")
    proc = run([velk, "--registry", reg, "--script", os.path.join(scenario, "script"), "--transcript", trans,
                "--end-after-registry-write", str(point)] + extra_args(scenario), scenario)
    last = (read_or_none(trans) or b"").decode("utf-8", "replace").rstrip("\n").split("\n")[-1]
    if proc.returncode == 0:
        return 0, None, None
    if proc.returncode != 5 or last != "== ended after the plug-in's registry write %d (exit status 5)" % point:
        return proc.returncode, None, "end after %d: exit %d, last transcript line %r" % (point, proc.returncode, last)
    return 5, read_or_none(reg), None


def end_runs(velk, scenario, work):
    """Runs the scenario ended after each point, two at a time, up to the
    first run that ends as usual; returns {N: registry file} and the
    failures."""
    ended, failures = {}, []
    point = fail_point(scenario) + 1
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        while True:
            runs = [(p, pool.submit(end_run, velk, scenario, work, p)) for p in (point, point + 1)]
            for p, future in runs:
                status, registry, failure = future.result()
                if failure:
                    return ended, failures + [failure]
                if status == 0:
                    return ended, failures
                ended[p] = registry
            point += 2


def reopen_all(velk, ended, work):
    """Opens the plug-in on every ended file in one batch; returns {N:
    (exit status, registry after, transcript)}."""
    lines, told = [], {}
    for point in sorted(ended):
        d = os.path.join(work, "reopen%d" % point)
        os.makedirs(d)
        with open(os.path.join(d, "registry.reg"), "wb") as f:
            f.write(ended[point])
        told[point] = journal_slot(parse_reg(ended[point])) is not None
        script = os.path.join(HERE, "abrupt_end", "reopen_told.script" if told[point] else "reopen.script")
        lines.append("\t".join([d, "--registry", os.path.join(d, "registry.reg"), "--script", script,
                                "--transcript", os.path.join(d, "transcript.txt")]))
    batch = os.path.join(work, "reopen.batch")
    with open(batch, "w") as f:
        f.write("\n".join(lines) + "\n")
    proc = run([velk, "--batch", batch], work)
    statuses = {}
    for line in proc.stderr.decode("utf-8", "replace").split("\n"):
        parts = line.split()
        if line.startswith("velk-batch: end ") and len(parts) >= 5:
            statuses[sorted(ended)[int(parts[2]) - 1]] = int(parts[4])
    results = {}
    for point in sorted(ended):
        d = os.path.join(work, "reopen%d" % point)
        results[point] = (statuses.get(point), read_or_none(os.path.join(d, "registry.reg")),
                          (read_or_none(os.path.join(d, "transcript.txt")) or b"").decode("utf-8", "replace"))
    return results, told


def check_point(point, ended, result, told, wholes):
    """The failures of one reopened point; adds its table to wholes."""
    status, after, transcript = result
    if status != 0 or after is None:
        return ["point %d: the reopening ended with status %s" % (point, status)]
    before, reopened = parse_reg(ended), parse_reg(after)
    failures = []
    want = journal_slot(before) if told else table_of(before)
    got = table_of(reopened)
    if got != want:
        failures.append("point %d: the table is not %s" % (
            point, "the complete journal's" if told else "the one the end left"))
    if (TOLD in transcript) != told:
        failures.append("point %d: message 28 %s" % (point, "missing" if told else "shown"))
    if any(p == JOURNAL or p.startswith(JOURNAL + "\\") for p in reopened):
        failures.append("point %d: a journal is left" % point)
    key = repr(sorted((k, sorted(v.items())) for k, v in got.items()))
    wholes.setdefault(key, point)
    return failures


def sweep(velk, scenario, work, expected_states):
    name = os.path.basename(os.path.normpath(scenario))
    ended, failures = end_runs(velk, scenario, work)
    if not ended:
        return failures + ["no point to end after"]
    for point, path in expected_states.items():
        if ended.get(point) != read_or_none(path):
            failures.append("point %d: the registry file differs from %s" % (point, path))
    results, told = reopen_all(velk, ended, work)
    wholes = {}
    for point in sorted(ended):
        failures += check_point(point, ended[point], results[point], told[point], wholes)
    if len(wholes) > 2:
        failures.append("%d different tables (first at points %s): at most the old and the new may be" % (
            len(wholes), sorted(wholes.values())))
    completed = sum(told.values())
    print("sweep %s: %d points (calls %d-%d), %d completed from the journal with message 28, %d left as they "
          "stood, %d whole table(s)" % (name, len(ended), min(ended), max(ended), completed, len(ended) - completed,
                                        len(wholes)))
    return failures


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--velk", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--expect-state", action="append", default=[], help="N=FILE")
    ap.add_argument("scenarios", nargs="+")
    args = ap.parse_args()
    states = {int(n): os.path.abspath(p) for n, p in (s.split("=", 1) for s in args.expect_state)}
    velk = os.path.abspath(args.velk)
    passed = failed = 0
    for i, scenario in enumerate(args.scenarios):
        work = os.path.abspath(os.path.join(args.work, os.path.basename(os.path.normpath(scenario))))
        if os.path.exists(work):
            shutil.rmtree(work)
        os.makedirs(work)
        failures = sweep(velk, os.path.abspath(scenario), work, states if i == 0 else {})
        for f in failures[:20]:
            print("  FAILED " + f)
        passed, failed = (passed + 1, failed) if not failures else (passed, failed + 1)
    print("sweep: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
