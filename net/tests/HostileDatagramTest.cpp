// Datagrams from the network are untrusted: whatever arrives must read as
// nothing or as well-defined values.

#include "base/Cp932.h"
#include "net/IpMsgPacket.h"
#include "net/NativePacket.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

using namespace std::string_literals;

const LocalDateTime kNow{2024, 3, 5, 14, 7, 9};

std::string KlSend(const std::string& f6to19, const std::string& tail) {
    return "KL_SEND;1.2.3.4;A\x81\x69" "B\x81\x6a##0#@#@#2.001;2024/03/05;1:02:03;" + f6to19 + ";F1;F2;" + tail;
}

TEST(HostileDatagram, NativeDatagramsReadAsNothingOrDefinedValues) {
    struct Case {
        const char* what;
        std::string datagram;
        bool parses;
        NativeCommand command;
    };
    const Case cases[] = {
        {"empty", "", false, NativeCommand::Unknown},
        {"NUL first", "\0KL_DUMMY;;;;"s, false, NativeCommand::Unknown},
        {"NULs only", std::string(100, '\0'), false, NativeCommand::Unknown},
        {"word without separator", "KL_DUMMY", false, NativeCommand::Unknown},
        {"unknown word", "KL_NOPE;a;b", false, NativeCommand::Unknown},
        {"lower case word", "kl_dummy;a;b", false, NativeCommand::Unknown},
        {"word cut by NUL", "KL_DUM\0MY;a"s, false, NativeCommand::Unknown},
        {"bare separators", ";;;;;;;;", false, NativeCommand::Unknown},
        {"dummy only", "KL_DUMMY;", true, NativeCommand::Dummy},
        {"entry without fields", "KL_NETENTRY;", true, NativeCommand::NetEntry},
        {"answer cut short", "KL_BCANS;1.2.3.4", true, NativeCommand::BcAns},
        {"invalid cp932", "KL_OPEN;\x81;\xFF\xFE\x85\x40;\x82", true, NativeCommand::Open},
        {"send without fields", "KL_SEND;", false, NativeCommand::Unknown},
        {"send cut after 20 fields", "KL_SEND;" + std::string(20, ';'), false, NativeCommand::Unknown},
        {"send with empty fields", "KL_SEND;" + std::string(22, ';'), true, NativeCommand::Send},
        {"send cut by NUL", KlSend("1;0;0;0;0;0;0;0;9;9;0;0;0;0", "0;1899/12/30;"s + "text\0;;;;;;;;;;;;;;;;;;;;;;"), true,
         NativeCommand::Send},
        {"send numbers out of range", KlSend("99999999999;-99999999999;x;+5;-2147483648;2147483647;1e5;0x10;;;;;;", "4;x;t"),
         true, NativeCommand::Send},
    };
    for (const auto& c : cases) {
        auto p = ParseNativePacket(c.datagram, kNow);
        ASSERT_EQ(p.has_value(), c.parses) << c.what;
        if (p) {
            EXPECT_EQ(p->command, c.command) << c.what;
        }
    }
}

TEST(HostileDatagram, NoteFieldsOutOfRangeAreHeldToSaneValues) {
    auto p = ParseNativePacket(
        KlSend("99999999999;7;-3;x;-2147483648;2147483647;-5;99999;0;2000;1;2;3;4", "zz;2024/02/30 1:00:00;t"), kNow);
    ASSERT_TRUE(p);
    const auto& n = std::get<NoteSendPacket>(p->body);
    EXPECT_EQ(n.lineCount, -1);                   // not a 32-bit number: all lines
    EXPECT_EQ(n.hiding, 7);                       // kept; the window layer tests > 0 and == 2
    EXPECT_EQ(n.alert, -3);
    EXPECT_EQ(n.colour, kNoColour);
    EXPECT_EQ(n.left, -kMaxNoteCoordinate);
    EXPECT_EQ(n.top, kMaxNoteCoordinate);
    EXPECT_EQ(n.width, 0);
    EXPECT_EQ(n.height, kMaxNoteCoordinate);
    EXPECT_EQ(n.titleFontSize, 0);
    EXPECT_EQ(n.bodyFontSize, kMaxNoteFontSize);
    EXPECT_EQ(n.waku, std::nullopt);              // the default frame then
    EXPECT_EQ(n.deadline, std::nullopt);          // not a date: none
    EXPECT_EQ(n.text, L"t");

    // Unreadable send date and time: the receiver's now.
    auto q = ParseNativePacket("KL_SEND;;x;2024/99/99;25:61:61;" + std::string(18, ';') + "text", kNow);
    ASSERT_TRUE(q);
    EXPECT_EQ(std::get<NoteSendPacket>(q->body).sent, kNow);
    auto r = ParseNativePacket("KL_RECIEVE;a;b;yesterday;noon"s, kNow);
    EXPECT_EQ(std::get<ResultPacket>(r->body).when, kNow);
}

