// A text note's context menu, prepared at each opening, and the commands
// behind it; dropped files and links.

#include "notes/TKELUPSHI.h"

#include "app/Settings.h"
#include "app/ShowMsg.h"
#include "dates/DateTime.h"
#include "dates/SystemFormat.h"
#include "notes/NoteDrop.h"
#include "notes/NoteInfo.h"
#include "notes/NoteMenuPlan.h"
#include "notes/RichText.h"
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

// The submenu whose first command is `firstId`, with its parent and place.
bool FindSubmenu(HMENU m, UINT firstId, HMENU& parent, int& pos) {
    for (int i = 0, n = GetMenuItemCount(m); i < n; ++i) {
        HMENU sub = GetSubMenu(m, i);
        if (!sub) continue;
        if (GetMenuItemID(sub, 0) == firstId) {
            parent = m, pos = i;
            return true;
        }
        if (FindSubmenu(sub, firstId, parent, pos)) return true;
    }
    return false;
}

UINT FirstIdOf(NoteSubmenu s) {
    switch (s) {
        case NoteSubmenu::Appearance: return ID_Waku0;
        case NoteSubmenu::LineSpace: return ID_LineSpace0;
        case NoteSubmenu::Arrange: return ID_M_Left;
        case NoteSubmenu::Register: return ID_M_Default;
    }
    return 0;
}

}  // namespace

