#include "notes/NoteInfo.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(NoteInfo, OwnNoteWithoutDeadlineOrFileHasTwoLines) {
    NoteInfoFacts f;
    f.made = L"2026/12/10 9:05:00";
    f.dataName = L"kelup3.kdt";
    EXPECT_EQ(NoteInfoText(f), L"作成年月日：2026/12/10 9:05:00\r文字情報ﾌｧｲﾙ名：kelup3.kdt");
}

TEST(NoteInfo, ReceivedNoteWithDeadlineAndFile) {
    NoteInfoFacts f;
    f.made = L"M";
    f.dataName = L"kelup0.kdt";
    f.senderName = L"山田";
    f.sendDate = L"2026/12/01", f.sendTime = L"8:00:00";
    f.senderAddr = L"10.0.0.2";
    f.hasDeadline = true, f.deadlineDate = L"2026/12/24", f.deadlineTime = L"18:00:00";
    f.openFName = L"C:\\docs\\plan.xls";
    EXPECT_EQ(NoteInfoText(f), L"作成年月日：M\r文字情報ﾌｧｲﾙ名：kelup0.kdt\r送信者名：山田\r送信日時：2026/12/01　8:00:00"
                               L"\r送信元IPｱﾄﾞﾚｽ：10.0.0.2\r期日：2026/12/24 18:00:00\r関連づけられたファイル：plan.xls");
    f.everyDay = true;
    EXPECT_NE(NoteInfoText(f).find(L"\r期日：毎日　18:00:00\r"), std::wstring::npos);
}

}  // namespace
}  // namespace kelup
