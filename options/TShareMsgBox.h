#pragma once
// The welcome dialog of the first start: does the user want the send and
// receive functions? It closes only through its OK button.

#include <windows.h>

namespace kelup {

class TShareMsgBox {
public:
    // Shows the dialog modally; the chosen index of RadioGroup1 (-1: none).
    int ShowModal(HWND owner);
    int ItemIndex() const { return itemIndex_; }

private:
    static INT_PTR CALLBACK DlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
    void RadioGroup1Click(HWND dlg);
    void btn_OKClick(HWND dlg);

    int itemIndex_ = -1;
};

}  // namespace kelup
