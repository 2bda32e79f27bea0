#include "extras/HistoryText.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(HistoryText, DayLogNameHasFourDigitYearAndTwoDigitMonthAndDay) {
    EXPECT_EQ(DayLogName(2026, 3, 5), L"20260305.log");
    EXPECT_EQ(DayLogName(2026, 12, 31), L"20261231.log");
}

TEST(HistoryText, DayLogTakesTheLinesFromTheThirdOn) {
    const std::vector<std::wstring> header = {L"会話の履歴 2026/12/08"};
    const std::vector<std::wstring> headerAndBlank = {L"会話の履歴 2026/12/08", L" "};
    const std::vector<std::wstring> entry = {L"会話の履歴 2026/12/08", L" ", L"2026/12/08 10:00:00", L"To: 山田",
                                             L"本文"};
    EXPECT_EQ(DayLogAppendix({}, false), L"");
    EXPECT_EQ(DayLogAppendix(header, false), L"");
    EXPECT_EQ(DayLogAppendix(headerAndBlank, false), L"");
    EXPECT_EQ(DayLogAppendix(entry, false), L"\r\n2026/12/08 10:00:00\r\nTo: 山田\r\n本文\r\n");
    // A file that someone left without a final line end keeps its last line.
    EXPECT_EQ(DayLogAppendix(entry, true), L"\r\n\r\n2026/12/08 10:00:00\r\nTo: 山田\r\n本文\r\n");
}

TEST(HistoryText, AppendedLinesBreakAtEachLineAndInsideOne) {
    struct Case {
        std::vector<std::wstring> lines;
        bool afterText;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {{L" ", L"2026/12/08 10:00:00", L"From: 山田"}, true, L"\r \r2026/12/08 10:00:00\rFrom: 山田"},
        {{L"a", L"b"}, false, L"a\rb"},
        {{L"one\rtwo\r\nthree\nfour"}, true, L"\rone\rtwo\rthree\rfour"},
        {{L"", L""}, false, L"\r"},
        {{}, true, L""},
    };
    for (const Case& c : cases) EXPECT_EQ(AppendedLines(c.lines, c.afterText), c.expected);
}

TEST(HistoryText, HeaderCarriesTheDate) { EXPECT_EQ(TranscriptHeader(L"2026/12/08"), L"会話の履歴 2026/12/08"); }

}  // namespace
}  // namespace kelup
