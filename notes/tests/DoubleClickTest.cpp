#include "notes/DoubleClick.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

// Each case sets what differs from a plain double-click in the middle of a note.
TEST(DoubleClick, FirstMatchingRuleActs) {
    using A = DblClickAction;
    struct Case {
        const char* what;
        DblClickState s;
        A action;
        int detail;
    };
    auto with = [](auto f) {
        DblClickState s;
        f(s);
        return s;
    };
    const Case cases[] = {
        {"plain", {}, A::FocusAndEdit, 0},
        {"alt hides even when the mode asks for more",
         with([](auto& s) { s.alt = true, s.dblClickMode = 2, s.hasOpenFile = true, s.downKey = '3'; }), A::Hide, 0},
        {"shift edits before ctrl's rule", with([](auto& s) { s.shift = true, s.dblClickMode = 1; }), A::Edit, 0},
        {"ctrl peels", with([](auto& s) { s.ctrl = true, s.dblClickMode = 3; }), A::PeelLog, 0},
        {"mode 2 opens the file", with([](auto& s) { s.dblClickMode = 2, s.hasOpenFile = true; }), A::OpenFile, 0},
        {"mode 2 without a file goes on",
         with([](auto& s) { s.dblClickMode = 2, s.downKey = '5'; }), A::CopyLine, 5},
        {"mode 3 sizes vertically", with([](auto& s) { s.dblClickMode = 3; }), A::AutoSize, kAutoVertical},
        {"mode 1 edits in place", with([](auto& s) { s.dblClickMode = 1; }), A::DirectEdit, 0},
        {"mode 1 on a sealed note goes on", with([](auto& s) { s.dblClickMode = 1, s.keyOpen = 1; }),
         A::FocusAndEdit, 0},
        {"edge with EdgeDblClick sizes by the setting",
         with([](auto& s) { s.edgeHit = true, s.edgeDblClick = 1, s.autoSizeSelect = 1; }), A::AutoSize,
         kAutoLongest},
        {"edge with the default setting does nothing, no fall-through",
         with([](auto& s) { s.edgeHit = true, s.edgeDblClick = 1, s.downKey = '3'; }), A::AutoSize, -1},
        {"a locked note's edge does not size",
         with([](auto& s) { s.edgeHit = true, s.edgeDblClick = 1, s.lockMode = 1, s.autoSizeSelect = 0; }),
         A::FocusAndEdit, 0},
        {"a held 3 copies line 3", with([](auto& s) { s.downKey = '3'; }), A::CopyLine, 3},
        {"a held 0 is no line", with([](auto& s) { s.downKey = '0'; }), A::FocusAndEdit, 0},
    };
    for (const Case& c : cases) {
        DblClickChoice got = ChooseDoubleClick(c.s);
        EXPECT_EQ(got.action, c.action) << c.what;
        EXPECT_EQ(got.detail, c.detail) << c.what;
    }
}

}  // namespace
}  // namespace kelup
