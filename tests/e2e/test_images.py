"""Image notes, end to end: pictures chosen in the picture dialog, taken from
the clipboard and dropped on a note become image notes the size of the
picture, kept in the data file and back after a restart; damaged and hostile
picture files give a message and no note while the program keeps working;
hiding, showing again and peeling; and a dropped picture copied into the data
folder never replaces another note's picture of the same name.

Pictures are made here: bitmaps by hand, the JPEG from the fixture
fixtures/photo.jpg (160 x 100)."""

from __future__ import annotations

import re
import struct
from dataclasses import dataclass
from pathlib import Path

import pytest

from kelup_bench import KelupHost, Q, wait_until
from test_store import (DATA_VERSION, DEFAULT_SLOTS, _Reader, by_pos, configured, data_path,  # noqa: F401
                        make_note, pack_str, seed_options, start_ready, stop, undo_record)
from test_lan import net  # noqa: F401  (the fixture of the tests on the virtual LAN)
from xdnd import drop_files

IMAGE_NOTE_CLASS = "TBMPKELUPSHI"
FIXTURES = Path(__file__).resolve().parent / "fixtures"
JPEG = FIXTURES / "photo.jpg"
JPEG_SIZE = (160, 100)

# Main menu commands (to the main window).
ID_NewBmp = 1010
ID_M_Clip = 1011
ID_M_AllRemoveI = 1030
ID_M_AllHide = 1040
ID_M_ReShow = 1041
# Commands of an image note's menu (to the note window).
ID_B_M_Exit = 7400
ID_B_M_Hide1 = 7402
ID_B_M_Info = 7411

NOT_A_BITMAP = "ビットマップファイルではありません"
NOT_AN_ICON = "アイコンファイルではありません"
TOO_LARGE = "画像が大きすぎるため表示できません"
COPY_QUESTION = "画像ﾃﾞｰﾀをケラップx64ﾃﾞｰﾀﾌｫﾙﾀﾞにｺﾋﾟｰしますか?"
REMOVE_ALL_QUESTION = "すべてのイメージ付箋紙をはがしますか？"
PICS = "C:\\pics\\"


# ---- pictures -------------------------------------------------------------------------

def bmp(width: int, height: int, colour: tuple[int, int, int] = (0x30, 0x90, 0xE0)) -> bytes:
    """A 24-bit bottom-up bitmap file of one colour (blue, green, red)."""
    row = bytes(colour) * width
    row += b"\0" * (-len(row) % 4)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def bmp_announcing(width: int, height: int) -> bytes:
    """A bitmap whose headers announce a huge picture but carry a few bytes."""
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + 64, 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, 0, 2835, 2835, 0, 0)
    return header + info + b"\x55" * 64


def put(h: KelupHost, winpath: str, data: bytes) -> str:
    p = h.win_to_linux(winpath)
    p.parent.mkdir(parents=True, exist_ok=True)
    p.write_bytes(data)
    return winpath


# ---- the data file's image records ------------------------------------------------------

@dataclass
class ImageRecord:
    fields: tuple[int, ...]   # the 21 Int32 of the 84-byte part
    font: str
    title: str
    path: str
    k_date: float
    snd_name: str
    open_fname: str
    raw: bytes

    @property
    def pos(self) -> tuple[int, int]:
        return self.fields[0], self.fields[1]

    width = property(lambda self: self.fields[2])
    h_org = property(lambda self: self.fields[3])
    bmp_mode = property(lambda self: self.fields[7])
    pict_type = property(lambda self: self.fields[12])
    hidden = property(lambda self: self.fields[13])
    org_size = property(lambda self: (self.fields[15], self.fields[16]))


def image_records(h: KelupHost) -> list[ImageRecord]:
    data = data_path(h, "kelup.dat").read_bytes()
    r = _Reader(data)
    text_count, image_count, _undo, version = (r.int32() for _ in range(4))
    assert version == DATA_VERSION
    flags = r.str()
    for _ in range(flags.count("1")):
        r.text_record()
    out = []
    for _ in range(image_count):
        start = r.pos
        assert r.str() == "B_Kelup"
        fields = struct.unpack("<21i", r.take(84))
        font, title, path = r.str(), r.str(), r.str()
        k_date = r.double()
        snd, open_f = r.str(), r.str()
        out.append(ImageRecord(fields, font, title, path, k_date, snd, open_f, data[start:r.pos]))
    return out


