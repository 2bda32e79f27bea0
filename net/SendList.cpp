#include "net/SendList.h"

#include "base/Cp932.h"
#include "net/Identity.h"
#include "net/PacketText.h"

#include <algorithm>

namespace kelup {

namespace {

constexpr std::wstring_view kSpacing = L"\x3000\x3000\x3000\x3000\x3000\x3000\x3000\x3000\x3000\x3000\x3000\x3000";
constexpr std::wstring_view kAddrMarker = L":::";
constexpr std::wstring_view kSexMarker = L"///";
constexpr std::wstring_view kVerMarker = L"\\\\\\";

bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F; }

std::wstring TailPartSafe(std::wstring_view t) {
    std::wstring out(t);
    for (wchar_t& c : out)
        if (IsControl(c) || c == L':' || c == L'/' || c == L'\\') c = L'_';
    return out;
}

int CompareNoCase(std::wstring_view a, std::wstring_view b) {
    std::wstring x = UpperForMatch(a), y = UpperForMatch(b);
    return x.compare(y);
}

// Positions of the three markers, looked for from the end.
struct Markers {
    std::size_t addr = std::wstring_view::npos, sex = std::wstring_view::npos, ver = std::wstring_view::npos;
};

Markers FindMarkers(std::wstring_view e) {
    Markers m;
    m.ver = e.rfind(kVerMarker);
    std::size_t limit = m.ver == std::wstring_view::npos ? e.size() : m.ver;
    if (limit >= kSexMarker.size()) m.sex = e.rfind(kSexMarker, limit - kSexMarker.size());
    std::size_t limit2 = m.sex == std::wstring_view::npos ? limit : m.sex;
    if (limit2 >= kAddrMarker.size()) m.addr = e.rfind(kAddrMarker, limit2 - kAddrMarker.size());
    return m;
}

std::wstring Between(std::wstring_view e, std::size_t from, std::size_t to) {
    if (from == std::wstring_view::npos || from > e.size()) return {};
    if (to == std::wstring_view::npos || to < from) to = e.size();
    return std::wstring(e.substr(from, to - from));
}

}  // namespace

std::wstring ListNameEdit(std::wstring_view sHostName, std::wstring_view ipAddr, std::wstring_view sex,
                          std::wstring_view verNo) {
    std::wstring name;
    for (wchar_t c : sHostName)
        if (!IsControl(c)) name += c;
    if (name.size() > kMaxEntryNameChars) name.resize(kMaxEntryNameChars);
    return name + std::wstring(kSpacing) + std::wstring(kAddrMarker) + TailPartSafe(ipAddr.substr(0, 64)) +
           std::wstring(kSexMarker) + TailPartSafe(sex.substr(0, 1)) + std::wstring(kVerMarker) +
           TailPartSafe(verNo.substr(0, 5));
}

ListEntryParts ListNameExtract(std::wstring_view entry) {
    ListEntryParts p;
    p.name = NameFromList(entry);
    p.pcName = ExtractPCName(entry);
    Markers m = FindMarkers(entry);
    if (m.addr != std::wstring_view::npos)
        p.ipAddr = Between(entry, m.addr + kAddrMarker.size(), m.sex);
    if (m.sex != std::wstring_view::npos)
        p.sex = Between(entry, m.sex + kSexMarker.size(), m.ver);
    if (m.ver != std::wstring_view::npos)
        p.verNo = std::wstring(entry.substr(m.ver + kVerMarker.size(), 5));
    return p;
}

bool IsWellFormedEntry(std::wstring_view entry) {
    ListEntryParts p = ListNameExtract(entry);
    std::wstring display = EntryDisplayName(entry);
    if (!IsWellFormedDisplayName(display) || !IsDottedIPv4(p.ipAddr) || !IsWellFormedVersion(p.verNo)) return false;
    if (p.sex.size() != 1 || p.sex[0] < L'0' || p.sex[0] > L'9') return false;
    return ListNameEdit(display, p.ipAddr, p.sex, p.verNo) == entry;
}

std::wstring EntryDisplayName(std::wstring_view entry) {
    Markers m = FindMarkers(entry);
    std::wstring_view name = m.addr == std::wstring_view::npos ? entry : entry.substr(0, m.addr);
    for (int i = 0; i < 12 && !name.empty() && name.back() == L'\x3000'; ++i) name.remove_suffix(1);
    return std::wstring(name);
}

std::wstring NameFromList(std::wstring_view text) {
    std::size_t p = text.find(L'\xFF08');
    return p == std::wstring_view::npos ? std::wstring() : std::wstring(text.substr(0, p));
}

std::wstring ExtractPCName(std::wstring_view displayName) {
    std::size_t open = displayName.find(L'\xFF08');
    if (open == std::wstring_view::npos) return {};
    std::size_t close = displayName.find(L'\xFF09', open + 1);
    return std::wstring(displayName.substr(open + 1, close == std::wstring_view::npos ? std::wstring_view::npos
                                                                                      : close - open - 1));
}

