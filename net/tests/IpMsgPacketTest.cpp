#include "net/IpMsgPacket.h"

#include "base/Cp932.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

using namespace std::string_literals;

TEST(IpMsgPacket, CommandModeAndOptions) {
    struct Case {
        std::uint32_t comNo, mode, opt1, opt2;
    };
    const Case cases[] = {
        {1, 1, 0, 0},          {260, 4, 1, 0},        {288, 32, 1, 0},       {800, 32, 3, 0},
        {33056, 32, 1, 8},     {33568, 32, 3, 8},     {8224, 32, 0, 2},      {65535, 255, 15, 15},
        {0x00600120, 32, 1, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetCommand(c.comNo), c.mode) << c.comNo;
        EXPECT_EQ(OptionNibble1(c.comNo), c.opt1) << c.comNo;
        EXPECT_EQ(OptionNibble2(c.comNo), c.opt2) << c.comNo;
    }
}

TEST(IpMsgPacket, MessagesCarryTheHidingAndPasswordOptions) {
    EXPECT_EQ(BuildIpMsgMessage(1483043044, L"Taro", L"PC01", false, false, L"一行目\n二行目"),
              ToCp932(L"1:1483043044:Taro:PC01:288:一行目\n二行目"));
    EXPECT_EQ(BuildIpMsgMessage(7, L"T", L"P", true, false, L"x"), "1:7:T:P:800:x");
    EXPECT_EQ(BuildIpMsgMessage(7, L"T", L"P", false, true, L"x"), "1:7:T:P:33056:x");
    EXPECT_EQ(BuildIpMsgMessage(7, L"T", L"P", true, true, L"x"), "1:7:T:P:33568:x");
    // A separator in the names cannot shift the fields; the text may hold any.
    EXPECT_EQ(BuildIpMsgMessage(7, L"a:b", L"P\0C"s, false, false, L"c:d\0e"s), ToCp932(L"1:7:a：b:PC:288:c:de"));
}

TEST(IpMsgPacket, LongMessagesAreCutAtACharacterWithin2047Bytes) {
    std::string m = BuildIpMsgMessage(1, L"T", L"P", false, false, std::wstring(3000, L'あ'));
    EXPECT_LE(m.size(), kMaxIpMsgMessage);
    EXPECT_GE(m.size(), kMaxIpMsgMessage - 1);
    auto p = ParseIpMsgPacket(m);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->extra, std::wstring((m.size() - 12) / 2, L'あ'));
    EXPECT_EQ(p->extra.find(L'\x30FB'), std::wstring::npos);
}

TEST(IpMsgPacket, Results) {
    IpMsgSelf self{3, L"taro", L"PC01", L"太郎", L"営業"};
    struct Case {
        int res;
        std::optional<std::string> want;
    };
    const Case cases[] = {
        {0, ToCp932(L"1:3:taro:PC01:3:太郎") + '\0' + ToCp932(L"営業")},
        {1, "1:1483043044:taro:PC01:33:12345\0"s},
        {2, "1::taro:PC01:2:\0"s},
        {3, "1:1483043044:taro:PC01:48:12345\0"s},
        {4, "1:1483043044:taro:PC01:8224:\0"s},
        {5, "1::taro:PC01::\0"s},
        {9, "1::taro:PC01::\0"s},
        {8, "1::taro:PC01:65535:\0"s},
        {6, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildIpMsgResult(c.res, self, L"12345", 1483043044u), c.want) << c.res;
    // An echoed packet number from a peer cannot add fields.
    EXPECT_EQ(BuildIpMsgResult(1, self, L"1:2", 9), ToCp932(L"1:9:taro:PC01:33:1：2") + '\0');
}

TEST(IpMsgPacket, Broadcasts) {
    EXPECT_EQ(BuildIpMsgBroadcast(1, L"taro", L"PC01", L"太郎", L"営業", L"1"),
              ToCp932(L"1:1:taro:PC01:1:太郎") + '\0' + ToCp932(L"営業"));
    EXPECT_EQ(BuildIpMsgBroadcast(1, L"taro", L"PC01", L"太郎", L"営業", L"260"),
              ToCp932(L"1:1:taro:PC01:260:太郎") + '\0' + ToCp932(L"営業"));
    EXPECT_EQ(BuildIpMsgBroadcast(0, L"taro", L"PC01", L"太郎", L"営業", L"2"), "1:0:taro:PC01:2:\0"s);
    EXPECT_FALSE(BuildIpMsgBroadcast(0, L"taro", L"PC01", L"n", std::wstring(3000, L'x'), L"1"));
}

TEST(IpMsgPacket, ParsingEntriesAndMessages) {
    auto entry = ParseIpMsgPacket(ToCp932(L"1:100:hana:HOST1:1:花子") + '\0' + ToCp932(L"開発") + '\0' + "junk");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->packetNo, L"100");
    EXPECT_EQ(entry->packetNumber, 100u);
    EXPECT_EQ(entry->user, L"hana");
    EXPECT_EQ(entry->host, L"HOST1");
    EXPECT_EQ(entry->command, 1u);
    EXPECT_EQ(entry->nickName, L"花子");
    EXPECT_EQ(entry->group, L"開発");

    auto answer = ParseIpMsgPacket("1:5:hana:HOST1:3:\0"s);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->nickName, L"hana");   // no nickname: the user
    EXPECT_EQ(answer->group, L"");

    // Extended entry text: the nickname is after the last ":".
    EXPECT_EQ(ParseIpMsgPacket("1:5:u:h:65537:a:b\0g"s)->nickName, L"b");

    auto msg = ParseIpMsgPacket(ToCp932(L"1:x9:hana:HOST1:33056:時刻 12:00\n集合") + '\0');
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->packetNumber, 0u);   // does not parse
    EXPECT_EQ(GetCommand(msg->command), ipmsg::kSendMsg);
    EXPECT_EQ(OptionNibble2(msg->command), 8u);
    EXPECT_EQ(msg->extra, L"時刻 12:00\n集合");
    EXPECT_EQ(msg->nickName, L"");

    // What we send reads back.
    IpMsgSelf self{2, L"ta:ro", L"PC01", L"太郎", L"営業"};
    auto ours = ParseIpMsgPacket(*BuildIpMsgResult(0, self, L"", 0));
    ASSERT_TRUE(ours);
    EXPECT_EQ(ours->user, L"ta：ro");
    EXPECT_EQ(ours->host, L"PC01");
    EXPECT_EQ(ours->command, 3u);
    EXPECT_EQ(ours->nickName, L"太郎");
    EXPECT_EQ(ours->group, L"営業");
}

}  // namespace
}  // namespace kelup
