#include "store/HalfFile.h"

namespace kelup {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// Signed decimal, or hexadecimal after "$" or "0x"; nothing else.
bool ParseInt(std::string_view s, long long& out) {
    s = Trim(s);
    bool neg = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        neg = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s[0] == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty() || s.size() > 10) return false;
    long long v = 0;
    for (char c : s) {
        int d = (c >= '0' && c <= '9') ? c - '0'
                : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                        : -1;
        if (d < 0 || d >= base) return false;
        v = v * base + d;
    }
    out = neg ? -v : v;
    return true;
}

int AlphaFrom(std::string_view text) {
    long long v = 0;
    return ParseInt(text, v) && v >= 1 && v <= kOpaque ? int(v) : kOpaque;
}

// A slot key is plain decimal digits.
bool SlotKey(std::string_view key, int& slot) {
    if (key.empty() || key.size() > 3) return false;
    slot = 0;
    for (char c : key) {
        if (c < '0' || c > '9') return false;
        slot = slot * 10 + (c - '0');
    }
    return true;
}

template <typename F>
void ForEachLine(std::string_view text, F&& f) {
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        f(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

bool SectionName(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') return false;
    std::size_t close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

}  // namespace

int HalfAlphaOf(const HalfValues& values, int slot) {
    auto it = values.notes.find(slot);
    return it == values.notes.end() ? kOpaque : it->second;
}

HalfValues ReadHalfFile(std::string_view text) {
    HalfValues v;
    std::array<bool, 2> undoSeen{};
    enum { Other, Half, Undo } section = Other;
    ForEachLine(text, [&](std::string_view line) {
        std::string_view name;
        if (SectionName(line, name)) {
            section = SameName(name, "HALF") ? Half : SameName(name, "UNDO") ? Undo : Other;
            return;
        }
        std::size_t eq = line.find('=');
        if (section == Other || eq == std::string_view::npos) return;
        std::string_view key = Trim(line.substr(0, eq));
        if (!key.empty() && key.front() == ';') return;
        int slot = 0;
        if (!SlotKey(key, slot)) return;
        int alpha = AlphaFrom(line.substr(eq + 1));
        // As with the profile functions, the first of a repeated key counts.
        if (section == Half) v.notes.emplace(slot, alpha);
        else if (slot < 2 && !undoSeen[std::size_t(slot)]) {
            undoSeen[std::size_t(slot)] = true;
            v.undo[std::size_t(slot)] = alpha;
        }
    });
    return v;
}

std::string WriteHalfFile(std::string_view previous, const HalfValues& values) {
    std::string out;
    bool keep = true;
    ForEachLine(previous, [&](std::string_view line) {
        std::string_view name;
        if (SectionName(line, name))
            keep = !(SameName(name, "HALF") || SameName(name, "COUNT") || SameName(name, "UNDO"));
        if (!keep) return;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() && out.empty()) return;
        out.append(line);
        out += "\r\n";
    });
    out += "[HALF]\r\n";
    for (auto [slot, alpha] : values.notes) out += std::to_string(slot) + "=" + std::to_string(alpha) + "\r\n";
    out += "[COUNT]\r\nCOUNT=" + std::to_string(values.notes.size()) + "\r\n";
    out += "[UNDO]\r\n0=" + std::to_string(values.undo[0]) + "\r\n1=" + std::to_string(values.undo[1]) + "\r\n";
    return out;
}

}  // namespace kelup
