#!/usr/bin/env python3
"""Interop with Wine's own reg.exe.

1. velk.exe under Wine starts from tools/ci/differential/oem_bytes (a table
   holding every byte from 0x01 to 0xFF and a group header), edits and
   applies, so the plug-in writes the table through the real registry; velk
   exports it (A, REGEDIT4).
2. reg delete, reg import A, reg export: Wine's reg.exe brings the table
   into the registry and writes it out in its own UTF-16 form (B).
3. velk reads B back, under Wine and natively, with a script that changes
   nothing; each saved export must be A byte for byte, so every key, value
   and byte (the group marker 0x10 and the OEM bytes among them) survived.

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
sys.path.insert(0, os.path.join(ROOT, "velk", "tests"))
import run_scenario  # noqa: E402

TABLE = os.path.join(ROOT, "tools", "ci", "differential", "oem_bytes")
KEY = "HKEY_CURRENT_USER\\Software\\VELK"


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--windows", required=True)
    ap.add_argument("--native", required=True)
    ap.add_argument("--emulator", action="append", default=[])
    ap.add_argument("--work", required=True)
    args = ap.parse_args()
    emulator = [p for value in args.emulator for p in value.split(";") if p]
    if emulator and os.path.exists(emulator[0]):
        emulator[0] = os.path.abspath(emulator[0])
    work = os.path.abspath(args.work)
    if os.path.exists(work):
        shutil.rmtree(work)
    os.makedirs(work)
    results = []

    def record(what, ok, detail=""):
        results.append(ok)
        print("  %s %s%s" % ("ok    " if ok else "FAILED", what, "" if ok or not detail else ": " + detail))
        return ok

    def reg(*words):
        proc = subprocess.run(emulator + ["reg"] + list(words), stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        return proc.returncode, (proc.stdout + proc.stderr).decode("latin-1", "replace").strip()

    # 1. The table as velk exports it after the plug-in wrote it.
    windows = argparse.Namespace(velk=os.path.abspath(args.windows), extra=[])
    proc, _, exported, _ = run_scenario.run_velk(windows, TABLE, os.path.join(work, "export"), emulator)
    if not record("velk.exe edits, applies and exports the table", proc.returncode == 0 and exported is not None,
                  "exit %d, %s" % (proc.returncode, proc.stderr.decode("latin-1", "replace").strip())):
        return finish(results)
    a_path = os.path.join(work, "A.reg")
    with open(a_path, "wb") as f:
        f.write(exported)
    keys = run_scenario.parse_reg(exported)
    texts = b"".join(v[2] for path, (_, values) in keys.items() if "\\associations\\" in path
                     for v in values.values() if v[1] == 1)
    masks = [values["mask"][2] for path, (_, values) in keys.items() if "mask" in values]
    record("the export holds a group header (Mask starting with 0x10)", any(m.startswith(b"\x10") for m in masks))
    absent = [b for b in range(1, 256) if bytes([b]) not in texts]
    record("the export holds every byte from 0x01 to 0xFF in the table's texts", not absent,
           "missing %s" % " ".join("%02X" % b for b in absent))

    # 2. Through reg.exe.
    reg("delete", KEY, "/f")  # absent on a fresh prefix: its failure is no matter
    rc, out = reg("import", winpath(a_path))
    record("reg import of velk's export", rc == 0, "status %d: %s" % (rc, out))
    b_path = os.path.join(work, "B.reg")
    rc, out = reg("export", KEY, winpath(b_path), "/y")
    ok = rc == 0 and os.path.exists(b_path)
    record("reg export of the branch", ok, "status %d: %s" % (rc, out))
    if not ok:
        return finish(results)
    b = open(b_path, "rb").read()
    record("reg export wrote its UTF-16 form", b.startswith(b"\xff\xfe") and
           b[2:].decode("utf-16-le", "replace").startswith("Windows Registry Editor Version 5.00"))

    # 3. velk reads reg.exe's export back, changes nothing and saves.
    noop = os.path.join(work, "noop")
    os.makedirs(noop)
    with open(os.path.join(noop, "script"), "w") as f:
        f.write("# Open the list and leave it unchanged.\nopen\nkey Esc\n")
    native = argparse.Namespace(velk=os.path.abspath(args.native), extra=[])
    for label, velk, emu in (("velk.exe under Wine", windows, emulator), ("native velk", native, [])):
        shutil.copyfile(b_path, os.path.join(noop, "registry.reg"))
        proc, _, back, _ = run_scenario.run_velk(velk, noop, os.path.join(work, "back-" + ("wine" if emu else "native")),
                                                 emu)
        if proc.returncode != 0 or back is None:
            record("%s reads reg.exe's export" % label, False,
                   "exit %d, %s" % (proc.returncode, proc.stderr.decode("latin-1", "replace").strip()))
            continue
        same = back == exported
        detail = ""
        if not same:
            mine, theirs = run_scenario.parse_reg(exported), run_scenario.parse_reg(back)
            diff = [k for k in sorted(set(mine) | set(theirs)) if mine.get(k) != theirs.get(k)]
            detail = "differs in %s" % (", ".join(diff[:5]) or "layout only")
        record("%s reads reg.exe's export back to velk's own export, byte for byte" % label, same, detail)
    os.remove(os.path.join(noop, "registry.reg"))
    return finish(results)


def finish(results):
    failed = results.count(False)
    print("reg interop: %d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
