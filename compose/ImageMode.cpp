// The editor's image mode: an image note sends its picture from the lower
// area alone, to one recipient, with "正常送信を確認する" and
// "内容をふせて貼り付ける" as its only options.

#include "compose/TInputEditer.h"

#include <windowsx.h>

#include "app/ShowMsg.h"

namespace kelup {

void TInputEditer::EnterImageMode() {
    // The lower area shows even where the user had hidden it.
    ShowPanel();
    RECT wr, cr;
    GetWindowRect(hwnd_, &wr);
    GetClientRect(hwnd_, &cr);
    heightBeforeImage_ = wr.bottom - wr.top;
    // The options start clear; their states come back afterwards.
    for (int i = 0; i < 5; ++i) {
        checksBeforeImage_[i] = Button_GetCheck(checks_[i]) == BST_CHECKED;
        Button_SetCheck(checks_[i], BST_UNCHECKED);
    }
    ImageSendFG = true;
    EnableWindow(memo_, FALSE);
    // The window loses the toolbars, Memo1 and the splitter: the lower area is left.
    const int frame = heightBeforeImage_ - cr.bottom;
    SetWindowPos(hwnd_, nullptr, 0, 0, wr.right - wr.left, frame + 2 + panelH_ + panel1H_,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    Layout();
}

void TInputEditer::LeaveImageMode() {
    ImageSendFG = false;
    EnableWindow(memo_, TRUE);
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    SetWindowPos(hwnd_, nullptr, 0, 0, wr.right - wr.left, heightBeforeImage_,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    for (int i = 0; i < 5; ++i) Button_SetCheck(checks_[i], checksBeforeImage_[i] ? BST_CHECKED : BST_UNCHECKED);
    // Everything hidden for the picture shows again.
    for (HWND h : {checks_[2], checks_[3], checks_[4], rg_, fileOpts_[0], fileOpts_[1], fileOpts_[2], fileOpts_[3],
                   btnIPAddr_, label5_, label9_})
        ShowWindow(h, SW_SHOWNA);
    Layout();
}

void TInputEditer::ImageSendCommand(EditorCommand cmd) {
    const std::wstring refusal = ImageSendRefusal(LinesOf(list2_), AbsenteeGroup());
    if (!refusal.empty()) {
        ShowMsg(refusal, MB_OK | MB_ICONEXCLAMATION, hwnd_);
        // The editor closes all the same, sending nothing.
        CloseWith(EditorCommand::Close);
        return;
    }
    CloseWith(cmd);
}

}  // namespace kelup
