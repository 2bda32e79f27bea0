#include "net/ReceiveRules.h"

#include "app/Settings.h"
#include "base/Cp932.h"
#include "net/SendList.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

const LocalDateTime kNow{2024, 3, 5, 14, 7, 9};

NoteSendPacket Parsed(const std::wstring& packet) {
    auto p = ParseNativePacket(ToCp932(packet), kNow);
    EXPECT_TRUE(p);
    if (!p) return {};
    return std::get<NoteSendPacket>(p->body);
}

std::wstring PlainPacket(const std::wstring& addr, const std::wstring& lineCount, const std::wstring& text) {
    return L"KL_SEND;" + addr + L";Taro（PC01）/Sales##1#@#@#2.010|@|@|memo.txt;2024/03/01;9:05:00;" + lineCount +
           L";1;3;255;100;200;300;150;14;10;16711680;65280;1010;1;ＭＳ 明朝;ＭＳ ゴシック;3;2024/04/01;" + text;
}

SendLists FriendsWith(const std::wstring& entry) {
    SendLists lists;
    lists.LoadFriends({entry});
    return lists;
}

TEST(ReceiveRules, PlainNoteTakesItsLookFromThePacket) {
    Settings defaults;
    SendLists lists;
    ReceivedNote n = PlanNativeNote(Parsed(PlainPacket(L"10.0.0.5", L"3", L"one\rtwo\rthree\rfour\rfive")),
                                    L"10.0.0.9", lists, defaults);
    EXPECT_EQ(n.IP_Addr, L"10.0.0.5");
    EXPECT_EQ(n.R1.Color, 255);
    EXPECT_EQ(n.R1.Left, 100);
    EXPECT_EQ(n.R1.Top, 200);
    EXPECT_EQ(n.R1.Width, 300);
    EXPECT_EQ(n.R1.Height, 150);
    EXPECT_EQ(n.R1.FontSize1, 14);
    EXPECT_EQ(n.R1.FontSize2, 10);
    EXPECT_EQ(n.R1.FontColor1, 16711680);
    EXPECT_EQ(n.R1.FontColor2, 65280);
    EXPECT_EQ(n.R1.FontStyle1, 1010);
    EXPECT_EQ(n.R1.FontStyle2, 1);
    EXPECT_EQ(n.R1.Waku, 3);
    EXPECT_EQ(n.R1.Border, 1);
    EXPECT_EQ(n.FName1, L"ＭＳ 明朝");
    EXPECT_EQ(n.FName2, L"ＭＳ ゴシック");
    EXPECT_EQ(n.SKey, 1);
    EXPECT_EQ(n.R1.KeyOpen, 1);
    EXPECT_TRUE(n.ConfirmWanted());
    EXPECT_TRUE(n.ReceiptWanted());
    ASSERT_TRUE(n.deadline);
    EXPECT_EQ(n.deadline->month, 4);
    EXPECT_FALSE(n.rich);
    // The line count says how many lines of the text there are.
    EXPECT_EQ(n.lines, (std::vector<std::wstring>{L"one", L"two", L"three"}));
    EXPECT_EQ(n.senderName, L"Taro（PC01）/Sales");
    EXPECT_EQ(n.historyName, L"Taro（PC01）");
    EXPECT_EQ(n.Sex, L"0");
    EXPECT_EQ(n.Sex2, L"0");
    // The associated file of a plain note is only a name: not taken.
    EXPECT_EQ(n.openFName, L"");
}

