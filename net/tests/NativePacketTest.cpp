#include "net/NativePacket.h"

#include "base/Cp932.h"
#include "net/Identity.h"
#include "net/PacketText.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

const LocalDateTime kNow{2024, 3, 5, 14, 7, 9};
const std::wstring kId = L"Taro（PC01）/Sales##1#@#@#2.001";

std::string Bytes(const std::wstring& s) { return ToCp932(s); }

TEST(NativePacket, ExDataCutsFieldsOffTheFront) {
    std::wstring s = L"a;b";
    EXPECT_EQ(ExData(s), L"a");
    EXPECT_EQ(s, L"b");
    EXPECT_EQ(ExData(s), L"");
    EXPECT_EQ(s, L"b");
    s = L";x;";
    EXPECT_EQ(ExData(s), L"");
    EXPECT_EQ(ExData(s), L"x");
    EXPECT_EQ(s, L"");
    std::wstring p = L"1:2:3";
    EXPECT_EQ(ExDataP(p), L"1");
    EXPECT_EQ(p, L"2:3");
}

TEST(NativePacket, ResultPacketsOfEveryCode) {
    struct Case {
        int res;
        const wchar_t* packet;
    };
    const Case cases[] = {
        {0, L"KL_RECIEVE;"},
        {1, L"KL_ERR;"},
        {2, L"KL_BCANS;"},
        {3, L"KL_BCANS;"},
        {4, L"KL_OPEN;"},
        {5, L"KL_EXOPEN;"},
        {9, L"KL_DUMMY;"},
        {61, L"KL_FILERECIEVREADY;"},
        {62, L"KL_FILERECIEVNG;"},
        {63, L"KL_FULL;"},
        {69, L"KL_FILERECIEVERR;"},
        {71, L"KL_IMAGERECIEVREADY;"},
        {72, L"KL_IMAGERECIEVNG;"},
        {78, L"KL_IMAGERECIEVCOMPLETE;"},
        {79, L"KL_IMAGERECIEVERR;"},
        {98, L"KL_SHUTDOWN;"},
        {99, L"KL_BUSY;"},
    };
    for (const auto& c : cases) {
        auto bytes = BuildResultPacket(c.res, L"10.0.0.5", kId, L"ignored;", kNow);
        ASSERT_TRUE(bytes) << c.res;
        std::wstring extra = c.res == 2 ? L"0;" : c.res == 3 ? L"1;" : L"";
        std::wstring word(NativeCommandWord(NativeResultCommand(c.res)));
        EXPECT_EQ(*bytes, Bytes(word + L";10.0.0.5;" + kId + L";" + extra + L"2024/03/05;14:07:09")) << c.res;
        EXPECT_TRUE(StartsWith(FromCp932(*bytes), c.packet)) << c.res;

        auto p = ParseNativePacket(*bytes, LocalDateTime{2000, 1, 1, 0, 0, 0});
        ASSERT_TRUE(p) << c.res;
        EXPECT_EQ(p->command, NativeResultCommand(c.res));
        const auto& r = std::get<ResultPacket>(p->body);
        EXPECT_EQ(r.sender, (NativeSender{L"10.0.0.5", kId}));
        EXPECT_EQ(r.when, kNow);
        EXPECT_EQ(r.bcAnsFlag, c.res == 2 ? L"0" : c.res == 3 ? L"1" : L"");
        EXPECT_TRUE(r.usable);
    }
    EXPECT_FALSE(BuildResultPacket(7, L"", kId, L"", kNow));
    EXPECT_FALSE(BuildResultPacket(-1, L"", kId, L"", kNow));
}

TEST(NativePacket, ResultPacketsStayWithin255Bytes) {
    // The longest identity we make still fits the longest result packet.
    std::wstring longest = CreateMyHostName({std::wstring(60, L'名'), std::wstring(80, L'C'), std::wstring(60, L'課'), 1});
    auto p = BuildResultPacket(78, L"255.255.255.255", longest, L"", kNow);
    ASSERT_TRUE(p);
    EXPECT_LE(p->size(), kMaxNativeSmallPacket);
    // A longer (relayed) identity is refused rather than cut.
    EXPECT_FALSE(BuildResultPacket(0, L"10.0.0.5", std::wstring(250, L'x'), L"", kNow));
    EXPECT_FALSE(BuildBroadcast({NativeCommand::NetEntrySub, L"10.0.0.5", std::wstring(250, L'x'), L"0", L"0"}));
}

