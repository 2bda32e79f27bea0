#include "compose/RecipientRules.h"

#include <algorithm>

#include "net/PacketText.h"
#include "net/SendList.h"

namespace kelup {

namespace {

constexpr wchar_t kOpen = L'\xFF08';    // "（"
constexpr wchar_t kClose = L'\xFF09';   // "）"
constexpr std::wstring_view kIpMsgMark = L"☆";
constexpr std::wstring_view kKelupMark = L"★";

bool SameAddress(std::wstring_view a, std::wstring_view b) { return SameIPv4(a, b) || (!a.empty() && a == b); }

bool HasAddress(const std::vector<std::wstring>& entries, std::wstring_view addr) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const std::wstring& e) { return SameAddress(ListNameExtract(e).ipAddr, addr); });
}

int SexNumber(std::wstring_view sex) {
    auto n = ParseInt32(sex);
    return n && *n >= 0 && *n <= 9 ? *n : 0;
}

}  // namespace

AddDecision DecideAdd(const std::vector<std::wstring>& recipients, std::wstring_view entry, bool absenteeGroup,
                      int recipientMode) {
    AddDecision d;
    d.recipientMode = recipientMode;
    if (recipients.empty()) {
        d.append = true;
        d.recipientMode = int(absenteeGroup ? RecipientKind::Absentee : RecipientKind::Normal);
        return d;
    }
    const ListEntryParts p = ListNameExtract(entry);
    for (const auto& r : recipients) {
        const ListEntryParts q = ListNameExtract(r);
        if (!SameAddress(q.ipAddr, p.ipAddr)) continue;
        if (q.sex != p.sex) d.refusal = L"同じＩＰアドレスを持つ相手には\r１つのメッセージしか送信できません。";
        return d;   // the same peer is there already
    }
    if (!absenteeGroup && recipientMode < int(RecipientKind::Absentee)) d.append = true;
    else if (absenteeGroup && recipientMode == int(RecipientKind::Absentee))
        d.refusal = L"同時に複数の不在者には送信できません";
    else d.refusal = L"通常送信と不在者あて送信は一度には行えません。";
    return d;
}

AddAllResult AddAll(const std::vector<std::wstring>& shown, const std::vector<std::wstring>& recipients,
                    AddAllKind kind) {
    AddAllResult r;
    std::size_t count = shown.size();
    if (kind != AddAllKind::All && count > kAddAllLimit) {
        r.overLimit = true;
        count = kAddAllLimit;
    }
    std::vector<std::wstring> taken = recipients;
    for (std::size_t i = 0; i < count; ++i) {
        const ListEntryParts p = ListNameExtract(shown[i]);
        const bool ipMsg = p.sex == L"8" || p.sex == L"18";
        if (kind == AddAllKind::KelupOnly && ipMsg) continue;
        if (kind == AddAllKind::IpMsgOnly && p.sex != L"8") continue;
        if (HasAddress(taken, p.ipAddr)) continue;
        taken.push_back(shown[i]);
        r.append.push_back(shown[i]);
    }
    return r;
}

std::wstring MachineKind(std::wstring_view entry) {
    const ListEntryParts p = ListNameExtract(entry);
    if (p.sex == L"8") return L"ポップめっせもしくはIP Messenger";
    if (StartsWith(p.verNo, L"2.001")) return L"ケラップマシン";
    if (StartsWith(p.verNo, L"2.0")) return L"ケラップG3マシン";
    return L"ケラップG2マシン";
}

std::wstring PeerHint(std::wstring_view entry) { return ListNameExtract(entry).ipAddr + L"\r\n" + MachineKind(entry); }

int EntryKind(std::wstring_view entry, bool friendsGroup, bool reachable) {
    const std::wstring sex = ListNameExtract(entry).sex;
    auto n = ParseInt32(sex);
    int k = n && *n >= 0 && *n <= 9 ? *n : 0;
    if (friendsGroup && !reachable) k += 10;
    return k;
}

int KindImage(int kind) {
    if (kind >= 1 && kind <= 7) return kind + 3;
    if (kind == 8) return 19;
    if (kind == 10 || kind == 19) return 11;
    if (kind >= 11 && kind <= 17) return kind + 1;
    if (kind == 18) return 20;
    return 3;
}

int SexImage(std::wstring_view sex) { return KindImage(SexNumber(sex)); }

std::optional<std::size_t> FindByName(const std::vector<std::wstring>& entries, std::size_t start,
                                      std::wstring_view text) {
    if (text.empty()) return std::nullopt;
    for (std::size_t i = start; i < entries.size(); ++i)
        if (ListNameExtract(entries[i]).name.find(text) != std::wstring::npos) return i;
    return std::nullopt;
}

std::wstring RenamedEntry(std::wstring_view entry, std::wstring_view newName) {
    const std::size_t open = entry.find(kOpen);
    return std::wstring(newName) + (open == std::wstring_view::npos ? std::wstring() : std::wstring(entry.substr(open)));
}

std::optional<std::wstring> FindReplyEntry(const std::vector<std::wstring>& all, std::wstring_view addr,
                                           std::wstring_view sex) {
    if (addr.empty()) return std::nullopt;
    for (const auto& e : all) {
        const ListEntryParts p = ListNameExtract(e);
        const std::wstring listed = p.sex == L"8" ? L"0" : p.sex;
        if (SameAddress(p.ipAddr, addr) && listed == sex) return e;
    }
    return std::nullopt;
}

