"""Dates in notes, end to end: date placeholders show the days left in the
shown text, while the note's text file keeps them as typed."""

from __future__ import annotations

import struct
import wave
from datetime import date, datetime, timedelta

import pytest

from kelup_bench import Q, wait_until
from test_store import (by_pos, configured, data_path, dde, make_note, note_command, pack_str,  # noqa: F401
                        read_data, seed_options, start_ready, stop, text_file)

ZEN = str.maketrans("0123456789-/", "０１２３４５６７８９－／")


def test_placeholders_show_the_days_left_and_the_file_keeps_them(configured):
    h = start_ready(configured)
    target = date.today() + timedelta(days=40)
    half = f"%%{target:%Y/%m/%d}%%"
    full = "％％" + f"{target:%Y/%m/%d}".translate(ZEN) + "％％"
    past = (date(2000, 1, 1) - date.today()).days
    make_note(h, [f"あと{half}日", f"あと{full}日", "past %%2000/01/01%% and %%2000/13/01%%"], 200, 200)
    want = f"あと40日\r\nあと４０日\r\npast {past} and 0"
    assert by_pos(h)[(200, 200)].text == want
    # The file keeps the placeholders for the next day's count.
    rtf = text_file(h, 0)
    assert half.encode("ascii") in rtf and b"%%2000/01/01%%" in rtf
    stop(h)
    before = text_file(h, 0)

    start_ready(h)
    assert by_pos(h)[(200, 200)].text == want
    stop(h)
    assert text_file(h, 0) == before


KM_SETTODAY = 0x8102


def serial(d: date) -> int:
    return (d - date(1899, 12, 30)).days


def serial_time(t: datetime) -> float:
    return serial(t.date()) + (t.hour * 60 + t.minute) / 1440


def set_now(h, t: datetime) -> None:
    """The moment the program takes for now, to the minute; a new timer period."""
    h.send(KM_SETTODAY, serial(t.date()), t.hour * 60 + t.minute)


def test_the_count_follows_the_day_at_each_date_update(configured):
    h = start_ready(configured)
    today = date.today()
    make_note(h, [f"あと%%{today + timedelta(days=10):%Y/%m/%d}%%日"], 200, 200)
    assert by_pos(h)[(200, 200)].text == "あと10日"
    # The next day, as after a night asleep; then the clock set back a day.
    for day, shown in ((today + timedelta(days=1), "あと9日"), (today - timedelta(days=1), "あと11日")):
        set_now(h, datetime.combine(day, datetime.min.time()))
        dde(h, "DateUp")
        assert by_pos(h)[(200, 200)].text == shown, day
    stop(h)


# ---- deadlines ---------------------------------------------------------------------

ID_M_Hide1 = 3005
ID_M_Limit = 3060
WS_EX_TOPMOST = 0x8
OWN, OWN_TEXT = 0xC0FFFF, 0x000000
# Every colour apart, to tell each rule by its colours on the screen.
RULES = {1: (0x0000FF, 0xFFFFFF), 2: (0xFF00FF, 0x008000), 3: (0x00FFFF, 0xFF0000)}
DUE = datetime(2031, 3, 1, 12, 0)


def deadline_options(h, **extra) -> None:
    seed_options(h, Config={"Colorx64": OWN, "FontColor": OWN_TEXT, "FontSize": 20},
                 Option={"UseColor1": 1, "UseColor2": 1, "UseColor3": 1, "Limit": 10,
                         "Color1": RULES[1][0], "SColor1": RULES[1][1], "Color2": RULES[2][0],
                         "SColor2": RULES[2][1], "Color3": RULES[3][0], "SColor3": RULES[3][1], **extra})


def set_deadlines(h, deadlines: dict) -> None:
    """Writes deadlines into the data file of a stopped program:
    {slot: (K_Date serial, EveryDay, sound path)}."""
    path = data_path(h, "kelup.dat")
    data = path.read_bytes()
    recs = read_data(h).notes
    for slot in sorted(deadlines, key=lambda s: -recs[s].start):
        r = recs[slot]
        k_date, every, snd = deadlines[slot]
        fields = list(r.fields)
        fields[18] = every
        rec = (pack_str(r.tag) + struct.pack("<d", r.made) + struct.pack("<24i", *fields) + pack_str(r.data_name)
               + struct.pack("<d", k_date) + pack_str(r.sender_name) + pack_str(r.sender_addr)
               + struct.pack("<dd", r.send_date, r.send_time) + pack_str(snd) + pack_str(r.open_fname)
               + pack_str(r.bkgnd_name))
        data = data[:r.start] + rec + data[r.end:]
    path.write_bytes(data)


def write_wav(h, name: str) -> str:
    with wave.open(str(data_path(h, name)), "wb") as w:
        w.setnchannels(1), w.setsampwidth(2), w.setframerate(8000)
        w.writeframes(b"\0\0" * 800)
    return h.data_dir() + name


