#pragma once
// The rules of the compose window's lower area, apart from its controls:
// what a click on a peer does to the recipients, which peers the add-all
// commands take, the typed address, the refusals of the file option, the
// hint and the picture of a list line, and the menu of recent recipients.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelup {

// RecipientMode: nobody yet, reachable peers, one absentee.
enum class RecipientKind { None = 0, Normal = 1, Absentee = 2 };

// --- Adding a peer to the recipients (a click in the peer list) ---------------

struct AddDecision {
    bool append = false;        // the entry goes to the end of the recipients
    int recipientMode = 0;      // RecipientMode afterwards
    std::wstring refusal;       // the message to show, or empty
};
// `recipients`: ListBox2 as it is; `absenteeGroup`: "!!不在者" is shown.
AddDecision DecideAdd(const std::vector<std::wstring>& recipients, std::wstring_view entry, bool absenteeGroup,
                      int recipientMode);

// The three add-all commands of the peer list's menu.
enum class AddAllKind { All, KelupOnly, IpMsgOnly };
inline constexpr std::size_t kAddAllLimit = 20;
struct AddAllResult {
    std::vector<std::wstring> append;   // in list order
    bool overLimit = false;             // "一度に追加できるのは20人までです"
};
// A peer whose address is already among the recipients (or taken earlier in
// the same command) is never taken twice: it would get the note twice.
AddAllResult AddAll(const std::vector<std::wstring>& shown, const std::vector<std::wstring>& recipients,
                    AddAllKind kind);

// --- The peer list's lines ------------------------------------------------------

// The hint of a selected peer: its address, a line break and its kind of
// machine.
std::wstring MachineKind(std::wstring_view entry);
std::wstring PeerHint(std::wstring_view entry);

// The kind number of a line: the entry's sex; in the friends group a friend
// whose address is not in list 0 gets 10 + its sex.
int EntryKind(std::wstring_view entry, bool friendsGroup, bool reachable);
// The picture (index into the send-list images 0..20) of a kind number.
int KindImage(int kind);
// The picture of an entry's sex alone (the recipients, the reply address).
int SexImage(std::wstring_view sex);

// "名前で検索": the first entry from `start` on whose name (the text before
// "（") holds `text`, case-sensitive.
std::optional<std::size_t> FindByName(const std::vector<std::wstring>& entries, std::size_t start,
                                      std::wstring_view text);

// "おともだちを編集": the line with its name (the text before the first "（")
// replaced; a line without "（" is the name alone.
std::wstring RenamedEntry(std::wstring_view entry, std::wstring_view newName);

// The reply address: the first entry of `all` with the sender's address and
// sex digit, a listed sex "8" counting as "0".
std::optional<std::wstring> FindReplyEntry(const std::vector<std::wstring>& all, std::wstring_view addr,
                                           std::wstring_view sex);
// Label9: "name(address)" or the address alone, as the opener gives it.

// --- Sending ---------------------------------------------------------------------

// "IPアドレスを指定して送信": four decimal parts separated by ".", blanks
// around each allowed, each 0..254. The address in its plain dotted form, or
// nothing when it is not one (a part that is no number, empty, negative or
// above 254; a fifth part).
std::optional<std::wstring> TypedAddress(std::wstring_view text);

// The refusals of the file option, in their order; empty when the option
// passes them. `recipients`: ListBox2; `openFName`: the note's associated
// file; `linkedExists`: whether that file is on disk.
std::wstring FileSendRefusal(int fileSendOpt, const std::vector<std::wstring>& recipients, bool absenteeGroup,
                             std::wstring_view openFName, bool linkedExists);
// The check before an image note's picture goes to the recipients; empty
// when it may go (to exactly one recipient, a copy of this program that
// takes pictures).
std::wstring ImageSendRefusal(const std::vector<std::wstring>& recipients, bool absenteeGroup);
// The question before a file goes: file name, option, recipient's name.
std::wstring FileSendQuestion(std::wstring_view fileName, int fileSendOpt, std::wstring_view recipientName);

// --- The menu of recent recipients -----------------------------------------------

struct RecentItem {
    std::wstring name;      // "No" + sex + "Z" + DOS date-time + index
    std::wstring caption;   // "☆" or "★", name, "（", address, "）"
    friend bool operator==(const RecentItem&, const RecentItem&) = default;
};
inline constexpr std::size_t kMaxRecentItems = 16;

// The item of recipient `index` of a send made at `dosDateTime`.
RecentItem RecentItemOf(std::wstring_view entry, std::uint32_t dosDateTime, std::size_t index);
// Each recipient in list order: the item of the same address and kind goes,
// the new one goes on top, and the menu keeps at most 16 items.
void AddRecent(std::vector<RecentItem>& menu, const std::vector<std::wstring>& entries, std::uint32_t dosDateTime);

// MItemExtract: the mark, the name and the address of a caption.
struct MItemParts {
    std::wstring M_Sex;        // "☆" or "★"
    std::wstring ML_Name;
    std::wstring ML_IP_Addr;
};
MItemParts MItemExtract(std::wstring_view caption);
// The sex kept in an item's name: the text between "No" and "Z".
std::wstring RecentItemSex(std::wstring_view name);
// MItemClick: the entry of `all` with the item's address and sex.
std::optional<std::wstring> RecentItemEntry(const RecentItem& item, const std::vector<std::wstring>& all);

// ".frh": one item a line, name + "%%" + caption. Reading skips lines that
// are not items and keeps at most 16.
std::vector<std::wstring> RecentFileLines(const std::vector<RecentItem>& menu);
std::vector<RecentItem> RecentFromLines(const std::vector<std::wstring>& lines);

}  // namespace kelup
