#!/usr/bin/env python3
"""What image notes cost Kelupon.exe under Wine: the time from launching the
program to 20 image notes shown, for bitmaps and for JPEG pictures, beside the
start of the same program with no notes at all.

    bench/image_bench.py [--build DIR] [--exe KELUPON.EXE] [--runs N] [--count N] [--size WxH]

Each case starts from a data file holding --count image notes (default 20,
the default number of image slots), each with a picture file of its own of
--size pixels (default 640x480), written here: bitmaps by hand, JPEG pictures
made from the bitmaps with ImageMagick's `convert` (the JPEG case is skipped
without it). The program is started --runs times in the same prefix
(wineserver already up, one untimed start first); each run is timed from the
launch to the main window's ready mark and to the last image note visible,
then the program is closed normally, which saves the notes (the time of that
is printed too). The empty case starts with no data file.

Needs a win64 build (Kelupon.exe, kltool.exe). Prints figures; asserts nothing.
"""

import argparse
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from kelup_bench import KelupHost, wait_until  # noqa: E402

IMAGE_NOTE_CLASS = "TBMPKELUPSHI"
DATA_VERSION = 99000
TEXT_SLOTS = 99


def bmp(width: int, height: int, seed: int) -> bytes:
    """A 24-bit bitmap with a gradient of its own, so no two files are alike."""
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            row += bytes(((x + seed * 7) & 0xFF, (y + seed * 13) & 0xFF, (x + y + seed) & 0xFF))
        row += b"\0" * (-len(row) % 4)
        rows.append(bytes(row))
    pixels = b"".join(reversed(rows))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def pack_str(text: str) -> bytes:
    raw = text.encode("cp932") + b"\0"
    return struct.pack("<i", len(raw)) + raw


def undo_record() -> bytes:
    return (pack_str("BackUp ") + struct.pack("<d", 0) + bytes(96) + pack_str("kelup.kd0") + struct.pack("<d", 0)
            + pack_str("") + pack_str("") + struct.pack("<dd", 0, 0) + pack_str("") + pack_str("") + pack_str(""))


def image_record(path: str, i: int, width: int, height: int, pict_type: int) -> bytes:
    # Shown at a quarter of the picture's size, in a grid.
    w, h = width // 4, height // 4
    left, top = 10 + (i % 6) * (w + 10), 10 + (i // 6) * (h + 10)
    fields = struct.pack("<21i", left, top, w, h, 0, 0, 1, 0, 1, 12, 0, 0, pict_type, 0, 0, width, height,
                         0xFFFFFF, 0, 0, 0)
    return (pack_str("B_Kelup") + fields + pack_str("ＭＳ ゴシック") + pack_str(f"写真 {i}") + pack_str(path)
            + struct.pack("<d", 0) + pack_str("") + pack_str(""))


def seed(h: KelupHost, kind: str, count: int, width: int, height: int) -> None:
    data_dir = h.data_dir()
    folder = h.win_to_linux(data_dir)
    folder.mkdir(parents=True, exist_ok=True)
    records = []
    for i in range(count):
        name = f"bench{i}.{'bmp' if kind == 'bitmap' else 'jpg'}"
        target = folder / name
        if kind == "bitmap":
            target.write_bytes(bmp(width, height, i))
        else:
            with tempfile.TemporaryDirectory() as tmp:
                source = Path(tmp) / "p.bmp"
                source.write_bytes(bmp(width, height, i))
                subprocess.run(["convert", str(source), "-quality", "85", str(target)], check=True)
        records.append(image_record(data_dir + name, i, width, height, 0 if kind == "bitmap" else 1))
    data = (struct.pack("<4i", 0, count, 0, DATA_VERSION) + pack_str("0" * TEXT_SLOTS) + b"".join(records)
            + undo_record() + undo_record())
    (folder / "kelup.dat").write_bytes(data)


def visible_images(h: KelupHost) -> int:
    return len(h.windows(cls=IMAGE_NOTE_CLASS, visible=True, children=False))


def one_start(h: KelupHost, count: int) -> tuple[float, float, float]:
    t0 = time.monotonic()
    h.start()
    h.wait_ready(180)
    ready = time.monotonic() - t0
    wait_until(lambda: visible_images(h) >= count, 180, 0.02, what=f"{count} image notes shown")
    shown = time.monotonic() - t0
    t1 = time.monotonic()
    h.close()
    h.wait_exit(180)
    closed = time.monotonic() - t1
    return ready, shown, closed


def run_case(exe: Path, kltool: Path, kind: str, count: int, width: int, height: int, runs: int) -> None:
    with KelupHost(exe, kltool, name=f"image-bench-{kind}") as h:
        h.seed_config({"COMMON": {"SavePath": "", "UseNetwork": "1"}})
        if kind != "empty":
            seed(h, kind, count, width, height)
        expect = 0 if kind == "empty" else count
        one_start(h, expect)   # untimed: the prefix and the caches warm up
        times = [one_start(h, expect) for _ in range(runs)]
    for label, values in zip(("start to ready", f"start to {expect} shown", "close (save)"), zip(*times)):
        ms = [v * 1000 for v in values]
        print(f"  {kind:7} {label:22} median {statistics.median(ms):8.0f} ms   "
              f"min {min(ms):8.0f}   max {max(ms):8.0f}   ({len(ms)} runs)")


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=str(ROOT / "build" / "win64"))
    ap.add_argument("--exe")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--count", type=int, default=20)
    ap.add_argument("--size", default="640x480")
    args = ap.parse_args()
    build = Path(args.build)
    exe = Path(args.exe) if args.exe else build / "Kelupon.exe"
    kltool = build / "tools" / "kltool" / "kltool.exe"
    width, height = (int(v) for v in args.size.lower().split("x"))
    print(f"image notes: {args.count} pictures of {width}x{height}, {args.runs} runs each, {exe}")
    kinds = ["empty", "bitmap"] + (["jpeg"] if shutil.which("convert") else [])
    if "jpeg" not in kinds:
        print("  jpeg: skipped (no ImageMagick convert)")
    for kind in kinds:
        run_case(exe, kltool, kind, args.count, width, height, args.runs)
    return 0


if __name__ == "__main__":
    sys.exit(main())
