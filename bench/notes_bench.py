#!/usr/bin/env python3
"""What the number of text notes costs Kelupon.exe under Wine: start-to-ready
time with 0, 99 and 256 notes beside Wine's floor for the same windows, and
the cost of one save.

    bench/notes_bench.py [--build DIR] [--exe KELUPON.EXE] [--runs N] [--trials N] [--counts 0 99 256]

Notes are made through DDE ("DDEMAKEKELUP", each note two lines of text),
with [GENERAL] MAX1=256 in every case so that only the number of notes
differs; the program is then ended normally and started again --runs times
in the same prefix (wineserver already up). Start-to-ready is the time from
launching the process to the main window's ready mark. --exe times another
build of Kelupon.exe (kltool and the floor program still come from --build).

The floor is bench/floor_notes.cpp started the same number of times in a
prefix of its own, after one untimed start: as many borderless windows as the
largest count, each with a rich edit loading the text file of one of the
program's own notes (kelup0.kdt of the filled prefix), and the same ready
mark; then the same windows without rich edits. The ratio is program/floor.

The save is timed through DDE: a "DDEMAKEKELUP" command is acknowledged only
after the program made the note and rewrote the data file and the
translucency file. Two figures per case, with 0 and with 255 notes present:
the client's round trip (beside the round trip of an unknown command word,
which is the DDE and kltool overhead: connecting broadcasts to every
top-level window, so it grows with the notes too), and the CPU time the
program's process spends on the command (from /proc, 10 ms ticks summed over
the trials). What 255 more notes add to making one note is mostly the larger
data and translucency files the save writes; the round trips are too coarse
under Wine (steps of about 50 ms) to show it. Between trials the new note is
peeled again, which does not save. SaveData alone is then timed by the
program itself (query SaveBench: 20 saves in a row, wall time), with the CPU
the process spends meanwhile read from /proc.

Needs a win64 build (Kelupon.exe, kltool.exe, floor_notes_bench.exe). Prints figures; asserts nothing.
"""

import argparse
import statistics
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "bench"))
from kelup_bench import KelupHost, KltoolError, Q, wait_until  # noqa: E402
from startup_idle import cpu_seconds, prefix_pids  # noqa: E402

ID_N_Exit = 3002  # a note's "peel without log"
TEXT_NOTE_CLASS = "TKELUPSHI"
SAVE_ROUNDS = 20  # saves per SaveBench query (kSaveBenchRounds)


def dde(h: KelupHost, text: str) -> float:
    """Round trip of one DDE execute transaction, in seconds."""
    escaped = text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")
    t0 = time.monotonic()
    r = h.kl("dde", "--exec", escaped, "--timeout", 120000, timeout=150)
    elapsed = time.monotonic() - t0
    if not r.get("ack"):
        raise RuntimeError(f"DDE not acknowledged: {r}")
    return elapsed


