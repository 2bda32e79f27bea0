#include "notes/EditRules.h"

#include <algorithm>

namespace kelup {

std::optional<TextSpan> LineCopySpan(const std::vector<std::wstring>& paragraphs, int index, int lineCopyMode) {
    if (index < 0 || size_t(index) >= paragraphs.size()) return std::nullopt;
    const std::wstring& p = paragraphs[size_t(index)];
    TextSpan span{0, p.size()};
    if (lineCopyMode == 1) {
        size_t tab = p.find(L'\t');
        if (tab != std::wstring::npos) span = TextSpan{tab + 1, p.size() - tab - 1};
    }
    return span;
}

int LineSpaceAfter(int lineSpace, LineSpaceCmd cmd) {
    switch (cmd) {
        case LineSpaceCmd::Zero: return 20;
        case LineSpaceCmd::Half: return 30;
        case LineSpaceCmd::Full: return 40;
        // A value from an old or damaged file comes back into the range.
        case LineSpaceCmd::Narrower: return std::clamp(lineSpace - 2, 20, 60);
        case LineSpaceCmd::Wider: return std::clamp(lineSpace + 2, 20, 60);
    }
    return lineSpace;
}

}  // namespace kelup
