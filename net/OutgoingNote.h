#pragma once
// A note on its way out: what the store hands the LAN side when the editor
// closed with a send command, and the operation it calls.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compose/Compose.h"
#include "net/PacketTime.h"
#include "notes/RichText.h"

namespace kelup {

struct OutgoingNote {
    int slot = 0;
    int colour = 0;                           // ORGColor
    int left = 0, top = 0, width = 0, height = 0;   // the window on the screen
    int tomei = 0, waku = 1;
    std::optional<LocalDateTime> deadline;    // none, or not every day
    std::wstring openFName;                   // associated file, full path
    TextFont title, body;                     // fonts at the start of lines 1 and 2
    std::vector<std::wstring> lines;          // the text as typed, one per paragraph
    std::string rtf;                          // the rich text sent (placeholders as typed)
};

// Send modes: 1 send and keep, 2 send and peel, 3 to a typed address,
// 9 send and keep a note the editor did not change.
class NoteSending {
public:
    // Sends `note` to the recipients of `request`; false when nothing was
    // sent (no recipient, a refusal, another send still waiting).
    virtual bool KelupSendAction(const OutgoingNote& note, const SendRequest& request, int mode) = 0;

protected:
    ~NoteSending() = default;
};

}  // namespace kelup
