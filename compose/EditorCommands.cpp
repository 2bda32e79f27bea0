// The compose editor's commands: menus, toolbars, large buttons, the
// insertions, quoting, word wrap, files, links and the lower area.

#include "compose/TInputEditer.h"

#include <commctrl.h>
#include <commdlg.h>
#include <imm.h>
#include <shellapi.h>
#include <windowsx.h>

#include <iterator>

#include "app/Shell.h"
#include "app/ShowMsg.h"
#include "base/FileOps.h"
#include "dates/DatePattern.h"
#include "notes/RichText.h"
#include "res/resource.h"

namespace kelup {

namespace {

// A file larger than this is not note text.
constexpr long long kMaxKdtBytes = 8LL * 1024 * 1024;

// Only addresses the shell opens as documents or mail are opened on a click.
bool OpensOnClick(const std::wstring& url) {
    for (const wchar_t* scheme : {L"http://", L"https://", L"mailto:", L"ftp://"})
        if (_wcsnicmp(url.c_str(), scheme, wcslen(scheme)) == 0) return true;
    return false;
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    bool ok = false;
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
        if (void* p = GlobalLock(mem)) {
            memcpy(p, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
            GlobalUnlock(mem);
            ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
        }
        if (!ok) GlobalFree(mem);
    }
    CloseClipboard();
    return ok;
}

LONG TextLength(HWND re) {
    GETTEXTLENGTHEX gl{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return LONG(SendMessageW(re, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
}

}  // namespace

void TInputEditer::OnCommand(int id, int code, HWND from) {
    if (from == memo_) {
        if (code == EN_SETFOCUS) Memo1Enter();
        else if (code == EN_KILLFOCUS) Memo1Exit();
        else if (code == EN_CHANGE && !loading_) {
            // Text changes: the close question will be asked; undo is possible.
            CloseMode = 1;
            EnableCommand(ID_E_Undo, true);
            UpdateSendCommands();
        }
        return;
    }
    if (from == fontName_) {
        if (code == CBN_SELENDOK && !updating_) {
            int sel = int(SendMessageW(fontName_, CB_GETCURSEL, 0, 0));
            if (sel >= 0) {
                wchar_t name[LF_FACESIZE * 2] = {};
                SendMessageW(fontName_, CB_GETLBTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(name));
                SetWindowTextW(fontName_, name);
                FontNameApply();
            }
        }
        return;
    }
    if (from == fontSize_) {
        if (code == CBN_SELENDOK && !updating_) {
            int sel = int(SendMessageW(fontSize_, CB_GETCURSEL, 0, 0));
            if (sel >= 0) {
                wchar_t text[16] = {};
                SendMessageW(fontSize_, CB_GETLBTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(text));
                SetWindowTextW(fontSize_, text);
                FontSizeApply();
            }
        }
        return;
    }
    if (!standalone_ && OnRecipientCommand(id, code)) return;
    if (!Enabled(id)) return;   // a shortcut of a command that is off now
    switch (id) {
        // Closing commands.
        case ID_E_btnOk:
        case ID_E_btnOKM: CloseWith(EditorCommand::Apply); break;
        case ID_E_Update: CloseWith(EditorCommand::Update); break;
        case ID_E_Close:
        case ID_E_btnTrash: CloseWith(EditorCommand::Close); break;
        case ID_E_btnCloseM: CloseWith(EditorCommand::CloseBox); break;
        case ID_E_btnRemove:
        case ID_E_btnRemoveM: CloseWith(EditorCommand::Peel); break;
        case ID_E_NewNote: CloseWith(EditorCommand::NewNote); break;
        // Sending needs a recipient, and the file option's checks.
        case ID_E_btnSendOnly:
        case ID_E_SendOnly:
        case ID_E_btnSend:
        case ID_E_SendUpdate:
        case ID_E_btnSendRemove:
        case ID_E_SendPeel:
            if (id >= ID_E_btnSendOnly && id <= ID_E_btnSendRemove && !IsWindowEnabled(GetDlgItem(hwnd_, id))) break;
            SendCommand((id == ID_E_btnSendOnly || id == ID_E_SendOnly) ? EditorCommand::SendOnly
                        : (id == ID_E_btnSend || id == ID_E_SendUpdate) ? EditorCommand::SendUpdate
                                                                         : EditorCommand::SendPeel);
            break;
        // Menu bar.
        case ID_E_MenuFile:
        case ID_E_MenuEdit:
        case ID_E_MenuFormat:
        case ID_E_MenuInsert: MenuButtonClick(id); break;
        // Clipboard and editing.
        case ID_E_Cut: SendMessageW(memo_, WM_CUT, 0, 0); break;
        case ID_E_Copy: SendMessageW(memo_, WM_COPY, 0, 0); break;
        case ID_E_Paste: Paste(false); break;
        case ID_E_PasteText: Paste(true); break;
        case ID_E_Delete: SendMessageW(memo_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"")); break;
        case ID_E_ClearAll:
            SendMessageW(memo_, EM_SETSEL, 0, -1);
            SendMessageW(memo_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
            break;
        case ID_E_SelectAll: SendMessageW(memo_, EM_SETSEL, 0, -1); break;
        case ID_E_Undo: SendMessageW(memo_, EM_UNDO, 0, 0); break;
        case ID_E_Quote: QuoteAll(false); break;
        case ID_E_Quote2: QuoteAll(true); break;
        case ID_E_CopyUrl: CopyUrl(); break;
        case ID_E_OpenKdt: OpenKdtFile(); break;
        // Format.
        case ID_E_Bold: ToggleStyle(CFM_BOLD); break;
        case ID_E_Italic: ToggleStyle(CFM_ITALIC); break;
        case ID_E_Underline: ToggleStyle(CFM_UNDERLINE); break;
        case ID_E_StrikeOut: ToggleStyle(CFM_STRIKEOUT); break;
        case ID_E_FormatCopy: FormatCopy(); break;
        case ID_E_FormatPaste: FormatPaste(); break;
        case ID_E_Bkgnd: SwitchBkgnd(); break;
        case ID_E_WordWrap: SwitchWordWrap(); break;
        case ID_E_FontColor: FontColorClick(); break;
        case ID_E_KelupColor: KelupColorClick(); break;
        case ID_E_Left: SetAlignment(PFA_LEFT); break;
        case ID_E_Center: SetAlignment(PFA_CENTER); break;
        case ID_E_Right: SetAlignment(PFA_RIGHT); break;
        case ID_E_Bullets: SwitchBullets(); break;
        // Insertions.
        case ID_E_Name: InsertName(); break;
        case ID_E_DateTimeWa:
        case ID_E_DateTimeSei:
        case ID_E_Date1:
        case ID_E_Date2:
        case ID_E_Date3:
        case ID_E_Date4:
        case ID_E_Time1:
        case ID_E_Time2: {
            static const DateInsert kKinds[] = {DateInsert::WarekiDateTime, DateInsert::SeirekiDateTime,
                                                DateInsert::Date1, DateInsert::Date2, DateInsert::Date3,
                                                DateInsert::Date4, DateInsert::Time1, DateInsert::Time2};
            InsertText(DateInsertText(kKinds[id - ID_E_DateTimeWa], DecodeDateTime(NowAsDateTime())));
            break;
        }
        case ID_E_LimitHan: btnLimitClick(false); break;
        case ID_E_LimitZen: btnLimitClick(true); break;
        // Toolbars and the lower area.
        case ID_E_ShowMenu: ShowBar(ID_E_ToolBar3, !barVisible_[2]); break;
        case ID_E_ShowToolbar: ShowBar(ID_E_ToolBar1, !barVisible_[0]); break;
        case ID_E_ShowFormat: ShowBar(ID_E_ToolBar2, !barVisible_[1]); break;
        case ID_E_HidePanel: HidePanel(); break;
        case ID_E_ShowPanel: ShowPanel(); break;
    }
}

LRESULT TInputEditer::OnNotify(NMHDR* nm) {
    if (nm->hwndFrom == memo_) {
        switch (nm->code) {
            case EN_SELCHANGE:
                if (!loading_) SelectionChanged();
                return 0;
            case EN_LINK:
                Memo1Link(*reinterpret_cast<ENLINK*>(nm));
                return 0;
            case EN_MSGFILTER: {
                auto* mf = reinterpret_cast<MSGFILTER*>(nm);
                if (mf->msg == WM_KEYUP || mf->msg == WM_LBUTTONUP) SelectionChanged();
                return 0;
            }
        }
        return 0;
    }
    if (nm->hwndFrom == tree_) {
        if (nm->code == TVN_SELCHANGEDW && !treeBuilding_) ShowGroup(false);
        return 0;
    }
    if (nm->code == TTN_GETDISPINFOW) {
        auto* di = reinterpret_cast<NMTTDISPINFOW*>(nm);
        static std::wstring hint;
        hint = Hint(int(nm->idFrom));
        di->lpszText = hint.data();
        di->hinst = nullptr;
        return 0;
    }
    if (nm->code == NM_CUSTOMDRAW && nm->hwndFrom == toolBar2_) {
        // The four style buttons show their own style.
        auto* cd = reinterpret_cast<NMTBCUSTOMDRAW*>(nm);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            int style = -1;
            switch (int(cd->nmcd.dwItemSpec)) {
                case ID_E_Bold: style = 0; break;
                case ID_E_Italic: style = 1; break;
                case ID_E_Underline: style = 2; break;
                case ID_E_StrikeOut: style = 3; break;
            }
            if (style >= 0 && styleFonts_[style]) {
                SelectObject(cd->nmcd.hdc, styleFonts_[style].get());
                return CDRF_NEWFONT;
            }
        }
        return CDRF_DODEFAULT;
    }
    if (nm->code == NM_RCLICK &&
        (nm->hwndFrom == toolBar1_ || nm->hwndFrom == toolBar2_ || nm->hwndFrom == toolBar3_ ||
         nm->hwndFrom == toolBar4_)) {
        POINT pt;
        GetCursorPos(&pt);
        ToolbarContextPopup(pt);
        return TRUE;
    }
    return 0;
}

std::wstring TInputEditer::Hint(int id) const {
    switch (id) {
        case ID_E_btnOk: return L"付箋紙へ表示";
        case ID_E_Cut: return L"切り取り";
        case ID_E_Copy: return L"コピー";
        case ID_E_Paste: return L"貼り付け";
        case ID_E_Delete: return L"削除";
        case ID_E_ClearAll: return L"クリア";
        case ID_E_Undo: return L"元に戻す";
        case ID_E_DateTimeWa: return L"現在日付時刻挿入";
        case ID_E_LimitHan: return L"予定日挿入(半)";
        case ID_E_LimitZen: return L"予定日挿入(全)";
        case ID_E_Quote: return L"すべての行を引用符号付に変換";
        case ID_E_Quote2: return L"引用行を削除し引用符号付に変換";
        case ID_E_WordWrap: return oriHint_;
        case ID_E_btnTrash: return L"ｷｬﾝｾﾙ";
        case ID_E_btnRemove: return L"はがす";
        case ID_E_HidePanel: return L"送信コントロール部を隠す";
        case ID_E_ShowPanel: return L"送信コントロール部を表示する";
        case ID_E_Bold: return L"太字";
        case ID_E_Italic: return L"斜体";
        case ID_E_Underline: return L"下線";
        case ID_E_StrikeOut: return L"打ち消し線";
        case ID_E_FontColor: return L"ﾌｫﾝﾄの色";
        case ID_E_KelupColor: return L"付箋紙の色";
        case ID_E_Left: return L"左揃え";
        case ID_E_Center: return L"中央揃え";
        case ID_E_Right: return L"右揃え";
        case ID_E_Bullets: return L"箇条書き";
    }
    return {};
}

// --- Menus -------------------------------------------------------------------

void TInputEditer::PopupAt(HMENU menu, POINT pt) {
    InitMenuPopup(menu);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
}

void TInputEditer::MenuButtonClick(int id) {
    RECT rc{};
    SendMessageW(toolBar3_, TB_GETRECT, WPARAM(id), reinterpret_cast<LPARAM>(&rc));
    MapWindowPoints(toolBar3_, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    SendMessageW(toolBar3_, TB_PRESSBUTTON, WPARAM(id), TRUE);
    PopupAt(GetSubMenu(menus_.get(), id - ID_E_MenuFile), POINT{rc.left, rc.bottom});
    SendMessageW(toolBar3_, TB_PRESSBUTTON, WPARAM(id), FALSE);
}

void TInputEditer::Memo1ContextPopup(POINT pt) {
    if (pt.x == -1 && pt.y == -1) {
        // From the keyboard: at the caret.
        POINTL caret{};
        CHARRANGE cr{};
        SendMessageW(memo_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
        SendMessageW(memo_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&caret), cr.cpMin);
        pt = {caret.x, caret.y + 16};
        ClientToScreen(memo_, &pt);
    }
    PopupAt(GetSubMenu(menus_.get(), 4), pt);
}

void TInputEditer::ToolbarContextPopup(POINT pt) { PopupAt(GetSubMenu(menus_.get(), 5), pt); }

void TInputEditer::InitMenuPopup(HMENU menu) {
    // Each menu is brought in line with the editor as it opens.
    const bool sel = HasSelection(), clip = ClipboardHasText();
    for (int id : {ID_E_Cut, ID_E_Copy, ID_E_Delete})
        EnableMenuItem(menu, UINT(id), MF_BYCOMMAND | (sel ? MF_ENABLED : MF_GRAYED));
    for (int id : {ID_E_Paste, ID_E_PasteText})
        EnableMenuItem(menu, UINT(id), MF_BYCOMMAND | (clip ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, ID_E_Undo,
                   MF_BYCOMMAND | (SendMessageW(memo_, EM_CANUNDO, 0, 0) ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, ID_E_CopyUrl, MF_BYCOMMAND | (url_.empty() ? MF_GRAYED : MF_ENABLED));
    EnableMenuItem(menu, ID_E_FormatPaste, MF_BYCOMMAND | (copied_.valid ? MF_ENABLED : MF_GRAYED));
    const bool canSend = SendMessageW(list2_, LB_GETCOUNT, 0, 0) > 0;
    for (int id : {ID_E_SendUpdate, ID_E_SendOnly, ID_E_SendPeel})
        EnableMenuItem(menu, UINT(id), MF_BYCOMMAND | (canSend ? MF_ENABLED : MF_GRAYED));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(memo_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    auto check = [&](int id, bool on) { CheckMenuItem(menu, UINT(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
    check(ID_E_Bold, (cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD));
    check(ID_E_Italic, (cf.dwMask & CFM_ITALIC) && (cf.dwEffects & CFE_ITALIC));
    check(ID_E_Underline, (cf.dwMask & CFM_UNDERLINE) && (cf.dwEffects & CFE_UNDERLINE));
    check(ID_E_StrikeOut, (cf.dwMask & CFM_STRIKEOUT) && (cf.dwEffects & CFE_STRIKEOUT));
    check(ID_E_Bkgnd, EditerBkgnd == 1);
    check(ID_E_WordWrap, wordWrap_);
    check(ID_E_ShowMenu, barVisible_[2]);
    check(ID_E_ShowToolbar, barVisible_[0]);
    check(ID_E_ShowFormat, barVisible_[1]);
}

// --- Clipboard and insertions --------------------------------------------------

void TInputEditer::Paste(bool plainText) {
    const UINT rtf = RegisterClipboardFormatW(L"Rich Text Format");
    // Text and rich text only: pictures and embedded objects stay out.
    UINT format = 0;
    if (!plainText && IsClipboardFormatAvailable(rtf)) format = rtf;
    else if (IsClipboardFormatAvailable(CF_UNICODETEXT)) format = CF_UNICODETEXT;
    if (!format) return;
    // What would not fit is refused whole rather than cut off.
    SIZE_T bytes = 0;
    std::wstring text;
    if (OpenClipboard(hwnd_)) {
        if (HANDLE h = GetClipboardData(format)) {
            bytes = GlobalSize(h);
            if (plainText) {
                if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
                    text.assign(p, wcsnlen(p, bytes / sizeof(wchar_t)));
                    GlobalUnlock(h);
                }
            }
        }
        CloseClipboard();
    }
    CHARRANGE cr{};
    SendMessageW(memo_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
    long long room = (long long)kTextLimit - TextLength(memo_) + (cr.cpMax - cr.cpMin);
    long long needed = format == CF_UNICODETEXT ? (long long)(bytes / sizeof(wchar_t)) : (long long)bytes / 4;
    if (needed > room) {
        ShowMsg(L"貼り付ける文章が大きすぎるため，貼り付けられません。", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    if (plainText) {
        // Line breaks of the clipboard become the editor's paragraphs.
        std::wstring clean;
        clean.reserve(text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
            clean += text[i] == L'\n' ? L'\r' : text[i];
        }
        SendMessageW(memo_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(clean.c_str()));
    } else {
        SendMessageW(memo_, EM_PASTESPECIAL, format, 0);
    }
}

void TInputEditer::InsertText(const std::wstring& text) {
    CHARRANGE cr{};
    SendMessageW(memo_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
    SendMessageW(memo_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    // The caret goes back in front of what was inserted.
    SendMessageW(memo_, EM_SETSEL, WPARAM(cr.cpMin), LPARAM(cr.cpMin));
    SetFocus(memo_);
}

void TInputEditer::InsertName() {
    const std::wstring& name = shell_.Config().MyName;
    if (name.empty()) {
        ShowMsg(L"名前が設定されていません。\rオプションの設定にて設定してください。", MB_OK | MB_ICONINFORMATION,
                hwnd_);
        return;
    }
    InsertText(name);
}

void TInputEditer::btnLimitClick(bool fullWidth) {
    const bool checking = host_ && host_->DeadlineCheckingOn();
    ScheduleChoice c = subDate1_.ShowModal(hwnd_, checking);
    if (c.ScheduleResult != 1) return;
    InsertText(ScheduleText(c.day.year, c.day.month, c.day.day, c.ScheduleFormat, fullWidth));
    if (host_) host_->ScheduleDeadline(request_.slot, EncodeDateTime(c.day), c.ScheduleAsDeadline == 1);
}

// --- Quoting and word wrap ---------------------------------------------------

void TInputEditer::QuoteAll(bool dropQuoted) {
    // The lines are the text's own paragraphs, whatever the wrapping.
    const bool wrapped = wordWrap_;
    if (wrapped) SendMessageW(memo_, EM_SETTARGETDEVICE, 0, 1);
    const std::vector<std::wstring> lines = Lines();
    const std::vector<QuoteAction> plan = QuotePlan(lines, dropQuoted);
    SendMessageW(memo_, WM_SETREDRAW, FALSE, 0);
    const LONG length = TextLength(memo_);
    for (size_t i = plan.size(); i-- > 0;) {
        LONG start = LONG(SendMessageW(memo_, EM_LINEINDEX, WPARAM(i), 0));
        if (start < 0) continue;
        if (plan[i] == QuoteAction::Quote) {
            // Each line keeps its own formatting; the sign takes that of its first letter.
            SendMessageW(memo_, EM_SETSEL, WPARAM(start), LPARAM(start));
            SendMessageW(memo_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L">"));
        } else {
            LONG end = i + 1 < plan.size() ? LONG(SendMessageW(memo_, EM_LINEINDEX, WPARAM(i + 1), 0))
                                           : TextLength(memo_);
            if (i + 1 >= plan.size() && i > 0) --start;   // the last line takes the break before it
            SendMessageW(memo_, EM_SETSEL, WPARAM(start), LPARAM(end));
            SendMessageW(memo_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
        }
    }
    (void)length;
    if (wrapped) SendMessageW(memo_, EM_SETTARGETDEVICE, 0, 0);
    SendMessageW(memo_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(memo_, nullptr, TRUE);
    SendMessageW(memo_, EM_SETSEL, WPARAM(-1), LPARAM(-1));
    SendMessageW(memo_, EM_SCROLLCARET, 0, 0);
    CloseMode = 1;
}

void TInputEditer::ApplyWordWrap() {
    // Wrapping: a vertical bar only; not wrapping: both.
    SendMessageW(memo_, EM_SETTARGETDEVICE, 0, wordWrap_ ? 0 : 1);
    SendMessageW(memo_, EM_SHOWSCROLLBAR, SB_HORZ, wordWrap_ ? FALSE : TRUE);
    CheckMenuItem(menus_.get(), ID_E_WordWrap, MF_BYCOMMAND | (wordWrap_ ? MF_CHECKED : MF_UNCHECKED));
    SendMessageW(toolBar1_, TB_CHECKBUTTON, ID_E_WordWrap, wordWrap_);
}

void TInputEditer::SwitchWordWrap() {
    wordWrap_ = !wordWrap_;
    ApplyWordWrap();
    oriHint_ = wordWrap_ ? L"現在の状態：右端で折返す" : L"現在の状態：右端で折返さない";
    SendMessageW(memo_, EM_AUTOURLDETECT, TRUE, 0);
}

// --- Files and links -------------------------------------------------------------

void TInputEditer::OpenKdtFile() {
    wchar_t file[MAX_PATH * 2] = L"*.kdt";
    static const wchar_t kFilter[] = L"付箋紙文字ﾃﾞｰﾀ(*.kdt)\0*.kdt\0";
    const std::wstring& folder = shell_.Path().DataDir;
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = DWORD(std::size(file));
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return;
    const long long size = FileSizeOf(file);
    std::string bytes;
    if (size > kMaxKdtBytes) {
        ShowMsg(L"ファイルが大きすぎるため開けません。", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    if (size < 0 || !ReadWholeFile(file, bytes)) {
        ShowMsg(L"ファイルを読み込めませんでした。", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    if (bytes.rfind("{\\rtf", 0) != 0) {
        ShowMsg(L"付箋紙文字データ（リッチテキスト）ではないため開けません。", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    RichFromRtf(memo_, bytes);
    SendMessageW(memo_, EM_SETSEL, 0, 0);
    CloseMode = 1;
}

void TInputEditer::Memo1Link(const ENLINK& link) {
    if (link.msg != WM_LBUTTONUP && link.msg != WM_RBUTTONDOWN && link.msg != WM_MBUTTONDOWN) return;
    LONG n = link.chrg.cpMax - link.chrg.cpMin;
    if (n <= 0 || n > 4096) return;
    std::wstring url(size_t(n) + 1, L'\0');
    TEXTRANGEW tr{link.chrg, url.data()};
    SendMessageW(memo_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr));
    url.resize(wcslen(url.c_str()));
    if (link.msg == WM_LBUTTONUP && OpensOnClick(url)) {
        ShellExecuteW(hwnd_, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    // Anything else is only remembered, for "URLをコピー".
    url_ = url;
}

void TInputEditer::CopyUrl() {
    if (!url_.empty()) PutOnClipboard(hwnd_, url_);
}

// --- Toolbars and the lower area ---------------------------------------------

void TInputEditer::ShowBar(int toolbarId, bool show) {
    int index = toolbarId == ID_E_ToolBar1 ? 0 : toolbarId == ID_E_ToolBar2 ? 1 : 2;
    barVisible_[index] = show;
    // The menu bar and the edit toolbar are never hidden both.
    if (!show && index == 0) barVisible_[2] = true;
    if (!show && index == 2) barVisible_[0] = true;
    Layout();
}

void TInputEditer::HidePanel() {
    if (standalone_ || ShowPanelMode == 1) return;
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    ShowPanelMode = 1;
    EnableCommand(ID_E_HidePanel, false);
    EnableCommand(ID_E_ShowPanel, true);
    // The window shrinks by the lower area; Memo1 keeps its height.
    SetWindowPos(hwnd_, nullptr, 0, 0, wr.right - wr.left, wr.bottom - wr.top - (splitterH_ + panelH_ + panel1H_),
                 SWP_NOMOVE | SWP_NOZORDER);
    Layout();
}

void TInputEditer::ShowPanel() {
    if (standalone_ || ShowPanelMode == 0) return;
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    ShowPanelMode = 0;
    EnableCommand(ID_E_HidePanel, true);
    EnableCommand(ID_E_ShowPanel, false);
    SetWindowPos(hwnd_, nullptr, 0, 0, wr.right - wr.left, wr.bottom - wr.top + (splitterH_ + panelH_ + panel1H_),
                 SWP_NOMOVE | SWP_NOZORDER);
    Layout();
}

// --- Input method ----------------------------------------------------------------

void TInputEditer::Memo1Enter() {
    if (shell_.Config().IME != 1) return;
    // Switched on just after: a posted message comes before any typing, and
    // the editor shows without waiting for the input method.
    PostMessageW(hwnd_, kOpenInputMethod, 0, 0);
}

void TInputEditer::OpenInputMethod() {
    if (GetFocus() != memo_) return;
    if (HIMC imc = ImmGetContext(memo_)) {
        if (!ImmGetOpenStatus(imc)) {
            ImmSetOpenStatus(imc, TRUE);
            imeSwitched_ = true;
        }
        ImmReleaseContext(memo_, imc);
    }
}

void TInputEditer::Memo1Exit() {
    SendMessageW(memo_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&savedSel_));
    if (!imeSwitched_) return;
    imeSwitched_ = false;
    if (HIMC imc = ImmGetContext(memo_)) {
        ImmSetOpenStatus(imc, FALSE);
        ImmReleaseContext(memo_, imc);
    }
}

void TInputEditer::SetImeColours() {
    // Blue on silver while composing, then yellow on black, blue, black.
    COMPCOLOR colours[4] = {};
    SendMessageW(memo_, EM_GETIMECOLOR, 0, reinterpret_cast<LPARAM>(colours));
    static const COLORREF kText[4] = {RGB(0, 0, 255), RGB(255, 255, 0), RGB(255, 255, 0), RGB(255, 255, 0)};
    static const COLORREF kBack[4] = {12632256, RGB(0, 0, 0), RGB(0, 0, 255), RGB(0, 0, 0)};
    for (int i = 0; i < 4; ++i) {
        colours[i].crText = kText[i];
        colours[i].crBackground = kBack[i];
    }
    // Not every rich edit knows these; the editor works the same without.
    SendMessageW(memo_, EM_SETIMECOLOR, 0, reinterpret_cast<LPARAM>(colours));
}

// --- Memo1 and the font boxes, subclassed ---------------------------------------

LRESULT CALLBACK TInputEditer::MemoProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TInputEditer*>(ref);
    switch (msg) {
        case WM_PASTE:
            self->Paste(false);
            return 0;
        case WM_CONTEXTMENU:
            self->Memo1ContextPopup(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_CHAR:
            // A line feed (Ctrl+Enter, or one sent as a character) starts a
            // paragraph as Enter does; the control would drop it.
            if (wp == L'\n') {
                SendMessageW(h, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\r"));
                return 0;
            }
            break;
        case WM_DROPFILES:
            return 0;
        case WM_NCDESTROY:
            RemoveWindowSubclass(h, MemoProc, 1);
            break;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

LRESULT CALLBACK TInputEditer::ComboEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TInputEditer*>(ref);
    if ((msg == WM_CHAR || msg == WM_KEYDOWN) && (wp == VK_RETURN || wp == VK_ESCAPE)) {
        if (msg == WM_KEYDOWN) {
            if (wp == VK_RETURN) {
                if (id == ID_E_FontSize) self->FontSizeApply();
                else self->FontNameApply();
            } else {
                self->SelectionChanged();
                SetFocus(self->memo_);
            }
        }
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, ComboEditProc, id);
    return DefSubclassProc(h, msg, wp, lp);
}

}  // namespace kelup