std::optional<std::wstring> TypedAddress(std::wstring_view text) {
    std::wstring out;
    std::size_t from = 0;
    for (int part = 0; part < 4; ++part) {
        std::size_t dot = part < 3 ? text.find(L'.', from) : text.size();
        if (dot == std::wstring_view::npos) return std::nullopt;
        std::wstring_view piece = text.substr(from, dot - from);
        // A fourth part holding another "." is no number either.
        auto n = ParseInt32(piece);
        if (!n || *n < 0 || *n > 254) return std::nullopt;
        if (part) out += L'.';
        out += std::to_wstring(*n);
        from = dot + 1;
    }
    return out;
}

std::wstring FileSendRefusal(int fileSendOpt, const std::vector<std::wstring>& recipients, bool absenteeGroup,
                             std::wstring_view openFName, bool linkedExists) {
    if (fileSendOpt <= 0) return {};
    if (recipients.size() > 1) return L"ファイルは同時に二つ以上の相手に送信できません";
    if (absenteeGroup) return L"不在者にはファイルは送信できません";
    if (!recipients.empty()) {
        const ListEntryParts p = ListNameExtract(recipients.front());
        if (p.sex == L"8") return L"ポップめっせもしくはIP Messengerへはファイルは送信できません";
        if (p.verNo != L"2.001") return L"ケラップG4以前のバージョンへはファイルは送信できません";
    }
    if (fileSendOpt == 3) {
        if (openFName.empty()) return L"関連づけられたファイルがありません";
        if (!linkedExists) return L"関連づけられたファイルが存在しません";
    }
    return {};
}

std::wstring ImageSendRefusal(const std::vector<std::wstring>& recipients, bool absenteeGroup) {
    if (recipients.size() > 1) return L"イメージ付箋紙は同時に二つ以上の相手に送信できません";
    if (absenteeGroup) return L"不在者にはイメージ付箋紙は送信できません";
    if (recipients.empty()) return L"送信先が選択されていません";
    const ListEntryParts p = ListNameExtract(recipients.front());
    if (p.sex == L"8") return L"ポップめっせもしくはIP Messengerへは送信できません";
    if (p.verNo != L"2.001") return L"ケラップG4以前のバージョンへは送信できません";
    return {};
}

std::wstring FileSendQuestion(std::wstring_view fileName, int fileSendOpt, std::wstring_view recipientName) {
    return L"ファイル「" + std::wstring(fileName) + L"」を" + (fileSendOpt == 2 ? L"添付して付箋紙を" : L"") +
           std::wstring(recipientName) + L"さんに送信してもいいですか?";
}

RecentItem RecentItemOf(std::wstring_view entry, std::uint32_t dosDateTime, std::size_t index) {
    const ListEntryParts p = ListNameExtract(entry);
    RecentItem item;
    item.name = L"No" + p.sex + L"Z" + std::to_wstring(dosDateTime) + std::to_wstring(index);
    item.caption = std::wstring(p.sex == L"8" ? kIpMsgMark : kKelupMark) + p.name + kOpen + p.ipAddr + kClose;
    return item;
}

void AddRecent(std::vector<RecentItem>& menu, const std::vector<std::wstring>& entries, std::uint32_t dosDateTime) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        RecentItem item = RecentItemOf(entries[i], dosDateTime, i);
        const MItemParts fresh = MItemExtract(item.caption);
        auto same = std::find_if(menu.begin(), menu.end(), [&](const RecentItem& old) {
            const MItemParts o = MItemExtract(old.caption);
            return o.M_Sex == fresh.M_Sex && SameAddress(o.ML_IP_Addr, fresh.ML_IP_Addr);
        });
        if (same != menu.end()) menu.erase(same);
        menu.insert(menu.begin(), std::move(item));
        if (menu.size() > kMaxRecentItems) menu.resize(kMaxRecentItems);
    }
}

MItemParts MItemExtract(std::wstring_view caption) {
    MItemParts p;
    if (caption.empty()) return p;
    p.M_Sex = std::wstring(caption.substr(0, 1));
    const std::size_t open = caption.find(kOpen, 1);
    p.ML_Name = std::wstring(caption.substr(1, open == std::wstring_view::npos ? std::wstring_view::npos : open - 1));
    if (open != std::wstring_view::npos) {
        const std::size_t close = caption.find(kClose, open + 1);
        p.ML_IP_Addr = std::wstring(
            caption.substr(open + 1, close == std::wstring_view::npos ? std::wstring_view::npos : close - open - 1));
    }
    return p;
}

std::wstring RecentItemSex(std::wstring_view name) {
    if (!StartsWith(name, L"No")) return {};
    const std::size_t z = name.find(L'Z', 2);
    return std::wstring(name.substr(2, z == std::wstring_view::npos ? std::wstring_view::npos : z - 2));
}

std::optional<std::wstring> RecentItemEntry(const RecentItem& item, const std::vector<std::wstring>& all) {
    const std::wstring sex = RecentItemSex(item.name);
    const std::wstring addr = MItemExtract(item.caption).ML_IP_Addr;
    for (const auto& e : all) {
        const ListEntryParts p = ListNameExtract(e);
        if (p.sex == sex && SameAddress(p.ipAddr, addr)) return e;
    }
    return std::nullopt;
}

std::vector<std::wstring> RecentFileLines(const std::vector<RecentItem>& menu) {
    std::vector<std::wstring> lines;
    for (const auto& item : menu) lines.push_back(item.name + L"%%" + item.caption);
    return lines;
}

std::vector<RecentItem> RecentFromLines(const std::vector<std::wstring>& lines) {
    std::vector<RecentItem> menu;
    for (const auto& line : lines) {
        const std::size_t cut = line.find(L"%%");
        if (cut == std::wstring::npos || cut == 0 || cut + 2 >= line.size()) continue;
        menu.push_back({line.substr(0, cut), line.substr(cut + 2)});
        if (menu.size() == kMaxRecentItems) break;
    }
    return menu;
}

}  // namespace kelup
