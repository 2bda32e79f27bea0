#pragma once
// The send lists: every peer reachable now, the absentees known from earlier
// runs, the user's friends and one group per section, with the list files
// "kelup.lis" and "kelup.frd". Pure bookkeeping: the compose window shows
// these lists and the socket handlers feed them (see Discovery.h).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelup {

// Caps. The table holds the three fixed lists and up to 253 sections; a peer
// of a further section is listed in "all" only. A list takes at most
// kMaxListEntries entries and all lists together kMaxTotalEntries, so a flood
// of made-up announcements cannot grow them without bound. A display name is
// cut to kMaxEntryNameChars characters. List files are read up to
// kMaxListFileLines lines; longer lines than kMaxListLineChars are skipped.
inline constexpr std::size_t kMaxSendLists = 256;
inline constexpr std::size_t kMaxListEntries = 2048;
inline constexpr std::size_t kMaxTotalEntries = 16384;
inline constexpr std::size_t kMaxEntryNameChars = 128;
inline constexpr std::size_t kMaxListFileLines = 2048;
inline constexpr std::size_t kMaxListLineChars = 1024;

// Group captions of the fixed lists.
inline constexpr std::wstring_view kAllGroupName = L"全ての送信可能者";
inline constexpr std::wstring_view kAbsentGroupName = L"!!不在者";
inline constexpr std::wstring_view kFriendsGroupName = L"!!おともだち";

// One entry: display name, twelve U+3000, ":::", address, "///", sex, three
// backslashes, version. Control characters are dropped from the display name
// and ":", "/", "\" and controls in address, sex and version become "_", so
// the parts always read back as they went in.
std::wstring ListNameEdit(std::wstring_view sHostName, std::wstring_view ipAddr, std::wstring_view sex,
                          std::wstring_view verNo);

struct ListEntryParts {
    std::wstring name;     // before the first "（"
    std::wstring pcName;   // between that "（" and the next "）"
    std::wstring ipAddr;   // between ":::" and "///"
    std::wstring sex;      // between "///" and the backslashes
    std::wstring verNo;    // up to 5 characters after the backslashes
    friend bool operator==(const ListEntryParts&, const ListEntryParts&) = default;
};
// The markers are looked for from the end, so a name holding one of them
// does not move the other parts. Missing markers give empty parts.
ListEntryParts ListNameExtract(std::wstring_view entry);
// An entry as the program makes it from a well-formed announcement: a
// display name "name（computer）" (see IsWellFormedDisplayName), the spacing,
// a dotted IPv4 address, one digit of sex and a version of digits and dots;
// nothing else. Only such entries go into the lists and the list files.
bool IsWellFormedEntry(std::wstring_view entry);
// The display name of an entry: the text before its spacing and ":::".
std::wstring EntryDisplayName(std::wstring_view entry);
// The text before the first "（" (empty when there is none).
std::wstring NameFromList(std::wstring_view text);
// The text between "（" and the first "）" after it.
std::wstring ExtractPCName(std::wstring_view displayName);

