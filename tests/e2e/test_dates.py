"""Dates in notes, end to end: date placeholders show the days left in the
shown text, while the note's text file keeps them as typed."""

from __future__ import annotations

from datetime import date, timedelta

from test_store import by_pos, configured, dde, make_note, start_ready, stop, text_file  # noqa: F401

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


def test_the_count_follows_the_day_at_each_date_update(configured):
    h = start_ready(configured)
    today = date.today()
    make_note(h, [f"あと%%{today + timedelta(days=10):%Y/%m/%d}%%日"], 200, 200)
    assert by_pos(h)[(200, 200)].text == "あと10日"
    # The next day, as after a night asleep; then the clock set back a day.
    for day, shown in ((today + timedelta(days=1), "あと9日"), (today - timedelta(days=1), "あと11日")):
        h.send(KM_SETTODAY, serial(day))
        dde(h, "DateUp")
        assert by_pos(h)[(200, 200)].text == shown, day
    stop(h)
