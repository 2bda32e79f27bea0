#include "extras/DdeCommand.h"

#include "net/PacketText.h"

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

DdeNoteRequest ParseDdeMakeKelup(const DdeCommand& cmd) {
    DdeNoteRequest r;
    std::wstring rest = cmd.args.empty() ? std::wstring() : cmd.args[0];
    // A number that is missing or does not convert counts as 0.
    r.count = ParseInt32(ExData(rest)).value_or(0);
    r.left = ParseInt32(ExData(rest)).value_or(0);
    r.top = ParseInt32(ExData(rest)).value_or(0);
    for (int i = 1; i <= r.count && size_t(i) < cmd.args.size(); ++i) r.lines.push_back(cmd.args[size_t(i)]);
    return r;
}

}  // namespace kelup
