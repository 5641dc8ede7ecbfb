#!/usr/bin/env python3
"""Hostile archives: the real programs on data archives shaped to exhaust
memory, time or trust (declared sizes far beyond the data, ZIP64 sizes, tens
of thousands of folders, absolute member names, desktop archivers' extra
members, CMYK pictures). Each case must end within 10 s with the message the
table names, and peak memory under 300 MB. The archives are written here,
header by header, from the build's data.pak, so they stay small on disk.

  hostile_archives.py --bin-dir DIR --case NAME [--window-close PROGRAM]
  hostile_archives.py --list
  hostile_archives.py --write-seeds DIR   the shapes as fuzz seeds
"""

import argparse
import os
import resource
import struct
import sys
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reliability  # noqa: E402  (the runners and checks of the reliability table)

from reliability import ANY_FAILURE, Failed, case, read_members  # noqa: E402

SECONDS = 10
PEAK_MB = 300


# --- ZIP files written header by header ------------------------------------------

def member(name, data=b"", declared=None, folder=False):
    """One entry: `declared` is the uncompressed size the headers claim
    (ZIP64 fields when it does not fit 32 bits)."""
    return {"name": name, "data": data, "declared": declared, "folder": folder}


def zip_bytes(members, zip64=False, count32=None):
    """The archive; `zip64` writes the ZIP64 end record and its locator even
    where no size needs them, `count32` puts another member count in the
    32-bit end record than the directory holds."""
    body, directory = bytearray(), bytearray()
    for m in members:
        name = m["name"].encode()
        data = m["data"]
        packed = b"" if m["folder"] else zlib.compress(data, 9)[2:-4]
        method = 0 if m["folder"] else 8
        size = len(data) if m["declared"] is None else m["declared"]
        crc = zlib.crc32(data)
        extra, size32, packed32, version = b"", size, len(packed), 20
        if size >= 0xFFFFFFFF:
            extra = struct.pack("<HHQQ", 1, 16, size, len(packed))
            size32, packed32, version, zip64 = 0xFFFFFFFF, 0xFFFFFFFF, 45, True
        offset = len(body)
        body += struct.pack("<IHHHHHIIIHH", 0x04034B50, version, 0, method, 0, 0x21, crc, packed32, size32,
                            len(name), len(extra)) + name + extra + packed
        attributes = (0o40755 << 16 | 0x10) if m["folder"] else 0o100644 << 16
        directory += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x031E, version, 0, method, 0, 0x21, crc,
                                 packed32, size32, len(name), len(extra), 0, 0, 0, attributes, offset)
        directory += name + extra
    count = len(members)
    end = b""
    if zip64:  # a ZIP64 archive: its own end record and the locator that finds it
        at = len(body) + len(directory)
        end = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count, count, len(directory), len(body))
        end += struct.pack("<IIQI", 0x07064B50, 0, at, 1)
    narrow = count if count32 is None else count32
    end += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, narrow, narrow, len(directory), len(body), 0)
    return bytes(body + directory + end)


def real_members(real):
    return [member(name, data) for name, data in read_members(real).items()]


def replaced(members, name, **change):
    return [dict(m, **change) if m["name"] == name else m for m in members]


def jpeg_header(width, height, components=3):
    """The start of a JPEG claiming this size, with a body no decoder takes."""
    frame = struct.pack(">BHHB", 8, height, width, components)
    for c in range(components):
        frame += bytes([c + 1, 0x11, 0])
    return b"\xff\xd8\xff\xc0" + struct.pack(">H", len(frame) + 2) + frame + bytes(64) + b"\xff\xd9"


