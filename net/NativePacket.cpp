#include "net/NativePacket.h"

#include "base/Cp932.h"
#include "net/Identity.h"
#include "net/PacketText.h"

#include <algorithm>
#include <array>

namespace kelup {

namespace {

struct CommandName {
    NativeCommand command;
    std::wstring_view word;
};

constexpr std::array<CommandName, 23> kCommands{{
    {NativeCommand::Recieve, L"KL_RECIEVE"},
    {NativeCommand::Err, L"KL_ERR"},
    {NativeCommand::BcAns, L"KL_BCANS"},
    {NativeCommand::Open, L"KL_OPEN"},
    {NativeCommand::ExOpen, L"KL_EXOPEN"},
    {NativeCommand::Dummy, L"KL_DUMMY"},
    {NativeCommand::FileSendReady, L"KL_FILESENDREADY"},
    {NativeCommand::FileRecievReady, L"KL_FILERECIEVREADY"},
    {NativeCommand::FileRecievNg, L"KL_FILERECIEVNG"},
    {NativeCommand::Full, L"KL_FULL"},
    {NativeCommand::FileRecievErr, L"KL_FILERECIEVERR"},
    {NativeCommand::ImageSendReady, L"KL_IMAGESENDREADY"},
    {NativeCommand::ImageRecievReady, L"KL_IMAGERECIEVREADY"},
    {NativeCommand::ImageRecievNg, L"KL_IMAGERECIEVNG"},
    {NativeCommand::ImageRecievComplete, L"KL_IMAGERECIEVCOMPLETE"},
    {NativeCommand::ImageRecievErr, L"KL_IMAGERECIEVERR"},
    {NativeCommand::Shutdown, L"KL_SHUTDOWN"},
    {NativeCommand::Busy, L"KL_BUSY"},
    {NativeCommand::NetEntry, L"KL_NETENTRY"},
    {NativeCommand::NetEntrySub, L"KL_NETENTRYSUB"},
    {NativeCommand::Exit, L"KL_EXIT"},
    {NativeCommand::ExitSub, L"KL_EXITSUB"},
    {NativeCommand::Send, L"KL_SEND"},
}};

bool IsBroadcast(NativeCommand c) {
    return c == NativeCommand::NetEntry || c == NativeCommand::NetEntrySub || c == NativeCommand::Exit ||
           c == NativeCommand::ExitSub;
}

std::optional<std::string> WithinLimit(const std::wstring& text, std::size_t limit) {
    std::string bytes = ToCp932(text);
    if (bytes.size() > limit) return std::nullopt;
    return bytes;
}

std::wstring Num(std::int64_t v) { return std::to_wstring(v); }

std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) { return std::min(std::max(v, lo), hi); }

std::int32_t IntOr(std::wstring_view text, std::int32_t fallback) { return ParseInt32(text).value_or(fallback); }

// Date then time, the time being the last field of the packet.
LocalDateTime ReadDateTime(std::wstring& rest, const LocalDateTime& now) {
    std::wstring date = ExData(rest);
    LocalDateTime t = ParseShortDate(date).value_or(now);
    if (auto withTime = ParseLongTime(rest, t)) return *withTime;
    t.hour = now.hour, t.minute = now.minute, t.second = now.second;
    return t;
}

ResultPacket ParseResult(NativeCommand cmd, std::wstring& rest, const LocalDateTime& now) {
    ResultPacket r;
    r.command = cmd;
    r.sender.addr = ExData(rest);
    r.sender.identity = ExData(rest);
    if (cmd == NativeCommand::BcAns) {
        r.bcAnsFlag = ExData(rest);
    } else if (cmd == NativeCommand::FileSendReady) {
        FileAnnounce f;
        f.fileName = SafeReceivedFileName(ExData(rest));
        f.size = ParseUInt64(ExData(rest)).value_or(0);
        r.usable = f.size != 0 && !f.fileName.empty();
        r.file = std::move(f);
    } else if (cmd == NativeCommand::ImageSendReady) {
        ImageAnnounce img;
        img.fileName = SafeReceivedFileName(ExData(rest));
        img.size = ParseUInt64(ExData(rest)).value_or(0);
        auto w = ParseInt32(ExData(rest));
        auto h = ParseInt32(ExData(rest));
        auto hidden = ParseInt32(ExData(rest));
        auto mode = ParseInt32(ExData(rest));
        img.senderIdentity = ExData(rest);
        img.title = ExData(rest);
        r.usable = img.size != 0 && !img.fileName.empty() && w && h && hidden && mode;
        img.width = Clamp(w.value_or(0), 0, kMaxNoteCoordinate);
        img.height = Clamp(h.value_or(0), 0, kMaxNoteCoordinate);
        img.hidden = hidden.value_or(0);
        img.bmpMode = mode.value_or(0);
        r.image = std::move(img);
    }
    r.when = ReadDateTime(rest, now);
    return r;
}

BroadcastPacket ParseBroadcast(NativeCommand cmd, std::wstring& rest) {
    BroadcastPacket b;
    b.command = cmd;
    b.addr = ExData(rest);
    b.identity = ExData(rest);
    b.relay = ExData(rest);
    b.broadcastMode = ExData(rest);
    return b;
}

std::optional<NoteSendPacket> ParseNoteSend(std::wstring& rest, const LocalDateTime& now) {
    // Fields 2 to 23 are ";"-terminated; a packet with fewer is cut short.
    if (std::count(rest.begin(), rest.end(), L';') < 22) return std::nullopt;
    NoteSendPacket n;
    n.addr = ExData(rest);
    std::wstring idField = ExData(rest);
    ExtractedHost host = ExtractSHostName(idField);
    n.identity = idField.substr(0, idField.find(kKanrenMarker));
    n.kanren = host.kanren;
    n.sent = ParseShortDate(ExData(rest)).value_or(now);
    if (auto t = ParseLongTime(ExData(rest), n.sent)) n.sent = *t;
    else n.sent.hour = now.hour, n.sent.minute = now.minute, n.sent.second = now.second;
    n.lineCount = ParseInt32(ExData(rest)).value_or(-1);
    n.hiding = IntOr(ExData(rest), 0);
    n.alert = IntOr(ExData(rest), 0);
    n.colour = IntOr(ExData(rest), kNoColour);
    n.left = Clamp(IntOr(ExData(rest), 0), -kMaxNoteCoordinate, kMaxNoteCoordinate);
    n.top = Clamp(IntOr(ExData(rest), 0), -kMaxNoteCoordinate, kMaxNoteCoordinate);
    n.width = Clamp(IntOr(ExData(rest), 0), 0, kMaxNoteCoordinate);
    n.height = Clamp(IntOr(ExData(rest), 0), 0, kMaxNoteCoordinate);
    n.titleFontSize = Clamp(IntOr(ExData(rest), 0), 0, kMaxNoteFontSize);
    n.bodyFontSize = Clamp(IntOr(ExData(rest), 0), 0, kMaxNoteFontSize);

    n.senderVersion = host.verNo;
    std::wstring f16 = ExData(rest), f17 = ExData(rest), f18 = ExData(rest), f19 = ExData(rest);
    std::wstring olderFourth;
    if (StartsWith(n.senderVersion, L"2.0")) {
        n.titleColour = IntOr(f16, kNoColour);
        n.bodyColour = IntOr(f17, kNoColour);
        n.titleStyle = IntOr(f18, 0);
        n.bodyStyle = IntOr(f19, 0);
        n.tomei = IntOr(f16, 0);
    } else {
        n.titleColour = n.bodyColour = 0;
        n.displayMode = f16;
        olderFourth = f19;
    }
    if (!StartsWith(n.senderVersion, L"2.00") && !olderFourth.empty()) return std::nullopt;
    if (n.titleStyle == 9999) n.senderVersion = L"2.00";
    n.format = StartsWith(n.senderVersion, L"2.00") ? NoteFormat::Rich : NoteFormat::Plain;

    n.titleFont = ExData(rest);
    n.bodyFont = ExData(rest);
    n.waku = ParseInt32(ExData(rest));
    std::wstring deadline = ExData(rest);
    if (deadline != L"1899/12/30") {
        auto d = ParseDateTime(deadline);
        if (d && !(IsDayZero(*d) && d->hour == 0 && d->minute == 0 && d->second == 0)) n.deadline = d;
    }
    n.text = std::move(rest);
    return n;
}

}  // namespace

