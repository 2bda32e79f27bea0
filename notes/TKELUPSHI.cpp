#include "notes/TKELUPSHI.h"

#include <commctrl.h>
#include <windowsx.h>
#include <richedit.h>
#include <shellapi.h>

#include "app/Settings.h"
#include "notes/DoubleClick.h"
#include "notes/HitZones.h"
#include "notes/RtfSpacing.h"
#include "base/FileOps.h"
#include "notes/NoteDrop.h"
#include "notes/NoteInfo.h"
#include "app/ShowMsg.h"
#include "notes/NoteMenuPlan.h"
#include "dates/DateTime.h"
#include "dates/SystemFormat.h"
#include "notes/RichText.h"
#include "res/resource.h"

namespace kelup {

namespace {

constexpr int kInset = 2;   // the text area sits two pixels inside a frame

// Alt+F4 on a note ended the program.
bool g_ending = false;


// The hit-test code of a zone of the note's surface.
LRESULT ZoneOf(const RECT& c, POINT p, int m) {
    switch (ZoneAt(c.left, c.top, c.right, c.bottom, p.x, p.y, m)) {
        case Zone::Inner: return HTCAPTION;
        case Zone::Right: return HTRIGHT;
        case Zone::Left: return HTLEFT;
        case Zone::Top: return HTTOP;
        case Zone::Bottom: return HTBOTTOM;
        case Zone::TopLeft: return HTTOPLEFT;
        case Zone::BottomLeft: return HTBOTTOMLEFT;
        case Zone::BottomRight: return HTBOTTOMRIGHT;
        case Zone::TopRight: return HTTOPRIGHT;
        default: return HTNOWHERE;
    }
}

const wchar_t* CursorFor(LRESULT zone) {
    switch (zone) {
        case HTTOP: case HTBOTTOM: return IDC_SIZENS;
        case HTLEFT: case HTRIGHT: return IDC_SIZEWE;
        case HTBOTTOMLEFT: case HTTOPRIGHT: return IDC_SIZENESW;
        case HTTOPLEFT: case HTBOTTOMRIGHT: return IDC_SIZENWSE;
        default: return IDC_ARROW;
    }
}

}  // namespace

bool TKELUPSHI::Create(HWND owner, int number, bool border, NoteHost* host, const RECT* place) {
    RegisterClassOnce(kTextNoteClass, CS_DBLCLKS, L"MAINICON");
    host_ = host;
    MyNumber = number;
    Border = border ? 1 : 0;
    DWORD style = WS_POPUP | WS_CLIPCHILDREN | (border ? WS_BORDER : 0);
    // Made where it will stand, and taking dropped files from the start: each
    // later change of a top-level window costs a round trip under Wine.
    RECT at = place ? *place : RECT{0, 0, 272, 60};
    CreateWin(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES, kTextNoteClass, L"", style, at.left, at.top, at.right - at.left,
              at.bottom - at.top, owner);
    if (!hwnd_) return false;
    GetWindowRect(hwnd_, &bounds_);
    shownWaku_ = ShownWaku(WakuNum);
    RECT text = TextArea();
    richEdit_ = CreateWindowExW(0, kRichEditClass, L"",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL,
                                text.left, text.top, text.right - text.left, text.bottom - text.top, hwnd_,
                                reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), nullptr);
    if (!richEdit_) return false;
    SendMessageW(richEdit_, EM_SETEVENTMASK, 0, ENM_LINK);
    SendMessageW(richEdit_, EM_AUTOURLDETECT, TRUE, 0);
    SendMessageW(richEdit_, EM_SETTEXTMODE, TM_RICHTEXT, 0);
    SetWindowSubclass(richEdit_, RichProc, 1, reinterpret_cast<DWORD_PTR>(this));
    DownKey = 0;
    AlphaValue = 255;
    SetColor(ORGColor);
    return true;
}

