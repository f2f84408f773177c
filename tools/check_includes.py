#!/usr/bin/env python3
"""Checks that the plug-in's includes run one way.

    tools/check_includes.py [SRC_DIR]     check SRC_DIR (default: src/)
    tools/check_includes.py --self-test   show that the check catches bad includes

Every file below SRC_DIR belongs to one tier, lowest first:

    host base       host/host_abi.h, host/exit_hook.*     (include nothing of the plug-in)
    host interface  host/startup_state.*, host/messages.*, host/host_services.*
    support         support/
    model           model/
    storage         storage/
    ui              ui/
    entry points    host/startup.*, host/exports.cpp, host/module_entry.cpp, host/entry/

A file may include files of its own tier and of the tiers below it, never of
a tier above. A header and its source file (X.h, X.cpp) count as one unit,
and no chain of includes between units may lead back to where it started,
within a tier either. A file that belongs to no tier is an error too, so a
new folder or host file has to be placed before it builds on anything.

Includes are resolved as the compiler does for this project: "x" against the
including file's folder, then against SRC_DIR; <x> against SRC_DIR. Includes
that resolve to no file below SRC_DIR (system and library headers) are not
checked. Exit status: 0 when all is well, 1 with one line per fault.
"""
import os
import re
import shutil
import sys
import tempfile

TIERS = [
    ("host base", ["host/host_abi", "host/exit_hook"]),
    ("host interface", ["host/startup_state", "host/messages", "host/host_services"]),
    ("support", ["support/"]),
    ("model", ["model/"]),
    ("storage", ["storage/"]),
    ("ui", ["ui/"]),
    ("entry points", ["host/startup", "host/exports", "host/module_entry", "host/entry/"]),
]
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def unit_of(relative):
    """The unit of a file: its path below the source root without suffix."""
    return os.path.splitext(relative.replace(os.sep, "/"))[0]


def tier_of(unit):
    """The index of the unit's tier, or None. Exact unit names come first,
    so that host/startup_state is not taken for host/startup."""
    for index, (_, members) in enumerate(TIERS):
        if unit in members:
            return index
    for index, (_, members) in enumerate(TIERS):
        for member in members:
            if member.endswith("/") and unit.startswith(member):
                return index
    return None


def source_files(root):
    for folder, _, names in os.walk(root):
        for name in sorted(names):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def resolve(root, including, kind, name):
    """The included file relative to root, or None when it lies outside."""
    candidates = []
    if kind == '"':
        candidates.append(os.path.join(root, os.path.dirname(including), name))
    candidates.append(os.path.join(root, name))
    real_root = os.path.realpath(root)
    for candidate in candidates:
        real = os.path.realpath(candidate)
        if os.path.isfile(real) and real.startswith(real_root + os.sep):
            return os.path.relpath(real, real_root).replace(os.sep, "/")
    return None


def find_cycle(graph):
    """One cycle of the unit graph as a list of units, or None."""
    state = {}
    stack = []

    def visit(unit):
        state[unit] = "open"
        stack.append(unit)
        for target in sorted(graph.get(unit, ())):
            if state.get(target) == "open":
                return stack[stack.index(target):] + [target]
            if target not in state:
                found = visit(target)
                if found:
                    return found
        stack.pop()
        state[unit] = "done"
        return None

    for unit in sorted(graph):
        if unit not in state:
            found = visit(unit)
            if found:
                return found
    return None


