#!/usr/bin/env python3
"""What the date update costs Kelupon.exe under Wine with 256 text notes that
all hold date placeholders and deadlines: the update the timer runs at
midnight (or after a resume, or from DDE "DateUp") works every note's
placeholders out again and evaluates every deadline.

    bench/dates_bench.py [--build DIR] [--exe KELUPON.EXE] [--rounds N]

The notes are made through DDE, each with a half-width and a full-width
placeholder; the program is ended, every note gets a deadline in the data
file (a third far away, a third within the ten days of rule 3, a third within
a day, with all three colour rules on), and it is started again. Then the
program runs the update --rounds times through the DateUpBench query, which
times one forced update from the inside: CPU time of the main thread and wall
time. Prints figures; asserts nothing.
"""

import argparse
import statistics
import sys
from datetime import date, datetime, timedelta
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from kelup_bench import KelupHost, Q  # noqa: E402
from test_dates import serial_time, set_deadlines  # noqa: E402

NOTES = 256


def dde(h: KelupHost, text: str) -> None:
    escaped = text.replace("\r", "\\r").replace("\n", "\\n")
    r = h.kl("dde", "--exec", escaped, "--timeout", 120000, timeout=150)
    if not r.get("ack"):
        raise RuntimeError(f"DDE not acknowledged: {r}")


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", type=Path, default=ROOT / "build" / "win64")
    ap.add_argument("--exe", type=Path, help="Kelupon.exe to time (default: the one in --build)")
    ap.add_argument("--rounds", type=int, default=7)
    args = ap.parse_args()
    exe, kltool = args.exe or args.build / "Kelupon.exe", args.build / "tools" / "kltool" / "kltool.exe"
    h = KelupHost(exe, kltool, name="dates-bench")
    try:
        h.seed_config({"COMMON": {"SavePath": "", "UseNetwork": "1"}})
        h.seed_kelup_ini({"GENERAL": {"MAX1": str(NOTES)},
                          "Option": {"UseColor1": 1, "UseColor2": 1, "UseColor3": 1, "Limit": 10}})
        h.start()
        h.wait_ready(120)
        target = date.today() + timedelta(days=40)
        half = f"%%{target:%Y/%m/%d}%%"
        full = "％％" + f"{target:%Y/%m/%d}".translate(str.maketrans("0123456789/", "０１２３４５６７８９／")) + "％％"
        for i in range(NOTES):
            left, top = 10 + (i % 32) * 36, 10 + (i // 32) * 110
            dde(h, f"DDEMAKEKELUP\r\n2;{left};{top};\r\n付箋 {i} あと{half}日\r\n締め切りまで{full}日")
        h.close()
        h.wait_exit(300)
        now = datetime.now()
        ahead = (timedelta(days=30), timedelta(days=5), timedelta(hours=12))
        set_deadlines(h, {i: (serial_time(now + ahead[i % 3]), 0, "") for i in range(NOTES)})
        h.start()
        h.wait_ready(300)
        assert h.query(Q.TextNoteCount) == NOTES
        cpu, wall = [], []
        for _ in range(args.rounds):
            cpu.append(h.query(Q.DateUpBench, timeout=300) / 1000)
            wall.append(h.query(Q.DateUpBenchWall) / 1000)
        h.close()
        h.wait_exit(300)
    finally:
        h.cleanup()
    print(f"date update with {NOTES} notes, each with two placeholders and a deadline ({args.rounds} rounds)")
    print(f"  CPU  median {statistics.median(cpu):7.1f} ms  (min {min(cpu):.1f}, max {max(cpu):.1f})")
    print("  by round, CPU:", " ".join(f"{c:.0f}" for c in cpu), " wall:", " ".join(f"{w:.0f}" for w in wall))
    print(f"  wall median {statistics.median(wall):7.1f} ms  (min {min(wall):.1f}, max {max(wall):.1f})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
