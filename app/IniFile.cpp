#include "app/IniFile.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace kelup {

int ParseProfileInt(const std::wstring& text, int def) {
    std::wstring t = text;
    while (!t.empty() && (t.back() == L' ' || t.back() == L'\t')) t.pop_back();
    size_t i = 0;
    while (i < t.size() && (t[i] == L' ' || t[i] == L'\t')) ++i;
    t = t.substr(i);
    if (t.empty()) return def;
    bool neg = false;
    size_t p = 0;
    if (t[0] == L'-' || t[0] == L'+') neg = t[0] == L'-', p = 1;
    int base = 10;
    if (t.compare(p, 2, L"0x") == 0 || t.compare(p, 2, L"0X") == 0) base = 16, p += 2;
    else if (p < t.size() && t[p] == L'$') base = 16, p += 1;
    if (p >= t.size()) return def;
    long long v = 0;
    for (; p < t.size(); ++p) {
        wchar_t c = t[p];
        int d;
        if (c >= L'0' && c <= L'9') d = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f') d = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F') d = c - L'A' + 10;
        else return def;
        v = v * base + d;
        if (v > 0xFFFFFFFFLL) return def;
    }
    if (neg) v = -v;
    if (base == 16 && v > 0x7FFFFFFF) v -= 0x100000000LL;   // hex covers the whole 32 bits
    if (v < INT32_MIN || v > INT32_MAX) return def;
    return int(v);
}

int IniFile::GetInt(const std::wstring& section, const std::wstring& key, int def) const {
    const wchar_t* marker = L"\x01";
    std::wstring s = GetString(section, key, marker);
    if (s == marker) return def;
    return ParseProfileInt(s, def);
}

std::wstring IniFile::GetString(const std::wstring& section, const std::wstring& key,
                                const std::wstring& def) const {
    std::vector<wchar_t> buf(1024);
    for (;;) {
        DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), def.c_str(), buf.data(),
                                           DWORD(buf.size()), path_.c_str());
        if (n + 2 < buf.size()) return std::wstring(buf.data(), n);
        if (buf.size() >= (1u << 20)) return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 4);
    }
}

bool IniFile::WriteInt(const std::wstring& section, const std::wstring& key, int value) const {
    return WriteString(section, key, std::to_wstring(value));
}

bool IniFile::WriteString(const std::wstring& section, const std::wstring& key,
                          const std::wstring& value) const {
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) != 0;
}

bool IniFile::EraseSection(const std::wstring& section) const {
    return WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, path_.c_str()) != 0;
}

}  // namespace kelup
