#pragma once
// The LAN: both datagram sockets, who this program is on the LAN, the send
// lists with their files, discovery, and sending in both dialects. Its whole
// state is here.

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/Shell.h"
#include "compose/Recipients.h"
#include "net/IpMsgPacket.h"
#include "net/NetLog.h"
#include "net/OutgoingNote.h"
#include "net/PacketTime.h"
#include "net/SendList.h"
#include "net/SendRules.h"
#include "net/NoteSink.h"
#include "net/ReceiveRules.h"
#include "transfer/TransferApi.h"

namespace kelup {

struct DiscoverySelf;
struct DiscoveryOutcome;
enum class NativeCommand;

class Transcript;
struct ResultPacket;

class Lan : public NoteSending, public ReceiptSender, public RecipientSource, public TransferLink {
public:
    explicit Lan(Shell& shell);
    ~Lan();
    Lan(const Lan&) = delete;
    Lan& operator=(const Lan&) = delete;

    // --- sockets ---------------------------------------------------------------
    // 0 on success, else the failing step.
    int IP_Init();
    void IP_Close();
    // One readiness notice of a socket (0x04E0 native, 0x04E2 IP Messenger).
    void OnSocket(WPARAM wp, LPARAM lp, bool ipMessenger);

    // --- the send lists -----------------------------------------------------------
    void LoadLists();
    void ListSave();
    void AllListWrite();
    void RecipientSearch();
    // Writes the lists to "lists.dump" in the data folder; the number of lines.
    int DumpLists();

    // --- sending ----------------------------------------------------------------------
    void SendResult(int res, const std::wstring& ipa, const std::wstring& msg);
    void PacketSend(const std::wstring& ipa, const std::string& data);
    void BroadCast(const std::wstring& ipa, const std::wstring& hostName, NativeCommand command);
    void SendResultP(int res, const std::wstring& ipa, const std::wstring& packetNo);
    void BroadCastP(const std::wstring& command);
    // An IP Messenger message; the result is its packet number.
    std::uint32_t PacketSendP(const std::wstring& ipa, bool hidden, bool password, const std::wstring& text);
    // "KL_EXIT" and the IP Messenger exit.
    void BroadCastExit(bool ipMessengerToo = true);

    // How many datagrams were taken in (for the test bench and benchmarks).
    unsigned long NativeReceived() const { return nativeReceived; }
    unsigned long IpmReceived() const { return ipmReceived; }

    // --- sending a note, and the answers to it ---------------------------------
    void WireTranscript(Transcript* t) { transcript_ = t; }
    bool KelupSendAction(const OutgoingNote& note, const SendRequest& request, int mode) override;
    // A send waits for its answers: another cannot start meanwhile.
    bool Sending();

    // --- receiving notes, and read receipts both ways (Receive.cpp) -------------
    void WireNotes(NoteSink* sink) { sink_ = sink; }
    void SendOpenReceipt(const std::wstring& addr, bool ipMessenger, const std::wstring& packetNo) override;

    // --- the compose window's recipients (RecipientOps.cpp) ----------------------
    const SendLists& Lists() const override { return lists; }
    void WireRecipientView(RecipientView* view) override { recipientView_ = view; }
    void StartSearch() override;
    SendLists::FriendAdd AddMyFriend(const std::wstring& entry) override;
    void DelMyFriend(const std::wstring& entry) override;
    bool ReplaceFriend(const std::wstring& oldEntry, const std::wstring& newEntry) override;
    void RemoveAbsentee(const std::wstring& entry) override;
    void RemoveAllAbsentees() override;
    void ShutdownRequest(const std::wstring& addr) override;
    bool OfferFileTransfer(const std::wstring& addr, const std::wstring& path) override;

    // --- file and picture transfer: its datagrams go through here ---------------
    void WireTransfer(TransferPackets* packets, FileOffers* offers) {
        transferPackets_ = packets;
        fileOffers_ = offers;
    }
    bool SendTransferResult(int res, const std::wstring& addr, const std::wstring& extra) override;
    bool SendImageAnnouncement(const std::wstring& addr, const std::wstring& fileName, std::uint64_t size, int width,
                               int height, bool hidden, int bmpMode, const std::wstring& title) override;

private:
    // KL_SEND: the answer, the note, its history and log entries.
    void OnNoteSend(const NoteSendPacket& p, const std::wstring& source);
    // An IP Messenger message (mode 32).
    void OnIpMsgMessage(const IpMsgPacket& p, const std::wstring& source);
    // A note the store made from what arrived: history, log, shown.
    void StickArrived(int slot, const ReceivedNote& note, const std::vector<std::wstring>& lines);
    // KL_OPEN, KL_EXOPEN and the IP Messenger 48: who read a note of ours.
    void OnReadReceipt(ReceiptKind kind, const std::wstring& opener);
    // The single-recipient send: the packet, a wait, and the retries.
    void KelupSend(const std::string& data, const std::wstring& ipa, int slot);
    // KL_RECIEVE, KL_FULL and KL_ERR to a send of ours.
    void OnSendAnswer(NativeCommand command, const ResultPacket& packet);
    // The application comes forward unless the editor is open.
    void BringAppForward();
    DiscoverySelf DiscoveryView();
    void ApplyDiscovery(const DiscoveryOutcome& o, bool ipMessenger);
    bool Off() const { return shell_.State().NetDisabled != 0 || shell_.State().NetworkOff != 0; }

    Shell& shell_;
    const Settings& Config;
    const Paths& Path;

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
    // What each IP Messenger peer reads and writes: UTF-8 or code page 932.
    IpMsgCharsets ipmCharsets_;

    NoteSink* sink_ = nullptr;
    IpMsgRepeatFilter ipmRepeat_;

    SendWait wait_;
    bool inKelupSend_ = false;
    DWORD multiSentAt_ = 0;
    // How long a send to several waits for its answers at most.
    static constexpr DWORD kMultiSendPatience = 30000;
    Transcript* transcript_ = nullptr;
    NetLog netLog_;

    RecipientView* recipientView_ = nullptr;
    void WriteFriends();

    TransferPackets* transferPackets_ = nullptr;
    FileOffers* fileOffers_ = nullptr;

    unsigned long nativeReceived = 0;
    unsigned long ipmReceived = 0;
};

}  // namespace kelup
