#pragma once
// What a transfer thread hands the main thread (KM_TRANSFER, lParam: the
// event, which the main thread deletes).

#include <string>

#include "transfer/LineProtocol.h"

namespace kelup {

struct TransferEvent {
    enum Kind { Received, ReceiveFailed, ListenerClosed, Sent, SendFailed };
    Kind kind = Received;
    unsigned serial = 0;             // the reception or send it belongs to
    ServeStatus serve = ServeStatus::Received;
    SendStatus send = SendStatus::Sent;
    int xferKind = 0;                // 6 file, 7 image (sending)
    std::wstring path;               // the temporary file (receiving)
};

}  // namespace kelup
