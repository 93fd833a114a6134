#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/seeds/TARGET/ (committed; run
again only to change them; seeds it does not make are left as they are). Archives come from
Info-ZIP zip and Python's zipfile, pictures from ImageMagick, the older methods from the test
encoders (whose streams unzip and 7z accept), skin files and stored skins from our own
generators; the packed-book tail and the object-list streams are laid out field by field.

usage: make_seeds.py
"""
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(HERE, "..", "fixtures"))
import legacy_encoders as enc  # noqa: E402

PASSWORD = "fuzz"   # the password of fuzz_extract
BOOK_KEY = bytes([0x5A, 0x3C, 0xA7, 0x19, 0xE2, 0x6B, 0x94, 0x0D])
PAGE = b"<html><body>" + b"a page of the book " * 20 + b"</body></html>"


def put(target, name, data):
    folder = os.path.join(HERE, "seeds", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def infozip_archives():
    out = {}
    if not shutil.which("zip"):
        return out
    with tempfile.TemporaryDirectory() as work:
        site = os.path.join(work, "site")
        os.makedirs(os.path.join(site, "sub", "deep"))
        os.makedirs(os.path.join(site, "empty"))
        for rel, data in (("index.htm", PAGE), ("sub/a.txt", b"abc" * 30), ("sub/deep/b.bin", bytes(range(200)))):
            with open(os.path.join(site, rel), "wb") as f:
                f.write(data)
        for name, args in (("infozip.zip", ["-r"]), ("infozip_stored.zip", ["-r", "-0"]),
                           ("infozip_password.zip", ["-r", "-P", PASSWORD]), ("infozip_dd.zip", ["-r", "-fd"])):
            path = os.path.join(work, name)
            subprocess.run(["zip", "-q", "-X"] + args + [path, "."], cwd=site, check=True)
            with open(path, "rb") as f:
                out[name] = f.read()
        # A data descriptor through a pipe: zip writes sizes after the data.
        piped = subprocess.run(["zip", "-q", "-", "-"], input=PAGE, capture_output=True, check=True).stdout
        out["infozip_stream.zip"] = piped
    return out


def python_archives():
    out = {}
    for name, method, zip64 in (("py_deflated.zip", zipfile.ZIP_DEFLATED, False),
                                ("py_stored.zip", zipfile.ZIP_STORED, False),
                                ("py_zip64.zip", zipfile.ZIP_DEFLATED, True)):
        b = io.BytesIO()
        with zipfile.ZipFile(b, "w", method) as z:
            z.writestr("dir/", b"")
            with z.open("dir/page.htm", "w", force_zip64=zip64) as f:
                f.write(PAGE)
            z.writestr("\u4e2d\u6587.txt", b"utf-8 name")
        out[name] = b.getvalue()
    return out


def legacy_archives():
    out = {}
    data = PAGE + b"aaaaaaaaaaaaaaaa" + PAGE[:100]
    entries = [dict(name=b"shrunk.htm", data=data, method=1, packed=enc.shrink(data)[0]),
               dict(name=b"reduced.htm", data=data, method=3, packed=enc.reduce(data, 2, True, 8)),
               dict(name=b"imploded.htm", data=data, method=6, flags=6, packed=enc.implode(data, True, True)),
               dict(name=b"imploded4k.htm", data=data, method=6, flags=0, packed=enc.implode(data, False, False),
                    password=PASSWORD)]
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "legacy.zip")
        enc.write_zip(path, entries)
        with open(path, "rb") as f:
            out["legacy.zip"] = f.read()
    return out, data


def legacy_streams(data):
    size = (len(data) - 1 + 7) >> 3   # the target declares 1 + 8 * size bytes
    head = lambda which: bytes([which, size & 0xFF, size >> 8])  # noqa: E731
    put("fuzz_legacy", "shrink", head(0) + enc.shrink(data)[0])
    for factor in (1, 4):
        put("fuzz_legacy", "reduce%d" % factor, head(factor) + enc.reduce(data, factor, True, 16))
    for flags in range(4):
        put("fuzz_legacy", "implode%d" % flags, head(5 + flags) + enc.implode(data, flags & 1, flags & 2))


def book_seeds(archives):
    settings = "|_|".join(["600", "800", "0", "", "", "sub\\index.htm"]).encode("gbk")
    scrambled = "".join("%02X" % (b ^ BOOK_KEY[i % 8]) for i, b in enumerate(settings)).encode()
    archive = archives.get("infozip.zip") or archives["py_deflated.zip"]
    stub = b"MZ" + bytes(62)
    book = stub + archive + struct.pack("<I", len(archive)) + scrambled + struct.pack("<I", len(scrambled))
    put("fuzz_packed_book", "book", book)
    put("fuzz_packed_book", "empty_archive",
        stub + b"PK\x05\x06" + bytes(18) + struct.pack("<I", 22) + scrambled + struct.pack("<I", len(scrambled)))


def object_list_seeds():
    def obj(name, payload):
        return bytes([len(name)]) + name + payload

    def plain(items, owns=1):
        return bytes([owns]) + struct.pack("<I", len(items)) + b"".join(items)

    def sorted_list(items, dup=2):
        return bytes([dup]) + plain(items)

    keys = [obj(b"TKey", struct.pack("<i", k)) for k in (5, -3, 9)]
    put("fuzz_object_list", "plain", b"\x00" + plain(keys))
    put("fuzz_object_list", "sorted", b"\x01" + sorted_list(keys))
    nested = [obj(b"TObjectList", plain(keys[:2])), obj(b"TLinkList", plain(keys[1:], 0)),
              obj(b"TKeyList", sorted_list(keys))]
    put("fuzz_object_list", "nested", b"\x00" + plain(nested))
    # A list that does not own its items, read in full, then a class that is not registered:
    # the failed read must free what it made for the inner list too.
    put("fuzz_object_list", "nested_fails_later", b"\x00" + plain(nested[1:] + [obj(b"TNone", b"")]))


def bmp_seeds():
    if not shutil.which("convert"):
        return
    with tempfile.TemporaryDirectory() as work:
        for name, args in (("rgb24.bmp", ["-size", "7x5", "gradient:red-blue", "-type", "TrueColor"]),
                           ("palette8.bmp", ["-size", "9x4", "gradient:", "-type", "Palette", "-colors", "16"]),
                           ("gray.bmp", ["-size", "3x3", "xc:gray", "-type", "Grayscale"]),
                           ("bmp2.bmp", ["-size", "4x2", "xc:green"]),
                           ("rle8_gradient.bmp", ["-size", "13x7", "gradient:red-blue", "-colors", "16",
                                                  "-type", "Palette", "-compress", "RLE"]),
                           ("rle8_long_runs.bmp", ["-size", "300x3", "xc:red", "-fill", "blue", "-draw",
                                                   "point 5,1", "-type", "Palette", "-compress", "RLE"])):
            path = os.path.join(work, name)
            target = ("BMP2:" if name == "bmp2.bmp" else "BMP3:") + path
            subprocess.run(["convert"] + args + [target], check=True, capture_output=True)
            with open(path, "rb") as f:
                put("fuzz_bmp", name, f.read())


def rle4_seed():
    """ImageMagick writes no RLE4: a 6 x 3 picture laid out by hand with every escape."""
    data = (b"\x06\x12\x00\x00"                     # encoded run of alternating nibbles, end of line
            b"\x00\x05\x34\x56\x70\x00"             # absolute run of five, padded to a word
            b"\x00\x00\x00\x02\x02\x00"             # end of line, delta: two right
            b"\x03\xAB\x00\x01")                    # encoded run, end of bitmap
    palette = b"".join(struct.pack("<I", i * 0x111111) for i in range(16))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, 6, 3, 1, 4, 2, len(data), 0, 0, 16, 0)
    put("fuzz_bmp", "rle4_escapes.bmp", header + info + palette + data)


def rle_claims_huge_seed():
    """1,080 bytes claiming a 32768 x 8192 run-length picture: the data is only an end of bitmap."""
    palette = b"\0" * 1024
    data = b"\x00\x01"
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, 32768, 8192, 1, 8, 1, len(data), 0, 0, 0, 0)
    put("fuzz_bmp", "rle8_claims_huge.bmp", header + info + palette + data)


def skin_seeds():
    """Skin files from our skin generator, stored skins from the skin-data fixture script."""
    with tempfile.TemporaryDirectory() as work:
        generator = os.path.join(HERE, "..", "..", "tools", "make_skin", "make_skin.py")
        subprocess.run([sys.executable, generator, os.path.join(work, "default.lsk"),
                        "--fixtures", os.path.join(work, "skin")], check=True, capture_output=True)
        for name in ("plain", "password", "lower_case_member", "earlier_entry", "container_extras"):
            with open(os.path.join(work, "skin", name + ".lsk"), "rb") as f:
                put("fuzz_skin", name + ".lsk", f.read())
        script = os.path.join(HERE, "..", "fixtures", "make_skindata_fixtures.py")
        subprocess.run([sys.executable, script, os.path.join(work, "skindata")], check=True, capture_output=True)
        # fuzz_stored_skin: byte 0 then the compressed data, or byte 1 then the plain stream.
        for kind in ("bare", "full"):
            with open(os.path.join(work, "skindata", kind, "skin.gsk"), "rb") as f:
                put("fuzz_stored_skin", kind + "_compressed", b"\0" + f.read()[8:])
            with open(os.path.join(work, "skindata", kind, "skin.stored"), "rb") as f:
                put("fuzz_stored_skin", kind + "_stream", b"\1" + f.read())


def rle8_blank(width, height):
    """A run-length picture that is only an end of bitmap: 60 bytes that decode to width x height."""
    palette = b"\0\0\0\0"
    data = b"\x00\x01"
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(data), 0, 0, 1, 0)
    return header + info + palette + data


def expanding_skin_seeds():
    """Small inputs whose decoded pictures or lookups would cost far more than their bytes."""
    # A container of 150 bitmap entries that all name the same 2048 x 2048 picture.
    picture = rle8_blank(2048, 2048)
    count = 150
    first = 24
    picture_at = first + (count + 1) * 77
    entries = b""
    for i in range(count):
        entries += struct.pack("<64sBIII", b"shared%d" % i, 0, picture_at, len(picture), first + (i + 1) * 77)
    entries += struct.pack("<64sBIII", b"", 0, 0, 0, 0)
    header = bytes(12) + struct.pack("<III", 24, 0, first)
    put("fuzz_skin", "shared_picture.sk2", header + entries + picture)

    def stored(active, ini):
        return (struct.pack("<i", 3) + b"\1\1\1" + struct.pack("<i", len(active)) + b"".join(active) + ini)

    # 160 active pictures of 60 bytes, each decoding to 4 MiB.
    put("fuzz_stored_skin", "tiny_rle_pictures",
        b"\0" + zlib.compress(stored([rle8_blank(2048, 2048)] * 160, b"[VERSION]\r\nskinname=rle\r\n"), 9))
    # A list of 65,536 items read from a section of 60,000 lines.
    ini = b"[PICTURES]\r\nactivepicturescount=65536\r\n" + b"item=\r\n" * 60000
    put("fuzz_stored_skin", "long_key_list", b"\0" + zlib.compress(stored([], ini), 9))


def long_directory_seed():
    """1,000 central records, all naming the one local header at the start of the archive."""
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, 0, 0x21, 0, 0, 0, 1, 0) + b"a"
    central = b""
    count = 1000
    for i in range(count):
        name = b"%03x" % i
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 10, 0, 0, 0, 0x21, 0, 0, 0,
                               len(name), 0, 0, 0, 0, 0, 0) + name
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(central), len(local), 0)
    return {"long_directory.zip": local + central + end}


def damaged_archives():
    """Hand-made damage that once slipped past the reader."""
    # A zip64 locator in the first bytes of the file, before an end record that claims one
    # entry: its offset points before the start of the file.
    locator = struct.pack("<IIQI", 0x07064B50, 0, 0x8000000000000000, 1)
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, 46, 0, 0)
    return {"zip64_locator_at_start.zip": locator + end}


def part_set_seeds(archives):
    """Two-part sets for fuzz_directory_parts: two bytes that say where the archive is cut,
    then the archive with its end record saying it is the second part. Cuts fall in the
    data, in a central record's fixed part, name and extra field, and before the end record;
    one set ends inside a record that its end record claims but neither part holds."""
    b = io.BytesIO()
    with zipfile.ZipFile(b, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in (("a.htm", PAGE), ("sub/b.txt", b"b" * 40), ("c", b"")):
            info = zipfile.ZipInfo(name, (2020, 1, 2, 3, 4, 6))
            info.extra = struct.pack("<HH", 0xCAFE, 20) + bytes(20)
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)
    sources = {"extra": b.getvalue()}
    if "py_deflated.zip" in archives:
        sources["plain"] = archives["py_deflated.zip"]

    def as_second_part(src, cut, records, claimed):
        eocd = src.rfind(b"PK\x05\x06")
        out = bytearray(src)
        cd_off = struct.unpack_from("<I", src, eocd + 16)[0]
        on_last = sum(1 for p in records if p >= cut)
        for p in records:   # entries whose local header lies in the second part
            local = struct.unpack_from("<I", src, p + 42)[0]
            if local >= cut and p + 46 <= len(src):
                struct.pack_into("<H", out, p + 34, 1)
                struct.pack_into("<I", out, p + 42, local - cut)
        struct.pack_into("<HHHH", out, eocd + 4, 1, 0 if cd_off < cut else 1, on_last, claimed)
        struct.pack_into("<I", out, eocd + 16, cd_off if cd_off < cut else cd_off - cut)
        return struct.pack("<H", cut) + bytes(out)

    for label, src in sources.items():
        eocd = src.rfind(b"PK\x05\x06")
        total, _, cd_off = struct.unpack_from("<HII", src, eocd + 10)
        records = []
        p = cd_off
        while p < eocd:
            records.append(p)
            n, e, c = struct.unpack_from("<HHH", src, p + 28)
            p += 46 + n + e + c
        second = records[1]
        n, e = struct.unpack_from("<HH", src, second + 28)
        cuts = {"data": cd_off // 2, "fixed": records[0] + 20, "name": second + 46 + 2, "end": eocd}
        if e:
            cuts["extra"] = second + 46 + n + 3
        for where, cut in cuts.items():
            put("fuzz_directory_parts", "%s_cut_in_%s" % (label, where), as_second_part(src, cut, records, total))
        # The part ends four bytes into a record that is claimed but held by neither part.
        partial = src[:eocd] + b"PK\x01\x02" + src[eocd:]
        put("fuzz_directory_parts", "%s_claims_more" % label,
            as_second_part(partial, eocd + 4, records, total + 1))


def main():
    # Seeds are overwritten, never wiped: inputs a fuzz run found (committed beside these, such
    # as fuzz_extract/hidden_separator_in_dbcs_name.zip) are made by no function here.
    archives = infozip_archives()
    archives.update(python_archives())
    legacy, data = legacy_archives()
    archives.update(legacy)
    for name, data_ in archives.items():
        put("fuzz_directory", name, data_)
        put("fuzz_extract", name, data_)
    for name, data_ in damaged_archives().items():
        put("fuzz_directory", name, data_)
        put("fuzz_extract", name, data_)
    part_set_seeds(archives)
    for name, data_ in long_directory_seed().items():
        put("fuzz_directory", name, data_)
    legacy_streams(data)
    book_seeds(archives)
    object_list_seeds()
    bmp_seeds()
    rle4_seed()
    rle_claims_huge_seed()
    skin_seeds()
    expanding_skin_seeds()


if __name__ == "__main__":
    main()
