"""The history window and the send/receive logs, end to end: the main menu
shows and hides the window, [HISTBOX] keeps what was set for the next start,
the transcript goes to the day file at the end, and the log commands hand
the log's path to the editor of the settings or say why they cannot."""

from __future__ import annotations

import os
import shutil
from datetime import date
from pathlib import Path

import pytest

from kelup_bench import KelupHost, wait_until
from test_store import configured, data_path, seed_options, start_ready, stop  # noqa: F401

HIST_CLASS = "THistBox"
HIST_TITLE = "履歴"
RICH_EDIT_CLASS = "richedit50w"
ID_M_NLOG = 1026
ID_M_Log2 = 1027
ID_M_HistOpen = 1046
ID_H_Simple = 3401
WS_CAPTION = 0x00C00000
WS_EX_LAYERED = 0x00080000
STANDIN_TITLE = "スタンドイン"
STANDIN_DIR = "C:\\standin dir\\"    # a space in the path: the editor's argument is quoted


def hist_window(h: KelupHost) -> dict:
    w = h.find_window(HIST_TITLE, HIST_CLASS)
    assert w is not None, "the history window is made at start"
    return w


def wait_shown(h: KelupHost, shown: bool) -> dict:
    return wait_until(lambda: next((w for w in [hist_window(h)] if w["visible"] == shown), None),
                      30, 0.2, what=f"history window {'shown' if shown else 'hidden'}")


def transcript(w: dict) -> dict:
    return next(c for c in KelupHost.controls(w) if c["class"].lower() == RICH_EDIT_CLASS)


def test_menu_entry_shows_and_hides_and_the_end_keeps_histbox(configured, tmp_path):
    h = configured
    seed_options(h, HISTBOX={"LEFT": 40, "TOP": 50, "WIDTH": 420, "HEIGHT": 260, "BKCOLOR": 15794175,
                             "FONTCOLORS": 255, "FONTCOLORR": 32768, "FONTSIZE": 12, "FONTNAME": "ＭＳ 明朝"})
    start_ready(h)
    w = hist_window(h)
    assert not w["visible"], "hidden unless OPEN is 1"
    for shown in (True, False, True):
        h.command(ID_M_HistOpen)
        w = wait_shown(h, shown)
    left, top, right, bottom = w["rect"]
    assert (left, top, right - left, bottom - top) == (40, 50, 420, 260)
    assert w["style"] & WS_CAPTION == WS_CAPTION and not w["exstyle"] & WS_EX_LAYERED

    # A few lines of talk, as the LAN side leaves them.
    today = f"{date.today():%Y/%m/%d}"
    lines = [f"会話の履歴 {today}", " ", f"{today} 10:00:00", "To: 山田（PC01）", "明日の会議は10時から",
             "http://example.com/agenda", " ", f"{today} 10:05:12", "From: 山田（PC01）", "了解です"]
    h.set_text(transcript(w)["hwnd"], "\r".join(lines))
    h.screenshot(tmp_path / "history.png")
    h.kl("command", "--hwnd", w["hwnd"], "--id", ID_H_Simple)
    w = wait_until(lambda: next((x for x in [hist_window(h)] if x["exstyle"] & WS_EX_LAYERED), None), 30, 0.2,
                   what="simple mode")
    assert not w["style"] & WS_CAPTION
    h.screenshot(tmp_path / "history-simple.png")
    if os.environ.get("KELUP_SHOTS"):
        for name in ("history.png", "history-simple.png"):
            shutil.copy2(tmp_path / name, Path(os.environ["KELUP_SHOTS"]) / name)
    stop(h)

    ini = h.read_ini(h.kelup_ini())["HISTBOX"]
    assert {k: ini[k] for k in ("LEFT", "TOP", "OPEN", "SIMPLE", "BKCOLOR", "FONTCOLORS", "FONTCOLORR",
                                "FONTSIZE", "FONTNAME")} == {
        "LEFT": "40", "TOP": "50", "OPEN": "1", "SIMPLE": "1", "BKCOLOR": "15794175", "FONTCOLORS": "255",
        "FONTCOLORR": "32768", "FONTSIZE": "12", "FONTNAME": "ＭＳ 明朝"}
    # The day file has the talk from the third line on, after an empty line.
    day = data_path(h, f"Log\\{date.today():%Y%m%d}.log")
    assert day.read_bytes().decode("cp932") == "\r\n" + "".join(line + "\r\n" for line in lines[2:])
    assert data_path(h, "Log\\HISTORY.RTF").read_bytes().startswith(b"{\\rtf")

    # The next start opens it as it was left.
    start_ready(h)
    w = wait_shown(h, True)
    assert w["exstyle"] & WS_EX_LAYERED and not w["style"] & WS_CAPTION
    assert h.text(transcript(w)["hwnd"]) == f"会話の履歴 {today}"
    stop(h)


