#pragma once
// The native datagram dialect spoken between copies of this program: a
// command word and ";"-separated fields in code page 932. Builders take typed
// values and return the datagram bytes; the parser takes any datagram from
// the network and returns typed values or nothing.

#include "net/PacketTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kelup {

inline constexpr std::uint16_t kDefaultNativePort = 59630;

// Size limits of the dialect, in bytes.
inline constexpr std::size_t kMaxNativeSmallPacket = 255;   // results and broadcasts we send
inline constexpr std::size_t kMaxNativeNotePacket = 65535;  // a KL_SEND we send
inline constexpr std::size_t kMaxNativeDatagram = 65535;    // what a receive takes at most

enum class NativeCommand {
    Unknown,
    Recieve,            // KL_RECIEVE
    Err,                // KL_ERR
    BcAns,              // KL_BCANS
    Open,               // KL_OPEN
    ExOpen,             // KL_EXOPEN
    Dummy,              // KL_DUMMY
    FileSendReady,      // KL_FILESENDREADY
    FileRecievReady,    // KL_FILERECIEVREADY
    FileRecievNg,       // KL_FILERECIEVNG
    Full,               // KL_FULL
    FileRecievErr,      // KL_FILERECIEVERR
    ImageSendReady,     // KL_IMAGESENDREADY
    ImageRecievReady,   // KL_IMAGERECIEVREADY
    ImageRecievNg,      // KL_IMAGERECIEVNG
    ImageRecievComplete,// KL_IMAGERECIEVCOMPLETE
    ImageRecievErr,     // KL_IMAGERECIEVERR
    Shutdown,           // KL_SHUTDOWN
    Busy,               // KL_BUSY
    NetEntry,           // KL_NETENTRY
    NetEntrySub,        // KL_NETENTRYSUB
    Exit,               // KL_EXIT
    ExitSub,            // KL_EXITSUB
    Send,               // KL_SEND
};

// The command word on the wire ("KL_RECIEVE", ...); empty for Unknown.
std::wstring_view NativeCommandWord(NativeCommand c);
NativeCommand NativeCommandFromWord(std::wstring_view word);

// The result codes of SendResult and the command each sends.
enum class NativeResult : int {
    Recieve = 0, Err = 1, BcAns0 = 2, BcAns1 = 3, Open = 4, ExOpen = 5, Dummy = 9,
    FileSendReady = 60, FileRecievReady = 61, FileRecievNg = 62, Full = 63, FileRecievErr = 69,
    ImageSendReady = 70, ImageRecievReady = 71, ImageRecievNg = 72, ImageRecievComplete = 78,
    ImageRecievErr = 79, Shutdown = 98, Busy = 99,
};
// The command of a result code; Unknown for a code not in the list.
NativeCommand NativeResultCommand(int res);

// The sender part every result packet carries.
struct NativeSender {
    std::wstring addr;       // sender's address as written (may be empty)
    std::wstring identity;   // the whole identity field
    friend bool operator==(const NativeSender&, const NativeSender&) = default;
};

// A file about to be sent (KL_FILESENDREADY).
struct FileAnnounce {
    std::wstring fileName;   // without folder
    std::uint64_t size = 0;  // 0 when it did not parse
    friend bool operator==(const FileAnnounce&, const FileAnnounce&) = default;
};

// An image note about to be sent (KL_IMAGESENDREADY).
struct ImageAnnounce {
    std::wstring fileName;
    std::uint64_t size = 0;
    std::int32_t width = 0, height = 0;
    std::int32_t hidden = 0;    // 1: stick hidden
    std::int32_t bmpMode = 0;   // 1: title label shown
    std::wstring senderIdentity;
    std::wstring title;
    friend bool operator==(const ImageAnnounce&, const ImageAnnounce&) = default;
};

// Result packets (SendResult): everything but broadcasts and notes.
struct ResultPacket {
    NativeCommand command = NativeCommand::Unknown;
    NativeSender sender;
    std::wstring bcAnsFlag;                 // KL_BCANS: "0" or "1"
    std::optional<FileAnnounce> file;       // KL_FILESENDREADY
    std::optional<ImageAnnounce> image;     // KL_IMAGESENDREADY
    // Announcements whose size is 0 or whose image numbers do not parse are
    // unusable: the receiver answers with the receive-error command.
    bool usable = true;
    LocalDateTime when;                     // the sender's date and time (receiver's now when unreadable)
};

// Entry and exit broadcasts (BroadCast).
struct BroadcastPacket {
    NativeCommand command = NativeCommand::NetEntry;   // NetEntry, NetEntrySub, Exit, ExitSub
    std::wstring addr;
    std::wstring identity;
    std::wstring relay = L"0";           // "0" or "1"
    std::wstring broadcastMode = L"0";   // the sender's BroadcastMode setting
    friend bool operator==(const BroadcastPacket&, const BroadcastPacket&) = default;
};

enum class NoteFormat { Plain, Rich };

