// The main window's datagram sockets: opening and closing them, sending in
// both dialects, and taking every datagram in.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include "net/Lan.h"
#include "app/ShowMsg.h"
#include "base/Cp932.h"
#include "base/Messages.h"
#include "net/Discovery.h"
#include "net/Identity.h"
#include "net/IpMsgPacket.h"
#include "net/LocalNow.h"
#include "net/NativePacket.h"
#include "net/PacketText.h"

namespace kelup {

namespace {

sockaddr_in AddrOf(const std::wstring& ip, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(u_short(port));
    auto v = ParseIPv4(ip);
    a.sin_addr.s_addr = v ? htonl(*v) : INADDR_NONE;
    return a;
}

std::wstring DottedOf(const sockaddr_in& a) {
    unsigned long v = ntohl(a.sin_addr.s_addr);
    return std::to_wstring(v >> 24) + L"." + std::to_wstring((v >> 16) & 255) + L"." + std::to_wstring((v >> 8) & 255) +
           L"." + std::to_wstring(v & 255);
}

void SendTo(SOCKET s, const std::string& bytes, const std::wstring& ip, int port) {
    if (s == INVALID_SOCKET || bytes.empty()) return;
    sockaddr_in to = AddrOf(ip, port);
    if (to.sin_addr.s_addr == INADDR_NONE && ip != L"255.255.255.255") return;
    sendto(s, bytes.data(), int(std::min<size_t>(bytes.size(), 65535)), 0, reinterpret_cast<sockaddr*>(&to),
           sizeof to);
}

}  // namespace

Lan::Lan(Shell& shell) : shell_(shell), Config(shell.Config()), Path(shell.Path()), netLog_(Config, Path) {}

Lan::~Lan() { IP_Close(); }

int Lan::IP_Init() {
    // 1.
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 2] = {};
    DWORD len = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(computer, &len)) MyComputerName = computer;
    // 2.
    if (!wsaStarted) {
        WSADATA wsa;
        if (WSAStartup(MAKEWORD(1, 1), &wsa) != 0) return 1;
        wsaStarted = true;
    }
    // 3.
    int status = 0;
    NativeSock = socket(AF_INET, SOCK_DGRAM, 0);
    if (NativeSock == INVALID_SOCKET) return 2;
    IpmSock = socket(AF_INET, SOCK_DGRAM, 0);
    if (IpmSock == INVALID_SOCKET) status = 92;
    // 5.
    BOOL on = TRUE;
    if (setsockopt(NativeSock, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<char*>(&on), sizeof on) != 0) return 3;
    if (IpmSock != INVALID_SOCKET &&
        setsockopt(IpmSock, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<char*>(&on), sizeof on) != 0)
        status = 93;
    // 6.
    MyIPAddr.clear();
    LocalAddrList.clear();
    char host[51] = {};
    if (gethostname(host, 50) == 0) {
        if (hostent* he = gethostbyname(host); he && he->h_addrtype == AF_INET) {
            for (int i = 0; he->h_addr_list[i] && i < 16; ++i) {
                sockaddr_in a{};
                memcpy(&a.sin_addr, he->h_addr_list[i], 4);
                LocalAddrList.push_back(DottedOf(a));
            }
        }
    }
    // 7.
    int buf = 32768;
    for (SOCKET s : {NativeSock, IpmSock}) {
        if (s == INVALID_SOCKET) continue;
        setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<char*>(&buf), sizeof buf);
        setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&buf), sizeof buf);
    }
    // 8., 9.
    sockaddr_in nativeAddr{}, ipmAddr{};
    nativeAddr.sin_family = ipmAddr.sin_family = AF_INET;
    nativeAddr.sin_port = htons(u_short(Config.Port));
    ipmAddr.sin_port = Config.APPLYIPMES == 0 ? 0 : htons(u_short(Config.PortP));
    nativeAddr.sin_addr.s_addr = ipmAddr.sin_addr.s_addr = INADDR_ANY;
    if (Config.MustIPAddr >= 1 && size_t(Config.MustIPAddr) <= LocalAddrList.size()) {
        const std::wstring& chosen = LocalAddrList[size_t(Config.MustIPAddr - 1)];
        if (auto v = ParseIPv4(chosen)) {
            nativeAddr.sin_addr.s_addr = ipmAddr.sin_addr.s_addr = htonl(*v);
            MyIPAddr = chosen;
        }
    }
    // 10.
    if (bind(NativeSock, reinterpret_cast<sockaddr*>(&nativeAddr), sizeof nativeAddr) != 0) {
        ShowMsg(L"bind失敗: WSAGetLastError=" + std::to_wstring(WSAGetLastError()) + L" Port=" +
                    std::to_wstring(Config.Port),
                0, shell_.MainHandle());
        closesocket(NativeSock);
        NativeSock = INVALID_SOCKET;
        return 4;
    }
    // 11.
    if (IpmSock != INVALID_SOCKET && bind(IpmSock, reinterpret_cast<sockaddr*>(&ipmAddr), sizeof ipmAddr) != 0)
        status = 94;
    // 12.
    MyDispName = Config.MyName.empty() ? shell_.State().MyUserName : Config.MyName;
    MySectName = Config.MySection;
    MyHostName = CreateMyHostName({Config.MyName, MyComputerName, Config.MySection, Config.Sex});
    // 14. Readiness arrives as window messages.
    WSAAsyncSelect(NativeSock, shell_.MainHandle(), KM_SOCKET, FD_READ | FD_WRITE | FD_CLOSE);
    if (IpmSock != INVALID_SOCKET) WSAAsyncSelect(IpmSock, shell_.MainHandle(), KM_SOCKET_IPMSG, FD_READ | FD_WRITE | FD_CLOSE);
    return status;
}

