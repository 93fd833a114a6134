#!/usr/bin/env python3
"""Runs `ziptool extract` and `ziptool test` (a Windows program, through RUNNER) on archives
made by tools that no one here wrote, by the system's own writer, and by hand (hostile names,
damaged entries), all inside SCRATCH, which is emptied first.

usage: ziptool_extract_test.py RUNNER ZIPTOOL SCRATCH GROUP
GROUP: infozip, 7z, python, writer, hostile or damaged. Exits 77 (skipped) when the group's
tool is missing.

Sound archives must extract byte for byte, every file with the stored date, and test clean.
Hostile names must write nothing outside the destination folder, each refused entry being
named in its own line on standard error while the rest extracts. Damaged archives must end
in a non-zero status, a line naming the failed entry, and no file of it left behind; a run
that ends at an entry leaves a file already there after it as it was.
"""
import os
import shutil
import struct
import subprocess
import sys
import time
import zipfile
import zlib

# The archive checker's cipher and name rule; no byte code is left in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "ziparchive"))
from zip_check import ZipCrypto, stored_name_bytes  # noqa: E402

PASSWORD = "Pw-2024_secret"
GBK_DIR = b"\xd6\xd0\xce\xc4\x95\x5c"        # the last character ends in 0x5C
GBK_FILE = b"\xca\xe9\x95\x5c\xc4\xbf.htm"   # so does a character in the middle
TIMEOUT = 120


def windows_path(p):
    return "Z:" + os.path.abspath(p).replace("/", "\\")


class Runner:
    def __init__(self, runner, ziptool):
        self.runner, self.ziptool = runner, ziptool

    def run(self, *args):
        r = subprocess.run([self.runner, self.ziptool] + list(args), stdin=subprocess.DEVNULL,
                           capture_output=True, timeout=TIMEOUT)
        return r.returncode, r.stdout, r.stderr.decode("latin-1").splitlines()

    def extract(self, archive, dest, password=None):
        args = ["extract", windows_path(archive), windows_path(dest)]
        return self.run(*(args + (["--password", password] if password is not None else [])))

    def test(self, archive, password=None):
        args = ["test", windows_path(archive)]
        return self.run(*(args + (["--password", password] if password is not None else [])))


class Checker:
    def __init__(self):
        self.failures = 0
        self.checks = 0

    def check(self, ok, what):
        self.checks += 1
        print("%s %s" % ("ok  " if ok else "FAIL", what))
        if not ok:
            self.failures += 1
        return ok


def gbk_names_work():
    # Wine makes files with code page 936 names only where the Unix locale can spell them.
    return os.path.isdir(os.path.join(os.environ.get("LOCPATH", "/nonexistent"), "zh_CN.UTF-8"))


def make_site(root, with_gbk):
    """Pages, an incompressible picture, a deep folder, an empty file and folder, a file of
    exactly one block and one of a block and a byte, and (raw bytes) a code page 936 name."""
    import random
    rnd = random.Random(5)
    files = {
        b"index.htm": b"<html><body>" + b"hello reader " * 3000 + b"</body></html>",
        b"pics/a.png": bytes(rnd.getrandbits(8) for _ in range(70000)),
        b"sub/deep/er/x.txt": b"".join(b"line %d\n" % n for n in range(40000)),
        b"empty.txt": b"",
        b"block/32768.bin": bytes(rnd.getrandbits(8) for _ in range(32768)),
        b"block/32769.bin": bytes(rnd.getrandbits(8) for _ in range(32769)),
    }
    if with_gbk:
        files[GBK_DIR + b"/" + GBK_FILE] = b"gbk named page"
    for i, (name, data) in enumerate(sorted(files.items())):
        p = os.path.join(os.fsencode(root), name)
        os.makedirs(os.path.dirname(p), exist_ok=True)
        with open(p, "wb") as f:
            f.write(data)
        t = time.mktime((2019, 3, 4, 5, 6, 8 + 2 * i, 0, 0, -1)) + 1   # an odd second
        os.utime(p, (t, t))
    os.makedirs(os.path.join(root, "emptydir"), exist_ok=True)
    return files


