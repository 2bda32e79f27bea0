#include "app/TimerClock.h"

#include <algorithm>

namespace kelup {

void TimerClock::Start(std::uint64_t nowMs) {
    lastMs_ = nowMs;
    carryMs_ = 0;
    dateTicks_ = 0;
    titleTicks_ = 0;
}

std::int64_t TimerClock::DateLimit(int timerIntervalMinutes) {
    return std::int64_t(std::max(timerIntervalMinutes, 1)) * 6000;
}

std::int64_t TimerClock::TitleLimit(int taskBarButtonSeconds) {
    return std::int64_t(std::max(taskBarButtonSeconds, 0)) * 100;
}

TimerDue TimerClock::Advance(std::uint64_t nowMs, int timerIntervalMinutes, int taskBarButtonSeconds) {
    TimerDue due;
    if (nowMs < lastMs_) nowMs = lastMs_;   // the tick count never runs back
    std::uint64_t elapsed = nowMs - lastMs_ + carryMs_;
    lastMs_ = nowMs;
    std::int64_t ticks = std::int64_t(elapsed / kTickMs);
    carryMs_ = elapsed % kTickMs;
    dateTicks_ += ticks;
    titleTicks_ += ticks;
    if (dateTicks_ > DateLimit(timerIntervalMinutes)) {
        due.dateUpdate = true;
        dateTicks_ = 0;
    }
    if (titleTicks_ > TitleLimit(taskBarButtonSeconds)) {
        due.titleCheck = true;
        titleTicks_ = 0;
    }
    return due;
}

std::uint32_t TimerClock::MsUntilNext(std::uint64_t nowMs, int timerIntervalMinutes,
                                      int taskBarButtonSeconds, bool titlePending) const {
    std::uint64_t since = (nowMs > lastMs_ ? nowMs - lastMs_ : 0) + carryMs_;
    auto msFor = [&](std::int64_t counter, std::int64_t limit) -> std::uint64_t {
        std::int64_t ticksLeft = limit + 1 - counter;   // the counter must exceed the limit
        std::uint64_t ms = ticksLeft > 0 ? std::uint64_t(ticksLeft) * kTickMs : 0;
        return ms > since ? ms - since : 0;
    };
    std::uint64_t next = msFor(dateTicks_, DateLimit(timerIntervalMinutes));
    if (titlePending) next = std::min(next, msFor(titleTicks_, TitleLimit(taskBarButtonSeconds)));
    return std::uint32_t(std::clamp<std::uint64_t>(next, kTickMs, 0xFFFFFFFFu));
}

}  // namespace kelup