TEST(NativePacket, BroadcastsRoundTrip) {
    BroadcastPacket b{NativeCommand::NetEntry, L"10.0.0.5", kId, L"0", L"1"};
    auto bytes = BuildBroadcast(b);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, Bytes(L"KL_NETENTRY;10.0.0.5;" + kId + L";0;1;0"));
    for (NativeCommand c : {NativeCommand::NetEntry, NativeCommand::NetEntrySub, NativeCommand::Exit,
                            NativeCommand::ExitSub}) {
        b.command = c;
        b.relay = L"1";
        b.addr = L"";
        auto p = ParseNativePacket(*BuildBroadcast(b), kNow);
        ASSERT_TRUE(p);
        EXPECT_EQ(std::get<BroadcastPacket>(p->body), b);
    }
    EXPECT_FALSE(BuildBroadcast({NativeCommand::Send, L"", kId, L"0", L"0"}));
    // Relay flags: "0" to the broadcast address, "1" to listed ones except for relayed entries.
    EXPECT_EQ(BroadcastRelayFlag(NativeCommand::NetEntry, false), L"0");
    EXPECT_EQ(BroadcastRelayFlag(NativeCommand::NetEntry, true), L"1");
    EXPECT_EQ(BroadcastRelayFlag(NativeCommand::Exit, true), L"1");
    EXPECT_EQ(BroadcastRelayFlag(NativeCommand::NetEntrySub, true), L"0");
}

TEST(NativePacket, FileAndImageAnnouncementsRoundTrip) {
    auto f = BuildResultPacket(60, L"10.0.0.5", kId, MakeFileSendExtra({L"資料.xlsx", 65536}), kNow);
    ASSERT_TRUE(f);
    EXPECT_EQ(*f, Bytes(L"KL_FILESENDREADY;10.0.0.5;" + kId + L";資料.xlsx;65536;2024/03/05;14:07:09"));
    auto pf = ParseNativePacket(*f, kNow);
    ASSERT_TRUE(pf);
    const auto& rf = std::get<ResultPacket>(pf->body);
    EXPECT_EQ(rf.file, (FileAnnounce{L"資料.xlsx", 65536}));
    EXPECT_TRUE(rf.usable);

    ImageAnnounce img{L"p.jpg", 12345, 320, 200, 1, 1, kId, L"旅行の写真"};
    auto i = BuildImageSendReady(img, L"10.0.0.5", kId, kNow);
    ASSERT_TRUE(i);
    EXPECT_EQ(*i, Bytes(L"KL_IMAGESENDREADY;10.0.0.5;" + kId + L";p.jpg;12345;320;200;1;1;" + kId +
                        L";旅行の写真;2024/03/05;14:07:09"));
    auto pi = ParseNativePacket(*i, kNow);
    ASSERT_TRUE(pi);
    EXPECT_EQ(std::get<ResultPacket>(pi->body).image, img);

    // A long title is shortened to fit 255 bytes; the rest still reads back.
    img.title = std::wstring(200, L'長');
    auto shortened = BuildImageSendReady(img, L"10.0.0.5", kId, kNow);
    ASSERT_TRUE(shortened);
    EXPECT_LE(shortened->size(), kMaxNativeSmallPacket);
    EXPECT_GE(shortened->size(), kMaxNativeSmallPacket - 1);
    auto ps = ParseNativePacket(*shortened, kNow);
    ASSERT_TRUE(ps);
    const auto& back = *std::get<ResultPacket>(ps->body).image;
    EXPECT_FALSE(back.title.empty());
    EXPECT_EQ(img.title.substr(0, back.title.size()), back.title);
    EXPECT_EQ(back.fileName, L"p.jpg");
    EXPECT_EQ(std::get<ResultPacket>(ps->body).when, kNow);
    // A file name that alone is too long cannot be announced.
    img.fileName = std::wstring(200, L'f');
    EXPECT_FALSE(BuildImageSendReady(img, L"10.0.0.5", kId, kNow));
}