def image_record_bytes(path: str, *, left: int, top: int, width: int, h_org: int, title: str = "",
                       bmp_mode: int = 0, pict_type: int = 0, hidden: int = 0) -> bytes:
    fields = struct.pack("<21i", left, top, width, h_org, 0, 0, 1, bmp_mode, 1, 12, 0, 0, pict_type, hidden,
                         0, width, h_org, 0xFFFFFF, 0, 0, 0)
    return (pack_str("B_Kelup") + fields + pack_str("ＭＳ ゴシック") + pack_str(title) + pack_str(path)
            + struct.pack("<d", 0) + pack_str("") + pack_str(""))


def write_data_file(h: KelupHost, images: list[bytes]) -> None:
    data = (struct.pack("<4i", 0, len(images), 0, DATA_VERSION) + pack_str("0" * DEFAULT_SLOTS) + b"".join(images)
            + undo_record() + undo_record())
    target = data_path(h, "kelup.dat")
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_bytes(data)


# ---- the program's windows -----------------------------------------------------------------

def image_notes(h: KelupHost, visible: bool = True) -> list[dict]:
    return h.windows(cls=IMAGE_NOTE_CLASS, visible=visible, children=False)


def size_of(w: dict) -> tuple[int, int]:
    left, top, right, bottom = w["rect"]
    return right - left, bottom - top


def wait_image_notes(h: KelupHost, n: int) -> list[dict]:
    """The image notes shown, once there are `n` of them."""
    found: list[dict] = []

    def shown() -> bool:
        found[:] = image_notes(h)
        return len(found) == n

    wait_until(shown, 60, 0.2, what=f"{n} image notes shown")
    return found


def message_box(h: KelupHost, timeout: float = 60) -> dict:
    return wait_until(lambda: next(iter(h.message_boxes()), None), timeout, 0.2, what="a message box")


def answer(h: KelupHost, button: str = "OK") -> str:
    """The text of the message box up now, answered with `button`."""
    box = message_box(h)
    text = h.message_text(box)
    h.click(None, button, hwnd=box["hwnd"])
    wait_until(lambda: box["hwnd"] not in {b["hwnd"] for b in h.message_boxes()}, 30, 0.2, what="box answered")
    return text


def choose_picture(h: KelupHost, winpath: str) -> None:
    """The main menu's "イメージ付箋紙の新規作成" with `winpath` chosen in its dialog."""
    h.command(ID_NewBmp)
    dlg = message_box(h)
    edit = next(c for c in h.controls(dlg) if c["class"].lower() == "edit" and c.get("visible", True))
    h.set_text(edit["hwnd"], winpath)
    h.click(None, "開く(&O)", hwnd=dlg["hwnd"])
    wait_until(lambda: dlg["hwnd"] not in {b["hwnd"] for b in h.message_boxes()}, 30, 0.2, what="dialog closed")


def still_working(h: KelupHost) -> None:
    assert h.query(Q.Ready) == 1
    assert h.query(Q.ImageNoteCount) == len(image_notes(h, visible=False))


# ---- pictures become image notes ----------------------------------------------------------

PICTURE_KINDS = {
    # name: (file name, bytes, picture type, size)
    "bitmap": ("sea.bmp", lambda: bmp(150, 90), 0, (150, 90)),
    "jpeg": ("photo.JPG", lambda: JPEG.read_bytes(), 1, JPEG_SIZE),
}


@pytest.mark.parametrize("kind", PICTURE_KINDS)
def test_a_chosen_picture_becomes_an_image_note_of_its_size_kept_across_restarts(configured, kind):
    h = configured
    name, data, pict_type, (width, height) = PICTURE_KINDS[kind]
    path = put(h, PICS + name, data())
    start_ready(h)
    choose_picture(h, path)
    [note] = wait_image_notes(h, 1)
    assert size_of(note) == (width, height)
    assert h.query(Q.ImageNoteCount) == 1
    assert h.message_boxes() == []
    left, top = note["rect"][:2]
    stop(h)

    [rec] = image_records(h)
    assert (rec.path, rec.pict_type) == (path, pict_type)
    assert (rec.pos, rec.width, rec.h_org, rec.org_size) == ((left, top), width, height, (width, height))

    start_ready(h)
    [again] = wait_image_notes(h, 1)
    assert again["rect"] == note["rect"]
    stop(h)
    # As it was, but for a title font this system lacks, which becomes the default one.
    [back] = image_records(h)
    assert (back.fields, back.title, back.path) == (rec.fields, rec.title, rec.path)


