// Peeling text notes, the peel log, and bringing the last two back.

#include <windows.h>
#include <shellapi.h>

#include "store/NoteStore.h"
#include "app/ShowMsg.h"
#include "base/Cp932.h"
#include "base/FileOps.h"
#include "base/TextLines.h"
#include "dates/DateTime.h"
#include "dates/SystemFormat.h"
#include "notes/RichText.h"
#include "notes/TKELUPSHI.h"
#include "res/resource.h"
#include "store/PeelLog.h"

namespace kelup {

namespace {

// The comment dialog; true when the user chose to peel.
struct CommentDialog {
    std::wstring text;
    static INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<CommentDialog*>(GetWindowLongPtrW(dlg, DWLP_USER));
        switch (msg) {
            case WM_INITDIALOG:
                SetWindowLongPtrW(dlg, DWLP_USER, lp);
                SetDlgItemTextW(dlg, IDC_CommentEdit, L"");
                SetForegroundWindow(dlg);
                return TRUE;
            case WM_COMMAND:
                if (LOWORD(wp) == IDOK) {
                    HWND edit = GetDlgItem(dlg, IDC_CommentEdit);
                    std::wstring t(size_t(GetWindowTextLengthW(edit)) + 1, L'\0');
                    GetWindowTextW(edit, t.data(), int(t.size()));
                    t.resize(wcslen(t.c_str()));
                    self->text = t;
                    EndDialog(dlg, IDOK);
                    return TRUE;
                }
                if (LOWORD(wp) == IDCANCEL) {
                    EndDialog(dlg, IDCANCEL);
                    return TRUE;
                }
                break;
        }
        return FALSE;
    }
    bool Show(HWND owner) {
        return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_COMMENT), owner, Proc,
                               reinterpret_cast<LPARAM>(this)) == IDOK;
    }
};

}  // namespace

bool NoteStore::WritePeelLog(TKELUPSHI* note, const std::vector<std::wstring>* comment) {
    CivilDateTime made = DecodeDateTime(note->MakeDT);
    CivilDateTime now = DecodeDateTime(NowAsDateTime());
    std::wstring entry = PeelLogEntry(SystemDateText(made) + L" " + SystemTimeText(made),
                                      SystemDateText(now) + L" " + SystemTimeText(now), RichLines(note->RichEdit1()), comment);
    std::string bytes = ToCp932(entry);
    HANDLE h = CreateFileW(Path.PeelLogPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = h != INVALID_HANDLE_VALUE;
    if (ok) {
        DWORD put = 0;
        ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr) && put == bytes.size();
        CloseHandle(h);
    }
    if (!ok) ShowMsg(L"ファイル書込み処理(ログ)でエラーが発生しました", MB_ICONERROR, Owner());
    return ok;
}

void NoteStore::PeelNote(int slot, PeelKind kind) {
    TKELUPSHI* note = TextNotes.At(slot);
    if (!note) return;
    if (kind == PeelKind::Comment) {
        note->TopRelease();
        CommentDialog dlg;
        if (!dlg.Show(note->Handle())) {
            note->TopSet();
            return;
        }
        std::vector<std::wstring> comment = SplitLines(dlg.text);
        WritePeelLog(note, &comment);
    } else {
        bool log = Config.UseLog1 == 1 && (kind == PeelKind::Log1 ? Config.LogDefault == 1 : Config.LogDefault == 0);
        if (log) WritePeelLog(note, nullptr);
    }
    UndoForm(note);
    ShowWindow(note->Handle(), SW_HIDE);
    ReleaseTextNote(slot);
}

void NoteStore::M_AllRemoveNClick() {
    if (ShowMsg(L"すべての付箋紙をはがしますか？", MB_YESNO | MB_ICONQUESTION, Owner()) != IDYES) return;
    for (int i = 0; i < MaxTextNotes; ++i)
        if (TextNotes.InUse(i)) PeelNote(i, PeelKind::Log1);
}

void NoteStore::M_Log1Click() {
    if (!FileExists(Path.PeelLogPath)) {
        ShowMsg(L"ログファイルはまだ作成されていません", MB_ICONWARNING, Owner());
        return;
    }
    std::wstring params = L"\"" + Path.PeelLogPath + L"\"";
    auto r = reinterpret_cast<INT_PTR>(
        ShellExecuteW(Owner(), nullptr, Config.Editer.c_str(), params.c_str(), nullptr, SW_SHOWNORMAL));
    if (r < 32) ShowMsg(L"エディタを開けません", MB_ICONERROR, Owner());
}

}  // namespace kelup
