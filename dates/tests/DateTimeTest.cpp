#include "dates/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kelup {
namespace {

TEST(DateTime, KnownValues) {
    struct Case { CivilDateTime t; double v; };
    const Case cases[] = {
        {{1899, 12, 30}, 0.0},
        {{1900, 1, 1}, 2.0},
        {{2000, 1, 1}, 36526.0},
        {{2026, 12, 10, 12, 0, 0}, 46366.5},
        {{1899, 12, 29, 6, 0, 0}, -1.25},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(EncodeDateTime(c.t), c.v) << c.t.year << "-" << c.t.month << "-" << c.t.day;
        CivilDateTime back = DecodeDateTime(c.v);
        EXPECT_EQ(back.year, c.t.year);
        EXPECT_EQ(back.month, c.t.month);
        EXPECT_EQ(back.day, c.t.day);
        EXPECT_EQ(back.hour, c.t.hour);
    }
}

TEST(DateTime, RoundTripAcrossLeapYears) {
    for (int y : {1900, 1996, 2000, 2024, 2100})
        for (int m = 1; m <= 12; ++m) {
            CivilDateTime t{y, m, 28, 23, 59, 59, 0};
            CivilDateTime back = DecodeDateTime(EncodeDateTime(t));
            EXPECT_EQ(back.year, y);
            EXPECT_EQ(back.month, m);
            EXPECT_EQ(back.day, 28);
            EXPECT_EQ(back.second, 59);
        }
}

TEST(DateTime, HostileValuesDecodeToTheEpoch) {
    EXPECT_EQ(DecodeDateTime(1e300).year, 1899);
    EXPECT_EQ(DecodeDateTime(std::nan("")).year, 1899);
}

}  // namespace
}  // namespace kelup
