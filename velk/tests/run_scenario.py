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
                waits for input, or a command does not fit what is shown.
                velk then ends its process from inside the plug-in's call,
                which in a batch (run_batch.py) ends the batch, so a batch
                runs at most one such scenario, last. The file's text says
                why; only its presence counts.

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
import re
import shlex
import shutil
import subprocess
import sys

BRANCH = "HKEY_CURRENT_USER\\Software\\VELK"


def unescape(text):
    return re.sub(r"\\x([0-9A-Fa-f]{2})", lambda m: chr(int(m.group(1), 16)), text)


def parse_reg(data):
    """REGEDIT4 as written by velk: {lower-case key path: (path, {lower name: (name, type, bytes)})}."""
    text = data.decode("latin-1")
    lines = text.replace("\r\n", "\n").split("\n")
    if not lines or lines[0].strip() != "REGEDIT4":
        raise ValueError("not a REGEDIT4 file")
    keys = {}
    current = None
    i = 1
    while i < len(lines):
        line = lines[i]
        i += 1
        # Hex data go on over lines that end in a backslash.
        while re.search(r"=hex(\([0-9a-fA-F]+\))?:.*\\$", line) and i < len(lines):
            line = line[:-1] + lines[i].strip()
            i += 1
        if not line.strip() or line.startswith(";"):
            continue
        if line.startswith("["):
            path = line[1:line.rindex("]")]
            current = keys.setdefault(path.lower(), (path, {}))[1]
            continue
        if current is None:
            raise ValueError("value before any key: " + line)
        if line.startswith("@="):
            name, rest = "", line[2:]
        else:
            m = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
            if not m:
                raise ValueError("cannot read: " + line)
            name, rest = unquote(m.group(1)), m.group(2)
        if rest.startswith('"'):
            body = rest[1:rest.rindex('"')]
            value = (1, (unquote(body) + "\0").encode("latin-1"))
        elif rest.startswith("dword:"):
            value = (4, int(rest[6:], 16).to_bytes(4, "little"))
        elif rest.startswith("hex"):
            m = re.match(r"hex(?:\(([0-9a-fA-F]+)\))?:(.*)$", rest)
            kind = int(m.group(1), 16) if m.group(1) else 3
            digits = [b for b in m.group(2).replace(" ", "").split(",") if b]
            value = (kind, bytes(int(b, 16) for b in digits))
        else:
            raise ValueError("cannot read value: " + line)
        current[name.lower()] = (name,) + value
    return keys


def unquote(s):
    out, i = [], 0
    while i < len(s):
        c = s[i]
        if c == "\\" and i + 1 < len(s):
            i += 1
            out.append({"n": "\n", "r": "\r", "0": "\0"}.get(s[i], s[i]))
        else:
            out.append(c)
        i += 1
    return "".join(out)


def sz(value):
    data = value[2]
    if data.endswith(b"\0"):
        data = data[:-1]
    return data.decode("latin-1")


def missing_files(scenario):
    """The files every scenario must have that its directory lacks."""
    return [f for f in ("script", "expect") if not os.path.isfile(os.path.join(scenario, f))]


def stops_velk(scenario):
    return os.path.exists(os.path.join(scenario, "stops"))


def run_velk(args, scenario, workdir, emulator):
    if os.path.exists(workdir):
        shutil.rmtree(workdir)
    os.makedirs(workdir)
    registry = os.path.join(workdir, "registry.reg")
    src = os.path.join(scenario, "registry.reg")
    if os.path.exists(src):
        shutil.copyfile(src, registry)
    transcript = os.path.join(workdir, "transcript.txt")
    extra = []
    argfile = os.path.join(scenario, "args")
    if os.path.exists(argfile):
        with open(argfile) as f:
            extra = shlex.split(f.read())
    conv = (lambda p: "Z:" + os.path.abspath(p).replace("/", "\\")) if emulator else (lambda p: p)
    cmd = list(emulator) + [args.velk, "--registry", conv(registry), "--script", conv(os.path.join(scenario, "script")),
                            "--transcript", conv(transcript)] + extra + args.extra
    before = open(registry, "rb").read() if os.path.exists(registry) else None
    proc = subprocess.run(cmd, cwd=scenario, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=300)
    after = open(registry, "rb").read() if os.path.exists(registry) else None
    trans = open(transcript, "rb").read() if os.path.exists(transcript) else b""
    return proc, before, after, trans


