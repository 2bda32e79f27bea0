#include "store/DateText.h"

#include <cmath>

namespace kelup {

namespace {

// 1899-12-30 counted from 1970-01-01.
constexpr long kEpochOffset = 25569;

long DaysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

long YearFromDays(long z) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return static_cast<long>(yoe) + era * 400 + (m <= 2);
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

class Scanner {
public:
    explicit Scanner(std::wstring_view s) : s_(s) {}

    void Blanks() {
        while (i_ < s_.size() && (s_[i_] == L' ' || s_[i_] == L'\t' || s_[i_] == L'\x3000')) ++i_;
    }
    bool Char(wchar_t c) {
        Blanks();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    // Up to four decimal digits; `digits` tells how many there were.
    bool Number(int& value, int& digits) {
        Blanks();
        value = 0;
        digits = 0;
        while (i_ < s_.size() && s_[i_] >= L'0' && s_[i_] <= L'9') {
            if (++digits > 4) return false;
            value = value * 10 + (s_[i_] - L'0');
            ++i_;
        }
        return digits > 0;
    }
    // -1 none, 0 AM, 1 PM.
    int AmPm() {
        Blanks();
        for (auto [word, v] : {std::pair{std::wstring_view(L"AM"), 0}, std::pair{std::wstring_view(L"PM"), 1},
                               std::pair{std::wstring_view(L"午前"), 0}, std::pair{std::wstring_view(L"午後"), 1}}) {
            if (s_.size() - i_ >= word.size()) {
                bool same = true;
                for (std::size_t k = 0; k < word.size(); ++k) {
                    wchar_t c = s_[i_ + k];
                    if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
                    if (c != word[k]) same = false;
                }
                if (same) {
                    i_ += word.size();
                    return v;
                }
            }
        }
        return -1;
    }
    bool AtEnd() {
        Blanks();
        return i_ == s_.size();
    }
    std::size_t pos() const { return i_; }
    void Seek(std::size_t p) { i_ = p; }

private:
    std::wstring_view s_;
    std::size_t i_ = 0;
};

bool ScanDate(Scanner& sc, const DateTextFormat& f, int currentYear, double& out) {
    int n[3] = {}, digits[3] = {};
    if (!sc.Number(n[0], digits[0]) || !sc.Char(f.dateSeparator) || !sc.Number(n[1], digits[1])) return false;
    int count = 2;
    std::size_t back = sc.pos();
    if (sc.Char(f.dateSeparator)) {
        if (!sc.Number(n[2], digits[2])) return false;
        count = 3;
    } else {
        sc.Seek(back);
    }
    int y = currentYear, m = 0, d = 0, yearDigits = 4;
    using O = DateTextFormat::Order;
    if (count == 2) {
        if (f.order == O::DMY) d = n[0], m = n[1];
        else m = n[0], d = n[1];
    } else {
        switch (f.order) {
            case O::YMD: y = n[0], m = n[1], d = n[2], yearDigits = digits[0]; break;
            case O::MDY: m = n[0], d = n[1], y = n[2], yearDigits = digits[2]; break;
            case O::DMY: d = n[0], m = n[1], y = n[2], yearDigits = digits[2]; break;
        }
    }
    if (yearDigits <= 2) {
        int start = currentYear - f.twoDigitYearWindow;
        y += start / 100 * 100;
        if (f.twoDigitYearWindow > 0 && y < start) y += 100;
    }
    auto v = DateFromCivil(y, m, d);
    if (!v) return false;
    out = *v;
    return true;
}

bool ScanTime(Scanner& sc, const DateTextFormat& f, double& out) {
    int ampm = sc.AmPm();
    int h = 0, m = 0, s = 0, ms = 0, digits = 0;
    if (!sc.Number(h, digits)) return false;
    if (sc.Char(f.timeSeparator)) {
        if (!sc.Number(m, digits)) return false;
        if (sc.Char(f.timeSeparator)) {
            if (!sc.Number(s, digits)) return false;
            if (sc.Char(L'.') && !sc.Number(ms, digits)) return false;
        }
    } else if (ampm < 0) {
        ampm = sc.AmPm();
        if (ampm < 0) return false;   // a bare number is no time
    }
    if (ampm < 0) ampm = sc.AmPm();
    if (ampm >= 0) {
        if (h < 1 || h > 12) return false;
        if (h == 12) h = 0;
        if (ampm == 1) h += 12;
    }
    if (h > 23 || m > 59 || s > 59 || ms > 999) return false;
    out = (((h * 60.0 + m) * 60.0 + s) * 1000.0 + ms) / 86400000.0;
    return true;
}

}  // namespace

DateTextFormat DateTextFormat::FromShortDatePattern(std::wstring_view pattern, wchar_t timeSeparator) {
    DateTextFormat f;
    f.timeSeparator = timeSeparator;
    bool orderSet = false, sepSet = false;
    bool quoted = false;
    for (wchar_t c : pattern) {
        if (c == L'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted) continue;
        wchar_t l = (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c;
        bool field = l == L'y' || l == L'm' || l == L'd' || l == L'g' || l == L'e';
        if (field && !orderSet) {
            orderSet = true;
            f.order = (l == L'm') ? Order::MDY : (l == L'd') ? Order::DMY : Order::YMD;
        } else if (!field && !sepSet && orderSet && c != L' ') {
            sepSet = true;
            f.dateSeparator = c;
        }
    }
    return f;
}

std::optional<double> DateFromCivil(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    return double(DaysFromCivil(year, unsigned(month), unsigned(day)) + kEpochOffset);
}

int YearOfDateTime(double value) {
    if (!(value > -693594.0 && value < 2958466.0)) return 1899;
    return int(YearFromDays(long(std::floor(value)) - kEpochOffset));
}

std::optional<double> ParseDateText(std::wstring_view text, const DateTextFormat& format, int currentYear) {
    Scanner sc(text);
    double d = 0;
    if (!ScanDate(sc, format, currentYear, d) || !sc.AtEnd()) return std::nullopt;
    return d;
}

std::optional<double> ParseTimeText(std::wstring_view text, const DateTextFormat& format) {
    Scanner sc(text);
    double t = 0;
    if (!ScanTime(sc, format, t) || !sc.AtEnd()) return std::nullopt;
    return t;
}

std::optional<double> ParseDateTimeText(std::wstring_view text, const DateTextFormat& format, int currentYear) {
    Scanner sc(text);
    double d = 0, t = 0;
    if (ScanDate(sc, format, currentYear, d) && (sc.AtEnd() || (ScanTime(sc, format, t) && sc.AtEnd())))
        return d < 0 ? d - t : d + t;   // before 1899-12-30 the fraction counts the other way
    return std::nullopt;
}

}  // namespace kelup
