"""Files across the LAN, end to end: a large file chosen in the compose
editor goes from one copy of the program to another over TCP and arrives
byte for byte; a receiver that refuses it is reported to the sender; the
receiver's limits answer announcements as set; the listener takes one
connection, from the announcing peer only, drops a client that does not
speak the protocol or names another size, keeps nothing of a stream that
ends early, and closes again when nobody comes; a received file's name never
leads out of the folders the user chose.

Copies of the program run on the virtual LAN (lan.py); scripted senders
speak the line protocol from Python sockets. Needs root; skips otherwise."""

from __future__ import annotations

import hashlib
import os
import shutil
import socket
import subprocess
import tempfile
from pathlib import Path

import pytest

from kelup_bench import DIALOG_CLASS, Q, wait_until
from peers import NativePeer, native_result
from test_lan import net  # noqa: F401  (the fixture)
from test_send import dismiss, message_box, open_editor, pick_recipients, start_host

EDITOR_CLASS = "TInputEditer"
TCP_PORT = 11677
Q_LISTENING, Q_ENDED = 29, 30   # query ids: the listener waits; transfers ended

HELLO = b"READY???????????\r\n"
ANSWERS = ("KL_FILERECIEVREADY", "KL_FILERECIEVNG", "KL_FILERECIEVERR", "KL_BUSY",
           "KL_IMAGERECIEVREADY", "KL_IMAGERECIEVNG", "KL_IMAGERECIEVERR")
SAVE_QUESTION = "からファイルを受信しました。"
LEFT_AT = "受信したファイルは，下記の場所に残っています"
RECEIVED_OK = "ファイルの受信を完了しました"
FILE_SENT = "ファイル転送が完了しました"
REFUSED = "指定した相手はファイルの受信を\r制限しており送信できません"
RECEIVE_ABORTED = "ファイル送信側にエラーが発生しました"
DISK_FAILED = "受信したファイルを書き込めませんでした"
PICTURE_RECEIVED = "イメージ付箋紙を受信しました"
JPEG = Path(__file__).resolve().parent / "fixtures" / "photo.jpg"


# ---- a scripted sender --------------------------------------------------------------

class Sender(NativePeer):
    """A copy of the program as a receiver sees it: announces files and
    speaks the client side of the line protocol."""

    def announce(self, to: str, name: str, size: int | str) -> str:
        """Sends KL_FILESENDREADY and returns the answer's command."""
        since = self.mark()
        self.send(native_result("KL_FILESENDREADY", self.addr, self.identity, f"{name};{size};"), to)
        got = self.wait_for(lambda d: d.src[0] == to and d.native and d.native.command in ANSWERS, 60,
                            what="the answer to the announcement", since=since)
        return got.native.command

    def announce_image(self, to: str, name: str, size: int, width: int, height: int, *, hidden: int = 0,
                       bmp_mode: int = 0, title: str = "") -> str:
        """Sends KL_IMAGESENDREADY and returns the answer's command."""
        since = self.mark()
        extra = f"{name};{size};{width};{height};{hidden};{bmp_mode};{self.identity};{title};"
        self.send(native_result("KL_IMAGESENDREADY", self.addr, self.identity, extra), to)
        got = self.wait_for(lambda d: d.src[0] == to and d.native and d.native.command in ANSWERS, 60,
                            what="the answer to the picture's announcement", since=since)
        return got.native.command

    def connect(self, to: str) -> socket.socket:
        return connect_from(self.node, to)


def connect_from(node, to: str) -> socket.socket:
    s = node.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.settimeout(60)
    s.connect((to, TCP_PORT))
    return s


def read_line(s: socket.socket) -> bytes | None:
    """One line without CR LF; None when the other end closed first."""
    data = b""
    try:
        while not data.endswith(b"\n"):
            b = s.recv(1)
            if not b:
                return None
            data += b
    except (ConnectionResetError, ConnectionAbortedError):
        return None
    return data.rstrip(b"\r\n")


def closed_by_peer(s: socket.socket) -> bool:
    """True when the other end closes without a word (within the timeout)."""
    try:
        return s.recv(100) == b""
    except (ConnectionResetError, ConnectionAbortedError):
        return True


def send_file(s: socket.socket, data: bytes, size_line: bytes | None = None) -> bytes | None:
    """The client's side; the server's last line (None when it closed)."""
    s.sendall(HELLO)
    assert read_line(s) == b"READY           "
    s.sendall(size_line or b"SIZE%d/\r\n" % len(data))
    line = read_line(s)
    if line != b"SIZEOK          ":
        return line
    s.sendall(data)
    return read_line(s)


