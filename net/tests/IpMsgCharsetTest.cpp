// IP Messenger clients in the wild: version fields tagged by the client,
// texts in UTF-8 when the packet says so, and each peer written to in what
// it reads. Also the strict code page 932 reading and the UTF-8 codec they
// rest on.

#include "net/IpMsgPacket.h"

#include "base/Cp932.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

using namespace std::string_literals;

std::string U8(const std::wstring& text) { return ToUtf8(text); }

TEST(IpMsgCharset, VersionFieldIsOneOrOneAndATag) {
    struct Case {
        std::string version;
        bool accepted;
    };
    const Case cases[] = {
        {"1", true},
        {"1_iptux 0.8.3", true},
        {"1_lbt4_10#128#000C29D1E0F8#0#0#0#4001#9", true},
        {"1_", true},
        {"1x", false},
        {"10", false},
        {"", false},
        {"2", false},
        {"_1", false},
        {" 1_iptux", false},
        {"１", false},
    };
    for (const auto& c : cases) {
        auto p = ParseIpMsgPacket(c.version + ":7:user:HOST:1:nick\0grp"s);
        ASSERT_EQ(p.has_value(), c.accepted) << c.version;
        if (!p) continue;
        EXPECT_EQ(p->version, FromCp932(c.version));
        EXPECT_EQ(p->packetNo, L"7");
        EXPECT_EQ(p->user, L"user");
        EXPECT_EQ(p->host, L"HOST");
        EXPECT_EQ(p->command, 1u);
        EXPECT_EQ(p->nickName, L"nick");
        EXPECT_EQ(p->group, L"grp");
    }
}

TEST(IpMsgCharset, TextsAreDecodedByWhatThePacketSays) {
    const std::wstring nick = L"鈴木", group = L"開発", text = L"こんにちは①";
    struct Case {
        const char* what;
        std::string datagram;
        bool writesUtf8;   // what is known of the sender
        bool utf8;         // read as UTF-8
        bool valid;
        std::wstring extra, group;
    };
    const Case cases[] = {
        {"UTF-8 option", "1:1:u:H:8388640:" + U8(text), false, true, true, text, L""},
        {"UTF-8 entry with its group", "1:1:u:H:8388609:" + U8(nick) + "\0"s + U8(group), false, true, true, nick, group},
        {"UTF-8 and its ability", "1:1:u:H:25165856:" + U8(text), false, true, true, text, L""},
        {"code page 932", "1:1:u:H:32:" + ToCp932(text), false, false, true, text, L""},
        // Knowing UTF-8 is not writing it: without the option, code page 932.
        {"ability only", "1:1:u:H:16777248:" + ToCp932(text), false, false, true, text, L""},
        // UTF-8 bytes without the option are read as code page 932 (here
        // they happen to be valid code page 932: other characters).
        {"UTF-8 bytes, no option", "1:1:u:H:32:" + U8(L"ああ"), false, false, true, FromCp932(U8(L"ああ")), L""},
        // iptux names its encoding after the group and icon, and writes in it.
        {"iptux entry", "1_iptux 0.8.3:1:u:H:257:" + U8(nick) + "\0"s + U8(group) + "\0icon.png\0utf-8\0"s, false,
         true, true, nick, group},
        {"iptux answer", "1_iptux 0.8.3:1:u:H:259:" + U8(nick) + "\0"s + U8(group) + "\0\0UTF-8\0"s, false, true,
         true, nick, group},
        {"iptux entry not in UTF-8", "1_iptux 0.8.3:1:u:H:1:" + ToCp932(nick) + "\0"s + ToCp932(group) + "\0\0utf-8"s,
         false, false, true, nick, group},
        // A message of a sender known to write UTF-8.
        {"known writer", "1_iptux 0.8.3:1:u:H:288:" + U8(text), true, true, true, text, L""},
        {"known writer, not UTF-8 this time", "1:1:u:H:288:" + ToCp932(text), true, false, true, text, L""},
        // "utf-8" means nothing in a message.
        {"message naming utf-8", "1:1:u:H:32:" + U8(L"ああ") + "\0\0utf-8"s, false, false, true, FromCp932(U8(L"ああ")), L""},
        // Invalid UTF-8 under the option: stand-ins, and the packet says so.
        {"invalid UTF-8", "1:1:u:H:8388640:a\xE3\x81z\xFF", false, true, false, L"a\xFFFDz\xFFFD", L""},
        {"overlong UTF-8", "1:1:u:H:8388640:\xC0\xAF", false, true, false, L"\xFFFD\xFFFD", L""},
        {"invalid code page 932", "1:1:u:H:32:a\x82", false, false, false, L"a\x30FB", L""},
    };
    for (const auto& c : cases) {
        auto p = ParseIpMsgPacket(c.datagram, c.writesUtf8);
        ASSERT_TRUE(p) << c.what;
        EXPECT_EQ(p->utf8, c.utf8) << c.what;
        EXPECT_EQ(p->textValid, c.valid) << c.what;
        EXPECT_EQ(p->extra, c.extra) << c.what;
        EXPECT_EQ(p->group, c.group) << c.what;
        EXPECT_EQ(p->user, L"u") << c.what;
    }
}

