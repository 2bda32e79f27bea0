#include "net/SendList.h"

#include "base/Cp932.h"
#include "net/Identity.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

const std::wstring kSpaces(12, L'\x3000');

PeerInfo Peer(const std::wstring& name, const std::wstring& pc, const std::wstring& section, const std::wstring& addr,
              const std::wstring& sex = L"1", const std::wstring& ver = L"2.001") {
    return PeerInfo{name + L"（" + pc + L"）", section, addr, sex, ver};
}

TEST(SendList, EntryTextExample) {
    std::wstring e = ListNameEdit(L"A（PC）", L"10.0.0.5", L"2", L"2.001");
    EXPECT_EQ(e, L"A（PC）" + kSpaces + L":::10.0.0.5///2\\\\\\2.001");
    EXPECT_EQ(ListNameExtract(e), (ListEntryParts{L"A", L"PC", L"10.0.0.5", L"2", L"2.001"}));
    EXPECT_EQ(EntryDisplayName(e), L"A（PC）");
    EXPECT_EQ(NameFromList(e), L"A");
    EXPECT_EQ(NameFromList(L"no parenthesis"), L"");
    EXPECT_EQ(ExtractPCName(L"A（PC）（X）"), L"PC");
}

TEST(SendList, EntryPartsSurviveHostileNames) {
    struct Case {
        std::wstring display, addr, sex, ver;
        ListEntryParts want;
    };
    const Case cases[] = {
        {L"a:::b///c\\\\\\d（P）", L"1.2.3.4", L"3", L"2.001", {L"a:::b///c\\\\\\d", L"P", L"1.2.3.4", L"3", L"2.001"}},
        {L"x\r\ny（P）", L"1.2.3.4", L"0", L"1.00", {L"xy", L"P", L"1.2.3.4", L"0", L"1.00"}},
        {L"n（P）", L"1.2.3.4", L"/", L":::\\\\", {L"n", L"P", L"1.2.3.4", L"_", L"_____"}},
        {L"n（P）", L"1.2.3.4", L"77", L"2.0019", {L"n", L"P", L"1.2.3.4", L"7", L"2.001"}},
    };
    for (const auto& c : cases) {
        std::wstring e = ListNameEdit(c.display, c.addr, c.sex, c.ver);
        EXPECT_EQ(e.find_first_of(L"\r\n"), std::wstring::npos);
        EXPECT_EQ(ListNameExtract(e), c.want) << e;
    }
    // Display names are held to a length.
    std::wstring e = ListNameEdit(std::wstring(5000, L'長'), L"1.2.3.4", L"1", L"2.001");
    EXPECT_EQ(EntryDisplayName(e).size(), kMaxEntryNameChars);
    // Lines without the markers give empty parts.
    EXPECT_EQ(ListNameExtract(L"garbage"), (ListEntryParts{}));
}

TEST(SendList, SameAnnouncementTwiceMakesOneEntry) {
    SendLists lists;
    auto first = lists.Add(Peer(L"Taro", L"PC01", L"Sales", L"10.0.0.5"), MatchMode::ByComputerName);
    auto second = lists.Add(Peer(L"Taro", L"PC01", L"Sales", L"10.0.0.5"), MatchMode::ByComputerName);
    EXPECT_TRUE(first.added);
    EXPECT_TRUE(first.sectionCreated);
    EXPECT_FALSE(second.added);
    EXPECT_FALSE(second.sectionCreated);
    ASSERT_EQ(lists.Count(), 4u);
    EXPECT_EQ(lists.All().size(), 1u);
    EXPECT_EQ(lists.SectionName(3), L"Sales");
    EXPECT_EQ(lists.List(3).size(), 1u);
    EXPECT_EQ(second.section, std::optional<std::size_t>(3));
    // A new version text is a second, different entry.
    EXPECT_TRUE(lists.Add(Peer(L"Taro", L"PC01", L"Sales", L"10.0.0.5", L"1", L"2.002"), MatchMode::ByComputerName).added);
    EXPECT_EQ(lists.All().size(), 2u);
    // Case differences alone are duplicates.
    EXPECT_FALSE(lists.Add(Peer(L"TARO", L"pc01", L"Sales", L"10.0.0.5"), MatchMode::ByComputerName).added);
}

