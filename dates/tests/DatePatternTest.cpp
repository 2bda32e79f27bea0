#include "dates/DatePattern.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(DatePattern, InsertTextsOfTheEditors) {
    const CivilDateTime t{2024, 3, 5, 14, 7, 9};
    struct Case {
        DateInsert kind;
        const wchar_t* text;
    };
    const Case cases[] = {
        {DateInsert::WarekiDateTime, L"令和6年3月5日  14時7分"},
        {DateInsert::SeirekiDateTime, L"2024年3月5日  14時7分"},
        {DateInsert::Date1, L"令和6年3月5日"},
        {DateInsert::Date2, L"令6.3.5"},
        {DateInsert::Date3, L"2024年3月5日"},
        {DateInsert::Date4, L"2024/03/05"},
        {DateInsert::Time1, L"14時7分"},
        {DateInsert::Time2, L"2:7:9 PM"},
    };
    for (const Case& c : cases) EXPECT_EQ(DateInsertText(c.kind, t), c.text) << int(c.kind);
}

TEST(DatePattern, EraChangesOnItsFirstDay) {
    struct Case {
        int y, m, d;
        const wchar_t* date1;
    };
    const Case cases[] = {
        {2019, 4, 30, L"平成31年4月30日"}, {2019, 5, 1, L"令和1年5月1日"},
        {1989, 1, 7, L"昭和64年1月7日"},   {1989, 1, 8, L"平成1年1月8日"},
        {1926, 12, 24, L"大正15年12月24日"}, {1926, 12, 25, L"昭和1年12月25日"},
        {1912, 7, 29, L"明治45年7月29日"}, {1912, 7, 30, L"大正1年7月30日"},
        {1868, 1, 1, L"明治1年1月1日"},    {1867, 12, 31, L"1867年12月31日"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DateInsertText(DateInsert::Date1, CivilDateTime{c.y, c.m, c.d}), c.date1);
    }
    EXPECT_EQ(DateInsertText(DateInsert::Date2, CivilDateTime{1989, 1, 7}), L"昭64.1.7");
}

TEST(DatePattern, TwelveHourClockAndLiterals) {
    struct Case {
        int h, n;
        const wchar_t* text;
    };
    const Case cases[] = {{0, 5, L"12:5:0 AM"}, {11, 59, L"11:59:0 AM"}, {12, 0, L"12:0:0 PM"}, {23, 1, L"11:1:0 PM"}};
    for (const Case& c : cases) {
        EXPECT_EQ(DateInsertText(DateInsert::Time2, CivilDateTime{2024, 1, 1, c.h, c.n, 0}), c.text);
    }
    // Quoted text stays as it is even where it spells a pattern letter; an
    // unclosed quote runs to the end.
    EXPECT_EQ(FormatDatePattern(L"\"dd\"'mm'd \"yy", CivilDateTime{2024, 1, 2}), L"ddmm2 yy");
}

TEST(DatePattern, ScheduleTextsInBothWidths) {
    struct Case {
        int format;
        bool full;
        const wchar_t* text;
    };
    const Case cases[] = {
        {1, false, L"あと%%2025/03/31%%日"},
        {1, true, L"あと％％２０２５／０３／３１％％日"},
        {0, false, L"%%2025/03/31%%"},
        {-1, false, L"%%2025/03/31%%"},   // nothing chosen: the bare placeholder
        {2, false, L"まで%%2025/03/31%%日"},
        {3, true, L"まであと％％２０２５／０３／３１％％日"},
        {4, false, L"は%%2025/03/31%%日後"},
        {5, true, L"はあと％％２０２５／０３／３１％％日後"},
    };
    for (const Case& c : cases) EXPECT_EQ(ScheduleText(2025, 3, 31, c.format, c.full), c.text) << c.format;
    EXPECT_EQ(ScheduleText(2026, 1, 5, 0, false), L"%%2026/01/05%%");
}

}  // namespace
}  // namespace kelup
