#include "app/ShowMsg.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/MsgBoxType.h"
#include "base/Handles.h"
#include "res/resource.h"

namespace kelup {

namespace {

constexpr int kCorner = 10;
constexpr int kMargin = 16;
constexpr int kButtonH = 28;
constexpr int kButtonMinW = 88;
constexpr int kGap = 8;

// Normal, hover and pressed fills. The grey ones are those of Cancel and No.
constexpr COLORREF kBlue[3] = {RGB(0, 103, 192), RGB(24, 122, 210), RGB(0, 84, 160)};
constexpr COLORREF kGrey[3] = {8222060, 6972252, 6577750};

struct MsgState {
    const std::wstring* text;
    MsgBoxType type;
    AutoFont buttonFont;
    HWND hover = nullptr;
};

const wchar_t* IconFor(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Error: return IDI_HAND;
        case MsgIcon::Question: return IDI_QUESTION;
        case MsgIcon::Warning: return IDI_EXCLAMATION;
        case MsgIcon::Information: return IDI_ASTERISK;
        default: return nullptr;
    }
}

LRESULT CALLBACK ButtonProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* st = reinterpret_cast<MsgState*>(ref);
    if (msg == WM_MOUSEMOVE && st->hover != h) {
        HWND old = st->hover;
        st->hover = h;
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, h, 0};
        TrackMouseEvent(&tme);
        InvalidateRect(h, nullptr, FALSE);
        if (old) InvalidateRect(old, nullptr, FALSE);
    } else if (msg == WM_MOUSELEAVE && st->hover == h) {
        st->hover = nullptr;
        InvalidateRect(h, nullptr, FALSE);
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(h, ButtonProc, 0);
    }
    return DefSubclassProc(h, msg, wp, lp);
}

void DrawButton(MsgState* st, const DRAWITEMSTRUCT* di) {
    bool grey = false;
    for (auto& b : st->type.buttons)
        if (int(di->CtlID) == b.id) grey = b.grey;
    const COLORREF* tones = grey ? kGrey : kBlue;
    int tone = (di->itemState & ODS_SELECTED) ? 2 : (st->hover == di->hwndItem ? 1 : 0);
    HDC dc = di->hDC;
    RECT rc = di->rcItem;
    // Paint the corners in the dialog's colour, then the rounded face.
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    AutoBrush face(CreateSolidBrush(tones[tone]));
    AutoPen edge(CreatePen(PS_SOLID, 1, tones[tone]));
    HGDIOBJ oldBrush = SelectObject(dc, face.get());
    HGDIOBJ oldPen = SelectObject(dc, edge.get());
    RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, kCorner, kCorner);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);

    wchar_t caption[64] = {};
    GetWindowTextW(di->hwndItem, caption, 64);
    HGDIOBJ oldFont = SelectObject(dc, st->buttonFont.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, caption, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    if (di->itemState & ODS_FOCUS) {
        RECT f = rc;
        InflateRect(&f, -4, -4);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &f);
    }
}

