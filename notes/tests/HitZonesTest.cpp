#include "notes/HitZones.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(HitZones, PressesOnANoteOf200By100WithMargin8) {
    struct Case { int x, y; Zone want; };
    const Case cases[] = {
        {3, 3, Zone::TopLeft},        // 3 px from the left and the top edge
        {3, 50, Zone::Left},          // 3 px from the left, halfway down
        {9, 9, Zone::Inner},          // 9 px from every edge moves the note
        {8, 8, Zone::Inner},          // the inner zone holds its left and top edge
        {192, 50, Zone::Right},
        {196, 96, Zone::BottomRight},
        {196, 2, Zone::TopRight},
        {2, 96, Zone::BottomLeft},
        {100, 2, Zone::Top},
        {100, 95, Zone::Bottom},
        {200, 50, Zone::None},        // the right edge itself is outside
    };
    for (const auto& c : cases) EXPECT_EQ(ZoneAt(0, 0, 200, 100, c.x, c.y, 8), c.want) << c.x << "," << c.y;
}

TEST(HitZones, ANoteNarrowerThanTwoMarginsCanOnlyBeSized) {
    for (int x = 0; x < 14; ++x)
        for (int y = 0; y < 100; ++y) EXPECT_NE(ZoneAt(0, 0, 14, 100, x, y, 8), Zone::Inner) << x << "," << y;
}

}  // namespace
}  // namespace kelup
