#!/usr/bin/env python3
"""Runs `ziptool list` on every archive fixture of one group and compares the result with
the fixture's .expect file: the exact listing and exit status 0, or for a refused archive
a non-zero status and exactly one line on standard error that carries the expected reason.

usage: ziptool_list_test.py RUNNER ZIPTOOL FIXTUREDIR GROUP
RUNNER runs a Windows program (the Wine wrapper). Exits 77 (skipped) when the group's
tool was missing at fixture time.
"""
import os
import subprocess
import sys


def windows_path(p):
    return "Z:" + os.path.abspath(p).replace("/", "\\")


def main():
    runner, ziptool, fixtures, group = sys.argv[1:5]
    marker = os.path.join(fixtures, group + ".missing")
    if os.path.exists(marker):
        print("SKIPPED: the tool %s is not installed" % open(marker).read().strip())
        return 77
    names = sorted(n[:-len(".expect")] for n in os.listdir(fixtures)
                   if n.startswith(group + "_") and n.endswith(".expect"))
    if not names:
        print("no fixtures of group %s in %s" % (group, fixtures))
        return 1
    failures = 0
    for name in names:
        with open(os.path.join(fixtures, name + ".expect"), "rb") as f:
            expect = f.read()
        r = subprocess.run([runner, ziptool, "list", windows_path(os.path.join(fixtures, name))],
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        # The shell of the Wine wrapper may complain about the locale; that is not ours.
        err_lines = [l for l in r.stderr.decode("latin-1").splitlines() if not l.startswith("bash: warning: setlocale")]
        if expect.startswith(b"ERROR\t"):
            reason = expect[6:].strip().decode()
            ok = r.returncode != 0 and r.stdout == b"" and len(err_lines) == 1 and reason in err_lines[0]
            shown = "status %d, stderr %r" % (r.returncode, r.stderr[:300])
        else:
            ok = r.returncode == 0 and r.stdout == expect and not err_lines
            shown = "status %d, stderr %r, %d of %d bytes, first difference at line %s" % (
                r.returncode, r.stderr[:300], len(r.stdout), len(expect), first_difference(r.stdout, expect))
        print("%s %s" % ("ok  " if ok else "FAIL", name))
        if not ok:
            print("     " + shown)
            failures += 1
    print("%d passed, %d failed" % (len(names) - failures, failures))
    return 1 if failures else 0


def first_difference(a, b):
    la, lb = a.split(b"\n"), b.split(b"\n")
    for k, (x, y) in enumerate(zip(la, lb)):
        if x != y:
            return "%d: got %r, want %r" % (k + 1, x[:120], y[:120])
    return "none (lengths differ)" if len(la) != len(lb) else "none"


if __name__ == "__main__":
    sys.exit(main())
