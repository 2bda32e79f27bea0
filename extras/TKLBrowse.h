#pragma once
// The association dialog "関連づけ": the file, web address or mail address
// a note opens. One for the whole run; it remembers the entries confirmed.

#include <windows.h>

#include <string>
#include <vector>

namespace kelup {

class TKLBrowse {
public:
    // Shows the dialog with `text` filled in; true on OK or "クリア", with
    // `text` then holding the dialog's text (empty after "クリア").
    bool ShowModal(HWND owner, std::wstring& text);

    // The dialog's messages (see base/Dialog.h).
    INT_PTR OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

private:
    void btnBrowsClick(HWND dlg);

    std::vector<std::wstring> history_;   // confirmed during this run, not stored
    std::wstring text_;
};

}  // namespace kelup
