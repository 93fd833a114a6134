#!/usr/bin/env python3
"""Checks an archive against the folder it was made from with tools that no one here
wrote: Python's zipfile reads every entry back (with the password) and compares it byte
for byte with its file, every file of the folder must be in the archive, and each
encryption header must end in the two top bytes of its entry's CRC; with --tools, Info-ZIP
`unzip -t` and `7z t` test the archive as well.

usage: zip_check.py ARCHIVE FOLDER [--password P] [--gbk-names] [--tools]

Names are stored in code page 936 without the UTF-8 flag. With --gbk-names the folder's
names are Unix UTF-8 names (as Wine makes them from code page 936 names) and the stored
names are decoded as GBK before they are compared; otherwise both are compared as bytes.

Exit status 0 when every check passed, 1 on a failure, 77 when everything that could run
passed but a tool asked for is not installed.
"""
import argparse
import os
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from zip_cipher import ZipCrypto  # noqa: E402,F401  (the tests take it from here)


def decrypt_header(header, password):
    """The 12 plain bytes of a traditional encryption header."""
    return ZipCrypto(password).decrypt(header)


def stored_name_bytes(info):
    return info.orig_filename.encode("utf-8" if info.flag_bits & 0x800 else "cp437")


def folder_files(folder, gbk_names):
    """Relative name -> full path of every file below folder ("/" separated)."""
    files = {}
    root = os.fsencode(folder)
    for dirpath, _, names in os.walk(root):
        for n in names:
            full = os.path.join(dirpath, n)
            rel = os.path.relpath(full, root).replace(os.sep.encode(), b"/")
            files[rel.decode("utf-8") if gbk_names else rel] = full
    return files


def check_with_python(archive, folder, password, gbk_names):
    problems = []
    pwd = password.encode("latin-1") if password else None
    expected = folder_files(folder, gbk_names)
    seen = set()
    with zipfile.ZipFile(archive) as z, open(archive, "rb") as raw:
        for info in z.infolist():
            name = stored_name_bytes(info)
            if gbk_names:
                name = name.decode("gbk")
            if info.filename.endswith("/"):
                continue
            if name in seen:
                problems.append("duplicate entry %r" % (name,))
            seen.add(name)
            if name not in expected:
                problems.append("entry %r has no file" % (name,))
                continue
            with open(expected[name], "rb") as f:
                want = f.read()
            if info.flag_bits & 1:
                if not pwd:
                    problems.append("entry %r is encrypted" % (name,))
                    continue
                raw.seek(info.header_offset + 26)
                n, x = int.from_bytes(raw.read(2), "little"), int.from_bytes(raw.read(2), "little")
                raw.seek(info.header_offset + 30 + n + x)
                plain = decrypt_header(raw.read(12), pwd)
                if plain[10] != (info.CRC >> 16) & 0xFF or plain[11] != info.CRC >> 24:
                    problems.append("entry %r: check bytes %s, CRC %08x" % (name, plain[10:].hex(), info.CRC))
            elif pwd:
                problems.append("entry %r is not encrypted" % (name,))
            try:
                got = z.read(info, pwd=pwd)
            except Exception as e:  # noqa: BLE001 - any failure of the reader is a finding
                problems.append("entry %r unreadable: %s" % (name, e))
                continue
            if got != want:
                problems.append("entry %r differs from its file (%d/%d bytes)" % (name, len(got), len(want)))
    for name in sorted(set(expected) - seen, key=str):
        problems.append("file %r is not in the archive" % (name,))
    return problems


def run_tool(cmd):
    r = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    tail = r.stdout.decode("latin-1").strip().splitlines()[-3:]
    return r.returncode, " | ".join(tail)


def check_with_tools(archive, password):
    problems, missing = [], []
    unzip = shutil.which("unzip")
    if unzip:
        rc, out = run_tool([unzip, "-t", "-qq"] + (["-P", password] if password else []) + [archive])
        if rc != 0:
            problems.append("unzip -t: status %d: %s" % (rc, out))
    else:
        missing.append("unzip")
    seven = shutil.which("7z") or shutil.which("7za") or shutil.which("7zz")
    if seven:
        rc, out = run_tool([seven, "t", "-bd", "-y", "-p" + password, archive])
        if rc != 0:
            problems.append("7z t: status %d: %s" % (rc, out))
    else:
        missing.append("7z")
    return problems, missing


def check(archive, folder, password="", gbk_names=False, tools=False):
    """(problems, missing tools)"""
    problems = check_with_python(archive, folder, password, gbk_names)
    missing = []
    if tools:
        p, missing = check_with_tools(archive, password)
        problems += p
    return problems, missing


def main(argv):
    parser = argparse.ArgumentParser(description="Checks an archive against its folder.")
    parser.add_argument("archive")
    parser.add_argument("folder")
    parser.add_argument("--password", default="")
    parser.add_argument("--gbk-names", action="store_true")
    parser.add_argument("--tools", action="store_true")
    a = parser.parse_args(argv)
    problems, missing = check(a.archive, a.folder, a.password, a.gbk_names, a.tools)
    for p in problems:
        print("FAIL " + p)
    if problems:
        return 1
    if missing:
        print("SKIPPED: not installed: " + ", ".join(missing))
        return 77
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
