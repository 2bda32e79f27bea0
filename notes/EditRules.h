#pragma once
// Rules of editing a note's text that need no window: which part of a
// paragraph one-line copy takes, and the line-spacing steps.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kelup {

struct TextSpan {
    size_t start = 0, length = 0;   // in characters within the paragraph
};
// The part of paragraph `index` (0-based) that one-line copy puts on the
// clipboard: all of it, or with `lineCopyMode` 1 the part after its first Tab
// when it has one. Nothing when there is no such paragraph.
std::optional<TextSpan> LineCopySpan(const std::vector<std::wstring>& paragraphs, int index, int lineCopyMode);

enum class LineSpaceCmd { Zero, Half, Full, Narrower, Wider };
// The new LineSpace (20..60) after a command of the "行間" submenu.
int LineSpaceAfter(int lineSpace, LineSpaceCmd cmd);

}  // namespace kelup