def check(root):
    """The faults of the tree below root, one text each."""
    faults = []
    graph = {}
    for relative in source_files(root):
        unit = unit_of(relative)
        tier = tier_of(unit)
        if tier is None:
            faults.append("%s: belongs to no tier (place it in tools/check_includes.py)" % relative)
            continue
        graph.setdefault(unit, set())
        with open(os.path.join(root, relative), encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = resolve(root, relative, match.group(1), match.group(2))
                if target is None:
                    continue
                target_unit = unit_of(target)
                if target_unit == unit:
                    continue
                target_tier = tier_of(target_unit)
                if target_tier is None:
                    continue  # reported on its own
                graph[unit].add(target_unit)
                if target_tier > tier:
                    faults.append("%s:%d: includes %s: %s may not include %s (the order is %s)" % (
                        relative, number, target, TIERS[tier][0], TIERS[target_tier][0],
                        " < ".join(name for name, _ in TIERS)))
    cycle = find_cycle(graph)
    if cycle:
        faults.append("includes run in a circle: %s" % " -> ".join(cycle))
    return faults


# --------------------------------------------------------------- self-test

def write_tree(root, files):
    for relative, text in files.items():
        path = os.path.join(root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)


# A small tree that keeps the order: each case below changes it in one way.
GOOD_TREE = {
    "host/host_abi.h": "#pragma once\n#include <cstdint>\n",
    "host/exit_hook.h": "#pragma once\n",
    "host/exit_hook.cpp": '#include "host/exit_hook.h"\n#include <cstdlib>\n',
    "host/startup_state.h": '#pragma once\n#include "host/host_abi.h"\n',
    "host/messages.cpp": '#include "host/startup_state.h"\n',
    "support/errors.cpp": '#include "host/exit_hook.h"\n#include <windows.h>\n',
    "support/errors.h": "#pragma once\n",
    "model/text.h": "#pragma once\n",
    "model/text.cpp": '#include "model/text.h"\n#include "support/errors.h"\n#include "host/exit_hook.h"\n'
                      '#include "not/here.h"\n',
    "model/list.cpp": '#include "text.h"\n#include "host/messages.h"\n',
    "storage/store.cpp": '#include "model/text.h"\n#include "host/startup_state.h"\n',
    "ui/screen.h": "#pragma once\n",
    "ui/screen.cpp": '#include "ui/screen.h"\n#include "ui/flag.h"\n#include "storage/store.h"\n',
    "ui/flag.h": "#pragma once\n",
    "ui/session.cpp": '#include "ui/screen.h"\n#include "ui/flag.h"\n',
    "ui/session.h": "#pragma once\n",
    "storage/store.h": "#pragma once\n",
    "host/startup.cpp": '#include "model/text.h"\n#include "host/exit_hook.h"\n',
    "host/exports.cpp": '#include "ui/session.h"\n#include "host/startup.h"\n',
    "host/startup.h": "#pragma once\n",
}

# name, change to the good tree, text that a fault must hold (None: no fault)
CASES = [
    ("the good tree", {}, None),
    ("model includes ui", {"model/text.cpp": '#include "ui/screen.h"\n'}, "model may not include ui"),
    ("a relative path upwards", {"model/list.cpp": '#include "../storage/store.h"\n'},
     "model may not include storage"),
    ("an angle-bracket include of the plug-in's own",
     {"support/errors.cpp": "#include <model/text.h>\n"}, "support may not include model"),
    ("a blank after the hash", {"storage/store.cpp": '#  include "ui/flag.h"\n'},
     "storage may not include ui"),
    ("the exit hook reaching the start-up state",
     {"host/exit_hook.cpp": '#include "host/startup_state.h"\n'},
     "host base may not include host interface"),
    ("the host interface reaching a ui header", {"host/messages.cpp": '#include "ui/flag.h"\n'},
     "host interface may not include ui"),
    ("a lower layer reaching the start-up work", {"model/text.cpp": '#include "host/startup.h"\n'},
     "model may not include entry points"),
    ("a file in no tier", {"extra/tool.cpp": '#include "model/text.h"\n'}, "belongs to no tier"),
    ("a host file in no tier", {"host/newthing.h": "#pragma once\n"}, "belongs to no tier"),
    ("a circle within a tier", {"ui/screen.cpp": '#include "ui/session.h"\n'}, "in a circle"),
    ("a header including its own source unit", {"ui/flag.h": '#include "ui/flag.h"\n'}, None),
]


def self_test():
    failures = 0
    base = tempfile.mkdtemp(prefix="check_includes.")
    try:
        for index, (name, change, expected) in enumerate(CASES):
            root = os.path.join(base, "case%d" % index)
            write_tree(root, dict(GOOD_TREE, **change))
            faults = check(root)
            if expected is None:
                good = not faults
            else:
                good = any(expected in fault for fault in faults)
            print("%s %s%s" % ("ok  " if good else "FAIL", name,
                               "" if good else ": expected %r, got %r" % (expected, faults)))
            failures += 0 if good else 1
        # The plug-in's own tree, with the include that once closed a circle
        # (text.cpp reaching the start-up work for the exit hook) put back.
        real = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
        if os.path.isdir(real):
            root = os.path.join(base, "src")
            shutil.copytree(real, root)
            with open(os.path.join(root, "model", "text.cpp"), "a", encoding="utf-8") as out:
                out.write('#include "host/startup.h"\n')
            faults = check(root)
            good = any("model/text.cpp" in fault and "entry points" in fault for fault in faults)
            print("%s the plug-in's tree with model/text.cpp including host/startup.h%s" % (
                "ok  " if good else "FAIL", "" if good else ": got %r" % faults))
            failures += 0 if good else 1
    finally:
        shutil.rmtree(base)
    print("%d of the self-test's cases failed" % failures if failures else "self-test passed")
    return 1 if failures else 0


def main(arguments):
    if arguments[:1] == ["--self-test"]:
        return self_test()
    if len(arguments) > 1 or (arguments and arguments[0].startswith("-")):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    root = arguments[0] if arguments else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    faults = check(root)
    for fault in faults:
        print(fault)
    if not faults:
        print("includes run one way: %s" % " < ".join(name for name, _ in TIERS))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
