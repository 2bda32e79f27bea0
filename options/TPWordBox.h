#pragma once
// The password dialog: the user's password, asked before a received note
// that its sender protected is opened.

#include <windows.h>

#include <string>

namespace kelup {

class TPWordBox {
public:
    // Shows the dialog modally; true once the text typed equals
    // `userPassword` exactly (an empty password is confirmed by an empty
    // entry), false when it was cancelled.
    bool ShowModal(HWND owner, const std::wstring& userPassword);
    bool PWordOK() const { return pwordOK_; }

    INT_PTR OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

private:
    void FormShow(HWND dlg);
    void btnOkClick(HWND dlg);
    void btnCancelClick(HWND dlg);

    std::wstring userPassword_;
    bool pwordOK_ = false;
};

}  // namespace kelup