HMENU TKELUPSHI::PopupMenuX() {
    HMENU bar = Menu();
    HMENU m = GetSubMenu(bar, 0);
    NoteMenuFacts f;
    f.keyOpen = KeyOpen, f.border = Border, f.lockMode = LockMode, f.lineSpace = LineSpace, f.tomei = Tomei;
    f.alphaValue = AlphaValue, f.hasSenderAddr = !SenderAddr.empty(), f.openFName = OpenFName;
    f.lines = RichLines(richEdit_);
    f.kDate = K_Date, f.everyDay = EveryDay;
    if (K_Date != 0) {
        CivilDateTime t = DecodeDateTime(K_Date);
        f.deadlineDate = SystemDateText(t), f.deadlineTime = SystemTimeText(t);
    }
    if (host_) {
        const Settings& s = host_->NoteConfig();
        f.logDefault = s.LogDefault, f.useLog1 = s.UseLog1, f.bottom = s.Bottom, f.dblClickMode = s.DblClickMode;
        f.onlyDateCheck = s.OnlyDateCheck, f.useColor1 = s.UseColor1, f.useColor2 = s.UseColor2;
        f.useColor3 = s.UseColor3;
        f.netDisabled = host_->NetDisabled(), f.networkOff = host_->NetworkOff();
        f.editorOpen = host_->EditorOpen(), f.slotsFull = host_->TextSlotsFull();
    }
    f.clipboardHasText = IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
    NoteMenuPlan plan = PlanNoteMenu(f);

    // Captions first: changing one resets the entry's state.
    for (const auto& [id, caption] : plan.captions)
        ModifyMenuW(bar, id, MF_BYCOMMAND | MF_STRING, id, caption.c_str());
    HMENU parent = nullptr;
    int pos = 0;
    if (FindSubmenu(m, ID_LineSpace0, parent, pos)) {
        HMENU sub = GetSubMenu(parent, pos);
        ModifyMenuW(parent, UINT(pos), MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub),
                    plan.lineSpaceCaption.c_str());
    }
    for (const auto& [id, on] : plan.enabled) EnableMenuItem(bar, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    for (const auto& [sub, on] : plan.submenus)
        if (FindSubmenu(m, FirstIdOf(sub), parent, pos))
            EnableMenuItem(parent, UINT(pos), MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
    for (const auto& [id, on] : plan.checked) CheckMenuItem(bar, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(m, ID_M_StayOnTop, MF_BYCOMMAND | (StOnTp == 1 ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(m, ID_M_StayOnBottom, MF_BYCOMMAND | (StOnTp == 2 ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuRadioItem(m, ID_Waku0, ID_Waku6, ID_Waku0 + shownWaku_, MF_BYCOMMAND);
    for (UINT id : {ID_String1, ID_M_Direct, ID_M_Execute, ID_M_Auto})
        if (HMENU holder = MenuHolding(m, id)) SetMenuDefaultItem(holder, UINT(-1), FALSE);
    if (HMENU holder = MenuHolding(m, plan.defaultEntry)) SetMenuDefaultItem(holder, plan.defaultEntry, FALSE);
    return m;
}

void TKELUPSHI::OpenContextMenu() {
    if (DirectEditing()) {
        OpenDirectMenu();
        return;
    }
    TrackAtCursor(PopupMenuX());
    InvalidateRect(richEdit_, nullptr, TRUE);
}

void TKELUPSHI::TrackAtCursor(HMENU m) {
    HideTextHint();
    POINT pt;
    GetCursorPos(&pt);
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(m, TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void TKELUPSHI::M_ExecuteClick() {
    if (OpenFName.empty()) return;
    if (host_ && !host_->MayOpen(MyNumber, OpenFName)) return;
    ShellExecuteW(hwnd_, L"open", OpenFName.c_str(), nullptr, nullptr, SW_SHOW);
}

void TKELUPSHI::Color1Click() {
    TopRelease();
    int color = ORGColor;
    if (host_->ChooseColour(hwnd_, color)) {
        ORGColor = color;
        SetColor(color);
        // A transparent note takes its look again with transparent notes.
        host_->SaveNotes();
    }
    TopSet();
}

void TKELUPSHI::M_FontColorAllClick() {
    TopRelease();
    SendMessageW(richEdit_, EM_SETSEL, 0, 0);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(richEdit_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    int color = int(cf.crTextColor);
    if (host_->ChooseColour(hwnd_, color)) {
        CHARFORMAT2W all{};
        all.cbSize = sizeof(all);
        all.dwMask = CFM_COLOR;
        all.crTextColor = COLORREF(color);
        SendMessageW(richEdit_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&all));
        SendMessageW(richEdit_, EM_SETSEL, 0, 0);
        host_->RecolourTextFile(MyNumber, color);
    }
    TopSet();
}

DefaultDesign TKELUPSHI::Design() const {
    DefaultDesign d;
    SendMessageW(richEdit_, EM_SETSEL, 0, 0);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(richEdit_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    d.FontName = cf.szFaceName;
    d.FontSize = int(cf.yHeight / 20);
    d.FontColor = int(cf.crTextColor);
    d.FontStyle = EffectsToStyle(cf.dwEffects);
    d.Colorx64 = ORGColor;
    RECT r = LogicalStoredBounds();
    d.Left = r.left + 5, d.Top = r.top + 5;
    d.Width = r.right - r.left, d.Height = r.bottom - r.top;
    d.Waku = WakuNum, d.Thru = Tomei, d.Border = Border, d.AlphaValue = AlphaValue;
    return d;
}

void TKELUPSHI::M_DefaultClick() { host_->SaveDefaultDesign(Design()); }

void TKELUPSHI::M_InfoClick() {
    TopRelease();
    ShowMsg(InfoText(), 0, hwnd_);
    TopSet();
}

std::wstring TKELUPSHI::InfoText() const {
    auto dateTime = [](double v) {
        CivilDateTime t = DecodeDateTime(v);
        return std::pair{SystemDateText(t), SystemTimeText(t)};
    };
    NoteInfoFacts f;
    auto [madeDate, madeTime] = dateTime(MakeDT);
    f.made = madeDate + L" " + madeTime;
    f.dataName = DataName, f.bkgndName = BkgndName;
    f.senderName = SenderName;   // the peer list's display name comes with the LAN lists
    if (!SenderName.empty()) f.sendDate = dateTime(SendDate).first, f.sendTime = dateTime(SendTime).second;
    f.senderAddr = SenderAddr;
    f.hasDeadline = K_Date != 0;
    f.everyDay = EveryDay == 1;
    if (f.hasDeadline) std::tie(f.deadlineDate, f.deadlineTime) = dateTime(K_Date);
    f.openFName = OpenFName;
    return NoteInfoText(f);
}

void TKELUPSHI::M_KanrenClick() {
    TopRelease();
    std::wstring text = OpenFName;
    if (host_->ChooseAssociation(hwnd_, text)) {
        OpenFName = text;
        host_->SaveNotes();
    }
    TopSet();
}

void TKELUPSHI::OnDropFiles(HDROP drop) {
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::wstring path;
    if (count == 1) {
        wchar_t buf[MAX_PATH + 1] = {};
        DragQueryFileW(drop, 0, buf, MAX_PATH + 1);
        path = buf;
    }
    DragFinish(drop);
    if (count == 0 || !host_) return;
    switch (ChooseDrop(count, path, host_->NoteConfig().FileDropMode, Tomei)) {
        case DropAction::TooMany:
            host_->BringAppToFront();
            ShowMsg(L"複数ﾌｧｲﾙのﾄﾞﾛｯﾌﾟはｻﾎﾟｰﾄされていません", 0, hwnd_);
            return;
        case DropAction::Associate:
            OpenFName = path;
            host_->SaveNotes();
            host_->BringAppToFront();
            ShowMsg(path + L"はこの付箋紙に関連づけられました", 0, hwnd_);
            return;
        case DropAction::ImageOnTransparent:
            ShowMsg(L"この透明付箋紙に画像ファイルはドロップできません", 0, hwnd_);
            return;
        case DropAction::ImageNote:
            host_->DropPicture(path);
            return;
        case DropAction::TextNote:
            host_->MakeKelup(path);
            return;
        case DropAction::ReplaceText:
            host_->ReplaceTextFromFile(MyNumber, path);
            return;
    }
}

void TKELUPSHI::OnLink(const ENLINK& link) {
    if (link.msg != WM_LBUTTONDOWN) return;
    LONG len = std::min<LONG>(link.chrg.cpMax - link.chrg.cpMin, 65535);
    if (len <= 0) return;
    std::wstring url(size_t(len) + 1, L'\0');
    TEXTRANGEW range{{link.chrg.cpMin, link.chrg.cpMin + len}, url.data()};
    LRESULT got = SendMessageW(richEdit_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    url.resize(size_t(std::max<LRESULT>(got, 0)));
    if (!url.empty() && (!host_ || host_->MayOpen(MyNumber, url)))
        ShellExecuteW(hwnd_, L"open", url.c_str(), nullptr, nullptr, SW_SHOW);
    SendMessageW(richEdit_, EM_SETSEL, 0, 0);
}

bool TKELUPSHI::M_CopyLineClick(int n) { return LineCopy(n - 1); }

void TKELUPSHI::M_LimitClick() {
    TopRelease();
    if (host_) host_->M_LimitClick(MyNumber);
}

void TKELUPSHI::OnCommand(int id) {
    NoteHost* main = host_;
    if (!main) return;
    if (OnDirectCommand(id) || OnTextCommand(id)) return;
    switch (id) {
        case ID_LOG1: main->PeelNote(MyNumber, PeelKind::Log1); return;
        case ID_N_Exit: main->PeelNote(MyNumber, PeelKind::Exit); return;
        case ID_LOG2: main->PeelNote(MyNumber, PeelKind::Comment); return;
        case ID_M_Hide: HideFG = 1; HideAction(); return;
        case ID_M_Hide1: HideFG = 2; HideAction(); return;
        case ID_M_Lock: M_LockClick(); return;
        case ID_M_StayOnTop: M_StayOnTopClick(main->NoteConfig().Bottom); return;
        case ID_M_StayOnBottom: M_StayOnBottomClick(); return;
        case ID_M_Border: M_BorderClick(); return;
        case ID_NewKelup: main->MakeKelup(L""); return;
        // The editor may peel the note: nothing of it is touched afterwards.
        case ID_String1: main->InputBoxExec(MyNumber, 0); return;
        case ID_M_Send: main->InputBoxExec(MyNumber, 0); return;
        case ID_M_Res: main->InputBoxExec(MyNumber, -1); return;
        case ID_MRep: main->RepKelup(MyNumber, 0); return;
        case ID_M_EmptyRep: main->RepKelup(MyNumber, 1); return;
        case ID_M_MainMenu: {
            POINT pt;
            GetCursorPos(&pt);
            main->MainMenuPopup(pt);
            return;
        }
        case ID_Color1: Color1Click(); return;
        case ID_M_FontColorAll: M_FontColorAllClick(); return;
        case ID_M_Default: M_DefaultClick(); return;
        case ID_M_Info: M_InfoClick(); return;
        case ID_M_Kanren: M_KanrenClick(); return;
        case ID_M_Execute: M_ExecuteClick(); return;
        case ID_M_Limit: M_LimitClick(); return;
        default:
            if (id >= ID_Waku0 && id <= ID_Waku6) {
                WakuNum = WakuNumBk = id - ID_Waku0;
                WakuSet(WakuNum);
            } else if (id >= ID_M_CopyLine1 && id <= ID_M_CopyLine9) {
                M_CopyLineClick(id - ID_M_CopyLine1 + 1);
            }
            return;
    }
}

}  // namespace kelup
