// Notification-area icon, task-bar button, the main menu and its commands,
// and the hot keys.

#include <windows.h>
#include <shellapi.h>

#include "app/RARADAVE.h"
#include "app/ShowMsg.h"
#include "base/Messages.h"
#include "notes/RichText.h"
#include "notes/TKELUPSHI.h"
#include "base/Clock.h"
#include "res/resource.h"
#include "compose/Compose.h"
#include "dates/Deadlines.h"
#include "store/NoteStore.h"
#include "store/Slots.h"

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

namespace {

std::wstring MenuCaption(HMENU menu, UINT id) {
    wchar_t buf[256] = {};
    GetMenuStringW(menu, id, buf, ARRAYSIZE(buf), MF_BYCOMMAND);
    return buf;
}

void SetMenuCaption(HMENU menu, UINT id, const std::wstring& caption) {
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_STRING;
    mi.dwTypeData = const_cast<wchar_t*>(caption.c_str());
    SetMenuItemInfoW(menu, id, FALSE, &mi);
}

void EnableEntry(HMENU menu, UINT id, bool enable) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

bool EntryEnabled(HMENU menu, UINT id) {
    UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
    return state != UINT(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

// A submenu entry has no command of its own: it is found by the first
// command in its submenu, at any depth of the menu.
bool EnableSubmenuEntry(HMENU menu, UINT firstId, bool enable) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        HMENU sub = GetSubMenu(menu, i);
        if (!sub) continue;
        if (GetMenuItemID(sub, 0) == firstId) {
            EnableMenuItem(menu, UINT(i), MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
            return true;
        }
        if (EnableSubmenuEntry(sub, firstId, enable)) return true;
    }
    return false;
}

TrayMouse TrayMouseOf(LPARAM lp) {
    switch (lp) {
        case WM_LBUTTONDOWN: return TrayMouse::LeftDown;
        case WM_RBUTTONDOWN: return TrayMouse::RightDown;
        case WM_LBUTTONDBLCLK: return TrayMouse::LeftDoubleClick;
        default: return TrayMouse::Other;
    }
}

}  // namespace

bool RARADAVE::ClipboardHasPicture() const {
    return IsClipboardFormatAvailable(CF_BITMAP) ||
           (cfKelupPicture != 0 && IsClipboardFormatAvailable(cfKelupPicture));
}

ClipKind RARADAVE::ClipboardChoice() const {
    return ClipChoice(ClipboardHasPicture(), IsClipboardFormatAvailable(CF_TEXT) != FALSE, store_->TextNoteCount(),
                      store_->TextNoteMax(), store_->ImageNoteCount(), store_->ImageNoteMax());
}

// Entries are enabled and captioned afresh each time the menu opens.
void RARADAVE::PopupMenu1Popup() {
    MainMenuFacts f;
    f.mouseL = Config_.MouseL;
    f.textCount = store_->TextNoteCount();
    f.maxText = store_->TextNoteMax();
    f.imageCount = store_->ImageNoteCount();
    f.maxImage = store_->ImageNoteMax();
    f.undoCount = store_->UndoAvailable();
    f.aboutOpen = AboutBoxFG != 0;
    f.optionsOpen = OptionsOpen != 0;
    f.makingImage = MakingImageFG != 0 || store_->MakingImage();
    f.clipPicture = ClipboardHasPicture();
    f.clipText = IsClipboardFormatAvailable(CF_TEXT) != FALSE;
    MainMenuState m = PrepareMainMenu(f);

    SetMenuDefaultItem(popup_, m.newNormalDefault ? ID_NewNormal : UINT(-1), FALSE);
    EnableEntry(popup_, ID_M_AllRemoveN, m.allRemoveN);
    EnableEntry(popup_, ID_M_AllRemoveI, m.allRemoveI);
    if (m.setNewEntries) {
        EnableEntry(popup_, ID_NewNormal, m.newNormal);
        EnableSubmenuEntry(popup_, ID_M_TempLoad, m.temp);
        EnableEntry(popup_, ID_M_Undo, m.undo);
        EnableEntry(popup_, ID_NewBmp, m.newBmp);
    }
    SetMenuCaption(popup_, ID_M_Clip, m.clipCaption);
    EnableEntry(popup_, ID_M_Clip, m.clip != ClipKind::None);
}

void RARADAVE::MainMenuPopup(POINT pt) {
    app_->BringToFront();
    int editing = store_->DirectEditSlot();
    if (editing != kNoSlot) {
        std::wstring first;
        if (TKELUPSHI* note = store_->TextNote(editing)) {
            auto lines = RichLines(note->RichEdit1());
            if (!lines.empty()) first = lines.front();
        }
        ShowMsg(L"直接編集中の付箋紙があります\r「" + first + L"」", 0, hwnd_);
        return;
    }
    // Let what is already queued run first (a note may still be closing).
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(int(m.wParam));
            return;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    if (State_.Closing) return;
    PopupMenu1Popup();
    // The menu closes when the user clicks elsewhere only if its owner is
    // the foreground window.
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(popup_, TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void RARADAVE::OnTrayIcon(LPARAM lp) {
    TrayFacts f;
    f.busy = State_.BusyFG == 1;
    f.blocked = compose_->EditorOpen() || PictureDialogFG != 0 || store_->PictureDialogOpen() || dates_->LimitBusy();
    f.mouseL = Config_.MouseL;
    f.mouseR = Config_.MouseR;
    // The note hint, when there is one, is hidden by any click (note windows).
    TrayResponse r = TrayClick(TrayMouseOf(lp), f);
    if (r.bringToFront) app_->BringToFront();
    RunTrayAction(r.choice);
}

void RARADAVE::RunTrayAction(const TrayChoice& choice) {
    switch (choice.action) {
        case TrayAction::None:
        case TrayAction::Front:
            break;
        case TrayAction::Menu: {
            POINT pt;
            GetCursorPos(&pt);
            MainMenuPopup(pt);
            break;
        }
        case TrayAction::NewText: store_->MakeKelup(L""); break;
        case TrayAction::Template:
            // An empty or unreadable template slot has its entry disabled.
            if (EntryEnabled(popup_, ID_M_temp1 + UINT(choice.templateNo - 1))) NewFromTemplate(choice.templateNo);
            break;
        case TrayAction::TemplateFile: M_TempLoadClick(); break;
        case TrayAction::NewImage: NewBMPClick(); break;
    }
}

void RARADAVE::NewNormalClick() {
    newNoteAt_ = MicrosNow();
    MinimizeCancel();
    store_->NewNormalClick();
}

void RARADAVE::NewBMPClick() {
    MinimizeCancel();
    store_->NewBMPClick();
}

// The entry promised a picture or text when the menu opened; the same
// choice is made again now, so the command does what its caption said.
void RARADAVE::M_ClipClick() {
    MinimizeCancel();
    switch (ClipboardChoice()) {
        case ClipKind::Picture: store_->MakeBKelup(1, 0, L""); break;
        case ClipKind::Text: store_->MakeKelup(L"///"); break;
        case ClipKind::None: break;
    }
}

void RARADAVE::M_MinimizeClick() {
    if (MenuCaption(popup_, ID_M_Minimize) == L"最小化") {
        SendMessageW(app_->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        SetMenuCaption(popup_, ID_M_Minimize, L"最大化");
        TaskBarShow();
    } else {
        SendMessageW(app_->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
        SetMenuCaption(popup_, ID_M_Minimize, L"最小化");
    }
}

void RARADAVE::MinimizeCancel() {
    if (MenuCaption(popup_, ID_M_Minimize) == L"最大化") M_MinimizeClick();
}

// The help file beside the program; when it is missing the shell says so.
void RARADAVE::M_HELPClick() {
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    sei.hwnd = hwnd_;
    sei.lpVerb = L"open";
    sei.lpFile = Path_.HelpFile.c_str();
    sei.lpDirectory = Path_.ExeDir.c_str();
    sei.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&sei);
}

void RARADAVE::M_AllRemoveIClick() {
    if (ShowMsg(L"すべてのイメージ付箋紙をはがしますか？", MB_YESNO | MB_ICONQUESTION, hwnd_) != IDYES) return;
    store_->RemoveAllImageNotes();
}

void RARADAVE::AboutBoxOpen() {
    AboutBoxFG = 1;
    const UINT entries[] = {ID_M_About, ID_M_Option1, ID_M_Undo, ID_NewNormal, ID_NewBmp, ID_M_ShowTaskBar1,
                            ID_M_HELP};
    for (UINT id : entries) EnableEntry(popup_, id, false);
    EnableSubmenuEntry(popup_, ID_M_LinkMake, false);   // "スタートアップ"
    EnableSubmenuEntry(popup_, ID_M_Option1, false);    // "詳細"
    app_->BringToFront();
    ShowAboutBox();
    for (UINT id : entries) EnableEntry(popup_, id, true);
    EnableSubmenuEntry(popup_, ID_M_LinkMake, true);
    EnableSubmenuEntry(popup_, ID_M_Option1, true);
    AboutBoxFG = 0;
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

void RARADAVE::RegisterHotKeys() {
    struct HotKey {
        const std::wstring& value;
        int id;
        UINT entry;
    };
    const HotKey keys[] = {{Config_.HotKey1, kHotKeyNewText, ID_NewNormal},
                           {Config_.HotKey2, kHotKeyNewImage, ID_NewBmp}};
    for (const HotKey& k : keys) {
        int vk = HotKeyVirtualKey(k.value);
        if (vk == kHotKeyNone) continue;
        // A value that stands for no letter or digit could only grab some
        // unrelated key: it fails like a key another program holds.
        if (vk == kHotKeyUnusable || !RegisterHotKey(hwnd_, k.id, MOD_CONTROL | MOD_ALT, UINT(vk))) {
            MessageBoxW(hwnd_, L"ホットキーの登録に失敗しました", kAppTitle, MB_OK);
            continue;
        }
        SetMenuCaption(popup_, k.entry, CaptionWithShortcut(MenuCaption(popup_, k.entry), HotKeyShortcutText(vk)));
    }
}

void RARADAVE::OnHotKey(int id) {
    if (id != kHotKeyNewText && id != kHotKeyNewImage) return;
    app_->BringToFront();
    if (id == kHotKeyNewText) NewNormalClick();
    else NewBMPClick();
}

void RARADAVE::UnregisterHotKeys() {
    UnregisterHotKey(hwnd_, kHotKeyNewText);
    UnregisterHotKey(hwnd_, kHotKeyNewImage);
}

}  // namespace kelup
