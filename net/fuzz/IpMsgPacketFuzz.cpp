// IP Messenger datagrams from anywhere: parse them, hand them to the send
// lists, and answer them as the program would.

#include "net/Discovery.h"
#include "net/IpMsgPacket.h"
#include "net/PacketText.h"
#include "net/SendList.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelup;
    std::string_view datagram(reinterpret_cast<const char*>(data), size);
    auto p = ParseIpMsgPacket(datagram);
    if (!p) return 0;
    Check(p->extra.size() <= kMaxIpMsgDatagram && p->group.size() <= kMaxIpMsgDatagram);

    SendLists lists;
    DiscoverySelf self{L"", L"Me（MYPC）##0#@#@#2.001", L"MYPC", true, MatchMode::ByComputerName, false};
    auto out = OnIpMsgAnnouncement(lists, self, *p, L"10.0.0.8");
    if (out.added && out.added->added) {
        auto parts = ListNameExtract(out.added->entry);
        Check(parts.sex == L"8" && parts.verNo == L"1.00" && parts.ipAddr == L"10.0.0.8");
        Check(lists.LisLines().empty());   // IP Messenger peers are never written
    }
    auto exit = *p;
    exit.command = ipmsg::kExit;
    auto gone = OnIpMsgAnnouncement(lists, self, exit, L"10.0.0.8");
    Check(!gone.removed || !gone.removed->becameAbsentee);

    // Answers echo the packet number: it can never add a field.
    IpMsgSelf me{1, p->user, p->host, p->nickName, p->group};
    for (int res : {0, 1, 2, 3, 4, 5, 8, 9}) {
        auto r = BuildIpMsgResult(res, me, p->packetNo, 12345);
        if (!r) continue;
        Check(r->size() <= kMaxIpMsgDatagram);
        auto back = ParseIpMsgPacket(*r);
        Check(back.has_value());
        if (res == 1 || res == 3) Check(back->extra == FieldSafe(p->packetNo, true));
    }
    std::string msg = BuildIpMsgMessage(1, p->user, p->host, true, true, p->extra);
    Check(msg.size() <= kMaxIpMsgMessage);
    auto m = ParseIpMsgPacket(msg);
    Check(m && GetCommand(m->command) == ipmsg::kSendMsg && OptionNibble2(m->command) == 8);
    return 0;
}
