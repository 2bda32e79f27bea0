"""Notes arriving from the LAN, end to end: scripted peers send KL_SEND in
both formats and IP Messenger messages to a copy of the program on the test
LAN; the note appears with the look and text it was sent with and its text
file holds it, a sealed note shows only who sent it and when until it is
opened (with the password when its sender asked for one), opening it sends
the read receipt back, full slots are answered KL_FULL and KL_ERR, repeated
IP Messenger messages make one note, receipts that arrive are reported, and
hostile notes make sane ones. Needs root for the LAN; skips otherwise."""

from __future__ import annotations

import pytest

from kelup_bench import Q, wait_until
from peers import IPM_READMSG, IPM_SENDMSG, IPM_UTF8OPT, NATIVE_PORT, IPMSG_PORT, cp932, make_identity, packet_date
from test_lan import net  # noqa: F401  (fixture)
from test_store import RICH_EDIT_CLASS, TEXT_NOTE_CLASS, read_data, text_file

IPM_RECVMSG = 33
IPM_SECRET = 0x100 | 0x200
IPM_PASSWORD = 0x8000
IPM_AUTORET = 0x2000
EDITOR_CLASS = "TInputEditer"
ID_E_btnOk = 6080      # "付箋紙へ表示"
HIST_CLASS = "THistBox"


def kl_send(peer, *, lines_field: str, text: str, version: str = "2.010", hiding: int = 0, alert: int = 0,
            colour: int = 0x80FF80, place=(140, 120, 300, 160), sizes=(14, 11), f16_19=("255", "16711680", "1000", "0"),
            fonts=("ＭＳ 明朝", "ＭＳ ゴシック"), waku: str = "3", deadline: str = "1899/12/30",
            kanren: str = "") -> bytes:
    """A KL_SEND as the peer's version writes it."""
    date, clock = packet_date()
    identity = make_identity(peer.name, peer.computer, peer.section, peer.sex, version)
    if kanren:
        identity += "|@|@|" + kanren
    fields = ["KL_SEND", peer.addr, identity, date, clock, lines_field, str(hiding), str(alert), str(colour),
              *map(str, place), *map(str, sizes), *f16_19, *fonts, waku, deadline]
    return cp932(";".join(fields) + ";" + text)


def rich_send(peer, rtf: str, **kw) -> bytes:
    return kl_send(peer, lines_field="1", text=rtf, version="2.001", f16_19=("0", "0", "9999", "0"), **kw)


def answers(peer, h, since: int) -> list[str]:
    return [d.native.command for d in peer.received[since:] if d.native and d.src[0] == h.addr
            and d.native.command != "KL_DUMMY"]


def received_notes(h) -> list[dict]:
    return h.windows(cls=TEXT_NOTE_CLASS, visible=True)


def note_text(h, window: dict) -> str:
    edit = next(c for c in h.controls(window) if c["class"].lower() == RICH_EDIT_CLASS)
    return h.text(edit["hwnd"])


def wait_notes(h, n: int, what: str) -> list[dict]:
    wait_until(lambda: h.query(Q.TextNoteCount) == n and len(received_notes(h)) == n, 60, what=what)
    return received_notes(h)


def boxes_saying(h, text: str) -> list[dict]:
    return [b for b in h.message_boxes() if text in h.message_text(b).replace("\r", "\n").replace("\n", "")]


def close_box(h, box: dict) -> None:
    h.click(None, "OK", hwnd=box["hwnd"])


def message(peer, number: int, command: int, text: str) -> bytes:
    """An IP Messenger message in the peer's encoding."""
    return f"1:{number}:{peer.user}:{peer.host}:{command}:{text}".encode(peer.encoding) + b"\0"


def ipm_confirmations(h, peer, since: int) -> list[str]:
    """The packet numbers of the 33 answers the program sent the peer."""
    return [d.ipmsg.extra for d in peer.received[since:]
            if d.ipmsg and d.src[0] == h.addr and d.ipmsg.mode == IPM_RECVMSG]


@pytest.fixture
def lan_host(net):  # noqa: F811
    def make(**kw):
        h = net.host("a", my_name="受信者", **kw)
        h.start_ready()
        return h
    return make


