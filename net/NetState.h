#pragma once
// The network state of the main window: both datagram sockets, who this
// program is on the LAN, and the send lists.

#include <winsock2.h>

#include <string>
#include <vector>

#include "net/PacketTime.h"
#include "net/SendList.h"

namespace kelup {

struct NetState {
    SOCKET NativeSock = INVALID_SOCKET;
    SOCKET IpmSock = INVALID_SOCKET;
    bool wsaStarted = false;

    std::wstring MyComputerName;
    std::wstring MyDispName;
    std::wstring MySectName;
    std::wstring MyHostName;
    std::wstring MyIPAddr;
    std::vector<std::wstring> LocalAddrList;

    SendLists lists;
    std::vector<std::wstring> lisLines;   // ".lis" as read at start
    std::vector<std::wstring> frdLines;   // ".frd" as read at start
    bool firstSearchDone = false;
    // Extra addresses announcements also go to, each "address[ : comment]".
    std::vector<std::wstring> IPAddrList;
    PacketNumberClock packetNumbers;

    // How many datagrams were taken in (for the test bench and benchmarks).
    unsigned long nativeReceived = 0;
    unsigned long ipmReceived = 0;
};

}  // namespace kelup
