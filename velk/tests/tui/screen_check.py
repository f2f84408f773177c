#!/usr/bin/env python3
"""Checks on a screen captured from tmux (capture-pane -p), for velk's
screen tests. Exit status 0 when the check holds, 1 with the reason on
standard output when it does not.

  screen_check.py box TITLE COLUMNS < SCREEN
      A double-line box whose top edge holds TITLE stands whole on a screen
      COLUMNS wide: both top corners, a left and right edge on every row
      down to both bottom corners, nothing of its rows past its right edge
      that belongs to it (the row ends at or after the edge, the edge is
      where the corner is).
  screen_check.py covers TITLE BEFORE AFTER
      AFTER (a file) differs from BEFORE (a file) only inside the box whose
      top edge holds TITLE, in the title row and in the key bar: the box
      covers nothing outside its own frame.
  screen_check.py count TEXT N < SCREEN
      TEXT occurs exactly N times on the screen.
"""
import sys


def find_box(rows, title):
    """(top, bottom, left, right) of the box whose top edge holds title."""
    for top, row in enumerate(rows):
        at = row.find(title)
        if at < 0:
            continue
        left = row.rfind("\u2554", 0, at)
        right = row.find("\u2557", at)
        if left < 0 or right < 0:
            continue
        for bottom in range(top + 1, len(rows)):
            if len(rows[bottom]) > left and rows[bottom][left] == "\u255a":
                return top, bottom, left, right
        raise SystemExit(f"the box '{title}' has no bottom left corner under column {left}")
    raise SystemExit(f"no box with '{title}' in its top edge")


def check_box(title, columns, rows):
    top, bottom, left, right = find_box(rows, title)
    if right >= columns:
        return f"the box '{title}' reaches column {right} of a {columns}-column screen"
    for y in range(top + 1, bottom):
        row = rows[y].ljust(right + 1)
        if row[left] not in "\u2551\u255f":
            return f"row {y}: no left edge of '{title}' at column {left}: {rows[y]!r}"
        if row[right] not in "\u2551\u2562":
            return f"row {y}: no right edge of '{title}' at column {right}: {rows[y]!r}"
    if len(rows[bottom]) <= right or rows[bottom][right] != "\u255d":
        return f"row {bottom}: no bottom right corner of '{title}' at column {right}"
    return None


def check_covers(title, before, after):
    top, bottom, left, right = find_box(after, title)
    for y in range(1, min(len(before), len(after)) - 1):
        b, a = before[y], after[y]
        width = max(len(a), len(b))
        b, a = b.ljust(width), a.ljust(width)
        for x in range(width):
            inside = top <= y <= bottom and left <= x <= right
            if not inside and a[x] != b[x]:
                return (f"row {y}, column {x} changed outside the box '{title}' "
                        f"(rows {top}-{bottom}, columns {left}-{right}):\n  before {before[y]!r}\n  after  {after[y]!r}")
    return None


def main():
    what = sys.argv[1]
    if what == "box":
        problem = check_box(sys.argv[2], int(sys.argv[3]), sys.stdin.read().split("\n"))
    elif what == "covers":
        with open(sys.argv[3], encoding="utf-8") as f:
            before = f.read().rstrip("\n").split("\n")
        with open(sys.argv[4], encoding="utf-8") as f:
            after = f.read().rstrip("\n").split("\n")
        problem = check_covers(sys.argv[2], before, after)
    elif what == "count":
        seen = sys.stdin.read().count(sys.argv[2])
        problem = None if seen == int(sys.argv[3]) else f"'{sys.argv[2]}' occurs {seen} times, not {sys.argv[3]}"
    else:
        problem = f"unknown check {what}"
    if problem:
        print(problem)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
