#include "store/HalfFile.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(HalfFile, TranslucencyComesBackUnderTheSlotNumbers) {
    HalfValues v;
    v.notes = {{0, 128}, {5, 255}, {9, 1}};
    v.undo = {200, 255};
    const std::string text = WriteHalfFile("", v);
    EXPECT_EQ(text, "[HALF]\r\n0=128\r\n5=255\r\n9=1\r\n[COUNT]\r\nCOUNT=3\r\n[UNDO]\r\n0=200\r\n1=255\r\n");
    const HalfValues back = ReadHalfFile(text);
    EXPECT_EQ(back.notes, v.notes);
    EXPECT_EQ(back.undo, v.undo);
    EXPECT_EQ(HalfAlphaOf(back, 9), 1);
    EXPECT_EQ(HalfAlphaOf(back, 3), 255);   // no key: opaque
}

TEST(HalfFile, RewriteDropsOldKeysAndKeepsOtherSections) {
    const std::string old = "[Extra]\r\nName=x\r\n[half]\r\n3=100\r\n7=50\r\n[COUNT]\r\nCOUNT=2\r\n[Tail]\nA=1\n";
    HalfValues v;
    v.notes = {{7, 60}};
    const std::string text = WriteHalfFile(old, v);
    EXPECT_EQ(text, "[Extra]\r\nName=x\r\n[Tail]\r\nA=1\r\n[HALF]\r\n7=60\r\n[COUNT]\r\nCOUNT=1\r\n"
                    "[UNDO]\r\n0=255\r\n1=255\r\n");
    EXPECT_EQ(ReadHalfFile(text).notes, (std::map<int, int>{{7, 60}}));
}

TEST(HalfFile, ValuesThatWouldHideANoteReadAsOpaque) {
    struct Case { const char* value; int want; };
    for (const auto& k : {Case{"128", 128}, Case{" 128 ", 128}, Case{"1", 1}, Case{"255", 255}, Case{"0", 255},
                          Case{"-5", 255}, Case{"256", 255}, Case{"99999999999", 255}, Case{"abc", 255},
                          Case{"", 255}, Case{"12x", 255}, Case{"$80", 128}, Case{"0x40", 64}}) {
        const std::string text = std::string("[HALF]\r\n4=") + k.value + "\r\n";
        EXPECT_EQ(HalfAlphaOf(ReadHalfFile(text), 4), k.want) << k.value;
    }
}

TEST(HalfFile, ReadingFollowsTheProfileRules) {
    const std::string text =
        "; comment\r\n[Other]\r\n4=10\r\n[ Half ]\r\n4 = 20\r\n4=30\r\nx=40\r\n;5=50\r\n00006=60\r\n[UNDO]\r\n1=70\r\n";
    const HalfValues v = ReadHalfFile(text);
    EXPECT_EQ(v.notes, (std::map<int, int>{{4, 20}}));   // first key wins; other sections and names ignored
    EXPECT_EQ(v.undo[0], 255);
    EXPECT_EQ(v.undo[1], 70);
}

}  // namespace
}  // namespace kelup
