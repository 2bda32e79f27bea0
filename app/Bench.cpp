#include "app/Bench.h"

#include "base/Clock.h"
#include "res/resource.h"

namespace kelup {

namespace {
INT_PTR CALLBACK BareProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }
}  // namespace

long long BareDialogMicros(HWND owner, SIZE size) {
    LoadLibraryW(L"msftedit.dll");
    const long long t0 = MicrosNow();
    HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BAREBENCH), owner, BareProc, 0);
    if (!dlg) return -1;
    if (size.cx > 0 && size.cy > 0) {
        // As large as the window it is held against, its rich edit filling it.
        SetWindowPos(dlg, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT rc;
        GetClientRect(dlg, &rc);
        MoveWindow(GetDlgItem(dlg, IDC_BareBenchEdit), 4, 4, rc.right - 8, rc.bottom - 8, FALSE);
    }
    ShowWindow(dlg, SW_SHOW);
    SetFocus(GetDlgItem(dlg, IDC_BareBenchEdit));
    RedrawWindow(dlg, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const long long t1 = MicrosNow();
    DestroyWindow(dlg);
    return t1 - t0;
}

}  // namespace kelup
