#pragma once
// What the program decides about a note that arrives from the LAN, apart
// from any window: the appearance and fields of the note from a KL_SEND or
// an IP Messenger message, its sender's name, the history lines, the face of
// a sealed note, the texts of read receipts, which targets a received note
// may open without asking, and received rich text made safe to show.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Links.h"
#include "net/IpMsgPacket.h"
#include "net/NativePacket.h"
#include "net/PacketTime.h"
#include "store/NoteRecord.h"

namespace kelup {

class SendLists;
struct Settings;

// Bounds a received note is held to, whatever the packet says.
inline constexpr std::int32_t kMinReceivedFontSize = 1;
inline constexpr std::int32_t kMaxReceivedFontSize = 144;
inline constexpr std::int32_t kMaxReceivedLines = 4096;
inline constexpr std::size_t kMaxFontNameChars = 31;

// A note that arrived: everything MakeOther and the steps after it need.
struct ReceivedNote {
    RSave1 R1;                  // 1 is the title line, 2 the body
    int SKey = 0;               // 0 shown, 1 hidden, 2 hidden behind the password
    int SZen = 0;               // 1 confirmation message, +2 read receipt
    std::wstring FName1, FName2;
    std::wstring SHostName;     // the whole identity field
    std::wstring IP_Addr;       // where answers and receipts go
    std::wstring Sex = L"0";    // "8" for IP Messenger senders
    std::wstring Sex2 = L"0";   // the message's packet number ("0" for native notes)
    LocalDateTime sent;
    std::optional<LocalDateTime> deadline;
    int FMode = 0;              // the sender is a friend
    bool centred = false;       // placed in the middle of the screen, not where R1 says

    std::wstring senderName;    // SenderName of the note
    std::wstring historyName;   // the name in the history's "From:" line
    bool rich = false;
    std::string rtf;            // rich: the text made safe, code page 932
    std::vector<std::wstring> lines;   // plain: the lines of the text
    std::wstring openFName;     // rich: the associated file named in the identity
    std::wstring displayMode;   // older senders: "1" or "2"

    bool Hidden() const { return SKey > 0; }
    bool PasswordWanted() const { return SKey == 2; }
    bool ReceiptWanted() const { return SZen >= 2; }
    bool ConfirmWanted() const { return SZen == 1 || SZen == 3; }
};

// The sender's name a received note keeps: the identity up to "##"; for a
// friend the friend's name, "（", computer, "）" and "/" + the section when
// the identity has one.
std::wstring ReceivedSenderName(std::wstring_view identity, const std::optional<std::wstring>& friendEntry);

// A KL_SEND taken in. `source` is the address the datagram came from, used
// when the packet names none that can be answered.
ReceivedNote PlanNativeNote(const NoteSendPacket& p, std::wstring_view source, const SendLists& lists,
                            const Settings& defaults);

// An IP Messenger message (mode 32) taken in. `now` is the receiver's clock.
ReceivedNote PlanIpMsgNote(const IpMsgPacket& p, std::wstring_view source, const SendLists& lists,
                           const Settings& defaults, const LocalDateTime& now);

// Hiding and alert flags of a message's option bits: the password option
// gives (2, 2), the check and secret options together (1, 2), else (0, 0).
std::pair<int, int> IpMsgHiding(std::uint32_t command);
// A message with the automatic-reply option gets no receipt.
inline bool IpMsgAutoReply(std::uint32_t command) { return OptionNibble2(command) == 2; }

// The same message sent again is taken once: a message with the number and
// sender of the previous one is dropped, unless its number is 0.
class IpMsgRepeatFilter {
public:
    bool Accept(std::uint64_t packetNumber, std::wstring_view source);

private:
    std::uint64_t lastNumber_ = 0;
    std::wstring lastSource_;
    bool any_ = false;
};

// History: a blank line, the time, and "From: name (address)".
std::vector<std::wstring> ArrivalHistoryLines(std::wstring_view nowText, std::wstring_view name,
                                              std::wstring_view addr);
// The note's lines as the history takes them: without those beginning with ">".
std::vector<std::wstring> HistoryTextLines(const std::vector<std::wstring>& lines);

// The face of a sealed note: "A Message", "From " + sender, "At " + when, "".
std::vector<std::wstring> SealedFaceLines(std::wstring_view senderName, std::wstring_view sentText);

// Read receipts that arrive.
enum class ReceiptKind { Opened, AbsentOpened, IpMsgOpened };
struct ReceiptNotice {
    std::vector<std::wstring> historyLines;   // when the history window is shown
    std::wstring message;                     // else, in a message box
};
ReceiptNotice ReadReceiptNotice(ReceiptKind kind, std::wstring_view opener, std::wstring_view nowText);
// Who opened an IP Messenger message: the list-0 entry's name with the
// source address (preferring IP Messenger entries), else the packet's user;
// then "/" and the host.
std::wstring IpMsgOpener(const SendLists& lists, std::wstring_view source, std::wstring_view user,
                         std::wstring_view host);

// A note's link asks first when the note came from another computer and
// the link is not a web or mail address.
inline bool OpenNeedsQuestion(std::wstring_view target, std::wstring_view senderAddr) {
    return !senderAddr.empty() && !OpensUnasked(target);
}
std::wstring OpenQuestionText(std::wstring_view senderName, std::wstring_view senderAddr, std::wstring_view target);

// Received rich text made safe to stream into a rich edit: groups that
// embed or link objects, run fields or reach files (\object, \fldinst,
// \*\template, \*\datastore, shape and picture properties, ...) and binary
// runs are dropped, unbalanced groups closed, nesting held to a depth.
// Text that is not RTF comes back unchanged (it is shown as plain text).
inline constexpr int kMaxRtfDepth = 16;
std::string SanitizeRtf(std::string_view rtf);

}  // namespace kelup
