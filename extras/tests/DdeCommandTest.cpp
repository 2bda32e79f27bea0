#include "extras/DdeCommand.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(DdeCommand, LinesSplitAtEveryBreakKind) {
    auto c = ParseDdeCommand(L"DDEMAKEKELUP\r\n2;100;50;\r買い物\n牛乳\r\n");
    EXPECT_EQ(c.word, L"DDEMAKEKELUP");
    EXPECT_EQ(c.args, (std::vector<std::wstring>{L"2;100;50;", L"買い物", L"牛乳"}));
    EXPECT_EQ(ParseDdeCommand(L"DateUp").args.size(), 0u);
    EXPECT_EQ(ParseDdeCommand(L"a\r\n\r\nb").args, (std::vector<std::wstring>{L"", L"b"}));
    EXPECT_EQ(ParseDdeCommand(L"").word, L"");
}

TEST(DdeCommand, MakeNoteRequests) {
    struct Case {
        const wchar_t* text;
        int count, left, top;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {L"DDEMAKEKELUP\r\n2;100;50;\r\n買い物\r\n牛乳", 2, 100, 50, {L"買い物", L"牛乳"}},
        {L"DDEMAKEKELUP\r\n0;10;10;", 0, 10, 10, {}},
        {L"DDEMAKEKELUP\r\n1;10;10\r\nひとつ", 1, 10, 0, {L"ひとつ"}},       // no final ';'
        {L"DDEMAKEKELUP\r\nx;10;10;\r\nignored", 0, 10, 10, {}},           // count not a number
        {L"DDEMAKEKELUP\r\n3;5;6;\r\nonly one", 3, 5, 6, {L"only one"}},  // fewer lines than announced
        {L"DDEMAKEKELUP\r\n1;5;6;\r\nfirst\r\nextra", 1, 5, 6, {L"first"}},
        {L"DDEMAKEKELUP", 0, 0, 0, {}},                                     // no line 1
        {L"DDEMAKEKELUP\r\n-1;-20;-30;\r\nx", -1, -20, -30, {}},
        {L"DDEMAKEKELUP\r\n99999999999;1;2;", 0, 1, 2, {}},                 // overflow counts as 0
    };
    for (const auto& c : cases) {
        auto r = ParseDdeMakeKelup(ParseDdeCommand(c.text));
        EXPECT_EQ(r.count, c.count) << c.text;
        EXPECT_EQ(r.left, c.left) << c.text;
        EXPECT_EQ(r.top, c.top) << c.text;
        EXPECT_EQ(r.lines, c.lines) << c.text;
    }
}

}  // namespace
}  // namespace kelup
