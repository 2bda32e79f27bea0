// Announcements come from anyone: only well-formed identities reach the send
// lists, and only well-formed entries in valid code page 932 reach the list
// files or come back from them.

#include "net/Discovery.h"
#include "net/Identity.h"
#include "net/SendList.h"

#include "base/Cp932.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

using namespace std::string_literals;

const std::wstring kSpaces(12, L'\x3000');
const std::wstring kMe = L"Me（MYPC）##0#@#@#2.001";

DiscoverySelf Self() { return DiscoverySelf{L"10.0.0.1", kMe, L"MYPC", false, MatchMode::ByComputerName, false}; }

TEST(Announcement, IdentitiesAcceptedAndDropped) {
    struct Case {
        std::wstring identity;
        std::optional<ExtractedHost> want;
    };
    const Case cases[] = {
        // Accepted: the parts as ExtractSHostName reads them.
        {L"Taro（PC01）/Sales##1#@#@#2.001", ExtractedHost{L"Taro（PC01）", L"Sales", L"1", L"2.001", L""}},
        {L"山田　太郎（KL-PC）##0#@#@#2.001", ExtractedHost{L"山田　太郎（KL-PC）", L"", L"0", L"2.001", L""}},
        {L"鈴木（QPC）/##8#@#@#1.00", ExtractedHost{L"鈴木（QPC）", L"", L"8", L"1.00", L""}},   // empty group
        {L"a（b）/営業/第二##7#@#@#2", ExtractedHost{L"a（b）", L"営業/第二", L"7", L"2", L""}},
        {L"Old（PC02）", ExtractedHost{L"Old（PC02）", L"", L"0", L"1.00", L""}},               // older copies
        {L"Old（PC02）/S##3", ExtractedHost{L"Old（PC02）", L"S", L"3", L"1.00", L""}},
        {L"Old（PC02）##3###x", ExtractedHost{L"Old（PC02）", L"", L"3", L"1.00", L""}},
        // Dropped.
        {L"", std::nullopt},
        {L"（PC）##0#@#@#2.001", std::nullopt},                  // no name
        {L"　 （PC）##0#@#@#2.001", std::nullopt},               // a blank name
        {L"Taro（）##0#@#@#2.001", std::nullopt},                // no computer name
        {L"Taro##0#@#@#2.001", std::nullopt},                    // no parentheses
        {L"Taro(PC)##0#@#@#2.001", std::nullopt},                // half-width ones
        {L"Taro（PC）x##0#@#@#2.001", std::nullopt},             // text after the computer name
        {L"Ta（ro（PC）##0#@#@#2.001", std::nullopt},
        {L"Taro（P（C）##0#@#@#2.001", std::nullopt},
        {L"Taro（PC）##0#@#@#_____", std::nullopt},              // version out of form
        {L"Taro（PC）##0#@#@#", std::nullopt},
        {L"Taro（PC）##0#@#@#2.0019", std::nullopt},             // longer than 5
        {L"Taro（PC）##0#@#@#.001", std::nullopt},
        {L"Taro（PC）##0#@#@#2.001 ", std::nullopt},
        {L"Taro（PC）###@#@#2.001", std::nullopt},               // sex missing
        {L"Taro（PC）#@#@#2.001", std::nullopt},
        {L"Taro（PC）##x#@#@#2.001", std::nullopt},              // sex not a digit
        {L"Taro（PC）##12#@#@#2.001", std::nullopt},
        {L"Taro（PC）##1##2#@#@#2.001", std::nullopt},
        {L"Ta\x01ro（PC）##0#@#@#2.001", std::nullopt},          // control characters
        {L"Taro（P\x7F）##0#@#@#2.001", std::nullopt},
        {L"Taro（PC）/S\x85##0#@#@#2.001", std::nullopt},
        {L"Taro（PC）/S\t##0#@#@#2.001", std::nullopt},
        {L"Taro（PC）##0#@#@#2.001|@|@|memo.txt", std::nullopt}, // an associated file
        {L"\x30FB\x30FB（PC）##0", ExtractedHost{L"・・（PC）", L"", L"0", L"1.00", L""}},   // a name, whatever it says
        {std::wstring(130, L'長') + L"（PC）##0#@#@#2.001", std::nullopt},   // display name too long
    };
    for (const auto& c : cases) EXPECT_EQ(ParseAnnouncedIdentity(c.identity), c.want) << c.identity;
}

