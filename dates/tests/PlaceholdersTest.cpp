#include "dates/Placeholders.h"

#include <gtest/gtest.h>

#include "dates/DateTime.h"

namespace kelup {
namespace {

long Day(int y, int m, int d) { return long(EncodeDateTime(CivilDateTime{y, m, d})); }

TEST(Placeholders, SearchXCountsDaysInBothForms) {
    struct Case {
        const wchar_t* text;
        long today;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"あと%%2025/03/31%%日", Day(2025, 3, 19), L"あと12日"},
        {L"あと%%2025/03/31%%日", Day(2025, 3, 31), L"あと0日"},
        {L"あと%%2025/03/31%%日", Day(2025, 4, 2), L"あと-2日"},
        {L"あと％％２０２５／０３／３１％％日", Day(2025, 3, 19), L"あと１２日"},
        {L"あと％％２０２５／０３／３１％％日", Day(2025, 4, 2), L"あと－２日"},
        {L"%%2025-03-31%%", Day(2025, 3, 19), L"12"},              // separators are not read
        {L"%%2025/02/30%%", Day(2025, 1, 1), L"0"},                 // no such day
        {L"%%2025/13/01%%", Day(2025, 1, 1), L"0"},                 // no such month
        {L"%%20x5/03/31%%", Day(2025, 1, 1), L"0"},                 // no number
        {L"％％2025／03／31％％", Day(2025, 1, 1), L"０"},          // half-width digits in the full form
        {L"100%%です", Day(2025, 1, 1), L"1000"},                   // a lone marker takes what follows
        {L"%%2024/02/29%%", Day(2023, 12, 31), L"60"},              // a leap day
        {L"%%2026/01/01%%", Day(2025, 12, 31), L"1"},               // across the year
        {L"%%2025/03/3", Day(2025, 3, 1), L"2"},                    // cut short: the day is "3"
        {L"%%2025/03/", Day(2025, 3, 1), L"0"},                     // no day at all
        {L"a%%2025/03/21%%b％％２０２５／０３／２２％％c%%2025/03/20%%", Day(2025, 3, 19), L"a2b３c1"},
    };
    for (const Case& c : cases) {
        std::wstring s = c.text;
        SearchX(s, 1, c.today);
        EXPECT_EQ(s, c.shown) << c.text;
    }
    std::wstring first = L"%%2025/03/20%% %%2025/03/21%%";
    SearchX(first, 0, Day(2025, 3, 19));
    EXPECT_EQ(first, L"1 %%2025/03/21%%");
}

TEST(Placeholders, CharacterHelpers) {
    EXPECT_EQ(HanToZen(L'7'), L"７");
    EXPECT_EQ(HanToZen(L'-'), L"－");
    EXPECT_EQ(HanToZen(L'a'), L"");
    EXPECT_EQ(ZenToHan(L"９"), L'9');
    EXPECT_EQ(ZenToHan(L"－"), L'-');
    EXPECT_EQ(ZenToHan(L"9"), L' ');
    EXPECT_EQ(ZenToHan(L"９９"), L' ');
    int z = 0, h = 0;
    // A character outside the BMP as the two UTF-16 units it is in a note.
    const wchar_t pair[] = {L'a', wchar_t(0xD83D), wchar_t(0xDE00), L'b', 0};
    Count2byte(pair, z, h);
    EXPECT_EQ(z, 1);
    EXPECT_EQ(h, 2);
}

TEST(Placeholders, LineEditsInOrderWhereEachStands) {
    auto edits = LineEdits(L"x％％２０２５／０３／２０％％y%%2025/03/21%%z%%20", Day(2025, 3, 19));
    ASSERT_EQ(edits.size(), 3u);
    // Half-width first, each at its place in the line as the earlier ones left it.
    EXPECT_EQ(edits[0].pos, 16u);
    EXPECT_EQ(edits[0].length, 14u);
    EXPECT_EQ(edits[0].text, L"2");
    EXPECT_EQ(edits[1].pos, 18u);
    EXPECT_EQ(edits[1].length, 4u);   // cut at the end of the line
    EXPECT_EQ(edits[1].text, L"0");
    EXPECT_EQ(edits[2].pos, 1u);
    EXPECT_EQ(edits[2].text, L"１");
    EXPECT_TRUE(LineEdits(L"no markers", 0).empty());
    EXPECT_TRUE(HasPlaceholderMarker(L"a％％b"));
    EXPECT_FALSE(HasPlaceholderMarker(L"100%"));
}

}  // namespace
}  // namespace kelup
