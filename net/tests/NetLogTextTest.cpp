#include "net/NetLogText.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "dates/DateTime.h"

namespace kelup {
namespace {

long Day(int y, int m, int d) { return long(EncodeDateTime(CivilDateTime{y, m, d})); }

constexpr wchar_t kWhen[] = L"2026/12/08 23:51:07";
constexpr wchar_t kIdentity[] = L"山田（PC01）/営業##192.168.0.5##59630";

TEST(NetLogText, EachEntryLayoutLineByLine) {
    const std::vector<std::wstring> note = {L"会議は%%2026/12/18%%日後", L"", L"end"};
    const long today = Day(2026, 12, 8);
    struct Case {
        const char* what;
        std::wstring text;
        std::wstring expected;
    };
    const Case cases[] = {
        {"sent", SendEntryText(note, L"山田（PC01）", kWhen, today),
         L"<<送信>>\r\n[送信日時:2026/12/08 23:51:07]\r\n[送信先:山田（PC01）]\r\n"
         L"会議は10日後\r\n\r\nend\r\n\r\n\r\n"},
        {"received", RecvEntryText(note, kIdentity, kWhen, today),
         L"<<受信>>\r\n[受信日時:2026/12/08 23:51:07]\r\n[送信元:山田（PC01）/営業]\r\n"
         L"会議は10日後\r\n\r\nend\r\n\r\n\r\n"},
        {"refused by a full recipient", FullEntryText(1, kIdentity, kWhen, 99),
         L"<<送信失敗>>\r\n[送信日時:2026/12/08 23:51:07]\r\n[送信先:山田（PC01）/営業]\r\n"
         L"[理由:相手が作成できる付箋紙の最大枚数を超えているため送信できませんでした]\r\n\r\n\r\n"},
        {"refused, our slots full", FullEntryText(0, kIdentity, kWhen, 150),
         L"<<受信失敗>>\r\n[受信日時:2026/12/08 23:51:07]\r\n[送信元:山田（PC01）/営業]\r\n"
         L"[理由:付箋紙が最大枚数（150枚）に達しているため受信できませんでした]\r\n\r\n\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, c.expected) << c.what;
}

TEST(NetLogText, PlaceholdersCountFromTheDayOfLogging) {
    const std::vector<std::wstring> note = {L"%%2026/12/18%% と ％％２０２６／１２／０９％％"};
    std::wstring early = SendEntryText(note, L"a", kWhen, Day(2026, 12, 8));
    std::wstring late = SendEntryText(note, L"a", kWhen, Day(2026, 12, 9));
    EXPECT_NE(early.find(L"\r\n10 と １\r\n"), std::wstring::npos) << early;
    EXPECT_NE(late.find(L"\r\n9 と ０\r\n"), std::wstring::npos) << late;
}

TEST(NetLogText, NameCutAtTheFirstDoubleHash) {
    EXPECT_EQ(LogName(kIdentity), L"山田（PC01）/営業");
    EXPECT_EQ(LogName(L"192.168.0.9"), L"192.168.0.9");       // a typed address stays whole
    EXPECT_EQ(LogName(L"a#b##c##d"), L"a#b");
    EXPECT_EQ(LogName(L"##only"), L"");
    // Everything after the mark goes, however long it is.
    EXPECT_EQ(LogName(L"name##" + std::wstring(400, L'x')), L"name");
}

TEST(NetLogText, EditorCommandLineFitsIn255BytesOrIsRefused) {
    auto line = EditorCommandLine(L"C:\\windows\\notepad.exe", L"C:\\データ\\LOG\\kelup.nlg");
    ASSERT_TRUE(line);
    EXPECT_EQ(*line, L"C:\\windows\\notepad.exe \"C:\\データ\\LOG\\kelup.nlg\"");

    // Measured in code page 932 bytes: a full-width character counts twice.
    const std::wstring editor = L"e.exe";                          // 5 bytes, then space and quotes: 8
    for (auto [chars, fits] : {std::pair{247, true}, {248, false}}) {
        std::wstring ascii(size_t(chars), L'a');
        EXPECT_EQ(EditorCommandLine(editor, ascii).has_value(), fits) << chars;
    }
    for (auto [chars, fits] : {std::pair{123, true}, {124, false}}) {
        std::wstring wide(size_t(chars), L'あ');
        auto r = EditorCommandLine(editor, wide);
        EXPECT_EQ(r.has_value(), fits) << chars;
        if (r) {
            EXPECT_LE(ToCp932(*r).size(), kEditorCommandMax);
        }
    }
}

}  // namespace
}  // namespace kelup
