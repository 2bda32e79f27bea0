#include "net/PacketTime.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(PacketTime, FormatsOfAJapaneseSystem) {
    LocalDateTime t{2024, 3, 5, 14, 7, 9};
    EXPECT_EQ(FormatShortDate(t), L"2024/03/05");
    EXPECT_EQ(FormatLongTime(t), L"14:07:09");
    EXPECT_EQ(FormatLongTime({2026, 12, 8, 9, 5, 3}), L"9:05:03");
    EXPECT_EQ(FormatDateTime({2026, 12, 8, 23, 51, 7}), L"2026/12/08 23:51:07");
    EXPECT_EQ(FormatShortDate(LocalDateTime{}), L"1899/12/30");
}

TEST(PacketTime, ParsingTakesOnlyRealDatesAndTimes) {
    struct Case {
        const wchar_t* text;
        std::optional<LocalDateTime> want;
    };
    const Case cases[] = {
        {L"2024/03/05", LocalDateTime{2024, 3, 5, 0, 0, 0}},
        {L"2024/3/5", LocalDateTime{2024, 3, 5, 0, 0, 0}},
        {L"2024/02/29 9:05:03", LocalDateTime{2024, 2, 29, 9, 5, 3}},
        {L"1899/12/30", LocalDateTime{1899, 12, 30, 0, 0, 0}},
        {L"2023/02/29", std::nullopt},
        {L"2024/13/01", std::nullopt},
        {L"2024/00/10", std::nullopt},
        {L"2024/01/01 24:00:00", std::nullopt},
        {L"2024/01/01 9:5:3", std::nullopt},
        {L"2024/01/01 ", std::nullopt},
        {L"24/3/5", std::nullopt},
        {L"2024-03-05", std::nullopt},
        {L" 2024/03/05", std::nullopt},
        {L"20240/03/05", std::nullopt},
        {L"", std::nullopt},
        {L"９９９９/01/01", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseDateTime(c.text), c.want) << c.text;
    EXPECT_EQ(ParseShortDate(L"2024/03/05 1:00:00"), std::nullopt);
    LocalDateTime base{2024, 3, 5, 0, 0, 0};
    EXPECT_EQ(ParseLongTime(L"23:59:59", base), (LocalDateTime{2024, 3, 5, 23, 59, 59}));
    EXPECT_EQ(ParseLongTime(L"12:60:00", base), std::nullopt);
    EXPECT_EQ(ParseLongTime(L"-1:00:00", base), std::nullopt);
}

TEST(PacketTime, DosDateTimeValues) {
    // 2024-03-05 14:07:09: date (44<<9 | 3<<5 | 5), time (14<<11 | 7<<5 | 9/2).
    EXPECT_EQ(DosDateTime({2024, 3, 5, 14, 7, 9}), (22629u << 16) | 28900u);
    EXPECT_EQ(DosDateTimeText({2024, 3, 5, 14, 7, 9}), L"1483043044");
    EXPECT_EQ(DosDateTime({1980, 1, 1, 0, 0, 0}), (33u << 16));
    EXPECT_EQ(DosDateTime({1979, 12, 31, 23, 59, 59}), 0u);
    EXPECT_EQ(DosDateTime({2108, 1, 1, 0, 0, 0}), 0u);
    EXPECT_EQ(DosDateTime({2024, 2, 30, 0, 0, 0}), 0u);
    // Past 2043 the value has its top bit set; it is written unsigned.
    EXPECT_EQ(DosDateTimeText({2107, 12, 31, 23, 59, 58}), L"4288659325");
}

TEST(PacketTime, PacketNumbersNeverRepeat) {
    PacketNumberClock clock;
    LocalDateTime t{2024, 3, 5, 14, 7, 8};
    std::uint32_t a = clock.Next(t);
    std::uint32_t b = clock.Next(t);                         // same two seconds
    std::uint32_t c = clock.Next({2024, 3, 5, 14, 7, 9});   // still the same two seconds
    std::uint32_t d = clock.Next({2024, 3, 5, 15, 0, 0});
    EXPECT_EQ(a, DosDateTime(t));
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(c, a + 2);
    EXPECT_EQ(d, DosDateTime({2024, 3, 5, 15, 0, 0}));
    EXPECT_GT(clock.Next({2000, 1, 1, 0, 0, 0}), d);          // clock set back
}

}  // namespace
}  // namespace kelup