@pytest.mark.parametrize("option, stays_at_bottom", [("Bottom", 0), ("NewBmpBt", 2)])
def test_new_image_notes_go_below_the_other_notes_when_the_options_say_so(configured, option, stays_at_bottom):
    h = configured
    seed_options(h, Option={option: 1})
    path = put(h, PICS + "low.bmp", bmp(120, 90))
    start_ready(h)
    make_note(h, ["above the picture"], 200, 200)
    choose_picture(h, path)
    [image] = wait_image_notes(h, 1)
    # Top-level windows come from the top of the stack down.
    order = [w["hwnd"] for w in h.windows(visible=True, children=False)
             if w["class"] in (IMAGE_NOTE_CLASS, "TKELUPSHI")]
    assert order.index(image["hwnd"]) == len(order) - 1, "the image note is the lowest note"
    stop(h)
    [rec] = image_records(h)
    assert rec.fields[5] == stays_at_bottom   # StOnTp: 2 stays at the bottom from now on


def test_a_picture_larger_than_the_screen_comes_scaled_down_to_fit(configured):
    h = configured
    path = put(h, PICS + "panorama.bmp", bmp(3000, 1500))
    start_ready(h)
    screen_w, screen_h = (int(v) for v in h.xdo("getdisplaygeometry").split())
    choose_picture(h, path)
    [note] = wait_image_notes(h, 1)
    w, hgt = size_of(note)
    assert w <= screen_w and hgt <= screen_h and w >= screen_w // 2, (w, hgt)
    assert abs(w - 2 * hgt) <= 2, "the proportions are kept"
    stop(h)
    [rec] = image_records(h)
    assert rec.org_size == (3000, 1500), "the picture's own size is kept for 元のイメージのサイズ"


def test_a_stored_image_note_comes_back_with_its_title_place_and_size(configured):
    h = configured
    path = put(h, PICS + "title.bmp", bmp(120, 80))
    # Stored larger than the picture, title shown: the picture area keeps the
    # stored size and the title line comes on top of it.
    write_data_file(h, [image_record_bytes(path, left=300, top=200, width=240, h_org=160, title="旅行の写真",
                                           bmp_mode=1)])
    start_ready(h)
    [note] = wait_image_notes(h, 1)
    left, top, right, bottom = note["rect"]
    assert (left, top, right - left) == (300, 200, 240)
    assert bottom - top > 160, "the title line adds to the picture area"
    stop(h)
    [rec] = image_records(h)
    assert (rec.title, rec.bmp_mode, rec.pos, rec.width, rec.h_org) == ("旅行の写真", 1, (300, 200), 240, 160)
    assert rec.path == path


def test_the_clipboard_picture_becomes_an_image_note_written_to_the_data_folder(configured):
    h = configured
    source = put(h, PICS + "clip.bmp", bmp(64, 48, (0x10, 0x20, 0xF0)))
    start_ready(h)
    h.kl("clip-picture", "--file", source)
    h.command(ID_M_Clip)
    [note] = wait_image_notes(h, 1)
    assert size_of(note) == (64, 48)
    data_dir = h.win_to_linux(h.data_dir())
    written = wait_until(lambda: [p for p in data_dir.iterdir() if re.fullmatch(r"\d+\.bmp", p.name)], 30, 0.2,
                         what="the picture written to the data folder")
    assert len(written) == 1
    assert written[0].read_bytes()[:2] == b"BM"
    stop(h)
    [rec] = image_records(h)
    assert rec.path.lower() == (h.data_dir() + written[0].name).lower()
    assert (rec.width, rec.h_org) == (64, 48)


# ---- damaged and hostile pictures ------------------------------------------------------------