def sender(net, node: str, name: str = "送信者") -> Sender:
    p = Sender(net.node(node), name)
    net.peers.append(p)
    return p


def data_files(h, pattern: str) -> list:
    return sorted(h.win_to_linux(h.data_dir()).glob(pattern))


def answer(h, text: str, button: str, timeout: float = 120) -> str:
    box = message_box(h, text, timeout)
    shown = h.message_text(box)
    h.click(None, button, hwnd=box["hwnd"])
    return shown


def listener_closes(h, timeout: float = 120) -> None:
    wait_until(lambda: h.query(Q_LISTENING) == 0, timeout, what="the listener closed")


# ---- announcements and the receive limits ---------------------------------------------

@pytest.mark.parametrize("size,expected", [(65535, "KL_FILERECIEVREADY"), (65536, "KL_FILERECIEVNG"),
                                           (0, "KL_FILERECIEVERR"), ("12x", "KL_FILERECIEVERR")])
def test_announcement_answered_by_the_limits(net, size, expected):
    h = start_host(net, "b", options={"FileRecvLim": 2, "FileRecvLimKB": 64})
    p = sender(net, "p")
    assert p.announce(h.addr, "a.txt", size) == expected
    # Only an accepted announcement opens the listener.
    assert h.query(Q_LISTENING) == (1 if expected == "KL_FILERECIEVREADY" else 0)


def test_picture_announcements_that_cannot_be_a_note_are_unusable(net):
    h = start_host(net, "b")
    p = sender(net, "p")
    for name, size in (("run.exe", 100), ("shortcut.jpg.lnk", 100), ("empty.jpg", 0)):
        assert p.announce_image(h.addr, name, size, 16, 16) == "KL_IMAGERECIEVERR", name
        assert h.query(Q_LISTENING) == 0
    assert p.announce_image(h.addr, "ok.JPG", 100, 16, 16) == "KL_IMAGERECIEVREADY"


def test_temporary_restrictions_refuse_their_kind_while_checked(net):
    h = start_host(net, "b", options={"TransferWaitSec": 2})
    p = sender(net, "p")
    file = lambda: p.announce(h.addr, "a.txt", 10)  # noqa: E731
    image = lambda: p.announce_image(h.addr, "a.jpg", 10, 16, 16)  # noqa: E731
    # "一時的受信制限" ▸ "ファイル" (1045) and "イメージ付箋紙" (1044).
    for command, refused, other in ((1045, file, image), (1044, image, file)):
        h.command(command)
        assert refused() in ("KL_FILERECIEVNG", "KL_IMAGERECIEVNG")
        assert other() in ("KL_FILERECIEVREADY", "KL_IMAGERECIEVREADY"), "the other kind is still taken"
        listener_closes(h)
        h.command(command)
        assert refused() in ("KL_FILERECIEVREADY", "KL_IMAGERECIEVREADY")
        listener_closes(h)


def test_listener_takes_only_the_announcing_peer_once_and_closes_when_nobody_comes(net):
    h = start_host(net, "b", options={"TransferWaitSec": 4})
    p = sender(net, "p")
    other = sender(net, "q", "割り込み")
    assert p.announce(h.addr, "a.txt", 100) == "KL_FILERECIEVREADY"
    # Meanwhile everyone else hears that a reception is under way.
    assert other.announce(h.addr, "b.txt", 100) == "KL_BUSY"
    # A third host that connects is turned away at once.
    intruder = other.connect(h.addr)
    assert closed_by_peer(intruder)
    intruder.close()
    assert h.query(Q_LISTENING) == 1
    # Nobody else comes: the listener closes by itself and the next
    # announcement is taken.
    listener_closes(h)
    with pytest.raises(OSError):
        connect_from(other.node, h.addr).close()
    assert other.announce(h.addr, "b.txt", 100) == "KL_FILERECIEVREADY"


