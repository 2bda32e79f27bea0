#include "app/Bench.h"

#include "base/Clock.h"
#include "res/resource.h"

namespace kelup {

namespace {
INT_PTR CALLBACK BareProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }
}  // namespace

long long BareDialogMicros(HWND owner) {
    LoadLibraryW(L"msftedit.dll");
    const long long t0 = MicrosNow();
    HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BAREBENCH), owner, BareProc, 0);
    if (!dlg) return -1;
    ShowWindow(dlg, SW_SHOW);
    SetFocus(GetDlgItem(dlg, IDC_BareBenchEdit));
    RedrawWindow(dlg, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const long long t1 = MicrosNow();
    DestroyWindow(dlg);
    return t1 - t0;
}

}  // namespace kelup
