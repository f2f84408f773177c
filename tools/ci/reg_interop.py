#!/usr/bin/env python3
"""Interop with Wine's own reg.exe.

1. velk.exe under Wine starts from tools/ci/differential/oem_bytes (a table
   holding every byte from 0x01 to 0xFF and a group header), edits and
   applies, so the plug-in writes the table through the real registry; velk
   exports it (A, REGEDIT4).
2. reg delete, reg import A, reg export: Wine's reg.exe brings the table
   into the registry and writes it out in its own UTF-16 form (B).
3. velk reads B back, under Wine and natively, and the plug-in applies the
   table it finds there with one setting changed (ShowView; the script is
   tools/ci/reg_interop/read_back): velk writes a file only when the registry
   holds something the file lacks. Each saved export must be A with that
   one value changed, byte for byte, so every key, value and byte (the group
   marker 0x10 and the OEM bytes among them) survived.

  reg_interop.py --windows VELK.EXE --native VELK --emulator tools/wine-run \\
                 --emulator 64 --work DIR

Prints each check and "reg interop: N passed, M failed".
"""
import argparse
import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "velk", "tests"))  # where the velk_scenarios package is
from velk_scenarios.regedit4 import parse_reg  # noqa: E402
from velk_scenarios.scenario import add_emulator_argument, emulator_of, path_for, run_velk  # noqa: E402

TABLE = os.path.join(ROOT, "tools", "ci", "differential", "oem_bytes")
READ_BACK = os.path.join(ROOT, "tools", "ci", "reg_interop", "read_back")
KEY = "HKEY_CURRENT_USER\\Software\\VELK"


class Interop:
    """The checks made so far, and the tools they run."""

    def __init__(self, args):
        self.args = args
        self.emulator = emulator_of(args)
        self.work = os.path.abspath(args.work)
        self.results = []

    def record(self, what, ok, detail=""):
        self.results.append(ok)
        print("  %s %s%s" % ("ok    " if ok else "FAILED", what, "" if ok or not detail else ": " + detail))
        return ok

    def reg(self, *words):
        proc = subprocess.run(self.emulator + ["reg"] + list(words), stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        return proc.returncode, (proc.stdout + proc.stderr).decode("latin-1", "replace").strip()

    def finish(self):
        failed = self.results.count(False)
        print("reg interop: %d passed, %d failed" % (len(self.results) - failed, failed))
        return 1 if failed else 0


def stderr_of(proc):
    return "exit %d, %s" % (proc.returncode, proc.stderr.decode("latin-1", "replace").strip())


def export_table(t):
    """1. The table as velk exports it after the plug-in wrote it (A), or None."""
    proc, _, exported, _ = run_velk(t.args.windows, TABLE, os.path.join(t.work, "export"), t.emulator)
    if not t.record("velk.exe edits, applies and exports the table", proc.returncode == 0 and exported is not None,
                    stderr_of(proc)):
        return None
    keys = parse_reg(exported)
    texts = b"".join(v[2] for path, (_, values) in keys.items() if "\\associations\\" in path
                     for v in values.values() if v[1] == 1)
    masks = [values["mask"][2] for path, (_, values) in keys.items() if "mask" in values]
    t.record("the export holds a group header (Mask starting with 0x10)", any(m.startswith(b"\x10") for m in masks))
    absent = [b for b in range(1, 256) if bytes([b]) not in texts]
    t.record("the export holds every byte from 0x01 to 0xFF in the table's texts", not absent,
             "missing %s" % " ".join("%02X" % b for b in absent))
    return exported


def through_reg_exe(t, exported):
    """2. A through reg.exe's import and export; the path of its export (B), or None."""
    a_path = os.path.join(t.work, "A.reg")
    with open(a_path, "wb") as f:
        f.write(exported)
    winpath = path_for(t.emulator)
    t.reg("delete", KEY, "/f")  # absent on a fresh prefix: its failure is no matter
    rc, out = t.reg("import", winpath(a_path))
    t.record("reg import of velk's export", rc == 0, "status %d: %s" % (rc, out))
    b_path = os.path.join(t.work, "B.reg")
    rc, out = t.reg("export", KEY, winpath(b_path), "/y")
    if not t.record("reg export of the branch", rc == 0 and os.path.exists(b_path), "status %d: %s" % (rc, out)):
        return None
    with open(b_path, "rb") as f:
        b = f.read()
    t.record("reg export wrote its UTF-16 form", b.startswith(b"\xff\xfe") and
             b[2:].decode("utf-16-le", "replace").startswith("Windows Registry Editor Version 5.00"))
    return b_path


SHOW_VIEW_OFF = b'"ShowView"=dword:00000000'
SHOW_VIEW_ON = b'"ShowView"=dword:00000001'


def read_back(t, exported, b_path):
    """3. velk reads reg.exe's export back and applies it with ShowView set:
    A again, but for that value."""
    if not t.record("velk's export holds ShowView off once", exported.count(SHOW_VIEW_OFF) == 1):
        return
    exported = exported.replace(SHOW_VIEW_OFF, SHOW_VIEW_ON)
    scenario = os.path.join(t.work, "read_back")
    shutil.copytree(READ_BACK, scenario)
    shutil.copyfile(b_path, os.path.join(scenario, "registry.reg"))
    for label, velk, emu in (("velk.exe under Wine", t.args.windows, t.emulator),
                             ("native velk", t.args.native, [])):
        proc, _, back, _ = run_velk(velk, scenario, os.path.join(t.work, "back-" + ("wine" if emu else "native")), emu)
        if proc.returncode != 0 or back is None:
            t.record("%s reads reg.exe's export" % label, False, stderr_of(proc))
            continue
        detail = ""
        if back != exported:
            try:
                mine, theirs = parse_reg(exported), parse_reg(back)
                diff = [k for k in sorted(set(mine) | set(theirs)) if mine.get(k) != theirs.get(k)]
                detail = "differs in %s" % (", ".join(diff[:5]) or "layout only")
            except ValueError:
                detail = "the file is not in velk's REGEDIT4 form (velk did not write it)"
        t.record("%s reads reg.exe's export back to velk's own export (ShowView set), byte for byte" % label,
                 back == exported, detail)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--windows", required=True)
    ap.add_argument("--native", required=True)
    add_emulator_argument(ap)
    ap.add_argument("--work", required=True)
    t = Interop(ap.parse_args())
    if os.path.exists(t.work):
        shutil.rmtree(t.work)
    os.makedirs(t.work)
    exported = export_table(t)
    b_path = exported is not None and through_reg_exe(t, exported)
    if b_path:
        read_back(t, exported, b_path)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