TEST(Announcement, EntriesWellFormedOrNot) {
    const std::wstring good = L"A（PC）" + kSpaces + L":::10.0.0.5///2\\\\\\2.001";
    EXPECT_TRUE(IsWellFormedEntry(good));
    EXPECT_TRUE(IsWellFormedEntry(ListNameEdit(L"鈴木（QPC）", L"10.0.0.9", L"8", L"1.00")));
    const std::wstring bad[] = {
        L"A（PC）" + kSpaces + L":::10.0.0.5///\\\\\\2.001",          // empty sex
        L"A（PC）" + kSpaces + L":::10.0.0.5///2\\\\\\_____",         // version "_____"
        L"A（PC）" + kSpaces + L":::10.0.0.5///_\\\\\\2.001",
        L"A（PC）" + kSpaces + L":::10.0.0.5///2\\\\\\2.001x",        // something after the version
        L"A（PC）" + kSpaces + L":::10.0.0///2\\\\\\2.001",           // no address
        L"A（PC）" + std::wstring(11, L'\x3000') + L":::10.0.0.5///2\\\\\\2.001",
        L"（PC）" + kSpaces + L":::10.0.0.5///2\\\\\\2.001",
        L"A（）" + kSpaces + L":::10.0.0.5///2\\\\\\2.001",
        L"A\x30FB\x01（PC）" + kSpaces + L":::10.0.0.5///2\\\\\\2.001",
        L"garbage",
        L"",
    };
    for (const auto& e : bad) EXPECT_FALSE(IsWellFormedEntry(e)) << e;
}

TEST(Announcement, ListsTakeOnlyWellFormedEntries) {
    SendLists lists;
    EXPECT_TRUE(lists.Add({L"A（PC）", L"S", L"10.0.0.5", L"2", L"2.001"}, MatchMode::ByAddress).added);
    for (const PeerInfo& p : {PeerInfo{L"A（PC）", L"", L"10.0.0.6", L"", L"2.001"},
                              PeerInfo{L"A（PC）", L"", L"10.0.0.6", L"2", L"_____"},
                              PeerInfo{L"A（PC）", L"", L"10.0.0.6", L"2", L""},
                              PeerInfo{L"（PC）", L"", L"10.0.0.6", L"2", L"2.001"},
                              PeerInfo{std::wstring(200, L'x') + L"（PC）", L"", L"10.0.0.6", L"2", L"2.001"}}) {
        auto out = lists.Add(p, MatchMode::ByAddress);
        EXPECT_FALSE(out.added) << p.sHostName << " " << p.sex << " " << p.verNo;
        EXPECT_TRUE(out.entry.empty());
    }
    EXPECT_EQ(lists.All().size(), 1u);
    // Absentees and friends from the files likewise.
    const std::wstring good = ListNameEdit(L"B（PB）", L"10.0.0.7", L"1", L"2.001");
    const std::wstring emptySex = L"C（PC）" + kSpaces + L":::10.0.0.8///\\\\\\2.001";
    lists.NewSearch({good, emptySex, L"junk"});
    lists.LoadFriends({emptySex, good});
    EXPECT_EQ(std::vector<std::wstring>(lists.Absentees().begin(), lists.Absentees().end()), std::vector{good});
    EXPECT_EQ(lists.FrdLines(), std::vector{good});
    EXPECT_EQ(lists.AddFriend(emptySex), SendLists::FriendAdd::Refused);
}

TEST(Announcement, ListFilesHoldOnlyWellFormedEntriesInCodePage932) {
    const std::wstring yamada = ListNameEdit(L"山田（PC01）", L"10.0.0.5", L"1", L"2.001");
    const std::wstring ken = ListNameEdit(L"Ken（PC03）", L"10.0.0.7", L"0", L"1.00");
    const std::string yamadaBytes = ToCp932(yamada);
    // Reading: a line is taken only when it is valid code page 932 and a
    // well-formed entry.
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::wstring> want;
    };
    const Case cases[] = {
        {"two good lines", yamadaBytes + "\r\n" + ToCp932(ken) + "\r\n", {yamada, ken}},
        {"a lead byte before the line break", yamadaBytes + "\x82\r\n" + ToCp932(ken), {ken}},
        {"an unassigned pair", "\x85\x40" + yamadaBytes + "\r\n" + ToCp932(ken), {ken}},
        {"bytes no character has", "\xFF\xFE" + yamadaBytes + "\n" + ToCp932(ken), {ken}},
        {"a NUL inside", yamadaBytes.substr(0, 3) + "\0"s + yamadaBytes.substr(3) + "\r\n" + ToCp932(ken), {ken}},
        {"empty sex", ToCp932(L"A（PC）" + kSpaces + L":::10.0.0.5///\\\\\\2.001") + "\r\n" + ToCp932(ken), {ken}},
        {"version _____", ToCp932(L"A（PC）" + kSpaces + L":::10.0.0.5///1\\\\\\_____") + "\r\n" + ToCp932(ken),
         {ken}},
        {"a stand-in name", ToCp932(L"\x30FB（PC）" + kSpaces + L":::10.0.0.5///1\\\\\\2.001"),
         {L"\x30FB（PC）" + kSpaces + L":::10.0.0.5///1\\\\\\2.001"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadSendListFile(c.bytes), c.want) << c.what;

    // Writing: what is not a well-formed entry is left out, and what is
    // written reads back whole.
    std::string written = WriteSendListFile({yamada, L"junk", L"A（PC）" + kSpaces + L":::10.0.0.5///\\\\\\2.001", ken,
                                             ListNameEdit(L"絵文字\xD83D\xDE00（PC）", L"10.0.0.9", L"1", L"2.001")});
    EXPECT_TRUE(IsCp932Text(written));
    std::vector<std::wstring> back = ReadSendListFile(written);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0], yamada);
    EXPECT_EQ(back[1], ken);
    // Characters code page 932 has not are written as "?", so the entry stays.
    EXPECT_TRUE(IsWellFormedEntry(back[2])) << back[2];
    EXPECT_EQ(ListNameExtract(back[2]).ipAddr, L"10.0.0.9");
}

