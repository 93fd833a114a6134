#!/usr/bin/env python3
"""skintool against the generator's skin files, checked with Python's own zipfile.

usage: skintool_test.py RUNNER SKINTOOL FIXTURE_DIR DEFAULT_LSK
RUNNER is "-" for a native skintool, else the Wine wrapper; Windows paths are then passed as Z:.
"""
import io
import os
import random
import struct
import subprocess
import sys
import tempfile
import zipfile

runner, tool, fixtures, default = sys.argv[1:5]
failures = []


def tool_path(path):
    return path if runner == "-" else "Z:" + os.path.abspath(path).replace("/", "\\")


def run(*args):
    command = ([] if runner == "-" else [runner]) + [tool] + list(args)
    p = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")


def check(ok, what):
    if not ok:
        failures.append(what)


def read(path):
    with open(path, "rb") as f:
        return f.read()


# Every fixture: variants give their manifest, damaged files one line with the reader's message.
for line in read(os.path.join(fixtures, "fixtures.txt")).decode("ascii").splitlines():
    name, password, outcome, expected = line.split("\t")
    args = ["dump", tool_path(os.path.join(fixtures, name))] + (["--password", password] if password else [])
    code, out, err = run(*args)
    if outcome == "ok":
        want = read(os.path.join(fixtures, expected)).decode("latin-1")
        check(code == 0 and out == want, "%s: exit %d, %r" % (name, code, err))
    else:
        check(code == 1 and out == "" and err.replace("\r", "") == expected + "\n",
              "%s: exit %d, %r" % (name, code, err))

# The default skin and every further skin drawn beside it (slate, jade, probe) read as drawn.
folder = os.path.dirname(os.path.abspath(default))
skins = sorted(f for f in os.listdir(folder)
               if f.endswith(".lsk") and os.path.exists(os.path.join(folder, f[:-4] + ".manifest")))
check("default.lsk" in skins and len(skins) >= 4, "skins beside default.lsk: %r" % skins)
for skin in skins:
    code, out, _ = run("dump", tool_path(os.path.join(folder, skin)))
    check(code == 0 and out == read(os.path.join(folder, skin[:-4] + ".manifest")).decode("ascii"), skin + " dump")


# Pixels, against the container read with zipfile (the skin file is a ZIP archive but for "SK").
def container_bitmaps(path):
    data = read(path)
    member = zipfile.ZipFile(io.BytesIO(b"PK" + data[2:])).read("SKINDATA.SK2")
    bitmaps, at = {}, struct.unpack_from("<I", member, 20)[0]
    while True:
        name, kind, offset, size, nxt = struct.unpack_from("<64sBIII", member, at)
        if nxt == 0:
            return bitmaps
        if kind == 0:
            bitmaps[name.split(b"\0")[0].decode("ascii")] = member[offset:offset + size]
        at = nxt


def bmp_pixel(bmp, x, y):
    offset, _, width, height = struct.unpack_from("<I I i i", bmp, 10)
    stride = (width * 3 + 3) & ~3
    row = height - 1 - y if height > 0 else y
    b, g, r = bmp[offset + row * stride + 3 * x: offset + row * stride + 3 * x + 3]
    return "%02X%02X%02X" % (r, g, b)


bitmaps = container_bitmaps(default)
rng = random.Random(13)
for name in sorted(bitmaps)[::3]:
    w, h = struct.unpack_from("<ii", bitmaps[name], 18)
    for x, y in ((0, 0), (w - 1, abs(h) - 1), (rng.randrange(w), rng.randrange(abs(h)))):
        code, out, err = run("pixel", tool_path(default), name.lower(), str(x), str(y))
        check(code == 0 and out.strip() == bmp_pixel(bitmaps[name], x, y), "pixel %s %d %d: %r %r" % (name, x, y, out, err))
code, out, err = run("pixel", tool_path(default), "SKIN2_BUTTON", "72", "0")
check(code == 1 and err.count("\n") == 1, "pixel outside the bitmap")
code, out, err = run("pixel", tool_path(os.path.join(fixtures, "password.lsk")), "SKIN2_BUTTON", "0", "0",
                     "--password", "skin-pass")
check(code == 0 and out.strip() == bmp_pixel(bitmaps["SKIN2_BUTTON"], 0, 0), "pixel with a password")

# Seeded damage: never a crash or a hang, one line when refused.
original = read(default)
with tempfile.TemporaryDirectory() as scratch:
    damaged = os.path.join(scratch, "damaged.lsk")
    for round_ in range(60):
        data = bytearray(original)
        for _ in range(1 + round_ % 5):
            at = rng.randrange(len(data))
            data[at] = rng.randrange(256)
        if round_ % 7 == 0:
            del data[rng.randrange(len(data)):]
        with open(damaged, "wb") as f:
            f.write(data)
        code, out, err = run("dump", tool_path(damaged))
        check(code == 0 or (code == 1 and err.count("\n") == 1), "damage round %d: exit %d %r" % (round_, code, err))

for f in failures:
    print("FAIL:", f)
print("%d failed" % len(failures))
sys.exit(1 if failures else 0)