TEST(HostileDatagram, OversizedDatagramsAreCapped) {
    // Native: at most 65535 bytes are looked at.
    std::string big = "KL_SEND;" + std::string(22, ';') + std::string(100000, 'a');
    auto p = ParseNativePacket(big, kNow);
    ASSERT_TRUE(p);
    EXPECT_EQ(std::get<NoteSendPacket>(p->body).text.size(), kMaxNativeDatagram - 30);
    EXPECT_EQ(NativeDatagramText(std::string(200000, 'x')).size(), kMaxNativeDatagram);
    // A plain note that is all line breaks yields no more lines than bytes.
    std::string breaks = "KL_SEND;" + std::string(22, ';') + std::string(70000, '\r');
    auto parsed = ParseNativePacket(breaks, kNow);
    ASSERT_TRUE(parsed);
    auto lines = PlainNoteLines(std::get<NoteSendPacket>(parsed->body).text, -1);
    EXPECT_EQ(lines.size(), kMaxNativeDatagram - 30 + 1);

    // IP Messenger: at most 2048 bytes, the group included.
    std::string ipm = "1:1:u:h:32:" + std::string(5000, 'm');
    EXPECT_EQ(ParseIpMsgPacket(ipm)->extra.size(), kMaxIpMsgDatagram - 11);
    std::string grp = "1:1:u:h:1:n\0"s + std::string(5000, 'g');
    EXPECT_EQ(ParseIpMsgPacket(grp)->group.size(), kMaxIpMsgDatagram - 12);
}

TEST(HostileDatagram, IpMsgDatagramsReadAsNothingOrDefinedValues) {
    struct Case {
        const char* what;
        std::string datagram;
        bool parses;
        std::uint32_t command;
        const wchar_t* extra;
    };
    const Case cases[] = {
        {"empty", "", false, 0, L""},
        {"NUL first", "\0""1:2:3:4:5:6"s, false, 0, L""},
        {"wrong version", "2:1:u:h:32:x", false, 0, L""},
        {"version with blanks", " 1:1:u:h:32:x", false, 0, L""},
        {"version only", "1", false, 0, L""},
        {"version and colon", "1:", true, 0, L""},
        {"fields missing", "1:123:user", true, 0, L"user"},
        {"command not a number", "1:1:u:h:abc:x", true, 0, L"x"},
        {"command too big", "1:1:u:h:4294967296:x", true, 0, L"x"},
        {"command negative", "1:1:u:h:-32:x", true, 0, L"x"},
        {"largest command", "1:1:u:h:4294967295:x", true, 4294967295u, L"x"},
        // Fields are cut at ":" in the bytes: no character of either encoding holds one.
        {"invalid cp932", "1:1:\x81:\xFF:32:\x82", true, 32, L"\x30FB"},
        {"NULs after", "1:1:u:h:32:x\0\0\0"s, true, 32, L"x"},
    };
    for (const auto& c : cases) {
        auto p = ParseIpMsgPacket(c.datagram);
        ASSERT_EQ(p.has_value(), c.parses) << c.what;
        if (!p) continue;
        EXPECT_EQ(p->command, c.command) << c.what;
        EXPECT_EQ(p->extra, c.extra) << c.what;
    }
    EXPECT_EQ(ParseIpMsgPacket("1:99999999999999999999999:u:h:32:x")->packetNumber, 0u);
}

// Every prefix and every single-byte change of real packets goes through
// both parsers without harm (the fuzz targets do the same at length).
TEST(HostileDatagram, MutationsOfRealPacketsAreHarmless) {
    NoteSendPacket n;
    n.identity = L"太郎（PC01）/営業##1#@#@#2.001";
    n.text = L"本文\r二行目";
    n.deadline = LocalDateTime{2024, 12, 24, 0, 0, 0};
    const std::string seeds[] = {
        *BuildNoteSend(n, NoteFormat::Plain),
        *BuildNoteSend(n, NoteFormat::Rich),
        *BuildImageSendReady({L"p.jpg", 10, 1, 2, 0, 1, n.identity, L"題"}, L"1.2.3.4", n.identity, kNow),
        ToCp932(L"1:5:hana:HOST1:1:花子") + '\0' + ToCp932(L"開発"),
    };
    for (const auto& seed : seeds) {
        for (std::size_t len = 0; len <= seed.size(); ++len) {
            std::string cut = seed.substr(0, len);
            (void)ParseNativePacket(cut, kNow);
            (void)ParseIpMsgPacket(cut);
        }
        for (std::size_t i = 0; i < seed.size(); ++i) {
            for (char b : {'\0', ';', ':', '\x81', '\xFF', '\r'}) {
                std::string m = seed;
                m[i] = b;
                if (auto p = ParseNativePacket(m, kNow); p && p->command == NativeCommand::Send) {
                    const auto& note = std::get<NoteSendPacket>(p->body);
                    EXPECT_LE(note.width, kMaxNoteCoordinate);
                    EXPECT_LE(note.text.size(), m.size());
                }
                (void)ParseIpMsgPacket(m);
            }
        }
    }
}

}  // namespace
}  // namespace kelup
