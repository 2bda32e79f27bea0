#pragma once
// The IP Messenger dialect: "1:packet number:user:host:command:extra", a NUL,
// and for some commands a second text after the NUL, in code page 932.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kelup {

inline constexpr std::uint16_t kDefaultIpMsgPort = 2425;

// Size limits of the dialect, in bytes.
inline constexpr std::size_t kMaxIpMsgMessage = 2047;   // a message we send, without its NUL
inline constexpr std::size_t kMaxIpMsgDatagram = 2048;  // anything else we send, and what a receive takes

// Modes (low 8 bits of the command) and the option bits this program uses.
namespace ipmsg {
inline constexpr std::uint32_t kEntry = 1;
inline constexpr std::uint32_t kExit = 2;
inline constexpr std::uint32_t kAnsEntry = 3;
inline constexpr std::uint32_t kAbsenceEntry = 260;   // entry + absence option
inline constexpr std::uint32_t kSendMsg = 32;
inline constexpr std::uint32_t kRecvMsg = 33;
inline constexpr std::uint32_t kReadMsg = 48;
inline constexpr std::uint32_t kSendCheckOpt = 256;
inline constexpr std::uint32_t kSecretOpt = 512;
inline constexpr std::uint32_t kAutoRetOpt = 8192;
inline constexpr std::uint32_t kPasswordOpt = 32768;
inline constexpr std::uint32_t kReserved = 65535;
// The texts of this packet are UTF-8.
inline constexpr std::uint32_t kUtf8Opt = 0x00800000;
// The sender understands UTF-8 (it may still write code page 932).
inline constexpr std::uint32_t kCapUtf8Opt = 0x01000000;
}  // namespace ipmsg

// The mode of a command number: its lowest 8 bits.
inline std::uint32_t GetCommand(std::uint32_t comNo) { return comNo & 0xFFu; }
// Option bits 8..11 and 12..15 as two 4-bit values.
inline std::uint32_t OptionNibble1(std::uint32_t comNo) { return (comNo >> 8) & 0xFu; }
inline std::uint32_t OptionNibble2(std::uint32_t comNo) { return (comNo >> 12) & 0xFu; }

// A received datagram taken apart. The texts come decoded: from UTF-8 when
// the command carries kUtf8Opt (or the sender is known to write UTF-8, see
// below), else from code page 932.
struct IpMsgPacket {
    std::wstring version;          // the first field: "1", or "1_" and a client's own tag
    std::wstring packetNo;         // as written
    std::uint64_t packetNumber = 0;// its value, 0 when it does not parse
    std::wstring user;
    std::wstring host;
    std::uint32_t command = 0;     // 0 when it does not parse
    std::wstring extra;            // the rest after the command's ":" (before the NUL)
    std::wstring nickName;         // entry and answer: after the last ":" before the NUL, else the user
    std::wstring group;            // the text after the first NUL (up to a second NUL)
    bool utf8 = false;             // the texts were read as UTF-8
    // Every text was a valid sequence of its encoding; where one was not,
    // the text holds a stand-in character (U+FFFD or U+30FB) instead.
    bool textValid = true;
    // A field after the group names "utf-8" (as iptux writes in its entries
    // and answers: group, icon, encoding).
    bool namesUtf8 = false;
};

// Any datagram from the network (at most 2048 bytes are looked at). Nothing
// when it is empty or its first field is neither "1" nor "1_" followed by
// anything (IP Messenger compatible clients tag their version so, e.g.
// "1_iptux 0.8.3", "1_lbt4_..."). The fields are cut at ":" in the bytes
// (no multi-byte character of either encoding holds one), the command read
// from its ASCII digits, and then the texts decoded:
//   - as UTF-8 when the command carries kUtf8Opt;
//   - as UTF-8 when `writesUtf8` (the sender is known to write UTF-8 without
//     saying so in each packet) or, for entries, answers and absence
//     notices, when the packet names "utf-8" after its group, provided the
//     bytes are valid UTF-8;
//   - else as code page 932.
std::optional<IpMsgPacket> ParseIpMsgPacket(std::string_view datagram, bool writesUtf8 = false);

// What each IP Messenger peer has said about UTF-8, by address, so that we
// write to it in what it reads and read what it writes. Entries and answers
// set what the peer declares (kUtf8Opt or kCapUtf8Opt, or "utf-8" named
// after its group); any other packet with kUtf8Opt shows it reads UTF-8.
// Packets whose text was invalid teach nothing. Held to kMaxPeers addresses:
// a peer beyond them is written to in code page 932.
class IpMsgCharsets {
public:
    static constexpr std::size_t kMaxPeers = 4096;
    void Note(std::wstring_view addr, const IpMsgPacket& packet);
    // Send to it in UTF-8 (with kUtf8Opt).
    bool ReadsUtf8(std::wstring_view addr) const;
    // Its packets are UTF-8 even without kUtf8Opt (iptux's way).
    bool WritesUtf8(std::wstring_view addr) const;
    std::size_t size() const { return peers_.size(); }

private:
    struct Peer {
        bool reads = false, writes = false;
    };
    std::map<std::uint32_t, Peer> peers_;
};

// ---- building ----
// User, host and nickname have ":" replaced by "："; NUL characters are
// dropped from every text.

// A message (PacketSendP): command 288, +512 when hidden, +32768 when a
// password is asked for, the text with lines joined by LF. The text is cut
// at a character boundary so that the datagram stays within 2047 bytes.
// With `utf8` the whole packet is UTF-8 and the command carries kUtf8Opt.
std::string BuildIpMsgMessage(std::uint32_t packetNo, std::wstring_view dispName, std::wstring_view computerName,
                              bool hidden, bool password, std::wstring_view text, bool utf8 = false);

// What SendResultP needs besides the result code.
struct IpMsgSelf {
    int sex = 0;                 // the Sex setting: the packet number of answers and broadcasts
    std::wstring userName;       // MyUserName
    std::wstring computerName;   // MyComputerName
    std::wstring myName;         // the MyName setting (extra of the answer to an entry)
    std::wstring section;        // MySection
    bool readsUtf8 = false;      // our answer to an entry says we read UTF-8 (kCapUtf8Opt)
};

// SendResultP for Res 0 (answer to entry), 1 (receipt of `packetNo`), 2
// (exit), 3 (opened `packetNo`), 4 (automatic reply), 5 and 9 (empty), 8
// (reserved 65535). `now` is the DOS date-time number used where the packet
// number is the current time. Nothing for another code or over 2048 bytes.
// With `utf8` the packet is UTF-8 and a command (if any) carries kUtf8Opt.
std::optional<std::string> BuildIpMsgResult(int res, const IpMsgSelf& self, std::wstring_view packetNo,
                                            std::uint32_t now, bool utf8 = false);

// BroadCastP: "1:sex:user:pc:command:" (+ nickname for 1 and 260), NUL, and
// the section after it for 1 and 260. Nothing over 2048 bytes. With
// `readsUtf8` an entry (1 or 260) says we read UTF-8 (kCapUtf8Opt); the
// broadcast itself stays code page 932, which every client reads.
std::optional<std::string> BuildIpMsgBroadcast(int sex, std::wstring_view userName, std::wstring_view pcName,
                                               std::wstring_view nickName, std::wstring_view section,
                                               std::wstring_view commandNo, bool readsUtf8 = false);

}  // namespace kelup
