"""An image note as the user handles it: dragging an edge keeps the
picture's proportions, a locked note stays where it is, a double-click asks
for the title, which then shows under the picture, and the size in percent
of the screen width through the input dialog."""

from __future__ import annotations

from kelup_bench import DIALOG_CLASS, KelupHost, wait_until
from test_images import PICS, bmp, image_records, put, wait_image_notes, write_data_file, image_record_bytes
from test_store import configured, start_ready, stop  # noqa: F401

ID_B_M_Border = 7406
ID_B_M_Lock = 7412
ID_B_M_Input = 7420
TITLE_DIALOG = "タイトルの入力"
PERCENT_DIALOG = "画面横幅に対する割合の入力"


def rect_of(h: KelupHost, hwnd: int) -> tuple[int, int, int, int]:
    return tuple(h.info(hwnd)["rect"])


def size_of(r: tuple[int, int, int, int]) -> tuple[int, int]:
    return r[2] - r[0], r[3] - r[1]


def drag(h: KelupHost, x: int, y: int, dx: int, dy: int) -> None:
    """Presses the left button at (x, y), moves by (dx, dy) in steps, releases."""
    h.xdo("mousemove", "--sync", x, y)
    h.xdo("mousedown", 1)
    for i in range(1, 6):
        h.xdo("mousemove", "--sync", x + dx * i // 5, y + dy * i // 5)
    h.xdo("mouseup", 1)


def one_note(h: KelupHost, width: int = 300, h_org: int = 200) -> int:
    """The program started with one image note at (200, 200); its window."""
    path = put(h, PICS + "sea.bmp", bmp(150, 100))
    write_data_file(h, [image_record_bytes(path, left=200, top=200, width=width, h_org=h_org)])
    start_ready(h)
    [note] = wait_image_notes(h, 1)
    return note["hwnd"]


def ready_to_drag(h: KelupHost, hwnd: int) -> None:
    """The note active and changed once (the border on and off again). Under
    Wine without a window manager a window's first change after it became
    active maps its X window anew, which would end a drag begun before."""
    h.focus(hwnd)
    for _ in range(2):
        h.kl("command", "--hwnd", hwnd, "--id", ID_B_M_Border, "--send")


def note_command(h: KelupHost, hwnd: int, cmd: int) -> None:
    """A command of the note's menu; posted, as it may open a dialog."""
    h.kl("command", "--hwnd", hwnd, "--id", cmd)


def answer_input(h: KelupHost, title: str, text: str) -> str:
    """The input dialog `title`: what it offered, after `text` was given with OK."""
    dlg = h.wait_window(title, DIALOG_CLASS, visible=True, timeout=60)
    edit = next(c for c in h.controls(dlg) if c["class"].lower() == "edit")
    offered = h.text(edit["hwnd"])
    h.set_text(edit["hwnd"], text)
    h.click(None, "OK", hwnd=dlg["hwnd"])
    h.wait_gone(title, DIALOG_CLASS, timeout=60)
    return offered


def test_dragging_an_edge_keeps_the_proportions_and_a_locked_note_stays(configured):
    h = configured
    note = one_note(h)
    ready_to_drag(h, note)
    left, top, right, bottom = rect_of(h, note)
    assert (right - left, bottom - top) == (300, 200)

    # The right edge, three pixels inside: the height follows the width.
    drag(h, right - 3, (top + bottom) // 2, 150, 0)
    wait_until(lambda: size_of(rect_of(h, note)) == (450, 300), 30,
               what=f"sized by the right edge (now {rect_of(h, note)})")
    # The bottom edge: the width follows the height.
    left, top, right, bottom = rect_of(h, note)
    drag(h, (left + right) // 2, bottom - 3, 0, -200)
    wait_until(lambda: size_of(rect_of(h, note)) == (150, 100), 30,
               what=f"sized by the bottom edge (now {rect_of(h, note)})")

    # Locked: neither its middle nor its corner moves or sizes it.
    h.kl("command", "--hwnd", note, "--id", ID_B_M_Lock, "--send")
    locked = rect_of(h, note)
    drag(h, (locked[0] + locked[2]) // 2, (locked[1] + locked[3]) // 2, 80, 60)
    drag(h, locked[2] - 3, locked[3] - 3, 40, 40)
    # Unlocked again, a drag by the middle moves it from where it was locked:
    # the drags before it left it there.
    h.kl("command", "--hwnd", note, "--id", ID_B_M_Lock, "--send")
    drag(h, (locked[0] + locked[2]) // 2, (locked[1] + locked[3]) // 2, 20, 10)
    moved = (locked[0] + 20, locked[1] + 10, locked[2] + 20, locked[3] + 10)
    wait_until(lambda: rect_of(h, note) == moved, 30, what=f"moved once unlocked (now {rect_of(h, note)})")
    h.kl("command", "--hwnd", note, "--id", ID_B_M_Lock, "--send")
    stop(h)
    [rec] = image_records(h)
    assert (rec.pos, rec.width, rec.h_org) == (moved[:2], 150, 100)
    assert rec.fields[11] == 1, "the lock is kept"


def test_double_click_asks_for_the_title_which_shows_under_the_picture(configured, tmp_path):
    h = configured
    note = one_note(h, 300, 200)
    left, top, right, bottom = rect_of(h, note)
    h.mouse_click((left + right) // 2, (top + bottom) // 2, repeat=2)
    assert answer_input(h, TITLE_DIALOG, "旅行の写真") == ""
    wait_until(lambda: size_of(rect_of(h, note))[1] > 200, 30, what="the note grown by its title")
    width, height = size_of(rect_of(h, note))
    assert width == 300
    h.screenshot(tmp_path / "titled.png")
    stop(h)
    [rec] = image_records(h)
    assert (rec.title, rec.bmp_mode, rec.width, rec.h_org) == ("旅行の写真", 1, 300, 200)


def test_size_in_percent_of_the_screen_width(configured):
    h = configured
    screen_w = int(h.xdo("getdisplaygeometry").split()[0])
    note = one_note(h, 300, 200)
    note_command(h, note, ID_B_M_Input)
    offered = answer_input(h, PERCENT_DIALOG, "95")
    assert offered == str(max(10, min(100, 300 * 100 // screen_w)))
    want_w = 95 * screen_w // 100
    wait_until(lambda: rect_of(h, note) == (0, 0, want_w, want_w * 2 // 3), 30,
               what=f"at the corner, 95 % wide (now {rect_of(h, note)})")
    assert h.message_boxes() == []
    stop(h)
