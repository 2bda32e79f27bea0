#pragma once
// Where the LAN hands a note that arrived (the note store), and how the
// store has a read receipt sent back (the LAN). Neither side sees more of
// the other than this.

#include <string>
#include <vector>

#include "net/ReceiveRules.h"

namespace kelup {

// MakeOther's answer when no slot is free.
inline constexpr int kNoFreeSlot = 9999;

class NoteSink {
public:
    virtual bool TextSlotFree() const = 0;
    virtual int TextSlotMax() const = 0;
    // The note made in the lowest free slot, its text in place and written to
    // its text file (MakeOther and the text steps); the slot, or kNoFreeSlot.
    // `lines` receives the note's text lines.
    virtual int MakeOther(const ReceivedNote& note, std::vector<std::wstring>& lines) = 0;
    // The note made by MakeOther is shown as its sender and the settings
    // ask: sealed face, data file, sound, taskbar title, stacking, the
    // confirmation message.
    virtual void StickReceived(int slot, const ReceivedNote& note) = 0;

protected:
    ~NoteSink() = default;
};

class ReceiptSender {
public:
    // "Opened" back to the sender of a note: KL_OPEN to a native sender, the
    // IP Messenger command 48 with the message's packet number otherwise.
    virtual void SendOpenReceipt(const std::wstring& addr, bool ipMessenger, const std::wstring& packetNo) = 0;

protected:
    ~ReceiptSender() = default;
};

}  // namespace kelup
