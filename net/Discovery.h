#pragma once
// What the announcement packets of both dialects do to the send lists and
// what they ask to be sent back. The socket handlers call these with a parsed
// packet and its source address, then send what the outcome names.

#include "net/IpMsgPacket.h"
#include "net/NativePacket.h"
#include "net/SendList.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelup {

struct DiscoverySelf {
    std::wstring myIPAddr;        // may be empty until learnt
    std::wstring myHostName;      // our identity
    std::wstring myComputerName;
    bool displayMyName = false;   // DisplayMyName 1: our own announcements do not list us
    MatchMode matchMode = MatchMode::ByComputerName;   // ListCheckMode
    bool busy = false;            // BusyFG: peers are not added meanwhile
};

struct DiscoveryOutcome {
    std::optional<std::wstring> learnedAddr;               // becomes MyIPAddr
    std::optional<SendLists::AddOutcome> added;
    std::optional<SendLists::RemoveOutcome> removed;
    std::optional<int> nativeAnswer;                       // SendResult code (2 or 3) ...
    std::optional<int> ipMsgAnswer;                        // ... or SendResultP code (0)
    std::wstring answerTo;                                 // ... to this address
    std::optional<BroadcastPacket> relay;                  // BroadCast of this (relay flag filled per target)
};

// Announcements are untrusted: one whose identity is out of form (see
// ParseAnnouncedIdentity) changes nothing and is neither answered nor
// relayed; an IP Messenger one likewise when its texts were invalid or hold
// control characters, or name no user or host. Only learning our own address
// from our own entry comes before that check.
//
// KL_NETENTRY, KL_NETENTRYSUB, KL_EXIT, KL_EXITSUB. An address field that is
// not a dotted IPv4 address is taken as empty and replaced by the source
// address, so no list entry or answer ever carries a made-up address.
DiscoveryOutcome OnNativeBroadcast(SendLists& lists, const DiscoverySelf& self, const BroadcastPacket& packet,
                                   std::wstring_view sourceAddr);
// KL_BCANS.
DiscoveryOutcome OnBcAns(SendLists& lists, const DiscoverySelf& self, const ResultPacket& packet,
                         std::wstring_view sourceAddr);
// IP Messenger entry (1), exit (2) and answer to entry (3); other modes do nothing.
DiscoveryOutcome OnIpMsgAnnouncement(SendLists& lists, const DiscoverySelf& self, const IpMsgPacket& packet,
                                     std::wstring_view sourceAddr);

// A native announcement is read only when its bytes (up to the first NUL)
// are valid code page 932 throughout; the socket handler asks this first.
bool AnnouncementTextValid(std::string_view datagram);

// Where a broadcast goes: the limited broadcast address, then the listed
// addresses (IPAddrList) from the last to the first, each being the entry
// text before " : ". Entries that are not dotted IPv4 addresses are skipped.
std::vector<std::wstring> BroadcastDestinations(const std::vector<std::wstring>& ipAddrList);

}  // namespace kelup
