#include "net/ReceiveRules.h"

#include "app/Settings.h"
#include "base/Cp932.h"
#include "net/Identity.h"
#include "net/PacketText.h"
#include "net/SendList.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace kelup {

namespace {

std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) { return std::min(std::max(v, lo), hi); }

// A colour value as a window takes it, or the fallback.
std::int32_t ColourOr(std::int32_t v, std::int32_t fallback) { return v >= 0 && v <= 0xFFFFFF ? v : fallback; }

std::int32_t FontSizeOr(std::int32_t v, std::int32_t fallback) {
    if (v <= 0) v = fallback;
    return Clamp(v, kMinReceivedFontSize, kMaxReceivedFontSize);
}

// A style code keeps its four digits, each 0 or 1.
std::int32_t StyleCode(std::int32_t v) {
    if (v < 0) return 0;
    std::int32_t out = 0;
    for (std::int32_t unit : {1000, 100, 10, 1})
        if ((v / unit) % 10 != 0) out += unit;
    return out;
}

std::wstring FontNameOr(std::wstring_view name, std::wstring_view fallback) {
    std::wstring out;
    for (wchar_t c : name)
        if (c >= 0x20 && c != 0x7F) out += c;
    if (out.empty()) out = fallback;
    if (out.size() > kMaxFontNameChars) out.resize(kMaxFontNameChars);
    return out;
}

std::wstring WithoutLineFeeds(std::wstring_view s) {
    std::wstring out;
    out.reserve(s.size());
    for (wchar_t c : s)
        if (c != L'\n') out += c;
    return out;
}

// The display name of a friend entry, "name（computer）".
std::wstring FriendName(const std::wstring& entry) {
    ListEntryParts parts = ListNameExtract(entry);
    return parts.name + L"（" + parts.pcName + L"）";
}

}  // namespace

std::wstring ReceivedSenderName(std::wstring_view identity, const std::optional<std::wstring>& friendEntry) {
    std::wstring_view before = identity.substr(0, identity.find(L"##"));
    if (!friendEntry) return std::wstring(before);
    std::wstring name = FriendName(*friendEntry);
    ExtractedHost host = ExtractSHostName(identity);
    if (!host.shozk.empty()) name += L"/" + host.shozk;
    return name;
}

ReceivedNote PlanNativeNote(const NoteSendPacket& p, std::wstring_view source, const SendLists& lists,
                            const Settings& defaults) {
    ReceivedNote n;
    // Answers go where the datagram came from unless it names an address.
    n.IP_Addr = IsDottedIPv4(p.addr) ? p.addr : std::wstring(source);
    n.SHostName = p.identity;
    std::optional<std::wstring> friendEntry = lists.FriendByAddress(n.IP_Addr);
    n.FMode = friendEntry ? 1 : 0;
    n.sent = p.sent;
    n.SKey = Clamp(p.hiding, 0, 2);
    n.SZen = Clamp(p.alert, 0, 3);

    RSave1& r = n.R1;
    r.LineSpace = 20;
    r.Color = ColourOr(p.colour, defaults.Colorx64);
    r.Left = p.left, r.Top = p.top;
    r.Width = p.width, r.Height = p.height;
    r.FontSize1 = FontSizeOr(p.titleFontSize, defaults.FontSize);
    r.FontSize2 = FontSizeOr(p.bodyFontSize, r.FontSize1);
    r.Border = 1;
    r.FontColor1 = ColourOr(p.titleColour, defaults.FontColor);
    r.FontColor2 = ColourOr(p.bodyColour, defaults.FontColor2);
    r.FontStyle1 = p.format == NoteFormat::Rich ? 0 : StyleCode(p.titleStyle);
    r.FontStyle2 = p.format == NoteFormat::Rich ? 0 : StyleCode(p.bodyStyle);
    r.Waku = p.waku ? Clamp(*p.waku, 0, 6) : defaults.Waku;
    r.KeyOpen = n.SKey > 0 ? 1 : 0;
    r.SetPWord = n.SKey == 2 ? 1 : 0;
    n.FName1 = FontNameOr(p.titleFont, defaults.FontName);
    n.FName2 = FontNameOr(p.bodyFont, n.FName1);
    n.deadline = p.deadline;
    n.displayMode = p.displayMode;

    n.senderName = ReceivedSenderName(n.SHostName, friendEntry);
    n.historyName = friendEntry ? FriendName(*friendEntry) : ExtractSHostName(n.SHostName).sHostName;

    n.rich = p.format == NoteFormat::Rich;
    if (n.rich) {
        n.rtf = SanitizeRtf(ToCp932(p.text));
        n.openFName = p.kanren;
    } else {
        std::int32_t count = p.lineCount < 0 ? kMaxReceivedLines : std::min(p.lineCount, kMaxReceivedLines);
        for (auto& line : PlainNoteLines(p.text, count)) n.lines.push_back(WithoutLineFeeds(line));
    }
    return n;
}