HMENU TKELUPSHI::Menu() {
    if (!menu_) {
        menu_.reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENUX)));
        if (host_ && host_->NetworkOff()) {
            HMENU m = GetSubMenu(menu_.get(), 0);
            for (int pos : {10, 9, 8})
                if (GetMenuItemCount(m) > pos) DeleteMenu(m, pos, MF_BYPOSITION);
        }
    }
    return menu_.get();
}

int TKELUPSHI::Margin() const { return Scale(host_ ? std::max(host_->NoteConfig().SizingMargin, 0) : 8); }

int TKELUPSHI::Dpi() const {
    UINT dpi = hwnd_ ? GetDpiForWindow(hwnd_) : 0;
    return dpi ? int(dpi) : 96;
}

void TKELUPSHI::SetLogicalBounds(int left, int top, int width, int height) {
    SetBounds(Scale(left), Scale(top), Scale(width), Scale(height));
}

RECT TKELUPSHI::LogicalStoredBounds() const {
    RECT r = StoredBounds();
    int left = Unscale(r.left), top = Unscale(r.top);
    return RECT{left, top, left + Unscale(r.right - r.left), top + Unscale(r.bottom - r.top)};
}

void TKELUPSHI::SetColor(int color) {
    if (color == brushColor_) return;
    brushColor_ = color;
    brush_.reset(CreateSolidBrush(COLORREF(color)));
    SendMessageW(richEdit_, EM_SETBKGNDCOLOR, 0, COLORREF(color));
    if (IsWindowVisible(hwnd_)) InvalidateRect(hwnd_, nullptr, TRUE);   // a window being shown is painted whole
}

int TKELUPSHI::ShownWaku(int wn) { return (wn == 0 || (wn >= 2 && wn <= 6)) ? wn : 1; }

void TKELUPSHI::WakuSet(int wn) {
    if (ShownWaku(wn) == shownWaku_) return;   // the text area is laid out as the frame wants
    shownWaku_ = ShownWaku(wn);
    Layout();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT TKELUPSHI::TextArea() const {
    RECT c;
    GetClientRect(hwnd_, &c);
    int inset = shownWaku_ == 0 ? 0 : kInset;
    return RECT{inset, inset, inset + std::max<int>(c.right - 2 * inset, 0), inset + std::max<int>(c.bottom - 2 * inset, 0)};
}

void TKELUPSHI::Layout() {
    RECT t = TextArea();
    MoveWindow(richEdit_, t.left, t.top, t.right - t.left, t.bottom - t.top, TRUE);
}

void TKELUPSHI::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT c;
    GetClientRect(hwnd_, &c);
    FillRect(dc, &c, brush_.get());
    // Outer and inner bevel of each frame style: raised or lowered, or none.
    static const UINT kOuter[7] = {0, BDR_RAISEDINNER, BDR_RAISEDINNER, BDR_SUNKENOUTER, BDR_RAISEDINNER,
                                   BDR_SUNKENOUTER, BDR_SUNKENOUTER};
    static const UINT kInner[7] = {0, 0, BDR_RAISEDINNER, BDR_RAISEDINNER, BDR_SUNKENOUTER, 0, BDR_SUNKENOUTER};
    if (shownWaku_ != 0) {
        DrawEdge(dc, &c, kOuter[shownWaku_], BF_RECT);
        if (kInner[shownWaku_]) {
            RECT in = c;
            InflateRect(&in, -1, -1);
            DrawEdge(dc, &in, kInner[shownWaku_], BF_RECT);
        }
    }
    EndPaint(hwnd_, &ps);
}

void TKELUPSHI::ApplyLineSpace() {
    if (LineSpace < 20) LineSpace = 20;
    RichSetLineSpace(richEdit_, LineSpace);
}

RECT TKELUPSHI::StoredBounds() const { return rescued_ ? home_ : bounds_; }

void TKELUPSHI::RescueTo(const RECT& r) {
    RECT home = rescued_ ? home_ : bounds_;
    movingSelf_ = true;
    SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    movingSelf_ = false;
    home_ = home;
    rescuedAt_ = bounds_;
    rescued_ = true;
}

