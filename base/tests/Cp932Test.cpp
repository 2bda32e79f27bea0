#include "base/Cp932.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(Cp932, RoundTripOfJapaneseText) {
    const std::wstring text = L"ケラップx64　付箋紙（テスト）～①";
    std::string bytes = ToCp932(text);
    EXPECT_EQ(bytes.substr(0, 2), "\x83\x50");   // ケ
    EXPECT_EQ(FromCp932(bytes), text);
    EXPECT_EQ(ToCp932(L"ＭＳ ゴシック"), "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
}

TEST(Cp932, BadBytesNeverFailAndNeverGrow) {
    struct Case { std::string in; std::wstring want; };
    for (const auto& c : {Case{"\x82", L"\x30FB"},                  // lead byte cut off
                          Case{std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
                          Case{"\x85\x40", L"\x30FB"},              // unassigned pair
                          Case{"\xA0z", L"\x30FBz"}})
        EXPECT_EQ(FromCp932(c.in), c.want);
}

TEST(Cp932, UnmappableBecomesQuestionMark) { EXPECT_EQ(ToCp932(L"a\x0E01z"), "a?z"); }

TEST(Cp932, SafeCutNeverSplitsACharacter) {
    std::string s = ToCp932(L"aあいう");   // 1 + 2 + 2 + 2 bytes
    EXPECT_EQ(Cp932SafeCut(s, 7), 7u);
    EXPECT_EQ(Cp932SafeCut(s, 6), 5u);
    EXPECT_EQ(Cp932SafeCut(s, 2), 1u);
    EXPECT_EQ(Cp932SafeCut(s, 0), 0u);
}

}  // namespace
}  // namespace kelup
