#!/usr/bin/env python3
"""Soak: one velk run of many random list operations on a large table.

A seeded generator writes a starting registry (a table of --entries records,
group headers among them) and a velk script of --ops operations: edits,
inserts, deletions (single and marked), marks, block moves and swaps, sorts,
column toggles, filters, and leaving the list with apply, discard or back.
Beside it runs an independent model of the list, of the settings and of
what each apply stores. velk runs the whole script in one process; its saved
registry must then hold exactly the model's last applied table and settings.

Sort keys are kept unique (a fixed prefix and a unique six-digit number per
field), so that the order after any sort is the same under any
case-insensitive comparison and the model can predict it.
"""
import argparse
import os
import random
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "velk", "tests"))
from velk_scenarios.regedit4 import parse_reg  # noqa: E402  the REGEDIT4 reader of the scenarios

BRANCH = "HKEY_CURRENT_USER\\Software\\VELK"
ASSOC = BRANCH + "\\Associations"
SETTINGS = BRANCH + "\\Plugins\\Tollex"
NAMES = ["Mask", "Description", "Execute", "AltExec", "View", "AltView", "Edit", "AltEdit"]
SETTING_NAMES = ["ShowEx", "ShowView", "ShowEdit", "SortType", "GroupChar"]
# The edit dialog's items for the eight fields, and its check box.
ITEMS = [2, 4, 7, 9, 11, 13, 15, 17]
CHECKBOX = 1
# Field compared by each sort mode (1-10): Mask, Execute, Description, Edit, View.
SORT_FIELD = {1: 0, 2: 0, 3: 2, 4: 2, 5: 1, 6: 1, 7: 6, 8: 6, 9: 4, 10: 4}
SORT_KEYS = {"Ctrl+F1": 5, "Ctrl+F2": 3, "Ctrl+F3": 9, "Ctrl+F4": 7, "Ctrl+F5": 1}
FILTER_KEYS = "QWERTYUIOPASDFGHJKLZXCVBNM1234567890"
BLANKS = " \t"


def trim(s):
    return s.strip(BLANKS)


def fit(s):
    """What a field keeps of a trimmed text: at most 260 characters, and not
    the blanks a cut leaves at the end."""
    return s if len(s) <= 260 else s[:260].rstrip(BLANKS)


class Record:
    __slots__ = ("fields", "group", "marked")

    def __init__(self, fields, group=False):
        self.fields = list(fields)
        self.group = group
        self.marked = False

    def copy(self):
        r = Record(self.fields, self.group)
        r.marked = self.marked
        return r

    def stored(self):
        """The eight texts as the store writes them."""
        values = list(self.fields)
        if self.group:
            values[0] = "\x10" + values[0]
        return values


def load(stored_rows):
    """What a load makes of stored rows: values trimmed and fitted to 260; a
    marker in front makes a header whose title is not trimmed again."""
    out = []
    for row in stored_rows:
        values = [trim(v) for v in row]
        if values[0] == "":
            break
        group = values[0].startswith("\x10")
        if group:
            values[0] = values[0][1:]
        values = [fit(v) for v in values]
        out.append(Record(values, group))
    return out


class Generator:
    def __init__(self, rng):
        self.rng = rng
        self.used = set()

    def number(self):
        while True:
            n = self.rng.randrange(1000000)
            if n not in self.used:
                self.used.add(n)
                return n

    def case(self, word):
        # Mixed letter case: the comparison ignores it.
        return "".join(c.upper() if self.rng.random() < 0.3 else c for c in word)

    def field(self, index):
        n = self.number()
        prefix = ["*.m", "Desc ", "run ", "alt ", "view ", "altview ", "edit ", "altedit "][index]
        text = self.case(prefix) + "%06d" % n
        if index == 1 and self.rng.random() < 0.05:
            # Long descriptions: cut to 260 characters by the dialog.
            text += " " + "x" * self.rng.randrange(200, 300)
        return text

    def record(self, group=False):
        fields = [self.field(i) for i in range(8)]
        if group:
            fields[0] = self.case("Group ") + "%06d" % self.number()
        return Record(fields, group)


