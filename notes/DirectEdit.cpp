// A text note edited in place ("直接編集"): entering and leaving, the keys
// and the context menu PopupMenuY of the text area meanwhile, and the
// character formatting, format copy and date insertion it offers.
//
// The shortcuts of the menu's table work only while the note is edited in
// place: they are keys of the text area taken here, and outside editing the
// text area is read-only and takes none of them.

#include "notes/TKELUPSHI.h"

#include <commdlg.h>

#include "app/Settings.h"
#include "base/FileOps.h"
#include "dates/DatePattern.h"
#include "dates/DateTime.h"
#include "notes/RichText.h"
#include "notes/TextCommands.h"
#include "res/resource.h"

namespace kelup {

namespace {

// Everything of a character format that the font commands carry over.
constexpr DWORD kFontMask =
    CFM_FACE | CFM_COLOR | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET;

bool HasSelection(HWND re) {
    CHARRANGE r{};
    SendMessageW(re, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r.cpMax != r.cpMin;
}

// Input method composition colours while editing in place: the input text,
// the target of a conversion, converted text and the not-converted target.
void SetCompositionColours(HWND re) {
    COMPCOLOR colours[4]{};
    SendMessageW(re, EM_GETIMECOLOR, 0, reinterpret_cast<LPARAM>(colours));
    const COLORREF pairs[4][2] = {
        {0xFF0000, 0xC0C0C0}, {0x00FFFF, 0x000000}, {0x00FFFF, 0xFF0000}, {0x00FFFF, 0x000000}};
    for (int i = 0; i < 4; ++i) colours[i].crText = pairs[i][0], colours[i].crBackground = pairs[i][1];
    // Not every rich edit knows these colours; editing goes on without them.
    SendMessageW(re, EM_SETIMECOLOR, 0, reinterpret_cast<LPARAM>(colours));
}

}  // namespace

bool TKELUPSHI::DirectEditing() const { return host_ && host_->DirectEditSlot() == MyNumber; }

void TKELUPSHI::M_DirectClick() {
    if (!host_ || DirectEditing()) return;
    // Editing in place shows the real text: a protected note asks first.
    if (KeyOpen > 0 && !host_->MayReveal(MyNumber)) return;
    // 1. The shortcuts follow the editing (OnDirectKey).
    // 2.
    RECT b = Bounds();
    BeforeW = b.right - b.left;
    imc_ = ImmGetContext(richEdit_);
    if (imc_ && host_->NoteConfig().IME == 1 && !ImmGetOpenStatus(imc_)) ImmSetOpenStatus(imc_, TRUE);
    // 3. A note edited in place until now ends its editing first.
    host_->EnterDirectEdit(MyNumber);
    FormatFG = false;
    // 4. The text as typed, with its placeholders.
    SendMessageW(richEdit_, EM_EXLIMITTEXT, 0, LPARAM(kMaxNoteChars));
    std::wstring typed = host_->TypedTextPath(MyNumber);
    if (!typed.empty()) LoadText(typed);
    // 5. The note's own colour: colouring by date waits until the editing ends.
    DateLook = 0;
    SetColor(ORGColor);
    SendMessageW(richEdit_, EM_SETREADONLY, FALSE, 0);
    SendMessageW(richEdit_, EM_SETUNDOLIMIT, 1, 0);
    SendMessageW(richEdit_, EM_SETEVENTMASK, 0, ENM_LINK | ENM_CHANGE | ENM_SELCHANGE);
    SetWindowLongPtrW(richEdit_, GWL_STYLE, GetWindowLongPtrW(richEdit_, GWL_STYLE) | WS_VSCROLL);
    SetWindowPos(richEdit_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    SendMessageW(richEdit_, EM_SHOWSCROLLBAR, SB_VERT, TRUE);
    SendMessageW(richEdit_, EM_SETTARGETDEVICE, 0, 0);   // word wrap at the window's edge
    // 6.
    SetCompositionColours(richEdit_);
    // 7.
    undoEnabled_ = false;
    SendMessageW(richEdit_, EM_EMPTYUNDOBUFFER, 0, 0);
    SetForegroundWindow(hwnd_);
    SetFocus(richEdit_);
    InvalidateRect(richEdit_, nullptr, TRUE);
}

void TKELUPSHI::M_DirectExitClick() {
    if (!host_ || !DirectEditing()) return;
    // 2.
    RECT b = Bounds();
    if (BeforeW > 0) SetBounds(b.left, b.top, BeforeW, b.bottom - b.top);
    if (imc_) {
        if (ImmGetOpenStatus(imc_)) ImmSetOpenStatus(imc_, FALSE);
        ImmReleaseContext(richEdit_, imc_);
        imc_ = nullptr;
    }
    host_->LeaveDirectEdit(MyNumber);
    // 3.
    host_->WriteNoteText(MyNumber, true);
    SendMessageW(richEdit_, EM_SHOWSCROLLBAR, SB_VERT, FALSE);
    SetWindowLongPtrW(richEdit_, GWL_STYLE, GetWindowLongPtrW(richEdit_, GWL_STYLE) & ~LONG_PTR(WS_VSCROLL));
    SetWindowPos(richEdit_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    LineCnt = int(RichLines(richEdit_).size());
    SendMessageW(richEdit_, EM_SETREADONLY, TRUE, 0);
    SendMessageW(richEdit_, EM_SETEVENTMASK, 0, ENM_LINK);
    // 4. Placeholders worked out and the colours by date again.
    host_->CompDate(MyNumber);
    SendMessageW(richEdit_, EM_SETSEL, 0, 0);
    SendMessageW(richEdit_, EM_SCROLLCARET, 0, 0);
    // 6.
    host_->SaveNotes();
    host_->SaveBackUpKdt(MyNumber);
    InvalidateRect(richEdit_, nullptr, TRUE);
}

// Enabled and checked from the text area as it is at each opening: after a
// cut, copy, paste or delete the entries show what can be done then.
HMENU TKELUPSHI::PopupMenuY() {
    if (!menuY_) menuY_.reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENUY)));
    HMENU m = GetSubMenu(menuY_.get(), 0);
    bool selected = HasSelection(richEdit_);
    bool clipText = IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
    auto enable = [m](UINT id, bool on) { EnableMenuItem(m, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    enable(ID_M_PasteD, clipText);
    for (UINT id : {ID_M_CutD, ID_M_CopyD, ID_M_DeleteD, ID_M_FormatCopy}) enable(id, selected);
    enable(ID_M_FormatPaste, FormatFG);
    enable(ID_M_UndoD, undoEnabled_);
    CHARFORMAT2W cf = SelectionFormat();
    auto check = [m](UINT id, bool on) { CheckMenuItem(m, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
    check(ID_M_Bold, (cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD));
    check(ID_M_Italic, (cf.dwMask & CFM_ITALIC) && (cf.dwEffects & CFE_ITALIC));
    check(ID_M_UnderLine, (cf.dwMask & CFM_UNDERLINE) && (cf.dwEffects & CFE_UNDERLINE));
    return m;
}

void TKELUPSHI::OpenDirectMenu() { TrackAtCursor(PopupMenuY()); }

CHARFORMAT2W TKELUPSHI::SelectionFormat() const {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(richEdit_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

void TKELUPSHI::SetSelectionFormat(const CHARFORMAT2W& cf) {
    SendMessageW(richEdit_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

void TKELUPSHI::M_CutDClick() {
    if (CopySelectionToClipboard(richEdit_, hwnd_))
        SendMessageW(richEdit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

void TKELUPSHI::M_CopyDClick() {
    CopySelectionToClipboard(richEdit_, hwnd_);
}

void TKELUPSHI::M_PasteDClick() {
    PasteClipboardText(richEdit_, hwnd_);
}

void TKELUPSHI::M_DeleteDClick() {
    SendMessageW(richEdit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

void TKELUPSHI::M_SelectAllDClick() { SendMessageW(richEdit_, EM_SETSEL, 0, -1); }

void TKELUPSHI::M_UndoClick() {
    SendMessageW(richEdit_, EM_UNDO, 0, 0);
    undoEnabled_ = false;   // one level
}

void TKELUPSHI::ToggleStyle(DWORD effect) {
    CHARFORMAT2W now = SelectionFormat();
    bool on = (now.dwMask & effect) && (now.dwEffects & effect);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = effect;   // CFE_BOLD, CFE_ITALIC and CFE_UNDERLINE share their CFM_ bits
    cf.dwEffects = on ? 0 : effect;
    SetSelectionFormat(cf);
}

void TKELUPSHI::Font1Click() {
    CHARFORMAT2W cf = SelectionFormat();
    LOGFONTW lf{};
    HDC dc = GetDC(hwnd_);
    lf.lfHeight = -MulDiv(int(cf.yHeight), GetDeviceCaps(dc, LOGPIXELSY), 1440);
    ReleaseDC(hwnd_, dc);
    lf.lfWeight = (cf.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (cf.dwEffects & CFE_ITALIC) ? TRUE : FALSE;
    lf.lfUnderline = (cf.dwEffects & CFE_UNDERLINE) ? TRUE : FALSE;
    lf.lfStrikeOut = (cf.dwEffects & CFE_STRIKEOUT) ? TRUE : FALSE;
    lf.lfCharSet = cf.bCharSet;
    lstrcpynW(lf.lfFaceName, cf.szFaceName, LF_FACESIZE);
    CHOOSEFONTW dlg{};
    dlg.lStructSize = sizeof(dlg);
    dlg.hwndOwner = hwnd_;
    dlg.lpLogFont = &lf;
    dlg.rgbColors = cf.crTextColor;
    dlg.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    TopRelease();
    bool ok = ChooseFontW(&dlg) != FALSE;
    TopSet();
    if (!ok) return;
    CHARFORMAT2W out{};
    out.cbSize = sizeof(out);
    out.dwMask = kFontMask;
    out.bCharSet = lf.lfCharSet;
    lstrcpynW(out.szFaceName, lf.lfFaceName, LF_FACESIZE);
    out.yHeight = LONG(dlg.iPointSize) * 2;   // tenths of a point to twips
    out.crTextColor = dlg.rgbColors;
    out.dwEffects = (lf.lfWeight >= FW_BOLD ? CFE_BOLD : 0) | (lf.lfItalic ? CFE_ITALIC : 0) |
                    (lf.lfUnderline ? CFE_UNDERLINE : 0) | (lf.lfStrikeOut ? CFE_STRIKEOUT : 0);
    SetSelectionFormat(out);
}

void TKELUPSHI::M_FontColorClick() {
    CHARFORMAT2W cf = SelectionFormat();
    int color = int(cf.crTextColor);
    TopRelease();
    bool ok = host_ && host_->ChooseColour(hwnd_, color);
    TopSet();
    if (!ok) return;
    CHARFORMAT2W out{};
    out.cbSize = sizeof(out);
    out.dwMask = CFM_COLOR;
    out.crTextColor = COLORREF(color);
    SetSelectionFormat(out);
}

void TKELUPSHI::M_FormatCopyClick() {
    HWND y = ScratchRichEdit(Scratch::Y);
    if (!y) return;
    RichClear(y);
    CHARFORMAT2W cf = SelectionFormat();
    cf.dwMask = kFontMask;
    SendMessageW(y, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(y, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    CHARRANGE r{};
    SendMessageW(richEdit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    std::wstring text(size_t(std::max<LONG>(r.cpMax - r.cpMin, 0)) + 1, L'\0');
    LRESULT got = SendMessageW(richEdit_, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(size_t(std::max<LRESULT>(got, 0)));
    SendMessageW(y, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    FormatFG = true;
}

void TKELUPSHI::M_FormatPasteClick() {
    HWND y = ScratchRichEdit(Scratch::Y);
    if (!y || !FormatFG) return;
    SendMessageW(y, EM_SETSEL, 0, -1);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(y, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    cf.dwMask &= kFontMask;
    SetSelectionFormat(cf);
}

void TKELUPSHI::M_DateClick(int which) {
    static const DateInsert kinds[6] = {DateInsert::Date1, DateInsert::Date2, DateInsert::Date3,
                                        DateInsert::Date4, DateInsert::Time1, DateInsert::Time2};
    if (which < 0 || which > 5) return;
    SYSTEMTIME st;
    GetLocalTime(&st);
    CivilDateTime now{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, 0};
    std::wstring text = DateInsertText(kinds[which], now);
    SendMessageW(richEdit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

bool TKELUPSHI::OnDirectCommand(int id) {
    switch (id) {
        case ID_M_Direct: M_DirectClick(); return true;
        case ID_M_DirectExit: M_DirectExitClick(); return true;
        case ID_M_CutD: M_CutDClick(); return true;
        case ID_M_CopyD: M_CopyDClick(); return true;
        case ID_M_PasteD: M_PasteDClick(); return true;
        case ID_M_DeleteD: M_DeleteDClick(); return true;
        case ID_M_SelectAllD: M_SelectAllDClick(); return true;
        case ID_M_UndoD: M_UndoClick(); return true;
        case ID_M_Bold: ToggleStyle(CFE_BOLD); return true;
        case ID_M_Italic: ToggleStyle(CFE_ITALIC); return true;
        case ID_M_UnderLine: ToggleStyle(CFE_UNDERLINE); return true;
        case ID_M_FormatCopy: M_FormatCopyClick(); return true;
        case ID_M_FormatPaste: M_FormatPasteClick(); return true;
        case ID_M_Color1: Color1Click(); return true;
        case ID_Font1: Font1Click(); return true;
        case ID_M_FontColor: M_FontColorClick(); return true;
        default:
            if (id >= ID_M_Date1 && id <= ID_M_Time2) {
                M_DateClick(id - ID_M_Date1);
                return true;
            }
            return false;
    }
}

bool TKELUPSHI::OnDirectKey(UINT msg, WPARAM wp) {
    if (msg == WM_KEYUP) {
        // Esc ends the editing of this note only.
        if (wp == VK_ESCAPE) {
            M_DirectExitClick();
            return true;
        }
        return false;
    }
    if (msg != WM_KEYDOWN) return false;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
    if (wp == VK_ESCAPE) return true;
    if (ctrl && !shift && !alt && wp == VK_INSERT) return M_CopyDClick(), true;
    if (shift && !ctrl && !alt) {
        if (wp == VK_DELETE) return M_DeleteDClick(), true;
        if (wp == VK_INSERT) return M_PasteDClick(), true;   // pasted as Ctrl+V is
        return false;
    }
    if (!ctrl || alt || shift) return false;
    switch (wp) {
        case 'S': PostMessageW(hwnd_, WM_COMMAND, ID_M_DirectExit, 0); return true;
        case 'X': M_CutDClick(); return true;
        case 'C': M_CopyDClick(); return true;
        case 'V': M_PasteDClick(); return true;
        case 'A': M_SelectAllDClick(); return true;
        case 'Z': M_UndoClick(); return true;
        case 'Y': return true;   // one level of undo, nothing to redo
        case 'B': ToggleStyle(CFE_BOLD); return true;
        case 'I': ToggleStyle(CFE_ITALIC); return true;
        case 'U': ToggleStyle(CFE_UNDERLINE); return true;
        case 'E':
            if (HasSelection(richEdit_)) M_FormatCopyClick();
            return true;
        case 'R':
            if (FormatFG) M_FormatPasteClick();
            return true;
        // The line spacing is the note's, for all of its text.
        case '1': case '2': case '5': return true;
        default: return false;
    }
}

void TKELUPSHI::OnRichNotify(int code) {
    if (code == EN_CHANGE && DirectEditing()) undoEnabled_ = true;
}

}  // namespace kelup
