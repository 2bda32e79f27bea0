#pragma once
// The local date and time now, as packets, logs and the history write it.

#include <windows.h>

#include "net/PacketTime.h"

namespace kelup {

inline LocalDateTime LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

}  // namespace kelup