def make_note(h: KelupHost, i: int) -> float:
    left, top = 10 + (i % 32) * 36, 10 + (i // 32) * 110
    return dde(h, f"DDEMAKEKELUP\r\n2;{left};{top};\r\n付箋 {i}\r\nnote {i}")


def note_hwnds(h: KelupHost) -> set[int]:
    return {w["hwnd"] for w in h.windows(cls=TEXT_NOTE_CLASS, visible=True, children=False)}


def new_host(exe: Path, kltool: Path) -> KelupHost:
    h = KelupHost(exe, kltool, name="notes-bench")
    h.seed_config({"COMMON": {"SavePath": "", "UseNetwork": "1"}})
    h.seed_kelup_ini({"GENERAL": {"MAX1": "256"}})
    return h


def fill(h: KelupHost, notes: int) -> None:
    failures = 0
    while (have := h.query(Q.TextNoteCount)) < notes:
        try:
            make_note(h, have)
        except KltoolError as e:  # a figure, not a test: note it and go on
            failures += 1
            print(f"  (DDE client failed at {have} notes: {e}; retrying)", file=sys.stderr)
            if failures > 5:
                raise


def start_to_ready(exe: Path, kltool: Path, notes: int, runs: int) -> tuple[list[float], float, bytes | None]:
    """Start-to-ready times, the time of the last normal exit, and the text
    file of the first note."""
    h = new_host(exe, kltool)
    try:
        h.start()
        h.wait_ready(120)
        fill(h, notes)
        h.close()
        h.wait_exit(300)
        note_file = h.win_to_linux(h.data_dir() + "kelup0.kdt").read_bytes() if notes else None
        times, exit_s = [], float("nan")
        for _ in range(runs):
            h.ensure_server()
            t0 = time.monotonic()
            h.start()
            h.kl("wait-ready", "--timeout", 300000, timeout=330)
            times.append(time.monotonic() - t0)
            if h.query(Q.TextNoteCount) != notes:
                raise RuntimeError(f"started with {h.query(Q.TextNoteCount)} notes, wanted {notes}")
            t0 = time.monotonic()
            h.close()
            h.wait_exit(300)
            exit_s = time.monotonic() - t0
        return times, exit_s, note_file
    finally:
        h.cleanup()


def floor_to_ready(floor: Path, kltool: Path, notes: int, note_file: bytes, runs: int,
                   *mode: str) -> list[float]:
    """Start-to-ready times of the floor program in a prefix of its own."""
    h = KelupHost(floor, kltool, name="notes-floor")
    rtf = r"C:\kelup-bench\note.rtf"
    h.win_to_linux(rtf).write_bytes(note_file)
    try:
        times = []
        for run in range(runs + 1):  # untimed first start, like the program's one that makes the notes
            h.ensure_server()
            t0 = time.monotonic()
            h.start(str(notes), rtf, *mode)
            h.kl("wait-ready", "--timeout", 300000, timeout=330)
            if run:
                times.append(time.monotonic() - t0)
            h.close()
            h.wait_exit(300)
        return times
    finally:
        h.cleanup()


def save_round_trips(h: KelupHost, present: int, trials: int) -> tuple[list[float], float]:
    """Round trips of making one note while `present` notes exist, and the
    program's CPU seconds per note made."""
    [pid] = prefix_pids(h.prefix, h.exe_name)[:1]
    times, cpu = [], 0.0
    for _ in range(trials):
        before = note_hwnds(h)
        c0 = cpu_seconds(pid)
        times.append(make_note(h, present))
        cpu += cpu_seconds(pid) - c0
        [new] = note_hwnds(h) - before
        h.kl("command", "--hwnd", new, "--id", ID_N_Exit, "--send")
        wait_until(lambda: h.query(Q.TextNoteCount) == present, 30, what="peeled again")
    return times, cpu / trials


def save_cost(h: KelupHost) -> tuple[float, float]:
    """Wall and CPU milliseconds of one SaveData, over the rounds of the
    program's save benchmark (the CPU from /proc, in 10 ms ticks)."""
    [pid] = prefix_pids(h.prefix, h.exe_name)[:1]
    c0 = cpu_seconds(pid)
    wall_us = h.query(Q.SaveBench, timeout=120)
    cpu = cpu_seconds(pid) - c0
    return wall_us / 1000 / SAVE_ROUNDS, cpu * 1000 / SAVE_ROUNDS


def fmt(times: list[float]) -> str:
    return (f"{statistics.median(times) * 1000:7.1f} ms (min {min(times) * 1000:.1f}, "
            f"max {max(times) * 1000:.1f}, n={len(times)})")


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", type=Path, default=ROOT / "build" / "win64")
    ap.add_argument("--exe", type=Path, help="Kelupon.exe to time (default: the one in --build)")
    ap.add_argument("--runs", type=int, default=5, help="starts per note count")
    ap.add_argument("--trials", type=int, default=15, help="DDE round trips per case")
    ap.add_argument("--counts", type=int, nargs="*", default=[0, 99, 256])
    args = ap.parse_args()
    exe, kltool = args.exe or args.build / "Kelupon.exe", args.build / "tools" / "kltool" / "kltool.exe"
    floor = args.build / "bench" / "floor_notes_bench.exe"
    for path in (exe, kltool, floor):
        if not path.exists():
            print(f"missing {path}: build the win64 preset first", file=sys.stderr)
            return 2

    print(f"start-to-ready, same prefix, wineserver up, MAX1=256 ({args.runs} runs each)")
    note_file = None
    for notes in sorted(args.counts):
        times, exit_s, note_file = start_to_ready(exe, kltool, notes, args.runs)
        print(f"  {notes:3d} notes: {fmt(times)}; normal exit (save + backup copy) {exit_s * 1000:.0f} ms")
    if note_file is not None:  # of the largest count
        rich = floor_to_ready(floor, kltool, notes, note_file, args.runs)
        plain = floor_to_ready(floor, kltool, notes, note_file, args.runs, "plain")
        print(f"  floor, {notes} windows with rich edits: {fmt(rich)}")
        print(f"  floor, {notes} windows alone:           {fmt(plain)}")
        print(f"  program/floor with {notes} notes: {statistics.median(times) / statistics.median(rich):.2f}")

    print(f"one save through DDE ({args.trials} trials each)")
    h = new_host(exe, kltool)
    try:
        h.start()
        h.wait_ready(120)
        noop = {0: [dde(h, "NoSuchCommand") for _ in range(args.trials)]}
        make = {0: save_round_trips(h, 0, args.trials)}
        saves = {0: save_cost(h)}
        fill(h, 255)
        noop[255] = [dde(h, "NoSuchCommand") for _ in range(args.trials)]
        make[255] = save_round_trips(h, 255, args.trials)
        saves[255] = save_cost(h)
    finally:
        h.cleanup()
    for n in (0, 255):
        times, cpu = make[n]
        print(f"  {n:3d} notes: unknown command round trip {fmt(noop[n])}")
        print(f"             DDEMAKEKELUP round trip    {fmt(times)}")
        print(f"             program CPU per note made  {cpu * 1000:7.1f} ms")
        print(f"             one SaveData alone         {saves[n][0]:7.1f} ms, of it CPU {saves[n][1]:.1f} ms "
              f"(rest: waiting for the two flushes)")
    print(f"  255 more notes add {(make[255][1] - make[0][1]) * 1000:.1f} ms of program CPU to making one note "
          f"(median round trips: {(statistics.median(make[0][0]) - statistics.median(noop[0])) * 1000:+.1f} ms "
          f"over the unknown command with 0 notes, "
          f"{(statistics.median(make[255][0]) - statistics.median(noop[255])) * 1000:+.1f} ms with 255)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
