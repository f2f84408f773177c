#!/usr/bin/env python3
"""Checks the product DLL with the mingw objdump: a PE32 (not PE32+) DLL for
i386, exporting exactly SetStartupInfo, GetPluginInfo, Configure and
OpenPlugin by their plain names, importing only from DLLs that every Windows
system has (no compiler runtime DLLs beside it); at most 64 KiB, without
debug sections, and naming its debug information, the file beside it that
the build made, by a GNU debug link whose CRC matches that file.

  check_dll.py [--quiet] [--objdump PROGRAM] Tollex.dll

Prints each finding and "DLL check: N passed, M failed"; status 1 on any
failure.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import zlib

EXPORTS = {"SetStartupInfo", "GetPluginInfo", "Configure", "OpenPlugin"}
# Libraries of the system itself; anything else (libstdc++-6.dll,
# libgcc_s_dw2-1.dll, libwinpthread-1.dll, ...) would have to ship beside it.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll", "ntdll.dll", "gdi32.dll",
               "shell32.dll", "ole32.dll", "oleaut32.dll", "version.dll", "shlwapi.dll", "ws2_32.dll"}
# The ceiling of the shipped module's size.
MAX_BYTES = 64 * 1024


def parse(dump):
    """Format, optional-header magic, characteristics, exports and imports
    from the text of objdump -p."""
    info = {"format": None, "magic": None, "dll": False, "exports": [], "imports": []}
    m = re.search(r"file format (\S+)", dump)
    info["format"] = m.group(1) if m else None
    m = re.search(r"^Magic\s+([0-9a-fA-F]+)", dump, re.M)
    info["magic"] = m.group(1).lower() if m else None
    m = re.search(r"^Characteristics\s+0x[0-9a-fA-F]+\n((?:\t+.*\n)*)", dump, re.M)
    info["dll"] = bool(m and re.search(r"^\t+DLL\s*$", m.group(1), re.M))
    m = re.search(r"^\[Ordinal/Name Pointer\] Table\n((?:\t\[ *\d+\] .*\n?)*)", dump, re.M)
    if m:
        info["exports"] = re.findall(r"\[ *\d+\] (\S+)", m.group(1))
    info["imports"] = re.findall(r"^\tDLL Name: (\S+)", dump, re.M)
    return info


def section_bytes(dump):
    """The bytes of the text of objdump -s (lines of an address, up to four
    groups of hex digits and their characters)."""
    data = bytearray()
    for line in dump.splitlines():
        if re.match(r"^ [0-9a-f]+ [0-9a-f]", line):
            data += bytes.fromhex("".join(line[1:].split("  ")[0].split()[1:]))
    return bytes(data)


def debug_link(objdump, dll):
    """(file name, CRC) of the DLL's GNU debug link, or None: the name, its
    terminator and padding to four bytes, then the CRC-32 of the file."""
    proc = subprocess.run([objdump, "-s", "-j", ".gnu_debuglink", dll], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL)
    data = section_bytes(proc.stdout.decode("latin-1")) if proc.returncode == 0 else b""
    end = data.find(b"\0")
    crc_at = (end + 4) & ~3
    if end <= 0 or len(data) < crc_at + 4:
        return None
    return data[:end].decode("latin-1"), int.from_bytes(data[crc_at:crc_at + 4], "little")


def symbols_check(objdump, dll):
    """(ok, why) for the debug link: the named file lies beside the DLL and
    its CRC is the one the link records."""
    link = debug_link(objdump, dll)
    if link is None:
        return False, "no GNU debug link"
    name, crc = link
    path = os.path.join(os.path.dirname(dll), name)
    if not os.path.isfile(path):
        return False, "the link names %s, which is not beside the DLL" % name
    with open(path, "rb") as f:
        actual = zlib.crc32(f.read())
    return actual == crc, "the link's CRC %08x is not that of %s (%08x)" % (crc, name, actual)


def main():
    ap = argparse.ArgumentParser()
    # The x86-64 mingw objdump reads both PE32 and PE32+, so a wrong build is
    # reported by its format rather than as unreadable.
    ap.add_argument("--objdump", default=shutil.which("x86_64-w64-mingw32-objdump") or "objdump")
    ap.add_argument("--quiet", action="store_true", help="print only the closing line")
    ap.add_argument("dll")
    args = ap.parse_args()
    proc = subprocess.run([args.objdump, "-p", args.dll], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if proc.returncode != 0:
        print("DLL check: objdump cannot read %s: %s" % (args.dll, proc.stderr.decode(errors="replace").strip()))
        print("DLL check: 0 passed, 1 failed")
        return 1
    info = parse(proc.stdout.decode("latin-1"))
    headers = subprocess.run([args.objdump, "-h", args.dll], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    debug = sorted(set(re.findall(r"^\s*\d+ (\.debug\S*)", headers.stdout.decode("latin-1"), re.M)))
    size = os.path.getsize(args.dll)
    linked, link_why = symbols_check(args.objdump, args.dll)
    unexpected = sorted(set(info["exports"]) - EXPORTS)
    missing = sorted(EXPORTS - set(info["exports"]))
    foreign = sorted(d for d in info["imports"] if d.lower() not in SYSTEM_DLLS and
                     not d.lower().startswith("api-ms-win-"))
    checks = [
        ("format pei-i386 (i386 code)", info["format"] == "pei-i386", "format %s" % info["format"]),
        ("PE32 optional header (magic 010b)", info["magic"] == "010b", "magic %s" % info["magic"]),
        ("a DLL", info["dll"], "the DLL characteristic is not set"),
        ("exactly the four exports", not unexpected and not missing and len(info["exports"]) == 4,
         "exports %s (missing %s, unexpected %s)" % (info["exports"], missing, unexpected)),
        ("imports only from system DLLs (%s)" % ", ".join(info["imports"]), bool(info["imports"]) and not foreign,
         "imports %s; not system DLLs: %s" % (info["imports"], foreign)),
        ("at most %d bytes (%d)" % (MAX_BYTES, size), size <= MAX_BYTES, "%d bytes" % size),
        ("no debug sections", headers.returncode == 0 and not debug,
         "sections %s" % ", ".join(debug) if debug else "objdump -h failed"),
        ("its debug information beside it, by a debug link", linked, link_why),
    ]
    failed = 0
    for what, ok, why in checks:
        if not ok:
            failed += 1
        if not args.quiet:
            print("  %s %s%s" % ("ok    " if ok else "FAILED", what, "" if ok else ": " + why))
    print("DLL check of %s: %d passed, %d failed" % (args.dll, len(checks) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
