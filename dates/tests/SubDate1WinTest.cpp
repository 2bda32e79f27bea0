// The schedule-date dialog driven by a thread timer in its own loop.

#include "dates/TSubDate1.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "dates/DateTime.h"
#include "res/resource.h"

namespace kelup {
namespace {

using Step = std::function<bool(HWND dlg)>;

struct Driver {
    std::vector<Step> steps;
    size_t next = 0;
    HWND dlg = nullptr;
    bool timedOut = false;
    ULONGLONG deadline = 0;
    UINT_PTR timer = 0;
};
Driver* g_drive = nullptr;

HWND FindScheduleDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM p) -> BOOL {
        wchar_t cls[16] = {}, caption[32] = {};
        GetClassNameW(h, cls, 16);
        GetWindowTextW(h, caption, 32);
        if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h) && lstrcmpW(caption, L"予定日の挿入") == 0) {
            *reinterpret_cast<HWND*>(p) = h;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Driver& d = *g_drive;
    if (GetTickCount64() > d.deadline) {
        d.timedOut = true;
        KillTimer(nullptr, d.timer);
        if (d.dlg) PostMessageW(d.dlg, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (!d.dlg && !(d.dlg = FindScheduleDialog())) return;
    while (d.next < d.steps.size() && d.steps[d.next](d.dlg)) ++d.next;
    if (d.next == d.steps.size()) KillTimer(nullptr, d.timer);
}

ScheduleChoice ShowDriven(TSubDate1& dialog, bool checkingOn, std::vector<Step> steps) {
    Driver d;
    d.steps = std::move(steps);
    d.deadline = GetTickCount64() + 20000;
    g_drive = &d;
    d.timer = SetTimer(nullptr, 0, 20, Tick);
    ScheduleChoice c = dialog.ShowModal(nullptr, checkingOn);
    KillTimer(nullptr, d.timer);
    g_drive = nullptr;
    EXPECT_FALSE(d.timedOut) << "stopped at step " << d.next;
    return c;
}

Step Select(int index) {
    return [index](HWND dlg) {
        SendDlgItemMessageW(dlg, IDC_SubDate1List, LB_SETCURSEL, WPARAM(index), 0);
        return true;
    };
}
Step SetBox(bool on) {
    return [on](HWND dlg) {
        CheckDlgButton(dlg, IDC_SubDate1CBDate, on ? BST_CHECKED : BST_UNCHECKED);
        return true;
    };
}
Step Post(int id, int code = BN_CLICKED) {
    return [id, code](HWND dlg) {
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(GetDlgItem(dlg, id)));
        return true;
    };
}
// Moves the date field on to 31 March 2030.
Step SetDay() {
    return [](HWND dlg) {
        SYSTEMTIME st{};
        st.wYear = 2030, st.wMonth = 3, st.wDay = 31, st.wHour = 15, st.wMinute = 20;
        SendDlgItemMessageW(dlg, IDC_SubDate1Picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
        return true;
    };
}

TEST(SubDate1Win, ConfirmingAndCancelling) {
    struct Case {
        const char* name;
        bool checkingOn;
        std::vector<Step> steps;
        int result, format, asDeadline;
    } cases[] = {
        {"OK with nothing chosen", true, {Post(IDOK)}, 1, -1, 0},
        {"OK with a phrasing and the box", true, {Select(3), SetBox(true), Post(IDOK)}, 1, 3, 1},
        {"box set while checking is off", false, {Select(2), SetBox(true), Post(IDOK)}, 1, 2, 0},
        {"double-click confirms", false, {Select(4), Post(IDC_SubDate1List, LBN_DBLCLK)}, 1, 4, 0},
        {"キャンセル", true, {Select(5), SetBox(true), Post(IDCANCEL)}, 0, -1, 0},
        {"window frame", true, {[](HWND dlg) { PostMessageW(dlg, WM_CLOSE, 0, 0); return true; }}, 0, -1, 0},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSubDate1 dialog;
        bool boxEnabled = !c.checkingOn;
        std::vector<Step> steps{[&](HWND dlg) {
            boxEnabled = IsWindowEnabled(GetDlgItem(dlg, IDC_SubDate1CBDate)) != 0;
            return true;
        }};
        steps.insert(steps.end(), c.steps.begin(), c.steps.end());
        ScheduleChoice r = ShowDriven(dialog, c.checkingOn, steps);
        EXPECT_EQ(boxEnabled, c.checkingOn);
        EXPECT_EQ(r.ScheduleResult, c.result);
        EXPECT_EQ(r.ScheduleFormat, c.format);
        EXPECT_EQ(r.ScheduleAsDeadline, c.asDeadline);
        if (c.result == 1) {
            EXPECT_EQ(EncodeDateTime(r.day), TodayAsDate());
        }
    }
}

TEST(SubDate1Win, DayIsCutToMidnightAndTheListKeepsItsChoice) {
    TSubDate1 dialog;
    ScheduleChoice r = ShowDriven(dialog, true, {SetDay(), Select(1), SetBox(true), Post(IDOK)});
    EXPECT_EQ(r.day.year, 2030);
    EXPECT_EQ(r.day.month, 3);
    EXPECT_EQ(r.day.day, 31);
    EXPECT_EQ(r.day.hour + r.day.minute + r.day.second, 0);
    // Next time: today again, the box clear, the phrasing as it was left.
    int shown = -2;
    bool boxChecked = true;
    SYSTEMTIME st{};
    r = ShowDriven(dialog, true, {[&](HWND dlg) {
        shown = int(SendDlgItemMessageW(dlg, IDC_SubDate1List, LB_GETCURSEL, 0, 0));
        boxChecked = IsDlgButtonChecked(dlg, IDC_SubDate1CBDate) == BST_CHECKED;
        SendDlgItemMessageW(dlg, IDC_SubDate1Picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        return true;
    }, Post(IDOK)});
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(boxChecked);
    EXPECT_EQ(r.ScheduleFormat, 1);
    EXPECT_EQ(EncodeDateTime({st.wYear, st.wMonth, st.wDay}), TodayAsDate());
}

}  // namespace
}  // namespace kelup
