#include "app/MsgBoxType.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

std::vector<int> Ids(const MsgBoxType& s) {
    std::vector<int> ids;
    for (auto& b : s.buttons) ids.push_back(b.id);
    return ids;
}

TEST(MsgBoxType, ButtonsOfEachType) {
    struct Case { unsigned type; std::vector<int> ids; };
    for (const auto& c : {Case{0, {kIdOk}}, Case{1, {kIdOk, kIdCancel}}, Case{2, {kIdAbort, kIdRetry, kIdIgnore}},
                          Case{3, {kIdYes, kIdNo, kIdCancel}}, Case{4, {kIdYes, kIdNo}}, Case{5, {kIdRetry, kIdCancel}},
                          Case{6, {kIdOk}}, Case{15, {kIdOk}}})
        EXPECT_EQ(Ids(DecodeMsgType(c.type)), c.ids) << c.type;
}

TEST(MsgBoxType, IconsAndGreyButtons) {
    EXPECT_EQ(DecodeMsgType(0x10).icon, MsgIcon::Error);
    EXPECT_EQ(DecodeMsgType(0x24).icon, MsgIcon::Question);
    EXPECT_EQ(DecodeMsgType(0x30).icon, MsgIcon::Warning);
    EXPECT_EQ(DecodeMsgType(0x40).icon, MsgIcon::Information);
    EXPECT_EQ(DecodeMsgType(0x50).icon, MsgIcon::None);
    auto yn = DecodeMsgType(4);
    EXPECT_FALSE(yn.buttons[0].grey);
    EXPECT_TRUE(yn.buttons[1].grey);   // No
    EXPECT_TRUE(DecodeMsgType(1).buttons[1].grey);   // Cancel
}

TEST(MsgBoxType, DefaultButtonFallsBackToTheFirst) {
    EXPECT_EQ(DecodeMsgType(0x104).defaultIndex, 1);
    EXPECT_EQ(DecodeMsgType(0x203).defaultIndex, 2);
    EXPECT_EQ(DecodeMsgType(0x204).defaultIndex, 0);   // only two buttons
    EXPECT_EQ(DecodeMsgType(0x100).defaultIndex, 0);   // only OK
}

}  // namespace
}  // namespace kelup