bool SortedList::Contains(std::wstring_view s) const {
    auto it = std::lower_bound(items_.begin(), items_.end(), s,
                               [](const std::wstring& a, std::wstring_view b) { return CompareNoCase(a, b) < 0; });
    return it != items_.end() && CompareNoCase(*it, s) == 0;
}

bool SortedList::Add(std::wstring_view s) {
    auto it = std::lower_bound(items_.begin(), items_.end(), s,
                               [](const std::wstring& a, std::wstring_view b) { return CompareNoCase(a, b) < 0; });
    if (it != items_.end() && CompareNoCase(*it, s) == 0) return false;
    items_.insert(it, std::wstring(s));
    return true;
}

bool SamePeer(std::wstring_view entry, std::wstring_view displayName, std::wstring_view ipAddr, MatchMode mode) {
    if (mode == MatchMode::ByAddress) return SameIPv4(ListNameExtract(entry).ipAddr, ipAddr);
    std::wstring a = ExtractPCName(entry), b = ExtractPCName(displayName);
    return !a.empty() && UpperForMatch(a) == UpperForMatch(b);
}

SendLists::SendLists() : lists_(kFirstSection) {}

std::optional<std::size_t> SendLists::SectionIndex(std::wstring_view section) const {
    for (std::size_t i = 0; i < sectionNames_.size(); ++i)
        if (sectionNames_[i] == section) return kFirstSection + i;
    return std::nullopt;
}

void SendLists::NewSearch(const std::vector<std::wstring>& absenteeLines) {
    lists_.resize(kFirstSection);
    sectionNames_.clear();
    lists_[kAll].Clear();
    lists_[kAbsent].Clear();
    for (const auto& line : absenteeLines)
        if (IsWellFormedEntry(line)) AddTo(kAbsent, line);
}

void SendLists::LoadFriends(const std::vector<std::wstring>& friendLines) {
    lists_[kFriends].Clear();
    for (const auto& line : friendLines)
        if (IsWellFormedEntry(line)) AddTo(kFriends, line);
}

bool SendLists::Room(const SortedList& list) const {
    if (list.size() >= kMaxListEntries) return false;
    std::size_t total = 0;
    for (const auto& l : lists_) total += l.size();
    return total < kMaxTotalEntries;
}

bool SendLists::AddTo(std::size_t index, std::wstring_view entry) {
    SortedList& list = lists_[index];
    if (list.Contains(entry) || !Room(list)) return false;
    return list.Add(entry);
}

SendLists::AddOutcome SendLists::Add(const PeerInfo& peer, MatchMode mode) {
    AddOutcome out;
    if (!IsDottedIPv4(peer.ipAddr)) return out;
    out.entry = ListNameEdit(peer.sHostName, peer.ipAddr, peer.sex, peer.verNo);
    if (!IsWellFormedEntry(out.entry)) {
        out.entry.clear();
        return out;
    }
    out.added = AddTo(kAll, out.entry);
    SortedList& absent = lists_[kAbsent];
    if (!absent.empty() && peer.sex != L"8") {
        for (std::size_t i = 0; i < absent.size(); ++i) {
            if (SamePeer(absent[i], peer.sHostName, peer.ipAddr, mode)) {
                out.absenteeRemoved = absent[i];
                absent.RemoveAt(i);
                break;
            }
        }
    }
    std::wstring section;
    for (wchar_t c : peer.shozk)
        if (!IsControl(c)) section += c;
    if (section.size() > kMaxEntryNameChars) section.resize(kMaxEntryNameChars);
    if (!section.empty()) {
        auto index = SectionIndex(section);
        if (!index && lists_.size() < kMaxSendLists) {
            lists_.emplace_back();
            sectionNames_.push_back(section);
            index = lists_.size() - 1;
            out.sectionCreated = true;
        }
        if (index) {
            AddTo(*index, out.entry);
            if (lists_[*index].Contains(out.entry)) out.section = index;
        }
    }
    return out;
}

SendLists::RemoveOutcome SendLists::Remove(const PeerInfo& peer, MatchMode mode) {
    RemoveOutcome out;
    SortedList& all = lists_[kAll];
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (SamePeer(all[i], peer.sHostName, peer.ipAddr, mode)) {
            out.removedFromAll = all[i];
            all.RemoveAt(i);
            break;
        }
    }
    out.entry = ListNameEdit(peer.sHostName, peer.ipAddr, peer.sex, peer.verNo);
    const SortedList& absent = lists_[kAbsent];
    bool known = std::any_of(absent.begin(), absent.end(),
                             [&](const std::wstring& e) { return SamePeer(e, peer.sHostName, peer.ipAddr, mode); });
    if (!known && ParseInt32(peer.sex).value_or(0) < 8) out.becameAbsentee = AddTo(kAbsent, out.entry);
    for (std::size_t s = kFirstSection; s < lists_.size(); ++s) {
        SortedList& list = lists_[s];
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (SameIPv4(ListNameExtract(list[i]).ipAddr, peer.ipAddr)) {
                list.RemoveAt(i);
                out.sectionsChanged.push_back(s);
                break;
            }
        }
    }
    return out;
}

