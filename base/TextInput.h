#pragma once
// TTextInput: the one-line input dialog of the image notes' title and size
// and of the template names. Made for each use, centred, freed afterwards.

#include <windows.h>

#include <string>

namespace kelup {

inline constexpr wchar_t kTextInputCaption[] = L"タイトルの入力";

class TTextInput {
public:
    // `imeSetting` is [Option] IME: 1 opens the input method for the text
    // unless NoIme is set.
    TTextInput(bool noIme, int imeSetting) : NoIme(noIme), imeSetting_(imeSetting) {}

    // Shows the dialog modally; IDOK or IDCANCEL.
    INT_PTR ShowModal(HWND owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& text);

    bool NoIme;

    INT_PTR OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

private:
    void FormShow(HWND dlg);
    void FormClose(HWND dlg);

    int imeSetting_;
    std::wstring caption_, prompt_, text_;
    HIMC imc_ = nullptr;
    HWND edit_ = nullptr;
};

// Runs TTextInput: true, with `text` taking what was typed, only for OK.
bool TextInput(HWND owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& text, bool noIme,
               int imeSetting);

}  // namespace kelup
