"""The checks of a scenario's expect file (run_scenario.py lists them), made
on what one velk run left behind."""
import os
import re

from velk_scenarios.regedit4 import parse_reg, sz

BRANCH = "HKEY_CURRENT_USER\\Software\\VELK"


def unescape(text):
    return re.sub(r"\\x([0-9A-Fa-f]{2})", lambda m: chr(int(m.group(1), 16)), text)


class Run:
    """What one run left behind: velk's exit status, the registry file before
    and after (bytes or None), the transcript (bytes) and the standard error
    (text)."""

    def __init__(self, returncode, before, after, trans, stderr):
        self.returncode, self.before, self.after, self.stderr = returncode, before, after, stderr
        self.transcript = trans.decode("utf-8", "replace")
        self._keys = None

    def registry(self):
        if self._keys is None:
            if self.after is None:
                raise AssertionError("no registry file was saved")
            self._keys = parse_reg(self.after)
        return self._keys

    def key(self, path):
        """The key at path (relative to the branch), or None."""
        return self.registry().get((BRANCH + ("\\" + path if path else "")).lower())


def fail_unless(ok, message):
    if not ok:
        raise AssertionError(message)


def check_exit(run, rest):
    fail_unless(run.returncode == int(rest), "exit status %d" % run.returncode)


def check_saved(run, rest):
    fail_unless(run.after is not None, "no registry file was saved")


def check_unsaved(run, rest):
    fail_unless(run.after == run.before, "the registry file was changed")


def check_table(run, rest):
    want = [unescape(m.strip()) for m in rest.split("|")] if rest.strip() else []
    reg = run.registry()
    prefix = (BRANCH + "\\Associations").lower() + "\\type"
    types = sorted(int(k[len(prefix):]) for k in reg if k.startswith(prefix) and k[len(prefix):].isdigit())
    got = []
    for n in types:
        mask = reg[prefix + str(n)][1].get("mask")
        got.append(sz(mask) if mask else "<no Mask>")
    fail_unless(types == list(range(len(types))), "TypeN keys %s" % types)
    fail_unless(got == want, "table is %s" % " | ".join(got).encode("unicode_escape").decode())


def named_value(run, rest):
    m = re.match(r"(\S+)\s+(\S+)\s+=\s?(.*)$", rest)
    path, name, text = m.group(1), m.group(2), m.group(3)
    key = run.key(path)
    fail_unless(key is not None, "no key " + path)
    value = key[1].get(name.lower())
    fail_unless(value is not None, "no value " + name)
    return value, text


def check_value(run, rest):
    value, text = named_value(run, rest)
    fail_unless(value[1] == 1 and sz(value) == unescape(text), "value is type %d %r" % (value[1], sz(value)))


def check_dword(run, rest):
    value, text = named_value(run, rest)
    fail_unless(value[1] == 4 and int.from_bytes(value[2], "little") == int(text),
                "value is type %d %r" % (value[1], value[2]))


def check_novalue(run, rest):
    path, name = rest.split()
    key = run.key(path)
    fail_unless(key is None or name.lower() not in key[1], "the value exists")


def check_values(run, rest):
    parts = rest.split()
    key = run.key(parts[0])
    fail_unless(key is not None, "no key " + parts[0])
    got = sorted(v[0] for v in key[1].values())
    fail_unless(got == sorted(parts[1:]), "values are %s" % got)


def check_key(run, rest):
    fail_unless(run.key(rest.strip()) is not None, "no such key")


def check_nokey(run, rest):
    fail_unless(run.key(rest.strip()) is None, "the key exists")


def check_transcript(run, rest):
    fail_unless(unescape(rest) in run.transcript, "not in the transcript")


def check_notranscript(run, rest):
    fail_unless(unescape(rest) not in run.transcript, "in the transcript")


def check_count(run, rest):
    n, _, text = rest.partition(" ")
    got = run.transcript.count(unescape(text))
    fail_unless(got == int(n), "found %d times" % got)


def check_stderr(run, rest):
    fail_unless(unescape(rest) in run.stderr, "not on stderr")


CHECKS = {
    "exit": check_exit, "saved": check_saved, "unsaved": check_unsaved, "table": check_table,
    "value": check_value, "dword": check_dword, "novalue": check_novalue, "values": check_values,
    "key": check_key, "nokey": check_nokey, "transcript": check_transcript,
    "notranscript": check_notranscript, "count": check_count, "stderr": check_stderr,
}


def check(scenario, returncode, before, after, trans, stderr):
    """Makes the checks of scenario/expect on what one run left behind.
    Returns the number of checks and the list of failures."""
    run = Run(returncode, before, after, trans, stderr)
    checks, failures = 0, []
    with open(os.path.join(scenario, "expect"), encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            word, _, rest = line.strip().partition(" ")
            checks += 1
            try:
                if word not in CHECKS:
                    raise AssertionError("unknown check")
                CHECKS[word](run, rest)
            except (AssertionError, ValueError, AttributeError) as e:
                failures.append("expect line %d: %s: %s" % (number, line.strip(), e))
    return checks, failures
