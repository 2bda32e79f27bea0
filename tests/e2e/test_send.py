"""Sending notes on the LAN, end to end: a note written in the compose
editor goes to the recipients picked in its lower area, each in the format
its version understands (rich text to copies of version 2.00 and later,
plain text to older ones, a message to IP Messenger users); a recipient that
never answers is sent to again and reported after the retries while the
program keeps answering; a full recipient is reported once; a send to three
ends with the last answer; a copy of the program receives what another sends
and its read receipt comes back. Each send is in the send/receive log.

Recipients are scripted peers (peers.py) or copies of the program on the
virtual LAN (lan.py). Needs root; skips otherwise."""

from __future__ import annotations

import time

import pytest

from kelup_bench import Q, wait_until
from lan import NetHost
from peers import IPM_SENDMSG, IpMsgPeer, NativePeer, native_result
from test_lan import net  # noqa: F401  (the fixture)

EDITOR_CLASS = "TInputEditer"
TEXT_NOTE_CLASS = "TKELUPSHI"
ID_NewNormal = 1001
ID_E_ListBox1 = 6100
ID_E_ListBox2 = 6101
ID_E_btnSendOnly = 6090     # "送信"
LB_GETCOUNT = 0x018B
LB_GETITEMHEIGHT = 0x01A1
IPM_SECRETOPT, IPM_PASSWORDOPT = 0x200, 0x8000
SEND_FAILED = "送信に失敗しました"
FULL_TEXT = "相手が作成できる付箋紙の最大枚数を超えているため送信できませんでした"
SEND_ERROR = "送信エラーになりました"
SENT_OK = "付箋紙は正常に送信されました"
READ_TEXT = "付箋紙が読まれました"


class Recipient(NativePeer):
    """A copy of the program as a recipient sees it: answers each KL_SEND
    with `reply` ("KL_RECIEVE", "KL_FULL" followed by "KL_ERR", or nothing)."""

    def __init__(self, node, name: str, *, reply: str | None = "KL_RECIEVE", **kw):
        self.reply = reply
        super().__init__(node, name, **kw)

    def on_datagram(self, d) -> None:
        super().on_datagram(d)
        m = d.native
        if m is None or m.command != "KL_SEND" or self.reply is None:
            return
        to = m.addr or d.src[0]
        self.send(native_result(self.reply, self.addr, self.identity), to)
        if self.reply == "KL_FULL":
            self.send(native_result("KL_ERR", self.addr, self.identity), to)


def start_host(net, name: str, **settings) -> NetHost:
    """A copy of the program on its own node: MyName etc. as NetHost takes
    them, other [Option] keys in `options`. It does not list itself, so the
    editor's list holds only the others."""
    settings["options"] = {"DisplayMyName": 1, **settings.get("options", {})}
    return net.host(name, **settings).start_ready()


def recipient(net, node: str, name: str, **kw) -> Recipient:
    p = Recipient(net.node(node), name, **kw)
    net.peers.append(p)
    return p


def ipmsg_user(net, node: str, user: str, **kw) -> IpMsgPeer:
    return net.ipmsg_peer(node, user, **kw)


# ---- the compose editor, as a person uses it -----------------------------------

def open_editor(h) -> dict:
    h.command(ID_NewNormal)   # posted: the editor is modal
    return h.wait_window(cls=EDITOR_CLASS, visible=True, timeout=60)


def control_by_id(h, ed: dict, cid: int) -> dict:
    ed = h.find_window(cls=EDITOR_CLASS, visible=True) or ed
    return next(c for c in h.controls(ed) if c.get("id") == cid)


def list_count(h, lb: dict) -> int:
    return h.send(LB_GETCOUNT, hwnd=lb["hwnd"]) or 0