std::wstring_view NativeCommandWord(NativeCommand c) {
    for (const auto& e : kCommands)
        if (e.command == c) return e.word;
    return {};
}

NativeCommand NativeCommandFromWord(std::wstring_view word) {
    for (const auto& e : kCommands)
        if (e.word == word) return e.command;
    return NativeCommand::Unknown;
}

NativeCommand NativeResultCommand(int res) {
    switch (res) {
    case 0: return NativeCommand::Recieve;
    case 1: return NativeCommand::Err;
    case 2:
    case 3: return NativeCommand::BcAns;
    case 4: return NativeCommand::Open;
    case 5: return NativeCommand::ExOpen;
    case 9: return NativeCommand::Dummy;
    case 60: return NativeCommand::FileSendReady;
    case 61: return NativeCommand::FileRecievReady;
    case 62: return NativeCommand::FileRecievNg;
    case 63: return NativeCommand::Full;
    case 69: return NativeCommand::FileRecievErr;
    case 70: return NativeCommand::ImageSendReady;
    case 71: return NativeCommand::ImageRecievReady;
    case 72: return NativeCommand::ImageRecievNg;
    case 78: return NativeCommand::ImageRecievComplete;
    case 79: return NativeCommand::ImageRecievErr;
    case 98: return NativeCommand::Shutdown;
    case 99: return NativeCommand::Busy;
    default: return NativeCommand::Unknown;
    }
}