TEST(IpMsgCharset, OptionBits) {
    EXPECT_EQ(ipmsg::kUtf8Opt, 0x00800000u);
    EXPECT_EQ(ipmsg::kCapUtf8Opt, 0x01000000u);
    // The options leave the mode and the nibbles the notes read alone.
    const std::uint32_t c = ipmsg::kSendMsg | ipmsg::kSendCheckOpt | ipmsg::kSecretOpt | ipmsg::kPasswordOpt |
                            ipmsg::kUtf8Opt | ipmsg::kCapUtf8Opt;
    EXPECT_EQ(GetCommand(c), ipmsg::kSendMsg);
    EXPECT_EQ(OptionNibble1(c), 3u);
    EXPECT_EQ(OptionNibble2(c), 8u);
}

TEST(IpMsgCharset, PeersAreRememberedByWhatTheyDeclare) {
    struct Step {
        std::string datagram;
        bool reads, writes;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
    };
    const std::string grp = "\0"s + ToCp932(L"開発");
    const Case cases[] = {
        {"plain IP Messenger", {{"1:1:u:H:1:n" + grp, false, false}}},
        {"ability in the entry", {{"1:1:u:H:16777217:n" + grp, true, false}}},
        {"UTF-8 entry", {{"1:1:u:H:8388609:n\0g"s, true, false}}},
        {"ability in the answer", {{"1:1:u:H:16777219:n" + grp, true, false}}},
        {"iptux", {{"1_iptux 0.8.3:1:u:H:257:" + U8(L"鈴木") + "\0g\0\0utf-8"s, true, true}}},
        {"a message in UTF-8 shows it", {{"1:1:u:H:8388640:x", true, false}}},
        {"a message without it teaches nothing", {{"1:1:u:H:16777248:x", false, false}}},
        {"a new entry says again",
         {{"1:1:u:H:16777217:n" + grp, true, false}, {"1:2:u:H:1:n" + grp, false, false}}},
        {"invalid text teaches nothing", {{"1:1:u:H:16777217:\x82" + grp, false, false}}},
        {"exit teaches nothing", {{"1:1:u:H:16777218:", false, false}}},
    };
    for (const auto& c : cases) {
        IpMsgCharsets charsets;
        for (const auto& s : c.steps) {
            auto p = ParseIpMsgPacket(s.datagram, charsets.WritesUtf8(L"10.0.0.9"));
            ASSERT_TRUE(p) << c.what;
            charsets.Note(L"10.0.0.9", *p);
            EXPECT_EQ(charsets.ReadsUtf8(L"10.0.0.9"), s.reads) << c.what;
            EXPECT_EQ(charsets.WritesUtf8(L"10.0.0.9"), s.writes) << c.what;
        }
        // Another address knows nothing of it.
        EXPECT_FALSE(charsets.ReadsUtf8(L"10.0.0.10")) << c.what;
        EXPECT_FALSE(charsets.ReadsUtf8(L"")) << c.what;
    }
    // A flood of addresses is held to the cap; those beyond get code page 932.
    IpMsgCharsets charsets;
    auto p = ParseIpMsgPacket("1:1:u:H:16777217:n\0g"s);
    for (std::size_t i = 0; i < IpMsgCharsets::kMaxPeers + 10; ++i)
        charsets.Note(L"10." + std::to_wstring(i >> 16) + L"." + std::to_wstring((i >> 8) & 255) + L"." +
                          std::to_wstring(i & 255),
                      *p);
    EXPECT_EQ(charsets.size(), IpMsgCharsets::kMaxPeers);
    EXPECT_TRUE(charsets.ReadsUtf8(L"10.0.0.0"));
    EXPECT_FALSE(charsets.ReadsUtf8(L"10.0.16.9"));
}