class Soak:
    def __init__(self, rng, entries):
        self.rng = rng
        self.gen = Generator(rng)
        self.script = []
        self.stats = {}
        rows = []
        for i in range(entries):
            rows.append(self.gen.record(group=(i % 20 == 0)).stored())
        self.saved_rows = rows
        self.saved_settings = {"ShowEx": 1, "ShowView": 0, "ShowEdit": 1, "SortType": 0, "GroupChar": 205}
        self.in_session = False

    def count(self, what):
        self.stats[what] = self.stats.get(what, 0) + 1

    def emit(self, *lines):
        self.script.extend(lines)

    # ---- the session ------------------------------------------------------

    def open(self):
        self.emit("open")
        self.records = load(self.saved_rows)
        self.settings = dict(self.saved_settings)
        self.changed = False
        self.start_screen()
        self.in_session = True

    def start_screen(self):
        self.filter = ""

    def shown(self):
        """Record indexes of the menu's lines, in order."""
        if not self.filter:
            return list(range(len(self.records)))
        return [i for i, r in enumerate(self.records)
                if r.group or self.filter in r.fields[0].upper()]

    def go(self, line):
        self.emit("key Home")
        if line:
            pages, rest = divmod(line, 10)
            if pages:
                self.emit("key PgDn x%d" % pages)
            if rest:
                self.emit("key Down x%d" % rest)

    def pick_line(self, with_trailing):
        n = len(self.shown())
        if n == 0:
            return 0
        return self.rng.randrange(n + 1 if with_trailing else n)

    def dialog_edit(self, record):
        """Types new texts into some fields (or all, for a new record),
        maybe flips the check box; returns the fields the dialog stores."""
        fields = list(record.fields)
        group = record.group
        new = record.fields == [""] * 8
        for i in range(8):
            if new or self.rng.random() < 0.35:
                text = self.gen.field(i)
                if i == 0 and group:
                    text = self.gen.case("Group ") + "%06d" % self.gen.number()
                if self.rng.random() < 0.1:
                    text = "  " + text + "\t "
                self.emit("focus %d" % ITEMS[i], "text " + text)
                fields[i] = fit(trim(text))
        if self.rng.random() < 0.04:
            self.emit("focus %d" % CHECKBOX, "key Space")
            group = not group
        return fields, group

    def close_dialog(self, cancel_chance, what):
        """Closes the edit dialog: cancelled (Esc) with the given chance,
        else confirmed (Enter). True when confirmed."""
        if self.rng.random() < cancel_chance:
            self.emit("key Esc")
            self.count(what + " cancelled")
            return False
        self.emit("key Enter")
        return True

    def op_edit(self):
        shown = self.shown()
        if not shown:
            return self.op_insert()
        line = self.pick_line(False)
        self.go(line)
        self.emit("key F4" if self.rng.random() < 0.5 else "key Enter")
        record = self.records[shown[line]]
        fields, group = self.dialog_edit(record)
        if not self.close_dialog(0.1, "edit"):
            return
        record.fields, record.group = fields, group
        self.changed = True
        self.count("edit")

    def op_insert(self):
        line = self.pick_line(True)
        self.go(line)
        shown = self.shown()
        trailing = line == len(shown)
        self.emit("key Ins" if not trailing or self.rng.random() < 0.5 else "key F4")
        fresh = Record([""] * 8)
        fresh.group = self.rng.random() < 0.05
        if fresh.group:
            self.emit("focus %d" % CHECKBOX, "key Space")
        fields, group = self.dialog_edit(fresh)
        if not self.close_dialog(0.08, "insert"):
            return
        record = Record(fields, group)
        # Before the record the line shows, or at the end from the trailing
        # line (under a filter a line's position is not a record index).
        self.records.insert(len(self.records) if trailing else shown[line], record)
        self.changed = True
        self.count("insert")

    def op_delete(self):
        shown = self.shown()
        if not shown:
            return
        marked = [i for i, r in enumerate(self.records) if r.marked]
        if len(marked) > 12:
            # Keep the table large: unmark a big selection before deleting.
            self.emit("key Subtract")
            for r in self.records:
                r.marked = False
            marked = []
        line = self.pick_line(False)
        self.go(line)
        self.emit("key Del")
        yes = self.rng.random() < 0.85
        self.emit("key Enter" if yes else "key Esc")
        if not yes:
            self.count("delete declined")
            return
        if marked:
            self.records = [r for r in self.records if not r.marked]
            self.count("delete marked")
        else:
            del self.records[shown[line]]
            self.count("delete")
        self.changed = True

    def op_mark(self):
        if self.filter:
            return
        choice = self.rng.random()
        if choice < 0.7:
            line = self.pick_line(False)
            if line >= len(self.records):
                return
            self.go(line)
            self.emit("key Space")
            self.records[line].marked = not self.records[line].marked
        elif choice < 0.8:
            self.emit("key Add")
            for r in self.records:
                r.marked = True
        elif choice < 0.93:
            self.emit("key Subtract")
            for r in self.records:
                r.marked = False
        else:
            self.emit("key Multiply")
            for r in self.records:
                r.marked = not r.marked
        self.count("mark")

    def op_move(self):
        if self.filter:
            return
        up = self.rng.random() < 0.5
        line = self.pick_line(False)
        self.go(line)
        self.emit("key Ctrl+Up" if up else "key Ctrl+Down")
        rs = self.records
        marked = [i for i, r in enumerate(rs) if r.marked]
        if marked:
            f, l = marked[0], marked[-1]
            if up and f > 0:
                seg = rs[f - 1:l + 1]
                rs[f - 1:l + 1] = [r for r in seg if r.marked] + [r for r in seg if not r.marked]
                self.changed = True
            elif not up and l < len(rs) - 1:
                seg = rs[f:l + 2]
                rs[f:l + 2] = [r for r in seg if not r.marked] + [r for r in seg if r.marked]
                self.changed = True
            self.count("block move")
        else:
            if up and 0 < line < len(rs):
                rs[line - 1], rs[line] = rs[line], rs[line - 1]
                self.changed = True
            elif not up and line < len(rs) - 1:
                rs[line], rs[line + 1] = rs[line + 1], rs[line]
                self.changed = True
            self.count("swap")

    def op_sort(self):
        key = self.rng.choice(sorted(SORT_KEYS))
        base = SORT_KEYS[key]
        self.emit("key " + key)
        mode = base + 1 if self.settings["SortType"] == base else base
        self.settings["SortType"] = mode
        field = SORT_FIELD[mode]
        rs = self.records
        i = 0
        while i < len(rs):
            if rs[i].group:
                i += 1
                continue
            e = i
            while e < len(rs) and not rs[e].group:
                e += 1
            rs[i:e] = sorted(rs[i:e], key=lambda r: r.fields[field].lower(), reverse=(mode % 2 == 0))
            i = e
        self.count("sort")

    def op_column(self):
        key, name = self.rng.choice([("Ctrl+1", "ShowEx"), ("Ctrl+2", "ShowView"), ("Ctrl+3", "ShowEdit")])
        self.emit("key " + key)
        self.settings[name] = 0 if self.settings[name] else 1
        self.count("column")

    def op_filter(self):
        if self.filter and self.rng.random() < 0.5:
            self.emit("key BackSpace")
            self.filter = self.filter[:-1]
        elif len(self.filter) < 3:
            # A mask's letter and digits, so that the filter shows something.
            c = self.rng.choice("M0123456789" if self.rng.random() < 0.8 else FILTER_KEYS)
            self.emit("key " + c)
            self.filter += c
            for r in self.records:
                r.marked = False
        self.count("filter")

    def op_leave(self):
        self.emit("key Esc")
        if not self.changed:
            self.end_session(saved=False)
            self.count("leave unchanged")
            return
        answer = self.rng.random()
        if answer < 0.8:
            self.emit("key Enter")  # apply
            self.saved_rows = [r.stored() for r in self.records]
            self.saved_settings = dict(self.settings)
            self.end_session(saved=True)
            self.count("apply")
        elif answer < 0.9:
            self.emit("key Right", "key Enter")  # discard
            self.end_session(saved=False)
            self.count("discard")
        else:
            self.emit("key Esc")  # back to the list
            self.start_screen()
            self.count("back to the list")

    def end_session(self, saved):
        self.in_session = False

    def run(self, ops):
        weights = [(self.op_edit, 26), (self.op_insert, 8), (self.op_delete, 8), (self.op_mark, 14),
                   (self.op_move, 14), (self.op_sort, 8), (self.op_column, 3), (self.op_filter, 6),
                   (self.op_leave, 0.6)]
        actions = [a for a, _ in weights]
        cumulative = [w for _, w in weights]
        for _ in range(ops):
            if not self.in_session:
                self.open()
            self.rng.choices(actions, weights=cumulative)[0]()
        if self.in_session:
            # Leave and apply at the end, so that the run's last state is stored.
            self.emit("key Esc")
            if self.changed:
                self.emit("key Enter")
                self.saved_rows = [r.stored() for r in self.records]
                self.saved_settings = dict(self.settings)
                self.count("apply")
            self.in_session = False


