#pragma once
// Dates and times that older data files keep as text, in the system's short
// date and long time forms of the day the file was written (for example
// "1998/05/01 9:30:00" on a Japanese system). Parsed without the system:
// the caller passes the date order and separators it reads from the system.

#include <optional>
#include <string_view>

namespace kelup {

struct DateTextFormat {
    enum class Order { YMD, MDY, DMY };
    Order order = Order::YMD;
    wchar_t dateSeparator = L'/';
    wchar_t timeSeparator = L':';
    // Two-digit years fall within this many years before the current year
    // and the years after it up to a hundred in all (50: in 2026, "75" is
    // 2075 and "76" is 1976). 0 puts them in the current century.
    int twoDigitYearWindow = 50;

    // Order and separator from a short date pattern such as "yyyy/MM/dd",
    // "M/d/yy" or "dd.MM.yyyy": the first of y, M, d decides the order, the
    // first character that is none of them the separator.
    static DateTextFormat FromShortDatePattern(std::wstring_view pattern, wchar_t timeSeparator = L':');
};

// Days since 1899-12-30 for a calendar date of years 1 to 9999, or nothing.
std::optional<double> DateFromCivil(int year, int month, int day);
// The calendar year of a date-time value (for values of years 1 to 9999).
int YearOfDateTime(double value);

// Three numbers in the format's order; two numbers are month and day (in the
// format's order) of the current year. Blanks around the items are allowed.
std::optional<double> ParseDateText(std::wstring_view text, const DateTextFormat& format, int currentYear);
// Hours and minutes, optionally seconds and milliseconds, each separated by
// the time separator, with an optional AM/PM or 午前/午後 before or after.
// The value is the fraction of the day.
std::optional<double> ParseTimeText(std::wstring_view text, const DateTextFormat& format);
// A date, optionally followed by a time (a time alone is no date-time).
std::optional<double> ParseDateTimeText(std::wstring_view text, const DateTextFormat& format, int currentYear);

}  // namespace kelup
