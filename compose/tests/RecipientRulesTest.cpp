#include "compose/RecipientRules.h"

#include <gtest/gtest.h>

#include "net/SendList.h"

namespace kelup {
namespace {

std::wstring Entry(const wchar_t* name, const wchar_t* addr, const wchar_t* sex, const wchar_t* ver = L"2.001") {
    return ListNameEdit(std::wstring(name) + L"（PC-" + name + L"）", addr, sex, ver);
}

const std::wstring kSame = L"同じＩＰアドレスを持つ相手には\r１つのメッセージしか送信できません。";
const std::wstring kTwoAbsent = L"同時に複数の不在者には送信できません";
const std::wstring kMixed = L"通常送信と不在者あて送信は一度には行えません。";

TEST(RecipientRules, AddingAPeerFollowsTheRecipientMode) {
    const std::wstring a = Entry(L"A", L"10.0.0.1", L"1");
    const std::wstring aOtherSex = Entry(L"A", L"10.0.0.1", L"8", L"1.00");
    const std::wstring b = Entry(L"B", L"10.0.0.2", L"2");
    struct Case {
        const char* what;
        std::vector<std::wstring> recipients;
        std::wstring entry;
        bool absentGroup;
        int mode;
        bool append;
        int modeAfter;
        std::wstring refusal;
    } cases[] = {
        {"first, normal", {}, a, false, 0, true, 1, L""},
        {"first, absentee", {}, a, true, 0, true, 2, L""},
        {"same peer again", {a}, a, false, 1, false, 1, L""},
        {"same address, other sex", {a}, aOtherSex, false, 1, false, 1, kSame},
        {"second normal", {a}, b, false, 1, true, 1, L""},
        {"second absentee", {a}, b, true, 2, false, 2, kTwoAbsent},
        {"normal after absentee", {a}, b, false, 2, false, 2, kMixed},
        {"absentee after normal", {a}, b, true, 1, false, 1, kMixed},
        {"added all, mode still 0", {a}, b, false, 0, true, 0, L""},
    };
    for (const Case& c : cases) {
        AddDecision d = DecideAdd(c.recipients, c.entry, c.absentGroup, c.mode);
        EXPECT_EQ(d.append, c.append) << c.what;
        EXPECT_EQ(d.recipientMode, c.modeAfter) << c.what;
        EXPECT_EQ(d.refusal, c.refusal) << c.what;
    }
}

TEST(RecipientRules, AddAllTakesEachAddressOnceAndAtMostTwentyOfAKind) {
    std::vector<std::wstring> shown;
    for (int i = 1; i <= 25; ++i) {
        std::wstring n = L"P" + std::to_wstring(i);
        shown.push_back(Entry(n.c_str(), (L"10.0.1." + std::to_wstring(i)).c_str(), i % 5 == 0 ? L"8" : L"3",
                              i % 5 == 0 ? L"1.00" : L"2.001"));
    }
    const std::vector<std::wstring> recipients = {shown[1]};

    AddAllResult all = AddAll(shown, recipients, AddAllKind::All);
    EXPECT_FALSE(all.overLimit);
    EXPECT_EQ(all.append.size(), 24u);
    EXPECT_EQ(all.append.front(), shown[0]);
    EXPECT_EQ(all.append[1], shown[2]);

    // Of the first 20: 16 copies of this program (one already a recipient), 4 IP Messenger peers.
    AddAllResult kelup = AddAll(shown, recipients, AddAllKind::KelupOnly);
    EXPECT_TRUE(kelup.overLimit);
    EXPECT_EQ(kelup.append.size(), 15u);
    for (const auto& e : kelup.append) EXPECT_NE(ListNameExtract(e).sex, L"8");
    AddAllResult ipm = AddAll(shown, recipients, AddAllKind::IpMsgOnly);
    EXPECT_TRUE(ipm.overLimit);
    ASSERT_EQ(ipm.append.size(), 4u);
    EXPECT_EQ(ipm.append.back(), shown[19]);

    std::vector<std::wstring> few(shown.begin(), shown.begin() + 20);
    EXPECT_FALSE(AddAll(few, {}, AddAllKind::KelupOnly).overLimit);
    // Two lines of one address (another version) go once.
    std::vector<std::wstring> twice = {shown[0], Entry(L"P1", L"10.0.1.1", L"3", L"2.0  ")};
    EXPECT_EQ(AddAll(twice, {}, AddAllKind::KelupOnly).append.size(), 1u);
}

TEST(RecipientRules, HintsAndPictures) {
    EXPECT_EQ(PeerHint(Entry(L"A", L"10.0.0.1", L"8", L"1.00")), L"10.0.0.1\r\nポップめっせもしくはIP Messenger");
    EXPECT_EQ(MachineKind(Entry(L"A", L"10.0.0.1", L"1", L"2.001")), L"ケラップマシン");
    EXPECT_EQ(MachineKind(Entry(L"A", L"10.0.0.1", L"1", L"2.0  ")), L"ケラップG3マシン");
    EXPECT_EQ(MachineKind(Entry(L"A", L"10.0.0.1", L"1", L"2.00 ")), L"ケラップG3マシン");
    EXPECT_EQ(MachineKind(Entry(L"A", L"10.0.0.1", L"1", L"1.00")), L"ケラップG2マシン");

    const std::pair<int, int> table[] = {{0, 3},   {1, 4},   {7, 10},  {8, 19}, {9, 3},   {10, 11},
                                         {11, 12}, {17, 18}, {18, 20}, {19, 11}, {-1, 3}, {25, 3}};
    for (auto [kind, image] : table) EXPECT_EQ(KindImage(kind), image) << kind;

    const std::wstring friendOf2 = Entry(L"F", L"10.0.0.9", L"2");
    EXPECT_EQ(EntryKind(friendOf2, true, true), 2);
    EXPECT_EQ(EntryKind(friendOf2, true, false), 12);
    EXPECT_EQ(EntryKind(friendOf2, false, false), 2);
    EXPECT_EQ(KindImage(EntryKind(Entry(L"I", L"10.0.0.8", L"8"), true, false)), 20);
    EXPECT_EQ(SexImage(L"8"), 19);
    EXPECT_EQ(SexImage(L"x"), 3);
}

TEST(RecipientRules, TypedAddress) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"10.0.0.1", L"10.0.0.1"},
        {L"192 . 168 . 1 . 5", L"192.168.1.5"},
        {L"010.0.0.1", L"10.0.0.1"},
        {L"0.0.0.0", L"0.0.0.0"},
        {L"192.168.1.254", L"192.168.1.254"},
        {L"192.168.1.255", nullptr},
        {L"255.1.1.1", nullptr},
        {L"10.0.0", nullptr},
        {L"10.0.0.-1", nullptr},
        {L"10.0.0.1.5", nullptr},
        {L"a.b.c.d", nullptr},
        {L"10..0.1", nullptr},
        {L"", nullptr},
    };
    for (auto [text, want] : cases) {
        auto got = TypedAddress(text);
        if (want) {
            ASSERT_TRUE(got) << testing::PrintToString(std::wstring(text));
            EXPECT_EQ(*got, want);
        } else {
            EXPECT_FALSE(got) << testing::PrintToString(std::wstring(text));
        }
    }
}

