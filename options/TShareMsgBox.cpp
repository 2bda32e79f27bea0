#include "options/TShareMsgBox.h"

#include "res/resource.h"

namespace kelup {

int TShareMsgBox::ShowModal(HWND owner) {
    itemIndex_ = -1;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SHAREMSGBOX), owner, DlgProc,
                    reinterpret_cast<LPARAM>(this));
    return itemIndex_;
}

void TShareMsgBox::RadioGroup1Click(HWND dlg) {
    if (IsDlgButtonChecked(dlg, IDC_Radio0) == BST_CHECKED) itemIndex_ = 0;
    else if (IsDlgButtonChecked(dlg, IDC_Radio1) == BST_CHECKED) itemIndex_ = 1;
    EnableWindow(GetDlgItem(dlg, IDC_btn_OK), itemIndex_ >= 0);
}

void TShareMsgBox::btn_OKClick(HWND dlg) { EndDialog(dlg, IDOK); }

INT_PTR CALLBACK TShareMsgBox::DlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TShareMsgBox*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
            SendMessageW(dlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
            SetForegroundWindow(dlg);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDC_Radio0:
                case IDC_Radio1:
                    if (HIWORD(wp) == BN_CLICKED) self->RadioGroup1Click(dlg);
                    return TRUE;
                case IDC_btn_OK:
                    if (IsWindowEnabled(GetDlgItem(dlg, IDC_btn_OK))) self->btn_OKClick(dlg);
                    return TRUE;
                case IDCANCEL:
                    return TRUE;   // only OK closes this dialog
            }
            break;
        case WM_CLOSE:
            return TRUE;
    }
    return FALSE;
}

}  // namespace kelup
