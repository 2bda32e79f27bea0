#include "dates/DatePattern.h"

#include <cstdio>

#include "dates/Placeholders.h"

namespace kelup {

namespace {

struct EraStart {
    int year, month, day;
    const wchar_t* name;
};
// Newest first.
constexpr EraStart kEras[] = {
    {2019, 5, 1, L"令和"}, {1989, 1, 8, L"平成"}, {1926, 12, 25, L"昭和"}, {1912, 7, 30, L"大正"}, {1868, 1, 1, L"明治"},
};

bool OnOrAfter(int y, int m, int d, const EraStart& e) {
    if (y != e.year) return y > e.year;
    if (m != e.month) return m > e.month;
    return d >= e.day;
}

std::wstring Num(int v, int width) {
    wchar_t buf[16];
    std::swprintf(buf, 16, L"%0*d", width, v);
    return buf;
}

// How many times `c` repeats from `i` on (case-insensitive).
size_t Run(const std::wstring& p, size_t i, wchar_t c) {
    size_t n = 0;
    while (i + n < p.size() && (p[i + n] | 0x20) == c) ++n;
    return n;
}

bool StartsWithNoCase(const std::wstring& p, size_t i, const wchar_t* word) {
    for (size_t k = 0; word[k]; ++k) {
        if (i + k >= p.size() || (p[i + k] | 0x20) != (word[k] | 0x20)) return false;
    }
    return true;
}

}  // namespace

JapaneseEra EraOf(int year, int month, int day) {
    for (const EraStart& e : kEras) {
        if (OnOrAfter(year, month, day, e)) return JapaneseEra{e.name, year - e.year + 1};
    }
    return JapaneseEra{L"", year};
}

std::wstring FormatDatePattern(const std::wstring& p, const CivilDateTime& t) {
    const bool twelveHour = p.find(L"AM/PM") != std::wstring::npos || p.find(L"am/pm") != std::wstring::npos;
    const JapaneseEra era = EraOf(t.year, t.month, t.day);
    std::wstring out;
    size_t i = 0;
    while (i < p.size()) {
        wchar_t c = p[i];
        if (c == L'"' || c == L'\'') {
            size_t end = p.find(c, i + 1);
            if (end == std::wstring::npos) end = p.size();
            out.append(p, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (StartsWithNoCase(p, i, L"AM/PM")) {
            out += t.hour < 12 ? L"AM" : L"PM";
            i += 5;
            continue;
        }
        size_t n = 0;
        switch (c | 0x20) {
            case L'g':
                n = Run(p, i, L'g');
                if (n == 1) {
                    if (*era.name) out += era.name[0];
                } else {
                    out += era.name;
                }
                break;
            case L'e':
                n = Run(p, i, L'e');
                out += Num(era.year, n >= 2 ? 2 : 1);
                break;
            case L'y':
                n = Run(p, i, L'y');
                out += n <= 2 ? Num(t.year % 100, 2) : Num(t.year, 4);
                break;
            case L'm':
                n = Run(p, i, L'm');
                out += Num(t.month, n >= 2 ? 2 : 1);
                break;
            case L'd':
                n = Run(p, i, L'd');
                out += Num(t.day, n >= 2 ? 2 : 1);
                break;
            case L'h': {
                n = Run(p, i, L'h');
                int h = t.hour;
                if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
                out += Num(h, n >= 2 ? 2 : 1);
                break;
            }
            case L'n':
                n = Run(p, i, L'n');
                out += Num(t.minute, n >= 2 ? 2 : 1);
                break;
            case L's':
                n = Run(p, i, L's');
                out += Num(t.second, n >= 2 ? 2 : 1);
                break;
            default:
                out += c;
                n = 1;
                break;
        }
        i += n;
    }
    return out;
}

std::wstring DateInsertText(DateInsert kind, const CivilDateTime& t) {
    static const wchar_t* const kTime = L"  h\"時\"n\"分\"";
    switch (kind) {
        case DateInsert::WarekiDateTime:
            return FormatDatePattern(L"ggge\"年\"m\"月\"d\"日\"", t) + FormatDatePattern(kTime, t);
        case DateInsert::SeirekiDateTime:
            return FormatDatePattern(L"yyyy\"年\"m\"月\"d\"日\"", t) + FormatDatePattern(kTime, t);
        case DateInsert::Date1: return FormatDatePattern(L"ggge\"年\"m\"月\"d\"日\"", t);
        case DateInsert::Date2: return FormatDatePattern(L"ge\".\"m\".\"d", t);
        case DateInsert::Date3: return FormatDatePattern(L"yyyy\"年\"m\"月\"d\"日\"", t);
        case DateInsert::Date4: return FormatDatePattern(L"yyyy\"/\"mm\"/\"dd", t);
        case DateInsert::Time1: return FormatDatePattern(L"h\"時\"n\"分\"", t);
        case DateInsert::Time2: return FormatDatePattern(L"h\":\"n\":\"s\" \"AM/PM", t);
    }
    return {};
}

std::wstring ScheduleText(int year, int month, int day, int format, bool fullWidth) {
    static const wchar_t* const kBefore[] = {L"", L"あと", L"まで", L"まであと", L"は", L"はあと"};
    static const wchar_t* const kAfter[] = {L"", L"日", L"日", L"日", L"日後", L"日後"};
    if (format < 0 || format > 5) format = 0;
    std::wstring d = Num(year, 4) + L"/" + Num(month, 2) + L"/" + Num(day, 2);
    std::wstring marker = L"%%";
    if (fullWidth) {
        std::wstring z;
        for (wchar_t c : d) z += c == L'/' ? std::wstring(L"／") : HanToZen(c);
        d = z;
        marker = L"％％";
    }
    return kBefore[format] + marker + d + marker + kAfter[format];
}

}  // namespace kelup
