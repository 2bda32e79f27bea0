#include "net/IpMsgPacket.h"

#include "base/Cp932.h"
#include "net/PacketText.h"

namespace kelup {

namespace {

std::wstring Safe(std::wstring_view t) { return FieldSafe(t, /*colonToo=*/true); }

std::string Encode(std::wstring_view text, bool utf8) { return utf8 ? ToUtf8(text) : ToCp932(text); }

std::optional<std::string> WithSection(const std::wstring& main, std::wstring_view second, bool withSecond,
                                       bool utf8) {
    std::string bytes = Encode(main, utf8);
    bytes += '\0';
    if (withSecond) bytes += Encode(WithoutNul(second), utf8);
    if (bytes.size() > kMaxIpMsgDatagram) return std::nullopt;
    return bytes;
}

// ExDataP on bytes: ":" is never part of a multi-byte character in code
// page 932 (trail bytes start at 0x40) nor in UTF-8 (all bytes 0x80 and up).
std::string_view CutField(std::string_view& s) {
    std::size_t p = s.find(':');
    if (p == std::string_view::npos) return {};
    std::string_view field = s.substr(0, p);
    s.remove_prefix(p + 1);
    return field;
}

// Numbers are ASCII in either encoding.
std::wstring Ascii(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (char c : bytes) out += static_cast<unsigned char>(c) < 0x80 ? wchar_t(c) : L'\xFFFD';
    return out;
}

bool VersionAccepted(std::string_view v) { return v == "1" || (v.size() >= 2 && v[0] == '1' && v[1] == '_'); }

bool NamesUtf8(std::string_view field) {
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    std::string lower;
    for (char c : field) lower += char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lower == "utf-8" || lower == "utf8";
}

bool IsUtf8(std::string_view bytes) {
    bool valid = false;
    FromUtf8(bytes, &valid);
    return valid;
}

class Decoder {
public:
    explicit Decoder(bool utf8) : utf8_(utf8) {}
    std::wstring operator()(std::string_view bytes) {
        if (utf8_) {
            bool ok = false;
            std::wstring text = FromUtf8(bytes, &ok);
            valid_ = valid_ && ok;
            return text;
        }
        if (auto text = FromCp932Strict(bytes)) return std::move(*text);
        valid_ = false;
        return FromCp932(bytes);
    }
    bool Valid() const { return valid_; }

private:
    bool utf8_;
    bool valid_ = true;
};

}  // namespace

std::optional<IpMsgPacket> ParseIpMsgPacket(std::string_view datagram, bool writesUtf8) {
    datagram = datagram.substr(0, kMaxIpMsgDatagram);
    const std::size_t nul = datagram.find('\0');
    const std::string_view head = datagram.substr(0, nul);
    if (head.empty()) return std::nullopt;
    std::string_view group;
    bool namesUtf8 = false;
    if (nul != std::string_view::npos) {
        std::string_view after = datagram.substr(nul + 1);
        group = after.substr(0, after.find('\0'));
        // The fields after the group: iptux writes its icon and encoding there.
        std::string_view rest = group.size() < after.size() ? after.substr(group.size() + 1) : std::string_view();
        for (int i = 0; i < 4 && !rest.empty(); ++i) {
            std::string_view field = rest.substr(0, rest.find('\0'));
            namesUtf8 = namesUtf8 || NamesUtf8(field);
            rest = field.size() < rest.size() ? rest.substr(field.size() + 1) : std::string_view();
        }
    }
    std::string_view rest = head;
    const std::string_view version = CutField(rest);
    if (!VersionAccepted(version)) return std::nullopt;
    const std::string_view packetNo = CutField(rest);
    const std::string_view user = CutField(rest);
    const std::string_view host = CutField(rest);
    const std::string_view command = CutField(rest);
    const std::string_view extra = rest;

    IpMsgPacket p;
    p.command = ParseUInt32(Ascii(command)).value_or(0);
    const std::uint32_t mode = GetCommand(p.command);
    const bool announcement = mode == ipmsg::kEntry || mode == ipmsg::kAnsEntry || mode == 4;
    p.namesUtf8 = namesUtf8;
    if (p.command & ipmsg::kUtf8Opt) p.utf8 = true;
    else if (writesUtf8 || (announcement && namesUtf8)) p.utf8 = IsUtf8(head) && IsUtf8(group);

    Decoder decode(p.utf8);
    p.version = decode(version);
    p.packetNo = decode(packetNo);
    p.packetNumber = ParseUInt64(Ascii(packetNo)).value_or(0);
    p.user = decode(user);
    p.host = decode(host);
    p.extra = decode(extra);
    p.group = decode(group);
    if (mode == ipmsg::kEntry || mode == ipmsg::kAnsEntry) {
        std::size_t colon = head.rfind(':');
        p.nickName = decode(head.substr(colon + 1));
        if (p.nickName.empty()) p.nickName = p.user;
    }
    p.textValid = decode.Valid();
    return p;
}

void IpMsgCharsets::Note(std::wstring_view addr, const IpMsgPacket& packet) {
    auto ip = ParseIPv4(addr);
    if (!ip || !packet.textValid) return;
    const std::uint32_t mode = GetCommand(packet.command);
    const bool announcement = mode == ipmsg::kEntry || mode == ipmsg::kAnsEntry;
    const bool marked = (packet.command & ipmsg::kUtf8Opt) != 0;
    if (!announcement && !marked) return;
    auto it = peers_.find(*ip);
    if (it == peers_.end()) {
        if (peers_.size() >= kMaxPeers) return;
        it = peers_.emplace(*ip, Peer{}).first;
    }
    if (announcement) {
        it->second.reads = marked || (packet.command & ipmsg::kCapUtf8Opt) != 0 || packet.namesUtf8;
        it->second.writes = packet.namesUtf8 && packet.utf8;
    } else {
        it->second.reads = true;
    }
}

bool IpMsgCharsets::ReadsUtf8(std::wstring_view addr) const {
    auto ip = ParseIPv4(addr);
    if (!ip) return false;
    auto it = peers_.find(*ip);
    return it != peers_.end() && it->second.reads;
}

bool IpMsgCharsets::WritesUtf8(std::wstring_view addr) const {
    auto ip = ParseIPv4(addr);
    if (!ip) return false;
    auto it = peers_.find(*ip);
    return it != peers_.end() && it->second.writes;
}

std::string BuildIpMsgMessage(std::uint32_t packetNo, std::wstring_view dispName, std::wstring_view computerName,
                              bool hidden, bool password, std::wstring_view text, bool utf8) {
    std::uint32_t command = ipmsg::kSendMsg | ipmsg::kSendCheckOpt;
    if (hidden) command |= ipmsg::kSecretOpt;
    if (password) command |= ipmsg::kPasswordOpt;
    if (utf8) command |= ipmsg::kUtf8Opt;
    auto cut = [utf8](std::string_view b, std::size_t max) { return utf8 ? Utf8SafeCut(b, max) : Cp932SafeCut(b, max); };
    std::string head = Encode(L"1:" + std::to_wstring(packetNo) + L":" + Safe(dispName) + L":" +
                                  Safe(computerName) + L":" + std::to_wstring(command) + L":",
                              utf8);
    std::string body = Encode(WithoutNul(text), utf8);
    if (head.size() >= kMaxIpMsgMessage) return head.substr(0, cut(head, kMaxIpMsgMessage));
    body.resize(cut(body, kMaxIpMsgMessage - head.size()));
    return head + body;
}

std::optional<std::string> BuildIpMsgResult(int res, const IpMsgSelf& self, std::wstring_view packetNo,
                                            std::uint32_t now, bool utf8) {
    std::wstring number, command, extra;
    switch (res) {
    case 0:
        number = std::to_wstring(self.sex);
        command = std::to_wstring(ipmsg::kAnsEntry | (self.readsUtf8 ? ipmsg::kCapUtf8Opt : 0));
        extra = Safe(self.myName);
        break;
    case 1: number = std::to_wstring(now); command = L"33"; extra = Safe(packetNo); break;
    case 2: command = L"2"; break;
    case 3: number = std::to_wstring(now); command = L"48"; extra = Safe(packetNo); break;
    case 4: number = std::to_wstring(now); command = L"8224"; break;
    case 5:
    case 9: break;
    case 8: command = L"65535"; break;
    default: return std::nullopt;
    }
    if (utf8 && !command.empty()) command = std::to_wstring(*ParseUInt32(command) | ipmsg::kUtf8Opt);
    std::wstring main = L"1:" + number + L":" + Safe(self.userName) + L":" + Safe(self.computerName) + L":" + command +
                        L":" + extra;
    return WithSection(main, self.section, res == 0, utf8);
}

std::optional<std::string> BuildIpMsgBroadcast(int sex, std::wstring_view userName, std::wstring_view pcName,
                                               std::wstring_view nickName, std::wstring_view section,
                                               std::wstring_view commandNo, bool readsUtf8) {
    const bool entry = commandNo == L"1" || commandNo == L"260";
    std::wstring command = Safe(commandNo);
    if (entry && readsUtf8) command = std::to_wstring(*ParseUInt32(commandNo) | ipmsg::kCapUtf8Opt);
    std::wstring main = L"1:" + std::to_wstring(sex) + L":" + Safe(userName) + L":" + Safe(pcName) + L":" +
                        command + L":" + (entry ? Safe(nickName) : std::wstring());
    return WithSection(main, section, entry, false);
}

}  // namespace kelup
