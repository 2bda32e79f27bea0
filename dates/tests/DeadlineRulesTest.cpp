#include "dates/DeadlineRules.h"

#include <gtest/gtest.h>

#include <cmath>

#include "dates/DateTime.h"

namespace kelup {
namespace {

double At(int y, int mo, int d, int h = 0, int mi = 0) { return EncodeDateTime({y, mo, d, h, mi, 0, 0}); }

struct RuleCase {
    const char* name;
    DateRules rules;
    double kDate;
    int everyDay;
    double now;
    bool image;
    DateLook look;
    int limitFG;
};

TEST(DeadlineRules, EachRuleHoldsFromItsBoundary) {
    const DateRules all{1, 1, 1, 10, 0};
    const DateRules onlyCheck{0, 0, 0, 0, 1};
    const DateRules off{};
    const DateRules rule3{0, 0, 1, 10, 0};
    const double due = At(2026, 12, 20, 9, 0);
    const RuleCase cases[] = {
        {"arrived at the minute", all, due, 0, due, false, DateLook::Arrived, 1},
        {"a minute before is within a day", all, due, 0, due - 1.0 / 1440, false, DateLook::WithinDay, 0},
        {"exactly a day before", all, due, 0, due - 1, false, DateLook::WithinDay, 0},
        {"a day and a minute before: rule 3", all, due, 0, due - 1 - 1.0 / 1440, false, DateLook::WithinLimit, 0},
        {"ten days before: rule 3", all, due, 0, due - 10, false, DateLook::WithinLimit, 0},
        {"eleven days before: none", all, due, 0, due - 11, false, DateLook::NoRule, 0},
        {"rule 3 alone, past the deadline", rule3, due, 0, due + 3, false, DateLook::WithinLimit, 1},
        {"only checking: arrives without colour rules", onlyCheck, due, 0, due, false, DateLook::Arrived, 1},
        {"only checking: before it, nothing", onlyCheck, due, 0, due - 0.5, false, DateLook::NoRule, 0},
        {"checking off: nothing ever holds", off, due, 0, due + 5, false, DateLook::NoRule, 0},
        {"no deadline", all, 0, 0, due, false, DateLook::NoDeadline, 0},
        {"every day: rule 2 never holds for a text note", all, At(2026, 12, 10, 9), 1, At(2026, 12, 10, 8), false,
         DateLook::NoRule, 0},
        {"every day: rule 2 holds for an image note", all, At(2026, 12, 10, 9), 1, At(2026, 12, 10, 8), true,
         DateLook::WithinDay, 0},
    };
    for (const RuleCase& c : cases) {
        DeadlineState d{c.kDate, c.everyDay, 7, 0};
        EXPECT_EQ(EvaluateDeadline(d, c.rules, c.now, c.image, true), c.look) << c.name;
        EXPECT_EQ(d.LimitFG, c.limitFG) << c.name;
    }
}

TEST(DeadlineRules, NoRuleKeepsTheArrivalOfTransparentAndImageNotes) {
    DeadlineState d{At(2026, 12, 20), 0, 1, 0};
    EXPECT_EQ(EvaluateDeadline(d, DateRules{}, At(2026, 12, 21), false, false), DateLook::NoRule);
    EXPECT_EQ(d.LimitFG, 1);
    EvaluateDeadline(d, DateRules{}, At(2026, 12, 21), false, true);
    EXPECT_EQ(d.LimitFG, 0);
}

// With arrival the only rule, an every-day deadline of an image note or a
// transparent note arrives once a day: its arrival (and with it the sound
// that every arrival re-arms) ends at the next update.
TEST(DeadlineRules, AnEveryDayArrivalEndsAlsoWhereNotesKeepTheirArrival) {
    const DateRules arrivalOnly{1, 0, 0, 0, 0};
    for (bool image : {true, false}) {
        DeadlineState d{At(2026, 12, 10, 9), 1, 0, 1};
        EXPECT_EQ(EvaluateDeadline(d, arrivalOnly, At(2026, 12, 10, 9), image, false), DateLook::Arrived);
        EXPECT_EQ(d.LimitFG, 1);
        EXPECT_EQ(d.PlaySndFG, 0);
        EXPECT_EQ(EvaluateDeadline(d, arrivalOnly, At(2026, 12, 10, 9, 1), image, false), DateLook::NoRule);
        EXPECT_EQ(d.LimitFG, 0) << (image ? "image note" : "transparent note");
        EXPECT_EQ(EvaluateDeadline(d, arrivalOnly, At(2026, 12, 11, 9), image, false), DateLook::Arrived);
        EXPECT_EQ(d.LimitFG, 1);
    }
}

TEST(DeadlineRules, EveryDayDeadlineMovesOnAcrossDaysMonthsAndYears) {
    const DateRules r{1, 0, 0, 0, 0};
    // Set on 2026-12-31 for 09:00; the program was not run until 2027-03-01 07:00.
    DeadlineState d{At(2026, 12, 31, 9), 1, 0, 1};
    EXPECT_EQ(EvaluateDeadline(d, r, At(2027, 3, 1, 7), false, true), DateLook::NoRule);
    EXPECT_DOUBLE_EQ(d.K_Date, At(2027, 3, 1, 9));
    // At 09:00 it arrives, re-arms its sound and moves on to tomorrow.
    EXPECT_EQ(EvaluateDeadline(d, r, At(2027, 3, 1, 9), false, true), DateLook::Arrived);
    EXPECT_EQ(d.LimitFG, 1);
    EXPECT_EQ(d.PlaySndFG, 0);
    EXPECT_NEAR(d.K_Date, At(2027, 3, 2, 9), 1e-9);
    // Later that day it does not arrive again; the next day it does.
    d.PlaySndFG = 1;
    EXPECT_EQ(EvaluateDeadline(d, r, At(2027, 3, 1, 23, 59), false, true), DateLook::NoRule);
    EXPECT_EQ(d.LimitFG, 0);
    EXPECT_EQ(EvaluateDeadline(d, r, At(2027, 3, 2, 9, 1), false, true), DateLook::Arrived);
    EXPECT_NEAR(d.K_Date, At(2027, 3, 3, 9), 1e-9);
    // Across a leap day.
    DeadlineState leap{At(2028, 2, 28, 18), 1, 0, 0};
    EvaluateDeadline(leap, r, At(2028, 2, 28, 18, 30), false, true);
    EXPECT_NEAR(leap.K_Date, At(2028, 2, 29, 18), 1e-9);
}

TEST(DeadlineRules, TheTextColourOfARebuiltText) {
    const DateRules all{1, 1, 1, 10, 0};
    const double due = At(2026, 12, 20, 9);
    EXPECT_EQ(TextColourRule({due, 0, 0, 0}, all, due + 1), 1);
    EXPECT_EQ(TextColourRule({due, 0, 0, 0}, all, due - 0.5), 2);
    EXPECT_EQ(TextColourRule({due, 0, 0, 0}, all, due - 5), 3);
    EXPECT_EQ(TextColourRule({due, 0, 0, 0}, all, due - 20), 0);
    EXPECT_EQ(TextColourRule({due, 1, 0, 0}, all, due - 0.5), 0);   // every day: rules 2 and 3 never
    EXPECT_EQ(TextColourRule({0, 0, 0, 0}, all, due), 0);
    EXPECT_EQ(TextColourRule({due, 0, 0, 0}, DateRules{0, 0, 0, 0, 1}, due), 1);
}

TEST(DeadlineRules, SettingAnEveryDayDeadline) {
    // 09:00 set at 10:00 is tomorrow's; set at 08:00 it is today's.
    const double nine = At(1899, 12, 30, 9);
    EXPECT_NEAR(EveryDayDeadline(nine, At(2026, 12, 10, 10)), At(2026, 12, 11, 9), 1e-9);
    EXPECT_NEAR(EveryDayDeadline(nine, At(2026, 12, 10, 8)), At(2026, 12, 10, 9), 1e-9);
    EXPECT_NEAR(EveryDayDeadline(nine, At(2026, 12, 31, 22)), At(2027, 1, 1, 9), 1e-9);
    EXPECT_NEAR(DeadlineAt(At(2027, 2, 28, 23), At(2000, 1, 1, 7, 30)), At(2027, 2, 28, 7, 30), 1e-9);
}

TEST(DeadlineRules, StackingAfterADeadlineIsSet) {
    const double now = At(2026, 12, 10, 12);
    struct Case { double k; int limit; bool onTop; DeadlineStacking want; };
    const Case cases[] = {
        {now - 0.1, 0, false, DeadlineStacking::StayOnTop},
        {now + 0.5, 0, false, DeadlineStacking::Release},
        {now + 0.5, 0, true, DeadlineStacking::Keep},
        {now + 5, 10, false, DeadlineStacking::Release},
        {now + 5, 0, false, DeadlineStacking::Keep},
        {0, 0, false, DeadlineStacking::Release},
    };
    for (const Case& c : cases) EXPECT_EQ(StackingAfterDeadline(c.k, now, c.limit, c.onTop), c.want) << c.k;
}

}  // namespace
}  // namespace kelup
