#include "base/InputQuery.h"

#include <imm.h>

#include "base/Dialog.h"
#include "res/resource.h"

namespace kelup {

namespace {

class InputBox {
public:
    InputBox(const std::wstring& caption, const std::wstring& prompt, std::wstring& value, bool imeOn)
        : caption_(caption), prompt_(prompt), value_(value), imeOn_(imeOn) {}

    INT_PTR OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
        switch (msg) {
            case WM_INITDIALOG: {
                SetMainIcon(dlg);
                SetWindowTextW(dlg, caption_.c_str());
                SetDlgItemTextW(dlg, IDC_InputQueryPrompt, prompt_.c_str());
                HWND edit = GetDlgItem(dlg, IDC_InputQueryEdit);
                SendMessageW(edit, EM_LIMITTEXT, 1024, 0);
                SetWindowTextW(edit, value_.c_str());
                SendMessageW(edit, EM_SETSEL, 0, -1);
                SetFocus(edit);
                if (imeOn_) SwitchIme(edit, true);
                return FALSE;   // the focus is set
            }
            case WM_COMMAND:
                switch (LOWORD(wp)) {
                    case IDOK: {
                        HWND edit = GetDlgItem(dlg, IDC_InputQueryEdit);
                        int n = GetWindowTextLengthW(edit);
                        std::wstring text(size_t(n) + 1, L'\0');
                        GetWindowTextW(edit, text.data(), n + 1);
                        text.resize(size_t(n));
                        value_ = text;
                        Close(dlg, IDOK);
                        return TRUE;
                    }
                    case IDCANCEL: Close(dlg, IDCANCEL); return TRUE;
                }
                break;
        }
        return FALSE;
    }

private:
    void SwitchIme(HWND edit, bool on) {
        if (HIMC imc = ImmGetContext(edit)) {
            if (on && !ImmGetOpenStatus(imc)) {
                ImmSetOpenStatus(imc, TRUE);
                switched_ = true;
            } else if (!on && switched_) {
                ImmSetOpenStatus(imc, FALSE);
                switched_ = false;
            }
            ImmReleaseContext(edit, imc);
        }
    }
    void Close(HWND dlg, int result) {
        SwitchIme(GetDlgItem(dlg, IDC_InputQueryEdit), false);
        EndDialog(dlg, result);
    }

    const std::wstring& caption_;
    const std::wstring& prompt_;
    std::wstring& value_;
    bool imeOn_;
    bool switched_ = false;
};

}  // namespace

bool InputQuery(HWND owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& value,
                bool imeOn) {
    std::wstring typed = value;
    InputBox box(caption, prompt, typed, imeOn);
    if (RunDialog(&box, IDD_INPUTQUERY, owner) != IDOK) return false;
    value = typed;
    return true;
}

}  // namespace kelup
