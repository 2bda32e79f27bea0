#include "net/Password.h"

namespace kelup {

namespace {

wchar_t Shift(wchar_t c, long long by) {
    auto rot = [&](wchar_t base, int span) {
        long long v = ((c - base + by) % span + span) % span;
        return wchar_t(base + v);
    };
    if (c >= L'0' && c <= L'9') return rot(L'0', 10);
    if (c >= L'A' && c <= L'Z') return rot(L'A', 26);
    if (c >= L'a' && c <= L'z') return rot(L'a', 26);
    return c;
}

std::wstring ShiftAll(const std::wstring& s, long long by) {
    std::wstring out(s);
    for (auto& c : out) c = Shift(c, by);
    return out;
}

}  // namespace

std::wstring PWordOut(const std::wstring& plain) { return ShiftAll(plain, -(long long)plain.size()); }
std::wstring PWordIn(const std::wstring& stored) { return ShiftAll(stored, (long long)stored.size()); }

}  // namespace kelup
