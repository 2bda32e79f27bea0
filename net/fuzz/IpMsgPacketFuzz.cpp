// IP Messenger datagrams from anywhere: parse them, hand them to the send
// lists, and answer them as the program would.

#include "base/Cp932.h"
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
    // Read as from a sender known to write UTF-8, too: the same fields either way.
    auto u = ParseIpMsgPacket(datagram, true);
    auto p = ParseIpMsgPacket(datagram);
    Check(u.has_value() == p.has_value());
    if (!p) return 0;
    Check(u->command == p->command && u->packetNumber == p->packetNumber);
    Check(p->extra.size() <= kMaxIpMsgDatagram && p->group.size() <= kMaxIpMsgDatagram);
    Check(p->version == L"1" || p->version.starts_with(L"1_"));
    IpMsgCharsets charsets;
    charsets.Note(L"10.0.0.8", *p);
    Check(charsets.size() <= 1);
    Check(!charsets.WritesUtf8(L"10.0.0.8") || p->utf8);

    SendLists lists;
    DiscoverySelf self{L"", L"Me（MYPC）##0#@#@#2.001", L"MYPC", true, MatchMode::ByComputerName, false};
    auto out = OnIpMsgAnnouncement(lists, self, *p, L"10.0.0.8");
    if (out.added && out.added->added) {
        Check(p->textValid && IsWellFormedEntry(out.added->entry));
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
        // (as far as code page 932 holds what a UTF-8 packet said)
        if (res == 1 || res == 3) Check(back->extra == FromCp932(ToCp932(FieldSafe(p->packetNo, true))));
    }
    for (bool utf8 : {false, true}) {
        std::string msg = BuildIpMsgMessage(1, p->user, p->host, true, true, p->extra, utf8);
        Check(msg.size() <= kMaxIpMsgMessage);
        auto m = ParseIpMsgPacket(msg);
        Check(m && GetCommand(m->command) == ipmsg::kSendMsg && OptionNibble2(m->command) == 8);
        Check(m->utf8 == utf8);
        // What we write in UTF-8 is valid UTF-8 whatever we were given.
        if (utf8) Check(m->textValid);
        auto r = BuildIpMsgResult(0, me, p->packetNo, 1, utf8);
        if (r) Check(r->size() <= kMaxIpMsgDatagram && (!utf8 || ParseIpMsgPacket(*r)->textValid));
    }
    return 0;
}