void Layout(HWND dlg, MsgState* st) {
    HFONT dlgFont = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
    HDC dc = GetDC(dlg);
    HGDIOBJ old = SelectObject(dc, dlgFont);
    int maxTextW = GetSystemMetrics(SM_CXSCREEN) * 2 / 3;
    RECT tr{0, 0, maxTextW, 0};
    DrawTextW(dc, st->text->c_str(), -1, &tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    int btnW = kButtonMinW;
    for (auto& b : st->type.buttons) {
        SIZE sz{};
        GetTextExtentPoint32W(dc, b.caption.c_str(), int(b.caption.size()), &sz);
        btnW = std::max(btnW, int(sz.cx) + 24);
    }
    SelectObject(dc, old);
    ReleaseDC(dlg, dc);

    const wchar_t* iconId = IconFor(st->type.icon);
    int iconW = iconId ? GetSystemMetrics(SM_CXICON) : 0;
    int iconH = iconId ? GetSystemMetrics(SM_CYICON) : 0;
    int textX = kMargin + (iconId ? iconW + kMargin : 0);
    int bodyH = std::max<int>(tr.bottom, iconH);
    int nb = int(st->type.buttons.size());
    int buttonsW = nb * btnW + (nb - 1) * kGap;
    int clientW = std::max(textX + int(tr.right) + kMargin, buttonsW + 2 * kMargin);
    clientW = std::max(clientW, 240);
    int clientH = kMargin + bodyH + kMargin + kButtonH + kMargin;

    if (iconId) {
        HWND ic = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, kMargin, kMargin,
                                  iconW, iconH, dlg, nullptr, nullptr, nullptr);
        SendMessageW(ic, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, iconId)), 0);
    }
    HWND text = CreateWindowExW(0, L"STATIC", st->text->c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_LEFT,
                                textX, kMargin + (bodyH - tr.bottom) / 2, tr.right, tr.bottom, dlg,
                                reinterpret_cast<HMENU>(0xFFFF), nullptr, nullptr);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(dlgFont), FALSE);

    int x = (clientW - buttonsW) / 2, y = clientH - kMargin - kButtonH;
    HWND defButton = nullptr;
    for (int i = 0; i < nb; ++i) {
        const auto& b = st->type.buttons[i];
        HWND h = CreateWindowExW(0, L"BUTTON", b.caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                                 x, y, btnW, kButtonH, dlg, reinterpret_cast<HMENU>(INT_PTR(b.id)), nullptr,
                                 nullptr);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(st->buttonFont.get()), FALSE);
        SetWindowSubclass(h, ButtonProc, 0, reinterpret_cast<DWORD_PTR>(st));
        if (i == st->type.defaultIndex) defButton = h;
        x += btnW + kGap;
    }

    RECT wr{0, 0, clientW, clientH};
    AdjustWindowRectEx(&wr, DWORD(GetWindowLongPtrW(dlg, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtrW(dlg, GWL_EXSTYLE)));
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    // Centred on the screen that holds the owner (the primary one when none).
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromWindow(GetWindow(dlg, GW_OWNER), MONITOR_DEFAULTTOPRIMARY), &mi);
    int sx = mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - w) / 2;
    int sy = mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - h) / 2;
    SetWindowPos(dlg, HWND_TOP, sx, sy, w, h, SWP_NOZORDER);

    if (defButton) {
        SendMessageW(dlg, DM_SETDEFID, GetDlgCtrlID(defButton), 0);
        SetFocus(defButton);
    }
}

INT_PTR CALLBACK MsgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* st = reinterpret_cast<MsgState*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            st = reinterpret_cast<MsgState*>(lp);
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            Layout(dlg, st);
            SetForegroundWindow(dlg);
            return FALSE;   // the focus is set on the default button
        }
        case WM_DRAWITEM:
            if (st) DrawButton(st, reinterpret_cast<DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_COMMAND: {
            int id = LOWORD(wp);
            if (id == IDCANCEL) {
                // Esc and the close box give Cancel where there is one, and
                // OK for a box with only OK; a Yes/No box waits for a choice.
                bool hasCancel = false;
                for (auto& b : st->type.buttons) hasCancel |= b.id == kIdCancel;
                if (hasCancel || st->type.buttons.size() == 1) EndDialog(dlg, st->type.cancelId);
                return TRUE;
            }
            for (auto& b : st->type.buttons)
                if (b.id == id) {
                    EndDialog(dlg, id);
                    return TRUE;
                }
            return FALSE;
        }
        case WM_CLOSE:
            SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

int ShowMsg(const std::wstring& strMsg, unsigned nType, HWND owner) {
    MsgState st;
    // Old messages separate lines with a bare CR; the static control wants CRLF.
    std::wstring text;
    for (size_t i = 0; i < strMsg.size(); ++i) {
        if (strMsg[i] == L'\r' && (i + 1 >= strMsg.size() || strMsg[i + 1] != L'\n')) text += L"\r\n";
        else text += strMsg[i];
    }
    st.text = &text;
    st.type = DecodeMsgType(nType);
    LOGFONTW lf{};
    HDC dc = GetDC(nullptr);
    lf.lfHeight = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(nullptr, dc);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfWeight = FW_NORMAL;
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        lstrcpynW(lf.lfFaceName, ncm.lfMessageFont.lfFaceName, LF_FACESIZE);
    st.buttonFont.reset(CreateFontIndirectW(&lf));
    if (!owner) owner = GetActiveWindow();
    INT_PTR r = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MSGBOX), owner, MsgProc,
                                reinterpret_cast<LPARAM>(&st));
    return r <= 0 ? st.type.cancelId : int(r);
}

}  // namespace kelup
