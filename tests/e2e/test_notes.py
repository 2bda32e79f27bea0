"""Notes on the desktop, driven as a person does: dragging a note by its
middle and by a corner, the context menu on a right click, a double-click
with Alt, and notes that no monitor shows brought into view while their
own place is kept in the data file."""

from __future__ import annotations

from kelup_bench import MAIN_CLASS, BenchError, KelupHost, wait_until
from test_store import (TEXT_NOTE_CLASS, by_pos, configured, count, make_note, read_data, seed_options,  # noqa: F401
                        start_ready, stop)

WM_DISPLAYCHANGE = 0x007E
MENU_CLASS = "#32768"
HINT_CLASS = "KeluponNoteHint"


def screen_size(h: KelupHost) -> tuple[int, int]:
    w, hgt = h.xdo("getdisplaygeometry").split()
    return int(w), int(hgt)


def rect_of(h: KelupHost, hwnd: int) -> tuple[int, int, int, int]:
    return tuple(h.info(hwnd)["rect"])


def drag(h: KelupHost, x: int, y: int, dx: int, dy: int, arrived=None) -> None:
    """Presses the left button at (x, y), moves by (dx, dy) in steps, and
    releases once `arrived()` holds, as a person lets go when the note is
    where it should be: on a busy machine the release can otherwise overtake
    the last move."""
    h.xdo("mousemove", "--sync", x, y)
    h.xdo("mousedown", 1)
    for i in range(1, 6):
        h.xdo("mousemove", "--sync", x + dx * i // 5, y + dy * i // 5)
    if arrived is not None:
        try:
            wait_until(arrived, 15, what="the note under the pointer")
        except BenchError:
            pass   # the check after the release tells what went wrong
    h.xdo("mouseup", 1)


def test_notes_are_moved_by_their_middle_and_sized_by_their_corner(configured):
    h = start_ready(configured)
    make_note(h, ["drag me"], 200, 200)
    note = by_pos(h)[(200, 200)]
    left, top, right, bottom = rect_of(h, note.hwnd)

    moved = lambda: rect_of(h, note.hwnd)[:2] == (left + 120, top + 60)
    drag(h, (left + right) // 2, (top + bottom) // 2, 120, 60, moved)
    wait_until(moved, 30, what=f"note moved (now {rect_of(h, note.hwnd)})")
    left, top, right, bottom = rect_of(h, note.hwnd)
    assert (right - left, bottom - top) == (note.width, note.height)

    # The bottom-right corner, three pixels inside the note.
    sized = lambda: rect_of(h, note.hwnd) == (left, top, right + 50, bottom + 40)
    drag(h, right - 3, bottom - 3, 50, 40, sized)
    wait_until(sized, 30, what=f"note sized (now {rect_of(h, note.hwnd)})")
    stop(h)
    [rec] = read_data(h).notes.values()
    assert rec.pos == (left, top)
    assert rec.fields[2:4] == (note.width + 50, note.height + 40)


def test_right_click_opens_the_menu_and_alt_double_click_hides(configured):
    h = start_ready(configured)
    make_note(h, ["a note"], 300, 300)
    note = by_pos(h)[(300, 300)]
    cx, cy = note.left + note.width // 2, note.top + note.height // 2

    h.mouse_click(cx, cy, button=3)
    h.wait_window(cls=MENU_CLASS, visible=True, timeout=30)
    h.key("Escape")
    wait_until(lambda: not h.windows(cls=MENU_CLASS, visible=True), 30, what="menu closed")

    h.focus(note.hwnd)
    h.xdo("mousemove", "--sync", cx, cy)
    h.xdo("keydown", "alt")
    try:
        h.xdo("click", "--repeat", 2, "--delay", 80, 1)
    finally:
        h.xdo("keyup", "alt")
    wait_until(lambda: not h.windows(cls=TEXT_NOTE_CLASS, visible=True), 30, what="note hidden")
    assert count(h) == 1  # hidden, not peeled
    stop(h)


def test_notes_no_monitor_shows_come_into_view_and_keep_their_place(configured):
    h = start_ready(configured)
    width, height = screen_size(h)
    make_note(h, ["far away"], 3000, 2000)
    make_note(h, ["at home"], 100, 100)
    far = by_pos(h)[(3000, 2000)]

    def in_view(hwnd: int) -> bool:
        left, top, right, bottom = rect_of(h, hwnd)
        return 0 <= left and right <= width and 0 <= top and bottom <= height

    # A change of the displays brings it in; the other note stays put.
    h.send(WM_DISPLAYCHANGE, 32, (height << 16) | width, cls=MAIN_CLASS)
    wait_until(lambda: in_view(far.hwnd), 30, what=f"note in view (at {rect_of(h, far.hwnd)})")
    assert (100, 100) in by_pos(h, texts=False)
    stop(h)
    # The data file keeps the place the note had.
    assert {r.pos for r in read_data(h).notes.values()} == {(3000, 2000), (100, 100)}

    # At the next start it comes into view at once, the file unchanged.
    start_ready(h)
    far_now = next(n for n in by_pos(h).values() if n.text == "far away")
    assert in_view(far_now.hwnd)
    stop(h)
    assert {r.pos for r in read_data(h).notes.values()} == {(3000, 2000), (100, 100)}


def test_the_whole_text_shows_as_a_hint_under_the_pointer(configured):
    h = configured
    seed_options(h, Option={"ToolTipHint": 1})
    start_ready(h)
    make_note(h, ["買い物", "milk and bread"], 400, 400)
    note = by_pos(h)[(400, 400)]
    h.xdo("mousemove", "--sync", note.left + note.width // 2, note.top + note.height // 2)
    h.xdo("mousemove", "--sync", note.left + note.width // 2 + 3, note.top + note.height // 2 + 2)
    hint = h.wait_window(cls=HINT_CLASS, visible=True, timeout=30)
    assert hint["title"] == "買い物\r\nmilk and bread"
    # Away from the note, the hint goes.
    h.xdo("mousemove", "--sync", 5, 5)
    wait_until(lambda: not h.windows(cls=HINT_CLASS, visible=True), 30, what="hint gone")
    stop(h)


def set_dpi(h: KelupHost, dpi: int) -> None:
    """The screen scale of the prefix, as its display settings would set it."""
    for key in (r"HKCU\Control Panel\Desktop", r"HKCC\Software\Fonts"):
        p = h.spawn("add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f", exe="reg")
        assert p.wait(120) == 0, f"reg add {key}"


def test_notes_keep_their_size_to_the_eye_at_150_percent(configured):
    h = configured
    set_dpi(h, 144)
    start_ready(h)
    make_note(h, ["拡大", "150%"], 100, 100)
    [note] = by_pos(h).values()
    # Placed and sized in the units the data file holds, shown half as large again.
    assert (note.left, note.top, note.width, note.height) == (150, 150, 408, 90)
    h.screenshot(h.logs / "note-150.png")
    stop(h)
    [rec] = read_data(h).notes.values()
    assert rec.pos == (100, 100) and rec.fields[2:4] == (272, 60)

    # The same data at 100 %: the same place and size in stored units.
    set_dpi(h, 96)
    start_ready(h)
    [note] = by_pos(h).values()
    assert (note.left, note.top, note.width, note.height) == (100, 100, 272, 60)
    h.screenshot(h.logs / "note-100.png")
    stop(h)
