// Commands on a note's whole text: one line copied with its formatting, the
// whole text copied, pasted and loaded, saved as plain text, printed, and
// the line spacing.

#include "notes/TextCommands.h"

#include <commdlg.h>

#include <algorithm>

#include "app/Settings.h"
#include "app/ShowMsg.h"
#include "base/Cp932.h"
#include "base/FileOps.h"
#include "notes/EditRules.h"
#include "notes/RichText.h"
#include "notes/TKELUPSHI.h"
#include "res/resource.h"

namespace kelup {

namespace {

HWND g_scratch[2] = {};

const wchar_t kWriteError[] = L"ファイル書込み処理でエラーが発生しました";

// The clipboard's data of `format` as bytes; false when it has none.
bool ClipboardBytes(UINT format, std::string& bytes, size_t limit, bool& tooLarge) {
    HANDLE h = GetClipboardData(format);
    if (!h) return false;
    size_t size = GlobalSize(h);
    if (size > limit) {
        tooLarge = true;
        return false;
    }
    const char* p = static_cast<const char*>(GlobalLock(h));
    if (!p) return false;
    bytes.assign(p, size);
    GlobalUnlock(h);
    return true;
}

bool StreamInSelection(HWND re, const std::string& rtf) {
    struct In {
        const std::string* data;
        size_t pos = 0;
    } in{&rtf};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&in), 0, [](DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* read) -> DWORD {
                      auto* s = reinterpret_cast<In*>(cookie);
                      size_t n = std::min(size_t(cb), s->data->size() - s->pos);
                      memcpy(buf, s->data->data() + s->pos, n);
                      s->pos += n;
                      *read = LONG(n);
                      return 0;
                  }};
    SendMessageW(re, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0;
}

HGLOBAL GlobalOf(const void* data, size_t size) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!mem) return nullptr;
    if (void* p = GlobalLock(mem)) {
        memcpy(p, data, size);
        GlobalUnlock(mem);
        return mem;
    }
    GlobalFree(mem);
    return nullptr;
}

}  // namespace

