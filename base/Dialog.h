#pragma once
// Modal dialogs made from the program's resources, each handled by an object
// of its own: the dialog's procedure hands every message, from
// WM_INITDIALOG on, to that object's OnMessage.

#include <windows.h>

namespace kelup {

template <typename T>
INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtrW(dlg, DWLP_USER, lp);
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(dlg, DWLP_USER));
    return self ? self->OnMessage(dlg, msg, wp, lp) : FALSE;
}

// Shows dialog `id` modally, handled by `self`; the dialog's result.
template <typename T>
INT_PTR RunDialog(T* self, int id, HWND owner) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), owner, DialogProc<T>,
                           reinterpret_cast<LPARAM>(self));
}

// The program's icon on a dialog's caption.
inline void SetMainIcon(HWND dlg) {
    SendMessageW(dlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconW(GetModuleHandleW(nullptr), L"MAINICON")));
}

}  // namespace kelup