def on_disk_name(stored):
    """Where an entry's raw name bytes end up on the Unix side of Wine: code page 936
    characters become UTF-8."""
    return stored.decode("gbk").encode("utf-8")


def compare_extraction(c, label, archive, dest, password=None):
    """Every file entry is in DEST with its bytes and its stored date; nothing else is."""
    expected = set()
    with zipfile.ZipFile(archive) as z:
        if password:
            z.setpassword(password.encode())
        for info in z.infolist():
            raw = stored_name_bytes(info)
            path = os.path.join(os.fsencode(dest), on_disk_name(raw).rstrip(b"/"))
            expected.add(os.path.normpath(path))
            if info.is_dir():
                c.check(os.path.isdir(path), "%s: folder %r re-created" % (label, raw))
                continue
            if not c.check(os.path.isfile(path), "%s: %r extracted" % (label, raw)):
                continue
            with open(path, "rb") as f:
                c.check(f.read() == z.read(info), "%s: %r byte for byte" % (label, raw))
            want = time.mktime(info.date_time + (0, 0, -1))
            got = os.stat(path).st_mtime
            c.check(abs(got - want) < 1, "%s: %r dated %s (got %s)" % (
                label, raw, time.ctime(want), time.ctime(got)))
    present = set()
    for top, dirs, files in os.walk(os.fsencode(dest)):
        for n in dirs + files:
            present.add(os.path.normpath(os.path.join(top, n)))
    # Folders above the entries appear too; anything else is a stray.
    strays = [p for p in present if p not in expected and not any(e.startswith(p + b"/") for e in expected)]
    c.check(not strays, "%s: nothing else in the destination %r" % (label, strays[:3]))


def sound_archive(c, z, label, archive, work, password=None):
    dest = os.path.join(work, label + "_out")
    status, out, err = z.extract(archive, dest, password)
    c.check(status == 0 and not err, "%s: extract exits 0 quietly (status %d, %r)" % (label, status, err[:3]))
    compare_extraction(c, label, archive, dest, password)
    status, out, err = z.test(archive, password)
    c.check(status == 0 and not err, "%s: test exits 0 (status %d, %r)" % (label, status, err[:3]))
    if password:
        status, out, err = z.test(archive, password + "x")
        c.check(status != 0 and err, "%s: test with a wrong password fails (status %d)" % (label, status))


def group_infozip(c, z, work):
    if not shutil.which("zip"):
        return "zip"
    make_site(os.path.join(work, "site"), gbk_names_work())
    plain, enc = os.path.join(work, "plain.zip"), os.path.join(work, "enc.zip")
    subprocess.run(["zip", "-q", "-r", "-X", plain, "site"], cwd=work, check=True)
    subprocess.run(["zip", "-q", "-r", "-P", PASSWORD, enc, "site"], cwd=work, check=True)
    with zipfile.ZipFile(enc) as zf:
        # Info-ZIP writes a data descriptor, so the check byte comes from the time.
        c.check(all(i.flag_bits & 9 == 9 for i in zf.infolist() if not i.is_dir()),
                "infozip: -P entries are encrypted with a data descriptor")
    # Streamed through a pipe: sizes after the data.
    piped = subprocess.run("zip -q -r -P %s - site | cat" % PASSWORD, shell=True, cwd=work,
                           stdout=subprocess.PIPE, check=True).stdout
    pipe = os.path.join(work, "pipe.zip")
    with open(pipe, "wb") as f:
        f.write(piped)
    sound_archive(c, z, "infozip_plain", plain, work)
    sound_archive(c, z, "infozip_P", enc, work, PASSWORD)
    sound_archive(c, z, "infozip_pipe", pipe, work, PASSWORD)