TEST(SendList, ArrivingPeersLeaveTheAbsentees) {
    struct Case {
        MatchMode mode;
        PeerInfo arriving;
        bool leaves;
    };
    const Case cases[] = {
        {MatchMode::ByComputerName, Peer(L"Taro", L"PC01", L"", L"10.0.0.9"), true},   // other address
        {MatchMode::ByComputerName, Peer(L"Jiro", L"ｐｃ01", L"", L"10.0.0.5"), false},
        {MatchMode::ByComputerName, Peer(L"Jiro", L"PC02", L"", L"10.0.0.5"), false},
        {MatchMode::ByAddress, Peer(L"Jiro", L"PC02", L"", L"10.0.0.5"), true},
        {MatchMode::ByAddress, Peer(L"Taro", L"PC01", L"", L"10.0.0.9"), false},
        {MatchMode::ByAddress, Peer(L"Taro", L"pc01", L"", L"10.0.0.5", L"8", L"1.00"), false},   // IP Messenger
    };
    for (const auto& c : cases) {
        SendLists lists;
        lists.NewSearch({ListNameEdit(L"Taro（pc01）", L"10.0.0.5", L"1", L"2.001")});
        auto out = lists.Add(c.arriving, c.mode);
        EXPECT_EQ(out.absenteeRemoved.has_value(), c.leaves) << c.arriving.sHostName;
        EXPECT_EQ(lists.Absentees().size(), c.leaves ? 0u : 1u);
        EXPECT_EQ(lists.All().size(), 1u);
    }
    // The example: 'pc01' absent, 'PC01' arrives, by computer name.
    SendLists lists;
    lists.NewSearch({ListNameEdit(L"Taro（pc01）", L"10.0.0.5", L"1", L"2.001")});
    EXPECT_TRUE(lists.Add(Peer(L"Taro", L"PC01", L"", L"10.0.0.7"), MatchMode::ByComputerName).absenteeRemoved);
}

TEST(SendList, LeavingPeersBecomeAbsentees) {
    SendLists lists;
    lists.Add(Peer(L"Taro", L"PC01", L"Sales", L"10.0.0.5"), MatchMode::ByComputerName);
    lists.Add(Peer(L"Hana", L"H1", L"Sales", L"10.0.0.6", L"8", L"1.00"), MatchMode::ByComputerName);
    lists.Add(Peer(L"Ken", L"PC03", L"Dev", L"10.0.0.7"), MatchMode::ByComputerName);

    auto out = lists.Remove(Peer(L"Taro", L"PC01", L"Sales", L"10.0.0.5"), MatchMode::ByComputerName);
    EXPECT_TRUE(out.removedFromAll);
    EXPECT_TRUE(out.becameAbsentee);
    EXPECT_EQ(out.sectionsChanged, std::vector<std::size_t>{3});
    EXPECT_EQ(lists.Absentees().size(), 1u);
    // Leaving again changes nothing more.
    auto again = lists.Remove(Peer(L"Taro", L"PC01", L"Sales", L"10.0.0.5"), MatchMode::ByComputerName);
    EXPECT_FALSE(again.removedFromAll);
    EXPECT_FALSE(again.becameAbsentee);
    // IP Messenger peers never become absentees, nor go to ".lis".
    auto ipm = lists.Remove(Peer(L"Hana", L"H1", L"Sales", L"10.0.0.6", L"8", L"1.00"), MatchMode::ByComputerName);
    EXPECT_TRUE(ipm.removedFromAll);
    EXPECT_FALSE(ipm.becameAbsentee);
    lists.Add(Peer(L"Hana", L"H1", L"", L"10.0.0.6", L"8", L"1.00"), MatchMode::ByComputerName);
    for (const auto& line : lists.LisLines()) EXPECT_NE(ListNameExtract(line).sex, L"8") << line;
    EXPECT_EQ(lists.LisLines().size(), 2u);   // Ken in list 0, Taro absent
    EXPECT_EQ(lists.All().size(), 2u);
    EXPECT_EQ(lists.List(3).size(), 0u);
    EXPECT_EQ(lists.List(4).size(), 1u);

    // A new search empties everything but the friends and starts from ".lis".
    lists.AddFriend(ListNameEdit(L"Ken（PC03）", L"10.0.0.7", L"1", L"2.001"));
    lists.NewSearch({L"a（b）" + kSpaces + L":::1.1.1.1///1\\\\\\2.001"});
    EXPECT_EQ(lists.Count(), 3u);
    EXPECT_TRUE(lists.All().empty());
    EXPECT_EQ(lists.Absentees().size(), 1u);
    EXPECT_EQ(lists.Friends().size(), 1u);
}

