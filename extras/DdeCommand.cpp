#include "extras/DdeCommand.h"

namespace kelup {

DdeCommand ParseDdeCommand(std::wstring_view text) {
    std::vector<std::wstring> lines;
    std::wstring cur;
    bool pending = false;   // text or a break since the last line ended
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.push_back(cur);
            cur.clear();
            pending = false;
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            cur += c;
            pending = true;
        }
    }
    if (pending) lines.push_back(cur);
    DdeCommand cmd;
    if (!lines.empty()) {
        cmd.word = lines[0];
        cmd.args.assign(lines.begin() + 1, lines.end());
    }
    return cmd;
}

namespace {

// Cuts the field before the first ';' off the front of `rest`; without a ';'
// the field is empty and `rest` stays.
std::wstring TakeField(std::wstring& rest) {
    size_t p = rest.find(L';');
    if (p == std::wstring::npos) return {};
    std::wstring field = rest.substr(0, p);
    rest.erase(0, p + 1);
    return field;
}

int ToIntOrZero(const std::wstring& s) {
    size_t i = 0;
    while (i < s.size() && s[i] == L' ') ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+')) neg = s[i++] == L'-';
    if (i >= s.size()) return 0;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < L'0' || s[i] > L'9') return 0;
        v = v * 10 + (s[i] - L'0');
        if (v > 0x7FFFFFFFLL) return 0;
    }
    return int(neg ? -v : v);
}

}  // namespace

DdeNoteRequest ParseDdeMakeKelup(const DdeCommand& cmd) {
    DdeNoteRequest r;
    std::wstring rest = cmd.args.empty() ? std::wstring() : cmd.args[0];
    r.count = ToIntOrZero(TakeField(rest));
    r.left = ToIntOrZero(TakeField(rest));
    r.top = ToIntOrZero(TakeField(rest));
    for (int i = 1; i <= r.count && size_t(i) < cmd.args.size(); ++i) r.lines.push_back(cmd.args[size_t(i)]);
    return r;
}

}  // namespace kelup
