#pragma once
// The IP Messenger dialect: "1:packet number:user:host:command:extra", a NUL,
// and for some commands a second text after the NUL, in code page 932.

#include <cstdint>
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
}  // namespace ipmsg

// The mode of a command number: its lowest 8 bits.
inline std::uint32_t GetCommand(std::uint32_t comNo) { return comNo & 0xFFu; }
// Option bits 8..11 and 12..15 as two 4-bit values.
inline std::uint32_t OptionNibble1(std::uint32_t comNo) { return (comNo >> 8) & 0xFu; }
inline std::uint32_t OptionNibble2(std::uint32_t comNo) { return (comNo >> 12) & 0xFu; }

// A received datagram taken apart.
struct IpMsgPacket {
    std::wstring packetNo;         // as written
    std::uint64_t packetNumber = 0;// its value, 0 when it does not parse
    std::wstring user;
    std::wstring host;
    std::uint32_t command = 0;     // 0 when it does not parse
    std::wstring extra;            // the rest after the command's ":" (before the NUL)
    std::wstring nickName;         // entry and answer: after the last ":" before the NUL, else the user
    std::wstring group;            // the text after the first NUL (up to a second NUL)
};

// Any datagram from the network (at most 2048 bytes are looked at). Nothing
// when it is empty or its first field is not "1".
std::optional<IpMsgPacket> ParseIpMsgPacket(std::string_view datagram);

// ---- building ----
// User, host and nickname have ":" replaced by "："; NUL characters are
// dropped from every text.

// A message (PacketSendP): command 288, +512 when hidden, +32768 when a
// password is asked for, the text with lines joined by LF. The text is cut
// at a character boundary so that the datagram stays within 2047 bytes.
std::string BuildIpMsgMessage(std::uint32_t packetNo, std::wstring_view dispName, std::wstring_view computerName,
                              bool hidden, bool password, std::wstring_view text);

// What SendResultP needs besides the result code.
struct IpMsgSelf {
    int sex = 0;                 // the Sex setting: the packet number of answers and broadcasts
    std::wstring userName;       // MyUserName
    std::wstring computerName;   // MyComputerName
    std::wstring myName;         // the MyName setting (extra of the answer to an entry)
    std::wstring section;        // MySection
};

// SendResultP for Res 0 (answer to entry), 1 (receipt of `packetNo`), 2
// (exit), 3 (opened `packetNo`), 4 (automatic reply), 5 and 9 (empty), 8
// (reserved 65535). `now` is the DOS date-time number used where the packet
// number is the current time. Nothing for another code or over 2048 bytes.
std::optional<std::string> BuildIpMsgResult(int res, const IpMsgSelf& self, std::wstring_view packetNo,
                                            std::uint32_t now);

// BroadCastP: "1:sex:user:pc:command:" (+ nickname for 1 and 260), NUL, and
// the section after it for 1 and 260. Nothing over 2048 bytes.
std::optional<std::string> BuildIpMsgBroadcast(int sex, std::wstring_view userName, std::wstring_view pcName,
                                               std::wstring_view nickName, std::wstring_view section,
                                               std::wstring_view commandNo);

}  // namespace kelup