def test_plain_and_rich_notes_arrive_with_their_look_and_text(net, lan_host):  # noqa: F811
    h = lan_host()
    peer = net.native_peer("p", "佐藤", section="営業", answer=False)

    # Plain: line count 3 of five lines; the title line and the body in their fonts.
    mark = peer.mark()
    peer.send(kl_send(peer, lines_field="3", text="一行目\r二行目\r三行目\r四行目\r五行目"), h.addr, NATIVE_PORT)
    peer.wait_for(lambda d: d.native and d.native.command == "KL_RECIEVE", since=mark, what="KL_RECIEVE")
    [w] = wait_notes(h, 1, "the plain note")
    assert note_text(h, w).replace("\r\n", "\r").split("\r") == ["一行目", "二行目", "三行目"]
    left, top, right, bottom = w["rect"]
    assert (left, top) == (140, 120)
    wait_until(lambda: len(read_data(h).notes) == 1, 30, what="the data file with the note")
    [rec] = read_data(h).notes.values()
    assert rec.color == 0x80FF80
    assert rec.fields[6] == 3                        # the frame style
    assert rec.sender_addr == peer.addr
    assert rec.sender_name == "佐藤（" + peer.computer + "）/営業"
    kdt = text_file(h, 0).decode("cp932", "replace")
    assert "ＭＳ 明朝" in kdt or "\\'82\\'6c\\'82\\'72" in kdt.lower()
    assert "\\fs28" in kdt and "\\fs22" in kdt       # 14 pt title, 11 pt body

    # Rich: the text as sent, without what embeds, links or runs.
    mark = peer.mark()
    rtf = ("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 hello {\\b world}\\par"
           "{\\object\\objemb{\\*\\objclass Package}{\\*\\objdata 0105000002000000}}"
           "{\\field{\\*\\fldinst INCLUDEPICTURE \"\\\\\\\\10.77.0.250\\\\x\\\\y.png\" \\\\d}{\\fldrslt shown}}\\par}")
    peer.send(rich_send(peer, rtf, kanren="C:\\tools\\run.bat"), h.addr, NATIVE_PORT)
    peer.wait_for(lambda d: d.native and d.native.command == "KL_RECIEVE", since=mark, what="KL_RECIEVE")
    wins = wait_notes(h, 2, "the rich note")
    texts = sorted(note_text(h, w) for w in wins)
    assert any(t.startswith("hello world") and "shown" in t for t in texts), texts
    kdt = text_file(h, 1)
    for bad in (b"objdata", b"INCLUDEPICTURE", b"\\object"):
        assert bad not in kdt
    assert answers(peer, h, mark) == ["KL_RECIEVE"]
    assert h.message_boxes() == []


@pytest.mark.parametrize("hiding", [1, 2], ids=["sealed", "password"])
def test_sealed_note_shows_its_face_and_sends_the_receipt_when_opened(net, lan_host, hiding):  # noqa: F811
    # Password "abc" is kept scrambled as "xyz".
    h = lan_host(options={"Password": "xyz", "RecvFontSize": 11})
    peer = net.native_peer("p", "佐藤", answer=False)
    mark = peer.mark()
    peer.send(kl_send(peer, lines_field="2", text="秘密の\r中身", hiding=hiding, alert=2), h.addr, NATIVE_PORT)
    [w] = wait_notes(h, 1, "the sealed note")
    face = note_text(h, w).replace("\r\n", "\r").split("\r")
    assert face[0] == "A Message" and face[1] == "From 佐藤（" + peer.computer + "）"
    assert face[2].startswith("At ") and face[3:] in ([], [""])
    assert "中身" not in note_text(h, w)
    assert "中身" in text_file(h, 0).decode("cp932", "replace") or b"\\'92\\'86" in text_file(h, 0).lower()
    assert answers(peer, h, mark) == ["KL_RECIEVE"]

    h.mouse_click_window(w, repeat=2)
    if hiding == 2:
        dlg = h.wait_window("パスワード入力", visible=True)
        edit = next(c for c in h.controls(dlg) if c["class"].lower() == "edit")
        h.set_text(edit["hwnd"], "abd")
        h.click("パスワード入力", "OK")
        wait_until(lambda: boxes_saying(h, "パスワードが間違っています"), 30, what="the wrong-password message")
        close_box(h, boxes_saying(h, "パスワードが間違っています")[0])
        assert not [d for d in peer.received[mark:] if d.native and d.native.command == "KL_OPEN"]
        h.set_text(edit["hwnd"], "abc")
        h.click("パスワード入力", "OK")
    got = peer.wait_for(lambda d: d.native and d.native.command == "KL_OPEN", since=mark, what="KL_OPEN", timeout=60)
    assert got.native.addr in ("", h.addr) and got.native.identity == h.identity

    # Shown on the note from the editor, the text goes to the history too.
    ed = h.wait_window(cls=EDITOR_CLASS, visible=True, timeout=60)
    h.kl("command", "--hwnd", ed["hwnd"], "--id", ID_E_btnOk)
    wait_until(lambda: "中身" in note_text(h, received_notes(h)[0]), 30, what="the note's own text")
    hist = h.find_window("履歴", HIST_CLASS)
    transcript = next(c for c in h.controls(hist) if c["class"].lower() == RICH_EDIT_CLASS)
    wait_until(lambda: "中身" in h.text(transcript["hwnd"]), 30, what="the note in the history")
    assert f"From: 佐藤（{peer.computer}） ({peer.addr})" in h.text(transcript["hwnd"])


