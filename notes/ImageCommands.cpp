// An image note's context menu, prepared at each opening, and the commands
// behind it; the double-click and dropped files.

#include "notes/TBMPKELUPSHI.h"

#include <commdlg.h>

#include "app/Settings.h"
#include "app/ShowMsg.h"
#include "base/TextInput.h"
#include "dates/DateTime.h"
#include "dates/SystemFormat.h"
#include "notes/NoteDrop.h"
#include "notes/ImageRules.h"
#include "res/resource.h"

namespace kelup {

namespace {

// The menu (top or submenu) that holds the command `id`.
HMENU MenuHolding(HMENU m, UINT id) {
    for (int i = 0, n = GetMenuItemCount(m); i < n; ++i) {
        if (HMENU sub = GetSubMenu(m, i)) {
            if (HMENU found = MenuHolding(sub, id)) return found;
        } else if (GetMenuItemID(m, i) == id) {
            return m;
        }
    }
    return nullptr;
}

// The menu that holds submenu `sub`, and its position there.
bool SubmenuPlace(HMENU m, HMENU sub, HMENU& holder, int& pos) {
    for (int i = 0, n = GetMenuItemCount(m); i < n; ++i) {
        HMENU s = GetSubMenu(m, i);
        if (!s) continue;
        if (s == sub) {
            holder = m, pos = i;
            return true;
        }
        if (SubmenuPlace(s, sub, holder, pos)) return true;
    }
    return false;
}

void ClearDefaults(HMENU m) {
    SetMenuDefaultItem(m, UINT(-1), FALSE);
    for (int i = 0, n = GetMenuItemCount(m); i < n; ++i)
        if (HMENU s = GetSubMenu(m, i)) ClearDefaults(s);
}

// The position in the top level of "他マシンのデスクトップへ貼付".
constexpr int kSendPosition = 6;

}  // namespace

HMENU TBMPKELUPSHI::Menu() {
    if (!menu_) {
        menu_.reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENU3)));
        HMENU top = GetSubMenu(menu_.get(), 0);
        if (host_ && host_->NetworkOff() && GetMenuItemCount(top) > kSendPosition)
            DeleteMenu(top, kSendPosition, MF_BYPOSITION);
    }
    return menu_.get();
}

