#pragma once
// The program's one message box: modal, centred on the screen, captioned
// "ケラップx64", with flat rounded buttons.

#include <windows.h>

#include <string>

namespace kelup {

// nType as for MessageBox: buttons in the low nibble, icon in bits 4-7,
// default button in bits 8-11. Returns the pressed button's id (IDOK, ...).
// The owner is the active window of the thread when none is given.
int ShowMsg(const std::wstring& strMsg, unsigned nType = 0, HWND owner = nullptr);

}  // namespace kelup
