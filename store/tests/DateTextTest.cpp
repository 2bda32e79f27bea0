#include "store/DateText.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

using Order = DateTextFormat::Order;

DateTextFormat Format(Order o, wchar_t sep, int window = 50) {
    DateTextFormat f;
    f.order = o;
    f.dateSeparator = sep;
    f.twoDigitYearWindow = window;
    return f;
}

TEST(DateText, CivilDates) {
    EXPECT_EQ(DateFromCivil(1899, 12, 30), 0.0);
    EXPECT_EQ(DateFromCivil(1900, 3, 1), 61.0);
    EXPECT_EQ(DateFromCivil(2000, 1, 1), 36526.0);
    EXPECT_EQ(DateFromCivil(2024, 2, 29), 45351.0);
    EXPECT_FALSE(DateFromCivil(2023, 2, 29));
    EXPECT_FALSE(DateFromCivil(0, 1, 1));
    EXPECT_FALSE(DateFromCivil(2000, 13, 1));
    EXPECT_EQ(YearOfDateTime(36526.99), 2000);
    EXPECT_EQ(YearOfDateTime(36525.5), 1999);
}

TEST(DateText, Dates) {
    const double may1 = *DateFromCivil(1998, 5, 1);
    struct Case { std::wstring text; DateTextFormat f; std::optional<double> want; };
    const Case cases[] = {
        {L"1998/05/01", {}, may1},
        {L" 1998 / 5 / 1 ", {}, may1},
        {L"98/05/01", {}, may1},                                   // within 50 years before 2026
        {L"75/05/01", {}, DateFromCivil(2075, 5, 1)},
        {L"98/05/01", Format(Order::YMD, L'/', 0), DateFromCivil(2098, 5, 1)},
        {L"5/1", {}, DateFromCivil(2026, 5, 1)},                   // month and day of this year
        {L"05/01/1998", Format(Order::MDY, L'/'), may1},
        {L"01.05.1998", Format(Order::DMY, L'.'), may1},
        {L"1.5", Format(Order::DMY, L'.'), DateFromCivil(2026, 5, 1)},
        {L"1998/02/30", {}, std::nullopt},
        {L"1998-05-01", {}, std::nullopt},
        {L"1998/05/01/02", {}, std::nullopt},
        {L"19980/05/01", {}, std::nullopt},
        {L"1998/05/01 x", {}, std::nullopt},
        {L"", {}, std::nullopt},
        {L"/", {}, std::nullopt},
    };
    for (const auto& k : cases) EXPECT_EQ(ParseDateText(k.text, k.f, 2026), k.want) << k.text;
}

TEST(DateText, TimesAndDateTimes) {
    struct Case { std::wstring text; std::optional<double> want; };
    const Case times[] = {
        {L"18:00:00", 0.75},     {L"6:00", 0.25},          {L"6:00:00 PM", 0.75}, {L"午後6:00:00", 0.75},
        {L"12:00 AM", 0.0},      {L"12:00 pm", 0.5},       {L"6 PM", 0.75},       {L"0:00:00.500", 0.5 / 86400},
        {L"24:00", std::nullopt}, {L"13:00 PM", std::nullopt}, {L"6", std::nullopt}, {L"6:60", std::nullopt},
        {L"6:", std::nullopt},   {L"", std::nullopt},
    };
    for (const auto& k : times) EXPECT_EQ(ParseTimeText(k.text, {}), k.want) << k.text;

    const double may1 = *DateFromCivil(1998, 5, 1);
    const Case dateTimes[] = {
        {L"1998/05/01 12:00:00", may1 + 0.5},
        {L"1998/05/01", may1},
        {L"1998/05/01 午前 6:00", may1 + 0.25},
        {L"1998/05/01 12", std::nullopt},
        {L"12:00:00", std::nullopt},   // a time alone is no creation date
        {L"1899/12/29 12:00", -1.5},  // before the epoch the fraction counts back
    };
    for (const auto& k : dateTimes) EXPECT_EQ(ParseDateTimeText(k.text, {}, 2026), k.want) << k.text;
}

TEST(DateText, FormatFromTheShortDatePattern) {
    struct Case { std::wstring pattern; Order order; wchar_t sep; };
    for (const auto& k : {Case{L"yyyy/MM/dd", Order::YMD, L'/'}, Case{L"M/d/yyyy", Order::MDY, L'/'},
                          Case{L"dd.MM.yyyy", Order::DMY, L'.'}, Case{L"yyyy-MM-dd", Order::YMD, L'-'},
                          Case{L"'date' d/M/yy", Order::DMY, L'/'}}) {
        DateTextFormat f = DateTextFormat::FromShortDatePattern(k.pattern);
        EXPECT_EQ(f.order, k.order) << k.pattern;
        EXPECT_EQ(f.dateSeparator, k.sep) << k.pattern;
    }
}

}  // namespace
}  // namespace kelup
