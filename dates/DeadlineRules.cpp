#include "dates/DeadlineRules.h"

#include <cmath>

namespace kelup {

bool DeadlineCheckingOn(const DateRules& r) {
    return r.OnlyDateCheck == 1 || r.UseColor1 != 0 || r.UseColor2 != 0 || r.UseColor3 != 0;
}

double TimeOfDay(double value) {
    double f = value - std::floor(value);
    return f < 0 ? 0 : f;
}

double DeadlineAt(double date, double timeOfDay) { return std::floor(date) + TimeOfDay(timeOfDay); }

double EveryDayDeadline(double timeOfDay, double now) {
    double t = TimeOfDay(timeOfDay);
    double today = std::floor(now);
    return t < TimeOfDay(now) ? today + 1 + t : today + t;
}

DateLook EvaluateDeadline(DeadlineState& d, const DateRules& r, double now, bool imageNote, bool clearOnNoRule) {
    if (d.K_Date == 0) {
        d.LimitFG = 0;
        return DateLook::NoDeadline;
    }
    double today = std::floor(now);
    if (d.EveryDay == 1 && today > std::floor(d.K_Date)) d.K_Date = today + TimeOfDay(d.K_Date);
    if ((r.UseColor1 == 1 || r.OnlyDateCheck == 1) && now >= d.K_Date) {
        d.LimitFG = 1;
        if (d.EveryDay == 1) {
            d.K_Date = today + 1 + TimeOfDay(d.K_Date);
            d.PlaySndFG = 0;
        }
        return DateLook::Arrived;
    }
    bool ruleMayHold = imageNote || d.EveryDay != 1;
    if (r.UseColor2 == 1 && ruleMayHold && now + 1 >= d.K_Date) {
        d.LimitFG = now >= d.K_Date ? 1 : 0;
        return DateLook::WithinDay;
    }
    if (r.UseColor3 == 1 && ruleMayHold && now + r.Limit >= d.K_Date) {
        d.LimitFG = now >= d.K_Date ? 1 : 0;
        return DateLook::WithinLimit;
    }
    // An every-day deadline that arrived has moved on to tomorrow: its
    // arrival is over once no rule holds, also where a note otherwise keeps
    // it (an image note, a transparent note). Kept, it would play its sound
    // again at every timer period, all day, since every arrival re-arms it.
    if (clearOnNoRule || d.EveryDay == 1) d.LimitFG = 0;
    return DateLook::NoRule;
}

int TextColourRule(const DeadlineState& d, const DateRules& r, double now) {
    if (d.K_Date <= 0) return 0;
    if ((r.UseColor1 == 1 || r.OnlyDateCheck == 1) && now >= d.K_Date) return 1;
    if (d.EveryDay == 1) return 0;
    if (r.UseColor2 == 1 && now + 1 >= d.K_Date) return 2;
    if (r.UseColor3 == 1 && now + r.Limit >= d.K_Date) return 3;
    return 0;
}

DeadlineStacking StackingAfterDeadline(double K_Date, double now, int limitDays, bool stayOnTop) {
    if (K_Date > 0 && now >= K_Date) return DeadlineStacking::StayOnTop;
    bool near = K_Date == 0 || K_Date <= now + 1 || K_Date <= now + limitDays;
    return near && !stayOnTop ? DeadlineStacking::Release : DeadlineStacking::Keep;
}

}  // namespace kelup
