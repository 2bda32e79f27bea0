#include "notes/OnScreen.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

const Box kLeft{0, 0, 1280, 800}, kRight{1280, 0, 3200, 1080};

TEST(OnScreen, TitleAreaOnSomeMonitor) {
    struct Case {
        Box note;
        std::vector<Box> monitors;
        bool visible;
    };
    const Case cases[] = {
        {{100, 100, 372, 160}, {kLeft}, true},
        {{3000, 2000, 3272, 2060}, {kLeft}, false},
        {{3000, 500, 3272, 560}, {kLeft, kRight}, true},             // on the second monitor
        {{1270, 100, 1542, 160}, {kLeft}, false},                    // 10 pixels of title left
        {{1250, 100, 1522, 160}, {kLeft}, true},                     // 30 pixels
        {{100, -40, 372, 20}, {kLeft}, false},                       // title above the top
        {{100, 790, 372, 850}, {kLeft}, true},                       // the top band still shows
        {{-10, 100, 0, 160}, {kLeft}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TitleVisible(c.note, c.monitors), c.visible) << c.note.left << "," << c.note.top;
}

TEST(OnScreen, BroughtOntoTheNearestMonitorWhole) {
    // Far below and right of a single screen: into its bottom-right corner.
    EXPECT_EQ(PlaceInView({3000, 2000, 3272, 2060}, {kLeft}), (Box{1008, 740, 1280, 800}));
    // Nearer the second monitor: onto that one, same size.
    EXPECT_EQ(PlaceInView({3500, 300, 3772, 360}, {kLeft, kRight}), (Box{2928, 300, 3200, 360}));
    // Above the top: only moved down.
    EXPECT_EQ(PlaceInView({100, -300, 372, -240}, {kLeft}), (Box{100, 0, 372, 60}));
    // Larger than the monitor: its top-left corner on it.
    EXPECT_EQ(PlaceInView({-500, -500, 1500, 1500}, {kLeft}), (Box{0, 0, 2000, 2000}));
    // No monitors known: left as it is.
    EXPECT_EQ(PlaceInView({5, 5, 10, 10}, {}), (Box{5, 5, 10, 10}));
}

}  // namespace
}  // namespace kelup