void Lan::IP_Close() {
    for (SOCKET* s : {&NativeSock, &IpmSock}) {
        if (*s == INVALID_SOCKET) continue;
        WSAAsyncSelect(*s, shell_.MainHandle(), 0, 0);
        closesocket(*s);
        *s = INVALID_SOCKET;
    }
    if (wsaStarted) {
        WSACleanup();
        wsaStarted = false;
    }
}

void Lan::SendResult(int res, const std::wstring& ipa, const std::wstring& msg) {
    if (shell_.State().NetworkOff == 1) return;
    auto bytes = BuildResultPacket(res, MyIPAddr, MyHostName, msg, LocalNow());
    if (bytes) SendTo(NativeSock, *bytes, ipa, Config.Port);
}

bool Lan::SendTransferResult(int res, const std::wstring& ipa, const std::wstring& extra) {
    if (shell_.State().NetworkOff == 1 || NativeSock == INVALID_SOCKET) return false;
    auto bytes = BuildResultPacket(res, MyIPAddr, MyHostName, extra, LocalNow());
    if (!bytes) return false;
    SendTo(NativeSock, *bytes, ipa, Config.Port);
    return true;
}

bool Lan::SendImageAnnouncement(const std::wstring& ipa, const std::wstring& fileName, std::uint64_t size, int width,
                                int height, bool hidden, int bmpMode, const std::wstring& title) {
    if (shell_.State().NetworkOff == 1 || NativeSock == INVALID_SOCKET) return false;
    ImageAnnounce img;
    img.fileName = fileName;
    img.size = size;
    img.width = width;
    img.height = height;
    img.hidden = hidden ? 1 : 0;
    img.bmpMode = bmpMode;
    img.senderIdentity = MyHostName;
    img.title = title;
    auto bytes = BuildImageSendReady(img, MyIPAddr, MyHostName, LocalNow());
    if (!bytes) return false;
    SendTo(NativeSock, *bytes, ipa, Config.Port);
    return true;
}