TEST(RecipientRules, FileRefusalsComeInTheirOrder) {
    const std::wstring kelup = Entry(L"K", L"10.0.0.1", L"1", L"2.001");
    const std::wstring g3 = Entry(L"G", L"10.0.0.2", L"1", L"2.0  ");
    const std::wstring ipm = Entry(L"I", L"10.0.0.3", L"8", L"1.00");
    struct Case {
        int opt;
        std::vector<std::wstring> to;
        bool absent;
        const wchar_t* file;
        bool exists;
        std::wstring refusal;
    } cases[] = {
        {0, {ipm, g3}, true, L"", false, L""},
        {1, {ipm, g3}, true, L"", false, L"ファイルは同時に二つ以上の相手に送信できません"},
        {2, {ipm}, true, L"", false, L"不在者にはファイルは送信できません"},
        {1, {ipm}, false, L"", false, L"ポップめっせもしくはIP Messengerへはファイルは送信できません"},
        {2, {g3}, false, L"", false, L"ケラップG4以前のバージョンへはファイルは送信できません"},
        {3, {kelup}, false, L"", false, L"関連づけられたファイルがありません"},
        {3, {kelup}, false, L"C:\\a.txt", false, L"関連づけられたファイルが存在しません"},
        {3, {kelup}, false, L"C:\\a.txt", true, L""},
        {1, {kelup}, false, L"", false, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileSendRefusal(c.opt, c.to, c.absent, c.file, c.exists), c.refusal) << c.opt;
    EXPECT_EQ(FileSendQuestion(L"a.txt", 1, L"K"), L"ファイル「a.txt」をKさんに送信してもいいですか?");
    EXPECT_EQ(FileSendQuestion(L"a.txt", 2, L"K"), L"ファイル「a.txt」を添付して付箋紙をKさんに送信してもいいですか?");
}

TEST(RecipientRules, PicturesGoToOneCopyThatTakesThem) {
    const std::wstring kelup = Entry(L"K", L"10.0.0.1", L"1", L"2.001");
    const std::wstring g3 = Entry(L"G", L"10.0.0.2", L"1", L"2.0  ");
    const std::wstring ipm = Entry(L"I", L"10.0.0.3", L"8", L"1.00");
    struct Case {
        std::vector<std::wstring> to;
        bool absent;
        std::wstring refusal;
    } cases[] = {
        {{kelup, kelup}, true, L"イメージ付箋紙は同時に二つ以上の相手に送信できません"},
        {{kelup}, true, L"不在者にはイメージ付箋紙は送信できません"},
        {{ipm}, false, L"ポップめっせもしくはIP Messengerへは送信できません"},
        {{g3}, false, L"ケラップG4以前のバージョンへは送信できません"},
        {{}, false, L"送信先が選択されていません"},
        {{kelup}, false, L""},
    };
    for (const Case& c : cases) EXPECT_EQ(ImageSendRefusal(c.to, c.absent), c.refusal) << c.to.size();
}

TEST(RecipientRules, FindRenameAndReply) {
    const std::vector<std::wstring> list = {Entry(L"abc", L"10.0.0.1", L"1"), Entry(L"xAbx", L"10.0.0.2", L"8"),
                                            Entry(L"zab", L"10.0.0.3", L"2")};
    EXPECT_EQ(FindByName(list, 0, L"ab"), 0u);
    EXPECT_EQ(FindByName(list, 1, L"ab"), 2u);   // case-sensitive: "Ab" is not "ab"
    EXPECT_EQ(FindByName(list, 1, L"Ab"), 1u);
    EXPECT_FALSE(FindByName(list, 0, L"PC"));     // the computer name is not searched
    EXPECT_FALSE(FindByName(list, 0, L""));

    EXPECT_EQ(RenamedEntry(list[0], L"新しい"), ListNameEdit(L"新しい（PC-abc）", L"10.0.0.1", L"1", L"2.001"));

    EXPECT_EQ(FindReplyEntry(list, L"10.0.0.2", L"0"), list[1]);   // a listed "8" counts as "0"
    EXPECT_EQ(FindReplyEntry(list, L"10.0.0.3", L"2"), list[2]);
    EXPECT_FALSE(FindReplyEntry(list, L"10.0.0.3", L"1"));
    EXPECT_FALSE(FindReplyEntry(list, L"10.0.0.4", L"2"));
    EXPECT_FALSE(FindReplyEntry(list, L"", L"2"));
}

TEST(RecipientRules, RecentRecipientsMenu) {
    const std::wstring a = Entry(L"A", L"10.0.0.1", L"1");
    const std::wstring aIpm = Entry(L"Aipm", L"10.0.0.1", L"8", L"1.00");
    const std::wstring b = Entry(L"B", L"10.0.0.2", L"3");
    RecentItem item = RecentItemOf(a, 1234, 0);
    EXPECT_EQ(item.name, L"No1Z12340");
    EXPECT_EQ(item.caption, L"★A（10.0.0.1）");
    EXPECT_EQ(RecentItemOf(aIpm, 99, 2).caption, L"☆Aipm（10.0.0.1）");
    MItemParts parts = MItemExtract(L"☆Aipm（10.0.0.1）");
    EXPECT_EQ(parts.M_Sex, L"☆");
    EXPECT_EQ(parts.ML_Name, L"Aipm");
    EXPECT_EQ(parts.ML_IP_Addr, L"10.0.0.1");
    EXPECT_EQ(RecentItemSex(L"No8Z12340"), L"8");

    std::vector<RecentItem> menu;
    AddRecent(menu, {a, aIpm}, 1);
    AddRecent(menu, {b, a}, 2);
    // One item per address and kind, the newest on top.
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].caption, L"★A（10.0.0.1）");
    EXPECT_EQ(menu[0].name, L"No1Z21");
    EXPECT_EQ(menu[1].caption, L"★B（10.0.0.2）");
    EXPECT_EQ(menu[2].caption, L"☆Aipm（10.0.0.1）");

    std::vector<std::wstring> many;
    for (int i = 1; i <= 20; ++i) many.push_back(Entry(L"P", (L"10.0.2." + std::to_wstring(i)).c_str(), L"2"));
    AddRecent(menu, many, 3);
    ASSERT_EQ(menu.size(), kMaxRecentItems);
    EXPECT_EQ(menu[0].caption, L"★P（10.0.2.20）");

    // MItemClick finds the peer only with the same address and sex.
    EXPECT_EQ(RecentItemEntry(RecentItemOf(a, 5, 0), {b, aIpm, a}), a);
    EXPECT_FALSE(RecentItemEntry(RecentItemOf(a, 5, 0), {b, aIpm}));

    // ".frh" round trip; lines that are no items are skipped.
    std::vector<std::wstring> lines = RecentFileLines(menu);
    EXPECT_EQ(lines[0], menu[0].name + L"%%" + menu[0].caption);
    lines.insert(lines.begin(), L"garbage");
    lines.insert(lines.begin(), L"%%★X（1.2.3.4）");
    EXPECT_EQ(RecentFromLines(lines), menu);
}

}  // namespace
}  // namespace kelup
