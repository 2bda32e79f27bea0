#include "app/TimerClock.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(TimerClock, DateUpdateAfterOneMinuteOfRealTimeWhateverTheWakeUps) {
    for (std::uint64_t step : {1ull, 16ull, 250ull, 10007ull}) {
        TimerClock c;
        c.Start(1000);
        int updates = 0;
        std::uint64_t firstAt = 0;
        for (std::uint64_t t = 1000 + step; t <= 1000 + 5 * 60000 + step; t += step) {
            if (c.Advance(t, 1, 0).dateUpdate) {
                if (!updates) firstAt = t - 1000;
                ++updates;
            }
        }
        // The counter must exceed 6000 ticks of 10 ms: just over a minute.
        EXPECT_GE(firstAt, 60010u) << "step " << step;
        EXPECT_LE(firstAt, 60010u + step) << "step " << step;
        EXPECT_GE(updates, 4) << "step " << step;
        EXPECT_LE(updates, 5) << "step " << step;
    }
}

TEST(TimerClock, SleepsUntilTheNextThingIsDue) {
    TimerClock c;
    c.Start(0);
    EXPECT_EQ(c.MsUntilNext(0, 2, 5, false), 2u * 60000 + 10);
    // An arrival title waiting shortens the sleep to its period.
    EXPECT_EQ(c.MsUntilNext(0, 2, 5, true), 5u * 1000 + 10);
    c.Advance(30000, 2, 5);
    EXPECT_EQ(c.MsUntilNext(30000, 2, 5, false), 2u * 60000 + 10 - 30000);
}

TEST(TimerClock, ZeroIntervalDoesNotSpin) {
    TimerClock c;
    c.Start(0);
    EXPECT_GE(c.MsUntilNext(0, 0, 0, false), 60000u);
    EXPECT_FALSE(c.Advance(10, 0, 0).dateUpdate);
}

TEST(TimerClock, TitlePeriodAndClockRunningBack) {
    TimerClock c;
    c.Start(5000);
    EXPECT_FALSE(c.Advance(5000 + 3000, 1, 3).titleCheck);
    EXPECT_TRUE(c.Advance(5000 + 3020, 1, 3).titleCheck);
    EXPECT_EQ(c.TitleTicks(), 0);
    // A tick count that seems to run back adds nothing.
    c.Advance(100, 1, 3);
    EXPECT_GE(c.DateTicks(), 0);
}

}  // namespace
}  // namespace kelup
