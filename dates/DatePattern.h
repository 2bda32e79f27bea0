#pragma once
// Dates and times written with a date-time pattern of the Japanese locale:
// "gg" (or more g) the era name, "g" its first letter, "e" the year of the
// era, "yyyy" the year, "m"/"mm" the month, "d"/"dd" the day, "h" the hour,
// "n" the minute, "s" the second, "AM/PM" the 12-hour clock with "AM" or
// "PM" after it; text in double quotes is written as it stands.

#include <string>

#include "dates/DateTime.h"

namespace kelup {

struct JapaneseEra {
    const wchar_t* name = L"";   // "令和"
    int year = 0;                // year of the era (1 for the first year)
};
// The era of a day, by the era table of Windows (Meiji from 1868-01-01);
// an empty name and the Western year before it.
JapaneseEra EraOf(int year, int month, int day);

std::wstring FormatDatePattern(const std::wstring& pattern, const CivilDateTime& t);

// The date and time texts the editors insert.
enum class DateInsert {
    WarekiDateTime,   // 令和6年3月5日  14時7分
    SeirekiDateTime,  // 2024年3月5日  14時7分
    Date1,            // 令和6年3月5日
    Date2,            // 令6.3.5
    Date3,            // 2024年3月5日
    Date4,            // 2024/03/05
    Time1,            // 14時7分
    Time2,            // 2:7:9 PM
};
std::wstring DateInsertText(DateInsert kind, const CivilDateTime& t);

// The countdown text of the schedule-date dialog: phrasing `format` (0..5,
// anything else as 0) around the placeholder of the day, half-width or
// full-width.
std::wstring ScheduleText(int year, int month, int day, int format, bool fullWidth);

}  // namespace kelup