def cmyk_jpeg():
    """A whole baseline JPEG of 8x8 pixels with four colour components (an
    Adobe CMYK file): each block only a DC value of 0, one one-bit code each
    for the DC difference and the end of block."""
    quant = b"\xff\xdb" + struct.pack(">H", 67) + b"\x00" + bytes([1] * 64)
    frame = struct.pack(">BHHB", 8, 8, 8, 4) + b"".join(bytes([c, 0x11, 0]) for c in (1, 2, 3, 4))
    huffman = b""
    for table in (0x00, 0x10):  # DC 0 and AC 0: symbol 0 coded as the one-bit code "0"
        huffman += b"\xff\xc4" + struct.pack(">H", 2 + 1 + 16 + 1) + bytes([table, 1] + [0] * 15) + b"\x00"
    scan = b"\xff\xda" + struct.pack(">HB", 14, 4) + b"".join(bytes([c, 0x00]) for c in (1, 2, 3, 4)) + b"\x00\x3f\x00"
    adobe = b"\xff\xee" + struct.pack(">H", 14) + b"Adobe" + struct.pack(">HHHB", 100, 0, 0, 0)
    return (b"\xff\xd8" + adobe + quant + b"\xff\xc0" + struct.pack(">H", len(frame) + 2) + frame + huffman +
            scan + b"\x00" + b"\xff\xd9")


APPLE_DOUBLE = b"\x00\x05\x16\x07\x00\x02\x00\x00Mac OS X        " + bytes(60)


def shaped(make, **layout):
    """A case's archive maker: make(members of the real data.pak) -> members,
    written with zip_bytes's `layout`."""
    return lambda real, path: open(path, "wb").write(zip_bytes(make(real_members(real)), **layout))


def folders(count):
    return lambda ms: [member(f"d{i:05d}/", folder=True) for i in range(count)] + ms


SHAPES = {
    "picture_declares_4_gib_less_16": lambda ms: replaced(ms, "loadpic.jpg", declared=0xFFFFFFF0),
    "picture_declares_4_gib_zip64": lambda ms: replaced(ms, "particle.jpg", declared=1 << 32),
    "song_declares_a_terabyte_zip64": lambda ms: replaced(ms, "song1.ogg", declared=1 << 40),
    "unused_pictures_and_desktop_extras": lambda ms: ms + [
        member("__MACOSX/._loadpic.jpg", APPLE_DOUBLE),
        member("spare/huge.jpg", jpeg_header(8192, 8192)),
        member("unused.jpg", b"not a picture at all"),
    ],
    "textures_beyond_the_budget": lambda ms: replaced(
        replaced(ms, "loadpic.jpg", data=jpeg_header(8192, 8192)), "particle.jpg", data=jpeg_header(8192, 8192)),
    "absolute_member_name": lambda ms: ms + [member("/evil.txt", b"outside")],
    "largest_loading_picture": lambda ms: replaced(ms, "loadpic.jpg", data=jpeg_header(8192, 8192)),
    "cmyk_picture": lambda ms: replaced(ms, "loadpic.jpg", data=cmyk_jpeg()),
}


