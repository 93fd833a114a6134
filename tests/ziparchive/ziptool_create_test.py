#!/usr/bin/env python3
"""`ziptool create` under Wine, checked with tools that no one here wrote.

A folder with nested sub-folders, a 0-byte file, compressible and incompressible files
and code page 936 names (one with a trail byte 0x5C) is zipped by ziptool at PackLevel
0, 1, 6 and 9, with and without a password; every archive must pass Python's zipfile
byte-for-byte check with the encryption check bytes, `unzip -t` and `7z t`
(zip_check.py). A folder of more than 65535 files must come out with the zip64 end
record. A run whose writes fail (a file size limit) must leave neither a partial archive
nor a temporary file, and must leave an archive it was to replace as it was.

usage: ziptool_create_test.py RUNNER ZIPTOOL
RUNNER runs a Windows program (the Wine wrapper); WINEPREFIX names the prefix.
Exit status 0 (passed), 1 (failed) or 77 (skipped: unzip or 7z is not installed).
"""
import glob
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zip_check  # noqa: E402

GBK = "中文"
TRAIL = "乗"   # code page 936: 81 5C


def windows_path(p):
    return "Z:" + os.path.abspath(p).replace("/", "\\")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def text_bytes(n, seed):
    rnd = random.Random(seed)
    words = [b"<div class=\"page\">", b"the ", b"archive ", b"book ", b"</div>\r\n", b"<p>",
             "中文 ".encode("utf-8"), b"style "]
    out = bytearray()
    while len(out) < n:
        out += rnd.choice(words)
    return bytes(out[:n])


def make_site(root):
    rnd = random.Random(5)
    write(os.path.join(root, "index.htm"), text_bytes(300000, 1))
    write(os.path.join(root, "zero.txt"), b"")
    write(os.path.join(root, "css", "style.css"), text_bytes(7000, 2))
    write(os.path.join(root, "img", "photo.jpg"), bytes(rnd.getrandbits(8) for _ in range(250000)))
    write(os.path.join(root, "img", "deep", "er", "tiny.gif"), b"GIF89a")
    write(os.path.join(root, GBK, TRAIL + GBK + ".htm"), text_bytes(1000, 3))
    write(os.path.join(root, TRAIL, TRAIL), bytes(rnd.getrandbits(8) for _ in range(70000)))


def run_create(runner, ziptool, archive, folder, password, level, limit_kib=None):
    cmd = [runner, ziptool, "create", windows_path(archive), windows_path(folder), "--level", str(level)]
    if password:
        cmd += ["--password", password]
    if limit_kib is not None:
        # Writes beyond the limit fail (EFBIG) instead of killing the program.
        cmd = ["bash", "-c", "trap '' XFSZ; ulimit -f %d; exec \"$@\"" % limit_kib, "limit"] + cmd
    return subprocess.run(cmd, stdin=subprocess.DEVNULL, capture_output=True, timeout=600)


def wine_temp_files():
    prefix = os.environ.get("WINEPREFIX", "")
    found = set()
    for pattern in ("drive_c/users/*/Temp/ZKZ*", "drive_c/users/*/AppData/Local/Temp/ZKZ*"):
        found.update(glob.glob(os.path.join(prefix, pattern)))
    return found


class Checker:
    def __init__(self):
        self.failures = 0
        self.missing = set()

    def expect(self, ok, label, detail=""):
        print("%s %s" % ("ok  " if ok else "FAIL", label))
        if not ok:
            if detail:
                print("     " + detail)
            self.failures += 1


def check_levels(c, runner, ziptool, work):
    site = os.path.join(work, "site")
    make_site(site)
    for password in ("", "secret"):
        for level in (0, 1, 6, 9):
            label = "level %d %s" % (level, "with password" if password else "without password")
            archive = os.path.join(work, "out-%d-%s.zip" % (level, password or "none"))
            r = run_create(runner, ziptool, archive, site, password, level)
            if r.returncode != 0:
                c.expect(False, label, "ziptool: status %d, %r" % (r.returncode, r.stderr[:300]))
                continue
            problems, missing = zip_check.check(archive, site, password, gbk_names=True, tools=True)
            c.missing.update(missing)
            c.expect(not problems, label, "; ".join(problems[:5]))