TEST(NativePacket, UnusableAnnouncements) {
    struct Case {
        const wchar_t* packet;
        bool usable;
    };
    const Case cases[] = {
        {L"KL_FILESENDREADY;;id;a.txt;10;2024/03/05;1:00:00", true},
        {L"KL_FILESENDREADY;;id;a.txt;0;2024/03/05;1:00:00", false},
        {L"KL_FILESENDREADY;;id;a.txt;ten;2024/03/05;1:00:00", false},
        {L"KL_FILESENDREADY;;id;a.txt;-5;2024/03/05;1:00:00", false},
        {L"KL_FILESENDREADY;;id;a.txt;99999999999999999999999;x;y", false},
        {L"KL_FILESENDREADY;;id;..;10;2024/03/05;1:00:00", false},
        {L"KL_FILESENDREADY;", false},
        {L"KL_IMAGESENDREADY;;id;p.bmp;10;1;2;0;1;id;t;d;t", true},
        {L"KL_IMAGESENDREADY;;id;p.bmp;10;w;2;0;1;id;t;d;t", false},
        {L"KL_IMAGESENDREADY;;id;p.bmp;10;1;2;0;;id;t;d;t", false},
        {L"KL_IMAGESENDREADY;;id;p.bmp;10", false},
    };
    for (const auto& c : cases) {
        auto p = ParseNativePacket(Bytes(c.packet), kNow);
        ASSERT_TRUE(p) << c.packet;
        EXPECT_EQ(std::get<ResultPacket>(p->body).usable, c.usable) << c.packet;
    }
}

TEST(NativePacket, ReceivedFileNamesCannotLeaveTheFolder) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    };
    const Case cases[] = {
        {L"memo.txt", L"memo.txt"},
        {L"..\\..\\Windows\\evil.exe", L"evil.exe"},
        {L"C:/Users/x/a.txt", L"a.txt"},
        {L"C:a.txt", L"Ca.txt"},
        {L"a<b>c|d?e*f\"g.txt", L"abcdefg.txt"},
        {L"name. . .", L"name"},
        {L"..", L""},
        {L"dir\\", L""},
        {L"CON", L"_CON"},
        {L"nul.txt", L"_nul.txt"},
        {L"com1.log", L"_com1.log"},
        {L"console.txt", L"console.txt"},
        {L"写真（１）.jpg", L"写真（１）.jpg"},
    };
    for (const auto& c : cases) EXPECT_EQ(SafeReceivedFileName(c.in), c.out) << c.in;
}

NoteSendPacket SampleNote() {
    NoteSendPacket n;
    n.addr = L"10.0.0.5";
    n.identity = kId;
    n.kanren = L"";
    n.sent = kNow;
    n.lineCount = 3;
    n.hiding = 1;
    n.alert = 3;
    n.colour = 0x80FFFF;
    n.left = -20;
    n.top = 40;
    n.width = 200;
    n.height = 150;
    n.titleFontSize = 12;
    n.bodyFontSize = 10;
    n.titleColour = 255;
    n.bodyColour = 0;
    n.titleStyle = 1000;
    n.bodyStyle = 11;
    n.titleFont = L"ＭＳ ゴシック";
    n.bodyFont = L"ＭＳ 明朝";
    n.waku = 4;
    n.deadline = LocalDateTime{2024, 12, 24, 0, 0, 0};
    n.text = L"見出し\r本文；セミコロン;入り\r三行目";
    n.senderVersion = L"2.001";
    return n;
}