void TKELUPSHI::ReturnHome() {
    if (!rescued_) return;
    movingSelf_ = true;
    SetBounds(home_.left, home_.top, home_.right - home_.left, home_.bottom - home_.top);
    movingSelf_ = false;
    rescued_ = false;
}

void TKELUPSHI::SetBounds(int left, int top, int width, int height) {
    if (bounds_.left == left && bounds_.top == top && bounds_.right - bounds_.left == width &&
        bounds_.bottom - bounds_.top == height)
        return;
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}


void TKELUPSHI::SetZOrder(HWND after, bool pin) {
    ZOrderFG = FALSE;
    SetWindowPos(hwnd_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (pin) ZOrderFG = TRUE;
}

// The menu's check marks follow StOnTp when it opens.
void TKELUPSHI::ApplyStacking(int bottomSetting) {
    ZOrderFG = FALSE;
    if (StOnTp == 1) SetZOrder(HWND_TOPMOST, true);
    else if (StOnTp == 2 || bottomSetting == 1) SetZOrder(HWND_BOTTOM, true);
}

void TKELUPSHI::M_StayOnTopClick(int bottomSetting) {
    if (StOnTp != 1) {
        StOnTp = 1;
        SetZOrder(HWND_TOPMOST, true);
    } else {
        StOnTp = 0;
        if (bottomSetting == 1) SetZOrder(HWND_BOTTOM, true);
        else SetZOrder(HWND_NOTOPMOST, false);
    }
}

void TKELUPSHI::M_StayOnBottomClick() {
    if (StOnTp != 2) {
        StOnTp = 2;
        SetZOrder(HWND_NOTOPMOST, false);
        SetZOrder(HWND_BOTTOM, true);
    } else {
        StOnTp = 0;
        SetZOrder(HWND_NOTOPMOST, false);
    }
}

void TKELUPSHI::TopSet() {
    if (StOnTp == 1) SetZOrder(HWND_TOPMOST, true);
}

void TKELUPSHI::TopRelease() {
    if (StOnTp != 1) return;
    if (host_) host_->BringAppToFront();
    ZOrderFG = FALSE;
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TKELUPSHI::M_LockClick() { LockMode = LockMode == 1 ? 0 : 1; }

void TKELUPSHI::M_BorderClick() {
    RECT r = Bounds();
    int w = r.right - r.left, h = r.bottom - r.top;
    bool wasVisible = IsWindowVisible(hwnd_);
    ShowWindow(hwnd_, SW_HIDE);
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    if (Border == 0) {
        SetWindowLongPtrW(hwnd_, GWL_STYLE, style | WS_BORDER);
        w += 1, h += 1, Border = 1;
    } else {
        SetWindowLongPtrW(hwnd_, GWL_STYLE, style & ~LONG_PTR(WS_BORDER));
        w -= 1, h -= 1, Border = 0;
    }
    SetWindowPos(hwnd_, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(hwnd_, nullptr, TRUE);
    if (wasVisible) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

std::wstring TKELUPSHI::HiddenCaption() const {
    auto lines = RichLines(richEdit_);
    std::wstring caption = lines.empty() ? L"" : lines[0];
    if (caption.empty()) caption = L"付箋紙" + std::to_wstring(MyNumber);
    if (caption.size() >= 25) caption = caption.substr(0, 22) + L"...";
    if (HideFG == 1) caption = L"※" + caption;
    return caption;
}

void TKELUPSHI::HideAction() {
    HideTextHint();
    if (host_) hiddenMenuId_ = host_->AddHiddenEntry(true, MyNumber, HiddenCaption());
    LimitActFG = 0;
    ShowWindow(hwnd_, SW_HIDE);
}

void TKELUPSHI::ShowAgain() {
    HideFG = 0;
    hiddenMenuId_ = 0;
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void TKELUPSHI::ApplyAlpha() {
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    if (AlphaValue > 254 || Tomei != 0) {
        AlphaValue = 255;
        if (ex & WS_EX_LAYERED) SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex & ~LONG_PTR(WS_EX_LAYERED));
    } else {
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        SetLayeredWindowAttributes(hwnd_, 0, BYTE(std::max(AlphaValue, 0)), LWA_ALPHA);
    }
}

void TKELUPSHI::ShowNote() {
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    if (StOnTp == 1) {
        SetZOrder(HWND_TOPMOST, true);   // a note that stays on top is back on top
    } else if (BringTopFG) {
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
        BringTopFG = false;
        SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
}

void TKELUPSHI::M_TomeiClick() {
    if (Tomei != 0) Tomei = 0;
    else Tomei = 2;
}

bool TKELUPSHI::LoadText(const std::wstring& path) {
    std::string bytes;
    bool ok = ReadWholeFile(path, bytes) && RichFromRtf(richEdit_, bytes);
    // Single spacing that the text has already needs no setting: asking the
    // control would lay the whole text out at once.
    if (LineSpace < 20) LineSpace = 20;
    if (!(ok && LineSpace == 20 && RtfIsSingleSpaced(bytes))) ApplyLineSpace();
    return ok;
}

LRESULT TKELUPSHI::HitTest(POINT screen) {
    if (host_ && host_->LimitBusy()) return HTNOWHERE;
    RECT c;
    GetClientRect(hwnd_, &c);
    POINT p = screen;
    ScreenToClient(hwnd_, &p);
    LRESULT zone = ZoneOf(c, p, Margin());
    EdgeHit = zone != HTNOWHERE && zone != HTCAPTION;
    if (host_) host_->ArrivalSeen();
    if (zone == HTCAPTION) ShowTextHint();
    else if (host_ && host_->NoteConfig().ToolTipHint == 1) HideTextHint();
    if (zone == HTNOWHERE) zone = HTCLIENT;
    if (LockMode == 1) return HTBORDER;
    return zone;
}

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
    HMENU m = PopupMenuX();
    HideTextHint();
    POINT pt;
    GetCursorPos(&pt);
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(m, TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
    InvalidateRect(richEdit_, nullptr, TRUE);
}

void TKELUPSHI::OnNcDoubleClick() {
    if (!host_) return;
    HideTextHint();
    const Settings& s = host_->NoteConfig();
    DblClickState st;
    st.alt = AltKeyDown, st.shift = ShftKeyDown, st.ctrl = CtrlKeyDown, st.downKey = DownKey;
    st.dblClickMode = s.DblClickMode, st.hasOpenFile = !OpenFName.empty(), st.keyOpen = KeyOpen;
    st.edgeHit = EdgeHit, st.edgeDblClick = s.EdgeDblClick, st.lockMode = LockMode, st.autoSizeSelect = s.AutoSizeSelect;
    DblClickChoice c = ChooseDoubleClick(st);
    switch (c.action) {
        case DblClickAction::Hide:
            HideFG = 2;
            HideAction();
            break;
        case DblClickAction::PeelLog:
            host_->PeelNote(MyNumber, PeelKind::Log1);   // the window is gone after this
            return;
        case DblClickAction::OpenFile:
            M_ExecuteClick();
            break;
        case DblClickAction::CopyLine:
            M_CopyLineClick(c.detail);
            break;
        case DblClickAction::FocusAndEdit:
            SetForegroundWindow(hwnd_);
            SetFocus(richEdit_);
            break;
        case DblClickAction::Edit:
        case DblClickAction::DirectEdit:
        case DblClickAction::AutoSize:
            // The compose editor, editing in place and auto-size come with
            // those features.
            break;
    }
}

void TKELUPSHI::OnPointer(POINT p) {
    if (!host_) return;
    host_->ArrivalSeen();
    if (!tracking_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, richEdit_, 0};
        tracking_ = TrackMouseEvent(&tme) != FALSE;
    }
    RECT c;
    GetClientRect(hwnd_, &c);
    LRESULT zone = ZoneOf(c, p, Margin());
    const Settings& s = host_->NoteConfig();
    if (zone == HTCAPTION) {
        ShowTextHint();
        if (AlphaValue != 255 && s.AutoShow == 1) SetBlending(false);
    } else {
        SetBlending(true);
        if (s.ToolTipHint == 1) HideTextHint();
    }
}

void TKELUPSHI::ShowTextHint() {
    if (!host_) return;
    const Settings& s = host_->NoteConfig();
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (s.ToolTipHint != 1 || (s.ToolTipCtrl == 1 && !ctrl) || host_->HintShown()) return;
    std::wstring text = RichPlainText(richEdit_);
    if (text.empty()) return;
    POINT at;
    GetCursorPos(&at);
    host_->ShowHint(text, at);
}

void TKELUPSHI::HideTextHint() {
    if (host_) host_->HideHint();
}

void TKELUPSHI::SetBlending(bool on) {
    if (AlphaValue == 255 || Tomei != 0) return;
    if (!(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED)) return;
    SetLayeredWindowAttributes(hwnd_, 0, BYTE(on ? std::max(AlphaValue, 0) : 255), LWA_ALPHA);
}

void TKELUPSHI::M_ExecuteClick() {
    if (OpenFName.empty()) return;
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
            // Pictures become image notes once those have windows.
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
    if (!url.empty()) ShellExecuteW(hwnd_, L"open", url.c_str(), nullptr, nullptr, SW_SHOW);
    SendMessageW(richEdit_, EM_SETSEL, 0, 0);
}

bool TKELUPSHI::M_CopyLineClick(int n) {
    std::vector<std::wstring> lines = RichLines(richEdit_);
    if (n < 1 || size_t(n) > lines.size()) return false;
    const std::wstring& line = lines[size_t(n - 1)];
    if (!OpenClipboard(hwnd_)) return false;
    EmptyClipboard();
    bool ok = false;
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (line.size() + 1) * sizeof(wchar_t))) {
        memcpy(GlobalLock(mem), line.c_str(), (line.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(mem);
        ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
        if (!ok) GlobalFree(mem);
    }
    CloseClipboard();
    return ok;
}

void TKELUPSHI::OnCommand(int id) {
    NoteHost* main = host_;
    if (!main) return;
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

LRESULT CALLBACK TKELUPSHI::RichProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    return reinterpret_cast<TKELUPSHI*>(ref)->OnRichMessage(h, msg, wp, lp);
}

// The text area covers nearly the whole note, so its mouse repeats the frame's.
LRESULT TKELUPSHI::OnRichMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    bool direct = host_ && host_->DirectEditing();
    if (!direct) {
        switch (msg) {
            case WM_LBUTTONDOWN: {
                POINT p{GET_X_LPARAM(lp) + kInset * (shownWaku_ != 0), GET_Y_LPARAM(lp) + kInset * (shownWaku_ != 0)};
                RECT c;
                GetClientRect(hwnd_, &c);
                LRESULT zone = ZoneOf(c, p, Margin());
                if (zone == HTNOWHERE) zone = HTCAPTION;
                EdgeHit = zone != HTCAPTION;
                if (LockMode == 1) zone = HTBORDER;
                SetForegroundWindow(hwnd_);
                ReleaseCapture();
                POINT s = p;
                ClientToScreen(hwnd_, &s);
                SendMessageW(hwnd_, WM_NCLBUTTONDOWN, zone, MAKELPARAM(s.x, s.y));
                // The move or size has ended: the caret back at the start.
                SendMessageW(h, EM_SETSEL, 0, 0);
                SendMessageW(h, EM_SCROLLCARET, 0, 0);
                SetFocus(h);
                return 0;
            }
            case WM_LBUTTONDBLCLK: {
                POINT p{GET_X_LPARAM(lp) + kInset * (shownWaku_ != 0), GET_Y_LPARAM(lp) + kInset * (shownWaku_ != 0)};
                RECT c;
                GetClientRect(hwnd_, &c);
                LRESULT zone = ZoneOf(c, p, Margin());
                EdgeHit = zone != HTNOWHERE && zone != HTCAPTION;
                SendMessageW(hwnd_, WM_NCLBUTTONDBLCLK, HTCAPTION, lp);
                return 0;
            }
            case WM_RBUTTONUP:
                OpenContextMenu();
                return 0;
            case WM_MOUSEMOVE: {
                POINT p{GET_X_LPARAM(lp) + kInset * (shownWaku_ != 0), GET_Y_LPARAM(lp) + kInset * (shownWaku_ != 0)};
                OnPointer(p);
                break;
            }
            case WM_MOUSELEAVE:
                // Gone from the note: no hint left behind, and the note as it was.
                tracking_ = false;
                HideTextHint();
                SetBlending(true);
                break;
            case WM_SETCURSOR:
                if (KeyOpen == 1) {
                    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
                } else if (LockMode != 1) {
                    POINT p;
                    GetCursorPos(&p);
                    ScreenToClient(hwnd_, &p);
                    RECT c;
                    GetClientRect(hwnd_, &c);
                    SetCursor(LoadCursorW(nullptr, CursorFor(ZoneOf(c, p, Margin()))));
                } else {
                    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
                }
                return TRUE;
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                SendMessageW(hwnd_, msg, wp, lp);
                break;
            case WM_KEYUP:
            case WM_SYSKEYUP:
                SendMessageW(hwnd_, msg, wp, lp);
                break;
        }
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, RichProc, 1);
    return DefSubclassProc(h, msg, wp, lp);
}

LRESULT TKELUPSHI::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NCHITTEST:
            return HitTest(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        case WM_NCLBUTTONDBLCLK:
            OnNcDoubleClick();
            return 0;
        case WM_NCRBUTTONUP:
        case WM_CONTEXTMENU:
            OpenContextMenu();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
            mmi->ptMinTrackSize.x = Scale(12);
            mmi->ptMinTrackSize.y = Margin() + Scale(12);
            return 0;
        }
        case WM_WINDOWPOSCHANGING: {
            LRESULT r = Default(msg, wp, lp);
            auto* wpos = reinterpret_cast<WINDOWPOS*>(lp);
            wpos->flags |= ZOrderFG ? SWP_NOZORDER : SWP_NOACTIVATE;
            return r;
        }
        case WM_DPICHANGED: {
            // Onto a monitor of another scale: the same size to the eye.
            const RECT* r = reinterpret_cast<const RECT*>(lp);
            SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_WINDOWPOSCHANGED:
            GetWindowRect(hwnd_, &bounds_);
            // Moved or sized by the user: this is its place now.
            if (rescued_ && !movingSelf_ && !EqualRect(&bounds_, &rescuedAt_)) rescued_ = false;
            break;
        case WM_SIZE:
            Layout();
            InvalidateRect(hwnd_, nullptr, TRUE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp));
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            if (msg == WM_SYSKEYDOWN && g_ending) return 0;
            DownKey = WORD(wp);
            bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
            AltKeyDown = alt && !ctrl && !shift;
            CtrlKeyDown = ctrl && !alt && !shift;
            ShftKeyDown = shift && !alt && !ctrl;
            if (msg == WM_SYSKEYDOWN && wp == VK_F4) {
                if (host_ && host_->NoteConfig().AltF4 == 0) {
                    g_ending = true;   // from now on no note takes a system key
                    host_->M_ExitClick();
                }
                return 0;
            }
            break;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP:
            DownKey = 0;
            AltKeyDown = CtrlKeyDown = ShftKeyDown = false;
            break;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_CLOSE) return 0;   // the system close never closes a note
            break;
        case WM_CLOSE:
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_NOTIFY: {
            auto* nm = reinterpret_cast<NMHDR*>(lp);
            if (nm->hwndFrom == richEdit_ && nm->code == EN_LINK) {
                OnLink(*reinterpret_cast<ENLINK*>(lp));
                return 0;
            }
            break;
        }
        case WM_NCDESTROY:
            DragAcceptFiles(hwnd_, FALSE);
            break;
    }
    return Default(msg, wp, lp);
}

}  // namespace kelup
