// The compose editor's formatting: the selection shown in the toolbar, the
// style, font, colour and paragraph commands, and the copied format.

#include "compose/TInputEditer.h"

#include <commctrl.h>

#include <iterator>
#include <string>

#include "app/Shell.h"
#include "res/resource.h"

namespace kelup {

namespace {

CHARFORMAT2W SelectionFormat(HWND re) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(re, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

void ApplyFormat(HWND re, CHARFORMAT2W& cf) {
    cf.cbSize = sizeof(cf);
    SendMessageW(re, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

// A font box's text, set only when it changes: every setting repaints the
// box, and the caret moves through the text far more often than its font.
void ShowInBox(HWND box, const std::wstring& text) {
    wchar_t now[LF_FACESIZE + 8] = L"";
    GetWindowTextW(box, now, int(std::size(now)));
    if (text != now) SetWindowTextW(box, text.c_str());
}

}  // namespace

bool TInputEditer::HasSelection() const {
    CHARRANGE cr{};
    SendMessageW(memo_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
    return cr.cpMax != cr.cpMin;
}

bool TInputEditer::ClipboardHasText() {
    return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT) ||
           IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Rich Text Format"));
}

bool TInputEditer::Enabled(int id) const {
    switch (id) {
        case ID_E_HidePanel:
        case ID_E_ShowPanel:
            return !standalone_ && SendMessageW(toolBar4_, TB_ISBUTTONENABLED, WPARAM(id), 0) != 0;
        case ID_E_NewNote:
        case ID_E_SendOnly:
        case ID_E_SendUpdate:
        case ID_E_SendPeel:
        case ID_E_btnSendOnly:
        case ID_E_btnSend:
        case ID_E_btnSendRemove:
            return !standalone_;
        case ID_E_Quote:
        case ID_E_Quote2:
            return !standalone_;
    }
    return true;
}

void TInputEditer::EnableCommand(int id, bool on) {
    for (HWND bar : {toolBar1_, toolBar2_, toolBar4_})
        if (bar && SendMessageW(bar, TB_COMMANDTOINDEX, WPARAM(id), 0) >= 0)
            SendMessageW(bar, TB_ENABLEBUTTON, WPARAM(id), on);
}

void TInputEditer::UpdateEditCommands() {
    const bool sel = HasSelection(), clip = ClipboardHasText();
    for (int id : {ID_E_Cut, ID_E_Copy, ID_E_Delete}) EnableCommand(id, sel);
    EnableCommand(ID_E_Paste, clip);
    EnableCommand(ID_E_Undo, SendMessageW(memo_, EM_CANUNDO, 0, 0) != 0);
}

void TInputEditer::SelectionChanged() {
    if (!memo_ || updating_) return;
    // The toolbar's own change events are not acted on meanwhile.
    updating_ = true;
    CHARFORMAT2W cf = SelectionFormat(memo_);
    auto show = [&](int id, DWORD mask, DWORD effect) {
        SendMessageW(toolBar2_, TB_CHECKBUTTON, WPARAM(id), (cf.dwMask & mask) && (cf.dwEffects & effect));
    };
    show(ID_E_Bold, CFM_BOLD, CFE_BOLD);
    show(ID_E_Italic, CFM_ITALIC, CFE_ITALIC);
    show(ID_E_Underline, CFM_UNDERLINE, CFE_UNDERLINE);
    show(ID_E_StrikeOut, CFM_STRIKEOUT, CFE_STRIKEOUT);
    if (GetFocus() != fontSize_ && !IsChild(fontSize_, GetFocus()))
        ShowInBox(fontSize_, (cf.dwMask & CFM_SIZE) ? std::to_wstring(cf.yHeight / 20) : L"");
    if (GetFocus() != fontName_ && !IsChild(fontName_, GetFocus()))
        ShowInBox(fontName_, (cf.dwMask & CFM_FACE) ? cf.szFaceName : L"");
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    SendMessageW(memo_, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    SendMessageW(toolBar2_, TB_CHECKBUTTON, ID_E_Bullets, (pf.dwMask & PFM_NUMBERING) && pf.wNumbering == PFN_BULLET);
    const WORD align = (pf.dwMask & PFM_ALIGNMENT) ? pf.wAlignment : 0;
    SendMessageW(toolBar2_, TB_CHECKBUTTON, ID_E_Left, align == PFA_LEFT);
    SendMessageW(toolBar2_, TB_CHECKBUTTON, ID_E_Center, align == PFA_CENTER);
    SendMessageW(toolBar2_, TB_CHECKBUTTON, ID_E_Right, align == PFA_RIGHT);
    UpdateEditCommands();
    updating_ = false;
}

void TInputEditer::ToggleStyle(DWORD mask) {
    CHARFORMAT2W cur = SelectionFormat(memo_);
    // CFM_x and CFE_x are the same bits for these four.
    const bool on = (cur.dwMask & mask) && (cur.dwEffects & mask);
    CHARFORMAT2W cf{};
    cf.dwMask = mask;
    cf.dwEffects = on ? 0 : mask;
    ApplyFormat(memo_, cf);
    SelectionChanged();
}

void TInputEditer::FontSizeApply() {
    wchar_t text[32] = {};
    GetWindowTextW(fontSize_, text, 32);
    const int size = FontSizeFromText(text);
    if (size == 0) return;   // 5 points or less: nothing changes
    CHARFORMAT2W cf{};
    cf.dwMask = CFM_SIZE;
    cf.yHeight = size * 20;
    ApplyFormat(memo_, cf);
    SetFocus(memo_);
    SelectionChanged();
}

void TInputEditer::FontNameApply() {
    wchar_t name[LF_FACESIZE] = {};
    GetWindowTextW(fontName_, name, LF_FACESIZE);
    if (!name[0]) return;
    // The character set the system gives a font of that name.
    BYTE charset = DEFAULT_CHARSET;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, name, LF_FACESIZE);
    if (HFONT font = CreateFontIndirectW(&lf)) {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        charset = BYTE(GetTextCharset(dc));
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        DeleteObject(font);
    }
    CHARFORMAT2W cf{};
    cf.dwMask = CFM_FACE | CFM_CHARSET;
    lstrcpynW(cf.szFaceName, name, LF_FACESIZE);
    cf.bCharSet = charset;
    ApplyFormat(memo_, cf);
    SetFocus(memo_);
    SelectionChanged();
}

void TInputEditer::FontColorClick() {
    CHARFORMAT2W cur = SelectionFormat(memo_);
    int color = int(cur.crTextColor);
    if (!shell_.ChooseColour(hwnd_, color)) return;
    CHARFORMAT2W cf{};
    cf.dwMask = CFM_COLOR;
    cf.crTextColor = COLORREF(color);
    ApplyFormat(memo_, cf);
}

void TInputEditer::KelupColorClick() {
    int color = KlnColor;
    if (!shell_.ChooseColour(hwnd_, color) || color == KlnColor) return;
    KlnColor = color;
    CloseMode = 1;
    ApplyBackground();
}

void TInputEditer::SwitchBkgnd() {
    EditerBkgnd = EditerBkgnd == 1 ? 0 : 1;
    shell_.RememberEditerBkgnd(EditerBkgnd);
    ApplyBackground();
}

void TInputEditer::ApplyBackground() {
    // The note's own colour, or the colour chosen here once it differs.
    const int color = KlnColor != request_.KlnColor ? KlnColor : request_.ORGColor;
    if (EditerBkgnd == 1) SendMessageW(memo_, EM_SETBKGNDCOLOR, 0, LPARAM(COLORREF(color)));
    else SendMessageW(memo_, EM_SETBKGNDCOLOR, 1, 0);
}

void TInputEditer::SetAlignment(WORD align) {
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = align;
    SendMessageW(memo_, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    SelectionChanged();
}

void TInputEditer::SwitchBullets() {
    PARAFORMAT2 cur{};
    cur.cbSize = sizeof(cur);
    SendMessageW(memo_, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&cur));
    const bool on = (cur.dwMask & PFM_NUMBERING) && cur.wNumbering == PFN_BULLET;
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_NUMBERING | PFM_OFFSET;
    pf.wNumbering = on ? 0 : PFN_BULLET;
    pf.dxOffset = on ? 0 : 360;
    SendMessageW(memo_, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    SelectionChanged();
}

void TInputEditer::FormatCopy() {
    CHARFORMAT2W cf = SelectionFormat(memo_);
    copied_.valid = true;
    copied_.face = cf.szFaceName;
    copied_.color = cf.crTextColor;
    copied_.height = cf.yHeight;
    copied_.effects = cf.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT);
    copied_.charset = cf.bCharSet;
}

void TInputEditer::FormatPaste() {
    if (!copied_.valid) return;
    CHARFORMAT2W cf{};
    cf.dwMask = CFM_FACE | CFM_COLOR | CFM_SIZE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    if (!copied_.face.empty()) lstrcpynW(cf.szFaceName, copied_.face.c_str(), LF_FACESIZE);
    else cf.dwMask &= ~DWORD(CFM_FACE);
    cf.crTextColor = copied_.color;
    cf.yHeight = copied_.height;
    cf.dwEffects = copied_.effects;
    cf.bCharSet = copied_.charset;
    ApplyFormat(memo_, cf);
    SelectionChanged();
}

}  // namespace kelup
