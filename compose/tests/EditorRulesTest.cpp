#include "compose/EditorRules.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(EditorRules, ClosingCommandsLeaveTheirFlags) {
    using C = EditorCommand;
    using A = CloseAnswer;
    struct Case {
        C cmd;
        bool justMade, locked;
        A answer;
        bool closes;
        EditorFlags after;   // from {EditUpdateFG 7, EditSendMode 7, EditRemoveFG 7}
    };
    const Case cases[] = {
        {C::Apply, false, false, A::NotAsked, true, {1, 0, 7}},
        {C::Update, false, false, A::NotAsked, true, {1, 7, 7}},
        {C::Close, false, false, A::NotAsked, true, {0, 0, 7}},
        {C::CloseBox, false, false, A::NotAsked, true, {0, 0, 7}},
        {C::CloseBox, false, false, A::Yes, true, {3, 0, 7}},
        {C::CloseBox, false, false, A::No, true, {0, 0, 7}},
        {C::CloseBox, false, false, A::Cancel, false, {7, 7, 7}},
        {C::Peel, false, false, A::NotAsked, true, {0, 0, 1}},
        {C::NewNote, false, false, A::NotAsked, true, {0, 0, 7}},
        {C::SendOnly, false, false, A::NotAsked, true, {0, 1, 7}},
        {C::SendOnly, true, false, A::NotAsked, true, {1, 2, 1}},
        {C::SendUpdate, false, false, A::NotAsked, true, {1, 1, 7}},
        {C::SendPeel, false, false, A::NotAsked, true, {1, 2, 1}},
        {C::SendPeel, false, true, A::NotAsked, true, {0, 1, 0}},
        {C::SendToAddr, false, false, A::NotAsked, true, {1, 3, 7}},
    };
    for (const Case& c : cases) {
        EditorFlags f{7, 7, 7};
        EXPECT_EQ(ApplyCloseCommand(c.cmd, f, c.justMade, c.locked, c.answer), c.closes) << int(c.cmd);
        EXPECT_EQ(f.EditUpdateFG, c.after.EditUpdateFG) << int(c.cmd) << " answer " << int(c.answer);
        EXPECT_EQ(f.EditSendMode, c.after.EditSendMode) << int(c.cmd);
        EXPECT_EQ(f.EditRemoveFG, c.after.EditRemoveFG) << int(c.cmd);
    }
    EXPECT_TRUE(AsksCloseQuestion(C::CloseBox, true));
    EXPECT_FALSE(AsksCloseQuestion(C::CloseBox, false));
    EXPECT_FALSE(AsksCloseQuestion(C::Close, true));
}

TEST(EditorRules, QuotingBothWays) {
    const std::vector<std::wstring> text{L"一行目", L"", L"> 引用", L"三行目"};
    EXPECT_EQ(QuoteLines(text, false), (std::vector<std::wstring>{L">一行目", L">", L">> 引用", L">三行目"}));
    EXPECT_EQ(QuoteLines(text, true), (std::vector<std::wstring>{L">一行目", L">三行目"}));
    // Quoting twice with the second command deletes every line of the first.
    const std::vector<std::wstring> three{L"a", L"b", L"c"};
    EXPECT_TRUE(QuoteLines(QuoteLines(three, false), true).empty());
    EXPECT_TRUE(QuoteLines({}, true).empty());
}

TEST(EditorRules, FontSizeTyped) {
    struct Case {
        const wchar_t* text;
        int size;
    };
    const Case cases[] = {{L"12", 12}, {L"6", 6}, {L"5", 0}, {L"4", 0}, {L"-3", 0}, {L"abc", 8}, {L"", 8},
                          {L"12pt", 8}, {L" 14 ", 14}, {L"99999", 1638}, {L"99999999999999", 8}};
    for (const Case& c : cases) EXPECT_EQ(FontSizeFromText(c.text), c.size) << std::string(c.text, c.text + wcslen(c.text));
}

}  // namespace
}  // namespace kelup
