#include "options/TPWordBox.h"

#include "app/ShowMsg.h"
#include "base/Dialog.h"
#include "res/resource.h"

namespace kelup {

bool TPWordBox::ShowModal(HWND owner, const std::wstring& userPassword) {
    userPassword_ = userPassword;
    pwordOK_ = false;
    RunDialog(this, IDD_PWORDBOX, owner);
    userPassword_.assign(userPassword_.size(), L'\0');
    userPassword_.clear();
    return pwordOK_;
}

void TPWordBox::FormShow(HWND dlg) {
    SetDlgItemTextW(dlg, IDC_PWordEdit, L"");
    SetFocus(GetDlgItem(dlg, IDC_PWordEdit));
}

void TPWordBox::btnOkClick(HWND dlg) {
    HWND edit = GetDlgItem(dlg, IDC_PWordEdit);
    std::wstring typed(size_t(GetWindowTextLengthW(edit)) + 1, L'\0');
    typed.resize(size_t(GetWindowTextW(edit, typed.data(), int(typed.size()))));
    bool same = typed == userPassword_;
    typed.assign(typed.size(), L'\0');
    if (!same) {
        ShowMsg(L"パスワードが間違っています", 0, dlg);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return;
    }
    pwordOK_ = true;
    EndDialog(dlg, IDOK);
}

void TPWordBox::btnCancelClick(HWND dlg) {
    pwordOK_ = false;
    EndDialog(dlg, IDCANCEL);
}

INT_PTR TPWordBox::OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            SetMainIcon(dlg);
            FormShow(dlg);
            SetForegroundWindow(dlg);
            return FALSE;   // the focus is set
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK: btnOkClick(dlg); return TRUE;
                case IDCANCEL: btnCancelClick(dlg); return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace kelup
