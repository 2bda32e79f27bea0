#pragma once
// What a ShowMsg type code asks for: the buttons, the icon and the default
// button, decoded once so the dialog only lays them out.

#include <string>
#include <vector>

namespace kelup {

// Button identifiers as the system's message box returns them.
enum MsgButtonId : int { kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6, kIdNo = 7 };
enum class MsgIcon { None, Error, Question, Warning, Information };

struct MsgButton {
    int id;
    std::wstring caption;
    bool grey;          // Cancel and No are drawn in the grey tones
};

struct MsgBoxType {
    std::vector<MsgButton> buttons;
    MsgIcon icon = MsgIcon::None;
    int defaultIndex = 0;     // index into buttons
    int cancelId = kIdOk;     // what Esc or the close box gives
};

MsgBoxType DecodeMsgType(unsigned nType);

}  // namespace kelup