def group_7z(c, z, work):
    tool = shutil.which("7z") or shutil.which("7za") or shutil.which("7zz")
    if not tool:
        return "7z"
    make_site(os.path.join(work, "site"), False)
    for label, extra, pw in (("7z_deflate", [], None), ("7z_stored", ["-mx=0"], None),
                             ("7z_zipcrypto", ["-p" + PASSWORD, "-mem=ZipCrypto"], PASSWORD),
                             ("7z_zipcrypto_stored", ["-p" + PASSWORD, "-mem=ZipCrypto", "-mx=0"], PASSWORD)):
        archive = os.path.join(work, label + ".zip")
        subprocess.run([tool, "a", "-tzip", "-bd", "-y"] + extra + [archive, "site"], cwd=work, check=True,
                       stdout=subprocess.DEVNULL)
        sound_archive(c, z, label, archive, work, pw)


def group_python(c, z, work):
    import random
    rnd = random.Random(6)
    contents = [("readme.txt", b"text " * 5000), ("bin/data.bin", bytes(rnd.getrandbits(8) for _ in range(50000))),
                ("empty", b""), ("folder/", b""), ("folder/inner/page.htm", b"<p>" * 20000)]
    for label, method in (("py_stored", zipfile.ZIP_STORED), ("py_deflate", zipfile.ZIP_DEFLATED)):
        archive = os.path.join(work, label + ".zip")
        with zipfile.ZipFile(archive, "w", method) as zf:
            for n, d in contents:
                zf.writestr(zipfile.ZipInfo(n, (2003, 4, 5, 6, 7, 8)), d, compress_type=method)
        sound_archive(c, z, label, archive, work)
    # Made on DOS: the read-only bit comes along; made on Unix it does not.
    archive = os.path.join(work, "py_attributes.zip")
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as zf:
        for name, system, attr in (("dos_ro.txt", 0, 0x21), ("unix.txt", 3, (0o100444 << 16) | 0x01)):
            info = zipfile.ZipInfo(name, (2010, 1, 2, 3, 4, 6))
            info.create_system, info.external_attr = system, attr
            zf.writestr(info, b"attributes")
    sound_archive(c, z, "py_attributes", archive, work)
    dest = os.path.join(work, "py_attributes_out")
    c.check(not os.stat(os.path.join(dest, "dos_ro.txt")).st_mode & 0o200, "py_attributes: DOS read-only kept")
    c.check(os.stat(os.path.join(dest, "unix.txt")).st_mode & 0o200, "py_attributes: Unix attributes not applied")
    os.chmod(os.path.join(dest, "dos_ro.txt"), 0o644)


def group_writer(c, z, work):
    status, out, err = z.run()
    if not any(line.strip().startswith("ziptool create") for line in err):
        return "ziptool create (the writer)"
    make_site(os.path.join(work, "site"), gbk_names_work())
    for label, args, pw in (("writer_plain", [], None), ("writer_stored", ["--level", "0"], None),
                            ("writer_password", ["--password", PASSWORD], PASSWORD),
                            ("writer_password_9", ["--password", PASSWORD, "--level", "9"], PASSWORD)):
        archive = os.path.join(work, label + ".zip")
        status, out, err = z.run("create", windows_path(archive), windows_path(os.path.join(work, "site")), *args)
        if not c.check(status == 0, "%s: created (status %d, %r)" % (label, status, err[:2])):
            continue
        sound_archive(c, z, label, archive, work, pw)


# ---- hand-built archives ------------------------------------------------------------------

DOS_TIME = (2021 - 1980) << 25 | 6 << 21 | 15 << 16 | 10 << 11 | 20 << 5 | 5   # 15 Jun 2021 10:20:10


