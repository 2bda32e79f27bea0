#pragma once
// A one-line input box: a caption, a prompt, the text with its default,
// OK and Cancel.

#include <windows.h>

#include <string>

namespace kelup {

// Shows the box modally; true with `value` set to what was typed when OK
// was pressed, false (value unchanged) when cancelled. `imeOn`: the input
// method is switched on while the box is shown.
bool InputQuery(HWND owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& value,
                bool imeOn = false);

}  // namespace kelup
