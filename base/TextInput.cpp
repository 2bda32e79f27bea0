#include "base/TextInput.h"

#include <imm.h>

#include "base/Dialog.h"
#include "res/resource.h"

namespace kelup {

INT_PTR TTextInput::ShowModal(HWND owner, const std::wstring& caption, const std::wstring& prompt,
                              std::wstring& text) {
    caption_ = caption.empty() ? std::wstring(kTextInputCaption) : caption;
    prompt_ = prompt;
    text_ = text;
    INT_PTR result = RunDialog(this, IDD_TEXTINPUT, owner);
    if (result == IDOK) text = text_;
    return result;
}

void TTextInput::FormShow(HWND dlg) {
    SetMainIcon(dlg);
    SetWindowTextW(dlg, caption_.c_str());
    SetDlgItemTextW(dlg, IDC_TI_lbl_prompt, prompt_.c_str());
    edit_ = GetDlgItem(dlg, IDC_TI_edit_title);
    SetWindowTextW(edit_, text_.c_str());
    SendMessageW(edit_, EM_SETSEL, 0, -1);
    imc_ = ImmGetContext(edit_);
    if (imc_ && imeSetting_ == 1 && !NoIme && !ImmGetOpenStatus(imc_)) ImmSetOpenStatus(imc_, TRUE);
    SetFocus(edit_);
}

void TTextInput::FormClose(HWND) {
    if (!imc_) return;
    if (ImmGetOpenStatus(imc_)) ImmSetOpenStatus(imc_, FALSE);
    ImmReleaseContext(edit_, imc_);
    imc_ = nullptr;
}

INT_PTR TTextInput::OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            FormShow(dlg);
            return FALSE;   // the focus is set
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK: {   // btn_ok
                    int n = GetWindowTextLengthW(edit_);
                    std::wstring typed(size_t(n) + 1, L'\0');
                    typed.resize(size_t(GetWindowTextW(edit_, typed.data(), n + 1)));
                    text_ = typed;
                    FormClose(dlg);
                    EndDialog(dlg, IDOK);
                    return TRUE;
                }
                case IDCANCEL:   // btn_cancel, Esc and the close box
                    FormClose(dlg);
                    EndDialog(dlg, IDCANCEL);
                    return TRUE;
            }
            break;
        case WM_DESTROY:
            FormClose(dlg);
            break;
    }
    return FALSE;
}

bool TextInput(HWND owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& text, bool noIme,
               int imeSetting) {
    TTextInput dialog(noIme, imeSetting);
    return dialog.ShowModal(owner, caption, prompt, text) == IDOK;
}

}  // namespace kelup