def check_many_entries(c, runner, ziptool, work):
    site = os.path.join(work, "many")
    count = 65600
    for i in range(count):
        d = os.path.join(site, "d%02d" % (i // 1000))
        if i % 1000 == 0:
            os.makedirs(d)
        with open(os.path.join(d, "f%d.txt" % i), "wb") as f:
            f.write(b"%d" % i)
    archive = os.path.join(work, "many.zip")
    r = run_create(runner, ziptool, archive, site, "pw", 0)
    if r.returncode != 0:
        c.expect(False, "more than 65535 entries", "ziptool: status %d, %r" % (r.returncode, r.stderr[:300]))
        return
    with open(archive, "rb") as f:
        data = f.read()
    end = data.rfind(b"PK\x05\x06")
    entries16 = struct.unpack_from("<H", data, end + 10)[0]
    locator = data[end - 20:end - 16] == b"PK\x06\x07"
    total64 = None
    if locator:
        z = struct.unpack_from("<Q", data, end - 12)[0]
        total64 = struct.unpack_from("<Q", data, z + 32)[0] if data[z:z + 4] == b"PK\x06\x06" else None
    c.expect(entries16 == 0xFFFF and total64 == count, "zip64 end record for %d entries" % count,
             "16-bit count %#x, zip64 count %r" % (entries16, total64))
    problems, missing = zip_check.check(archive, site, "pw", gbk_names=True, tools=True)
    c.missing.update(missing)
    c.expect(not problems, "more than 65535 entries read back", "; ".join(problems[:5]))


def check_write_failure(c, runner, ziptool, work):
    site = os.path.join(work, "big")
    rnd = random.Random(9)
    write(os.path.join(site, "a.bin"), bytes(rnd.getrandbits(8) for _ in range(400000)))
    write(os.path.join(site, "b.htm"), text_bytes(100000, 4))
    for replacing in (False, True):
        label = "failed write %s" % ("of a replacing archive" if replacing else "of a new archive")
        archive = os.path.join(work, "fail.zip")
        old = b"PK\x05\x06" + bytes(18)   # an archive with no entries
        if replacing:
            write(archive, old)
        before = wine_temp_files()
        r = run_create(runner, ziptool, archive, site, "pw", 6, limit_kib=128)
        left = wine_temp_files() - before
        if replacing:
            with open(archive, "rb") as f:
                kept = f.read() == old
            ok = r.returncode != 0 and kept and not left
            detail = "status %d, old archive kept %s, temporary files %s" % (r.returncode, kept, sorted(left))
        else:
            ok = r.returncode != 0 and not os.path.exists(archive) and not left
            detail = "status %d, archive left %s, temporary files %s" % (
                r.returncode, os.path.exists(archive), sorted(left))
        lines = r.stderr.decode("latin-1").strip().splitlines()
        ok = ok and len(lines) == 1
        c.expect(ok, label, detail + ", stderr %r" % r.stderr[:200])
        for f in left:
            os.remove(f)
        if os.path.exists(archive):
            os.remove(archive)


def check_update_keeps_mode(c, runner, ziptool, work):
    # An archive made here has the mode Wine gives new files; updated, it keeps that mode
    # (no execute or group write bits from an access list set again on the new file).
    site = os.path.join(work, "modes")
    write(os.path.join(site, "a.txt"), b"a")
    archive = os.path.join(work, "modes.zip")
    first = run_create(runner, ziptool, archive, site, "", 6)
    before = os.stat(archive).st_mode & 0o7777 if first.returncode == 0 else None
    write(os.path.join(site, "b.txt"), b"b")
    second = run_create(runner, ziptool, archive, site, "", 6)
    after = os.stat(archive).st_mode & 0o7777
    c.expect(first.returncode == 0 and second.returncode == 0 and before == after and not before & 0o111,
             "an updated archive keeps its mode",
             "status %d, %d; mode %s before, %o after" % (first.returncode, second.returncode,
                                                           "%o" % before if before is not None else "-", after))


def main():
    runner, ziptool = sys.argv[1:3]
    c = Checker()
    work = tempfile.mkdtemp(prefix="ziptool-create-")
    try:
        check_levels(c, runner, ziptool, work)
        check_write_failure(c, runner, ziptool, work)
        check_update_keeps_mode(c, runner, ziptool, work)
        check_many_entries(c, runner, ziptool, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if c.failures:
        print("%d failed" % c.failures)
        return 1
    if c.missing:
        print("SKIPPED: not installed: %s (the other checks passed)" % ", ".join(sorted(c.missing)))
        return 77
    print("all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