std::optional<std::string> BuildResultPacket(int res, std::wstring_view myAddr, std::wstring_view myHostName,
                                             std::wstring_view extra, const LocalDateTime& now) {
    NativeCommand cmd = NativeResultCommand(res);
    if (cmd == NativeCommand::Unknown) return std::nullopt;
    std::wstring s(NativeCommandWord(cmd));
    s += L";" + FieldSafe(myAddr) + L";" + FieldSafe(myHostName) + L";";
    if (res == 2) s += L"0;";
    else if (res == 3) s += L"1;";
    else if (res == 60 || res == 70) s += WithoutNul(extra);
    s += FormatShortDate(now) + L";" + FormatLongTime(now);
    return WithinLimit(s, kMaxNativeSmallPacket);
}

std::wstring MakeFileSendExtra(const FileAnnounce& f) {
    return FieldSafe(f.fileName) + L";" + Num(std::int64_t(std::min<std::uint64_t>(f.size, INT64_MAX))) + L";";
}

std::wstring MakeImageSendExtra(const ImageAnnounce& img) {
    return FieldSafe(img.fileName) + L";" + Num(std::int64_t(std::min<std::uint64_t>(img.size, INT64_MAX))) + L";" +
           Num(img.width) + L";" + Num(img.height) + L";" + Num(img.hidden) + L";" + Num(img.bmpMode) + L";" +
           FieldSafe(img.senderIdentity) + L";" + FieldSafe(img.title) + L";";
}

std::optional<std::string> BuildImageSendReady(const ImageAnnounce& img, std::wstring_view myAddr,
                                               std::wstring_view myHostName, const LocalDateTime& now) {
    if (auto p = BuildResultPacket(70, myAddr, myHostName, MakeImageSendExtra(img), now)) return p;
    ImageAnnounce untitled = img;
    untitled.title.clear();
    auto base = BuildResultPacket(70, myAddr, myHostName, MakeImageSendExtra(untitled), now);
    if (!base) return std::nullopt;
    std::string title = ToCp932(FieldSafe(img.title));
    untitled.title = FromCp932(std::string_view(title).substr(0, Cp932SafeCut(title, kMaxNativeSmallPacket - base->size())));
    return BuildResultPacket(70, myAddr, myHostName, MakeImageSendExtra(untitled), now);
}

std::optional<std::string> BuildBroadcast(const BroadcastPacket& b) {
    if (!IsBroadcast(b.command)) return std::nullopt;
    std::wstring s(NativeCommandWord(b.command));
    s += L";" + FieldSafe(b.addr) + L";" + FieldSafe(b.identity) + L";" + FieldSafe(b.relay) + L";" +
         FieldSafe(b.broadcastMode) + L";0";
    return WithinLimit(s, kMaxNativeSmallPacket);
}