def build_zip(entries):
    """entries: dicts with name (bytes), data, and optionally method, password, crc, size
    (declared), zip64. Returns the archive and each entry's data offset."""
    body, central, offsets = b"", b"", []
    for e in entries:
        data, method = e["data"], e.get("method", 8)
        crc = e.get("crc", zlib.crc32(data))
        size = e.get("size", len(data))
        if method == 8:
            co = zlib.compressobj(6, zlib.DEFLATED, -15)
            packed = co.compress(data) + co.flush()
        else:
            packed = data
        flag = 0
        if "password" in e:
            flag = 1
            header = bytes(range(10)) + struct.pack("<H", crc >> 16)
            packed = ZipCrypto(e["password"].encode()).encrypt(header + packed)
        zip64 = size >= 0xFFFFFFFF
        extra = struct.pack("<HHQQ", 1, 16, size, len(packed)) if zip64 else b""
        s32, p32 = (0xFFFFFFFF, 0xFFFFFFFF) if zip64 else (size, len(packed))
        name = e["name"]
        local = struct.pack("<IHHHIIIIHH", 0x04034B50, 45 if zip64 else 20, flag, method, DOS_TIME, crc, p32, s32,
                            len(name), len(extra)) + name + extra
        offsets.append(len(body) + len(local))
        central += struct.pack("<IHHHHIIIIHHHHHII", 0x02014B50, 20, 45 if zip64 else 20, flag, method, DOS_TIME,
                               crc, p32, s32, len(name), len(extra), 0, 0, 0, 0x20, len(body)) + name + extra
        body += local + packed
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(central), len(body), 0)
    return body + central + end, offsets


def failed_names(err):
    return [line for line in err if line.startswith("ziptool: ")]


def group_hostile(c, z, work):
    outer = os.path.join(work, "outer")
    dest = os.path.join(outer, "dest")
    os.makedirs(outer)
    absolute = os.path.abspath(os.path.join(outer, "abs.txt")).encode()
    refused = [b"../x1.txt", b"a/../../x2.txt", b"..\\x3.txt", b"sub/..\\..\\x4.txt", b"\\\\srv\\share\\x5.txt",
               b"//srv/share/x6.txt", b"a:b", b"sub/c:stream.txt", b"CON", b"sub/NUL.txt", b"com1.htm",
               b"x/LPT1/y.txt", b"../", b"a/../../up/"]
    stripped = [(b"C:/x7.txt", b"x7.txt"), (absolute, absolute.lstrip(b"/")),
                (b"Z:" + absolute, absolute.lstrip(b"/"))]
    entries = [{"name": n, "data": b"evil"} for n in refused]
    entries += [{"name": n, "data": b"stripped " + n} for n, _ in stripped]
    entries.append({"name": b"good.txt", "data": b"good"})
    archive = os.path.join(work, "hostile.zip")
    with open(archive, "wb") as f:
        f.write(build_zip(entries)[0])
    status, out, err = z.extract(archive, dest)
    lines = failed_names(err)
    c.check(status != 0, "hostile: extract fails (status %d)" % status)
    c.check(len(lines) == len(refused), "hostile: one line per refused entry (%d lines: %r)" % (len(lines), lines))
    with open(os.path.join(dest, "good.txt"), "rb") as f:
        c.check(f.read() == b"good", "hostile: the sound entry extracts")
    for name, where in stripped:
        p = os.path.join(os.fsencode(dest), where)
        c.check(os.path.isfile(p), "hostile: %r lands inside the destination" % name)
    c.check(os.listdir(outer) == ["dest"], "hostile: nothing beside the destination (%r)" % os.listdir(outer))
    prefix_c = os.path.join(os.environ.get("WINEPREFIX", "/nonexistent"), "drive_c", "x7.txt")
    c.check(not os.path.exists(prefix_c), "hostile: nothing on drive C:")
    status, out, err = z.test(archive)
    c.check(status != 0 and len(failed_names(err)) == len(refused), "hostile: test refuses the same entries")


def find_impostor(archive, name):
    """A password that is not PASSWORD but passes the check byte of the entry NAME."""
    with open(archive, "rb") as f:
        data = f.read()
    with zipfile.ZipFile(archive) as zf:
        info = zf.getinfo(name)
    pos = info.header_offset
    flag = struct.unpack_from("<H", data, pos + 6)[0]
    dos_time = struct.unpack_from("<I", data, pos + 10)[0]
    crc = struct.unpack_from("<I", data, pos + 14)[0]
    n, x = struct.unpack_from("<HH", data, pos + 26)
    header = data[pos + 30 + n + x:pos + 30 + n + x + 12]
    expected = (dos_time >> 8) & 0xFF if flag & 8 else crc >> 24
    for i in range(100000):
        candidate = "guess%d" % i
        if ZipCrypto(candidate.encode()).decrypt(header)[11] == expected:
            return candidate
    raise RuntimeError("no impostor password found")


