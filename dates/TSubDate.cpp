#include "dates/TSubDate.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cmath>
#include <iterator>

#include "base/Dialog.h"
#include "base/Messages.h"
#include "dates/DateTime.h"
#include "res/resource.h"

namespace kelup {

namespace {

std::wstring ItemText(HWND dlg, int id) {
    HWND h = GetDlgItem(dlg, id);
    std::wstring t(size_t(GetWindowTextLengthW(h)) + 1, L'\0');
    GetWindowTextW(h, t.data(), int(t.size()));
    t.resize(wcslen(t.c_str()));
    return t;
}

bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

void Enable(HWND dlg, int id, bool on) { EnableWindow(GetDlgItem(dlg, id), on); }

SYSTEMTIME ToSystemTime(const CivilDateTime& c) {
    SYSTEMTIME st{};
    st.wYear = WORD(c.year);
    st.wMonth = WORD(c.month);
    st.wDay = WORD(c.day);
    st.wHour = WORD(c.hour);
    st.wMinute = WORD(c.minute);
    st.wSecond = WORD(c.second);
    st.wMilliseconds = WORD(c.msec);
    return st;
}

CivilDateTime FromSystemTime(const SYSTEMTIME& st) {
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

CivilDateTime Picker(HWND dlg, int id) {
    SYSTEMTIME st{};
    if (SendDlgItemMessageW(dlg, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID)
        GetLocalTime(&st);
    return FromSystemTime(st);
}

// The years the date field can show; a stored date outside them is not shown.
bool Showable(const CivilDateTime& c) { return c.year >= 1753 && c.year <= 9999; }

bool SetPicker(HWND dlg, int id, const CivilDateTime& c) {
    if (!Showable(c)) return false;
    SYSTEMTIME st = ToSystemTime(c);
    return SendDlgItemMessageW(dlg, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)) != 0;
}

// The time field with the time of day `c` (its date is not used).
void SetTimeOfDay(HWND dlg, CivilDateTime c) {
    CivilDateTime today = DecodeDateTime(TodayAsDate());
    c.year = today.year;
    c.month = today.month;
    c.day = today.day;
    SetPicker(dlg, IDC_SubDatePicker2, c);
}

void SetTimeNow(HWND dlg) { SetTimeOfDay(dlg, DecodeDateTime(NowAsDateTime())); }

void SetTimeZero(HWND dlg) { SetTimeOfDay(dlg, CivilDateTime{}); }

// The folder part of `path`, with its last separator; empty when there is none.
std::wstring FolderOf(const std::wstring& path) {
    size_t end = path.find_last_of(L"\\/:");
    return end == std::wstring::npos ? std::wstring() : path.substr(0, end + 1);
}

}  // namespace

double JustHour(double t) {
    if (!std::isfinite(t)) return t;
    CivilDateTime c = DecodeDateTime(t);
    c.minute = c.second = c.msec = 0;
    return EncodeDateTime(c);
}

int TSubDate::ShowModal(HWND owner, DeadlineInput& io, int& useTime, const std::wstring& waveSound) {
    if (io_) return 0;   // already shown
    // The date and time fields are of the date classes, which the program's
    // start-up does not register.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);

    DeadlineInput result = io;
    int resultUseTime = useTime;
    io_ = &result;
    useTime_ = &resultUseTime;
    waveSound_ = &waveSound;
    testing_ = false;
    INT_PTR r = RunDialog(this, IDD_SUBDATE, owner);
    io_ = nullptr;
    useTime_ = nullptr;
    waveSound_ = nullptr;
    if (r < 0) return 0;   // the dialog could not be made: nothing changes
    useTime = resultUseTime;
    if (r == 1 || r == 3) io = std::move(result);
    return int(r);
}

INT_PTR TSubDate::OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            SetMainIcon(dlg);
            FormShow(dlg);
            return TRUE;
        case KM_SOUNDDONE:
            if (testing_) {
                testing_ = false;
                Enable(dlg, IDC_SubDateTest, true);
            }
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDC_SubDateJust: btnJustClick(dlg); return TRUE;
                case IDC_SubDateCheck1: CheckBox1Click(dlg); return TRUE;
                case IDC_SubDateCheck2: CheckBox2Click(dlg); return TRUE;
                case IDC_SubDateSansho: btnSanshoClick(dlg); return TRUE;
                case IDC_SubDateTest: btnTestClick(dlg); return TRUE;
                case IDOK: FormClose(dlg, 1); return TRUE;                  // btnOK
                case IDC_SubDateOKHide: FormClose(dlg, 3); return TRUE;     // btnOKHide
                case IDC_SubDateDefault: FormClose(dlg, 2); return TRUE;    // btnDefault
                case IDCANCEL: FormClose(dlg, 0); return TRUE;              // btnCancel, Esc, frame
            }
            break;
    }
    return FALSE;
}