TEST(NativePacket, PlainNotePacketExactly) {
    auto bytes = BuildNoteSend(SampleNote(), NoteFormat::Plain);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, Bytes(L"KL_SEND;10.0.0.5;" + kId +
                            L"|@|@|;2024/03/05;14:07:09;3;1;3;8454143;-20;40;200;150;12;10;255;0;1000;11;"
                            L"ＭＳ ゴシック;ＭＳ 明朝;4;2024/12/24;見出し\r本文；セミコロン;入り\r三行目"));
    NoteSendPacket rich = SampleNote();
    rich.tomei = 1;
    rich.deadline = LocalDateTime{2024, 12, 24, 9, 30, 0};
    auto r = BuildNoteSend(rich, NoteFormat::Rich);
    ASSERT_TRUE(r);
    std::wstring text = FromCp932(*r);
    EXPECT_NE(text.find(L";12;10;1;0;9999;0;ＭＳ ゴシック;ＭＳ 明朝;4;2024/12/24 9:30:00;見出し"), std::wstring::npos) << text;
}

TEST(NativePacket, NotePacketsRoundTripInBothFormats) {
    struct Case {
        const char* what;
        NoteFormat format;
        std::wstring version;
        std::wstring kanren;
        std::optional<LocalDateTime> deadline;
        std::wstring text;
    };
    const Case cases[] = {
        {"plain, deadline", NoteFormat::Plain, L"2.0", L"memo.txt", LocalDateTime{2025, 1, 2, 0, 0, 0}, L"a\rb\rc"},
        {"plain, no deadline", NoteFormat::Plain, L"2.0", L"", std::nullopt, L"一行"},
        {"rich, timed", NoteFormat::Rich, L"2.001", L"C:\\Users\\x\\a.doc", LocalDateTime{2025, 1, 2, 23, 59, 0},
         L"{\\rtf1\\ansi\\ansicpg932 見出し;本文\\par\r\n}"},
        {"rich, empty", NoteFormat::Rich, L"2.00", L"", std::nullopt, L""},
    };
    for (const auto& c : cases) {
        NoteSendPacket n = SampleNote();
        n.identity = CreateMyHostName({L"Taro", L"PC01", L"Sales", 1});
        n.identity.replace(n.identity.size() - 5, 5, c.version);
        n.kanren = c.kanren;
        n.deadline = c.deadline;
        n.text = c.text;
        auto bytes = BuildNoteSend(n, c.format);
        ASSERT_TRUE(bytes) << c.what;
        auto p = ParseNativePacket(*bytes, LocalDateTime{2000, 1, 1, 0, 0, 0});
        ASSERT_TRUE(p) << c.what;
        ASSERT_EQ(p->command, NativeCommand::Send);
        const auto& back = std::get<NoteSendPacket>(p->body);
        EXPECT_EQ(back.format, c.format) << c.what;
        EXPECT_EQ(back.addr, n.addr);
        EXPECT_EQ(back.identity, n.identity) << c.what;
        EXPECT_EQ(back.kanren, n.kanren) << c.what;
        EXPECT_EQ(back.sent, n.sent);
        EXPECT_EQ(back.lineCount, n.lineCount);
        EXPECT_EQ(back.hiding, n.hiding);
        EXPECT_EQ(back.alert, n.alert);
        EXPECT_EQ(back.colour, n.colour);
        EXPECT_EQ(std::tie(back.left, back.top, back.width, back.height), std::tie(n.left, n.top, n.width, n.height));
        EXPECT_EQ(back.titleFontSize, n.titleFontSize);
        EXPECT_EQ(back.bodyFontSize, n.bodyFontSize);
        if (c.format == NoteFormat::Plain) {
            EXPECT_EQ(std::tie(back.titleColour, back.bodyColour, back.titleStyle, back.bodyStyle),
                      std::tie(n.titleColour, n.bodyColour, n.titleStyle, n.bodyStyle));
        } else {
            EXPECT_EQ(back.tomei, n.tomei);
            EXPECT_EQ(back.titleStyle, 9999);
        }
        EXPECT_EQ(back.titleFont, n.titleFont);
        EXPECT_EQ(back.bodyFont, n.bodyFont);
        EXPECT_EQ(back.waku, n.waku);
        EXPECT_EQ(back.deadline, n.deadline) << c.what;
        EXPECT_EQ(back.text, n.text) << c.what;
    }
}