TEST(SendList, SectionsAndFriendsStayApart) {
    SendLists lists;
    // A section named like a fixed group is an ordinary section.
    for (std::wstring_view s : {kFriendsGroupName, kAbsentGroupName, kAllGroupName})
        lists.Add(Peer(L"Evil", L"E" + std::wstring(s), std::wstring(s), L"10.0.0.66"), MatchMode::ByComputerName);
    EXPECT_TRUE(lists.Friends().empty());
    EXPECT_TRUE(lists.Absentees().empty());
    EXPECT_EQ(lists.Count(), 6u);
}

TEST(SendList, CapsOnSectionsAndEntries) {
    SendLists lists;
    for (int i = 0; i < 300; ++i) {
        auto out = lists.Add(Peer(L"P", L"PC" + std::to_wstring(i), L"S" + std::to_wstring(i), L"10.0.1." + std::to_wstring(i % 250)),
                             MatchMode::ByComputerName);
        EXPECT_TRUE(out.added);
        EXPECT_EQ(out.section.has_value(), i < 253) << i;
    }
    EXPECT_EQ(lists.Count(), kMaxSendLists);
    EXPECT_EQ(lists.All().size(), 300u);

    SendLists flood;
    std::size_t added = 0;
    for (std::size_t i = 0; i < kMaxListEntries + 100; ++i)
        added += flood.Add(Peer(L"F", L"F" + std::to_wstring(i), L"", L"10.0.0.1"), MatchMode::ByAddress).added;
    EXPECT_EQ(added, kMaxListEntries);
    EXPECT_EQ(flood.All().size(), kMaxListEntries);

    // Entries whose address is not an address are refused.
    for (const wchar_t* bad : {L"", L"x", L"1.2.3", L"1.2.3.256", L"1.2.3.4 ", L"１.2.3.4", L"1.2.3.4///9"}) {
        auto out = lists.Add(Peer(L"B", L"B", L"", bad), MatchMode::ByAddress);
        EXPECT_FALSE(out.added) << bad;
        EXPECT_TRUE(out.entry.empty()) << bad;
    }
}

TEST(SendList, Friends) {
    SendLists lists;
    std::wstring ken = ListNameEdit(L"Ken（PC03）", L"10.0.0.7", L"1", L"2.001");
    EXPECT_EQ(lists.AddFriend(ken), SendLists::FriendAdd::Added);
    // Same address, other name: already there.
    EXPECT_EQ(lists.AddFriend(ListNameEdit(L"K（X）", L"10.0.0.7", L"2", L"2.001")), SendLists::FriendAdd::AlreadyThere);
    EXPECT_EQ(lists.AddFriend(L"no address"), SendLists::FriendAdd::Refused);
    EXPECT_EQ(lists.FriendByAddress(L"10.0.0.7"), ken);
    EXPECT_FALSE(lists.FriendByAddress(L"10.0.0.8"));
    EXPECT_TRUE(lists.DelFriend(ListNameEdit(L"other（O）", L"10.0.0.7", L"1", L"2.001")));
    EXPECT_FALSE(lists.DelFriend(ken));
    EXPECT_TRUE(lists.Friends().empty());
}

