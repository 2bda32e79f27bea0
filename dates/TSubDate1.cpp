#include "dates/TSubDate1.h"

#include <commctrl.h>

#include "base/Dialog.h"
#include "res/resource.h"

namespace kelup {

namespace {

// The phrasings, in the order of their format numbers.
constexpr const wchar_t* kPhrasings[] = {L"（なし）", L"あと・・・日", L"まで・・・日",
                                         L"まであと・・・日", L"は・・・日後", L"はあと・・・日後"};

}  // namespace

ScheduleChoice TSubDate1::ShowModal(HWND owner, bool checkingOn) {
    ScheduleChoice choice;
    if (choice_) return choice;   // already shown
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    choice_ = &choice;
    checkingOn_ = checkingOn;
    INT_PTR r = RunDialog(this, IDD_SUBDATE1, owner);
    choice_ = nullptr;
    if (r != 1) choice = ScheduleChoice{};
    return choice;
}

INT_PTR TSubDate1::OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            SetMainIcon(dlg);
            FormShow(dlg);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK: btnOKClick(dlg); return TRUE;
                case IDCANCEL: btnCancelClick(dlg); return TRUE;   // also Esc and the frame
                case IDC_SubDate1List:
                    if (HIWORD(wp) == LBN_DBLCLK) ListBox1DblClick(dlg);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

void TSubDate1::FormShow(HWND dlg) {
    HWND list = GetDlgItem(dlg, IDC_SubDate1List);
    for (const wchar_t* p : kPhrasings) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p));
    SendMessageW(list, LB_SETCURSEL, WPARAM(listIndex_), 0);
    SYSTEMTIME st{};
    GetLocalTime(&st);
    SendDlgItemMessageW(dlg, IDC_SubDate1Picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    CheckDlgButton(dlg, IDC_SubDate1CBDate, BST_UNCHECKED);
    EnableWindow(GetDlgItem(dlg, IDC_SubDate1CBDate), checkingOn_);
}

void TSubDate1::btnOKClick(HWND dlg) {
    ScheduleChoice& c = *choice_;
    listIndex_ = int(SendDlgItemMessageW(dlg, IDC_SubDate1List, LB_GETCURSEL, 0, 0));
    c.ScheduleFormat = listIndex_ < 0 ? -1 : listIndex_;
    SYSTEMTIME st{};
    if (SendDlgItemMessageW(dlg, IDC_SubDate1Picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID)
        GetLocalTime(&st);
    c.day = CivilDateTime{st.wYear, st.wMonth, st.wDay, 0, 0, 0, 0};
    HWND box = GetDlgItem(dlg, IDC_SubDate1CBDate);
    c.ScheduleAsDeadline = IsWindowEnabled(box) && IsDlgButtonChecked(dlg, IDC_SubDate1CBDate) == BST_CHECKED;
    c.ScheduleResult = 1;
    EndDialog(dlg, 1);
}

void TSubDate1::ListBox1DblClick(HWND dlg) { btnOKClick(dlg); }

void TSubDate1::btnCancelClick(HWND dlg) {
    listIndex_ = int(SendDlgItemMessageW(dlg, IDC_SubDate1List, LB_GETCURSEL, 0, 0));
    choice_->ScheduleResult = 0;
    EndDialog(dlg, 0);
}

}  // namespace kelup
