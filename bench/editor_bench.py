#!/usr/bin/env python3
"""How quickly Kelupon.exe's compose editor is there under Wine: from the
new-note command to the editor ready for typing (shown, painted, its text
area focused), and from "付箋紙へ表示" to the note shown and saved. Beside
them, in the same run, the time Wine needs to make, show and paint a bare
dialog with a rich edit until it takes typing: the yardstick (goal: each
figure within 1.25 times it).

    bench/editor_bench.py [--build DIR] [--exe KELUPON.EXE] [--rounds N]

Each round posts the new-note command to the main window, waits for the
editor, types a line, applies it and peels the note again so that every
round starts alike. The program measures with its own clock and the bench
reads the figures through its test queries. After each command the bench
waits half a second before it looks: each look starts a Wine process, which
would otherwise share the two cores with what is being measured. Both
configurations run: the LAN in use (the editor with its recipients area,
the default) and standalone. Prints figures; asserts nothing.
"""

import argparse
import os
import statistics
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from kelup_bench import KelupHost, Q, wait_until  # noqa: E402

EDITOR_CLASS = "TInputEditer"
TEXT_NOTE_CLASS = "TKELUPSHI"
ID_NewNormal = 1001
ID_E_btnOk = 6080
ID_N_Exit = 3002


# Before the bench looks at the program again: see the module's text.
SETTLE_S = 0.5


def run(exe: Path, kltool: Path, rounds: int, network: bool) -> tuple[list, list, list]:
    h = KelupHost(exe, kltool, name="editor-bench")
    ready, applied, bare = [], [], []
    try:
        h.seed_config({"COMMON": {"SavePath": "", "UseNetwork": "0" if network else "1"}})
        h.start()
        h.wait_ready(120)
        for i in range(rounds + 1):
            h.command(ID_NewNormal)   # posted: the editor is modal
            time.sleep(SETTLE_S)
            ed = h.wait_window(cls=EDITOR_CLASS, visible=True, timeout=60)
            r = h.query(Q.EditorReadyBench)
            h.kl("type", "--text", f"ベンチ {i}")
            h.kl("command", "--hwnd", ed["hwnd"], "--id", ID_E_btnOk)
            time.sleep(SETTLE_S)
            wait_until(lambda: not h.windows(cls=EDITOR_CLASS, visible=True), 60, what="the editor closed")
            wait_until(lambda: h.query(Q.EditorApplyBench) > 0, 60, what="the note saved")
            a = h.query(Q.EditorApplyBench)
            b = h.query(Q.BareDialogBench)
            for note in h.windows(cls=TEXT_NOTE_CLASS, visible=True, children=False):
                h.kl("command", "--hwnd", note["hwnd"], "--id", ID_N_Exit, "--send")
            wait_until(lambda: h.query(Q.TextNoteCount) == 0, 60, what="the note peeled")
            if i == 0:
                continue   # the first round makes the editor and loads its fonts
            ready.append(r / 1000)
            applied.append(a / 1000)
            bare.append(b / 1000)
        h.close()
        h.wait_exit(120)
    finally:
        h.cleanup()
    return ready, applied, bare


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", type=Path, default=ROOT / "build" / "win64")
    ap.add_argument("--exe", type=Path, help="Kelupon.exe to time (default: the one in --build)")
    ap.add_argument("--rounds", type=int, default=7)
    ap.add_argument("--managed", action="store_true",
                    help="leave Wine's windows to a window manager (there is none on the bench's display: "
                         "Wine then waits 2 s for one each time a captioned window is hidden)")
    args = ap.parse_args()
    exe, kltool = args.exe or args.build / "Kelupon.exe", args.build / "tools" / "kltool" / "kltool.exe"
    if args.managed:
        os.environ["KELUP_MANAGED"] = "1"   # the host's prefix is made with managed windows
    print(f"compose editor ({args.rounds} rounds after a first one, medians in ms"
          f"{', windows managed' if args.managed else ''})")
    for network in (True, False):
        ready, applied, bare = run(exe, kltool, args.rounds, network)
        yard = statistics.median(bare)
        print("with the LAN in use (recipients area shown)" if network else "standalone (no recipients area)")
        print(f"  bare dialog with a rich edit  {yard:7.1f}  (min {min(bare):.1f}, max {max(bare):.1f})")
        for name, xs in (("new-note command to editor ready", ready),
                         ("付箋紙へ表示 to note shown and saved", applied)):
            m = statistics.median(xs)
            print(f"  {name:33s}{m:7.1f}  (min {min(xs):.1f}, max {max(xs):.1f})  {m / yard:.2f}x the bare dialog")
    return 0


if __name__ == "__main__":
    sys.exit(main())