def group_damaged(c, z, work):
    import random
    page = b"".join(b"<p>paragraph %d of the page</p>\n" % n for n in range(20000))
    good = {"name": b"good.htm", "data": page}
    cases = []

    archive, offsets = build_zip([{"name": b"flipped.htm", "data": page}, good])
    b = bytearray(archive)
    b[offsets[0] + 500] ^= 0x5A
    cases.append(("flipped byte", bytes(b), b"flipped.htm", None))
    b = bytearray(archive)
    b[offsets[0]] = 0x07   # a last block of the reserved type 3
    cases.append(("corrupt deflate", bytes(b), b"flipped.htm", None))

    cases.append(("wrong CRC", build_zip([{"name": b"crc.htm", "data": page, "crc": zlib.crc32(page) ^ 0x100}, good])[0],
                  b"crc.htm", None))
    cases.append(("4 GiB declared", build_zip([{"name": b"huge.htm", "data": b"tiny", "size": 1 << 32}, good])[0],
                  b"huge.htm", None))
    cases.append(("wrong stored size", build_zip([{"name": b"size.bin", "data": b"12345678", "method": 0,
                                                   "size": 7}, good])[0], b"size.bin", None))
    archive, offsets = build_zip([{"name": b"encflip.htm", "data": page, "password": PASSWORD}, good])
    b = bytearray(archive)
    b[offsets[0] + 300] ^= 0x11
    cases.append(("encrypted, flipped byte", bytes(b), b"encflip.htm", PASSWORD))

    random_data = bytes(random.Random(7).getrandbits(8) for _ in range(100000))
    full, offsets = build_zip([good, {"name": b"cut.bin", "data": random_data, "method": 0}])
    cases.append(("truncated archive", full[:offsets[1] + 50000], None, None))

    for label, data, victim, password in cases:
        archive = os.path.join(work, label.replace(" ", "_").replace(",", "") + ".zip")
        with open(archive, "wb") as f:
            f.write(data)
        check_damaged(c, z, work, label, archive, victim, password)

    # Info-ZIP's own encryption, opened with a password that passes the check byte.
    if shutil.which("zip"):
        site = os.path.join(work, "pwsite")
        os.makedirs(site)
        with open(os.path.join(site, "page.htm"), "wb") as f:
            f.write(page)
        archive = os.path.join(work, "impostor.zip")
        subprocess.run(["zip", "-q", "-j", "-P", PASSWORD, archive, os.path.join(site, "page.htm")], check=True)
        impostor = find_impostor(archive, "page.htm")
        # Past the check byte, the entry fails on its data, not on the password check.
        err = z.test(archive, impostor)[2]
        c.check(len(err) >= 1 and "wrong password or" in err[0],
                "password passing the check byte: gets past the check byte (%r)" % err)
        check_damaged(c, z, work, "password passing the check byte", archive, b"page.htm", impostor,
                      expect_good=False)
    else:
        print("SKIPPED password passing the check byte: zip is not installed")


def deflate_breaks(archive, victim, password):
    """Whether the entry VICTIM's data, deciphered with PASSWORD, is no whole Deflate stream:
    corrupt Deflate data ends the run, so the entries after it are not extracted."""
    with open(archive, "rb") as f:
        data = f.read()
    with zipfile.ZipFile(archive) as zf:
        info = zf.getinfo(victim.decode())
    pos = info.header_offset
    n, x = struct.unpack_from("<HH", data, pos + 26)
    packed = data[pos + 30 + n + x:pos + 30 + n + x + info.compress_size]
    if info.compress_type != zipfile.ZIP_DEFLATED:
        return False
    if info.flag_bits & 1:
        packed = ZipCrypto(password.encode()).decrypt(packed)[12:]
    d = zlib.decompressobj(-15)
    try:
        d.decompress(packed)
    except zlib.error:
        return True
    return not d.eof