void Lan::PacketSend(const std::wstring& ipa, const std::string& data) {
    SendResult(int(NativeResult::Dummy), ipa, L"");
    shell_.Delay(100);
    SendTo(NativeSock, data.substr(0, 65535), ipa, Config.Port);
}

void Lan::BroadCast(const std::wstring& ipa, const std::wstring& hostName, NativeCommand command) {
    std::vector<std::wstring> targets = BroadcastDestinations(IPAddrList);
    for (size_t i = 0; i < targets.size(); ++i) {
        BroadcastPacket b;
        b.command = command;
        b.addr = ipa;
        b.identity = hostName;
        b.relay = std::wstring(BroadcastRelayFlag(command, i > 0));
        b.broadcastMode = std::to_wstring(Config.BroadcastMode);
        if (auto bytes = BuildBroadcast(b)) SendTo(NativeSock, *bytes, targets[i], Config.Port);
    }
}

void Lan::SendResultP(int res, const std::wstring& ipa, const std::wstring& packetNo) {
    // We read UTF-8 and say so in our answers to entries. Peers that read
    // UTF-8 get it; the others code page 932.
    IpMsgSelf self{Config.Sex, shell_.State().MyUserName, MyComputerName, Config.MyName, Config.MySection, true};
    auto bytes = BuildIpMsgResult(res, self, packetNo, packetNumbers.Next(LocalNow()), ipmCharsets_.ReadsUtf8(ipa));
    if (bytes) SendTo(IpmSock, *bytes, ipa, Config.PortP);
}

std::uint32_t Lan::PacketSendP(const std::wstring& ipa, bool hidden, bool password, const std::wstring& text) {
    std::uint32_t packetNo = packetNumbers.Next(LocalNow());
    SendTo(IpmSock,
           BuildIpMsgMessage(packetNo, MyDispName, MyComputerName, hidden, password, text, ipmCharsets_.ReadsUtf8(ipa)),
           ipa, Config.PortP);
    return packetNo;
}

void Lan::BroadCastP(const std::wstring& command) {
    auto bytes = BuildIpMsgBroadcast(Config.Sex, shell_.State().MyUserName, MyComputerName, MyDispName, MySectName,
                                     command, /*readsUtf8=*/true);
    if (!bytes) return;
    for (const auto& target : BroadcastDestinations(IPAddrList)) SendTo(IpmSock, *bytes, target, Config.PortP);
}

void Lan::BroadCastExit(bool ipMessengerToo) {
    BroadCast(MyIPAddr, MyHostName, NativeCommand::Exit);
    if (ipMessengerToo) BroadCastP(L"2");
}

DiscoverySelf Lan::DiscoveryView() {
    DiscoverySelf self;
    self.myIPAddr = MyIPAddr;
    self.myHostName = MyHostName;
    self.myComputerName = MyComputerName;
    self.displayMyName = Config.DisplayMyName == 1;
    self.matchMode = Config.ListCheckMode == 0 ? MatchMode::ByAddress : MatchMode::ByComputerName;
    self.busy = shell_.State().BusyFG == 1;
    return self;
}

void Lan::ApplyDiscovery(const DiscoveryOutcome& o, bool ipMessenger) {
    if (o.learnedAddr && MyIPAddr.empty()) MyIPAddr = *o.learnedAddr;
    if (o.nativeAnswer) SendResult(*o.nativeAnswer, o.answerTo, L"");
    if (o.ipMsgAnswer) SendResultP(*o.ipMsgAnswer, o.answerTo, L"");
    if (o.relay) BroadCast(o.relay->addr, o.relay->identity, o.relay->command);
    // The compose window shows what changed.
    if ((o.added || o.removed) && recipientView_) recipientView_->ListsChanged();
}

