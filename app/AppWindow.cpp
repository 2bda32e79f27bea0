#include "app/AppWindow.h"

namespace kelup {

bool AppWindow::Create(HICON icon) {
    RegisterClassOnce(kAppWindowClass, 0, icon);
    int cx = GetSystemMetrics(SM_CXSCREEN) / 2, cy = GetSystemMetrics(SM_CYSCREEN) / 2;
    CreateWin(WS_EX_TOOLWINDOW, kAppWindowClass, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
              cx, cy, 0, 0);
    if (!hwnd_) return false;
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    return true;
}

void AppWindow::SetTitle(const std::wstring& title) { SetWindowTextW(hwnd_, title.c_str()); }

std::wstring AppWindow::Title() const {
    wchar_t buf[256] = {};
    GetWindowTextW(hwnd_, buf, 256);
    return buf;
}

void AppWindow::ShowButton(bool show) {
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    if (show) {
        ex = (ex & ~LONG_PTR(WS_EX_TOOLWINDOW)) | WS_EX_APPWINDOW;
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
        ShowWindow(hwnd_, minimized_ ? SW_SHOWMINNOACTIVE : SW_SHOW);
        if (!minimized_) SetForegroundWindow(hwnd_);
    } else {
        ShowWindow(hwnd_, SW_HIDE);
        ex = (ex & ~LONG_PTR(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW;
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
    }
}

void AppWindow::BringToFront() {
    if (IsWindowVisible(hwnd_)) SetForegroundWindow(hwnd_);
    else {
        // Without a task-bar button there is nothing to show: hand the
        // foreground to this process so its next window may come forward.
        AllowSetForegroundWindow(GetCurrentProcessId());
        SetForegroundWindow(hwnd_);
    }
}

LRESULT AppWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SYSCOMMAND:
            switch (wp & 0xFFF0) {
                case SC_MINIMIZE:
                    minimized_ = true;
                    ShowOwnedPopups(hwnd_, FALSE);
                    if (IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_MINIMIZE);
                    return 0;
                case SC_RESTORE:
                    minimized_ = false;
                    if (IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
                    ShowOwnedPopups(hwnd_, TRUE);
                    return 0;
                case SC_CLOSE:
                    // Closing the task-bar button ends the program like the exit command.
                    PostMessageW(FindWindowW(L"RARADAVE", nullptr), WM_CLOSE, 0, 0);
                    return 0;
            }
            break;
        case WM_CLOSE:
            return 0;
    }
    return Default(msg, wp, lp);
}

}  // namespace kelup