HMENU TBMPKELUPSHI::PopupMenu3() {
    HMENU top = GetSubMenu(Menu(), 0);
    if (!top) return nullptr;
    ImageMenuFacts f;
    f.border = Border, f.lockMode = LockMode, f.stretchMode = StretchMode, f.stOnTp = StOnTp, f.titlePos = TitlePos;
    f.hasTitle = !StringBuf.empty(), f.titleShown = titleShown_;
    f.openFName = OpenFName;
    f.kDate = K_Date, f.everyDay = EveryDay;
    if (K_Date != 0) {
        CivilDateTime t = DecodeDateTime(K_Date);
        f.deadlineDate = SystemDateText(t), f.deadlineTime = SystemTimeText(t);
    }
    if (host_) {
        const Settings& s = host_->NoteConfig();
        f.onlyDateCheck = s.OnlyDateCheck, f.useColor1 = s.UseColor1, f.useColor2 = s.UseColor2,
        f.useColor3 = s.UseColor3;
        f.bottom = s.Bottom, f.dblClickMode = s.DblClickMode;
        f.slotsFull = host_->ImageSlotsFull();
        f.netDisabled = host_->NetDisabled(), f.networkOff = host_->NetworkOff();
    }
    ImageMenuPlan p = PlanImageMenu(f);
    for (auto [id, on] : p.enabled) EnableMenuItem(top, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    for (auto [id, on] : p.checked) CheckMenuItem(top, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    for (auto& [id, caption] : p.captions) {
        MENUITEMINFOW mi{};
        mi.cbSize = sizeof(mi);
        mi.fMask = MIIM_STRING;
        mi.dwTypeData = const_cast<wchar_t*>(caption.c_str());
        SetMenuItemInfoW(top, id, FALSE, &mi);
    }
    // "タイトルの位置" as a whole.
    HMENU holder = nullptr;
    int pos = 0;
    if (HMENU posMenu = MenuHolding(top, ID_B_M_UP); posMenu && SubmenuPlace(top, posMenu, holder, pos))
        EnableMenuItem(holder, UINT(pos), MF_BYPOSITION | (p.titlePosEnabled ? MF_ENABLED : MF_GRAYED));
    ClearDefaults(top);
    if (HMENU m = MenuHolding(top, p.defaultEntry)) SetMenuDefaultItem(m, p.defaultEntry, FALSE);
    return top;
}

void TBMPKELUPSHI::OpenContextMenu() {
    HMENU m = PopupMenu3();
    if (!m) return;
    POINT pt;
    GetCursorPos(&pt);
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(m, TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void TBMPKELUPSHI::OnNcDoubleClick() {
    if (!host_) return;
    // The modifiers as remembered from the note's own key presses, or as
    // held now: a key pressed while another window had the keyboard counts.
    bool alt = GetAsyncKeyState(VK_MENU) < 0, ctrl = GetAsyncKeyState(VK_CONTROL) < 0,
         shift = GetAsyncKeyState(VK_SHIFT) < 0;
    bool altAlone = AltKeyDown || (alt && !ctrl && !shift);
    bool ctrlAlone = CtrlKeyDown || (ctrl && !alt && !shift);
    switch (ChooseImageDoubleClick(altAlone, ctrlAlone, host_->NoteConfig().DblClickMode, !OpenFName.empty())) {
        case ImageDblClick::Hide:
            HideFG = 2;
            HideAction();
            return;
        case ImageDblClick::Peel: M_ExitClick(); return;   // the note is gone
        case ImageDblClick::Open: M_ExecuteClick(); return;
        case ImageDblClick::Title: M_MojiClick(); return;
    }
}

void TBMPKELUPSHI::OnDropFiles(HDROP drop) {
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::wstring path;
    if (count == 1) {
        UINT n = DragQueryFileW(drop, 0, nullptr, 0);
        path.resize(size_t(n) + 1);
        path.resize(DragQueryFileW(drop, 0, path.data(), n + 1));
    }
    DragFinish(drop);
    if (count == 0 || !host_) return;
    switch (ChooseDrop(count, path, host_->NoteConfig().FileDropMode, 0)) {
        case DropAction::TooMany:
            host_->BringAppToFront();
            ShowMsg(L"複数ﾌｧｲﾙのﾄﾞﾛｯﾌﾟはｻﾎﾟｰﾄされていません", 0, hwnd_);
            return;
        case DropAction::ImageNote:
            host_->DropPicture(path);
            return;
        case DropAction::TextNote:
            host_->MakeKelup(path);
            return;
        case DropAction::Associate:
        case DropAction::ReplaceText:        // a note text file is just a file to an image note
        case DropAction::ImageOnTransparent:
            OpenFName = path;
            host_->SaveNotes();
            host_->BringAppToFront();
            ShowMsg(path + L"はこの付箋紙に関連づけられました", 0, hwnd_);
            return;
    }
}

// --- the title --------------------------------------------------------------------

void TBMPKELUPSHI::M_MojiClick() {
    std::wstring text = StringBuf;
    int ime = host_ ? host_->NoteConfig().IME : 1;
    TopRelease();
    bool ok = TextInput(DialogOwner(), L"タイトルの入力", L"イメージ付箋紙のタイトルを入力してください", text, false, ime);
    TopSet();
    if (!ok) return;
    SetTitle(text);
    if (titleShown_ && text.empty()) M_TitleClick();
    else if (!titleShown_ && !text.empty()) M_TitleClick();
    if (host_) host_->SaveNotes();
}

void TBMPKELUPSHI::M_TitleClick() { ShowTitle(!titleShown_); }

void TBMPKELUPSHI::M_FontClick() {
    TopRelease();
    LOGFONTW lf{};
    HDC screen = GetDC(nullptr);
    lf.lfHeight = -MulDiv(TitleFontSize > 0 ? TitleFontSize : 12, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    if (titleFont_) {
        LOGFONTW now{};
        if (GetObjectW(titleFont_.get(), sizeof(now), &now)) lf = now;
    }
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = DialogOwner();
    cf.lpLogFont = &lf;
    cf.iPointSize = TitleFontSize * 10;
    cf.rgbColors = COLORREF(TitleFontColor);
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    if (ChooseFontW(&cf)) {
        ORGFname = lf.lfFaceName;
        if (cf.iPointSize > 0) TitleFontSize = (cf.iPointSize + 5) / 10;
        TitleFontStyle = (lf.lfWeight >= FW_BOLD ? 1000 : 0) + (lf.lfItalic ? 100 : 0) + (lf.lfUnderline ? 10 : 0) +
                         (lf.lfStrikeOut ? 1 : 0);
        TitleFontColor = int(cf.rgbColors);
        ApplyTitleFont();
        if (host_) host_->SaveNotes();
    }
    TopSet();
}

// --- sizes ---------------------------------------------------------------------------

void TBMPKELUPSHI::M_InputClick() {
    TopRelease();
    SIZE screen = host_ ? host_->ScreenSize() : SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    std::wstring text = std::to_wstring(PercentOffer(bounds_.right - bounds_.left, screen.cx));
    int ime = host_ ? host_->NoteConfig().IME : 1;
    if (TextInput(DialogOwner(), L"画面横幅に対する割合の入力", L"割合(%)を指定してください（10%～100%）", text, true, ime))
        ApplyPercent(ParsePercent(text));
    TopSet();
}

// --- picture, information, association ------------------------------------------------

void TBMPKELUPSHI::M_CopyClick() {
    if (!HasPicture() || !PictureToClipboard(hwnd_, picture_))
        ShowMsg(L"クリップボードにコピーできませんでした", MB_ICONERROR, hwnd_);
}

std::wstring TBMPKELUPSHI::InfoText() const {
    ImageInfoFacts f;
    f.title = StringBuf;
    RECT area = PictureArea();
    f.shownWidth = area.right - area.left, f.shownHeight = area.bottom - area.top;
    f.jpeg = PictType == 1;
    f.bmpname = Bmpname;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!Bmpname.empty() && GetFileAttributesExW(Bmpname.c_str(), GetFileExInfoStandard, &data))
        f.fileSize = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (!SenderName.empty() || !SenderAddr.empty()) {
        f.senderName = host_ ? host_->SenderDisplayName(SenderName) : SenderName;
        f.senderAddr = SenderAddr;
    }
    f.hasDeadline = K_Date != 0;
    f.everyDay = EveryDay == 1;
    if (f.hasDeadline) {
        CivilDateTime t = DecodeDateTime(K_Date);
        f.deadlineDate = SystemDateText(t), f.deadlineTime = SystemTimeText(t);
    }
    return ImageInfoText(f);
}

void TBMPKELUPSHI::M_InfoClick() {
    TopRelease();
    ShowMsg(InfoText(), 0, hwnd_);
    TopSet();
}

void TBMPKELUPSHI::M_KanrenClick() {
    if (!host_) return;
    TopRelease();
    std::wstring text = OpenFName;
    if (host_->ChooseAssociation(DialogOwner(), text)) {
        OpenFName = text;
        host_->SaveNotes();
    }
    TopSet();
}

void TBMPKELUPSHI::M_ExecuteClick() {
    if (OpenFName.empty()) return;
    std::wstring target = OpenTarget(OpenFName);
    if (host_ && !host_->MayOpen(MyNumber, target)) return;
    ShellExecuteW(hwnd_, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
}

void TBMPKELUPSHI::M_LimitClick() {
    if (!host_) return;
    TopRelease();
    host_->ImageLimitClick(MyNumber);
}

void TBMPKELUPSHI::M_SendClick() {
    if (host_) host_->SendImage(MyNumber);
}

void TBMPKELUPSHI::M_NewClick() {
    if (!host_) return;
    size_t slash = Bmpname.find_last_of(L"\\/");
    if (slash != std::wstring::npos) host_->SetPictureFolder(Bmpname.substr(0, slash + 1));
    host_->MakeBKelup(0, 0, L"");
}

void TBMPKELUPSHI::M_ExitClick() {
    if (host_) host_->ImageExitClick(MyNumber);
}

void TBMPKELUPSHI::OnCommand(int id) {
    ImageHost* main = host_;
    if (!main) return;
    const int bottom = main->NoteConfig().Bottom;
    switch (id) {
        // The store releases the note: nothing of it is touched afterwards.
        case ID_B_M_Exit: M_ExitClick(); return;
        case ID_B_M_Hide: HideFG = 1; HideAction(); return;
        case ID_B_M_Hide1: HideFG = 2; HideAction(); return;
        case ID_B_M_Moji: M_MojiClick(); return;
        case ID_B_M_Font: M_FontClick(); return;
        case ID_B_M_Copy: M_CopyClick(); return;
        case ID_B_M_Border: M_BorderClick(); return;
        case ID_B_M_Title: M_TitleClick(); return;
        case ID_B_M_UP: SetTitlePos(0); return;
        case ID_B_M_Down: SetTitlePos(1); return;
        case ID_B_M_Limit: M_LimitClick(); return;
        case ID_B_M_Info: M_InfoClick(); return;
        case ID_B_M_Lock: M_LockClick(); return;
        case ID_B_M_Chosei: M_ChoseiClick(); return;
        case ID_B_M_110: SizeToScreenPart(10); return;
        case ID_B_M_18: SizeToScreenPart(8); return;
        case ID_B_M_15: SizeToScreenPart(5); return;
        case ID_B_M_13: SizeToScreenPart(3); return;
        case ID_B_M_12: SizeToScreenPart(2); return;
        case ID_B_M_ORGSize: M_ORGSizeClick(); return;
        case ID_B_M_Input: M_InputClick(); return;
        case ID_B_M_StayOnTop: M_StayOnTopClick(bottom); return;
        case ID_B_M_StayOnBottom: M_StayOnBottomClick(); return;
        case ID_B_M_Send: M_SendClick(); return;
        case ID_B_M_Kanren: M_KanrenClick(); return;
        case ID_B_M_Execute: M_ExecuteClick(); return;
        case ID_B_M_Left: main->SLeft(MyNumber, 1, false, 0); return;
        case ID_B_M_Right: main->SLeft(MyNumber, 2, false, 0); return;
        case ID_B_M_Bottom: main->STop(MyNumber, 2, false, 0); return;
        case ID_B_M_ALLLeft: main->SLeft(MyNumber, 1, true, 0); return;
        case ID_B_M_ALLTop: main->STop(MyNumber, 1, true, 0); return;
        case ID_B_M_Top: return;   // no command of its own
        case ID_B_M_New: M_NewClick(); return;
        case ID_B_M_MainMenu: {
            POINT pt;
            GetCursorPos(&pt);
            main->MainMenuPopup(pt);
            return;
        }
    }
}

}  // namespace kelup