def test_full_slots_answer_full_then_err_and_tell_the_user(net, lan_host):  # noqa: F811
    h = net.host("a", my_name="受信者")
    ini = h.kh.read_ini(h.kh.kelup_ini())
    ini["GENERAL"] = {"MAX1": "5"}
    h.kh.write_ini(h.kh.kelup_ini(), ini)
    h.start_ready()
    assert h.query(Q.MaxTextNotes) == 5
    peer = net.native_peer("p", "佐藤", answer=False)
    for i in range(5):
        mark = peer.mark()
        peer.send(kl_send(peer, lines_field="1", text=f"note {i}", place=(10 + 30 * i, 10, 200, 60)), h.addr,
                  NATIVE_PORT)
        peer.wait_for(lambda d: d.native and d.native.command == "KL_RECIEVE", since=mark, what=f"note {i}")
    wait_notes(h, 5, "five notes")
    mark = peer.mark()
    peer.send(kl_send(peer, lines_field="1", text="one too many"), h.addr, NATIVE_PORT)
    wait_until(lambda: answers(peer, h, mark) == ["KL_FULL", "KL_ERR"], 30, what="KL_FULL and KL_ERR")
    wait_until(lambda: boxes_saying(h, "付箋紙が最大枚数（5枚）に達しているため"), 30, what="the full message")
    assert h.query(Q.TextNoteCount) == 5


def test_ip_messenger_messages_make_notes_once_and_are_confirmed(net, lan_host):  # noqa: F811
    h = lan_host(ipmsg=True)
    ipm = net.ipmsg_peer("q", "suzuki", nick="鈴木", answer=False)

    def confirmations(peer, since: int) -> list[str]:
        return ipm_confirmations(h, peer, since)

    mark = ipm.mark()
    ipm.send(message(ipm, 4711, IPM_SENDMSG, "こんにちは\n二行目"), h.addr, IPMSG_PORT)
    wait_until(lambda: confirmations(ipm, mark) == ["4711"], 30, what="the 33 answer")
    [w] = wait_notes(h, 1, "the IP Messenger note")
    assert note_text(h, w).replace("\r\n", "\r").split("\r") == ["こんにちは", "二行目"]

    # The same number again: no note; number 0 twice: two notes; the
    # automatic reply: a note and no answer.
    ipm.send(message(ipm, 4711, IPM_SENDMSG, "again"), h.addr, IPMSG_PORT)
    ipm.send(message(ipm, 0, IPM_SENDMSG, "zero a"), h.addr, IPMSG_PORT)
    ipm.send(message(ipm, 0, IPM_SENDMSG, "zero b"), h.addr, IPMSG_PORT)
    ipm.send(message(ipm, 4712, IPM_SENDMSG | IPM_AUTORET, "away"), h.addr, IPMSG_PORT)
    wins = wait_notes(h, 4, "four notes")
    assert sorted(note_text(h, w).replace("\r\n", "\r") for w in wins) == \
        sorted(["こんにちは\r二行目", "zero a", "zero b", "away"])
    assert confirmations(ipm, mark) == ["4711", "0", "0"]

    # A sealed message opened: 48 with its number goes back.
    mark = ipm.mark()
    ipm.send(message(ipm, 5000, IPM_SENDMSG | IPM_SECRET, "secret"), h.addr, IPMSG_PORT)
    wins = wait_notes(h, 5, "the sealed message")
    [sealed] = [w for w in wins if note_text(h, w).startswith("A Message")]
    h.mouse_click_window(sealed, repeat=2)
    got = ipm.wait_for(lambda d: d.ipmsg and d.ipmsg.mode == IPM_READMSG, since=mark, what="48", timeout=60)
    assert got.ipmsg.extra == "5000"