def pick_recipients(h, ed: dict, count: int, indexes: list[int]) -> None:
    """Waits until the editor lists `count` peers in its first group, then
    clicks the lines `indexes` of that list (sorted by name), as a person
    does."""
    lb1 = control_by_id(h, ed, ID_E_ListBox1)
    wait_until(lambda: list_count(h, lb1) >= count, 60, what=f"{count} peers in the editor's list")
    item = h.send(LB_GETITEMHEIGHT, hwnd=lb1["hwnd"]) or 16
    lb2 = control_by_id(h, ed, ID_E_ListBox2)
    for n, i in enumerate(indexes, 1):
        h.mouse_click_window(lb1, 24, item * i + item // 2)
        wait_until(lambda: list_count(h, lb2) >= n, 20, what=f"recipient {n} chosen")


def write_and_send(h, text: str, recipients: int, indexes: list[int], options: tuple[str, ...] = ()) -> None:
    ed = open_editor(h)
    h.kl("type", "--text", text)
    pick_recipients(h, ed, recipients, indexes)
    for caption in options:
        h.check(None, caption, cls=EDITOR_CLASS)
    h.click(None, "送信", cls=EDITOR_CLASS)


def message_box(h, text: str, timeout: float = 60) -> dict:
    def found():
        for box in h.message_boxes():
            if text in h.message_text(box).replace("\r\n", "\r").replace("\n", "\r"):
                return box
        return None
    return wait_until(found, timeout, what=f"the message {text!r}")


def dismiss(h, box: dict) -> None:
    h.click(None, "OK", hwnd=box["hwnd"])


def net_log(h) -> str:
    path = h.win_to_linux(h.data_dir() + "LOG\\kelup.nlg")
    return path.read_bytes().decode("cp932") if path.exists() else ""


# ---- tests ---------------------------------------------------------------------------

@pytest.mark.parametrize("version,rich", [("2.001", True), ("2.0", False)])
def test_format_follows_the_recipients_version(net, version, rich):
    h = start_host(net, "a", my_name="送り手")
    peer = recipient(net, "p", "受け手", version=version)
    peer.enter()
    write_and_send(h, "こんにちは", 1, [0])
    note = peer.wait_for(lambda d: d.command == "KL_SEND", 60, what="the note").native
    dummies = peer.commands("KL_DUMMY")
    assert dummies, "a KL_DUMMY goes ahead of the note"
    # Fields after the command word: 2 address, 3 identity, ... 18 "9999" in the rich format.
    assert note.identity.startswith("送り手（")
    assert (note.field(16) == "9999") == rich
    text = ";".join(note.fields[22:])
    if rich:
        assert text.startswith("{\\rtf")
    else:
        assert text == "こんにちは"
    # A new note sent with "送信" is sent and peeled.
    wait_until(lambda: h.query(Q.TextNoteCount) == 0, 60, what="the sent note peeled")
    wait_until(lambda: "<<送信>>" in net_log(h), 30, what="the log entry")
    log = net_log(h)
    assert "[送信先:受け手（" in log and "こんにちは" in log


def test_unanswered_send_is_retried_then_reported(net):
    h = start_host(net, "a", options={"RetryCount": 2, "RetryTime": 1})
    peer = recipient(net, "p", "無言", reply=None)
    peer.enter()
    write_and_send(h, "届かない", 1, [0])
    peer.wait_for(lambda d: d.command == "KL_SEND", 60, what="the first note packet")
    started = time.monotonic()
    # The program keeps answering while it waits for the answer.
    assert h.query(Q.Ready) == 1
    assert len(peer.commands("KL_SEND")) < 3, "the query was answered during the wait"
    box = message_box(h, SEND_FAILED)
    print(f"send reported as failed after {time.monotonic() - started:.1f} s of waiting")
    assert len(peer.commands("KL_SEND")) == 3
    assert len(peer.commands("KL_DUMMY")) == 3
    dismiss(h, box)


def test_full_recipient_is_reported_once(net):
    h = start_host(net, "a")
    peer = recipient(net, "p", "満杯", reply="KL_FULL")
    peer.enter()
    write_and_send(h, "いっぱい", 1, [0])
    box = message_box(h, FULL_TEXT)
    wait_until(lambda: "<<送信失敗>>" in net_log(h), 30, what="the failure in the log")
    assert not any(SEND_ERROR in h.message_text(b) for b in h.message_boxes())
    dismiss(h, box)


def test_send_to_three_ends_with_the_last_answer(net):
    h = start_host(net, "a", ipmsg=True)
    a = recipient(net, "p", "A-相手")
    b = recipient(net, "q", "B-相手", version="2.0")
    m = ipmsg_user(net, "r", "c-ipmsg", nick="C-相手")
    a.enter()
    b.enter()
    m.entry_broadcast()
    write_and_send(h, "三人へ", 3, [0, 1, 2], options=("正常送信を確認する",))
    box = message_box(h, SENT_OK)
    text = h.message_text(box)
    assert "ほか2名" in text
    assert a.commands("KL_SEND")[0].field(16) == "9999"
    assert b.commands("KL_SEND")[0].field(16) != "9999"
    msg = m.wait_for(lambda d: d.ipmsg and d.ipmsg.mode == IPM_SENDMSG, 30, what="the message").ipmsg
    assert msg.extra == "三人へ"
    dismiss(h, box)
    log = net_log(h)
    assert log.count("<<送信>>") == 3
    # The history window (hidden) has the send and its confirmation.
    hist = h.find_window(cls="THistBox")
    transcript = h.text(next(c for c in h.controls(hist) if c["class"].lower() == "richedit50w")["hwnd"])
    assert "To: A-相手 (" in transcript and "C-相手" in transcript
    assert "ほか2名" in transcript or SENT_OK not in transcript


def test_sealed_message_to_ip_messenger(net):
    h = start_host(net, "a", ipmsg=True)
    m = ipmsg_user(net, "r", "suzuki", nick="鈴木")
    m.entry_broadcast()
    write_and_send(h, "ひみつ\\n二行目", 1, [0], options=("内容をふせて貼り付ける", "開封時パスワードを要求する"))
    msg = m.wait_for(lambda d: d.ipmsg and d.ipmsg.mode == IPM_SENDMSG, 60, what="the message").ipmsg
    assert msg.command & IPM_SECRETOPT and msg.command & IPM_PASSWORDOPT
    assert msg.extra == "ひみつ\n二行目"


def test_copies_exchange_a_note_and_its_read_receipt(net):
    a = start_host(net, "a", my_name="太郎")
    b = start_host(net, "b", my_name="花子")
    write_and_send(a, "読んだら教えて", 1, [0], options=("内容をふせて貼り付ける",))
    # Sealed at b: the face, until it is opened.
    wait_until(lambda: b.query(Q.TextNoteCount) == 1, 60, what="the note at b")
    note = b.wait_window(cls=TEXT_NOTE_CLASS, visible=True, timeout=60)
    edit = next(c for c in b.controls(note) if c["class"].lower() == "richedit50w")
    assert b.text(edit["hwnd"]).replace("\r\n", "\r").split("\r")[0] == "A Message"
    # Opening it (double-click → the editor) sends the receipt back to a.
    b.mouse_click_window(note, repeat=2)
    ed = b.wait_window(cls=EDITOR_CLASS, visible=True, timeout=60)
    memo = next(c for c in b.controls(ed) if c["class"].lower() == "richedit50w")
    wait_until(lambda: "読んだら教えて" in b.text(memo["hwnd"]), 30, what="the real text in the editor")
    box = message_box(a, READ_TEXT)
    assert "花子" in a.message_text(box)
    dismiss(a, box)
