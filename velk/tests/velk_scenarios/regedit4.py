"""Reads the REGEDIT4 files velk saves."""
import re


def parse_reg(data):
    """REGEDIT4 as written by velk: {lower-case key path: (path, {lower name: (name, type, bytes)})}."""
    lines = data.decode("latin-1").replace("\r\n", "\n").split("\n")
    if not lines or lines[0].strip() != "REGEDIT4":
        raise ValueError("not a REGEDIT4 file")
    keys = {}
    current = None
    for line in logical_lines(lines[1:]):
        if not line.strip() or line.startswith(";"):
            continue
        if line.startswith("["):
            path = line[1:line.rindex("]")]
            current = keys.setdefault(path.lower(), (path, {}))[1]
            continue
        if current is None:
            raise ValueError("value before any key: " + line)
        name, value = parse_value_line(line)
        current[name.lower()] = (name,) + value
    return keys


def logical_lines(lines):
    """The lines with hex data joined over the lines that end in a backslash."""
    i = 0
    while i < len(lines):
        line = lines[i]
        i += 1
        while re.search(r"=hex(\([0-9a-fA-F]+\))?:.*\\$", line) and i < len(lines):
            line = line[:-1] + lines[i].strip()
            i += 1
        yield line


def parse_value_line(line):
    """A value line: (name, (type, bytes))."""
    if line.startswith("@="):
        name, rest = "", line[2:]
    else:
        m = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
        if not m:
            raise ValueError("cannot read: " + line)
        name, rest = unquote(m.group(1)), m.group(2)
    if rest.startswith('"'):
        body = rest[1:rest.rindex('"')]
        return name, (1, (unquote(body) + "\0").encode("latin-1"))
    if rest.startswith("dword:"):
        return name, (4, int(rest[6:], 16).to_bytes(4, "little"))
    if rest.startswith("hex"):
        m = re.match(r"hex(?:\(([0-9a-fA-F]+)\))?:(.*)$", rest)
        kind = int(m.group(1), 16) if m.group(1) else 3
        digits = [b for b in m.group(2).replace(" ", "").split(",") if b]
        return name, (kind, bytes(int(b, 16) for b in digits))
    raise ValueError("cannot read value: " + line)


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
    """The text of a (name, type, bytes) value, without its terminator."""
    data = value[2]
    if data.endswith(b"\0"):
        data = data[:-1]
    return data.decode("latin-1")