bool CopySelectionToClipboard(HWND re, HWND owner) {
    CHARRANGE r{};
    SendMessageW(re, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    if (r.cpMax <= r.cpMin && r.cpMax != -1) return false;
    std::string rtf;
    {
        struct Out {
            std::string* data;
        } out{&rtf};
        EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&out), 0,
                      [](DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) -> DWORD {
                          reinterpret_cast<Out*>(cookie)->data->append(reinterpret_cast<char*>(buf), size_t(cb));
                          *done = cb;
                          return 0;
                      }};
        SendMessageW(re, EM_STREAMOUT, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&es));
    }
    GETTEXTLENGTHEX gl{GTL_NUMCHARS | GTL_PRECISE, 1200};
    LONG all = LONG(SendMessageW(re, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
    std::wstring sel(size_t(std::max<LONG>(all, 0)) + 1, L'\0');
    LRESULT got = SendMessageW(re, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(sel.data()));
    sel.resize(size_t(std::max<LRESULT>(got, 0)));
    if (sel.empty()) return false;
    std::wstring text;
    text.reserve(sel.size() + sel.size() / 8);
    for (size_t i = 0; i < sel.size(); ++i) {
        text += sel[i];
        if (sel[i] == L'\r' && (i + 1 >= sel.size() || sel[i + 1] != L'\n')) text += L'\n';
    }
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    static const UINT cfRtf = RegisterClipboardFormatW(L"Rich Text Format");
    bool ok = false;
    if (HGLOBAL mem = GlobalOf(text.c_str(), (text.size() + 1) * sizeof(wchar_t))) {
        ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
        if (!ok) GlobalFree(mem);
    }
    if (!rtf.empty())
        if (HGLOBAL mem = GlobalOf(rtf.c_str(), rtf.size() + 1))
            if (!SetClipboardData(cfRtf, mem)) GlobalFree(mem);
    CloseClipboard();
    return ok;
}

HWND ScratchRichEdit(Scratch which) {
    HWND& h = g_scratch[which == Scratch::X ? 0 : 1];
    if (!h || !IsWindow(h)) {
        h = CreateWindowExW(0, kRichEditClass, L"", ES_MULTILINE, 0, 0, 4000, 400, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
        if (h) {
            SendMessageW(h, EM_SETTEXTMODE, TM_RICHTEXT, 0);
            SendMessageW(h, EM_EXLIMITTEXT, 0, LPARAM(kMaxNoteChars + 1));
        }
    }
    return h;
}

bool RtfHasObjects(const std::string& rtf) {
    // Control words that bring pictures, shapes or OLE objects; a false alarm
    // costs only the formatting (the text is pasted plain).
    for (const char* word : {"\\pict", "\\object", "\\shp", "\\objdata", "\\bin"})
        if (rtf.find(word) != std::string::npos) return true;
    return false;
}

PasteResult PasteClipboardText(HWND re, HWND owner) {
    if (!OpenClipboard(owner)) return PasteResult::NothingToPaste;
    static const UINT cfRtf = RegisterClipboardFormatW(L"Rich Text Format");
    bool tooLarge = false;
    std::string rtf, text;
    bool haveRtf = ClipboardBytes(cfRtf, rtf, kMaxNoteRtfBytes, tooLarge) && !RtfHasObjects(rtf);
    bool rtfTooLarge = tooLarge;
    tooLarge = false;
    bool haveText = !haveRtf && ClipboardBytes(CF_UNICODETEXT, text, kMaxNoteChars * sizeof(wchar_t), tooLarge);
    CloseClipboard();
    if (haveRtf) {
        // The RTF ends at its first NUL: the clipboard rounds sizes up.
        rtf.resize(std::min(rtf.size(), rtf.find('\0')));
        if (StreamInSelection(re, rtf)) return PasteResult::Pasted;
        return PasteResult::NothingToPaste;
    }
    if (!haveText) return (tooLarge || (rtfTooLarge && !IsClipboardFormatAvailable(CF_UNICODETEXT)))
                              ? PasteResult::TooLarge
                              : PasteResult::NothingToPaste;
    std::wstring w(reinterpret_cast<const wchar_t*>(text.data()), text.size() / sizeof(wchar_t));
    w.resize(std::min(w.size(), w.find(L'\0')));
    if (w.empty()) return PasteResult::NothingToPaste;
    SendMessageW(re, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(w.c_str()));
    return PasteResult::Pasted;
}

int PrintRichText(HWND re, HDC printer, const std::wstring& docName, bool asDocument) {
    if (!printer) return 0;
    const int dpiX = std::max(GetDeviceCaps(printer, LOGPIXELSX), 1), dpiY = std::max(GetDeviceCaps(printer, LOGPIXELSY), 1);
    const int width = MulDiv(GetDeviceCaps(printer, HORZRES), 1440, dpiX);
    const int height = MulDiv(GetDeviceCaps(printer, VERTRES), 1440, dpiY);
    // Half an inch of margin where the page allows it.
    const int margin = (width > 2880 && height > 2880) ? 720 : 0;
    FORMATRANGE fr{};
    fr.hdc = fr.hdcTarget = printer;
    fr.rcPage = RECT{0, 0, width, height};
    GETTEXTLENGTHEX gl{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LONG total = LONG(SendMessageW(re, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
    DOCINFOW di{};
    di.cbSize = sizeof(di);
    di.lpszDocName = docName.c_str();
    if (asDocument && StartDocW(printer, &di) <= 0) return 0;
    int pages = 0;
    bool failed = false;
    fr.chrg = CHARRANGE{0, -1};
    do {
        fr.rc = RECT{margin, margin, width - margin, height - margin};
        if (asDocument && StartPage(printer) <= 0) {
            failed = true;
            break;
        }
        LONG next = LONG(SendMessageW(re, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&fr)));
        if (asDocument && EndPage(printer) <= 0) failed = true;
        ++pages;
        // A page that takes nothing (a picture taller than the page) ends
        // the job rather than printing empty pages for ever.
        if (failed || next <= fr.chrg.cpMin) break;
        fr.chrg.cpMin = next;
    } while (fr.chrg.cpMin < total);
    SendMessageW(re, EM_FORMATRANGE, FALSE, 0);
    if (asDocument) {
        if (failed) AbortDoc(printer);
        else EndDoc(printer);
    }
    return failed ? 0 : pages;
}

bool TKELUPSHI::LineCopy(int index) {
    HWND x = ScratchRichEdit(Scratch::X);
    if (!x) return false;
    // The note's text file, with the formatting as typed; the text shown
    // when there is no file.
    std::string bytes;
    std::wstring path = host_ ? host_->NoteTextPath(MyNumber) : std::wstring();
    if (path.empty() || !ReadWholeFile(path, bytes)) bytes = RichToRtf(richEdit_);
    if (!RichFromRtf(x, bytes)) return false;
    SendMessageW(x, EM_SETTARGETDEVICE, 0, 1);   // no word wrap: a line is a paragraph
    std::vector<std::wstring> paragraphs = RichLines(x);
    int mode = host_ ? host_->NoteConfig().LineCopyMode : 0;
    std::optional<TextSpan> span = LineCopySpan(paragraphs, index, mode);
    if (!span || span->length == 0) return false;
    LONG start = 0;
    for (int i = 0; i < index; ++i) start += LONG(paragraphs[size_t(i)].size()) + 1;
    start += LONG(span->start);
    SendMessageW(x, EM_SETSEL, start, start + LONG(span->length));
    bool copied = CopySelectionToClipboard(x, hwnd_);
    RichClear(x);
    return copied;
}

void TKELUPSHI::M_CopyClick() {
    SendMessageW(richEdit_, EM_SETSEL, 0, -1);
    CopySelectionToClipboard(richEdit_, hwnd_);
    SendMessageW(richEdit_, EM_SETSEL, 0, 0);
}

bool TKELUPSHI::M_PasteClick() {
    HWND x = ScratchRichEdit(Scratch::X);
    if (!x || !host_) return false;
    RichClear(x);
    switch (PasteClipboardText(x, hwnd_)) {
        case PasteResult::Pasted: break;
        case PasteResult::NothingToPaste: return false;
        case PasteResult::TooLarge:
            ShowMsg(L"クリップボードのテキストが大きすぎるため貼り付けできません", MB_ICONERROR, hwnd_);
            return false;
    }
    std::string rtf = RichToRtf(x);
    RichClear(x);
    // The note's text file takes the pasted text first: only what was
    // written is shown.
    if (!WriteFileAtomic(host_->NoteTextPath(MyNumber), rtf)) {
        ShowMsg(kWriteError, MB_ICONERROR, hwnd_);
        return false;
    }
    ShowRtf(rtf);
    host_->CompDate(MyNumber);
    LineCnt = int(RichLines(richEdit_).size());
    host_->SaveNotes();
    host_->SaveBackUpKdt(MyNumber);
    return true;
}

bool TKELUPSHI::LoadNoteText(const std::wstring& path) {
    if (!host_) return false;
    if (FileSizeOf(path) > (long long)kMaxNoteRtfBytes) {
        ShowMsg(L"ファイルが大きすぎるため読み込めません", MB_ICONERROR, hwnd_);
        return false;
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        ShowMsg(L"ファイル読込み処理でエラーが発生しました", MB_ICONERROR, hwnd_);
        return false;
    }
    HWND x = ScratchRichEdit(Scratch::X);
    if (bytes.rfind("{\\rtf", 0) != 0 || !x || !RichFromRtf(x, bytes)) {
        ShowMsg(L"付箋紙文字ﾃﾞｰﾀではないため読み込めません", MB_ICONERROR, hwnd_);
        if (x) RichClear(x);
        return false;
    }
    RichClear(x);
    // The loaded text becomes the note's own, as a paste does: kept in its
    // text file, so the next date update or start shows it again.
    if (!WriteFileAtomic(host_->NoteTextPath(MyNumber), bytes)) {
        ShowMsg(kWriteError, MB_ICONERROR, hwnd_);
        return false;
    }
    ShowRtf(bytes);
    host_->CompDate(MyNumber);
    LineCnt = int(RichLines(richEdit_).size());
    host_->SaveNotes();
    host_->SaveBackUpKdt(MyNumber);
    return true;
}

void TKELUPSHI::M_LoadClick() {
    if (!host_) return;
    wchar_t file[MAX_PATH] = L"*.kdt";
    std::wstring dir = host_->DataFolder();
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = L"付箋紙文字ﾃﾞｰﾀ(*.kdt)\0*.kdt\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = dir.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    TopRelease();
    bool chosen = GetOpenFileNameW(&ofn) != FALSE;
    TopSet();
    if (chosen) LoadNoteText(file);
}

bool TKELUPSHI::SaveAsText(const std::wstring& path) {
    std::wstring text;
    for (const std::wstring& line : RichLines(richEdit_)) text += line + L"\r\n";
    return WriteFileAtomic(path, ToCp932(text));
}

void TKELUPSHI::M_SaveTextClick() {
    if (!host_) return;
    wchar_t file[MAX_PATH] = L"*.txt";
    std::wstring dir = host_->SaveTextFolder();
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = L"テキストファイル (*.txt)\0*.txt\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = dir.c_str();
    ofn.lpstrDefExt = L"txt";
    ofn.lpstrTitle = L"名前を付けて保存";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN;
    TopRelease();
    bool chosen = GetSaveFileNameW(&ofn) != FALSE;
    if (chosen && FileExists(file) &&
        ShowMsg(L"上書きしますか？", MB_YESNO | MB_ICONQUESTION, hwnd_) != IDYES)
        chosen = false;
    if (chosen && !SaveAsText(file)) ShowMsg(kWriteError, MB_ICONERROR, hwnd_);
    TopSet();
}

void TKELUPSHI::M_PrnClick() {
    TopRelease();
    PRINTDLGW pd{};
    pd.lStructSize = sizeof(pd);
    pd.hwndOwner = hwnd_;
    pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
    if (PrintDlgW(&pd) && pd.hDC) {
        if (PrintRichText(richEdit_, pd.hDC, L"付箋紙" + std::to_wstring(MyNumber)) == 0)
            ShowMsg(L"印刷できませんでした", MB_ICONERROR, hwnd_);
        DeleteDC(pd.hDC);
    }
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
    TopSet();
}

void TKELUPSHI::LineSpaceSet(int id) {
    static const LineSpaceCmd cmds[5] = {LineSpaceCmd::Zero, LineSpaceCmd::Half, LineSpaceCmd::Full,
                                         LineSpaceCmd::Narrower, LineSpaceCmd::Wider};
    if (id < ID_LineSpace0 || id > ID_LineSpacePlus) return;
    LineSpace = LineSpaceAfter(LineSpace, cmds[id - ID_LineSpace0]);
    ApplyLineSpace();
    if (!host_) return;
    // The text file holds the text as typed (placeholders and all), not as
    // shown: it takes the spacing on its own, in the scratch.
    std::string bytes;
    std::wstring path = host_->NoteTextPath(MyNumber);
    HWND x = ScratchRichEdit(Scratch::X);
    bool written = false;
    if (x && !path.empty() && ReadWholeFile(path, bytes) && RichFromRtf(x, bytes)) {
        RichSetLineSpace(x, LineSpace);
        written = WriteFileAtomic(path, RichToRtf(x));
        RichClear(x);
    } else {
        written = host_->WriteNoteText(MyNumber, false);
    }
    if (!written) ShowMsg(kWriteError, MB_ICONERROR, hwnd_);
    host_->SaveNotes();
}

bool TKELUPSHI::OnTextCommand(int id) {
    switch (id) {
        case ID_M_Copy: M_CopyClick(); return true;
        case ID_M_Paste: M_PasteClick(); return true;
        case ID_M_Load: M_LoadClick(); return true;
        case ID_M_SaveText: M_SaveTextClick(); return true;
        case ID_M_Prn: M_PrnClick(); return true;
        default:
            if (id >= ID_LineSpace0 && id <= ID_LineSpacePlus) {
                LineSpaceSet(id);
                return true;
            }
            if (id >= ID_M_CopyLine1 && id <= ID_M_CopyLine9) {
                LineCopy(id - ID_M_CopyLine1);
                return true;
            }
            return false;
    }
}

}  // namespace kelup