# ---- .reg files ------------------------------------------------------------

def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_reg(path, rows, settings):
    lines = ["REGEDIT4", "", "[%s]" % ASSOC, ""]
    for n, row in enumerate(rows):
        lines.append("[%s\\Type%d]" % (ASSOC, n))
        for name, value in zip(NAMES, row):
            lines.append("%s=%s" % (quote(name), quote(value)))
        lines.append("")
    lines.append("[%s]" % SETTINGS)
    for name in SETTING_NAMES:
        lines.append('"%s"=dword:%08x' % (name, settings[name]))
    lines.append('"ExLen"=dword:0000000f')
    lines.append("")
    with open(path, "wb") as f:
        f.write("\r\n".join(lines).encode("latin-1"))


def read_saved(path):
    with open(path, "rb") as f:
        return parse_reg(f.read())


def check(path, rows, settings):
    keys = read_saved(path)
    problems = []
    table_keys = sorted(k for k in keys if k.startswith(ASSOC.lower() + "\\"))
    expected_keys = sorted((ASSOC + "\\Type%d" % n).lower() for n in range(len(rows)))
    if table_keys != expected_keys:
        problems.append("table keys: %d stored, %d expected" % (len(table_keys), len(expected_keys)))
    for n, row in enumerate(rows):
        key = keys.get((ASSOC + "\\Type%d" % n).lower())
        if key is None:
            continue
        values = key[1]
        if len(values) != 8:
            problems.append("Type%d holds %d values" % (n, len(values)))
        for name, want in zip(NAMES, row):
            got = values.get(name.lower())
            data = want.encode("latin-1") + b"\0"
            if got is None or got[1] != 1 or got[2] != data:
                problems.append("Type%d %s: %r, expected %r" % (n, name, got and got[2], data))
    skey = keys.get(SETTINGS.lower())
    for name in SETTING_NAMES:
        got = skey and skey[1].get(name.lower())
        want = settings[name].to_bytes(4, "little")
        if got is None or got[2] != want:
            problems.append("setting %s: %r, expected %r" % (name, got and got[2], want))
    return problems


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--velk", required=True)
    ap.add_argument("--work", required=True, help="directory for the registry, the script and the log")
    ap.add_argument("--seed", type=int, default=20261208)
    ap.add_argument("--entries", type=int, default=2000)
    ap.add_argument("--ops", type=int, default=10000)
    ap.add_argument("--wrapper", default="", help="command to run velk under, e.g. valgrind options")
    args = ap.parse_args()

    os.makedirs(args.work, exist_ok=True)
    rng = random.Random(args.seed)
    soak = Soak(rng, args.entries)
    registry = os.path.join(args.work, "registry.reg")
    script = os.path.join(args.work, "script")
    write_reg(registry, soak.saved_rows, soak.saved_settings)
    soak.run(args.ops)
    with open(script, "w", encoding="utf-8") as f:
        f.write("\n".join(soak.script) + "\n")

    command = args.wrapper.split() + [args.velk, "--registry", registry, "--script", script]
    started = time.monotonic()
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    seconds = time.monotonic() - started
    with open(os.path.join(args.work, "velk.log"), "wb") as f:
        f.write(result.stdout + result.stderr)

    ops = sum(soak.stats.values())
    print("soak: seed %d, %d entries at the start, %d at the end, %d operations, %d script lines, "
          "velk %.1f s" % (args.seed, args.entries, len(soak.saved_rows), args.ops, len(soak.script), seconds))
    print("soak: " + ", ".join("%s %d" % kv for kv in sorted(soak.stats.items())))
    if result.returncode != 0:
        print("soak: velk exited with %d:\n%s" % (result.returncode, result.stderr.decode("latin-1")[-2000:]))
        print("soak runs: 0 passed, 1 failed")
        return 1
    problems = check(registry, soak.saved_rows, soak.saved_settings)
    if problems:
        print("soak: the saved registry differs from the model (%d differences):" % len(problems))
        for p in problems[:20]:
            print("  " + p)
        print("soak runs: 0 passed, 1 failed")
        return 1
    print("soak: the saved table (%d records) and settings match the model" % len(soak.saved_rows))
    print("soak runs: 1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