@pytest.mark.parametrize("hello,size_line", [
    (b"READY\r\n", None),                       # the hello without its question marks
    (HELLO, b"SIZE100\r\n"),                    # no "/"
    (HELLO, b"SIZE99/\r\n"),                    # not the size announced
    (HELLO, b"SIZE" + b"9" * 4000 + b"\r\n"),   # a line no client sends
])
def test_client_out_of_protocol_is_dropped_and_nothing_is_written(net, hello, size_line):
    h = start_host(net, "b")
    p = sender(net, "p")
    assert p.announce(h.addr, "a.txt", 100) == "KL_FILERECIEVREADY"
    s = p.connect(h.addr)
    s.sendall(hello)
    if size_line is not None:
        assert read_line(s) == b"READY           "
        s.sendall(size_line)
    assert closed_by_peer(s), "dropped without a further answer"
    s.close()
    listener_closes(h)
    assert not data_files(h, "*.~mp")
    assert not h.message_boxes()
    assert p.announce(h.addr, "a.txt", 100) == "KL_FILERECIEVREADY"


def test_stream_ending_early_leaves_no_file_and_is_reported(net):
    h = start_host(net, "b")
    p = sender(net, "p")
    assert p.announce(h.addr, "a.bin", 1_000_000) == "KL_FILERECIEVREADY"
    s = p.connect(h.addr)
    s.sendall(HELLO)
    assert read_line(s) == b"READY           "
    s.sendall(b"SIZE1000000/\r\n")
    assert read_line(s) == b"SIZEOK          "
    s.sendall(os.urandom(300_000))
    s.close()
    box = message_box(h, RECEIVE_ABORTED)
    assert not data_files(h, "*.~mp")
    assert h.query(Q_LISTENING) == 0
    dismiss(h, box)


def test_full_disk_during_reception_is_reported_and_leaves_nothing(net):
    h = start_host(net, "b")
    p = sender(net, "p")
    # The data folder on a small file system of its own, with what it held.
    data = h.win_to_linux(h.data_dir())
    saved = Path(tempfile.mkdtemp(prefix="kelup-data-"))
    shutil.copytree(data, saved / "data")
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "kelup-full", str(data)], check=True)
    try:
        shutil.copytree(saved / "data", data, dirs_exist_ok=True)
        size = 16 << 20
        assert p.announce(h.addr, "big.bin", size) == "KL_FILERECIEVREADY"
        s = p.connect(h.addr)
        s.sendall(HELLO)
        assert read_line(s) == b"READY           "
        s.sendall(b"SIZE%d/\r\n" % size)
        assert read_line(s) == b"SIZEOK          "
        try:
            s.sendall(os.urandom(size))
        except OSError:
            pass   # the receiver gave up first
        assert read_line(s) is None, "no end is claimed for a file that was not written"
        s.close()
        dismiss(h, message_box(h, DISK_FAILED))
        assert not list(data.glob("*.~mp"))
        assert h.query(Q_LISTENING) == 0
    finally:
        subprocess.run(["umount", "-l", str(data)], check=False)
        shutil.rmtree(saved, ignore_errors=True)


# ---- what becomes of a received file --------------------------------------------------

def test_received_file_saved_where_the_user_says(net):
    h = start_host(net, "b")
    p = sender(net, "p")
    body = "報告書の本文\r\n".encode("cp932") * 1000
    assert p.announce(h.addr, "報告書.txt", len(body)) == "KL_FILERECIEVREADY"
    assert send_file(p.connect(h.addr), body) == b"RECVEND         "
    asked = answer(h, SAVE_QUESTION, "はい")
    assert asked.startswith("送信者（")
    dlg = h.wait_window("名前を付けて保存", DIALOG_CLASS, visible=True, timeout=60)
    edit = next(c for c in h.controls(dlg) if c["class"].lower() == "edit" and c.get("visible", True))
    assert h.text(edit["hwnd"]) == "報告書.txt", "the announced name is offered"
    target = r"C:\kelup-bench\受信\報告書.txt"
    h.win_to_linux(r"C:\kelup-bench").mkdir(exist_ok=True)
    (h.win_to_linux(r"C:\kelup-bench") / "受信").mkdir(exist_ok=True)
    h.set_text(edit["hwnd"], target)
    h.click(None, "保存(&S)", hwnd=dlg["hwnd"])
    dismiss(h, message_box(h, RECEIVED_OK))
    assert h.win_to_linux(target).read_bytes() == body
    assert not data_files(h, "*.~mp")


