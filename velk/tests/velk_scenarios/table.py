"""Association tables of any size, as REGEDIT4 files velk can load: a group
header every 25 entries, three commands and a mask for each entry. The same
size gives the same bytes, so that runs on them compare.

    python3 -m velk_scenarios.table ENTRIES FILE     (velk/tests on the path)
"""
import sys

ASSOC = "HKEY_CURRENT_USER\\Software\\VELK\\Associations"
NAMES = ("Mask", "Description", "Execute", "AltExec", "View", "AltView", "Edit", "AltEdit")


def entry_lines(n):
    """The key of entry n (Type<n>) and its eight values."""
    lines = ["[%s\\Type%d]" % (ASSOC, n)]
    if n % 25 == 0:
        # A group header: its mask is the title after byte 0x10.
        title = b"\x10Group %d\x00" % (n // 25 + 1)
        lines.append('"Mask"=hex(1):' + ",".join("%02x" % b for b in title))
        lines += ['"%s"=""' % name for name in NAMES[1:]]
    else:
        texts = ("*.e%d" % n, "Entry %d" % n, "run%d {file}" % n, "", "view%d {file}" % n, "",
                 "edit%d {file}" % n, "")
        lines += ['"%s"="%s"' % pair for pair in zip(NAMES, texts)]
    return lines + [""]


def table_bytes(entries):
    lines = ["REGEDIT4", "", "[%s]" % ASSOC, ""]
    for n in range(entries):
        lines += entry_lines(n)
    return "\r\n".join(lines).encode("latin-1")


def write_table(path, entries):
    with open(path, "wb") as f:
        f.write(table_bytes(entries))


if __name__ == "__main__":
    if len(sys.argv) != 3 or not sys.argv[1].isdigit():
        sys.exit("usage: python3 -m velk_scenarios.table ENTRIES FILE")
    write_table(sys.argv[2], int(sys.argv[1]))
