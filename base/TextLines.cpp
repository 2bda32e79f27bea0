#include "base/TextLines.h"

namespace kelup {

std::vector<std::wstring> SplitLines(std::wstring_view text, bool keepFinalEmpty) {
    std::vector<std::wstring> lines;
    if (text.empty()) return lines;
    std::wstring cur;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            cur += c;
        }
    }
    wchar_t last = text.back();
    bool endsWithBreak = last == L'\r' || last == L'\n';
    if (!endsWithBreak || keepFinalEmpty) lines.push_back(cur);
    return lines;
}

}  // namespace kelup
