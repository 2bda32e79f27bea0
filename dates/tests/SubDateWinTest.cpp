#include "dates/TSubDate.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "dates/DateTime.h"
#include "res/resource.h"

namespace kelup {
namespace {

// ---------------------------------------------------------------------------
// Driving the dialog: a thread timer ticks inside the dialog's own message
// loop; once the dialog is up it runs the steps in order. A step that returns
// false is waiting for something and is tried again on the next tick.

using Step = std::function<bool(HWND dlg)>;

constexpr ULONGLONG kLimitMs = 20000;   // for the dialog (or a step) to come

struct Driver {
    std::vector<Step> steps;
    size_t next = 0;
    HWND dlg = nullptr;
    bool running = false;
    bool timedOut = false;
    ULONGLONG deadline = 0;
    UINT_PTR timer = 0;
};
Driver* g_drive = nullptr;

std::wstring Text(HWND h) {
    wchar_t t[1024] = L"";
    GetWindowTextW(h, t, 1024);
    return t;
}

// The visible dialog of this thread with the caption `caption` (any caption
// other than the deadline dialog's when `caption` is null).
HWND FindDialog(const wchar_t* caption) {
    struct Look { const wchar_t* caption; HWND found; } look{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM p) -> BOOL {
        auto* l = reinterpret_cast<Look*>(p);
        wchar_t cls[16];
        GetClassNameW(h, cls, 16);
        if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(h)) return TRUE;
        bool mine = Text(h) == L"期日の設定";
        if (l->caption ? Text(h) == l->caption : !mine) { l->found = h; return FALSE; }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&look));
    return look.found;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Driver& d = *g_drive;
    if (d.running) return;   // a step runs a loop of its own
    if (GetTickCount64() > d.deadline) {
        d.timedOut = true;
        KillTimer(nullptr, d.timer);
        if (HWND other = FindDialog(nullptr)) PostMessageW(other, WM_COMMAND, IDCANCEL, 0);
        if (d.dlg) PostMessageW(d.dlg, WM_CLOSE, 0, 0);
        return;
    }
    if (!d.dlg && !(d.dlg = FindDialog(L"期日の設定"))) return;
    d.running = true;
    while (d.next < d.steps.size() && d.steps[d.next](d.dlg)) ++d.next;
    d.running = false;
    if (d.next == d.steps.size()) KillTimer(nullptr, d.timer);
}

struct Outcome {
    int result = -1;
    bool allSteps = false;
};

Outcome ShowDriven(SoundPlayer& sounds, DeadlineInput& io, int& useTime, const std::wstring& waveSound,
            std::vector<Step> steps) {
    Driver d;
    d.steps = std::move(steps);
    d.deadline = GetTickCount64() + kLimitMs;
    g_drive = &d;
    d.timer = SetTimer(nullptr, 0, 20, Tick);
    TSubDate dialog(sounds);
    Outcome out;
    out.result = dialog.ShowModal(nullptr, io, useTime, waveSound);
    KillTimer(nullptr, d.timer);
    g_drive = nullptr;
    EXPECT_FALSE(d.timedOut) << "stopped at step " << d.next;
    out.allSteps = d.next == d.steps.size();
    return out;
}

// --- Steps and looks -------------------------------------------------------

HWND Item(HWND dlg, int id) { return GetDlgItem(dlg, id); }

// A click as the mouse gives it, run at once.
Step Click(int id) {
    return [id](HWND dlg) { SendMessageW(Item(dlg, id), BM_CLICK, 0, 0); return true; };
}

// A click that closes the dialog, through the dialog's loop.
Step Press(int id) {
    return [id](HWND dlg) {
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(Item(dlg, id)));
        return true;
    };
}

// A key pressed in the control that has the focus (Enter on the sound field).
Step Key(UINT vk) {
    return [vk](HWND dlg) {
        SendMessageW(dlg, WM_NEXTDLGCTL, WPARAM(Item(dlg, IDC_SubDateEdit1)), TRUE);
        PostMessageW(GetFocus(), WM_KEYDOWN, vk, 0);
        PostMessageW(GetFocus(), WM_KEYUP, vk, 0);
        return true;
    };
}

Step Do(std::function<void(HWND)> f) {
    return [f](HWND dlg) { f(dlg); return true; };
}

