#include "extras/DdeCommand.h"

#include "base/TextLines.h"
#include "net/PacketText.h"

namespace kelup {

DdeCommand ParseDdeCommand(std::wstring_view text) {
    std::vector<std::wstring> lines = SplitLines(text);
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