TEST(ReceiveRules, HostileValuesAreHeldToSaneBounds) {
    Settings defaults;
    SendLists lists;
    std::wstring packet = L"KL_SEND;not-an-address;X（Y）##0#@#@#2.010;;;99999999;7;-4;-1;-999999;999999;999999;"
                          L"999999;99999;0;-5;-5;123456;9999;\x01\x02;;;;a\rb\nc";
    ReceivedNote n = PlanNativeNote(Parsed(packet), L"10.0.0.9", lists, defaults);
    EXPECT_EQ(n.IP_Addr, L"10.0.0.9");   // the source when the packet names no address
    EXPECT_EQ(n.SKey, 2);
    EXPECT_EQ(n.SZen, 0);
    EXPECT_EQ(n.R1.Color, defaults.Colorx64);
    EXPECT_LE(n.R1.Width, kMaxNoteCoordinate);
    EXPECT_GE(n.R1.Left, -kMaxNoteCoordinate);
    EXPECT_EQ(n.R1.FontSize1, kMaxReceivedFontSize);
    EXPECT_EQ(n.R1.FontSize2, kMaxReceivedFontSize);   // 0: that of the title
    EXPECT_EQ(n.R1.FontColor1, defaults.FontColor);
    EXPECT_EQ(n.R1.FontStyle1, 1111);                  // 123456: digits present
    EXPECT_EQ(n.R1.FontStyle2, 1111);
    EXPECT_EQ(n.R1.Waku, defaults.Waku);               // no frame style given
    EXPECT_EQ(n.FName1, defaults.FontName);
    EXPECT_FALSE(n.deadline);
    // Line feeds in a plain line do not make more lines.
    EXPECT_EQ(n.lines, (std::vector<std::wstring>{L"a", L"bc"}));
}

TEST(ReceiveRules, RichNoteKeepsItsAssociatedFileAndSafeText) {
    Settings defaults;
    SendLists lists;
    std::wstring packet =
        L"KL_SEND;10.0.0.5;Taro（PC01）##0#@#@#2.001|@|@|C:\\tools\\run.bat;2024/03/01;9:05:00;2;0;0;12648447;1;2;"
        L"272;60;12;12;0;0;9999;0;Arial;Arial;1;1899/12/30;"
        L"{\\rtf1 hello{\\object\\objemb{\\*\\objdata 0102}}\\par}";
    ReceivedNote n = PlanNativeNote(Parsed(packet), L"10.0.0.5", lists, defaults);
    EXPECT_TRUE(n.rich);
    EXPECT_EQ(n.openFName, L"C:\\tools\\run.bat");
    EXPECT_EQ(n.rtf, "{\\rtf1 hello\\par}");
    EXPECT_FALSE(n.deadline);
}

TEST(ReceiveRules, FriendsAreNamedFromTheirEntry) {
    Settings defaults;
    std::wstring entry = ListNameEdit(L"Hanako（PC07）", L"10.0.0.5", L"0", L"2.001");
    SendLists lists = FriendsWith(entry);
    ReceivedNote n = PlanNativeNote(Parsed(PlainPacket(L"10.0.0.5", L"1", L"x")), L"10.0.0.5", lists, defaults);
    EXPECT_EQ(n.FMode, 1);
    EXPECT_EQ(n.senderName, L"Hanako（PC07）/Sales");
    EXPECT_EQ(n.historyName, L"Hanako（PC07）");
    EXPECT_EQ(ReceivedSenderName(L"Old（PC02）", std::nullopt), L"Old（PC02）");
}