inline constexpr std::int32_t kNoColour = 536870911;

// The note packet KL_SEND. Field numbers are those of the packet.
struct NoteSendPacket {
    std::wstring addr;             // 2
    std::wstring identity;         // 3, before "|@|@|"
    std::wstring kanren;           // 3, after "|@|@|": associated file
    LocalDateTime sent;            // 4 and 5
    std::int32_t lineCount = 0;    // 6 (-1 on receipt when it did not parse)
    std::int32_t hiding = 0;       // 7: 0 shown, 1 hidden, 2 hidden with password
    std::int32_t alert = 0;        // 8: 1 confirm message, +2 read report
    std::int32_t colour = kNoColour;   // 9
    std::int32_t left = 0, top = 0, width = 0, height = 0;   // 10..13
    std::int32_t titleFontSize = 0, bodyFontSize = 0;        // 14, 15
    // 16..19, plain format (and version 2.0x receipts).
    std::int32_t titleColour = kNoColour, bodyColour = kNoColour;
    std::int32_t titleStyle = 0, bodyStyle = 0;
    // 16, rich format: the note's Tomei value (17..19 are "0", "9999", "0").
    std::int32_t tomei = 0;
    std::wstring titleFont, bodyFont;   // 20, 21
    std::optional<std::int32_t> waku;   // 22; nothing on receipt when it did not parse
    std::optional<LocalDateTime> deadline;   // 23; nothing = no deadline
    std::wstring text;             // 24: plain lines joined by CR, or RTF with CR LF

    // Filled on receipt.
    NoteFormat format = NoteFormat::Plain;
    std::wstring senderVersion;    // from the identity ("2.00" when field 18 said 9999)
    std::wstring displayMode;      // field 16 of the older layout (versions before 2.0)
};

// Limits a received note is held to: geometry to what a window can take,
// font sizes to what a rich edit accepts.
inline constexpr std::int32_t kMaxNoteCoordinate = 32767;
inline constexpr std::int32_t kMaxNoteFontSize = 1638;

// What the parser returns for one datagram.
using NativeBody = std::variant<ResultPacket, BroadcastPacket, NoteSendPacket>;
struct NativePacket {
    NativeCommand command = NativeCommand::Unknown;
    NativeBody body;
};

// ---- building ----

// SendResult: command;addr;identity;extra date;time. `extra` is the text for
// Res 60 and 70 (MakeFileSendExtra / MakeImageSendExtra), ignored otherwise.
// Nothing for an unknown result code or a packet over 255 bytes.
std::optional<std::string> BuildResultPacket(int res, std::wstring_view myAddr, std::wstring_view myHostName,
                                             std::wstring_view extra, const LocalDateTime& now);
// "name;size;" and the eight image fields, each ";"-terminated.
std::wstring MakeFileSendExtra(const FileAnnounce& f);
std::wstring MakeImageSendExtra(const ImageAnnounce& img);
// The whole image announcement; the title is shortened (at a character
// boundary) when the packet would otherwise exceed 255 bytes. Nothing when
// it cannot fit even with an empty title.
std::optional<std::string> BuildImageSendReady(const ImageAnnounce& img, std::wstring_view myAddr,
                                               std::wstring_view myHostName, const LocalDateTime& now);

// BroadCast: command;addr;identity;relay;mode;0. Nothing when over 255 bytes
// (a relayed identity can be long) or the command is not a broadcast.
std::optional<std::string> BuildBroadcast(const BroadcastPacket& b);
// The relay flag written for one destination: "0" to the limited broadcast
// address and, for KL_NETENTRYSUB, to listed addresses too; "1" otherwise.
std::wstring_view BroadcastRelayFlag(NativeCommand c, bool toListedAddress);

// KL_SEND in the given format. Fields other than the text have ";" replaced
// by "；"; NUL characters are dropped everywhere. Nothing when the packet
// would exceed 65535 bytes.
std::optional<std::string> BuildNoteSend(const NoteSendPacket& n, NoteFormat format);

// ---- parsing ----

// The text of a datagram: at most 65535 bytes, up to the first NUL,
// converted from code page 932.
std::wstring NativeDatagramText(std::string_view datagram);

// Any datagram from the network. Nothing for an empty datagram, an unknown
// command, or a KL_SEND that lacks fields or is of the dropped older kind.
// Missing trailing fields of other commands read as empty texts; dates and
// times that do not parse read as `now`.
std::optional<NativePacket> ParseNativePacket(std::string_view datagram, const LocalDateTime& now);

// The lines of a plain note text: split at CR, at most `lineCount` of them
// (all when `lineCount` is negative).
std::vector<std::wstring> PlainNoteLines(std::wstring_view text, std::int32_t lineCount);

// A received file name made safe to save under: the part after the last
// "\" or "/", without characters Windows refuses in names, without trailing
// dots and blanks, device names prefixed with "_". Empty when nothing is left.
std::wstring SafeReceivedFileName(std::wstring_view name);

}  // namespace kelup