def test_kept_file_goes_to_temp_under_a_safe_free_name(net):
    h = start_host(net, "b")
    p = sender(net, "p")
    temp = h.win_to_linux(h.data_dir()) / "temp"
    temp.mkdir(exist_ok=True)
    (temp / "a.txt").write_bytes(b"first")
    (temp / "a(2).txt").write_bytes(b"second")
    body = b"third"
    # A name that tries to climb out of the data folder.
    assert p.announce(h.addr, "..\\..\\..\\a.txt", len(body)) == "KL_FILERECIEVREADY"
    assert send_file(p.connect(h.addr), body) == b"RECVEND         "
    answer(h, SAVE_QUESTION, "いいえ")
    box = message_box(h, LEFT_AT)
    assert h.message_text(box).replace("\r\n", "\r").endswith("temp\\a(3).txt")
    dismiss(h, box)
    assert (temp / "a(3).txt").read_bytes() == body
    assert (temp / "a.txt").read_bytes() == b"first" and (temp / "a(2).txt").read_bytes() == b"second"
    assert not data_files(h, "*.~mp")


# ---- pictures ---------------------------------------------------------------------------

def test_received_picture_becomes_an_image_note(net):
    h = start_host(net, "b")
    p = sender(net, "p")
    jpeg = JPEG.read_bytes()
    assert p.announce_image(h.addr, "写真.jpg", len(jpeg), 160, 100, title="題名") == "KL_IMAGERECIEVREADY"
    since = p.mark()
    assert send_file(p.connect(h.addr), jpeg) == b"RECVEND         "
    p.wait_for(lambda d: d.src[0] == h.addr and d.native and d.native.command == "KL_IMAGERECIEVCOMPLETE", 120,
               what="the picture's arrival", since=since)
    dismiss(h, message_box(h, PICTURE_RECEIVED))
    assert h.query(Q.ImageNoteCount) == 1
    kept = data_files(h, "*.jpg")
    assert [f.read_bytes() for f in kept] == [jpeg]
    assert not data_files(h, "*.~mp")


def test_damaged_picture_makes_no_note_and_is_not_reported_as_arrived(net):
    h = start_host(net, "b")
    p = sender(net, "p")
    junk = b"\xff\xd8\xff\xe0" + os.urandom(5000)
    assert p.announce_image(h.addr, "壊れ.jpg", len(junk), 160, 100) == "KL_IMAGERECIEVREADY"
    since = p.mark()
    assert send_file(p.connect(h.addr), junk) == b"RECVEND         "
    # The picture's maker says what is wrong with it; then the sender hears
    # that it did not arrive, and there is no note and nothing kept.
    box = wait_until(lambda: next(iter(h.message_boxes()), None), 120, what="the message about the picture")
    dismiss(h, box)
    got = p.wait_for(lambda d: d.src[0] == h.addr and d.native and d.native.command.startswith("KL_IMAGERECIEV"),
                     120, what="the receiver's verdict", since=since)
    assert got.native.command == "KL_IMAGERECIEVERR"
    assert h.query(Q.ImageNoteCount) == 0
    assert not data_files(h, "*.jpg") and not data_files(h, "*.~mp")


def test_image_note_sent_from_one_copy_becomes_a_note_at_the_other(net):
    from test_images import choose_picture, put, wait_image_notes
    a = start_host(net, "a", my_name="送り手")
    b = start_host(net, "b", my_name="受け手")
    jpeg = JPEG.read_bytes()
    choose_picture(a, put(a, r"C:\pics\photo.jpg", jpeg))
    [note] = wait_image_notes(a, 1)
    a.kl("command", "--hwnd", note["hwnd"], "--id", 7423)   # "他マシンのデスクトップへ貼付"
    ed = a.wait_window(cls=EDITOR_CLASS, visible=True, timeout=60)
    pick_recipients(a, ed, 1, [0])
    a.check(None, "正常送信を確認する", cls=EDITOR_CLASS)
    a.click(None, "送信", cls=EDITOR_CLASS)
    dismiss(b, message_box(b, PICTURE_RECEIVED, 120))
    wait_until(lambda: b.query(Q.ImageNoteCount) == 1, 60, what="the image note at the receiver")
    assert [f.read_bytes() for f in data_files(b, "*.jpg")] == [jpeg]
    confirmed = message_box(a, "イメージ付箋紙は正常に送信されました", 120)
    assert a.message_text(confirmed).replace("\r\n", "\r").replace("\n", "\r").endswith("受信者　受け手（" + b.computer + "）")
    dismiss(a, confirmed)
    # Confirmed: no second message about the transfer itself.
    assert a.query(Q.ImageNoteCount) == 1