def test_ip_messenger_message_in_utf8_when_its_command_says_so(net, lan_host):  # noqa: F811
    h = lan_host(ipmsg=True)
    utf8 = net.ipmsg_peer("r", "tanaka", nick="田中", answer=False, encoding="utf-8")
    mark = utf8.mark()
    utf8.send(message(utf8, 99, IPM_SENDMSG | IPM_UTF8OPT, "ユニコード①"), h.addr, IPMSG_PORT)
    wait_until(lambda: ipm_confirmations(h, utf8, mark) == ["99"], 30, what="the 33 answer")
    [w] = wait_notes(h, 1, "the UTF-8 note")
    assert note_text(h, w) == "ユニコード①"


def test_arrival_is_told_in_the_title_and_confirmed_when_asked(net, lan_host):  # noqa: F811
    h = lan_host(options={"TaskBarButton": 600})   # the title stays ten minutes
    peer = net.native_peer("p", "佐藤", answer=False)
    peer.send(kl_send(peer, lines_field="1", text="確認してね", alert=1), h.addr, NATIVE_PORT)
    wait_until(lambda: boxes_saying(h, "付箋紙が貼られました"), 30, what="the confirmation message")
    assert h.find_window("付箋紙が貼られました", "KeluponApp") is not None
    assert h.query(Q.TextNoteCount) == 1


def test_read_receipts_that_arrive_are_reported(net, lan_host):  # noqa: F811
    h = lan_host(ipmsg=True)
    peer = net.native_peer("p", "佐藤", answer=False)
    ipm = net.ipmsg_peer("q", "suzuki", answer=False)
    date, clock = packet_date()
    peer.send(cp932(f"KL_OPEN;{peer.addr};{peer.identity};{date};{clock}"), h.addr, NATIVE_PORT)
    wait_until(lambda: boxes_saying(h, "付箋紙が読まれました"), 30, what="the read message")
    [box] = boxes_saying(h, "付箋紙が読まれました")
    assert "開封者名　佐藤" in h.message_text(box)
    close_box(h, box)
    ipm.send(f"1:77:suzuki:{ipm.host}:{IPM_READMSG}:12345".encode("cp932") + b"\0", h.addr, IPMSG_PORT)
    wait_until(lambda: boxes_saying(h, "メッセージが開封されました"), 30, what="the opened message")
    assert f"開封者名　suzuki/{ipm.host}" in h.message_text(boxes_saying(h, "メッセージが開封されました")[0])


def test_hostile_notes_make_sane_notes(net, lan_host):  # noqa: F811
    h = lan_host()
    peer = net.native_peer("p", "悪意", answer=False)
    deep = "{\\rtf1 " + "{\\b x" * 3000
    packets = [
        kl_send(peer, lines_field="999999999", text="a\r" * 20000, place=(-99999999, 99999999, 99999999, 99999999),
                sizes=(99999, 99999)),
        rich_send(peer, deep),
        rich_send(peer, "{\\rtf1 {\\object\\objautlink{\\*\\objdata " + "41" * 20000 + "}}ok\\bin999999999 }"),
        rich_send(peer, "{\\rtf1 \\'\\'\\u-99999999?{\\field{\\*\\fldinst{INCLUDETEXT \"C:\\\\\\\\x\"}}}"),
    ]
    for i, data in enumerate(packets):
        mark = peer.mark()
        peer.send(data[:65000], h.addr, NATIVE_PORT)
        peer.wait_for(lambda d: d.native and d.native.command in ("KL_RECIEVE", "KL_ERR"), since=mark,
                      what=f"answer to hostile note {i}", timeout=60)
    wins = wait_notes(h, len(packets), "the hostile notes")
    assert h.query(Q.Ready) == 1
    w_screen, h_screen = (int(v) for v in h.xdo("getdisplaygeometry").split())
    for w in wins:
        left, top, right, bottom = w["rect"]
        assert 0 < right - left <= w_screen and 0 < bottom - top <= h_screen, w["rect"]
        assert left >= 0 and top >= 0 and right <= w_screen + 1 and bottom <= h_screen + 1, w["rect"]
    assert h.message_boxes() == []