void Lan::OnSocket(WPARAM wp, LPARAM lp, bool ipMessenger) {
    SOCKET s = SOCKET(wp);
    if (s == INVALID_SOCKET || (s != NativeSock && s != IpmSock)) return;
    if (WSAGETSELECTEVENT(lp) != FD_READ) return;
    // One datagram per notification; the socket tells again while more wait.
    static char buffer[65536];
    sockaddr_in from{};
    int fromLen = sizeof from;
    int size = ipMessenger ? 2048 : 65536;
    int got = recvfrom(s, buffer, size, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (got <= 0) return;
    std::string_view datagram(buffer, size_t(got));
    std::wstring source = DottedOf(from);

    if (!ipMessenger) {
        ++nativeReceived;
        auto packet = ParseNativePacket(datagram, LocalNow());
        if (!packet) return;
        switch (packet->command) {
            case NativeCommand::NetEntry:
            case NativeCommand::NetEntrySub:
            case NativeCommand::Exit:
            case NativeCommand::ExitSub:
                // Announcements are taken only in valid code page 932.
                if (!AnnouncementTextValid(datagram)) break;
                if (auto* b = std::get_if<BroadcastPacket>(&packet->body))
                    ApplyDiscovery(OnNativeBroadcast(lists, DiscoveryView(), *b, source), false);
                break;
            case NativeCommand::BcAns:
                if (!AnnouncementTextValid(datagram)) break;
                if (auto* r = std::get_if<ResultPacket>(&packet->body))
                    ApplyDiscovery(OnBcAns(lists, DiscoveryView(), *r, source), false);
                break;
            case NativeCommand::Recieve:
            case NativeCommand::Full:
            case NativeCommand::Err:
                if (auto* r = std::get_if<ResultPacket>(&packet->body)) OnSendAnswer(packet->command, *r);
                break;
            case NativeCommand::Send:
                if (auto* n = std::get_if<NoteSendPacket>(&packet->body)) OnNoteSend(*n, source);
                break;
            case NativeCommand::Open:
            case NativeCommand::ExOpen:
                if (auto* r = std::get_if<ResultPacket>(&packet->body))
                    OnReadReceipt(packet->command == NativeCommand::Open ? ReceiptKind::Opened : ReceiptKind::AbsentOpened,
                                  NameFromList(r->sender.identity));
                break;
            case NativeCommand::FileSendReady:
            case NativeCommand::ImageSendReady:
            case NativeCommand::FileRecievReady:
            case NativeCommand::ImageRecievReady:
            case NativeCommand::FileRecievNg:
            case NativeCommand::ImageRecievNg:
            case NativeCommand::ImageRecievComplete:
            case NativeCommand::ImageRecievErr:
            case NativeCommand::FileRecievErr:
            case NativeCommand::Busy:
                if (auto* r = std::get_if<ResultPacket>(&packet->body); r && transferPackets_)
                    transferPackets_->OnTransferPacket(*r, source);
                break;
            default:
                // Notes, receipts, transfers and shutdown requests are handled
                // by their own features; until then they are dropped.
                break;
        }
        return;
    }
    ++ipmReceived;
    if (Config.APPLYIPMES == 0) return;
    // The texts come decoded in what the packet or its sender says it writes.
    auto packet = ParseIpMsgPacket(datagram, ipmCharsets_.WritesUtf8(source));
    if (!packet) return;
    ipmCharsets_.Note(source, *packet);
    switch (GetCommand(packet->command)) {
        case ipmsg::kEntry:
        case ipmsg::kAnsEntry:
        case ipmsg::kExit:
            ApplyDiscovery(OnIpMsgAnnouncement(lists, DiscoveryView(), *packet, source), true);
            break;
        case ipmsg::kSendMsg:
            OnIpMsgMessage(*packet, source);
            break;
        case ipmsg::kReadMsg:
            OnReadReceipt(ReceiptKind::IpMsgOpened, IpMsgOpener(lists, source, packet->user, packet->host));
            break;
        default:
            break;
    }
}

}  // namespace kelup