def test_image_note_goes_to_another_copy_with_its_title(net):
    """An image note's "他マシンのデスクトップへ貼付": the editor in its image
    mode, one recipient, "送信"; the other copy sticks the picture as an
    image note of the sent size with its title, and the sender hears that it
    arrived."""
    from test_images import image_record_bytes, image_records, wait_image_notes, write_data_file
    a = net.host("a", my_name="送り手", options={"DisplayMyName": 1})
    picture = a.data_dir() + "海.jpg"
    target = a.win_to_linux(picture)
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_bytes(JPEG.read_bytes())
    write_data_file(a, [image_record_bytes(picture, left=120, top=120, width=320, h_org=200, title="夕方の海",
                                           bmp_mode=1, pict_type=1)])
    a.start_ready()
    b = start_host(net, "b", my_name="受け手")
    [note] = wait_image_notes(a, 1)

    a.kl("command", "--hwnd", note["hwnd"], "--id", 7423)   # posted: the editor is modal
    ed = a.wait_window(cls=EDITOR_CLASS, visible=True, timeout=60)
    assert a.info(ed["hwnd"])["title"] == "付箋紙の送信（イメージ付箋紙）"
    pick_recipients(a, ed, 1, [0])
    a.click(None, "送信", cls=EDITOR_CLASS)

    dismiss(b, message_box(b, PICTURE_RECEIVED, 120))
    [got] = wait_image_notes(b, 1)
    left, top, right, bottom = got["rect"]
    assert right - left == 320 and bottom - top > 200, "the sent size, with the title below"
    dismiss(a, message_box(a, "イメージ転送が完了しました", 120))
    b.stop()
    [rec] = image_records(b)
    assert (rec.title, rec.bmp_mode, rec.pict_type) == ("夕方の海", 1, 1)
    assert b.win_to_linux(rec.path).read_bytes() == JPEG.read_bytes()


# ---- between two copies -------------------------------------------------------------

def choose_file(h, path: str) -> None:
    """The compose editor's open dialog: the file named and opened."""
    dlg = h.wait_window(None, DIALOG_CLASS, visible=True, timeout=60)
    edit = next(c for c in h.controls(dlg) if c["class"].lower() == "edit" and c.get("visible", True))
    h.set_text(edit["hwnd"], path)
    h.click(None, "開く(&O)", hwnd=dlg["hwnd"])


def send_file_only(h, path: str) -> None:
    """The compose editor: the first peer, "ファイルのみ送信する", the file and Yes."""
    ed = open_editor(h)
    h.kl("type", "--text", "ファイル")
    pick_recipients(h, ed, 1, [0])
    h.click(None, "ファイルのみ送信する", cls=EDITOR_CLASS)
    h.click(None, "送信", cls=EDITOR_CLASS)
    choose_file(h, path)
    answer(h, "送信してもいいですか?", "はい")


def sha256(path) -> str:
    d = hashlib.sha256()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            d.update(chunk)
    return d.hexdigest()


def test_large_file_arrives_whole_between_two_copies(net):
    a = start_host(net, "a", my_name="送り手")
    b = start_host(net, "b", my_name="受け手")
    src_win = r"C:\kelup-bench\big.bin"
    src = a.win_to_linux(r"C:\kelup-bench")
    src.mkdir(exist_ok=True)
    src = src / "big.bin"
    with open(src, "wb") as f:
        for _ in range(100):
            f.write(os.urandom(1 << 20))
    send_file_only(a, src_win)
    answer(b, "送り手（", "いいえ", timeout=600)
    box = message_box(b, LEFT_AT)
    dismiss(b, box)
    kept = b.win_to_linux(b.data_dir()) / "temp" / "big.bin"
    assert kept.stat().st_size == 100 << 20
    assert sha256(kept) == sha256(src)
    dismiss(a, message_box(a, FILE_SENT, 120))
    assert not data_files(b, "*.~mp")


def test_refusing_receiver_is_reported_to_the_sender(net):
    a = start_host(net, "a", my_name="送り手")
    start_host(net, "b", my_name="受け手", options={"FileRecvLim": 2, "FileRecvLimKB": 1})
    src_win = r"C:\kelup-bench\two-kb.bin"
    folder = a.win_to_linux(r"C:\kelup-bench")
    folder.mkdir(exist_ok=True)
    (folder / "two-kb.bin").write_bytes(os.urandom(2048))
    send_file_only(a, src_win)
    shown = message_box(a, "制限しており送信できません", 120)
    assert a.message_text(shown).replace("\r\n", "\r").replace("\n", "\r") == REFUSED
    dismiss(a, shown)