TEST(SendList, FindInAllPrefersTheGivenSex) {
    SendLists lists;
    lists.Add(Peer(L"A", L"H", L"", L"10.0.0.5", L"1"), MatchMode::ByAddress);
    lists.Add(Peer(L"B", L"H", L"", L"10.0.0.5", L"2"), MatchMode::ByAddress);
    EXPECT_EQ(ListNameExtract(*lists.FindInAll(L"10.0.0.5", L"8")).name, L"B");   // the last of the others
    lists.Add(Peer(L"C", L"H", L"", L"10.0.0.5", L"8", L"1.00"), MatchMode::ByAddress);
    EXPECT_EQ(ListNameExtract(*lists.FindInAll(L"10.0.0.5", L"8")).name, L"C");
    EXPECT_FALSE(lists.FindInAll(L"10.0.0.6", L"8"));
}

TEST(SendList, ListFilesRoundTrip) {
    SendLists lists;
    lists.Add(Peer(L"山田", L"PC01", L"営業", L"10.0.0.5"), MatchMode::ByComputerName);
    lists.Add(Peer(L"Ken", L"PC03", L"", L"10.0.0.7", L"0", L"1.00"), MatchMode::ByComputerName);
    lists.AddFriend(ListNameEdit(L"鈴木（PC09）", L"10.0.0.9", L"3", L"2.001"));
    std::string lis = WriteListFile(lists.LisLines());
    std::string frd = WriteListFile(lists.FrdLines());
    EXPECT_EQ(lis.substr(lis.size() - 2), "\r\n");
    EXPECT_NE(lis.find(ToCp932(L"山田（PC01）" + kSpaces + L":::10.0.0.5///1\\\\\\2.001\r\n")), std::string::npos);

    SendLists next;
    next.NewSearch(ReadListFile(lis));
    next.LoadFriends(ReadListFile(frd));
    EXPECT_EQ(next.LisLines(), lists.LisLines());
    EXPECT_EQ(next.FrdLines(), lists.FrdLines());
}

TEST(SendList, ReadingListFiles) {
    using namespace std::string_literals;
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::wstring> want;
    };
    const Case cases[] = {
        {"CR LF", "a\r\nb\r\n", {L"a", L"b"}},
        {"LF and CR alone, no final break", "a\nb\rc", {L"a", L"b", L"c"}},
        {"empty lines", "\r\n\r\na\r\n\n", {L"a"}},
        {"NULs", "a\0b\r\n\0\r\n"s, {L"ab"}},
        {"invalid code page 932", "\x81\r\n\xFF", {L"\x30FB", L"\x30FB"}},
        {"over-long line", std::string(kMaxListLineChars * 2 + 1, 'x') + "\r\nok", {L"ok"}},
        {"empty file", "", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadListFile(c.bytes), c.want) << c.what;
    std::string many;
    for (int i = 0; i < 5000; ++i) many += "line" + std::to_string(i) + "\n";
    EXPECT_EQ(ReadListFile(many).size(), kMaxListFileLines);
    // Line breaks inside an entry cannot split it into two lines.
    EXPECT_EQ(WriteListFile({L"a\r\nb", L"c"}), "ab\r\nc\r\n");
}

TEST(SendList, Icons) {
    struct Case {
        const wchar_t* sex;
        int added, friendOnline;
    };
    const Case cases[] = {{L"0", 3, 3}, {L"1", 4, 4}, {L"7", 10, 10}, {L"8", 19, 19}, {L"9", 3, 42}, {L"", 3, 42}, {L"11", 3, 42}};
    for (const auto& c : cases) {
        EXPECT_EQ(SendListIcon(c.sex, false), c.added) << c.sex;
        EXPECT_EQ(SendListIcon(c.sex, true, 42), c.friendOnline) << c.sex;
    }
}

}  // namespace
}  // namespace kelup