// A sorted list that ignores duplicates, comparing without regard to the
// case of ASCII and full-width Latin letters.
class SortedList {
public:
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const std::wstring& operator[](std::size_t i) const { return items_[i]; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    bool Contains(std::wstring_view s) const;
    // False when already there (nothing changes).
    bool Add(std::wstring_view s);
    void RemoveAt(std::size_t i) { items_.erase(items_.begin() + std::ptrdiff_t(i)); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::wstring> items_;
};

// How two entries are found to denote the same peer (ListCheckMode).
enum class MatchMode { ByAddress = 0, ByComputerName = 1 };

// A peer as the handlers know it: the parts of its identity and its address.
struct PeerInfo {
    std::wstring sHostName;   // name（computer）
    std::wstring shozk;       // section, may be empty
    std::wstring ipAddr;
    std::wstring sex;         // "0".."7", "8" for IP Messenger peers
    std::wstring verNo;
};

class SendLists {
public:
    static constexpr std::size_t kAll = 0, kAbsent = 1, kFriends = 2, kFirstSection = 3;

    SendLists();

    // SendListCount: the lists in use (3 + sections).
    std::size_t Count() const { return lists_.size(); }
    const SortedList& List(std::size_t index) const { return lists_[index]; }
    const SortedList& All() const { return lists_[kAll]; }
    const SortedList& Absentees() const { return lists_[kAbsent]; }
    const SortedList& Friends() const { return lists_[kFriends]; }
    // The section of list `index` (3 and up), and the list of a section.
    const std::wstring& SectionName(std::size_t index) const { return sectionNames_[index - kFirstSection]; }
    std::optional<std::size_t> SectionIndex(std::wstring_view section) const;

    // A search starts: lists 0, 1 and the sections are emptied, the sections
    // dropped, and list 1 filled with the lines of ".lis" read at start.
    // Lines that are no well-formed entries are left out, here and below.
    void NewSearch(const std::vector<std::wstring>& absenteeLines);
    // List 2 := the lines of ".frd" (at start).
    void LoadFriends(const std::vector<std::wstring>& friendLines);

    struct AddOutcome {
        std::wstring entry;                          // the entry text
        bool added = false;                          // new in list 0
        std::optional<std::wstring> absenteeRemoved; // the absentee that left list 1
        std::optional<std::size_t> section;          // the section list it is in
        bool sectionCreated = false;
    };
    // AddSendList. An entry that would not be well-formed (an address that
    // is not a dotted IPv4 address, a display name, sex or version out of
    // form) is refused (nothing changes, `entry` is empty).
    AddOutcome Add(const PeerInfo& peer, MatchMode mode);

    struct RemoveOutcome {
        std::wstring entry;                          // the entry text of the arguments
        std::optional<std::wstring> removedFromAll;  // the entry that left list 0
        bool becameAbsentee = false;                 // added to list 1
        std::vector<std::size_t> sectionsChanged;
    };
    // DelSendList.
    RemoveOutcome Remove(const PeerInfo& peer, MatchMode mode);

    // True when an entry of list 0 has exactly this display name.
    bool AllHasDisplayName(std::wstring_view displayName) const;
    // The first entry of list 0 with this address, preferring `preferredSex`.
    std::optional<std::wstring> FindInAll(std::wstring_view ipAddr, std::wstring_view preferredSex) const;
    // The friend entry with this address.
    std::optional<std::wstring> FriendByAddress(std::wstring_view ipAddr) const;

    enum class FriendAdd { Added, AlreadyThere, Refused };
    // AddMyFriend: refused when the entry is not well-formed or the list is full.
    FriendAdd AddFriend(std::wstring_view entry);
    // DelMyFriend: removes the first friend with the entry's address.
    bool DelFriend(std::wstring_view entry);
    // The compose window's commands on the lists: the first absentee with
    // this address goes (false when none); every absentee goes; the friend
    // `oldEntry` becomes `newEntry` (false when there is no such friend).
    bool RemoveAbsentee(std::wstring_view ipAddr);
    void ClearAbsentees() { lists_[kAbsent].Clear(); }
    bool ReplaceFriend(std::wstring_view oldEntry, std::wstring_view newEntry);

    // The lines of ".lis": list 0 then list 1, without IP Messenger peers;
    // and of ".frd": list 2. Only well-formed entries, whoever put them there.
    std::vector<std::wstring> LisLines() const;
    std::vector<std::wstring> FrdLines() const;

private:
    bool Room(const SortedList& list) const;
    bool AddTo(std::size_t index, std::wstring_view entry);
    std::vector<SortedList> lists_;
    std::vector<std::wstring> sectionNames_;
};

// Same peer (Matching a peer): by upper-cased computer name or by address.
// Empty computer names and invalid addresses never match.
bool SamePeer(std::wstring_view entry, std::wstring_view displayName, std::wstring_view ipAddr, MatchMode mode);

// List files: code page 932, one entry per line, CR LF after each.
std::string WriteListFile(const std::vector<std::wstring>& lines);
// Lines ended by CR LF, LF or CR; empty lines skipped; caps above.
std::vector<std::wstring> ReadListFile(std::string_view bytes);

// ".lis" and ".frd" as the lists keep them: only well-formed entries are
// written, and read back only from lines that are valid code page 932 (read
// strictly) and well-formed entries; whatever else a file holds is dropped.
std::string WriteSendListFile(const std::vector<std::wstring>& entries);
std::vector<std::wstring> ReadSendListFile(std::string_view bytes);

inline bool SendLists::RemoveAbsentee(std::wstring_view ipAddr) {
    SortedList& absent = lists_[kAbsent];
    for (std::size_t i = 0; i < absent.size(); ++i) {
        if (SamePeer(absent[i], L"", ipAddr, MatchMode::ByAddress)) {
            absent.RemoveAt(i);
            return true;
        }
    }
    return false;
}

inline bool SendLists::ReplaceFriend(std::wstring_view oldEntry, std::wstring_view newEntry) {
    SortedList& friends = lists_[kFriends];
    for (std::size_t i = 0; i < friends.size(); ++i) {
        if (friends[i] == oldEntry) {
            friends.RemoveAt(i);
            friends.Add(newEntry);
            return true;
        }
    }
    return false;
}

// Icon of an entry in the compose window's list: "added" column, or the
// "friend online" column, where an unknown sex keeps `current`.
int SendListIcon(std::wstring_view sex, bool friendOnline, int current = 3);

}  // namespace kelup
