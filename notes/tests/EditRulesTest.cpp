#include "notes/EditRules.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(EditRules, LineCopySpan) {
    const std::vector<std::wstring> text{L"A\tB\tC", L"plain", L""};
    struct Case {
        int index, mode;
        bool found;
        size_t start, length;
    };
    const Case cases[] = {
        {0, 0, true, 0, 5},   // the whole line
        {0, 1, true, 2, 3},   // after the first Tab: "B\tC"
        {1, 1, true, 0, 5},   // no Tab: the whole line
        {2, 1, true, 0, 0},
        {3, 0, false, 0, 0},  // past the end
        {-1, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        auto s = LineCopySpan(text, c.index, c.mode);
        ASSERT_EQ(s.has_value(), c.found) << c.index;
        if (s) {
            EXPECT_EQ(s->start, c.start) << c.index;
            EXPECT_EQ(s->length, c.length) << c.index;
        }
    }
}

TEST(EditRules, LineSpaceSteps) {
    struct Case {
        int from;
        LineSpaceCmd cmd;
        int to;
    };
    const Case cases[] = {
        {58, LineSpaceCmd::Wider, 60}, {60, LineSpaceCmd::Wider, 60}, {22, LineSpaceCmd::Narrower, 20},
        {20, LineSpaceCmd::Narrower, 20}, {44, LineSpaceCmd::Zero, 20}, {20, LineSpaceCmd::Half, 30},
        {20, LineSpaceCmd::Full, 40}, {500, LineSpaceCmd::Narrower, 60}, {0, LineSpaceCmd::Wider, 20},
    };
    for (const Case& c : cases) EXPECT_EQ(LineSpaceAfter(c.from, c.cmd), c.to) << c.from;
}

}  // namespace
}  // namespace kelup
