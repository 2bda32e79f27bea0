#include "net/PacketTime.h"


namespace kelup {

namespace {

bool Leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysIn(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && Leap(y) ? 29 : days[m - 1];
}

// Reads 1..maxDigits digits at `i`.
bool Number(std::wstring_view s, std::size_t& i, int minDigits, int maxDigits, int& out) {
    int v = 0, n = 0;
    while (i < s.size() && n < maxDigits && s[i] >= L'0' && s[i] <= L'9') {
        v = v * 10 + (s[i] - L'0');
        ++i;
        ++n;
    }
    if (n < minDigits) return false;
    out = v;
    return true;
}

// Decimal with leading zeros up to `width` digits.
std::wstring Padded(int v, std::size_t width) {
    std::wstring digits = std::to_wstring(v < 0 ? -v : v);
    if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
    return v < 0 ? L"-" + digits : digits;
}

bool Sep(std::wstring_view s, std::size_t& i, wchar_t c) {
    if (i >= s.size() || s[i] != c) return false;
    ++i;
    return true;
}

bool DatePart(std::wstring_view s, std::size_t& i, LocalDateTime& t) {
    return Number(s, i, 4, 4, t.year) && Sep(s, i, L'/') && Number(s, i, 1, 2, t.month) && Sep(s, i, L'/') &&
           Number(s, i, 1, 2, t.day);
}

bool TimePart(std::wstring_view s, std::size_t& i, LocalDateTime& t) {
    return Number(s, i, 1, 2, t.hour) && Sep(s, i, L':') && Number(s, i, 2, 2, t.minute) && Sep(s, i, L':') &&
           Number(s, i, 2, 2, t.second);
}

}  // namespace

bool IsValidDateTime(const LocalDateTime& t) {
    return t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= DaysIn(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 &&
           t.second >= 0 && t.second <= 59;
}

std::wstring FormatShortDate(const LocalDateTime& t) {
    return Padded(t.year, 4) + L"/" + Padded(t.month, 2) + L"/" + Padded(t.day, 2);
}

std::wstring FormatLongTime(const LocalDateTime& t) {
    return Padded(t.hour, 1) + L":" + Padded(t.minute, 2) + L":" + Padded(t.second, 2);
}

std::wstring FormatDateTime(const LocalDateTime& t) { return FormatShortDate(t) + L" " + FormatLongTime(t); }

std::optional<LocalDateTime> ParseShortDate(std::wstring_view text) {
    LocalDateTime t;
    std::size_t i = 0;
    t.hour = t.minute = t.second = 0;
    if (!DatePart(text, i, t) || i != text.size() || !IsValidDateTime(t)) return std::nullopt;
    return t;
}

std::optional<LocalDateTime> ParseLongTime(std::wstring_view text, const LocalDateTime& base) {
    LocalDateTime t = base;
    std::size_t i = 0;
    if (!TimePart(text, i, t) || i != text.size()) return std::nullopt;
    LocalDateTime check = t;
    check.year = 2000, check.month = 1, check.day = 1;   // only the time is judged here
    if (!IsValidDateTime(check)) return std::nullopt;
    return t;
}

std::optional<LocalDateTime> ParseDateTime(std::wstring_view text) {
    LocalDateTime t;
    std::size_t i = 0;
    t.hour = t.minute = t.second = 0;
    if (!DatePart(text, i, t)) return std::nullopt;
    if (i < text.size() && !(Sep(text, i, L' ') && TimePart(text, i, t))) return std::nullopt;
    if (i != text.size() || !IsValidDateTime(t)) return std::nullopt;
    return t;
}

std::uint32_t DosDateTime(const LocalDateTime& t) {
    if (!IsValidDateTime(t) || t.year < 1980 || t.year > 2107) return 0;
    std::uint32_t date = (std::uint32_t(t.year - 1980) << 9) | (std::uint32_t(t.month) << 5) | std::uint32_t(t.day);
    std::uint32_t time = (std::uint32_t(t.hour) << 11) | (std::uint32_t(t.minute) << 5) | std::uint32_t(t.second / 2);
    return (date << 16) | time;
}

std::wstring DosDateTimeText(const LocalDateTime& t) { return std::to_wstring(DosDateTime(t)); }

std::uint32_t PacketNumberClock::Next(const LocalDateTime& now) {
    std::uint32_t n = DosDateTime(now);
    if (n <= last_ && last_ != 0xFFFFFFFFu) n = last_ + 1;
    last_ = n;
    return n;
}

}  // namespace kelup
