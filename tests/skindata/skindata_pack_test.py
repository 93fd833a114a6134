#!/usr/bin/env python3
"""skindata_pack from the shell: packs the fixture INIs, lists its own files and the ones
our Python writer made, and refuses damaged files with one line and exit status 1.

usage: skindata_pack_test.py FIXTURE_DIR SCRATCH_DIR RUNNER... (the tool, maybe behind wine-run.sh)
"""
import os
import struct
import subprocess
import sys

FULL = """version 3
Picture 40x30
InactivePicture 40x30
Mask 40x30
active 3
13x7
9x5
3x3
skinname Fixture Blue
object cap caption
object close stdbutton
control a panel
control c stdlabel
"""

BARE = """version 3
Picture none
InactivePicture none
Mask none
active 0
skinname Bare
control label stdlabel
"""


def run(runner, *args):
    p = subprocess.run(runner + list(args), capture_output=True, timeout=120)
    out = p.stdout.decode("latin-1").replace("\r\n", "\n")
    err = p.stderr.decode("latin-1").replace("\r\n", "\n")
    return p.returncode, out, err


def native_path(path, runner):
    # Under Wine the files are reached through Z:.
    return "Z:" + path.replace("/", "\\") if any("wine" in r for r in runner) else path


def main():
    fixtures, scratch, runner = sys.argv[1], sys.argv[2], sys.argv[3:]
    os.makedirs(scratch, exist_ok=True)
    failures = []
    checks = [0]

    def check(label, cond, detail=""):
        checks[0] += 1
        if not cond:
            failures.append(f"{label}: {detail}")

    for name, expected in (("full", FULL), ("bare", BARE)):
        theirs = os.path.join(fixtures, name, "skin.gsk")
        rc, out, err = run(runner, "dump", native_path(theirs, runner))
        check(f"dump python {name}", rc == 0 and out == expected, f"rc={rc} out={out!r} err={err!r}")
        ours = os.path.join(scratch, name + ".gsk")
        rc, out, err = run(runner, "pack", native_path(os.path.join(fixtures, name, "skin.ini"), runner),
                           native_path(ours, runner))
        check(f"pack {name}", rc == 0 and os.path.exists(ours), f"rc={rc} err={err!r}")
        rc, out, err = run(runner, "dump", native_path(ours, runner))
        check(f"dump ours {name}", rc == 0 and out == expected, f"rc={rc} out={out!r} err={err!r}")

    good = open(os.path.join(fixtures, "full", "skin.gsk"), "rb").read()
    bad = {
        "cut": good[: len(good) // 2],
        "size past end": good[:4] + struct.pack("<i", len(good)) + good[8:],
        "negative size": good[:4] + struct.pack("<i", -5) + good[8:],
        "version 4": struct.pack("<i", 4) + good[4:],
        "damaged data": good[:20] + bytes(b ^ 0x5A for b in good[20:60]) + good[60:],
        "empty": b"",
        "missing": None,
    }
    for label, data in bad.items():
        path = os.path.join(scratch, "bad.gsk")
        if os.path.exists(path):
            os.remove(path)
        if data is not None:
            open(path, "wb").write(data)
        rc, out, err = run(runner, "dump", native_path(path, runner))
        lines = err.strip("\n").split("\n")
        check(f"dump {label}", rc == 1 and len(lines) == 1 and lines[0], f"rc={rc} err={err!r}")

    not_skin = os.path.join(scratch, "plain.ini")
    open(not_skin, "w").write("[VERSION]\n")
    rc, out, err = run(runner, "pack", native_path(not_skin, runner), native_path(os.path.join(scratch, "x.gsk"), runner))
    check("pack non-skin INI", rc == 1 and err.count("\n") == 1, f"rc={rc} err={err!r}")

    for f in failures:
        print("FAIL", f)
    print(f"{checks[0] - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
