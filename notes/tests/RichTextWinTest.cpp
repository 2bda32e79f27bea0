// Line spacing on a note's text: every paragraph ends with the spacing
// asked for, whatever the loaded text had, and a text that has it already
// keeps its paragraphs as they are.

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>

#include "notes/RichText.h"

namespace kelup {
namespace {

struct Spacing {
    bool same;   // every paragraph has the same spacing
    int rule, dy;
};

Spacing SpacingOfAll(HWND re) {
    SendMessageW(re, EM_SETSEL, 0, -1);
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    SendMessageW(re, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    SendMessageW(re, EM_SETSEL, 0, 0);
    return {(pf.dwMask & PFM_LINESPACING) != 0, pf.bLineSpacingRule, pf.dyLineSpacing};
}

TEST(RichText, LineSpaceReachesEveryParagraph) {
    LoadLibraryW(L"msftedit.dll");
    HWND re = CreateWindowExW(0, kRichEditClass, L"", ES_MULTILINE, 0, 0, 200, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(re, nullptr);
    struct Case {
        const char* rtf;
        int lineSpace;
    };
    const Case cases[] = {
        // No spacing in the text: single spacing by default.
        {"{\\rtf1\\ansi one\\par two\\par three}", 20},
        {"{\\rtf1\\ansi one\\par two\\par three}", 40},
        // The text has the spacing already, in every paragraph.
        {"{\\rtf1\\ansi\\pard\\sl-360\\slmult1 one\\par two\\par}", 30},
        // Only the first paragraphs have it: the last one must change too.
        {"{\\rtf1\\ansi\\pard\\sl-360\\slmult1 one\\par two\\par\\pard three}", 30},
        // The first paragraph differs from the rest.
        {"{\\rtf1\\ansi\\pard one\\par\\pard\\sl-480\\slmult1 two\\par three}", 40},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(RichFromRtf(re, c.rtf));
        RichSetLineSpace(re, c.lineSpace);
        Spacing s = SpacingOfAll(re);
        EXPECT_TRUE(s.same) << c.rtf;
        EXPECT_EQ(s.rule, 5) << c.rtf;
        EXPECT_EQ(s.dy, c.lineSpace) << c.rtf;
        EXPECT_EQ(RichLines(re).front(), L"one") << c.rtf;
    }
    DestroyWindow(re);
}

}  // namespace
}  // namespace kelup
