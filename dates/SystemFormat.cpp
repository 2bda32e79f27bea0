#include "dates/SystemFormat.h"

#include <windows.h>

namespace kelup {

std::wstring SystemDateText(const CivilDateTime& t) {
    SYSTEMTIME st{};
    st.wYear = WORD(t.year), st.wMonth = WORD(t.month), st.wDay = WORD(t.day);
    wchar_t buf[64] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, 64);
    return buf;
}

std::wstring SystemTimeText(const CivilDateTime& t) {
    SYSTEMTIME st{};
    st.wYear = 2000, st.wMonth = 1, st.wDay = 1;
    st.wHour = WORD(t.hour), st.wMinute = WORD(t.minute), st.wSecond = WORD(t.second);
    wchar_t buf[64] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 64);
    return buf;
}

}  // namespace kelup