TEST(ReceiveRules, IpMsgMessageFlagsAndIdentity) {
    struct Case {
        std::uint32_t command;
        int key, zen;
        bool autoReply;
    };
    const Case cases[] = {
        {32, 0, 0, false},
        {288, 0, 0, false},
        {800, 1, 2, false},            // check + secret
        {288 + 32768, 2, 2, false},    // password
        {800 + 32768, 2, 2, false},    // password wins over secret
        {32 + 8192, 0, 0, true},       // automatic reply
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IpMsgHiding(c.command), std::make_pair(c.key, c.zen)) << c.command;
        EXPECT_EQ(IpMsgAutoReply(c.command), c.autoReply) << c.command;
    }
    Settings defaults;
    SendLists lists;
    IpMsgPacket p;
    p.packetNo = L"12345";
    p.packetNumber = 12345;
    p.user = L"suzuki";
    p.host = L"PC9";
    p.command = 800;
    p.extra = L"first\r\nsecond\nthird";
    ReceivedNote n = PlanIpMsgNote(p, L"10.0.0.7", lists, defaults, kNow);
    EXPECT_EQ(n.SHostName, L"suzuki（PC9）##12345#@#@#1.00");
    EXPECT_EQ(n.senderName, L"suzuki（PC9）");
    EXPECT_EQ(n.Sex, L"8");
    EXPECT_EQ(n.Sex2, L"12345");
    EXPECT_EQ(n.SKey, 1);
    EXPECT_EQ(n.R1.Waku, 0);
    EXPECT_EQ(n.R1.Color, defaults.Colorx64);
    EXPECT_EQ(n.sent, kNow);
    EXPECT_EQ(n.lines, (std::vector<std::wstring>{L"first", L"second", L"third"}));

    // A listed IP Messenger peer is named as listed.
    lists.Add(PeerInfo{L"Suzu（PC9）", L"G", L"10.0.0.7", L"8", L"1.00"}, MatchMode::ByAddress);
    EXPECT_EQ(PlanIpMsgNote(p, L"10.0.0.7", lists, defaults, kNow).historyName, L"Suzu（PC9）");
    EXPECT_EQ(IpMsgOpener(lists, L"10.0.0.7", L"suzuki", L"PC9"), L"Suzu/PC9");
    EXPECT_EQ(IpMsgOpener(lists, L"10.0.0.8", L"sato", L"PC3"), L"sato/PC3");
}

TEST(ReceiveRules, RepeatedMessagesAreTakenOnce) {
    IpMsgRepeatFilter f;
    EXPECT_TRUE(f.Accept(77, L"10.0.0.1"));
    EXPECT_FALSE(f.Accept(77, L"10.0.0.1"));
    EXPECT_TRUE(f.Accept(77, L"10.0.0.2"));   // another sender's number
    EXPECT_TRUE(f.Accept(0, L"10.0.0.2"));
    EXPECT_TRUE(f.Accept(0, L"10.0.0.2"));    // 0 is never a repeat
    EXPECT_TRUE(f.Accept(78, L"10.0.0.2"));
}

TEST(ReceiveRules, HistoryFaceAndReceiptTexts) {
    EXPECT_EQ(ArrivalHistoryLines(L"2024/03/05 14:07:09", L"Taro（PC01）", L"10.0.0.5"),
              (std::vector<std::wstring>{L" ", L"2024/03/05 14:07:09", L"From: Taro（PC01） (10.0.0.5)"}));
    EXPECT_EQ(HistoryTextLines({L"a", L">quoted", L"", L" >b"}), (std::vector<std::wstring>{L"a", L"", L" >b"}));
    EXPECT_EQ(SealedFaceLines(L"Taro", L"2024/03/01 9:05:00"),
              (std::vector<std::wstring>{L"A Message", L"From Taro", L"At 2024/03/01 9:05:00", L""}));

    ReceiptNotice open = ReadReceiptNotice(ReceiptKind::Opened, L"Taro", L"T");
    EXPECT_EQ(open.message, L"付箋紙が読まれました\r開封者名　Taro\r開封日時　T");
    EXPECT_EQ(open.historyLines, (std::vector<std::wstring>{L" ", L"T\r付箋紙が読まれました\r開封者名　Taro"}));
    EXPECT_EQ(ReadReceiptNotice(ReceiptKind::AbsentOpened, L"Taro", L"T").message,
              L"不在者宛にポストした付箋紙が読まれました\r開封者名　Taro\r開封日時　T");
    EXPECT_EQ(ReadReceiptNotice(ReceiptKind::IpMsgOpened, L"a/PC", L"T").message,
              L"メッセージが開封されました\r開封者名　a/PC\r開封日時　T");
}