def colours(h, note) -> list[int]:
    """The colours of the note's text area, the most frequent first."""
    return [c["colour"] for c in h.kl("colours", "--hwnd", note.edit, "--top", 6)]


def update_at(h, t: datetime) -> None:
    set_now(h, t)
    dde(h, "DateUp")


def test_a_deadline_colours_the_note_by_each_rule_and_its_own_colours_come_back(configured):
    h = configured
    deadline_options(h)
    start_ready(h)
    make_note(h, ["締め切り ■■■■"], 200, 200)
    stop(h)
    set_deadlines(h, {0: (serial_time(DUE), 0, "")})

    start_ready(h)
    steps = [(DUE - timedelta(days=20), None), (DUE - timedelta(days=5), 3), (DUE - timedelta(hours=12), 2),
             (DUE + timedelta(minutes=1), 1), (DUE - timedelta(days=20), None)]
    for t, rule in steps:
        update_at(h, t)
        back, text = RULES[rule] if rule else (OWN, OWN_TEXT)
        wait_until(lambda: colours(h, by_pos(h, texts=False)[(200, 200)])[0] == back, 20, 0.3,
                   what=f"background {back:06X} at {t}")
        assert text in colours(h, by_pos(h, texts=False)[(200, 200)]), (t, rule)
    # The text shown is the note's own all along.
    assert by_pos(h)[(200, 200)].text == "締め切り ■■■■"
    stop(h)
    assert read_data(h).notes[0].k_date == serial_time(DUE)

    # A restart keeps the deadline; removing it in the dialog gives the note
    # its own colours back at once, and keeps no copy of its text.
    start_ready(h)
    update_at(h, DUE + timedelta(days=1))
    note = by_pos(h, texts=False)[(200, 200)]
    assert colours(h, note)[0] == RULES[1][0]
    assert h.exists(h.data_dir() + "Org\\kelup0.kdt") is False  # set outside the dialog: no copy
    note_command_posted(h, note, ID_M_Limit)
    dlg = h.wait_window("期日の設定", visible=True)
    h.click(None, "リセット", hwnd=dlg["hwnd"])
    h.wait_gone("期日の設定")
    wait_until(lambda: colours(h, note)[0] == OWN, 20, 0.3, what="own colour back")
    assert OWN_TEXT in colours(h, note)
    assert read_data(h).notes[0].k_date == 0
    stop(h)


def note_command_posted(h, note, cmd: int) -> None:
    """A note's menu command that opens a modal dialog."""
    h.kl("command", "--hwnd", note.hwnd, "--id", cmd)


def test_the_dialog_sets_a_deadline_that_hides_the_note_and_keeps_its_text(configured):
    h = configured
    deadline_options(h)
    start_ready(h)
    make_note(h, ["あと%%2031/03/01%%日"], 200, 200)
    note = by_pos(h)[(200, 200)]
    note_command_posted(h, note, ID_M_Limit)
    dlg = h.wait_window("期日の設定", visible=True)
    h.click(None, "セットして非表示", hwnd=dlg["hwnd"])
    h.wait_gone("期日の設定")
    wait_until(lambda: (200, 200) not in by_pos(h, texts=False), 20, 0.3, what="the note hidden")
    # Kept at once, hidden and with its deadline.
    rec = wait_until(lambda: (r := read_data(h).notes[0]).k_date != 0 and r, 20, 0.3, what="the deadline saved")
    assert rec.fields[17] == 2
    # The text as it was is kept aside, as typed.
    assert data_path(h, "Org/kelup0.kdt").read_bytes() == text_file(h, 0)
    stop(h)


def test_an_arrived_deadline_sounds_once_comes_forward_blinks_and_cannot_stay_hidden(configured):
    h = configured
    deadline_options(h, LimitAction=1)
    start_ready(h)
    make_note(h, ["first"], 200, 200)
    make_note(h, ["second"], 500, 200)
    stop(h)
    ding = write_wav(h, "ding.wav")
    set_deadlines(h, {0: (serial_time(DUE), 0, ding), 1: (serial_time(DUE), 0, ding)})

    start_ready(h)
    update_at(h, DUE - timedelta(hours=1))
    assert (h.query(Q.SoundsPlayed), h.query(Q.Blinks)) == (0, 0)
    update_at(h, DUE + timedelta(minutes=5))
    # Two notes arrived in one timer period: one sound; both blinked once and stay in front.
    assert (h.query(Q.SoundsPlayed), h.query(Q.Blinks)) == (1, 1)
    shown = by_pos(h, texts=False)
    assert {(200, 200), (500, 200)} <= set(shown)
    assert all(shown[p].exstyle & WS_EX_TOPMOST for p in ((200, 200), (500, 200)))

    # Hidden, it comes back at the next update and blinks again; no sound is played twice.
    note_command(h, shown[(200, 200)], ID_M_Hide1)
    assert (200, 200) not in by_pos(h, texts=False)
    update_at(h, DUE + timedelta(minutes=10))
    assert (200, 200) in by_pos(h, texts=False)
    assert (h.query(Q.SoundsPlayed), h.query(Q.Blinks)) == (1, 2)
    stop(h)
    assert read_data(h).notes[0].fields[17] == 0  # no longer hidden


