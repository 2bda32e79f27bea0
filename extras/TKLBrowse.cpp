#include "extras/TKLBrowse.h"

#include <commdlg.h>

#include "base/Dialog.h"
#include "extras/Association.h"
#include "res/resource.h"

namespace kelup {

namespace {

std::wstring ItemText(HWND dlg, int id) {
    HWND h = GetDlgItem(dlg, id);
    std::wstring t(size_t(GetWindowTextLengthW(h)) + 1, L'\0');
    GetWindowTextW(h, t.data(), int(t.size()));
    t.resize(wcslen(t.c_str()));
    return t;
}

}  // namespace

bool TKLBrowse::ShowModal(HWND owner, std::wstring& text) {
    text_ = text;
    INT_PTR r = RunDialog(this, IDD_KLBROWSE, owner);
    if (r != IDOK) return false;
    text = text_;
    return true;
}

INT_PTR TKLBrowse::OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG: {
            SetMainIcon(dlg);
            HWND combo = GetDlgItem(dlg, IDC_BrowseEdit1);
            for (const auto& entry : history_)
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
            SetWindowTextW(combo, text_.c_str());
            SetFocus(combo);
            return FALSE;   // the focus is set
        }
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDC_BrowseRef: btnBrowsClick(dlg); return TRUE;
                case IDC_BrowseMailto:
                    SetDlgItemTextW(dlg, IDC_BrowseEdit1, WithMailto(ItemText(dlg, IDC_BrowseEdit1)).c_str());
                    return TRUE;
                case IDOK:
                    text_ = ItemText(dlg, IDC_BrowseEdit1);
                    RememberAssociation(history_, text_);
                    EndDialog(dlg, IDOK);
                    return TRUE;
                case IDC_BrowseClear:
                    text_.clear();
                    EndDialog(dlg, IDOK);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dlg, IDCANCEL);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

void TKLBrowse::btnBrowsClick(HWND dlg) {
    wchar_t file[MAX_PATH] = L"*.*";
    static const wchar_t kFilter[] =
        L"全てのファイル(*.*)\0*.*\0テキストファイル(*.txt)\0*.txt\0イメージ(*.bmp *.jpg *.jpeg)\0*.bmp;*.jpg;*.jpeg\0"
        L"プログラムファイル(*.exe *.com)\0*.exe;*.com\0";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = dlg;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    if (GetOpenFileNameW(&ofn)) SetDlgItemTextW(dlg, IDC_BrowseEdit1, file);
}

}  // namespace kelup
