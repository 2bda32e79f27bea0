#pragma once
// How near a note's deadline is, and what that does to the note: the three
// colour rules, the arrival of a deadline, every-day deadlines that move on
// to the next day. Date-times are serial values: days since 1899-12-30, the
// time of day as the fraction.

namespace kelup {

// The settings the rules read.
struct DateRules {
    int UseColor1 = 0, UseColor2 = 0, UseColor3 = 0;
    int Limit = 0;          // days ahead for rule 3
    int OnlyDateCheck = 0;  // deadlines arrive, but no colour changes
};

// Deadline checking is on: only then can a deadline be set.
bool DeadlineCheckingOn(const DateRules& r);

// The deadline state of one note.
struct DeadlineState {
    double K_Date = 0;   // 0: no deadline
    int EveryDay = 0;
    int LimitFG = 0;     // the deadline has arrived
    int PlaySndFG = 0;   // its sound was played for this arrival
};

// What an evaluation found.
enum class DateLook {
    NoDeadline,   // nothing to do
    Arrived,      // rule 1: the deadline has come; the note comes forward
    WithinDay,    // rule 2
    WithinLimit,  // rule 3
    NoRule,       // none of the rules that are on holds
};

// Evaluates a deadline at `now` (`today` is its date) and updates the state
// as the evaluation does: an every-day deadline moves to today when a new
// day began and to tomorrow the moment it arrives. For an image note rules 2
// and 3 hold for every-day deadlines too. LimitFG is cleared on NoRule only
// when `clearOnNoRule` (a text note that is not transparent).
DateLook EvaluateDeadline(DeadlineState& d, const DateRules& r, double now, bool imageNote, bool clearOnNoRule);

// The rule whose text colour a rebuilt text takes again (1..3), or 0.
int TextColourRule(const DeadlineState& d, const DateRules& r, double now);

// The deadline of an every-day setting made at `now`: today at `timeOfDay`,
// or tomorrow when that time has already gone by today.
double EveryDayDeadline(double timeOfDay, double now);
// A date and a time of day put together.
double DeadlineAt(double date, double timeOfDay);
// The time of day of a serial value, as a fraction of a day.
double TimeOfDay(double value);

// How a note stands after its deadline was set.
enum class DeadlineStacking { StayOnTop, Release, Keep };
DeadlineStacking StackingAfterDeadline(double K_Date, double now, int limitDays, bool stayOnTop);

}  // namespace kelup