void SetPicker(HWND dlg, int id, const CivilDateTime& c) {
    SYSTEMTIME st{};
    st.wYear = WORD(c.year), st.wMonth = WORD(c.month), st.wDay = WORD(c.day);
    st.wHour = WORD(c.hour), st.wMinute = WORD(c.minute), st.wSecond = WORD(c.second);
    st.wMilliseconds = WORD(c.msec);
    ASSERT_TRUE(SendDlgItemMessageW(dlg, id, DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(&st)));
}

CivilDateTime GetPicker(HWND dlg, int id) {
    SYSTEMTIME st{};
    EXPECT_EQ(SendDlgItemMessageW(dlg, id, DTM_GETSYSTEMTIME, 0, LPARAM(&st)), GDT_VALID);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

// What the dialog shows, as comparable values.
struct Look {
    bool everyDay = false, noTime = false, dateOn = false, timeOn = false;
    double date = 0;   // the date field's date
    double time = 0;   // the time field's time of day
    std::wstring sound;
};

Look See(HWND dlg) {
    Look l;
    l.everyDay = IsDlgButtonChecked(dlg, IDC_SubDateCheck1) == BST_CHECKED;
    l.noTime = IsDlgButtonChecked(dlg, IDC_SubDateCheck2) == BST_CHECKED;
    l.dateOn = IsWindowEnabled(Item(dlg, IDC_SubDatePicker1));
    l.timeOn = IsWindowEnabled(Item(dlg, IDC_SubDatePicker2));
    CivilDateTime d = GetPicker(dlg, IDC_SubDatePicker1);
    l.date = EncodeDateTime({d.year, d.month, d.day});
    CivilDateTime t = GetPicker(dlg, IDC_SubDatePicker2);
    l.time = EncodeDateTime({1899, 12, 30, t.hour, t.minute, t.second, t.msec});
    l.sound = Text(Item(dlg, IDC_SubDateEdit1));
    return l;
}

Step Snap(Look& into) {
    return Do([&into](HWND dlg) { into = See(dlg); });
}

double Day(int y, int m, int d) { return EncodeDateTime({y, m, d}); }
double Clock(int h, int m, int s = 0, int ms = 0) { return EncodeDateTime({1899, 12, 30, h, m, s, ms}); }

double TimeOfDay(double v) { return v - std::floor(v); }

// ---------------------------------------------------------------------------

TEST(SubDate, ButtonsGiveResultAndTakeFields) {
    enum class Close { Ok, OkHide, Reset, Cancel, Frame, Esc, Enter };
    struct Case { const char* name; Close close; int want; bool takes; };
    const Case cases[] = {
        {"セット", Close::Ok, 1, true},
        {"セットして非表示", Close::OkHide, 3, true},
        {"リセット", Close::Reset, 2, false},
        {"キャンセル", Close::Cancel, 0, false},
        {"frame", Close::Frame, 0, false},
        {"Esc", Close::Esc, 0, false},
        {"Enter", Close::Enter, 1, true},
    };
    const DeadlineInput before{Day(2024, 2, 10), Clock(8, 15), false, L"C:\\old\\a.wav"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundPlayer sounds;
        DeadlineInput io = before;
        int useTime = 0;
        std::vector<Step> steps = {
            Do([](HWND dlg) {
                // The other part of each field is not to be taken.
                SetPicker(dlg, IDC_SubDatePicker1, {2031, 5, 17, 22, 10, 5});
                SetPicker(dlg, IDC_SubDatePicker2, {2020, 1, 1, 13, 45, 30});
                SetDlgItemTextW(dlg, IDC_SubDateEdit1, L"C:\\new\\b.wav");
            }),
            Click(IDC_SubDateCheck1),
        };
        switch (c.close) {
            case Close::Ok: steps.push_back(Press(IDOK)); break;
            case Close::OkHide: steps.push_back(Press(IDC_SubDateOKHide)); break;
            case Close::Reset: steps.push_back(Press(IDC_SubDateDefault)); break;
            case Close::Cancel: steps.push_back(Press(IDCANCEL)); break;
            case Close::Frame: steps.push_back(Do([](HWND dlg) { PostMessageW(dlg, WM_CLOSE, 0, 0); })); break;
            case Close::Esc: steps.push_back(Key(VK_ESCAPE)); break;
            case Close::Enter: steps.push_back(Key(VK_RETURN)); break;
        }
        Outcome out = ShowDriven(sounds, io, useTime, L"", steps);
        EXPECT_EQ(out.result, c.want);
        EXPECT_TRUE(out.allSteps);
        EXPECT_EQ(useTime, 1);   // "時刻は使わない" was clear (a time of 08:15)
        const DeadlineInput want = c.takes ? DeadlineInput{Day(2031, 5, 17), Clock(13, 45, 30), true, L"C:\\new\\b.wav"}
                                           : before;
        EXPECT_DOUBLE_EQ(io.date, want.date);
        EXPECT_DOUBLE_EQ(io.time, want.time);
        EXPECT_EQ(io.everyDay, want.everyDay);
        EXPECT_EQ(io.sound, want.sound);
    }
}

// GCC 12 at -O2 takes the strings in the table of cases below for "maybe
// uninitialized": a false alarm of its, for aggregates holding a string.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
TEST(SubDate, ShowingFillsTheFieldsAndClosingWritesUseTime) {
    constexpr double kNow = -1;   // "the current time" / "today"
    struct Case {
        const char* name;
        DeadlineInput io;
        int useTime;
        // What shows.
        bool everyDay, noTime;
        double date, time;
        // useTime after キャンセル.
        int useTimeAfter;
    };
    const Case cases[] = {
        {"deadline with a time", {Day(2030, 7, 1), Clock(10, 20, 30), false, L"x.wav"}, 0,
         false, false, Day(2030, 7, 1), Clock(10, 20, 30), 1},
        {"deadline at midnight", {Day(2030, 7, 1) + Clock(9, 0), Clock(0, 0), false, L""}, 1,
         false, true, Day(2030, 7, 1), Clock(0, 0), 0},
        {"every day at midnight keeps its time", {Day(2030, 7, 1), Clock(0, 0), true, L""}, 0,
         true, false, Day(2030, 7, 1), Clock(0, 0), 1},
        {"a date before 1899 shows as it is", {Day(1850, 3, 4), Clock(23, 59, 59), false, L""}, 0,
         false, false, Day(1850, 3, 4), Clock(23, 59, 59), 1},
        {"no deadline, time not used", {0, Clock(12, 0), true, L""}, 0,
         false, true, kNow, Clock(0, 0), 0},
        {"no deadline, time used", {0, Clock(0, 0), false, L""}, 1,
         false, false, kNow, kNow, 1},
        {"a date the field cannot show gives today", {-700000, Clock(6, 30), false, L""}, 0,
         false, false, kNow, Clock(6, 30), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundPlayer sounds;
        DeadlineInput io = c.io;
        int useTime = c.useTime;
        Look seen;
        const double before = NowAsDateTime();
        Outcome out = ShowDriven(sounds, io, useTime, L"", {Snap(seen), Press(IDCANCEL)});
        const double after = NowAsDateTime();
        ASSERT_EQ(out.result, 0);
        EXPECT_EQ(seen.everyDay, c.everyDay);
        EXPECT_EQ(seen.noTime, c.noTime);
        EXPECT_EQ(seen.dateOn, !c.everyDay);
        EXPECT_EQ(seen.timeOn, !c.noTime);
        EXPECT_EQ(seen.sound, c.io.sound);
        if (c.date == kNow) {
            EXPECT_TRUE(seen.date == std::floor(before) || seen.date == std::floor(after)) << seen.date;
        } else {
            EXPECT_DOUBLE_EQ(seen.date, c.date);
        }
        if (c.time == kNow) {
            // The time field has seconds; the run may have passed midnight.
            if (std::floor(before) == std::floor(after)) {
                EXPECT_GE(seen.time, TimeOfDay(before) - Clock(0, 0, 1));
                EXPECT_LE(seen.time, TimeOfDay(after) + Clock(0, 0, 1));
            }
        } else {
            EXPECT_DOUBLE_EQ(seen.time, c.time);
        }
        EXPECT_EQ(useTime, c.useTimeAfter);
        EXPECT_DOUBLE_EQ(io.date, c.io.date);   // キャンセル: the note keeps its deadline
    }
}
#pragma GCC diagnostic pop

TEST(SubDate, JustAndTheTwoCheckBoxes) {
    SoundPlayer sounds;
    DeadlineInput io{Day(2030, 1, 1), Clock(10, 20, 30), false, L""};
    int useTime = 1;
    Look afterJust, noTime, everyDay, noTimeAgain, timeBack, everyDayKeeps, last;
    Outcome out = ShowDriven(sounds, io, useTime, L"", {
        Do([](HWND dlg) { SetPicker(dlg, IDC_SubDatePicker2, {2030, 1, 1, 13, 45, 30, 500}); }),
        Click(IDC_SubDateJust), Snap(afterJust),
        Click(IDC_SubDateCheck2), Snap(noTime),
        Click(IDC_SubDateCheck1), Snap(everyDay),
        Click(IDC_SubDateCheck2), Snap(noTimeAgain),
        Click(IDC_SubDateCheck2), Snap(timeBack),
        // 毎日 with the time in use leaves the time alone.
        Do([](HWND dlg) { SetPicker(dlg, IDC_SubDatePicker2, {2030, 1, 1, 7, 30, 0}); }),
        Click(IDC_SubDateCheck1), Snap(everyDayKeeps),
        Click(IDC_SubDateCheck2), Snap(last),
        Press(IDOK),
    });
    ASSERT_EQ(out.result, 1);
    EXPECT_TRUE(out.allSteps);

    EXPECT_DOUBLE_EQ(afterJust.time, Clock(13, 0));
    EXPECT_DOUBLE_EQ(afterJust.date, Day(2030, 1, 1));

    EXPECT_TRUE(noTime.noTime);
    EXPECT_FALSE(noTime.timeOn);
    EXPECT_DOUBLE_EQ(noTime.time, 0);

    EXPECT_TRUE(everyDay.everyDay);
    EXPECT_FALSE(everyDay.dateOn);
    EXPECT_FALSE(everyDay.noTime);
    EXPECT_TRUE(everyDay.timeOn);   // the time is in use again, so it can be set

    EXPECT_TRUE(noTimeAgain.noTime);
    EXPECT_FALSE(noTimeAgain.everyDay);
    EXPECT_TRUE(noTimeAgain.dateOn);
    EXPECT_FALSE(noTimeAgain.timeOn);
    EXPECT_DOUBLE_EQ(noTimeAgain.time, 0);

    EXPECT_FALSE(timeBack.noTime);
    EXPECT_TRUE(timeBack.timeOn);

    EXPECT_TRUE(everyDayKeeps.everyDay);
    EXPECT_FALSE(everyDayKeeps.noTime);
    EXPECT_DOUBLE_EQ(everyDayKeeps.time, Clock(7, 30));

    EXPECT_TRUE(last.noTime);
    EXPECT_FALSE(last.everyDay);
    EXPECT_TRUE(last.dateOn);

    EXPECT_DOUBLE_EQ(io.date, Day(2030, 1, 1));
    EXPECT_DOUBLE_EQ(io.time, 0);
    EXPECT_FALSE(io.everyDay);
    EXPECT_EQ(useTime, 0);
}

TEST(SubDate, JustHourKeepsTheDayAndHour) {
    struct Case { CivilDateTime in; CivilDateTime want; };
    const Case cases[] = {
        {{2030, 1, 1, 13, 45, 30, 500}, {2030, 1, 1, 13}},
        {{2030, 1, 1, 23, 59, 59, 0}, {2030, 1, 1, 23}},
        {{2030, 1, 1, 8, 0, 0, 0}, {2030, 1, 1, 8}},
        {{1850, 3, 4, 17, 59, 59, 0}, {1850, 3, 4, 17}},   // before 1899-12-30
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(JustHour(EncodeDateTime(c.in)), EncodeDateTime(c.want)) << c.in.hour << ":" << c.in.minute;
}

// ---------------------------------------------------------------------------
// The sound row: "参照" and "テスト".

std::wstring TempFolder(const wchar_t* name) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::wstring dir = std::wstring(tmp) + name + L"\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

void WriteSilentWav(const std::wstring& path) {
    // 16-bit mono, 8 kHz, a few samples of silence.
    const unsigned char wav[] = {
        'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
        0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a', 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    WriteFile(f, wav, sizeof(wav), &n, nullptr);
    CloseHandle(f);
}

std::wstring NoSlash(std::wstring p) {
    while (!p.empty() && p.back() == L'\\') p.pop_back();
    CharLowerW(p.data());
    return p;
}

TEST(SubDate, SanshoStartsInTheRightFolderAndTakesTheFile) {
    const std::wstring own = TempFolder(L"kelup-subdate-own");
    const std::wstring arrival = TempFolder(L"kelup-subdate-arrival");
    WriteSilentWav(own + L"ding.wav");
    WriteSilentWav(arrival + L"ding.wav");
    struct Case { const char* name; std::wstring field; std::wstring startsIn; };
    const Case cases[] = {
        {"the field's folder", own + L"gone.wav", own},
        {"empty field: the arrival sound's folder", L"", arrival},
        {"a bare name: the arrival sound's folder", L"gone.wav", arrival},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundPlayer sounds;
        DeadlineInput io{0, 0, false, c.field};
        int useTime = 1;
        std::wstring folder;
        Look seen;
        Outcome out = ShowDriven(sounds, io, useTime, arrival + L"arrive.wav", {
            Do([](HWND dlg) { PostMessageW(Item(dlg, IDC_SubDateSansho), BM_CLICK, 0, 0); }),
            [&folder](HWND) {
                HWND open = FindDialog(nullptr);
                if (!open) return false;
                wchar_t path[MAX_PATH] = L"";
                SendMessageW(open, CDM_GETFOLDERPATH, MAX_PATH, LPARAM(path));
                folder = path;
                SendMessageW(open, CDM_SETCONTROLTEXT, cmb13, LPARAM(L"ding.wav"));
                SendMessageW(open, CDM_SETCONTROLTEXT, edt1, LPARAM(L"ding.wav"));
                PostMessageW(open, WM_COMMAND, IDOK, 0);
                return true;
            },
            [](HWND) { return FindDialog(nullptr) == nullptr; },
            Snap(seen),
            Press(IDOK),
        });
        EXPECT_EQ(out.result, 1);
        EXPECT_EQ(NoSlash(folder), NoSlash(c.startsIn));
        EXPECT_EQ(NoSlash(seen.sound), NoSlash(c.startsIn + L"ding.wav"));
        EXPECT_EQ(NoSlash(io.sound), NoSlash(c.startsIn + L"ding.wav"));
    }
}

TEST(SubDate, TestButtonWaitsForTheSound) {
    const std::wstring dir = TempFolder(L"kelup-subdate-own");
    WriteSilentWav(dir + L"ding.wav");
    SoundPlayer sounds;
    DeadlineInput io{Day(2030, 1, 1), Clock(9, 0), false, dir + L"ding.wav"};
    int useTime = 1;
    bool offWhilePlaying = true, focusKept = false;
    int requests = -1;
    Outcome out = ShowDriven(sounds, io, useTime, L"", {
        Do([&](HWND dlg) {
            HWND test = Item(dlg, IDC_SubDateTest);
            SendMessageW(test, BM_CLICK, 0, 0);   // takes the focus, as a mouse click does
            offWhilePlaying = !IsWindowEnabled(test);
            focusKept = GetFocus() != nullptr && GetFocus() != test && IsChild(dlg, GetFocus());
            requests = sounds.Requests();
        }),
        [](HWND dlg) { return IsWindowEnabled(Item(dlg, IDC_SubDateTest)) != FALSE; },
        // Nothing to play: nothing asked for, the button stays usable.
        Do([](HWND dlg) { SetDlgItemTextW(dlg, IDC_SubDateEdit1, L""); }),
        Click(IDC_SubDateTest),
        [&](HWND dlg) {
            EXPECT_TRUE(IsWindowEnabled(Item(dlg, IDC_SubDateTest)));
            return true;
        },
        Press(IDCANCEL),
    });
    EXPECT_EQ(out.result, 0);
    EXPECT_TRUE(out.allSteps);
    EXPECT_TRUE(offWhilePlaying);
    EXPECT_TRUE(focusKept);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(sounds.Requests(), 1);
}

}  // namespace
}  // namespace kelup