void TSubDate::FormShow(HWND dlg) {
    const DeadlineInput& io = *io_;
    const bool hasDeadline = io.date != 0 && std::isfinite(io.date);
    if (!hasDeadline || !SetPicker(dlg, IDC_SubDatePicker1, DecodeDateTime(io.date)))
        SetPicker(dlg, IDC_SubDatePicker1, DecodeDateTime(NowAsDateTime()));
    const CivilDateTime time = DecodeDateTime(io.time);
    SetTimeOfDay(dlg, time);
    CheckDlgButton(dlg, IDC_SubDateCheck1, io.everyDay ? BST_CHECKED : BST_UNCHECKED);
    Enable(dlg, IDC_SubDatePicker1, !io.everyDay);
    SetDlgItemTextW(dlg, IDC_SubDateEdit1, io.sound.c_str());

    if (hasDeadline) {
        // The note's own time and every-day mark stay as they are.
        const bool noTime = time.hour == 0 && time.minute == 0 && time.second == 0 && time.msec == 0 && !io.everyDay;
        CheckDlgButton(dlg, IDC_SubDateCheck2, noTime ? BST_CHECKED : BST_UNCHECKED);
        Enable(dlg, IDC_SubDatePicker2, !noTime);
    } else {
        SetNoTime(dlg, *useTime_ == 0);
    }
}

void TSubDate::FormClose(HWND dlg, int result) {
    *useTime_ = Checked(dlg, IDC_SubDateCheck2) ? 0 : 1;
    if (result == 1 || result == 3) {
        CivilDateTime date = Picker(dlg, IDC_SubDatePicker1);
        date.hour = date.minute = date.second = date.msec = 0;
        CivilDateTime time = Picker(dlg, IDC_SubDatePicker2);
        time.year = 1899;
        time.month = 12;
        time.day = 30;
        io_->date = EncodeDateTime(date);
        io_->time = EncodeDateTime(time);
        io_->everyDay = Checked(dlg, IDC_SubDateCheck1);
        io_->sound = ItemText(dlg, IDC_SubDateEdit1);
    }
    EndDialog(dlg, result);
}

void TSubDate::btnJustClick(HWND dlg) {
    CivilDateTime t = DecodeDateTime(JustHour(EncodeDateTime(Picker(dlg, IDC_SubDatePicker2))));
    SetPicker(dlg, IDC_SubDatePicker2, t);
}

void TSubDate::CheckBox1Click(HWND dlg) { SetEveryDay(dlg, Checked(dlg, IDC_SubDateCheck1)); }

void TSubDate::CheckBox2Click(HWND dlg) { SetNoTime(dlg, Checked(dlg, IDC_SubDateCheck2)); }

void TSubDate::SetEveryDay(HWND dlg, bool on) {
    CheckDlgButton(dlg, IDC_SubDateCheck1, on ? BST_CHECKED : BST_UNCHECKED);
    Enable(dlg, IDC_SubDatePicker1, !on);
    if (on && Checked(dlg, IDC_SubDateCheck2)) SetNoTime(dlg, false);
}

void TSubDate::SetNoTime(HWND dlg, bool on) {
    CheckDlgButton(dlg, IDC_SubDateCheck2, on ? BST_CHECKED : BST_UNCHECKED);
    if (on) {
        if (Checked(dlg, IDC_SubDateCheck1)) SetEveryDay(dlg, false);
        SetTimeZero(dlg);
    } else {
        SetTimeNow(dlg);
    }
    Enable(dlg, IDC_SubDatePicker2, !on);
}

void TSubDate::btnSanshoClick(HWND dlg) {
    std::wstring folder = FolderOf(ItemText(dlg, IDC_SubDateEdit1));
    if (folder.empty()) folder = FolderOf(*waveSound_);
    wchar_t file[1024] = L"*.wav";
    static const wchar_t kFilter[] = L"ｻｳﾝﾄﾞ(*.wav)\0*.wav\0";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = dlg;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = DWORD(std::size(file));
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = L"wav";
    // The working folder stays: relative paths elsewhere still mean the same.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&ofn)) SetDlgItemTextW(dlg, IDC_SubDateEdit1, file);
}

void TSubDate::btnTestClick(HWND dlg) {
    const std::wstring path = ItemText(dlg, IDC_SubDateEdit1);
    if (path.empty() || testing_) return;
    testing_ = true;
    HWND button = GetDlgItem(dlg, IDC_SubDateTest);
    // A disabled button cannot keep the focus: hand it on, or the keyboard
    // would be left with nothing.
    if (GetFocus() == button) SendMessageW(dlg, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(button, FALSE);
    sounds_.Play(path, dlg, KM_SOUNDDONE);
}

}  // namespace kelup
