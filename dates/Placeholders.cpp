#include "dates/Placeholders.h"

#include "dates/DateTime.h"

namespace kelup {

namespace {

constexpr std::wstring_view kHalfMarker = L"%%";
constexpr std::wstring_view kFullMarker = L"％％";

// A decimal number made of digits only; false for anything else.
bool Number(std::wstring_view s, int& value) {
    if (s.empty()) return false;
    value = 0;
    for (wchar_t c : s) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    return true;
}

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && LeapYear(y) ? 29 : kDays[m - 1];
}

std::wstring Slice(std::wstring_view s, size_t from, size_t n) {
    return from >= s.size() ? std::wstring() : std::wstring(s.substr(from, n));
}

}  // namespace

std::wstring HanToZen(wchar_t c) {
    if (c >= L'0' && c <= L'9') return std::wstring(1, wchar_t(L'０' + (c - L'0')));
    if (c == L'-') return L"－";
    return L"";
}

wchar_t ZenToHan(std::wstring_view s) {
    if (s.size() != 1) return L' ';
    wchar_t c = s[0];
    if (c >= L'０' && c <= L'９') return wchar_t(L'0' + (c - L'０'));
    if (c == L'－') return L'-';
    return L' ';
}

void Count2byte(std::wstring_view s, int& Z1, int& H1) {
    Z1 = H1 = 0;
    for (wchar_t c : s) {
        if (c >= 0xD800 && c <= 0xDBFF) ++Z1;
        else if (c < 0xDC00 || c > 0xDFFF) ++H1;
    }
}

long DateOfField(std::wstring_view field, long today) {
    int y = 0, m = 0, d = 0;
    if (!Number(Slice(field, 0, 4), y) || !Number(Slice(field, 5, 2), m) || !Number(Slice(field, 8, 2), d))
        return today;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return today;
    return long(EncodeDateTime(CivilDateTime{y, m, d}));
}

void SearchX(std::wstring& S, int Mode, long today) {
    for (;;) {
        size_t p = S.find(kHalfMarker), q = S.find(kFullMarker);
        if (p == std::wstring::npos && q == std::wstring::npos) return;
        bool half = p != std::wstring::npos;
        size_t at = half ? p : q;
        std::wstring field = Slice(S, at + 2, 10);
        S.erase(at, kPlaceholderLength);
        std::wstring shown;
        if (half) {
            shown = std::to_wstring(DateOfField(field, today) - today);
        } else {
            for (wchar_t& c : field) c = c == L'／' ? L'/' : ZenToHan(std::wstring_view(&c, 1));
            for (wchar_t c : std::to_wstring(DateOfField(field, today) - today)) shown += HanToZen(c);
        }
        S.insert(at, shown);
        if (Mode == 0) return;
    }
}

std::vector<PlaceholderEdit> LineEdits(std::wstring line, long today) {
    std::vector<PlaceholderEdit> edits;
    for (std::wstring_view marker : {kHalfMarker, kFullMarker}) {
        for (size_t p = line.find(marker); p != std::wstring::npos; p = line.find(marker)) {
            PlaceholderEdit e;
            e.pos = p;
            e.length = std::min<size_t>(kPlaceholderLength, line.size() - p);
            e.text = line.substr(p, e.length);
            SearchX(e.text, 0, today);
            line.replace(p, e.length, e.text);
            edits.push_back(std::move(e));
        }
    }
    return edits;
}

bool HasPlaceholderMarker(std::wstring_view text) {
    return text.find(kHalfMarker) != std::wstring_view::npos || text.find(kFullMarker) != std::wstring_view::npos;
}

}  // namespace kelup