TEST(IpMsgCharset, BuildingInUtf8) {
    // A message: the whole packet in UTF-8, the command with the UTF-8 option.
    std::string m = BuildIpMsgMessage(7, L"山田", L"PC01", false, false, L"一行目\n二行目😀", true);
    EXPECT_EQ(m, U8(L"1:7:山田:PC01:8388896:一行目\n二行目😀"));
    auto back = ParseIpMsgPacket(m);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->utf8 && back->textValid);
    EXPECT_EQ(back->extra, L"一行目\n二行目😀");
    EXPECT_EQ(GetCommand(back->command), ipmsg::kSendMsg);
    EXPECT_EQ(OptionNibble1(back->command), 1u);
    // Hidden with a password, in UTF-8: the options the receiver reads stay.
    auto hidden = ParseIpMsgPacket(BuildIpMsgMessage(7, L"T", L"P", true, true, L"x", true));
    EXPECT_EQ(hidden->command, 288u + 512u + 32768u + ipmsg::kUtf8Opt);
    // Without the flag it stays code page 932, as before.
    EXPECT_EQ(BuildIpMsgMessage(7, L"山田", L"PC01", false, false, L"本文"), ToCp932(L"1:7:山田:PC01:288:本文"));

    // Long texts are cut at a UTF-8 character within 2047 bytes.
    std::string longer = BuildIpMsgMessage(1, L"T", L"P", false, false, std::wstring(3000, L'あ'), true);
    EXPECT_LE(longer.size(), kMaxIpMsgMessage);
    EXPECT_GE(longer.size(), kMaxIpMsgMessage - 2);
    auto cut = ParseIpMsgPacket(longer);
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->textValid);
    EXPECT_EQ(cut->extra, std::wstring(cut->extra.size(), L'あ'));

    // Results: the answer to an entry with name and section, the receipt.
    IpMsgSelf self{3, L"taro", L"PC01", L"太郎", L"営業"};
    EXPECT_EQ(BuildIpMsgResult(0, self, L"", 0, true), U8(L"1:3:taro:PC01:8388611:太郎") + '\0' + U8(L"営業"));
    EXPECT_EQ(BuildIpMsgResult(1, self, L"12345", 1483043044, true), "1:1483043044:taro:PC01:8388641:12345\0"s);
    EXPECT_EQ(BuildIpMsgResult(3, self, L"12345", 1483043044, true), "1:1483043044:taro:PC01:8388656:12345\0"s);
    EXPECT_EQ(BuildIpMsgResult(5, self, L"", 0, true), "1::taro:PC01::\0"s);
    EXPECT_EQ(BuildIpMsgResult(0, self, L"", 0, false), ToCp932(L"1:3:taro:PC01:3:太郎") + '\0' + ToCp932(L"営業"));
    // We say we read UTF-8 in our answers to entries and in our entries; the
    // entry broadcast itself stays code page 932, and the exit as it was.
    self.readsUtf8 = true;
    EXPECT_EQ(BuildIpMsgResult(0, self, L"", 0, false), ToCp932(L"1:3:taro:PC01:16777219:太郎") + '\0' + ToCp932(L"営業"));
    EXPECT_EQ(BuildIpMsgResult(0, self, L"", 0, true), U8(L"1:3:taro:PC01:25165827:太郎") + '\0' + U8(L"営業"));
    EXPECT_EQ(BuildIpMsgResult(1, self, L"12345", 1483043044, false), "1:1483043044:taro:PC01:33:12345\0"s);
    EXPECT_EQ(BuildIpMsgBroadcast(3, L"taro", L"PC01", L"太郎", L"営業", L"1", true),
              ToCp932(L"1:3:taro:PC01:16777217:太郎") + '\0' + ToCp932(L"営業"));
    EXPECT_EQ(BuildIpMsgBroadcast(3, L"taro", L"PC01", L"太郎", L"営業", L"260", true),
              ToCp932(L"1:3:taro:PC01:16777476:太郎") + '\0' + ToCp932(L"営業"));
    EXPECT_EQ(BuildIpMsgBroadcast(3, L"taro", L"PC01", L"太郎", L"営業", L"2", true), "1:3:taro:PC01:2:\0"s);
    EXPECT_EQ(BuildIpMsgBroadcast(3, L"taro", L"PC01", L"太郎", L"営業", L"1", false),
              ToCp932(L"1:3:taro:PC01:1:太郎") + '\0' + ToCp932(L"営業"));
    auto answer = ParseIpMsgPacket(*BuildIpMsgResult(0, self, L"", 0, true));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->nickName, L"太郎");
    EXPECT_EQ(answer->group, L"営業");
    EXPECT_EQ(GetCommand(answer->command), ipmsg::kAnsEntry);
    // What we say of ourselves is what we remember of such a peer.
    IpMsgCharsets charsets;
    charsets.Note(L"10.0.0.9", *answer);
    EXPECT_TRUE(charsets.ReadsUtf8(L"10.0.0.9"));
    EXPECT_FALSE(charsets.WritesUtf8(L"10.0.0.9"));
}

