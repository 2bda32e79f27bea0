#include "net/SendRules.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(SendRules, DialectPerRecipient) {
    struct Case { const wchar_t* sex; const wchar_t* ver; SendDialect want; };
    const Case cases[] = {
        {L"0", L"2.00", SendDialect::Rich},     {L"1", L"2.001", SendDialect::Rich},
        {L"0", L"2.0", SendDialect::Plain},     {L"0", L"1.00", SendDialect::Plain},
        {L"8", L"1.00", SendDialect::IpMessenger}, {L"8", L"2.001", SendDialect::IpMessenger},
        {L"18", L"2.001", SendDialect::Rich},   {L"0", L"", SendDialect::Plain},
        {L"0", L"2.0x1", SendDialect::Plain},
    };
    for (const auto& c : cases) EXPECT_EQ(SendDialectFor(c.sex, c.ver), c.want) << c.sex << " " << c.ver;
}

TEST(SendRules, Texts) {
    EXPECT_EQ(SizeRefusalMessage(56001), L"サイズが 56001Byteもあるので送れませんでした！");
    EXPECT_EQ(JoinLines({L"a", L"", L"b"}, L"\r"), L"a\r\rb");
    EXPECT_EQ(JoinLines({}, L"\n"), L"");
    ListEntryParts a{L"佐藤", L"PC1", L"10.0.0.2", L"0", L"2.001"};
    ListEntryParts b{L"suzuki", L"QPC", L"10.0.0.3", L"8", L"1.00"};
    EXPECT_EQ(HistoryToLine({a, b}), L"To: 佐藤 (PC1): (10.0.0.2): suzuki (QPC): (10.0.0.3): ");
    EXPECT_EQ(LogRecipientName(a), L"佐藤（PC1）");
    EXPECT_EQ(SentOkText(L"佐藤", 0), L"付箋紙は正常に送信されました\r受信者名　佐藤");
    EXPECT_EQ(SentOkText(L"佐藤", 2), L"付箋紙は正常に送信されました\r受信者名　佐藤　ほか2名");
    EXPECT_NE(FullMessage(true).find(L"添付ファイル"), std::wstring::npos);
    EXPECT_EQ(FullMessage(false), L"相手が作成できる付箋紙の最大枚数を超えているため送信できませんでした");
}

TEST(SendRules, SingleRecipientAnswer) {
    SendWait w;
    w.AwaitAnswer = 1, w.AwaitNoteNo = 4, w.ShowResult = -1;
    RecieveOutcome o = OnRecieveAnswer(w);
    EXPECT_TRUE(o.last);
    EXPECT_TRUE(o.tell);
    EXPECT_EQ(o.others, 0);
    EXPECT_EQ(w.AwaitAnswer, 0);
    EXPECT_EQ(w.AwaitNoteNo, 999);
}

// Three recipients, of which the middle one is full: the send ends with the
// last answer, and the user is told only when that last one arrived well.
TEST(SendRules, SeveralRecipientsCountTheirAnswers) {
    struct Case { const char* answers; bool tellAtEnd; };
    const Case cases[] = {{"RRR", true}, {"RFR", true}, {"RRF", false}};
    for (const auto& c : cases) {
        SendWait w;
        w.AwaitAnswer = 1, w.PendingAnswers = 3, w.SentCount = 3, w.ShowResult = -1, w.NetDisabled = true;
        bool told = false;
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(w.NetDisabled) << c.answers << " before answer " << i;
            if (c.answers[i] == 'R') {
                RecieveOutcome o = OnRecieveAnswer(w);
                EXPECT_EQ(o.last, i == 2) << c.answers;
                if (o.last && o.tell) {
                    told = true;
                    EXPECT_EQ(o.others, 2);
                }
            } else {
                OnFullAnswer(w, 1000);
            }
        }
        EXPECT_EQ(told, c.tellAtEnd) << c.answers;
        EXPECT_FALSE(w.NetDisabled) << c.answers;
        EXPECT_EQ(w.AwaitNoteNo, 999);
    }
}

TEST(SendRules, ErrAfterFullIsSwallowedOnce) {
    SendWait w;
    w.AwaitAnswer = 1;
    OnFullAnswer(w, 0xFFFFF000u);               // near the wrap of the tick count
    EXPECT_FALSE(OnErrAnswer(w, 0x00000100u));  // 4352 ms later, across the wrap
    EXPECT_TRUE(OnErrAnswer(w, 0x00000200u));   // a second error is shown
    SendWait late;
    OnFullAnswer(late, 1000);
    EXPECT_TRUE(OnErrAnswer(late, 7000));
    SendWait none;
    none.AwaitAnswer = 1;
    EXPECT_TRUE(OnErrAnswer(none, 5));
    EXPECT_EQ(none.AwaitAnswer, 1);             // the send goes on retrying
}

}  // namespace
}  // namespace kelup