def test_a_daily_deadline_arrives_again_the_next_day(configured):
    h = configured
    deadline_options(h, UseColor2=0, UseColor3=0, LimitAction=1)
    start_ready(h)
    make_note(h, ["毎朝"], 200, 200)
    stop(h)
    day = DUE.date()
    nine = serial(day) + 9 / 24
    set_deadlines(h, {0: (nine, 1, write_wav(h, "ding.wav"))})

    start_ready(h)
    for hour_minute, sounds, blinks in (((8, 0), 0, 0), ((9, 30), 1, 1), ((10, 0), 1, 1)):
        update_at(h, datetime.combine(day, datetime.min.time()).replace(hour=hour_minute[0], minute=hour_minute[1]))
        assert (h.query(Q.SoundsPlayed), h.query(Q.Blinks)) == (sounds, blinks), hour_minute
    stop(h)
    assert abs(read_data(h).notes[0].k_date - (nine + 1)) < 1e-6  # moved on to tomorrow

    start_ready(h)
    update_at(h, datetime.combine(day + timedelta(days=1), datetime.min.time()).replace(hour=9, minute=1))
    assert (h.query(Q.SoundsPlayed), h.query(Q.Blinks)) == (1, 1)
    stop(h)
    assert abs(read_data(h).notes[0].k_date - (nine + 2)) < 1e-6


# ---- deadlines of image notes ----------------------------------------------------------

ID_B_M_Limit = 7410


def image_record_due(path: str, k_date: float, sound: str, **kw) -> bytes:
    """A stored image note's record carrying a deadline and its sound."""
    from test_images import image_record_bytes
    rec = image_record_bytes(path, **kw)
    plain = struct.pack("<d", 0) + pack_str("") + pack_str("")
    assert rec.endswith(plain)
    return rec[:-len(plain)] + struct.pack("<d", k_date) + pack_str(sound) + pack_str("")


def test_an_arrived_image_deadline_sounds_once_and_brings_the_hidden_note_back(configured):
    from test_images import PICS, bmp, image_notes, image_records, put, wait_image_notes, write_data_file
    h = configured
    deadline_options(h, LimitAction=1)
    pic = put(h, PICS + "due.bmp", bmp(80, 60))
    ding = write_wav(h, "ding.wav")
    write_data_file(h, [image_record_due(pic, serial_time(DUE), ding, left=300, top=200, width=80, h_org=60,
                                         hidden=2)])
    start_ready(h)
    assert image_notes(h) == []

    # Not yet due: nothing happens, the note stays in the menu.
    update_at(h, DUE - timedelta(hours=1))
    assert image_notes(h) == []
    assert (h.query(Q.SoundsPlayed), h.query(Q.Blinks)) == (0, 0)
    # Due: its sound is asked for, it blinks and comes back out of the menu.
    update_at(h, DUE + timedelta(minutes=5))
    assert (h.query(Q.SoundsPlayed), h.query(Q.Blinks)) == (1, 1)
    wait_image_notes(h, 1)
    # Later updates play no sound again.
    update_at(h, DUE + timedelta(minutes=10))
    assert h.query(Q.SoundsPlayed) == 1
    stop(h)
    rec = image_records(h)[0]
    assert rec.hidden == 0
    assert (rec.k_date, rec.snd_name) == (serial_time(DUE), ding)


@pytest.mark.parametrize("stored, button, hidden", [
    (0, "セットして非表示", 2),              # a new deadline, today as the dialog shows it; hidden into the menu
    (serial_time(DUE), "リセット", 0),       # the deadline removed; the note stays shown
])
def test_the_deadline_dialog_of_an_image_note_is_kept_in_the_data_file(configured, stored, button, hidden):
    from test_images import PICS, bmp, image_notes, image_records, put, wait_image_notes, write_data_file
    h = configured
    deadline_options(h)
    pic = put(h, PICS + "plain.bmp", bmp(80, 60))
    write_data_file(h, [image_record_due(pic, stored, "", left=300, top=200, width=80, h_org=60)])
    start_ready(h)
    note = wait_image_notes(h, 1)[0]
    days = {serial(date.today())}

    h.kl("command", "--hwnd", note["hwnd"], "--id", ID_B_M_Limit)
    dlg = h.wait_window("期日の設定", visible=True)
    h.click(None, button, hwnd=dlg["hwnd"])
    h.wait_gone("期日の設定")
    days.add(serial(date.today()))
    wait_until(lambda: len(image_notes(h)) == (0 if hidden else 1), 20, 0.3, what="the image note shown or hidden")
    # Kept at once, before the program ends.
    rec = wait_until(lambda: (r := image_records(h)[0]).k_date != stored and r, 20, 0.3, what="the deadline saved")
    assert (int(rec.k_date) in days) if stored == 0 else rec.k_date == 0
    assert rec.hidden == hidden
    stop(h)
