// Native datagrams from anywhere: parse them, hand them to the send lists,
// and build packets again from what was read.

#include "net/Discovery.h"
#include "net/Identity.h"
#include "net/NativePacket.h"
#include "net/PacketText.h"
#include "net/SendList.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

const kelup::LocalDateTime kNow{2024, 3, 5, 14, 7, 9};

void Note(const kelup::NoteSendPacket& n, std::size_t inputSize) {
    using namespace kelup;
    Check(n.text.size() <= inputSize);
    Check(n.left >= -kMaxNoteCoordinate && n.left <= kMaxNoteCoordinate);
    Check(n.width >= 0 && n.width <= kMaxNoteCoordinate && n.height >= 0 && n.height <= kMaxNoteCoordinate);
    Check(n.titleFontSize >= 0 && n.titleFontSize <= kMaxNoteFontSize);
    auto lines = PlainNoteLines(n.text, n.lineCount);
    Check(lines.size() <= n.text.size() + 1);
    // What we send from what we read reads back the same way.
    if (!n.senderVersion.starts_with(L"2.0")) return;
    // Control characters are dropped from the fields we send, which may
    // change the version read from the identity; compare only when not.
    std::wstring idField = n.identity + L"|@|@|" + n.kanren;
    if (FieldSafe(idField) != idField) return;
    auto again = BuildNoteSend(n, n.format);
    if (!again) return;
    Check(again->size() <= kMaxNativeNotePacket);
    auto back = ParseNativePacket(*again, kNow);
    Check(back && back->command == NativeCommand::Send);
    const auto& m = std::get<NoteSendPacket>(back->body);
    Check(m.format == n.format);
    Check(m.text == n.text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelup;
    std::string_view datagram(reinterpret_cast<const char*>(data), size);
    auto p = ParseNativePacket(datagram, kNow);
    if (!p) return 0;
    SendLists lists;
    DiscoverySelf self{L"", L"Me（MYPC）##0#@#@#2.001", L"MYPC", false, MatchMode::ByComputerName, false};
    if (auto* n = std::get_if<NoteSendPacket>(&p->body)) {
        Note(*n, size);
    } else if (auto* b = std::get_if<BroadcastPacket>(&p->body)) {
        for (int i = 0; i < 2; ++i) {
            auto out = OnNativeBroadcast(lists, self, *b, L"10.0.0.5");
            if (out.relay) {
                auto relayed = BuildBroadcast(*out.relay);
                Check(!relayed || relayed->size() <= kMaxNativeSmallPacket);
                if (relayed) Check(ParseNativePacket(*relayed, kNow).has_value());
            }
            self.matchMode = MatchMode::ByAddress;
        }
        auto exit = *b;
        exit.command = NativeCommand::Exit;
        OnNativeBroadcast(lists, self, exit, L"10.0.0.5");
    } else if (auto* r = std::get_if<ResultPacket>(&p->body)) {
        OnBcAns(lists, self, *r, L"10.0.0.6");
        if (r->image) {
            auto img = BuildImageSendReady(*r->image, r->sender.addr, r->sender.identity, r->when);
            Check(!img || img->size() <= kMaxNativeSmallPacket);
        }
        if (r->file) Check(r->file->fileName.find_first_of(L"\\/:") == std::wstring::npos);
    }
    // The lists hold only well-formed entries, and only from identities that
    // parse; the list files carry them whole.
    for (std::size_t i = 0; i < lists.Count(); ++i) {
        Check(lists.List(i).size() <= kMaxListEntries);
        for (const auto& e : lists.List(i)) Check(IsWellFormedEntry(e) && IsDottedIPv4(ListNameExtract(e).ipAddr));
    }
    if (!lists.All().empty()) {
        const BroadcastPacket* b = std::get_if<BroadcastPacket>(&p->body);
        const ResultPacket* r = std::get_if<ResultPacket>(&p->body);
        Check(ParseAnnouncedIdentity(b ? b->identity : r ? r->sender.identity : L"").has_value());
    }
    auto lines = ReadListFile(WriteListFile(lists.LisLines()));
    Check(lines.size() == lists.LisLines().size());
    Check(ReadSendListFile(WriteSendListFile(lists.LisLines())) == lists.LisLines());
    // Whatever a list file holds, what comes back from it is well-formed.
    for (const auto& e : ReadSendListFile(datagram)) Check(IsWellFormedEntry(e));
    return 0;
}