TEST(NativePacket, FormatOfReceivedNotes) {
    // Fields 16..19 decide with the sender's version.
    auto parse = [](const std::wstring& version, const std::wstring& f16to19) {
        std::wstring s = L"KL_SEND;1.2.3.4;A（B）##0#@#@#" + version + L";2024/03/05;1:02:03;1;0;0;0;0;0;0;0;9;9;" +
                         f16to19 + L";F1;F2;0;1899/12/30;text";
        return ParseNativePacket(ToCp932(s), kNow);
    };
    struct Case {
        const wchar_t* version;
        const wchar_t* fields;
        std::optional<NoteFormat> want;
    };
    const Case cases[] = {
        {L"2.001", L"1;2;3;4", NoteFormat::Rich},    // begins with "2.00"
        {L"2.00", L"1;2;3;4", NoteFormat::Rich},
        {L"2.0", L"1;2;3;4", NoteFormat::Plain},
        {L"2.0", L"0;0;9999;0", NoteFormat::Rich},   // field 18 says rich text
        {L"2.01", L"x;y;z;w", NoteFormat::Plain},    // numbers that do not parse
        {L"1.00", L"1;x;y;", NoteFormat::Plain},     // older layout, fourth text empty
        {L"1.00", L"1;x;y;z", std::nullopt},         // older layout the program drops
        {L"1.23", L"2;0;9999;0", std::nullopt},
    };
    for (const auto& c : cases) {
        auto p = parse(c.version, c.fields);
        ASSERT_EQ(p.has_value(), c.want.has_value()) << c.version << L" " << c.fields;
        if (!p) continue;
        const auto& n = std::get<NoteSendPacket>(p->body);
        EXPECT_EQ(n.format, *c.want) << c.version << L" " << c.fields;
        EXPECT_FALSE(n.deadline);
    }
    auto old = parse(L"1.00", L"2;x;y;");
    EXPECT_EQ(std::get<NoteSendPacket>(old->body).displayMode, L"2");
    EXPECT_EQ(std::get<NoteSendPacket>(old->body).titleColour, 0);
    auto rich = parse(L"2.0", L"0;0;9999;0");
    EXPECT_EQ(std::get<NoteSendPacket>(rich->body).senderVersion, L"2.00");
}

TEST(NativePacket, NoteSeparatorsAndLimits) {
    NoteSendPacket n = SampleNote();
    n.titleFont = L"Font;Name";
    n.kanren = L"C:\\a;b\\c.txt";
    n.text = std::wstring(L"x\0y", 3);
    auto bytes = BuildNoteSend(n, NoteFormat::Plain);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->find('\0'), std::string::npos);
    auto parsed = ParseNativePacket(*bytes, kNow);
    ASSERT_TRUE(parsed);
    const auto& back = std::get<NoteSendPacket>(parsed->body);
    EXPECT_EQ(back.titleFont, L"Font；Name");
    EXPECT_EQ(back.kanren, L"C:\\a；b\\c.txt");
    EXPECT_EQ(back.bodyFont, n.bodyFont);
    EXPECT_EQ(back.text, L"xy");

    // Up to 65535 bytes in all; a longer note is refused, not cut.
    n = SampleNote();
    std::size_t head = BuildNoteSend(n, NoteFormat::Rich)->size() - ToCp932(n.text).size();
    n.text = std::wstring(kMaxNativeNotePacket - head, L'a');
    EXPECT_TRUE(BuildNoteSend(n, NoteFormat::Rich));
    n.text += L'a';
    EXPECT_FALSE(BuildNoteSend(n, NoteFormat::Rich));
}

TEST(NativePacket, PlainNoteLinesFollowTheLineCount) {
    EXPECT_EQ(PlainNoteLines(L"1\r2\r3\r4\r5", 3), (std::vector<std::wstring>{L"1", L"2", L"3"}));
    EXPECT_EQ(PlainNoteLines(L"1\r2", 5), (std::vector<std::wstring>{L"1", L"2"}));
    EXPECT_EQ(PlainNoteLines(L"1\r\r", -1), (std::vector<std::wstring>{L"1", L"", L""}));
    EXPECT_EQ(PlainNoteLines(L"1\r2", 0), std::vector<std::wstring>{});
    EXPECT_EQ(PlainNoteLines(L"", 1), std::vector<std::wstring>{L""});
}

}  // namespace
}  // namespace kelup
