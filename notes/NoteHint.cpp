#include "notes/NoteHint.h"

namespace kelup {

namespace {
constexpr int kPad = 3;
constexpr int kMaxWidth = 1024;
}  // namespace

bool NoteHint::EnsureWindow() {
    if (hwnd_) return true;
    RegisterClassOnce(kNoteHintClass, CS_SAVEBITS, nullptr, nullptr);
    CreateWin(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kNoteHintClass, L"", WS_POPUP | WS_BORDER, 0, 0, 10,
              10, nullptr);
    if (!hwnd_) return false;
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        font_.reset(CreateFontIndirectW(&ncm.lfStatusFont));
    return true;
}

void NoteHint::ShowAt(const std::wstring& text, POINT pt) {
    if (!EnsureWindow()) return;
    // Paragraphs end in a lone CR in a rich edit's text; the drawing wants CR LF.
    text_.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        text_ += text[i];
        if (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n')) text_ += L'\n';
    }
    SetWindowTextW(hwnd_, text_.c_str());   // what a screen reader or the test bench reads
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
    RECT r{0, 0, kMaxWidth, 0};
    DrawTextW(dc, text_.c_str(), int(text_.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    int w = r.right + 2 * kPad + 2, h = r.bottom + 2 * kPad + 2;
    SetWindowPos(hwnd_, HWND_TOPMOST, pt.x, pt.y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd_, nullptr, TRUE);
    shown_ = true;
}

void NoteHint::Hide() {
    if (!shown_) return;
    shown_ = false;
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void NoteHint::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT c;
    GetClientRect(hwnd_, &c);
    FillRect(dc, &c, GetSysColorBrush(COLOR_INFOBK));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    HGDIOBJ old = SelectObject(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
    InflateRect(&c, -kPad, -kPad);
    DrawTextW(dc, text_.c_str(), int(text_.size()), &c, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    EndPaint(hwnd_, &ps);
}

LRESULT NoteHint::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_NCHITTEST:
            return HTTRANSPARENT;   // the pointer goes through to the note below
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
    }
    return Default(msg, wp, lp);
}

}  // namespace kelup