std::pair<int, int> IpMsgHiding(std::uint32_t command) {
    // A sender who asked for the password gets it asked for, secret or not.
    if (OptionNibble2(command) == 8) return {2, 2};
    if (OptionNibble1(command) == 3) return {1, 2};
    return {0, 0};
}

ReceivedNote PlanIpMsgNote(const IpMsgPacket& p, std::wstring_view source, const SendLists& lists,
                           const Settings& defaults, const LocalDateTime& now) {
    ReceivedNote n;
    n.IP_Addr = std::wstring(source);
    // The sender's name: the friend's entry, else the list entry with this
    // address, else what the packet says.
    std::wstring name;
    if (auto f = lists.FriendByAddress(source)) name = FriendName(*f);
    else if (auto e = lists.FindInAll(source, kIpMsgSex)) name = EntryDisplayName(*e);
    else name = p.user + L"（" + p.host + L"）";
    std::wstring number = p.packetNo.empty() ? L"0" : p.packetNo;
    n.SHostName = name + L"##" + number + L"#@#@#" + std::wstring(kIpMsgVersion);
    auto [key, zen] = IpMsgHiding(p.command);
    n.SKey = key, n.SZen = zen;

    RSave1& r = n.R1;
    r.LineSpace = 20;
    r.Color = ColourOr(defaults.Colorx64, 12648447);
    r.Width = defaults.Width, r.Height = defaults.Height;
    n.centred = true;
    r.FontColor1 = defaults.FontColor, r.FontColor2 = defaults.FontColor2;
    r.FontSize1 = FontSizeOr(defaults.FontSize, 12), r.FontSize2 = FontSizeOr(defaults.FontSize2, r.FontSize1);
    r.FontStyle1 = StyleCode(defaults.FontStyle), r.FontStyle2 = StyleCode(defaults.FontStyle2);
    r.Border = 1;
    r.Waku = 0;
    r.KeyOpen = key > 0 ? 1 : 0;
    r.SetPWord = key == 2 ? 1 : 0;
    n.FName1 = FontNameOr(defaults.FontName, kDefaultFontName);
    n.FName2 = FontNameOr(defaults.FontName2, n.FName1);
    n.Sex = std::wstring(kIpMsgSex);
    n.Sex2 = number;
    n.sent = now;
    n.FMode = 0;
    n.senderName = ReceivedSenderName(n.SHostName, std::nullopt);
    n.historyName = name;
    // IP Messenger ends lines with LF (some senders CR LF).
    std::wstring text;
    for (wchar_t c : p.extra)
        if (c != L'\r') text += c;
    std::size_t start = 0;
    while (n.lines.size() < std::size_t(kMaxReceivedLines)) {
        std::size_t lf = text.find(L'\n', start);
        n.lines.push_back(text.substr(start, lf == std::wstring::npos ? std::wstring::npos : lf - start));
        if (lf == std::wstring::npos) break;
        start = lf + 1;
    }
    return n;
}

