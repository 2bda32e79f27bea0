// Notification-area icon, task-bar button and the main menu.

#include <windows.h>
#include <shellapi.h>

#include "app/RARADAVE.h"
#include "app/ShowMsg.h"
#include "base/Messages.h"
#include "res/resource.h"
#include "store/NoteStore.h"

namespace kelup {

bool RARADAVE::AddTrayIcon() {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hwnd_;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = KM_TRAYICON;
    nid.hIcon = icon_;
    std::wstring tip = std::wstring(kAppTitle) + L"\rVer " + State_.VersionText;
    lstrcpynW(nid.szTip, tip.c_str(), ARRAYSIZE(nid.szTip));
    // After an Explorer restart the old icon is gone; adding it again is right.
    BOOL ok = Shell_NotifyIconW(NIM_ADD, &nid);
    if (!ok) ok = Shell_NotifyIconW(NIM_MODIFY, &nid);
    TrayIconShown = 1;
    return ok != FALSE;
}

void RARADAVE::DelTrayIcon() {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hwnd_;
    nid.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &nid);
    TrayIconShown = 0;
}

void RARADAVE::TaskBarShow() { app_->ShowButton(Config_.ShowTaskBar == 1); }

void RARADAVE::M_ShowTaskBar1Click() {
    bool checked = (GetMenuState(popup_, ID_M_ShowTaskBar1, MF_BYCOMMAND) & MF_CHECKED) != 0;
    checked = !checked;
    CheckMenuItem(popup_, ID_M_ShowTaskBar1, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    Config_.ShowTaskBar = checked ? 1 : 0;
    TaskBarShow();
    Ini.WriteInt(L"Config", L"ShowTaskBar", Config_.ShowTaskBar);
}

void RARADAVE::MainMenuPopup(POINT pt) {
    app_->BringToFront();
    SetForegroundWindow(hwnd_);
    if (store_->DirectEditing()) return;   // the note windows tell which note is being edited
    SetMenuDefaultItem(popup_, Config_.MouseL == 9 ? ID_NewNormal : UINT(-1), FALSE);
    EnableMenuItem(popup_, ID_M_AllRemoveN, MF_BYCOMMAND | (store_->TextNoteCount() != 0 ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popup_, ID_M_AllRemoveI, MF_BYCOMMAND | (store_->ImageNoteCount() != 0 ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popup_, ID_M_Undo,
                   MF_BYCOMMAND | (store_->UndoAvailable() > 0 && !store_->TextSlotsFull() ? MF_ENABLED : MF_GRAYED));
    TrackPopupMenu(popup_, TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void RARADAVE::OnTrayIcon(LPARAM lp) {
    if (State_.BusyFG == 1) return;
    auto run = [&](int action) {
        if (action != 0) app_->BringToFront();
        switch (action) {
            case 9: break;   // only bring the program forward
            case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8:
                break;       // note-making actions arrive with the notes themselves
            default: {
                POINT pt;
                GetCursorPos(&pt);
                MainMenuPopup(pt);
            }
        }
    };
    switch (lp) {
        case WM_RBUTTONDOWN: run(Config_.MouseR); break;
        case WM_LBUTTONDOWN: run(Config_.MouseL); break;
        default: break;
    }
}

void RARADAVE::PruneMainMenu() {
    DeleteMenu(popup_, ID_M_ExitWindows, MF_BYCOMMAND);
    if (State_.NetworkOff == 1) {
        // "一時的受信制限" is a submenu: find it by its first entry.
        for (int i = GetMenuItemCount(popup_) - 1; i >= 0; --i) {
            HMENU sub = GetSubMenu(popup_, i);
            if (sub && GetMenuItemID(sub, 0) == ID_M_ImageRecvLim) DeleteMenu(popup_, i, MF_BYPOSITION);
        }
        DeleteMenu(popup_, ID_M_NLOG, MF_BYCOMMAND);
        DeleteMenu(popup_, ID_M_Log2, MF_BYCOMMAND);
        ModifyMenuW(popup_, ID_NewNormal, MF_BYCOMMAND | MF_STRING, ID_NewNormal, L"付箋紙の新規作成");
    }
}

void RARADAVE::RegisterHotKeys() {}

void RARADAVE::UnregisterHotKeys() {
    UnregisterHotKey(hwnd_, kHotKeyNewText);
    UnregisterHotKey(hwnd_, kHotKeyNewImage);
}

}  // namespace kelup