def check(scenario, returncode, before, after, trans, stderr):
    """Makes the checks of scenario/expect on what one run left behind:
    velk's exit status, the registry file before and after (bytes or None),
    the transcript (bytes) and the standard error (text). Returns the number
    of checks and the list of failures."""
    transcript = trans.decode("utf-8", "replace")
    failures = []
    keys = None

    def registry():
        nonlocal keys
        if keys is None:
            if after is None:
                raise AssertionError("no registry file was saved")
            keys = parse_reg(after)
        return keys

    def full(path):
        return (BRANCH + ("\\" + path if path else "")).lower()

    checks = 0
    with open(os.path.join(scenario, "expect"), encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            word, _, rest = line.strip().partition(" ")
            checks += 1
            try:
                if word == "exit":
                    if returncode != int(rest):
                        raise AssertionError("exit status %d" % returncode)
                elif word == "saved":
                    if after is None:
                        raise AssertionError("no registry file was saved")
                elif word == "unsaved":
                    if after != before:
                        raise AssertionError("the registry file was changed")
                elif word == "table":
                    want = [unescape(m.strip()) for m in rest.split("|")] if rest.strip() else []
                    reg = registry()
                    prefix = full("Associations") + "\\type"
                    types = sorted(int(k[len(prefix):]) for k in reg if k.startswith(prefix)
                                   and k[len(prefix):].isdigit())
                    got = []
                    for n in types:
                        mask = reg[prefix + str(n)][1].get("mask")
                        got.append(sz(mask) if mask else "<no Mask>")
                    if types != list(range(len(types))):
                        raise AssertionError("TypeN keys %s" % types)
                    if got != want:
                        raise AssertionError("table is %s" % " | ".join(got).encode("unicode_escape").decode())
                elif word in ("value", "dword"):
                    m = re.match(r"(\S+)\s+(\S+)\s+=\s?(.*)$", rest)
                    path, name, text = m.group(1), m.group(2), m.group(3)
                    key = registry().get(full(path))
                    if key is None:
                        raise AssertionError("no key " + path)
                    value = key[1].get(name.lower())
                    if value is None:
                        raise AssertionError("no value " + name)
                    if word == "value":
                        if value[1] != 1 or sz(value) != unescape(text):
                            raise AssertionError("value is type %d %r" % (value[1], sz(value)))
                    else:
                        if value[1] != 4 or int.from_bytes(value[2], "little") != int(text):
                            raise AssertionError("value is type %d %r" % (value[1], value[2]))
                elif word == "novalue":
                    path, name = rest.split()
                    key = registry().get(full(path))
                    if key is not None and name.lower() in key[1]:
                        raise AssertionError("the value exists")
                elif word == "values":
                    parts = rest.split()
                    key = registry().get(full(parts[0]))
                    if key is None:
                        raise AssertionError("no key " + parts[0])
                    got = sorted(v[0] for v in key[1].values())
                    if got != sorted(parts[1:]):
                        raise AssertionError("values are %s" % got)
                elif word == "key":
                    if full(rest.strip()) not in registry():
                        raise AssertionError("no such key")
                elif word == "nokey":
                    if full(rest.strip()) in registry():
                        raise AssertionError("the key exists")
                elif word == "transcript":
                    if unescape(rest) not in transcript:
                        raise AssertionError("not in the transcript")
                elif word == "notranscript":
                    if unescape(rest) in transcript:
                        raise AssertionError("in the transcript")
                elif word == "count":
                    n, _, text = rest.partition(" ")
                    got = transcript.count(unescape(text))
                    if got != int(n):
                        raise AssertionError("found %d times" % got)
                elif word == "stderr":
                    if unescape(rest) not in stderr:
                        raise AssertionError("not on stderr")
                else:
                    raise AssertionError("unknown check")
            except AssertionError as e:
                failures.append("expect line %d: %s: %s" % (number, line.strip(), e))
            except (ValueError, AttributeError) as e:
                failures.append("expect line %d: %s: %s" % (number, line.strip(), e))

    return checks, failures


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--velk", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--emulator", action="append", default=[],
                    help="the emulator's program or one of its arguments (repeatable; ';' also separates)")
    ap.add_argument("--extra", action="append", default=[], help="one more velk argument")
    ap.add_argument("scenario")
    args = ap.parse_args()
    emulator = [p for value in args.emulator for p in value.split(";") if p]
    scenario = os.path.abspath(args.scenario)
    args.velk = os.path.abspath(args.velk)
    missing = missing_files(scenario)
    if missing:
        print("scenario %s: FAILED: no %s in %s" % (os.path.basename(scenario), " or ".join(missing), scenario))
        return 1

    proc, before, after, trans = run_velk(args, scenario, os.path.join(args.work, "run1"), emulator)
    proc2, _, after2, trans2 = run_velk(args, scenario, os.path.join(args.work, "run2"), emulator)
    stderr = proc.stderr.decode("utf-8", "replace")
    transcript = trans.decode("utf-8", "replace")
    failures = []
    if proc2.returncode != proc.returncode or after2 != after or trans2 != trans:
        failures.append("a second run left a different result (exit %d vs %d, registry %s, transcript %s)" % (
            proc.returncode, proc2.returncode, "same" if after == after2 else "differs",
            "same" if trans == trans2 else "differs"))

    checks, more = check(scenario, proc.returncode, before, after, trans, stderr)
    failures += more

    name = os.path.basename(scenario)
    if failures:
        print("scenario %s: exit %d" % (name, proc.returncode))
        for f in failures:
            print("  FAILED " + f)
        print("--- stderr ---\n" + stderr)
        print("--- transcript (%s) ---" % os.path.join(args.work, "run1", "transcript.txt"))
        print(transcript[-6000:])
        return 1
    print("scenario %s: %d checks passed" % (name, checks))
    return 0


if __name__ == "__main__":
    sys.exit(main())