def check_damaged(c, z, work, label, archive, victim, password, expect_good=True):
    dest = os.path.join(work, "out_" + os.path.basename(archive))
    ends_run = victim is not None and deflate_breaks(archive, victim, password)
    try:
        status, out, err = z.extract(archive, dest, password)
    except subprocess.TimeoutExpired:
        c.check(False, "%s: extract ends in time" % label)
        return
    lines = failed_names(err)
    c.check(status != 0, "%s: extract fails (status %d)" % (label, status))
    if victim and ends_run:
        # The entry is named, then the error that ended the run.
        c.check(len(lines) == 2 and victim.decode() in lines[0], "%s: the entry and the error (%r)" % (label, lines))
        c.check(not os.path.exists(os.path.join(os.fsencode(dest), victim)), "%s: no file left behind" % label)
        c.check(not os.path.exists(os.path.join(dest, "good.htm")), "%s: the run ends at the entry" % label)
        # Over a folder that already holds the later entry's file: that file stays as it was.
        held = dest + "_held"
        os.makedirs(held)
        with open(os.path.join(held, "good.htm"), "wb") as f:
            f.write(b"the user's own page")
        status = z.extract(archive, held, password)[0]
        kept = None
        if os.path.isfile(os.path.join(held, "good.htm")):
            with open(os.path.join(held, "good.htm"), "rb") as f:
                kept = f.read()
        c.check(status != 0 and kept == b"the user's own page",
                "%s: a file already there after the entry stays (status %d, %r)" % (label, status, kept))
    elif victim:
        c.check(len(lines) == 1 and victim.decode() in lines[0], "%s: one line names %r (%r)" % (label, victim, lines))
        c.check(not os.path.exists(os.path.join(os.fsencode(dest), victim)), "%s: no file left behind" % label)
        if expect_good:
            c.check(os.path.isfile(os.path.join(dest, "good.htm")), "%s: the sound entry still extracts" % label)
    else:
        left = [os.path.join(t, n) for t, _, fs in os.walk(dest) for n in fs] if os.path.isdir(dest) else []
        c.check(len(lines) >= 1 and not left, "%s: refused with a reason, nothing written (%r, %r)" % (label, lines, left))
    status, out, err = z.test(archive, password)
    c.check(status != 0 and failed_names(err), "%s: test fails too (status %d)" % (label, status))


class DesktopKeeper:
    """Wine starts its desktop process for the first program that loads the common controls
    and ends it when the last one is gone; starting it costs seconds each time, and it keeps
    the standard handles of the program that started it. So one waiting console holds the
    desktop for the whole group, and a first run with discarded output starts it."""

    def __init__(self, runner, ziptool):
        self.runner, self.ziptool = runner, ziptool

    def __enter__(self):
        self.keeper = subprocess.Popen([self.runner, "cmd.exe"], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        subprocess.run([self.runner, self.ziptool], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=TIMEOUT)
        return self

    def __exit__(self, *exc):
        self.keeper.stdin.close()
        try:
            self.keeper.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.keeper.kill()
            self.keeper.wait()


GROUPS = {"infozip": group_infozip, "7z": group_7z, "python": group_python, "writer": group_writer,
          "hostile": group_hostile, "damaged": group_damaged}


def main():
    runner, ziptool, scratch, group = sys.argv[1:5]
    work = os.path.join(os.path.abspath(scratch), group)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    c = Checker()
    with DesktopKeeper(runner, ziptool):
        missing = GROUPS[group](c, Runner(runner, ziptool), work)
    if missing:
        print("SKIPPED: %s is not installed" % missing)
        return 77
    print("%d passed, %d failed" % (c.checks - c.failures, c.failures))
    if not c.failures:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if c.failures or not c.checks else 0


if __name__ == "__main__":
    sys.exit(main())
