// A text note: its window, its look, its place and stacking, hiding, and
// the messages it takes. The mouse is in NoteMouse.cpp, the context menu
// and its commands in NoteCommands.cpp.

#include "notes/TKELUPSHI.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/Settings.h"
#include "base/FileOps.h"
#include "notes/RichText.h"
#include "notes/RtfSpacing.h"
#include "res/resource.h"

namespace kelup {

namespace {

// Alt+F4 on a note ended the program.
bool g_ending = false;

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
    int inset = shownWaku_ == 0 ? 0 : kTextInset;
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
    if (!ReadWholeFile(path, bytes)) {
        ApplyLineSpace();
        return false;
    }
    return ShowRtf(bytes);
}

bool TKELUPSHI::ShowRtf(const std::string& bytes) {
    bool ok = RichFromRtf(richEdit_, bytes);
    // Single spacing that the text has already needs no setting: asking the
    // control would lay the whole text out at once.
    if (LineSpace < 20) LineSpace = 20;
    if (!(ok && LineSpace == 20 && RtfIsSingleSpaced(bytes))) ApplyLineSpace();
    return ok;
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
        case WM_SETFOCUS:
            // Activated: the keyboard goes to the text area (and from there
            // to the note while the text is read-only).
            SetFocus(richEdit_);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_COMMAND:
            if (lp && reinterpret_cast<HWND>(lp) == richEdit_) {
                OnRichNotify(HIWORD(wp));
                return 0;
            }
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
