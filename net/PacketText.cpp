#include "net/PacketText.h"

#include <limits>

namespace kelup {

namespace {

std::wstring CutField(std::wstring& s, wchar_t sep) {
    std::size_t p = s.find(sep);
    if (p == std::wstring::npos) return {};
    std::wstring field = s.substr(0, p);
    s.erase(0, p + 1);
    return field;
}

std::wstring_view Trim(std::wstring_view t) {
    while (!t.empty() && (t.front() == L' ' || t.front() == L'\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == L' ' || t.back() == L'\t')) t.remove_suffix(1);
    return t;
}

// Digits only, at least one; value up to `limit`.
std::optional<std::uint64_t> Digits(std::wstring_view t, std::uint64_t limit) {
    if (t.empty()) return std::nullopt;
    std::uint64_t v = 0;
    for (wchar_t c : t) {
        if (c < L'0' || c > L'9') return std::nullopt;
        unsigned d = unsigned(c - L'0');
        if (v > (limit - d) / 10) return std::nullopt;
        v = v * 10 + d;
    }
    return v;
}

}  // namespace

std::wstring ExData(std::wstring& s) { return CutField(s, L';'); }
std::wstring ExDataP(std::wstring& s) { return CutField(s, L':'); }

std::optional<std::int32_t> ParseInt32(std::wstring_view text) {
    std::wstring_view t = Trim(text);
    bool neg = false;
    if (!t.empty() && (t.front() == L'-' || t.front() == L'+')) {
        neg = t.front() == L'-';
        t.remove_prefix(1);
    }
    const std::uint64_t limit = neg ? std::uint64_t(std::numeric_limits<std::int32_t>::max()) + 1
                                    : std::uint64_t(std::numeric_limits<std::int32_t>::max());
    auto v = Digits(t, limit);
    if (!v) return std::nullopt;
    return neg ? std::int32_t(-std::int64_t(*v)) : std::int32_t(*v);
}

std::optional<std::uint32_t> ParseUInt32(std::wstring_view text) {
    auto v = Digits(Trim(text), std::numeric_limits<std::uint32_t>::max());
    if (!v) return std::nullopt;
    return std::uint32_t(*v);
}

std::optional<std::uint64_t> ParseUInt64(std::wstring_view text) {
    return Digits(Trim(text), std::numeric_limits<std::uint64_t>::max());
}

std::optional<std::uint32_t> ParseIPv4(std::wstring_view text) {
    std::uint32_t value = 0;
    int parts = 0;
    std::size_t i = 0;
    while (parts < 4) {
        std::size_t start = i;
        unsigned part = 0;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && i - start < 3) {
            part = part * 10 + unsigned(text[i] - L'0');
            ++i;
        }
        if (i == start || part > 255) return std::nullopt;
        value = (value << 8) | part;
        ++parts;
        if (parts < 4) {
            if (i >= text.size() || text[i] != L'.') return std::nullopt;
            ++i;
        }
    }
    if (i != text.size()) return std::nullopt;
    return value;
}

bool SameIPv4(std::wstring_view a, std::wstring_view b) {
    auto x = ParseIPv4(a);
    auto y = ParseIPv4(b);
    return x && y && *x == *y;
}

std::wstring FieldSafe(std::wstring_view text, bool colonToo) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L';') out += L'\xFF1B';
        else if (c == L':' && colonToo) out += L'\xFF1A';
        else if ((c < 0x20 && c != L'\t' && c != L'\r' && c != L'\n') || c == 0x7F) continue;
        else out += c;
    }
    return out;
}

std::wstring WithoutNul(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text)
        if (c != L'\0') out += c;
    return out;
}

std::wstring UpperForMatch(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) {
        if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
        else if (c >= L'\xFF41' && c <= L'\xFF5A') c = wchar_t(c - 0xFF41 + 0xFF21);
    }
    return out;
}

}  // namespace kelup