std::wstring_view BroadcastRelayFlag(NativeCommand c, bool toListedAddress) {
    if (!toListedAddress || c == NativeCommand::NetEntrySub) return L"0";
    return L"1";
}

std::optional<std::string> BuildNoteSend(const NoteSendPacket& n, NoteFormat format) {
    const bool rich = format == NoteFormat::Rich;
    std::wstring s = L"KL_SEND;";
    auto field = [&s](std::wstring_view v) { s += FieldSafe(v) + L";"; };
    auto num = [&s](std::int64_t v) { s += Num(v) + L";"; };
    field(n.addr);
    field(n.identity + std::wstring(kKanrenMarker) + n.kanren);
    field(FormatShortDate(n.sent));
    field(FormatLongTime(n.sent));
    num(n.lineCount);
    num(n.hiding);
    num(n.alert);
    num(n.colour);
    num(n.left);
    num(n.top);
    num(n.width);
    num(n.height);
    num(n.titleFontSize);
    num(n.bodyFontSize);
    if (rich) {
        num(n.tomei);
        num(0);
        num(9999);
        num(0);
    } else {
        num(n.titleColour);
        num(n.bodyColour);
        num(n.titleStyle);
        num(n.bodyStyle);
    }
    field(n.titleFont);
    field(n.bodyFont);
    num(n.waku.value_or(0));
    if (!n.deadline) field(L"1899/12/30");
    else field(rich ? FormatDateTime(*n.deadline) : FormatShortDate(*n.deadline));
    s += WithoutNul(n.text);
    return WithinLimit(s, kMaxNativeNotePacket);
}

std::wstring NativeDatagramText(std::string_view datagram) {
    datagram = datagram.substr(0, kMaxNativeDatagram);
    datagram = datagram.substr(0, datagram.find('\0'));
    return FromCp932(datagram);
}

std::optional<NativePacket> ParseNativePacket(std::string_view datagram, const LocalDateTime& now) {
    std::wstring rest = NativeDatagramText(datagram);
    if (rest.empty()) return std::nullopt;
    NativeCommand cmd = NativeCommandFromWord(ExData(rest));
    if (cmd == NativeCommand::Unknown) return std::nullopt;
    NativePacket p;
    p.command = cmd;
    if (cmd == NativeCommand::Send) {
        auto n = ParseNoteSend(rest, now);
        if (!n) return std::nullopt;
        p.body = std::move(*n);
    } else if (IsBroadcast(cmd)) {
        p.body = ParseBroadcast(cmd, rest);
    } else {
        p.body = ParseResult(cmd, rest, now);
    }
    return p;
}

std::vector<std::wstring> PlainNoteLines(std::wstring_view text, std::int32_t lineCount) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (lineCount < 0 || std::int64_t(lines.size()) < lineCount) {
        std::size_t p = text.find(L'\r', start);
        lines.emplace_back(text.substr(start, p == std::wstring_view::npos ? std::wstring_view::npos : p - start));
        if (p == std::wstring_view::npos) break;
        start = p + 1;
    }
    return lines;
}

std::wstring SafeReceivedFileName(std::wstring_view name) {
    std::size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring_view::npos) name = name.substr(slash + 1);
    std::wstring out;
    for (wchar_t c : name) {
        if (c < 0x20 || c == 0x7F || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos) continue;
        out += c;
    }
    while (!out.empty() && (out.back() == L'.' || out.back() == L' ')) out.pop_back();
    while (!out.empty() && out.front() == L' ') out.erase(0, 1);
    // Device names are refused by the file system whatever their extension.
    std::wstring stem = UpperForMatch(out.substr(0, out.find(L'.')));
    static const std::array<std::wstring_view, 22> kDevices{
        L"CON", L"PRN", L"AUX", L"NUL", L"COM1", L"COM2", L"COM3", L"COM4", L"COM5", L"COM6", L"COM7",
        L"COM8", L"COM9", L"LPT1", L"LPT2", L"LPT3", L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9"};
    for (auto d : kDevices)
        if (stem == d) return L"_" + out;
    return out;
}

}  // namespace kelup