def standin_editor(h: KelupHost, standin_exe: str) -> str:
    """The stand-in program copied into the prefix, as the editor of the settings."""
    folder = h.win_to_linux(STANDIN_DIR)
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy2(standin_exe, folder / "kelup_standin.exe")
    return STANDIN_DIR + "kelup_standin.exe"


def arguments_of(h: KelupHost, name: str) -> list[list[str]]:
    """The arguments (as Wine split the command line) of each process of the
    host's prefix whose program is `name`."""
    found = []
    mine = f"WINEPREFIX={h.prefix}".encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            raw = Path(f"/proc/{pid}/cmdline").read_bytes()
            if mine not in Path(f"/proc/{pid}/environ").read_bytes().split(b"\0"):
                continue
        except OSError:
            continue
        argv = raw.decode("utf-8", "replace").split("\0")
        if argv and argv[0].endswith(name):
            found.append([a for a in argv[1:] if a])
    return found


def answer_box(h: KelupHost) -> str:
    box = wait_until(lambda: next(iter(h.message_boxes()), None), 30, 0.2, what="message box")
    text = h.message_text(box)
    h.click(None, "OK", hwnd=box["hwnd"])
    wait_until(lambda: not h.message_boxes(), 30, 0.2, what="message box gone")
    return text


@pytest.mark.parametrize("log_there", [True, False], ids=["log-opens-in-editor", "no-log-yet"])
def test_send_receive_log_command(configured, standin_exe, log_there):
    h = configured
    editor = standin_editor(h, standin_exe)
    seed_options(h, Option={"Editer": editor, "UseLog2": 0})
    log = data_path(h, "LOG\\kelup.nlg")
    if log_there:
        log.parent.mkdir(parents=True, exist_ok=True)
        log.write_bytes("<<受信>>\r\n".encode("cp932"))
    start_ready(h)
    h.command(ID_M_NLOG)
    if not log_there:
        assert answer_box(h) == "ログファイルはまだ作成されていません"
        assert not h.find_window(STANDIN_TITLE)
        stop(h)
        return
    # With the log switched off, an existing log still opens.
    panel = h.wait_window(STANDIN_TITLE, visible=True, timeout=60)
    log_win = h.data_dir() + "LOG\\kelup.nlg"
    try:
        # One argument, the whole path with its space: it was quoted.
        args = wait_until(lambda: arguments_of(h, "kelup_standin.exe"), 30, 0.2, what="the stand-in's command line")
        assert args == [[log_win]]
    finally:
        main = h.windows(cls="RARADAVE", pid=panel["pid"])
        if main:
            h.send(0x0010, hwnd=main[0]["hwnd"], post=True)   # WM_CLOSE
        wait_until(lambda: not h.find_window(STANDIN_TITLE), 30, 0.2, what="the stand-in gone")
    assert h.message_boxes() == []
    stop(h)


@pytest.mark.parametrize("editor", ["C:\\nowhere\\editor.exe", "C:\\" + "長い名前" * 40 + ".exe"],
                         ids=["missing-editor", "command-line-too-long"])
def test_editor_that_cannot_start(configured, editor):
    h = configured
    seed_options(h, Option={"Editer": editor})
    log = data_path(h, "LOG\\kelup.nlg")
    log.parent.mkdir(parents=True, exist_ok=True)
    log.write_bytes(b"x\r\n")
    start_ready(h)
    h.command(ID_M_NLOG)
    assert answer_box(h) == "エディタを開けません"
    stop(h)


def test_day_log_command_opens_the_chosen_day_file(configured, standin_exe):
    h = configured
    seed_options(h, Option={"Editer": standin_editor(h, standin_exe)})
    start_ready(h)
    day = data_path(h, "Log\\20261208.log")
    day.write_bytes(b"\r\nday file\r\n")
    h.command(ID_M_Log2)
    dlg = wait_until(lambda: next(iter(h.message_boxes()), None), 60, 0.2, what="open dialog")
    edit = next(c for c in h.controls(dlg) if c["class"].lower() == "edit" and c.get("visible", True))
    # A bare name: the dialog starts in the log folder.
    h.set_text(edit["hwnd"], "20261208.log")
    h.click(None, "開く(&O)", hwnd=dlg["hwnd"])
    panel = h.wait_window(STANDIN_TITLE, visible=True, timeout=60)
    try:
        args = wait_until(lambda: arguments_of(h, "kelup_standin.exe"), 30, 0.2, what="the stand-in's command line")
        assert [[a.lower() for a in x] for x in args] == [[(h.data_dir() + "Log\\20261208.log").lower()]]
    finally:
        main = h.windows(cls="RARADAVE", pid=panel["pid"])
        if main:
            h.send(0x0010, hwnd=main[0]["hwnd"], post=True)   # WM_CLOSE
        wait_until(lambda: not h.find_window(STANDIN_TITLE), 30, 0.2, what="the stand-in gone")
    stop(h)
