#pragma once
// The main timer's bookkeeping. The periods are counted in ticks of 10 ms
// (100 ticks make a second), but the ticks are worked out from the real
// time that passed, so the timer itself need only wake when something is
// due instead of a thousand times a second.

#include <cstdint>

namespace kelup {

struct TimerDue {
    bool dateUpdate = false;   // the date-update period has run out
    bool titleCheck = false;   // the task-bar title period has run out
};

class TimerClock {
public:
    static constexpr int kTickMs = 10;

    void Start(std::uint64_t nowMs);

    // Advances the counters to `nowMs` and reports what has come due; a
    // counter that ran out starts again from 0.
    TimerDue Advance(std::uint64_t nowMs, int timerIntervalMinutes, int taskBarButtonSeconds);

    // Milliseconds from `nowMs` until the next thing comes due. The title
    // period only matters while an arrival title is showing.
    std::uint32_t MsUntilNext(std::uint64_t nowMs, int timerIntervalMinutes,
                              int taskBarButtonSeconds, bool titlePending) const;

    int DateTicks() const { return dateTicks_; }
    int TitleTicks() const { return titleTicks_; }

    // Ticks a counter must exceed: never less than one minute for the date
    // update, so a stored 0 cannot make the timer spin.
    static std::int64_t DateLimit(int timerIntervalMinutes);
    static std::int64_t TitleLimit(int taskBarButtonSeconds);

private:
    std::uint64_t lastMs_ = 0;
    std::uint64_t carryMs_ = 0;   // part of a tick not yet counted
    std::int64_t dateTicks_ = 0;
    std::int64_t titleTicks_ = 0;
};

}  // namespace kelup