CASES = [
    case("capture.picture_declares_4_gib_less_16", "capture", pak=shaped(SHAPES["picture_declares_4_gib_less_16"]),
         rc=ANY_FAILURE, says=[r"loadpic\.jpg: declares 4294967280 bytes in data\.pak, more than the limit of 64 MiB"]),
    case("capture.picture_declares_4_gib_zip64", "capture", pak=shaped(SHAPES["picture_declares_4_gib_zip64"]),
         rc=ANY_FAILURE, says=[r"particle\.jpg: declares 4294967296 bytes in data\.pak, more than the limit"]),
    case("capture.song_declares_a_terabyte_zip64", "capture", video=True,
         pak=shaped(SHAPES["song_declares_a_terabyte_zip64"]), output=True,
         rc=0, says=[r"song1\.ogg: declares 1099511627776 bytes .*; the video will be silent"]),
    case("capture.unused_pictures_and_desktop_extras", "capture",
         pak=shaped(SHAPES["unused_pictures_and_desktop_extras"]), rc=0, output=True),
    case("capture.textures_beyond_the_budget", "capture", pak=shaped(SHAPES["textures_beyond_the_budget"]),
         rc=ANY_FAILURE, says=[r"particle\.jpg: a picture of 8192x8192 \(256\.0 MiB as RGBA\) brings the textures "
                               r"to 512\.\d MiB \(\d+ bytes\), more than the budget of 320 MiB"]),
    # The largest loading picture the side limit allows passes the budget with
    # the sprite and the font sheet: this one is refused by its decoder only.
    case("capture.largest_loading_picture_within_the_budget", "capture",
         pak=shaped(SHAPES["largest_loading_picture"]), rc=ANY_FAILURE, says=[r"loadpic\.jpg: cannot decode picture"]),
    # The 32-bit end record and the ZIP64 one must agree: a reader that took
    # the ZIP64 count would spend seconds on 30004 members the check never saw.
    case("capture.zip64_record_disagrees_with_the_end_record", "capture",
         pak=shaped(folders(30000), zip64=True, count32=4),
         rc=ANY_FAILURE, says=[r"data\.pak: damaged ZIP directory \(its end record says 4 for the member count, "
                               r"its ZIP64 record 30004\)"]),
    case("capture.zip64_records_that_agree", "capture", pak=shaped(lambda ms: ms, zip64=True), rc=0, output=True),
    case("capture.sixty_thousand_folders", "capture", pak=shaped(folders(60000)),
         rc=ANY_FAILURE, says=[r"data\.pak: holds 60004 members, more than the limit of 4096"]),
    case("capture.absolute_member_name", "capture", pak=shaped(SHAPES["absolute_member_name"]),
         rc=ANY_FAILURE, says=[r'data\.pak: member "/evil\.txt" has an absolute name']),
    case("capture.cmyk_picture", "capture", pak=shaped(SHAPES["cmyk_picture"]),
         rc=ANY_FAILURE, says=[r"loadpic\.jpg: cannot decode picture \(a CMYK JPEG"]),
    case("demo.song_declares_a_terabyte_zip64", "demo", x11=True, play_until=3.0,
         pak=shaped(SHAPES["song_declares_a_terabyte_zip64"]),
         rc=0, says=[r"song1\.ogg: declares 1099511627776 bytes .*; playing on silently"]),
    case("demo.absolute_member_name", "demo", x11=True, pak=shaped(SHAPES["absolute_member_name"]),
         rc=ANY_FAILURE, says=[r'Exception: .*data\.pak: member "/evil\.txt" has an absolute name']),
]


def sanitized():
    return bool(os.environ.get("GM_SANITIZER_PRELOAD") or os.environ.get("ASAN_OPTIONS"))


def run_case(case_def, args, work):
    """The case run with its time and memory bounds checked."""
    reliability.make_archive(case_def, os.path.join(args.bin_dir, "data.pak"), work)
    if not sanitized():
        # Today's faults allocate gigabytes: bound the address space so a
        # regression fails here instead of taking the machine's memory.
        resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))
    case_def.setdefault("limit", SECONDS * 3)
    runner = reliability.run_capture if case_def["program"] == "capture" else reliability.run_demo
    began = time.monotonic()
    rc, output = runner(case_def, args, work)
    took = time.monotonic() - began
    reliability.check(case_def, rc, output)
    if case_def["program"] == "capture" and took > SECONDS:
        raise Failed(f"took {took:.1f} s, more than {SECONDS} s")
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss // 1024
    if not sanitized() and peak > PEAK_MB:
        raise Failed(f"peak memory {peak} MB, more than {PEAK_MB} MB")
    return output + f"\n(peak {peak} MB)"


def write_seeds(folder, real):
    """The shapes as fuzz seeds, small: the real sprite and font sheet, the
    sprite again as the loading picture, the head of the song, and the
    many-folders shape just past the member limit."""
    os.makedirs(folder, exist_ok=True)
    files = read_members(real)
    base = [member("loadpic.jpg", files["particle.jpg"]), member("particle.jpg", files["particle.jpg"]),
            member("fontti.pcx", files["fontti.pcx"]), member("song1.ogg", files["song1.ogg"][:8192])]
    shapes = dict(SHAPES, just_past_the_member_limit=folders(4093))
    for name, make in shapes.items():
        with open(os.path.join(folder, f"hostile-{name.replace('_', '-')}.zip"), "wb") as f:
            f.write(zip_bytes(make(base)))


def main():
    if "--write-seeds" in sys.argv:
        parser = argparse.ArgumentParser()
        parser.add_argument("--write-seeds", required=True)
        parser.add_argument("--from-pak", required=True, help="the data.pak to take the members from")
        args = parser.parse_args()
        write_seeds(args.write_seeds, args.from_pak)
        return 0
    return reliability.table_main(CASES, run_case, "gm-hostile-")


if __name__ == "__main__":
    sys.exit(main())