def truncated_jpeg() -> bytes:
    data = JPEG.read_bytes()
    return data[:len(data) // 3]


HOSTILE = [
    # file name, bytes, messages that may answer it
    ("huge.bmp", lambda: bmp_announcing(100000, 100000), {TOO_LARGE, NOT_A_BITMAP}),
    ("wide.bmp", lambda: bmp_announcing(2 ** 31 - 1, 1), {TOO_LARGE, NOT_A_BITMAP}),
    ("cut.jpg", truncated_jpeg, {NOT_A_BITMAP}),
    ("text.jpeg", lambda: b"this is no picture at all\r\n" * 8, {NOT_A_BITMAP}),
    ("empty.bmp", lambda: b"", {NOT_A_BITMAP}),
    ("bad.ico", lambda: b"\0\0\1\0\x05\0" + b"\xff" * 40, {NOT_AN_ICON}),
]


def test_damaged_and_hostile_pictures_give_a_message_and_no_note(configured):
    h = configured
    start_ready(h)
    for name, data, messages in HOSTILE:
        path = put(h, PICS + name, data())
        choose_picture(h, path)
        text = answer(h)
        assert text in messages, f"{name}: {text!r}"
        assert image_notes(h, visible=False) == [], name
        still_working(h)
    # Nothing was left half made: a good picture still makes its note.
    choose_picture(h, put(h, PICS + "good.bmp", bmp(40, 30)))
    wait_image_notes(h, 1)
    stop(h)
    assert [r.path for r in image_records(h)] == [PICS + "good.bmp"]


def test_notes_whose_picture_is_gone_or_damaged_stay_in_the_data_file(configured):
    h = configured
    good = put(h, PICS + "good.bmp", bmp(50, 40))
    damaged = put(h, PICS + "damaged.jpg", truncated_jpeg())
    records = [
        image_record_bytes(good, left=10, top=10, width=50, h_org=40),
        image_record_bytes(PICS + "gone.bmp", left=100, top=10, width=80, h_org=60, title="消えた"),
        image_record_bytes(damaged, left=200, top=10, width=90, h_org=70, pict_type=1),
    ]
    # A record that names no picture at all has nothing to come back to.
    write_data_file(h, records + [image_record_bytes("", left=300, top=10, width=60, h_org=60)])
    h.start()
    assert answer(h) == f"ファイル {damaged} はJPEG形式が不正です"
    h.wait_ready(60)
    [note] = wait_image_notes(h, 1)
    assert note["rect"][:2] == [10, 10]
    assert h.query(Q.ImageNoteCount) == 1
    make_note(h, ["保存のきっかけ"], 400, 400)   # a save
    stop(h)
    saved = data_path(h, "kelup.dat").read_bytes()
    # The notes not shown come back once their picture is there again.
    for record in records[1:]:
        assert record in saved
    assert [r.path for r in image_records(h)] == [good, PICS + "gone.bmp", damaged]


# ---- hiding, showing, peeling -------------------------------------------------------------------

def test_image_notes_hide_into_the_menu_show_again_and_peel(configured):
    h = configured
    a = put(h, PICS + "a.bmp", bmp(70, 50))
    b = put(h, PICS + "b.bmp", bmp(90, 40))
    write_data_file(h, [image_record_bytes(a, left=20, top=20, width=70, h_org=50),
                        image_record_bytes(b, left=200, top=20, width=90, h_org=40)])
    start_ready(h)
    first, second = sorted(wait_image_notes(h, 2), key=lambda w: w["rect"][0])

    # One note hidden by its own command, the other peeled; then back again.
    h.kl("command", "--hwnd", first["hwnd"], "--id", ID_B_M_Hide1, "--send")
    assert [w["hwnd"] for w in wait_image_notes(h, 1)] == [second["hwnd"]]
    h.kl("command", "--hwnd", second["hwnd"], "--id", ID_B_M_Exit, "--send")
    wait_image_notes(h, 0)
    assert h.query(Q.ImageNoteCount) == 1
    h.command(ID_M_ReShow, send=True)
    assert [w["hwnd"] for w in wait_image_notes(h, 1)] == [first["hwnd"]]
    stop(h)
    assert [r.path for r in image_records(h)] == [a]
    write_data_file(h, [image_record_bytes(a, left=20, top=20, width=70, h_org=50),
                        image_record_bytes(b, left=200, top=20, width=90, h_org=40)])
    start_ready(h)
    wait_image_notes(h, 2)

    h.command(ID_M_AllHide, send=True)
    wait_image_notes(h, 0)
    assert h.query(Q.ImageNoteCount) == 2
    stop(h)
    # Hidden into the menu is kept, and they stay hidden at the next start.
    assert [r.hidden for r in image_records(h)] == [2, 2]
    start_ready(h)
    assert image_notes(h) == []
    h.command(ID_M_ReShow, send=True)
    wait_image_notes(h, 2)

    h.command(ID_M_AllRemoveI)
    assert answer(h, "はい") == REMOVE_ALL_QUESTION
    wait_until(lambda: h.query(Q.ImageNoteCount) == 0, 30, 0.2, what="image notes peeled")
    assert image_notes(h, visible=False) == []
    stop(h)
    assert image_records(h) == []


# ---- dropped pictures ------------------------------------------------------------------------------

def test_a_dropped_picture_copied_into_the_data_folder_takes_a_free_name(configured):
    h = configured
    start_ready(h)
    data_dir = h.data_dir()
    theirs = bmp(30, 30, (0, 0, 0xFF))
    put(h, data_dir + "photo.bmp", theirs)   # another note's picture
    dropped = put(h, PICS + "photo.bmp", bmp(80, 60, (0xFF, 0, 0)))
    make_note(h, ["drop here"], 100, 100)
    target = by_pos(h, texts=False)[(100, 100)]
    drop_files(h, target.hwnd, [h.win_to_linux(dropped)], target.left + target.width // 2,
               target.top + target.height // 2)
    assert answer(h, "はい") == COPY_QUESTION
    [note] = wait_image_notes(h, 1)
    assert size_of(note) == (80, 60)
    assert data_path(h, "photo.bmp").read_bytes() == theirs
    copy = wait_until(lambda: data_path(h, "photo(2).bmp").is_file() and data_path(h, "photo(2).bmp"), 30, 0.2,
                      what="the copy")
    assert copy.read_bytes() == h.win_to_linux(dropped).read_bytes()
    stop(h)
    [rec] = image_records(h)
    assert rec.path.lower() == (data_dir + "photo(2).bmp").lower()


# ---- pictures from another computer ------------------------------------------------------------

RECEIVED_CASES = {
    # announced size, hidden, title shown, title
    "as the sender showed it, hidden": ((320, 200), 1, 1, "題名"),
    "larger than the screen": ((8000, 5000), 0, 0, ""),
}


@pytest.mark.parametrize("case", RECEIVED_CASES)
def test_a_received_picture_becomes_a_note_of_the_announced_size_title_and_sender(net, case):
    from test_send import dismiss, start_host
    from test_transfer import send_file, sender

    (width, height), hidden, bmp_mode, title = RECEIVED_CASES[case]
    h = start_host(net, "b")
    p = sender(net, "p")
    jpeg = JPEG.read_bytes()
    assert p.announce_image(h.addr, "写真.jpg", len(jpeg), width, height, hidden=hidden, bmp_mode=bmp_mode,
                            title=title) == "KL_IMAGERECIEVREADY"
    assert send_file(p.connect(h.addr), jpeg) == b"RECVEND         "
    dismiss(h, message_box(h, 120))
    wait_until(lambda: h.query(Q.ImageNoteCount) == 1, 60, 0.2, what="the image note")
    screen_w, screen_h = (int(v) for v in h.xdo("getdisplaygeometry").split())
    if hidden:
        assert image_notes(h) == []
    else:
        [note] = wait_image_notes(h, 1)
        w, hgt = size_of(note)
        assert w <= screen_w and hgt <= screen_h
        assert abs(w * height - hgt * width) <= max(width, height), f"the proportions are kept: {note['rect']}"
        left, top = note["rect"][:2]
        assert left >= 0 and top >= 0
        # The note knows where it came from ("情報").
        h.kl("command", "--hwnd", note["hwnd"], "--id", ID_B_M_Info)
        info = h.message_text(message_box(h)).replace("\r\n", "\r").replace("\n", "\r")
        assert f"\r送信元ＩＰアドレス : {p.addr}" in info
        assert "\r送信者名 : " in info and "（未保存）" not in info
        dismiss(h, message_box(h))
    h.stop()
    [rec] = image_records(h)
    assert (rec.title, rec.bmp_mode, rec.hidden, rec.pict_type) == (title, bmp_mode, 2 if hidden else 0, 1)
    assert rec.path.lower().startswith(h.data_dir().lower()) and rec.path.lower().endswith(".jpg")
    assert h.win_to_linux(rec.path).read_bytes() == jpeg
    # The picture area: the title, when shown, comes on top of it.
    assert (rec.width, rec.h_org) == ((width, height) if hidden else (w, hgt))