TEST(ReceiveRules, OnlyLinksFromOtherComputersAsk) {
    struct Case {
        const wchar_t* target;
        bool free;
    };
    const Case cases[] = {{L"http://example.com/", true}, {L"C:\\Windows\\notepad.exe", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(OpenNeedsQuestion(c.target, L"10.0.0.5"), !c.free) << c.target;
        EXPECT_FALSE(OpenNeedsQuestion(c.target, L"")) << c.target;   // the user's own note
    }
    std::wstring q = OpenQuestionText(L"Taro（PC01）", L"10.0.0.5", L"C:\\x.bat");
    EXPECT_NE(q.find(L"Taro（PC01） (10.0.0.5)"), std::wstring::npos);
    EXPECT_NE(q.find(L"C:\\x.bat"), std::wstring::npos);
}

TEST(ReceiveRules, RtfSanitising) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        // Ordinary text and formatting pass unchanged.
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 a\\'82\\'a0\\b b\\b0\\par}",
         "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 a\\'82\\'a0\\b b\\b0\\par}"},
        // Embedded objects go whole.
        {"{\\rtf1 a{\\object\\objautlink{\\*\\objclass Package}{\\*\\objdata 01}{\\result r}}b}", "{\\rtf1 ab}"},
        // Fields keep their result as plain text, not their instruction.
        {"{\\rtf1 {\\field{\\*\\fldinst INCLUDEPICTURE \"\\\\\\\\srv\\\\x.png\" \\\\d}{\\fldrslt shown}}}",
         "{\\rtf1 {{shown}}}"},
        {"{\\rtf1 {\\field{\\*\n\\fldinst{INCLUDETEXT c:\\\\a.txt}}{\\fldrslt\\b x}}}", "{\\rtf1 {{\\b x}}}"},
        // A linked template and picture properties go; the picture stays.
        {"{\\rtf1{\\*\\template C:\\\\evil.dot}{\\pict{\\*\\picprop{\\sp{\\sn pibName}}}\\pngblip 89ab}}",
         "{\\rtf1{\\pict\\pngblip 89ab}}"},
        // A destination that must go, met inside a group, takes the rest of it.
        {"{\\rtf1 {\\fldrs\\*\\fldinst INCLUDEPICTURE x}y}", "{\\rtf1 {\\fldrs\\*}y}"},
        // Binary runs never pass, whatever they hold.
        {"{\\rtf1 {\\pict\\bin4 }}{}x}", "{\\rtf1 {\\pict x}}"},
        {"{\\rtf1 \\b{\\object o}1}", "{\\rtf1 \\b 1}"},
        {"{\\rtf1 a\\bin99999999999999999999", "{\\rtf1 a}"},
        // Broken nesting is closed; what follows the document is not kept.
        {"{\\rtf1 {\\b a", "{\\rtf1 {\\b a}}"},
        {"{\\rtf1 a}}}{\\object x}", "{\\rtf1 a}"},
        {"{\\rtf1 a\\", "{\\rtf1 a}"},
        // Not RTF: shown as plain text, as it is.
        {"plain {\\object}", "plain {\\object}"},
    };
    for (const auto& c : cases) EXPECT_EQ(SanitizeRtf(c.in), c.out) << c.in;

    // Deep nesting is cut at the depth limit.
    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < 5000; ++i) deep += "{x";
    std::string safe = SanitizeRtf(deep);
    int depth = 0, maxDepth = 0;
    for (char ch : safe) {
        depth += ch == '{' ? 1 : ch == '}' ? -1 : 0;
        maxDepth = std::max(maxDepth, depth);
        ASSERT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(maxDepth, kMaxRtfDepth);
    // NUL bytes never reach the control.
    EXPECT_EQ(SanitizeRtf(std::string("{\\rtf1 a\0b}", 11)), "{\\rtf1 ab}");
}

}  // namespace
}  // namespace kelup
