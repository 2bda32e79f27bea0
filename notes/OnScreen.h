#pragma once
// Keeping notes where they can be seen: a note whose title area lies on no
// monitor is brought into view, and its own place is kept for when that
// monitor comes back.

#include <vector>

namespace kelup {

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Box&) const = default;
};

// How much of a note's top must show for it to be taken and moved.
inline constexpr int kTitleHeight = 16;
inline constexpr int kTitleMinWidth = 24;

// True when the top band of the note (kTitleHeight high) shows at least
// kTitleMinWidth pixels (or the note's whole width, when narrower) on one of
// the monitors' work areas.
bool TitleVisible(const Box& note, const std::vector<Box>& monitors);

// Where the note goes: onto the monitor nearest to it, as near as it can to
// where it was, whole when it fits. The size never changes.
Box PlaceInView(const Box& note, const std::vector<Box>& monitors);

}  // namespace kelup