TEST(Announcement, MalformedAnnouncementsChangeNothingAndAreNotAnswered) {
    const std::wstring bad[] = {L"", L"junk", L"Taro（PC）##0#@#@#_____", L"Taro（PC）###@#@#2.001",
                                L"\x01（PC）##0#@#@#2.001", L"Taro（PC）##0#@#@#2.001|@|@|x"};
    for (const auto& id : bad) {
        SendLists lists;
        lists.Add({L"Taro（PC）", L"", L"10.0.0.5", L"1", L"2.001"}, MatchMode::ByComputerName);
        for (NativeCommand c : {NativeCommand::NetEntry, NativeCommand::NetEntrySub, NativeCommand::Exit,
                                NativeCommand::ExitSub}) {
            auto out = OnNativeBroadcast(lists, Self(), BroadcastPacket{c, L"10.0.0.5", id, L"1", L"0"}, L"10.0.0.5");
            EXPECT_FALSE(out.added || out.removed || out.nativeAnswer || out.relay) << id;
        }
        ResultPacket ans;
        ans.command = NativeCommand::BcAns;
        ans.sender = {L"10.0.0.5", id};
        EXPECT_FALSE(OnBcAns(lists, Self(), ans, L"10.0.0.5").added) << id;
        EXPECT_EQ(lists.All().size(), 1u) << id;
        EXPECT_TRUE(lists.Absentees().empty()) << id;
    }
    // The same peer well-formed is taken, answered and relayed.
    SendLists lists;
    auto out = OnNativeBroadcast(lists, Self(),
                                 BroadcastPacket{NativeCommand::NetEntry, L"10.0.0.5", L"Taro（PC）##0#@#@#2.001", L"1", L"0"},
                                 L"10.0.0.5");
    EXPECT_TRUE(out.added && out.added->added);
    EXPECT_EQ(out.nativeAnswer, 3);
    EXPECT_TRUE(out.relay);
}

TEST(Announcement, OnlyValidCodePage932IsRead) {
    EXPECT_TRUE(AnnouncementTextValid(ToCp932(L"KL_NETENTRY;10.0.0.5;山田（PC）##0#@#@#2.001;0;0;0")));
    // What follows a NUL is not read.
    EXPECT_TRUE(AnnouncementTextValid(ToCp932(L"KL_BCANS;;A（PC）##0#@#@#2.001;0;2024/01/01;12:00:00") + "\0\xFF\xFF"s));
    for (const std::string& bad : {"KL_NETENTRY;10.0.0.5;\x82;0;0;0"s, "KL_NETENTRY;;A\x85\x40;0;0;0"s,
                                   "KL_EXIT;;\xA0;1;0;0"s, "KL_BCANS;;x\x80;0;;"s, "KL_NETENTRY;;\x81\x3B;0;0;0"s})
        EXPECT_FALSE(AnnouncementTextValid(bad)) << bad;
}

TEST(Announcement, IpMessengerAnnouncementsOutOfFormAreDropped) {
    struct Case {
        const char* what;
        std::string datagram;
        bool listed;
    };
    const Case cases[] = {
        {"well-formed", ToCp932(L"1:5:suzuki:QPC:1:鈴木") + "\0"s + ToCp932(L"開発"), true},
        {"no nickname: the user", "1:5:suzuki:QPC:1:\0g"s, true},
        {"no host", "1:5:suzuki::1:nick\0g"s, false},
        {"no user nor nickname", "1:5::QPC:1:\0g"s, false},
        {"invalid code page 932 in the nickname", "1:5:suzuki:QPC:1:\x82\0g"s, false},
        {"invalid code page 932 in the group", "1:5:suzuki:QPC:1:n\0\xFF"s, false},
        {"a control character", "1:5:su\x07zuki:QPC:1:\0g"s, false},
        {"invalid UTF-8 with the UTF-8 option", "1:5:suzuki:QPC:8388609:\xE3\x81\0g"s, false},
    };
    for (const auto& c : cases) {
        auto p = ParseIpMsgPacket(c.datagram);
        ASSERT_TRUE(p) << c.what;
        SendLists lists;
        auto out = OnIpMsgAnnouncement(lists, Self(), *p, L"10.0.0.9");
        EXPECT_EQ(out.added && out.added->added, c.listed) << c.what;
        EXPECT_EQ(out.ipMsgAnswer.has_value(), c.listed) << c.what;
        EXPECT_EQ(lists.All().size(), c.listed ? 1u : 0u) << c.what;
    }
}

}  // namespace
}  // namespace kelup