TEST(Cp932Strict, ReadsOnlyWhatIsCodePage932) {
    EXPECT_EQ(FromCp932Strict(ToCp932(L"ケラップ・ｶﾅ ①～髙")), L"ケラップ・ｶﾅ ①～髙");
    EXPECT_EQ(FromCp932Strict(""), L"");
    EXPECT_EQ(FromCp932Strict("a\0b"s), std::wstring(L"a\0b", 3));
    for (const std::string& bad : {"\x82"s, "a\x81"s, "\x85\x40"s, "\x80"s, "\xA0"s, "\xFD"s, "\xFE"s, "\xFF"s,
                                   "\x82\x3A"s, "\x82\x7F"s, "\x82\xFD"s, "ok\xE0"s})
        EXPECT_FALSE(FromCp932Strict(bad)) << bad;
}

TEST(Utf8, RoundTripAndInvalidSequences) {
    const std::wstring text = L"aé漢字😀ｶﾅ";
    EXPECT_EQ(ToUtf8(text), "a\xC3\xA9\xE6\xBC\xA2\xE5\xAD\x97\xF0\x9F\x98\x80\xEF\xBD\xB6\xEF\xBE\x85");
    bool valid = false;
    EXPECT_EQ(FromUtf8(ToUtf8(text), &valid), text);
    EXPECT_TRUE(valid);
    struct Case {
        std::string in;
        std::wstring want;
    };
    const Case cases[] = {
        {"\xE6\xBC", L"\xFFFD"},                    // cut off
        {"\x80z", L"\xFFFDz"},                      // stray continuation
        {"\xC0\x80", L"\xFFFD\xFFFD"},              // overlong NUL
        {"\xE0\x80\x80", L"\xFFFD\xFFFD\xFFFD"},    // overlong
        {"\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD"},    // a surrogate
        {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"},   // past U+10FFFF
        {"\xE6\xBCz", L"\xFFFDz"},
        {"\xFF", L"\xFFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromUtf8(c.in, &valid), c.want) << c.in;
        EXPECT_FALSE(valid) << c.in;
    }
    // Cuts never split a character.
    std::string s = ToUtf8(L"aあい");   // 1 + 3 + 3 bytes
    EXPECT_EQ(Utf8SafeCut(s, 7), 7u);
    EXPECT_EQ(Utf8SafeCut(s, 6), 4u);
    EXPECT_EQ(Utf8SafeCut(s, 4), 4u);
    EXPECT_EQ(Utf8SafeCut(s, 3), 1u);
    EXPECT_EQ(Utf8SafeCut(s, 0), 0u);
}

}  // namespace
}  // namespace kelup
