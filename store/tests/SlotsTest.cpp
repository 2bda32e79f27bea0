#include "store/Slots.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

struct Note {};

TEST(Slots, CountRangeRule) {
    struct Case { int stored, def, want; };
    for (auto c : {Case{4, 99, 99}, Case{5, 99, 5}, Case{256, 99, 256}, Case{257, 99, 99}, Case{300, 99, 99},
                   Case{-1, 20, 20}, Case{20, 20, 20}})
        EXPECT_EQ(SlotCountFor(c.stored, c.def), c.want) << c.stored;
}

TEST(Slots, NewNoteTakesTheLowestFreeSlot) {
    SlotTable<Note> t(5);
    Note n[6];
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(t.Take(t.LowestFree(), &n[i]));
    EXPECT_TRUE(t.Full());
    EXPECT_EQ(t.LowestFree(), kNoSlot);
    EXPECT_FALSE(t.Take(5, &n[5]));   // the spare element is never used
    t.Free(3);
    EXPECT_EQ(t.LowestFree(), 3);
    EXPECT_EQ(t.Count(), 4);
    EXPECT_FALSE(t.Take(2, &n[5]));   // taken slots stay taken
}

TEST(Slots, CountNeverBelowZeroAndIterationInOrder) {
    SlotTable<Note> t(10);
    Note a, b;
    t.Take(7, &a);
    t.Take(2, &b);
    std::vector<int> seen;
    t.ForEach([&](int slot, Note*) { seen.push_back(slot); });
    EXPECT_EQ(seen, (std::vector<int>{2, 7}));
    t.Free(7);
    t.Free(2);
    t.Free(2);
    t.Free(999);
    EXPECT_EQ(t.Count(), 0);
}

}  // namespace
}  // namespace kelup
