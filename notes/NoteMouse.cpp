// A text note and the mouse: how its surface answers hit tests, the text
// area's mouse, cursors, the whole-text hint, translucency under the
// pointer, and the double-click.

#include "notes/TKELUPSHI.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "app/Settings.h"
#include "notes/DoubleClick.h"
#include "notes/HitZones.h"
#include "notes/RichText.h"

namespace kelup {

namespace {

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

LRESULT TKELUPSHI::HitTest(POINT screen) {
    if (host_ && host_->LimitBusy()) return HTNOWHERE;
    RECT c;
    GetClientRect(hwnd_, &c);
    POINT p = screen;
    ScreenToClient(hwnd_, &p);
    LRESULT zone = ZoneOf(c, p, Margin());
    EdgeHit = zone != HTNOWHERE && zone != HTCAPTION;
    if (host_) host_->ArrivalSeenBy(MyNumber);
    if (zone == HTCAPTION) ShowTextHint();
    else if (host_ && host_->NoteConfig().ToolTipHint == 1) HideTextHint();
    if (zone == HTNOWHERE) zone = HTCLIENT;
    if (LockMode == 1) return HTBORDER;
    return zone;
}

void TKELUPSHI::OnNcDoubleClick() {
    if (!host_) return;
    HideTextHint();
    const Settings& s = host_->NoteConfig();
    DblClickState st;
    // The modifiers as remembered from the note's own key presses, or as
    // held now: a key pressed while another window had the keyboard counts.
    bool alt = GetAsyncKeyState(VK_MENU) < 0, ctrl = GetAsyncKeyState(VK_CONTROL) < 0,
         shift = GetAsyncKeyState(VK_SHIFT) < 0;
    st.alt = AltKeyDown || (alt && !ctrl && !shift);
    st.shift = ShftKeyDown || (shift && !alt && !ctrl);
    st.ctrl = CtrlKeyDown || (ctrl && !alt && !shift);
    st.downKey = DownKey;
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
            host_->InputBoxExec(MyNumber, 0);   // the note may be gone after this
            return;
        case DblClickAction::Edit:
            host_->InputBoxExec(MyNumber, 0);
            return;
        case DblClickAction::DirectEdit:
            M_DirectClick();
            break;
        case DblClickAction::AutoSize:
            // Auto-size comes with that feature.
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

LRESULT CALLBACK TKELUPSHI::RichProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    return reinterpret_cast<TKELUPSHI*>(ref)->OnRichMessage(h, msg, wp, lp);
}

// The text area covers nearly the whole note, so its mouse repeats the frame's.
LRESULT TKELUPSHI::OnRichMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    bool direct = host_ && host_->DirectEditing();
    if (direct && DirectEditing()) {
        switch (msg) {
            case WM_KEYDOWN:
            case WM_KEYUP:
                if (OnDirectKey(msg, wp)) return 0;
                break;
            case WM_CHAR: {
                // The control characters of the shortcuts taken above.
                static const wchar_t kTaken[] = {0x13, 0x18, 0x03, 0x16, 0x01, 0x1A, 0x19, 0x02, 0x09,
                                                 0x15, 0x05, 0x12, 0x1B};
                bool ctrl = GetKeyState(VK_CONTROL) < 0;
                if (wp == 0x1B || (ctrl && std::find(std::begin(kTaken), std::end(kTaken), wchar_t(wp)) != std::end(kTaken)))
                    return 0;
                break;
            }
            case WM_RBUTTONUP:
                OpenDirectMenu();
                return 0;
        }
    } else if (msg == WM_CHAR && wp >= '1' && wp <= '9' &&
               (GetWindowLongPtrW(h, GWL_STYLE) & ES_READONLY)) {
        return 0;   // digits held for the double-click are not typed
    }
    if (!direct) {
        switch (msg) {
            case WM_LBUTTONDOWN: {
                POINT p{GET_X_LPARAM(lp) + kTextInset * (shownWaku_ != 0), GET_Y_LPARAM(lp) + kTextInset * (shownWaku_ != 0)};
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
                POINT p{GET_X_LPARAM(lp) + kTextInset * (shownWaku_ != 0), GET_Y_LPARAM(lp) + kTextInset * (shownWaku_ != 0)};
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
                POINT p{GET_X_LPARAM(lp) + kTextInset * (shownWaku_ != 0), GET_Y_LPARAM(lp) + kTextInset * (shownWaku_ != 0)};
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

}  // namespace kelup