bool SendLists::AllHasDisplayName(std::wstring_view displayName) const {
    return std::any_of(All().begin(), All().end(),
                       [&](const std::wstring& e) { return EntryDisplayName(e) == displayName; });
}

std::optional<std::wstring> SendLists::FindInAll(std::wstring_view ipAddr, std::wstring_view preferredSex) const {
    std::optional<std::wstring> other;
    for (const auto& e : All()) {
        ListEntryParts p = ListNameExtract(e);
        if (!SameIPv4(p.ipAddr, ipAddr)) continue;
        if (p.sex == preferredSex) return e;
        other = e;
    }
    return other;
}

std::optional<std::wstring> SendLists::FriendByAddress(std::wstring_view ipAddr) const {
    for (const auto& e : Friends())
        if (SameIPv4(ListNameExtract(e).ipAddr, ipAddr)) return e;
    return std::nullopt;
}

SendLists::FriendAdd SendLists::AddFriend(std::wstring_view entry) {
    std::wstring addr = ListNameExtract(entry).ipAddr;
    if (!IsWellFormedEntry(entry)) return FriendAdd::Refused;
    if (FriendByAddress(addr)) return FriendAdd::AlreadyThere;
    return AddTo(kFriends, entry) ? FriendAdd::Added : FriendAdd::Refused;
}

bool SendLists::DelFriend(std::wstring_view entry) {
    std::wstring addr = ListNameExtract(entry).ipAddr;
    SortedList& friends = lists_[kFriends];
    for (std::size_t i = 0; i < friends.size(); ++i) {
        if (SameIPv4(ListNameExtract(friends[i]).ipAddr, addr)) {
            friends.RemoveAt(i);
            return true;
        }
    }
    return false;
}

std::vector<std::wstring> SendLists::LisLines() const {
    std::vector<std::wstring> lines;
    for (std::size_t index : {kAll, kAbsent})
        for (const auto& e : lists_[index])
            if (ListNameExtract(e).sex != L"8" && IsWellFormedEntry(e)) lines.push_back(e);
    return lines;
}

std::vector<std::wstring> SendLists::FrdLines() const {
    std::vector<std::wstring> lines;
    for (const auto& e : Friends())
        if (IsWellFormedEntry(e)) lines.push_back(e);
    return lines;
}

std::string WriteListFile(const std::vector<std::wstring>& lines) {
    std::string out;
    for (const auto& line : lines) {
        std::wstring clean;
        for (wchar_t c : line)
            if (c != L'\r' && c != L'\n' && c != L'\0') clean += c;
        out += ToCp932(clean);
        out += "\r\n";
    }
    return out;
}

std::vector<std::wstring> ReadListFile(std::string_view bytes) {
    std::vector<std::wstring> lines;
    std::size_t i = 0;
    while (i < bytes.size() && lines.size() < kMaxListFileLines) {
        std::size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(i, end - i);
        i = end;
        if (i < bytes.size() && bytes[i] == '\r') ++i;
        if (i < bytes.size() && bytes[i] == '\n' && (i == end || bytes[i - 1] == '\r')) ++i;
        if (line.empty() || line.size() > kMaxListLineChars * 2) continue;
        std::wstring text = FromCp932(line);
        if (text.size() > kMaxListLineChars) continue;
        std::wstring clean;
        for (wchar_t c : text)
            if (c != L'\0') clean += c;
        if (!clean.empty()) lines.push_back(std::move(clean));
    }
    return lines;
}

std::string WriteSendListFile(const std::vector<std::wstring>& entries) {
    std::string out;
    for (const auto& entry : entries) {
        if (!IsWellFormedEntry(entry)) continue;
        std::string bytes = ToCp932(entry);
        if (!IsCp932Text(bytes)) continue;
        out += bytes;
        out += "\r\n";
    }
    return out;
}

std::vector<std::wstring> ReadSendListFile(std::string_view bytes) {
    std::vector<std::wstring> lines;
    std::size_t i = 0;
    while (i < bytes.size() && lines.size() < kMaxListFileLines) {
        std::size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(i, end - i);
        i = end;
        if (i < bytes.size() && bytes[i] == '\r') ++i;
        if (i < bytes.size() && bytes[i] == '\n' && (i == end || bytes[i - 1] == '\r')) ++i;
        if (line.empty() || line.size() > kMaxListLineChars * 2) continue;
        auto text = FromCp932Strict(line);
        if (text && IsWellFormedEntry(*text)) lines.push_back(std::move(*text));
    }
    return lines;
}

int SendListIcon(std::wstring_view sex, bool friendOnline, int current) {
    if (sex.size() == 1 && sex[0] >= L'0' && sex[0] <= L'7') return 3 + (sex[0] - L'0');
    if (sex == L"8") return 19;
    return friendOnline ? current : 3;
}

}  // namespace kelup
