#pragma once
// The date and time as the user's regional settings write them: the short
// date and the long time, as the logs and the history window show them.

#include <windows.h>

#include <string>

namespace kelup {

inline std::wstring ShortDateOf(const SYSTEMTIME& st) {
    wchar_t buf[80] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, 80);
    return buf;
}

inline std::wstring LongTimeOf(const SYSTEMTIME& st) {
    wchar_t buf[80] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 80);
    return buf;
}

// Today in the short date format ("2026/12/08").
inline std::wstring TodayText() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return ShortDateOf(st);
}

// Now as "date time" ("2026/12/08 23:51:07").
inline std::wstring NowText() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return ShortDateOf(st) + L" " + LongTimeOf(st);
}

}  // namespace kelup
