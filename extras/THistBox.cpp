#include "extras/THistBox.h"

#include <commctrl.h>
#include <windowsx.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>

#include "app/AppWindow.h"
#include "app/DateText.h"
#include "app/Shell.h"
#include "app/ShowMsg.h"
#include "base/Cp932.h"
#include "base/FileOps.h"
#include "base/Links.h"
#include "extras/HistoryText.h"
#include "notes/RichText.h"
#include "res/resource.h"

namespace kelup {

namespace {

constexpr int kPanelHeight = 24;   // Panel1 at 96 DPI

void SetCharFormat(HWND re, WPARAM which, const CHARFORMAT2W& cf) {
    SendMessageW(re, EM_SETCHARFORMAT, which, reinterpret_cast<LPARAM>(&cf));
}

// Moves the caret to the end of the text (the length counts line ends
// twice, and the control keeps the caret within its text).
void CaretToEnd(HWND re) {
    LRESULT len = SendMessageW(re, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(re, EM_SETSEL, WPARAM(len), LPARAM(len));
}

// Text put in by the program: the control is read-only only for the user.
void Insert(HWND re, const std::wstring& text) {
    SendMessageW(re, EM_SETREADONLY, FALSE, 0);
    SendMessageW(re, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(re, EM_SETREADONLY, TRUE, 0);
}

}  // namespace

THistBox::THistBox(Shell& shell) : shell_(shell) {}

THistBox::~THistBox() = default;

int THistBox::Scaled(int px) const {
    HDC dc = GetDC(hwnd_);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(hwnd_, dc);
    return MulDiv(px, dpi, 96);
}

void THistBox::Create() {
    if (hwnd_) return;
    // The values read at start.
    const Settings& c = shell_.Config();
    ini_ = IniFile(shell_.Path().IniPath);
    SIMPLE = c.HistSIMPLE;
    OPEN = c.HistOPEN;
    BKCOLOR = c.HistBKCOLOR;
    FONTSIZE = c.HistFONTSIZE;
    FONTCOLORS = c.HistFONTCOLORS;
    FONTCOLORR = c.HistFONTCOLORR;
    FONTNAME = c.HistFONTNAME;
    menu_.reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_HISTMENU)));
    popup_ = GetSubMenu(menu_.get(), 0);
    RegisterClassOnce(kHistBoxClass, CS_DBLCLKS, LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"),
                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    // No system menu, so no caption buttons: the main menu shows and hides it.
    CreateWin(0, kHistBoxClass, L"履歴", WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN,
              CW_USEDEFAULT, CW_USEDEFAULT, 600, 400, shell_.App().Handle());
    if (!hwnd_) return;

    NONCLIENTMETRICSW ncm{};

    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    uiFont_.reset(CreateFontIndirectW(&ncm.lfMessageFont));

    richEdit1_ = CreateWindowExW(WS_EX_CLIENTEDGE, kRichEditClass, L"",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                                     ES_NOHIDESEL | ES_SAVESEL,
                                 0, 0, 10, 10, hwnd_, reinterpret_cast<HMENU>(IDC_HistRichEdit1),
                                 GetModuleHandleW(nullptr), nullptr);
    btnClear_ = CreateWindowExW(0, L"BUTTON", L"クリア", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_FLAT, 0, 0, 10, 10,
                                hwnd_, reinterpret_cast<HMENU>(IDC_HistbtnClear), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(btnClear_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.get()), FALSE);
    // The transcript grows for the whole run.
    SendMessageW(richEdit1_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SendMessageW(richEdit1_, EM_SETUNDOLIMIT, 0, 0);
    SetWindowSubclass(richEdit1_, ChildProc, 1, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(btnClear_, ChildProc, 2, reinterpret_cast<DWORD_PTR>(this));

    // 1.
    btnClearClick();
    // 2.
    int left = ini_.GetInt(L"HISTBOX", L"LEFT", 10);
    int width = ini_.GetInt(L"HISTBOX", L"WIDTH", 600);
    int height = ini_.GetInt(L"HISTBOX", L"HEIGHT", 400);
    RECT now{};
    GetWindowRect(hwnd_, &now);
    int top = ini_.GetInt(L"HISTBOX", L"TOP", GetSystemMetrics(SM_CYSCREEN) - (now.bottom - now.top) - 10);
    // 3.
    ApplyFont();
    SendMessageW(richEdit1_, EM_SETBKGNDCOLOR, 0, LPARAM(COLORREF(BKCOLOR)));
    // 4. The toggle runs once from the opposite state.
    SimpleFG = SIMPLE == 1 ? 0 : 1;
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    M_SimpleClick();
    // 6. (before showing, so it opens where it was)
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // 7.
    LRESULT mask = SendMessageW(richEdit1_, EM_GETEVENTMASK, 0, 0);
    SendMessageW(richEdit1_, EM_SETEVENTMASK, 0, mask | ENM_LINK);
    SendMessageW(richEdit1_, EM_AUTOURLDETECT, 1, 0);
    for (const auto& [lines, side] : std::exchange(pending_, {})) AddLines(lines, side);
    // 5.
    if (OPEN == 1) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void THistBox::ApplyFont() {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET;
    lstrcpynW(cf.szFaceName, FONTNAME.c_str(), LF_FACESIZE);
    cf.yHeight = FONTSIZE * 20;
    cf.crTextColor = COLORREF(FONTCOLORS);
    cf.bCharSet = DEFAULT_CHARSET;
    SetCharFormat(richEdit1_, SCF_DEFAULT, cf);
    SetCharFormat(richEdit1_, SCF_SELECTION, cf);
}

void THistBox::Layout() {
    if (!hwnd_) return;
    RECT rc;
    GetClientRect(hwnd_, &rc);
    int panel = panelShown_ ? Scaled(kPanelHeight) : 0;
    int h = std::max<int>(0, int(rc.bottom) - panel);
    MoveWindow(richEdit1_, 0, 0, rc.right, h, TRUE);
    MoveWindow(btnClear_, 0, h, rc.right, panel, TRUE);
}

void THistBox::SetShown(bool show) {
    if (!hwnd_) return;
    ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE);
}

bool THistBox::Shown() const { return hwnd_ && IsWindowVisible(hwnd_); }

// --- the transcript -----------------------------------------------------------

void THistBox::AddLines(const std::vector<std::wstring>& lines, Side side) {
    if (lines.empty()) return;
    if (!richEdit1_) {
        pending_.emplace_back(lines, side);
        return;
    }
    CaretToEnd(richEdit1_);
    // The new lines take the colour of their direction; a link before them
    // does not reach into them.
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_COLOR | CFM_LINK;
    cf.crTextColor = COLORREF(side == Side::Sent ? FONTCOLORS : FONTCOLORR);
    SetCharFormat(richEdit1_, SCF_SELECTION, cf);
    bool afterText = SendMessageW(richEdit1_, WM_GETTEXTLENGTH, 0, 0) > 0;
    std::wstring text = AppendedLines(lines, afterText);
    Insert(richEdit1_, text);
    if (Shown()) SendMessageW(richEdit1_, WM_VSCROLL, SB_BOTTOM, 0);
}

// --- commands -----------------------------------------------------------------

void THistBox::btnClearClick() {
    SetWindowTextW(richEdit1_, L"");
    // The header takes the colour of sent lines, as the typing font has it.
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_COLOR | CFM_LINK;
    cf.crTextColor = COLORREF(FONTCOLORS);
    SetCharFormat(richEdit1_, SCF_SELECTION, cf);
    std::wstring header = TranscriptHeader(TodayText());
    Insert(richEdit1_, header);
}

void THistBox::M_CopyClick() { SendMessageW(richEdit1_, WM_COPY, 0, 0); }

void THistBox::M_SimpleClick() {
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    LONG_PTR reEx = GetWindowLongPtrW(richEdit1_, GWL_EXSTYLE);
    if (SimpleFG) {
        SimpleFG = 0;
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex & ~LONG_PTR(WS_EX_LAYERED));
        CheckMenuItem(popup_, ID_H_Simple, MF_BYCOMMAND | MF_UNCHECKED);
        SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~LONG_PTR(WS_POPUP)) | WS_CAPTION | WS_THICKFRAME);
        panelShown_ = true;
        ShowWindow(btnClear_, SW_SHOW);
        SetWindowLongPtrW(richEdit1_, GWL_EXSTYLE, reEx | WS_EX_CLIENTEDGE);
        SendMessageW(richEdit1_, EM_SHOWSCROLLBAR, SB_VERT, TRUE);
        SetWindowPos(richEdit1_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    } else {
        SimpleFG = 1;
        // Only the text stays visible: the background is the key colour.
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        SetLayeredWindowAttributes(hwnd_, COLORREF(BKCOLOR), 0, LWA_COLORKEY);
        CheckMenuItem(popup_, ID_H_Simple, MF_BYCOMMAND | MF_CHECKED);
        RECT re;
        GetWindowRect(richEdit1_, &re);
        SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~LONG_PTR(WS_CAPTION | WS_THICKFRAME)) | WS_POPUP);
        panelShown_ = false;
        ShowWindow(btnClear_, SW_HIDE);
        SetWindowLongPtrW(richEdit1_, GWL_EXSTYLE, reEx & ~LONG_PTR(WS_EX_CLIENTEDGE));
        SendMessageW(richEdit1_, EM_SHOWSCROLLBAR, SB_VERT, FALSE);
        SendMessageW(richEdit1_, EM_SHOWSCROLLBAR, SB_HORZ, FALSE);
        SetWindowPos(richEdit1_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        SetWindowPos(hwnd_, nullptr, 0, 0, re.right - re.left, re.bottom - re.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    SIMPLE = SimpleFG;
    Layout();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void THistBox::M_FontClick() {
    LOGFONTW lf{};
    lstrcpynW(lf.lfFaceName, FONTNAME.c_str(), LF_FACESIZE);
    HDC dc = GetDC(hwnd_);
    lf.lfHeight = -MulDiv(FONTSIZE, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(hwnd_, dc);
    lf.lfCharSet = DEFAULT_CHARSET;
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = hwnd_;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontW(&cf)) return;
    FONTNAME = lf.lfFaceName;
    FONTSIZE = cf.iPointSize / 10;
    CHARFORMAT2W f{};
    f.cbSize = sizeof(f);
    f.dwMask = CFM_FACE | CFM_SIZE;
    lstrcpynW(f.szFaceName, FONTNAME.c_str(), LF_FACESIZE);
    f.yHeight = FONTSIZE * 20;
    SetCharFormat(richEdit1_, SCF_DEFAULT, f);
    SetCharFormat(richEdit1_, SCF_SELECTION, f);
}

void THistBox::M_StrColSClick() { shell_.ChooseColour(hwnd_, FONTCOLORS); }

void THistBox::M_StrColRClick() { shell_.ChooseColour(hwnd_, FONTCOLORR); }

void THistBox::M_HistBkColorClick() {
    if (!shell_.ChooseColour(hwnd_, BKCOLOR)) return;
    SendMessageW(richEdit1_, EM_SETBKGNDCOLOR, 0, LPARAM(COLORREF(BKCOLOR)));
}

void THistBox::M_LastClick() {
    SetFocus(richEdit1_);
    CaretToEnd(richEdit1_);
    SendMessageW(richEdit1_, EM_SCROLLCARET, 0, 0);
    SendMessageW(richEdit1_, WM_VSCROLL, SB_BOTTOM, 0);
}

void THistBox::PopupMenu1Popup() {
    CHARRANGE sel{};
    SendMessageW(richEdit1_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    EnableMenuItem(popup_, ID_H_Copy, MF_BYCOMMAND | (sel.cpMax > sel.cpMin ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popup_, ID_H_HistBkColor, MF_BYCOMMAND | (SimpleFG ? MF_GRAYED : MF_ENABLED));
    CheckMenuItem(popup_, ID_H_Simple, MF_BYCOMMAND | (SimpleFG ? MF_CHECKED : MF_UNCHECKED));
}

void THistBox::ShowPopup(POINT pt) {
    if (pt.x == -1 && pt.y == -1) {   // from the keyboard: at the caret's window
        RECT rc;
        GetWindowRect(richEdit1_, &rc);
        pt = {rc.left + 10, rc.top + 10};
    }
    PopupMenu1Popup();
    SetForegroundWindow(hwnd_);
    int id = TrackPopupMenu(popup_, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
    if (id) OnCommand(id);
}

void THistBox::OnCommand(int id) {
    switch (id) {
        case ID_H_Copy: M_CopyClick(); break;
        case ID_H_Simple: M_SimpleClick(); break;
        case ID_H_Font: M_FontClick(); break;
        case ID_H_StrColS: M_StrColSClick(); break;
        case ID_H_StrColR: M_StrColRClick(); break;
        case ID_H_HistBkColor:
            if (!SimpleFG) M_HistBkColorClick();
            break;
        case ID_H_Last: M_LastClick(); break;
        case ID_H_Clear: M_ClearClick(); break;
    }
}

// The shortcuts of PopupMenu1, wherever the focus is in the window.
bool THistBox::OnKey(WPARAM vk) {
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (vk == VK_F11 && !ctrl) M_SimpleClick();
    else if (vk == VK_F7 && ctrl) M_LastClick();
    else if (vk == VK_F10 && ctrl) M_ClearClick();
    else if (vk == 'C' && ctrl && GetFocus() != richEdit1_) M_CopyClick();
    else return false;
    return true;
}

void THistBox::OnLink(const ENLINK& link) {
    if (link.msg != WM_LBUTTONDOWN) return;
    CHARRANGE r = link.chrg;
    if (r.cpMax <= r.cpMin) return;
    LONG count = std::min<LONG>(r.cpMax - r.cpMin, 65535);
    std::wstring buf(size_t(count) + 1, L'\0');
    TEXTRANGEW tr{{r.cpMin, r.cpMin + count}, buf.data()};
    SendMessageW(richEdit1_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr));
    buf.resize(wcslen(buf.c_str()));
    if (buf.empty()) return;
    // The text may have come from another computer: only web and mail
    // addresses open at once; a program or a file is asked about first.
    if (!OpensUnasked(buf) &&
        ShowMsg(L"次のリンクを開きますか？\r" + buf, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, hwnd_) != IDYES)
        return;
    ShellExecuteW(hwnd_, L"open", buf.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CALLBACK THistBox::ChildProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
    auto* self = reinterpret_cast<THistBox*>(ref);
    switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (self->OnKey(wp)) return 0;
            break;
        case WM_CONTEXTMENU:
            self->ShowPopup(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_NCDESTROY:
            RemoveWindowSubclass(h, ChildProc, id);
            break;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

// --- the end ------------------------------------------------------------------

void THistBox::FormClose() {
    if (closed_ || !hwnd_) return;
    closed_ = true;
    // 1.
    OPEN = IsWindowVisible(hwnd_) ? 1 : 0;
    // 2.
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    ini_.WriteInt(L"HISTBOX", L"LEFT", rc.left);
    ini_.WriteInt(L"HISTBOX", L"TOP", rc.top);
    ini_.WriteInt(L"HISTBOX", L"WIDTH", rc.right - rc.left);
    ini_.WriteInt(L"HISTBOX", L"HEIGHT", rc.bottom - rc.top);
    ini_.WriteInt(L"HISTBOX", L"SIMPLE", SimpleFG);
    ini_.WriteInt(L"HISTBOX", L"OPEN", OPEN);
    ini_.WriteInt(L"HISTBOX", L"BKCOLOR", BKCOLOR);
    ini_.WriteInt(L"HISTBOX", L"FONTSIZE", FONTSIZE);
    ini_.WriteInt(L"HISTBOX", L"FONTCOLORS", FONTCOLORS);
    ini_.WriteInt(L"HISTBOX", L"FONTCOLORR", FONTCOLORR);
    ini_.WriteString(L"HISTBOX", L"FONTNAME", FONTNAME);
    ShowWindow(hwnd_, SW_HIDE);
    // 3.
    if (shell_.Config().UseLog2 == 0) return;
    // 4.
    const std::wstring& logDir = shell_.Path().LogDir;
    CreateDirs(logDir);
    WriteFileAtomic(logDir + L"HISTORY.RTF", RichToRtf(richEdit1_));
    // 5.-9.
    WriteDayLog();
}

// The day file is only ever extended: what this run said goes at its end.
void THistBox::WriteDayLog() {
    std::vector<std::wstring> lines = RichLines(richEdit1_);
    if (lines.size() <= 2) return;
    SYSTEMTIME st;
    GetLocalTime(&st);
    std::wstring path = shell_.Path().LogDir + DayLogName(st.wYear, st.wMonth, st.wDay);
    AutoFile file(CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    bool endsOpen = false;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
        LARGE_INTEGER last{};
        last.QuadPart = size.QuadPart - 1;
        char c = 0;
        DWORD got = 0;
        if (SetFilePointerEx(file.get(), last, nullptr, FILE_BEGIN) && ReadFile(file.get(), &c, 1, &got, nullptr) &&
            got == 1)
            endsOpen = c != '\n' && c != '\r';
    }
    std::string bytes = ToCp932(DayLogAppendix(lines, endsOpen));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

// --- messages -----------------------------------------------------------------

LRESULT THistBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE && richEdit1_) SetFocus(richEdit1_);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wp) == IDC_HistbtnClear && HIWORD(wp) == BN_CLICKED) {
                btnClearClick();
                SetFocus(richEdit1_);
                return 0;
            }
            if (HIWORD(wp) == 0 && lp == 0) {
                OnCommand(LOWORD(wp));
                return 0;
            }
            break;
        case WM_CONTEXTMENU:
            ShowPopup(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_NOTIFY: {
            auto* nm = reinterpret_cast<NMHDR*>(lp);
            if (nm->hwndFrom == richEdit1_ && nm->code == EN_LINK) {
                OnLink(*reinterpret_cast<ENLINK*>(lp));
                return 0;
            }
            break;
        }
        case WM_CLOSE:
            // Alt+F4 hides it as the main menu does; it is closed only at the end.
            ShowWindow(hwnd_, SW_HIDE);
            if (HMENU menu = shell_.PopupMenu1()) CheckMenuItem(menu, ID_M_HistOpen, MF_BYCOMMAND | MF_UNCHECKED);
            return 0;
    }
    return Default(msg, wp, lp);
}

}  // namespace kelup