bool IpMsgRepeatFilter::Accept(std::uint64_t packetNumber, std::wstring_view source) {
    bool repeat = any_ && packetNumber != 0 && packetNumber == lastNumber_ && source == lastSource_;
    if (repeat) return false;
    any_ = true;
    lastNumber_ = packetNumber;
    lastSource_ = std::wstring(source);
    return true;
}

std::vector<std::wstring> ArrivalHistoryLines(std::wstring_view nowText, std::wstring_view name,
                                              std::wstring_view addr) {
    return {L" ", std::wstring(nowText),
            L"From: " + std::wstring(name) + L" (" + std::wstring(addr) + L")"};
}

std::vector<std::wstring> HistoryTextLines(const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> out;
    for (const auto& l : lines)
        if (l.empty() || l[0] != L'>') out.push_back(l);
    return out;
}

std::vector<std::wstring> SealedFaceLines(std::wstring_view senderName, std::wstring_view sentText) {
    return {L"A Message", L"From " + std::wstring(senderName), L"At " + std::wstring(sentText), L""};
}

ReceiptNotice ReadReceiptNotice(ReceiptKind kind, std::wstring_view opener, std::wstring_view nowText) {
    std::wstring what = kind == ReceiptKind::Opened         ? L"付箋紙が読まれました"
                        : kind == ReceiptKind::AbsentOpened ? L"不在者宛にポストした付箋紙が読まれました"
                                                            : L"メッセージが開封されました";
    ReceiptNotice r;
    r.historyLines = {L" ", std::wstring(nowText) + L"\r" + what + L"\r" + L"開封者名　" + std::wstring(opener)};
    r.message = what + L"\r開封者名　" + std::wstring(opener) + L"\r" + L"開封日時　" + std::wstring(nowText);
    return r;
}

std::wstring IpMsgOpener(const SendLists& lists, std::wstring_view source, std::wstring_view user,
                         std::wstring_view host) {
    std::wstring name;
    if (auto e = lists.FindInAll(source, kIpMsgSex)) name = NameFromList(*e);
    if (name.empty()) name = std::wstring(user);
    return name + L"/" + std::wstring(host);
}

std::wstring OpenQuestionText(std::wstring_view senderName, std::wstring_view senderAddr, std::wstring_view target) {
    std::wstring from = senderName.empty() ? std::wstring(senderAddr)
                                           : std::wstring(senderName) + L" (" + std::wstring(senderAddr) + L")";
    return L"この付箋紙は " + from + L" から届いたものです。\r次のものを開きますか？\r\r" + std::wstring(target);
}

// --- received rich text ------------------------------------------------------

