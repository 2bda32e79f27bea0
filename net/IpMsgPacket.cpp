#include "net/IpMsgPacket.h"

#include "base/Cp932.h"
#include "net/PacketText.h"

namespace kelup {

namespace {

std::wstring Safe(std::wstring_view t) { return FieldSafe(t, /*colonToo=*/true); }

std::optional<std::string> WithSection(const std::wstring& main, std::wstring_view second, bool withSecond) {
    std::string bytes = ToCp932(main);
    bytes += '\0';
    if (withSecond) bytes += ToCp932(WithoutNul(second));
    if (bytes.size() > kMaxIpMsgDatagram) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<IpMsgPacket> ParseIpMsgPacket(std::string_view datagram) {
    datagram = datagram.substr(0, kMaxIpMsgDatagram);
    std::size_t nul = datagram.find('\0');
    std::wstring text = FromCp932(datagram.substr(0, nul));
    if (text.empty()) return std::nullopt;
    IpMsgPacket p;
    if (nul != std::string_view::npos) {
        std::string_view after = datagram.substr(nul + 1);
        p.group = FromCp932(after.substr(0, after.find('\0')));
    }
    std::wstring rest = text;
    if (ExDataP(rest) != L"1") return std::nullopt;
    p.packetNo = ExDataP(rest);
    p.packetNumber = ParseUInt64(p.packetNo).value_or(0);
    p.user = ExDataP(rest);
    p.host = ExDataP(rest);
    p.command = ParseUInt32(ExDataP(rest)).value_or(0);
    p.extra = rest;
    std::uint32_t mode = GetCommand(p.command);
    if (mode == ipmsg::kEntry || mode == ipmsg::kAnsEntry) {
        std::size_t colon = text.rfind(L':');
        p.nickName = colon == std::wstring::npos ? std::wstring() : text.substr(colon + 1);
        if (p.nickName.empty()) p.nickName = p.user;
    }
    return p;
}

std::string BuildIpMsgMessage(std::uint32_t packetNo, std::wstring_view dispName, std::wstring_view computerName,
                              bool hidden, bool password, std::wstring_view text) {
    std::uint32_t command = ipmsg::kSendMsg | ipmsg::kSendCheckOpt;
    if (hidden) command |= ipmsg::kSecretOpt;
    if (password) command |= ipmsg::kPasswordOpt;
    std::string head = ToCp932(L"1:" + std::to_wstring(packetNo) + L":" + Safe(dispName) + L":" + Safe(computerName) +
                               L":" + std::to_wstring(command) + L":");
    std::string body = ToCp932(WithoutNul(text));
    if (head.size() >= kMaxIpMsgMessage) return head.substr(0, Cp932SafeCut(head, kMaxIpMsgMessage));
    body.resize(Cp932SafeCut(body, kMaxIpMsgMessage - head.size()));
    return head + body;
}

std::optional<std::string> BuildIpMsgResult(int res, const IpMsgSelf& self, std::wstring_view packetNo,
                                            std::uint32_t now) {
    std::wstring number, command, extra;
    switch (res) {
    case 0: number = std::to_wstring(self.sex); command = L"3"; extra = Safe(self.myName); break;
    case 1: number = std::to_wstring(now); command = L"33"; extra = Safe(packetNo); break;
    case 2: command = L"2"; break;
    case 3: number = std::to_wstring(now); command = L"48"; extra = Safe(packetNo); break;
    case 4: number = std::to_wstring(now); command = L"8224"; break;
    case 5:
    case 9: break;
    case 8: command = L"65535"; break;
    default: return std::nullopt;
    }
    std::wstring main = L"1:" + number + L":" + Safe(self.userName) + L":" + Safe(self.computerName) + L":" + command +
                        L":" + extra;
    return WithSection(main, self.section, res == 0);
}

std::optional<std::string> BuildIpMsgBroadcast(int sex, std::wstring_view userName, std::wstring_view pcName,
                                               std::wstring_view nickName, std::wstring_view section,
                                               std::wstring_view commandNo) {
    const bool entry = commandNo == L"1" || commandNo == L"260";
    std::wstring main = L"1:" + std::to_wstring(sex) + L":" + Safe(userName) + L":" + Safe(pcName) + L":" +
                        Safe(commandNo) + L":" + (entry ? Safe(nickName) : std::wstring());
    return WithSection(main, section, entry);
}

}  // namespace kelup
