#include "net/Discovery.h"

#include "net/Identity.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

using namespace std::string_literals;

const std::wstring kMe = L"Me（MYPC）##0#@#@#2.001";
const std::wstring kPeer = L"Taro（PC01）/Sales##1#@#@#2.001";

DiscoverySelf Self(const std::wstring& myAddr = L"10.0.0.1", bool displayMyName = false) {
    return DiscoverySelf{myAddr, kMe, L"MYPC", displayMyName, MatchMode::ByComputerName, false};
}

BroadcastPacket Entry(const std::wstring& id, const std::wstring& addr, const std::wstring& relay,
                      const std::wstring& mode = L"0") {
    return BroadcastPacket{NativeCommand::NetEntry, addr, id, relay, mode};
}

TEST(Discovery, EntryAnnouncementsAreAnsweredAndRelayed) {
    struct Case {
        const char* what;
        std::wstring relay, mode;
        std::optional<int> answer;
        bool relayed;
    };
    const Case cases[] = {
        {"broadcast", L"0", L"0", 2, false},
        {"direct, relays", L"1", L"0", 3, true},
        {"direct, relaying forbidden", L"1", L"1", 3, false},
        {"unknown flag", L"x", L"0", std::nullopt, false},
    };
    for (const auto& c : cases) {
        SendLists lists;
        auto out = OnNativeBroadcast(lists, Self(), Entry(kPeer, L"10.0.0.5", c.relay, c.mode), L"10.0.0.5");
        ASSERT_TRUE(out.added) << c.what;
        EXPECT_TRUE(out.added->added) << c.what;
        EXPECT_EQ(lists.SectionName(3), L"Sales");
        EXPECT_EQ(out.nativeAnswer, c.answer) << c.what;
        if (c.answer) {
            EXPECT_EQ(out.answerTo, L"10.0.0.5") << c.what;
        }
        ASSERT_EQ(out.relay.has_value(), c.relayed) << c.what;
        if (c.relayed) {
            EXPECT_EQ(*out.relay, (BroadcastPacket{NativeCommand::NetEntrySub, L"10.0.0.5", kPeer, L"0", L"0"}));
        }
    }
}

TEST(Discovery, OwnAnnouncement) {
    // Learns its address from its own entry and, with DisplayMyName 1, stays out of its lists.
    for (bool displayMyName : {false, true}) {
        SendLists lists;
        auto out = OnNativeBroadcast(lists, Self(L"", displayMyName), Entry(kMe, L"", L"0"), L"192.168.1.20");
        EXPECT_EQ(out.learnedAddr, L"192.168.1.20"s);
        EXPECT_EQ(lists.All().size(), displayMyName ? 0u : 1u);
        EXPECT_FALSE(out.nativeAnswer);   // never answers itself
        EXPECT_FALSE(out.relay);
    }
    // An address once known is not learnt again.
    SendLists lists;
    EXPECT_FALSE(OnNativeBroadcast(lists, Self(), Entry(kMe, L"", L"0"), L"10.9.9.9").learnedAddr);
}

TEST(Discovery, AddressFieldsFallBackToTheSource) {
    for (const wchar_t* field : {L"", L"not-an-address", L"10.0.0.999"}) {
        SendLists lists;
        auto out = OnNativeBroadcast(lists, Self(), Entry(kPeer, field, L"0"), L"10.0.0.5");
        ASSERT_TRUE(out.added);
        EXPECT_EQ(ListNameExtract(out.added->entry).ipAddr, L"10.0.0.5") << field;
        EXPECT_EQ(out.answerTo, L"10.0.0.5") << field;
    }
}

TEST(Discovery, BusyDropsTheAdditionButStillAnswers) {
    SendLists lists;
    DiscoverySelf self = Self();
    self.busy = true;
    auto out = OnNativeBroadcast(lists, self, Entry(kPeer, L"10.0.0.5", L"0"), L"10.0.0.5");
    EXPECT_FALSE(out.added);
    EXPECT_TRUE(lists.All().empty());
    EXPECT_EQ(out.nativeAnswer, 2);
}