namespace {

// Destinations that embed, link or run something, or reach files.
constexpr std::array<std::string_view, 30> kDroppedGroups{
    "object",   "objdata",    "objclass",   "objname",  "objalias",   "objsect",  "objitem",    "objtopic",
    "objtime",  "objemb",     "objlink",    "objautlink", "objsub",   "objpub",   "objicemb",   "objhtml",
    "objocx",   "fldinst",    "datafield",  "datastore", "template",  "picprop",  "shpinst",    "shp",
    "xmlopen",  "xmlattrname", "xmlattrvalue", "hlinkbase", "docvar", "blipuid"};

// Field wrappers: their instruction goes (above), their result stays as
// plain text, so the words that make it a field go too.
bool Unwrapped(std::string_view word) { return word == "field" || word == "fldrslt"; }

bool Dropped(std::string_view word) {
    return std::find(kDroppedGroups.begin(), kDroppedGroups.end(), word) != kDroppedGroups.end();
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The first control word of the group opening at `open` ("{"), passing a
// leading "\*" and line ends.
std::string_view FirstWord(std::string_view s, std::size_t open) {
    std::size_t i = open + 1;
    auto skipBreaks = [&] {
        while (i < s.size() && (s[i] == '\r' || s[i] == '\n')) ++i;
    };
    skipBreaks();
    if (i + 1 < s.size() && s[i] == '\\' && s[i + 1] == '*') {
        i += 2;
        skipBreaks();
    }
    if (i + 1 >= s.size() || s[i] != '\\' || !IsLetter(s[i + 1])) return {};
    std::size_t start = ++i;
    while (i < s.size() && IsLetter(s[i]) && i - start < 32) ++i;
    return s.substr(start, i - start);
}

}  // namespace

std::string SanitizeRtf(std::string_view rtf) {
    if (rtf.rfind("{\\rtf", 0) != 0) return std::string(rtf);
    std::string out;
    out.reserve(rtf.size());
    int depth = 0;          // groups open in the input
    int skipFrom = 0;       // depth of the group being dropped, 0 when none
    int openOut = 0;        // groups open in the output
    bool closeSkipped = false;
    // The last thing written is a control word without its delimiter: text
    // written after something dropped must not run into it.
    bool wordOpen = false;
    auto put = [&](char ch) {
        if (wordOpen && (IsLetter(ch) || IsDigit(ch) || ch == '-' || ch == ' ')) out += ' ';
        wordOpen = false;
        out += ch;
    };
    std::size_t i = 0;
    while (i < rtf.size()) {
        char c = rtf[i];
        if (c == '\0') {
            ++i;
            continue;
        }
        if (c == '{') {
            ++depth;
            if (skipFrom == 0 && (depth > kMaxRtfDepth || Dropped(FirstWord(rtf, i)))) skipFrom = depth;
            if (skipFrom == 0) {
                put(c);
                ++openOut;
            }
            ++i;
            continue;
        }
        if (c == '}') {
            ++i;
            if (depth == 0) continue;   // a stray close
            if (skipFrom == 0 || (skipFrom == depth && closeSkipped)) {
                put(c);
                --openOut;
            }
            if (skipFrom == depth) skipFrom = 0, closeSkipped = false;
            --depth;
            if (depth == 0) break;      // the document ends with its first group
            continue;
        }
        if (c == '\\') {
            if (i + 1 >= rtf.size()) break;
            if (!IsLetter(rtf[i + 1])) {
                // A control symbol; "\'" takes its two hex digits as text after it.
                if (skipFrom == 0 && rtf[i + 1] != '\0') {
                    put('\\');
                    out += rtf[i + 1];
                }
                i += 2;
                continue;
            }
            std::size_t start = i;
            std::size_t j = i + 1;
            while (j < rtf.size() && IsLetter(rtf[j]) && j - i <= 32) ++j;
            std::string_view word = rtf.substr(i + 1, j - i - 1);
            std::size_t numStart = j;
            if (j < rtf.size() && rtf[j] == '-') ++j;
            while (j < rtf.size() && IsDigit(rtf[j]) && j - numStart < 10) ++j;
            std::string_view number = rtf.substr(numStart, j - numStart);
            if (j < rtf.size() && rtf[j] == ' ') ++j;   // the delimiter belongs to the word
            if (word == "bin") {
                // Raw bytes follow: never kept, whatever group they are in.
                std::uint64_t n = 0;
                for (char d : number)
                    if (IsDigit(d)) n = std::min<std::uint64_t>(n * 10 + std::uint64_t(d - '0'), rtf.size());
                i = std::min<std::size_t>(rtf.size(), j + std::size_t(n));
                continue;
            }
            // A destination that must go, met inside a group: the rest of
            // that group goes with it.
            if (skipFrom == 0 && Dropped(word)) {
                skipFrom = std::max(depth, 1);
                closeSkipped = true;   // its "{" was written: so is its "}"
            }
            if (skipFrom == 0 && !Unwrapped(word)) {
                put('\\');
                out.append(rtf.substr(start + 1, j - start - 1));
                wordOpen = out.back() != ' ';
            }
            i = j;
            continue;
        }
        if (skipFrom == 0) put(c);
        ++i;
    }
    while (openOut-- > 0) out += '}';
    return out;
}

}  // namespace kelup
