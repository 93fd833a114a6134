#!/usr/bin/env python3
"""Writes the inputs of the scale benchmark: many small files rather than many bytes.

usage: make_scale_inputs.py archive OUT.zip [--entries N]
       make_scale_inputs.py site OUTDIR [--files N] [--folders F]

archive: a Deflate archive of N (70,000) small text entries, 100 to a folder, written by
Python's zipfile (no files on disk are needed for it).
site: a web site of about N (8,000) small pages and pictures spread over F (300) folders, up
to three deep, with index.htm at the top linking into every folder.

The same arguments always give the same bytes. Output already made with the same arguments
is left as it is (OUT.stamp, beside it, records them).
"""
import argparse
import os
import random
import shutil
import sys
import zipfile

VERSION = 2
WORDS = ("the of and to in is that for it as was with be by on not this are or from at which but have "
         "chapter page book reader story night river mountain letter window garden").split()


def text(rnd, size):
    out, n = [], 0
    while n < size:
        w = rnd.choice(WORDS)
        out.append(w)
        n += len(w) + 1
    return (" ".join(out))[:size].encode("ascii")


def make_archive(path, entries):
    rnd = random.Random(entries)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
        for i in range(entries):
            z.writestr("d%04d/f%06d.txt" % (i // 100, i), text(rnd, rnd.randint(60, 400)))


def make_site(out, files, folder_count):
    rnd = random.Random(files * 1000 + folder_count)
    folders = []
    for i in range(folder_count):
        parent = rnd.choice(folders) if folders and rnd.random() < 0.4 else ""
        if parent.count("/") >= 2:   # no deeper than three
            parent = ""
        name = "part%03d" % i
        folders.append(parent + "/" + name if parent else name)
    for f in folders:
        os.makedirs(os.path.join(out, f), exist_ok=True)
    links = []
    for k in range(files - 1):
        folder = folders[k % folder_count]
        if rnd.random() < 0.8:
            name = "page%05d.htm" % k
            body = "<p>%s</p>\n" % text(rnd, rnd.randint(300, 3000)).decode()
            data = ("<html><head><title>%d</title></head><body>\n%s</body></html>\n" % (k, body)).encode()
            if k < folder_count:
                links.append("%s/%s" % (folder, name))
        else:
            name = "pic%05d.gif" % k
            data = rnd.randbytes(rnd.randint(500, 6000))
        with open(os.path.join(out, folder, name), "wb") as f:
            f.write(data)
    index = "".join('<a href="%s">%d</a>\n' % (link, i) for i, link in enumerate(links))
    with open(os.path.join(out, "index.htm"), "wb") as f:
        f.write(("<html><head><title>index</title></head><body>\n%s</body></html>\n" % index).encode())


def main(argv):
    parser = argparse.ArgumentParser(description="Writes the scale benchmark's inputs.")
    parser.add_argument("kind", choices=("archive", "site"))
    parser.add_argument("out")
    parser.add_argument("--entries", type=int, default=70000)
    parser.add_argument("--files", type=int, default=8000)
    parser.add_argument("--folders", type=int, default=300)
    a = parser.parse_args(argv)
    if a.kind == "archive":
        want = "version %d archive %d\n" % (VERSION, a.entries)
    else:
        want = "version %d site %d %d\n" % (VERSION, a.files, a.folders)
    stamp = a.out.rstrip("/") + ".stamp"
    if os.path.exists(stamp) and os.path.exists(a.out) and open(stamp).read() == want:
        return 0
    if a.kind == "archive":
        if os.path.exists(a.out):
            os.remove(a.out)
        make_archive(a.out, a.entries)
    else:
        shutil.rmtree(a.out, ignore_errors=True)
        os.makedirs(a.out)
        make_site(a.out, a.files, a.folders)
    with open(stamp, "w") as f:
        f.write(want)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