TEST(Discovery, RelayedEntriesAreAnsweredToTheFirstAnnouncer) {
    SendLists lists;
    BroadcastPacket sub{NativeCommand::NetEntrySub, L"172.16.0.9", kPeer, L"1", L"0"};
    auto out = OnNativeBroadcast(lists, Self(), sub, L"10.0.0.2");   // came through a relaying copy
    EXPECT_TRUE(out.added);
    EXPECT_EQ(out.nativeAnswer, 3);
    EXPECT_EQ(out.answerTo, L"172.16.0.9");
    EXPECT_FALSE(out.relay);
    EXPECT_EQ(ListNameExtract(lists.All()[0]).ipAddr, L"172.16.0.9");

    // The answer adds the answering peer.
    ResultPacket ans;
    ans.command = NativeCommand::BcAns;
    ans.sender = {L"", L"Ken（PC03）##2#@#@#2.001"};
    auto added = OnBcAns(lists, Self(), ans, L"10.0.0.7");
    ASSERT_TRUE(added.added);
    EXPECT_EQ(ListNameExtract(added.added->entry), (ListEntryParts{L"Ken", L"PC03", L"10.0.0.7", L"2", L"2.001"}));
    EXPECT_FALSE(added.nativeAnswer);
}

TEST(Discovery, ExitMovesThePeerToTheAbsentees) {
    SendLists lists;
    OnNativeBroadcast(lists, Self(), Entry(kPeer, L"10.0.0.5", L"0"), L"10.0.0.5");
    BroadcastPacket exit{NativeCommand::Exit, L"10.0.0.5", kPeer, L"1", L"0"};
    auto out = OnNativeBroadcast(lists, Self(), exit, L"10.0.0.5");
    ASSERT_TRUE(out.removed);
    EXPECT_TRUE(out.removed->removedFromAll);
    EXPECT_TRUE(lists.All().empty());
    EXPECT_EQ(lists.Absentees().size(), 1u);
    ASSERT_TRUE(out.relay);
    EXPECT_EQ(out.relay->command, NativeCommand::ExitSub);
    // A relayed exit is not relayed again; our own address is never removed.
    exit.command = NativeCommand::ExitSub;
    EXPECT_FALSE(OnNativeBroadcast(lists, Self(), exit, L"10.0.0.5").relay);
    OnNativeBroadcast(lists, Self(), Entry(kMe, L"10.0.0.1", L"0"), L"10.0.0.1");
    BroadcastPacket mine{NativeCommand::Exit, L"10.0.0.1", kMe, L"0", L"0"};
    EXPECT_FALSE(OnNativeBroadcast(lists, Self(), mine, L"10.0.0.1").removed);
}

TEST(Discovery, IpMessengerPeers) {
    SendLists lists;
    IpMsgPacket entry;
    entry.user = L"hana";
    entry.host = L"HOST1";
    entry.command = ipmsg::kEntry | 0x00100000;   // option bits are ignored
    entry.nickName = L"花子";
    entry.group = L"開発";
    auto out = OnIpMsgAnnouncement(lists, Self(), entry, L"10.0.0.8");
    ASSERT_TRUE(out.added);
    EXPECT_EQ(ListNameExtract(out.added->entry), (ListEntryParts{L"花子", L"HOST1", L"10.0.0.8", L"8", L"1.00"}));
    EXPECT_EQ(out.ipMsgAnswer, 0);
    EXPECT_EQ(out.answerTo, L"10.0.0.8");
    EXPECT_EQ(lists.SectionName(3), L"開発");

    entry.command = ipmsg::kAnsEntry;
    EXPECT_FALSE(OnIpMsgAnnouncement(lists, Self(), entry, L"10.0.0.8").ipMsgAnswer);

    entry.command = ipmsg::kExit;
    auto gone = OnIpMsgAnnouncement(lists, Self(), entry, L"10.0.0.8");
    ASSERT_TRUE(gone.removed);
    EXPECT_TRUE(gone.removed->removedFromAll);
    EXPECT_FALSE(gone.removed->becameAbsentee);
    EXPECT_TRUE(lists.LisLines().empty());

    // Own entry: the address is learnt from the host name.
    entry.command = ipmsg::kEntry;
    entry.host = L"MYPC";
    EXPECT_EQ(OnIpMsgAnnouncement(lists, Self(L"", true), entry, L"10.0.0.1").learnedAddr, L"10.0.0.1"s);
    // Other modes do nothing.
    entry.command = ipmsg::kSendMsg;
    auto none = OnIpMsgAnnouncement(lists, Self(), entry, L"10.0.0.8");
    EXPECT_FALSE(none.added || none.removed || none.ipMsgAnswer);
}

TEST(Discovery, BroadcastDestinations) {
    EXPECT_EQ(BroadcastDestinations({L"10.0.0.5 : 本社", L"bad", L"172.16.0.1"}),
              (std::vector<std::wstring>{L"255.255.255.255", L"172.16.0.1", L"10.0.0.5"}));
    EXPECT_EQ(BroadcastDestinations({}), std::vector<std::wstring>{L"255.255.255.255"});
}

}  // namespace
}  // namespace kelup
