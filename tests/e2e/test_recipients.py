"""Choosing recipients in the compose editor on the LAN, end to end: the
editor opened from the tray menu searches for peers; a copy of the program
and an IP Messenger user that answer appear under all peers and under their
group, each with its picture; a click on one makes it a recipient and
enables "送信"; a second click on the recipient takes it out again.

The peers are scripted (peers.py) on the virtual LAN (lan.py). Needs root;
skips otherwise."""

from __future__ import annotations

import os
import shutil
import subprocess
from pathlib import Path

from kelup_bench import wait_until
from test_lan import net  # noqa: F401  (the fixture)

EDITOR_CLASS = "TInputEditer"
MENU_CLASS = "#32768"
TRAY_CALLBACK = 0x04DE
WM_RBUTTONDOWN = 0x0204
ID_E_Close = 6007
ID_E_btnSendOnly = 6090
ID_E_TreeView1 = 6099
ID_E_ListBox1 = 6100
ID_E_ListBox2 = 6101
ID_E_Label7 = 6107
LB_GETCOUNT = 0x018B
LB_GETITEMHEIGHT = 0x01A1
LB_GETITEMDATA = 0x0199
TVM_GETCOUNT = 0x1105
TVM_GETITEMHEIGHT = 0x111C


def editor_from_tray(h) -> dict:
    """The tray icon's menu, its first entry "付箋紙の新規作成・送信" clicked."""
    h.send(TRAY_CALLBACK, 1, WM_RBUTTONDOWN, post=True)
    menu = h.wait_window(cls=MENU_CLASS, visible=True)
    left, top, _, _ = menu["rect"]
    h.mouse_click(left + 40, top + 12)
    return h.wait_window(cls=EDITOR_CLASS, visible=True, timeout=60)


def control(h, cid: int) -> dict:
    ed = h.wait_window(cls=EDITOR_CLASS, visible=True)
    return next(c for c in h.controls(ed) if c.get("id") == cid)


def count(h, cid: int) -> int:
    return h.send(LB_GETCOUNT, hwnd=control(h, cid)["hwnd"]) or 0


def shot_of_lower_area(h, dest: Path) -> Path:
    """A picture of the screen, cut to the editor's lower area when the tools are there."""
    whole = h.screenshot(dest.with_name(dest.stem + "-screen.png"))
    tree, send = control(h, ID_E_TreeView1), control(h, ID_E_btnSendOnly)
    ed = h.wait_window(cls=EDITOR_CLASS, visible=True)
    left, _, right, bottom = ed["rect"]
    top = tree["rect"][1] - 24
    if shutil.which("convert") and whole.suffix == ".png":
        subprocess.run(["convert", str(whole), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                        str(dest)], check=True, timeout=30)
        return dest
    assert send
    return whole


def test_peers_answering_the_search_are_listed_and_chosen_with_a_click(net, tmp_path):
    h = net.host("a", my_name="山田", section="営業", sex=1, ipmsg=True).start_ready()
    kelup = net.native_peer("p", "佐藤", section="開発", sex=5)
    ipm = net.ipmsg_peer("q", "suzuki", nick="鈴木", group="開発")

    ed = editor_from_tray(h)
    # The editor's search is answered by both; they also announce themselves.
    kelup.enter()
    ipm.entry_broadcast()
    send = control(h, ID_E_btnSendOnly)
    assert not send["enabled"], "nothing to send to yet"

    # All peers: the program itself (in both dialects) and the two.
    wait_until(lambda: count(h, ID_E_ListBox1) == 4, 60, what="four peers under 全ての送信可能者")
    assert h.text(control(h, ID_E_Label7)["hwnd"]) == "4件"
    # Groups: all peers; friends, absentees, 営業 and 開発 under it.
    tree = control(h, ID_E_TreeView1)
    wait_until(lambda: h.send(TVM_GETCOUNT, hwnd=tree["hwnd"]) == 5, 30, what="the groups of both sections")

    # The two sections, the last two groups: two lines each, each with its
    # own picture (the program itself is listed under 営業 in both dialects).
    row = h.send(TVM_GETITEMHEIGHT, hwnd=tree["hwnd"]) or 16
    lb1 = control(h, ID_E_ListBox1)
    seen = []
    for r in (3, 4):
        h.mouse_click_window(tree, 60, row * r + row // 2)
        wait_until(lambda: count(h, ID_E_ListBox1) == 2 and h.text(control(h, ID_E_Label7)["hwnd"]) == "2件", 30,
                   what=f"two peers in group {r}")
        seen.append(sorted(h.send(LB_GETITEMDATA, i, hwnd=lb1["hwnd"]) for i in range(2)))
    # Sex 1 (the program), sex 5 (佐藤) and IP Messenger users.
    assert sorted(seen) == [[1 + 3, 19], [5 + 3, 19]], seen
    if seen[1] != [5 + 3, 19]:
        h.mouse_click_window(tree, 60, row * 3 + row // 2)
        wait_until(lambda: sorted(h.send(LB_GETITEMDATA, i, hwnd=lb1["hwnd"]) for i in range(2)) == [8, 19], 30,
                   what="開発 shown")

    # A click on a peer makes it the recipient and enables "送信".
    line = h.send(LB_GETITEMHEIGHT, hwnd=lb1["hwnd"]) or 26
    h.mouse_click_window(lb1, 40, line // 2)
    wait_until(lambda: count(h, ID_E_ListBox2) == 1, 20, what="the recipient chosen")
    wait_until(lambda: control(h, ID_E_btnSendOnly)["enabled"], 20, what="送信 enabled")
    out = Path(os.environ.get("KELUP_SHOTS", tmp_path)) / "recipients-lower-area.png"
    print(f"\nlower area: {shot_of_lower_area(h, out)}")

    # A click on the recipient takes it out; "送信" is off again.
    h.mouse_click_window(control(h, ID_E_ListBox2), 40, line // 2)
    wait_until(lambda: count(h, ID_E_ListBox2) == 0, 20, what="the recipient taken out")
    wait_until(lambda: not control(h, ID_E_btnSendOnly)["enabled"], 20, what="送信 disabled")
    assert h.message_boxes() == []

    h.kl("command", "--hwnd", ed["hwnd"], "--id", ID_E_Close)
    wait_until(lambda: not h.windows(cls=EDITOR_CLASS, visible=True), 30, what="the editor closed")
