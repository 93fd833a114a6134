#!/usr/bin/env python3
"""`ziptool` with split sets and updates under Wine, checked with outside tools.

- `create --split 65536` writes set.zip.z01, set.zip.z02, ... and set.zip; `list`, `test`
  and `extract` take the last part; under Info-ZIP's names 7z tests it; an entry crosses
  two part boundaries; `--first`/`--reserve` bound the first part; `--zfc` writes set.zfc.
- Info-ZIP's own `zip -s 64k` sets, plain and with -P, are tested and extracted by ziptool.
- `create --action update|freshen|replace` on an existing archive merges as `zip -u`/`-f`
  does: kept entries stay, newer files replace theirs, new files are added (not with freshen).
- `--split 20000` writes parts of at most 20000 bytes that extract; a part too small for a
  header is refused and leaves no part behind.
- 7-Zip's UTF-8-flagged Chinese names extract under their names (code page 936 in Wine).

usage: ziptool_split_test.py RUNNER ZIPTOOL
Exit status 0 (passed), 1 (failed) or 77 (skipped: zip or 7z is not installed).
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time


def windows_path(p):
    return "Z:" + os.path.abspath(p).replace("/", "\\")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def random_bytes(n, seed):
    return random.Random(seed).randbytes(n)


class Checker:
    def __init__(self, runner, ziptool):
        self.runner, self.ziptool = runner, ziptool
        self.failures = 0

    def expect(self, ok, label, detail=""):
        print("%s %s" % ("ok  " if ok else "FAIL", label))
        if not ok:
            if detail:
                print("     " + detail)
            self.failures += 1

    def ziptool_run(self, *args):
        cmd = [self.runner, self.ziptool] + [windows_path(a) if isinstance(a, Path) else a for a in args]
        return subprocess.run(cmd, stdin=subprocess.DEVNULL, capture_output=True, timeout=600)


class Path(str):
    """An argument that ziptool gets as a Windows path."""


def same_tree(a, b):
    for root, _, files in os.walk(a):
        for f in files:
            p = os.path.join(root, f)
            q = os.path.join(b, os.path.relpath(p, a))
            if not os.path.exists(q) or read(p) != read(q):
                return False
    return True


def check_our_split_set(c, work):
    site = os.path.join(work, "site")
    write(os.path.join(site, "index.htm"), b"<p>home</p>" * 500)
    write(os.path.join(site, "big.bin"), random_bytes(150000, 1))   # crosses two boundaries
    write(os.path.join(site, "img", "a.gif"), b"GIF89a" * 100)
    out = os.path.join(work, "ours")
    os.makedirs(out)
    archive = os.path.join(out, "set.zip")
    r = c.ziptool_run("create", Path(archive), Path(site), "--level", "0", "--split", "65536")
    parts = sorted(os.listdir(out))
    expected = ["set.zip"] + ["set.zip.z%02d" % n for n in range(1, len(parts))]
    c.expect(r.returncode == 0 and len(parts) >= 3 and parts == expected,
             "create --split 65536", "status %d, parts %s, %r" % (r.returncode, parts, r.stderr[:200]))
    c.expect(all(os.path.getsize(os.path.join(out, p)) <= 65536 for p in parts), "every part at most 65536 bytes")
    c.expect(read(os.path.join(out, "set.zip.z01"))[:4] == b"PK\x07\x08", "the spanning signature opens part 1")
    c.expect(not os.path.exists(os.path.join(out, "set.zfc")), "no .zfc without --zfc")

    r = c.ziptool_run("list", Path(archive))
    listed = r.stdout.decode("latin-1")
    c.expect(r.returncode == 0 and all(n in listed for n in ("index.htm", "big.bin", "img/a.gif")),
             "list takes the last part", "%r %r" % (r.stdout[:300], r.stderr[:200]))
    r = c.ziptool_run("test", Path(archive))
    c.expect(r.returncode == 0, "test takes the last part", repr(r.stderr[:300]))
    dest = os.path.join(work, "ours-x")
    r = c.ziptool_run("extract", Path(archive), Path(dest))
    c.expect(r.returncode == 0 and same_tree(site, dest), "extract takes the last part", repr(r.stderr[:300]))

    if shutil.which("7z"):
        for p in parts:
            if p.startswith("set.zip.z"):
                os.rename(os.path.join(out, p), os.path.join(out, "set." + p[8:]))
        r = subprocess.run(["7z", "t", archive], capture_output=True)
        c.expect(r.returncode == 0, "7z tests the set under Info-ZIP's names", r.stdout.decode("latin-1")[-300:])

    # A smaller first part, with room kept free on it, and the directory copy.
    out2 = os.path.join(work, "first")
    os.makedirs(out2)
    archive2 = os.path.join(out2, "set.zip")
    r = c.ziptool_run("create", Path(archive2), Path(site), "--level", "0", "--split", "100000",
                      "--first", "70000", "--reserve", "2000", "--zfc")
    first = os.path.join(out2, "set.zip.z01")
    c.expect(r.returncode == 0 and os.path.exists(first) and os.path.getsize(first) <= 68000,
             "--first 70000 --reserve 2000 (with the directory copy's reserve) bound part 1",
             "status %d, size %s" % (r.returncode, os.path.exists(first) and os.path.getsize(first)))
    c.expect(os.path.exists(os.path.join(out2, "set.zfc")), "--zfc writes set.zfc")

    # A set that fits one part keeps the spanning signature, as Info-ZIP's do; no .zfc.
    out4 = os.path.join(work, "one")
    os.makedirs(out4)
    one = os.path.join(out4, "one.zip")
    write(os.path.join(work, "one-site", "a.txt"), b"hello")
    r = c.ziptool_run("create", Path(one), Path(os.path.join(work, "one-site")), "--split", "65536", "--zfc")
    t = subprocess.run(["unzip", "-tq", one], capture_output=True)
    c.expect(r.returncode == 0 and os.listdir(out4) == ["one.zip"] and read(one)[:4] == b"PK\x07\x08" and
             t.returncode == 0, "a one-part set: signature kept, unzip -t passes, no .zfc",
             "status %d, files %s, %r" % (r.returncode, os.listdir(out4), t.stdout[-200:]))

    out5 = os.path.join(work, "small-parts")
    os.makedirs(out5)
    archive5 = os.path.join(out5, "set.zip")
    r = c.ziptool_run("create", Path(archive5), Path(site), "--level", "0", "--split", "20000")
    parts = sorted(os.listdir(out5))
    dest5 = os.path.join(work, "small-parts-x")
    x = c.ziptool_run("extract", Path(archive5), Path(dest5))
    c.expect(r.returncode == 0 and len(parts) > 5 and
             all(os.path.getsize(os.path.join(out5, p)) <= 20000 for p in parts) and
             x.returncode == 0 and same_tree(site, dest5),
             "--split 20000: parts of at most 20000 bytes, extracted whole",
             "status %d/%d, parts %s" % (r.returncode, x.returncode, parts))

    out3 = os.path.join(work, "small")
    os.makedirs(out3)
    r = c.ziptool_run("create", Path(os.path.join(out3, "set.zip")), Path(site), "--split", "40")
    c.expect(r.returncode != 0 and not os.listdir(out3), "parts too small for a header are refused, nothing left",
             "status %d, files %s" % (r.returncode, os.listdir(out3)))


def check_infozip_sets(c, work):
    site = os.path.join(work, "iz-site")
    write(os.path.join(site, "big.bin"), random_bytes(200000, 2))
    write(os.path.join(site, "sub", "t.txt"), b"text " * 20000)
    for password in ("", "secret"):
        label = "zip -s 64k set %s" % ("with -P" if password else "without password")
        archive = os.path.join(work, "iz%s.zip" % password)
        cmd = ["zip", "-q", "-r", "-D", "-s", "64k"] + (["-P", password] if password else []) + [archive, "."]
        subprocess.run(cmd, cwd=site, check=True)
        extra = ["--password", password] if password else []
        r = c.ziptool_run("test", Path(archive), *extra)
        c.expect(r.returncode == 0, label + ": test", repr(r.stderr[:300]))
        dest = os.path.join(work, "iz-x%s" % password)
        r = c.ziptool_run("extract", Path(archive), Path(dest), *extra)
        c.expect(r.returncode == 0 and same_tree(site, dest), label + ": extract", repr(r.stderr[:300]))


def check_update(c, work):
    site = os.path.join(work, "up-site")
    old = time.time() - 3600
    for name, data in (("a.htm", b"a" * 3000), ("b.css", b"b" * 2000), ("img/c.gif", b"GIF89a")):
        write(os.path.join(site, name), data)
        os.utime(os.path.join(site, name), (old, old))
    theirs = os.path.join(work, "theirs.zip")
    ours = os.path.join(work, "ours.zip")
    subprocess.run(["zip", "-q", "-r", "-D", theirs, "."], cwd=site, check=True)
    shutil.copy(theirs, ours)
    write(os.path.join(site, "b.css"), b"newer b")
    write(os.path.join(site, "new.txt"), b"new")
    for action, zip_option in (("freshen", "-f"), ("update", "-u")):
        r = c.ziptool_run("create", Path(ours), Path(site), "--action", action)
        subprocess.run(["zip", "-q", "-r", "-D", zip_option, theirs, "."], cwd=site, check=True)
        listed = lambda z: subprocess.run(["unzip", "-Z1", z], capture_output=True).stdout.split()
        c.expect(r.returncode == 0 and sorted(listed(ours)) == sorted(listed(theirs)),
                 "--action %s merges as zip %s" % (action, zip_option),
                 "status %d, ours %s, theirs %s, %r" % (r.returncode, listed(ours), listed(theirs), r.stderr[:200]))
        t = subprocess.run(["unzip", "-tq", ours], capture_output=True)
        c.expect(t.returncode == 0, "unzip -t after --action %s" % action, t.stdout.decode("latin-1")[-200:])
    r = c.ziptool_run("create", Path(ours), Path(site), "--action", "replace")
    zipped = r.stdout.decode("latin-1").strip().splitlines()[-1:] if r.returncode == 0 else []
    c.expect(zipped == ["zipped\t4"], "--action replace re-zips every file", repr(zipped))


def check_utf8_names(c, work):
    """7-Zip writes Chinese names in UTF-8 (flag bit 11): they extract under their names."""
    if not shutil.which("7z"):
        return
    src = os.path.join(work, "utf8-src")
    write(os.path.join(src, "中文", "页面.htm"), b"<p>page</p>")
    archive = os.path.join(work, "utf8.zip")
    subprocess.run(["7z", "a", "-tzip", archive, "."], cwd=src, check=True, capture_output=True)
    dest = os.path.join(work, "utf8-x")
    r = c.ziptool_run("extract", Path(archive), Path(dest))
    c.expect(r.returncode == 0 and os.path.exists(os.path.join(dest, "中文", "页面.htm")),
             "7-Zip's UTF-8 names extract under their names", "status %d, %s, %r" % (
                 r.returncode, os.listdir(dest) if os.path.isdir(dest) else None, r.stderr[:200]))


def main():
    runner, ziptool = sys.argv[1:3]
    if not shutil.which("zip") or not shutil.which("unzip"):
        print("SKIPPED: Info-ZIP zip/unzip not installed")
        return 77
    c = Checker(runner, ziptool)
    work = tempfile.mkdtemp(prefix="ziptool-split-")
    try:
        check_our_split_set(c, work)
        check_infozip_sets(c, work)
        check_update(c, work)
        check_utf8_names(c, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if c.failures:
        print("%d failed" % c.failures)
        return 1
    if not shutil.which("7z"):
        print("SKIPPED: 7z is not installed (the other checks passed)")
        return 77
    print("all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
