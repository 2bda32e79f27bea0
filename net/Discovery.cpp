#include "net/Discovery.h"

#include "base/Cp932.h"
#include "net/Identity.h"
#include "net/PacketText.h"

namespace kelup {

namespace {

PeerInfo PeerOf(const ExtractedHost& h, const std::wstring& addr) {
    return PeerInfo{h.sHostName, h.shozk, addr, h.sex, h.verNo};
}

bool HasControl(std::wstring_view t) {
    for (wchar_t c : t)
        if (IsControlChar(c)) return true;
    return false;
}

// The identity made up for an IP Messenger peer, when what the packet says
// makes a readable one: valid text, no control characters, a name and a host.
std::optional<ExtractedHost> IpMsgPeerIdentity(const IpMsgPacket& p) {
    if (!p.textValid || HasControl(p.user) || HasControl(p.host) || HasControl(p.nickName) || HasControl(p.group))
        return std::nullopt;
    return ParseAnnouncedIdentity(MakeIpMsgIdentity(p.nickName, p.user, p.host, p.group));
}

std::wstring AddressOr(const std::wstring& field, std::wstring_view source) {
    return IsDottedIPv4(field) ? field : std::wstring(source);
}

void Answer(DiscoveryOutcome& out, const std::wstring& relay, const std::wstring& to) {
    if (relay == L"0") out.nativeAnswer = 2;
    else if (relay == L"1") out.nativeAnswer = 3;
    else return;
    out.answerTo = to;
}

}  // namespace

DiscoveryOutcome OnNativeBroadcast(SendLists& lists, const DiscoverySelf& self, const BroadcastPacket& packet,
                                   std::wstring_view sourceAddr) {
    DiscoveryOutcome out;
    std::wstring myAddr = self.myIPAddr;
    const std::wstring addr = AddressOr(packet.addr, sourceAddr);
    if (packet.command == NativeCommand::NetEntry && myAddr.empty() && packet.identity == self.myHostName &&
        IsDottedIPv4(sourceAddr)) {
        myAddr = std::wstring(sourceAddr);
        out.learnedAddr = myAddr;
    }
    // Anything else of an announcement whose identity is out of form is dropped.
    const auto host = ParseAnnouncedIdentity(packet.identity);
    if (!host) return out;
    switch (packet.command) {
    case NativeCommand::NetEntry: {
        if (self.displayMyName && SameIPv4(sourceAddr, myAddr)) return out;
        if (!self.busy) out.added = lists.Add(PeerOf(*host, addr), self.matchMode);
        if (packet.identity != self.myHostName) {
            Answer(out, packet.relay, addr);
            if (packet.relay == L"1" && packet.broadcastMode != L"1")
                out.relay = BroadcastPacket{NativeCommand::NetEntrySub, addr, packet.identity, L"0", L"0"};
        }
        break;
    }
    case NativeCommand::NetEntrySub:
        if (!IsDottedIPv4(addr)) return out;
        if (!lists.AllHasDisplayName(packet.identity) && !self.busy)
            out.added = lists.Add(PeerOf(*host, addr), self.matchMode);
        Answer(out, packet.relay, addr);
        break;
    case NativeCommand::Exit:
    case NativeCommand::ExitSub:
        if (!SameIPv4(addr, myAddr) && !lists.All().empty())
            out.removed = lists.Remove(PeerOf(*host, addr), self.matchMode);
        if (packet.command == NativeCommand::Exit && packet.relay == L"1")
            out.relay = BroadcastPacket{NativeCommand::ExitSub, addr, packet.identity, L"0", L"0"};
        break;
    default:
        break;
    }
    return out;
}

DiscoveryOutcome OnBcAns(SendLists& lists, const DiscoverySelf& self, const ResultPacket& packet,
                         std::wstring_view sourceAddr) {
    DiscoveryOutcome out;
    if (packet.command != NativeCommand::BcAns) return out;
    const auto host = ParseAnnouncedIdentity(packet.sender.identity);
    if (!host) return out;
    const std::wstring addr = AddressOr(packet.sender.addr, sourceAddr);
    if (!lists.AllHasDisplayName(packet.sender.identity) && !self.busy)
        out.added = lists.Add(PeerOf(*host, addr), self.matchMode);
    return out;
}

DiscoveryOutcome OnIpMsgAnnouncement(SendLists& lists, const DiscoverySelf& self, const IpMsgPacket& packet,
                                     std::wstring_view sourceAddr) {
    DiscoveryOutcome out;
    const std::uint32_t mode = GetCommand(packet.command);
    const std::wstring source(sourceAddr);
    std::wstring myAddr = self.myIPAddr;
    if (mode == ipmsg::kEntry || mode == ipmsg::kAnsEntry) {
        if (myAddr.empty() && packet.host == self.myComputerName && IsDottedIPv4(source)) {
            myAddr = source;
            out.learnedAddr = myAddr;
        }
        if (self.displayMyName && SameIPv4(source, myAddr)) return out;
        const auto host = IpMsgPeerIdentity(packet);
        if (!host) return out;
        if (!self.busy) out.added = lists.Add(PeerOf(*host, source), self.matchMode);
        if (mode == ipmsg::kEntry && IsDottedIPv4(source)) {
            out.ipMsgAnswer = 0;
            out.answerTo = source;
        }
    } else if (mode == ipmsg::kExit) {
        const auto host = IpMsgPeerIdentity(packet);
        if (!host) return out;
        if (!SameIPv4(source, myAddr) && !lists.All().empty())
            out.removed = lists.Remove(PeerOf(*host, source), self.matchMode);
    }
    return out;
}

bool AnnouncementTextValid(std::string_view datagram) {
    datagram = datagram.substr(0, kMaxNativeNotePacket);
    return IsCp932Text(datagram.substr(0, datagram.find('\0')));
}

std::vector<std::wstring> BroadcastDestinations(const std::vector<std::wstring>& ipAddrList) {
    std::vector<std::wstring> out{L"255.255.255.255"};
    for (auto it = ipAddrList.rbegin(); it != ipAddrList.rend(); ++it) {
        std::wstring addr = it->substr(0, it->find(L" : "));
        if (IsDottedIPv4(addr)) out.push_back(addr);
    }
    return out;
}

}  // namespace kelup
