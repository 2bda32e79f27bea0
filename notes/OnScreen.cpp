#include "notes/OnScreen.h"

#include <algorithm>
#include <climits>

namespace kelup {

bool TitleVisible(const Box& note, const std::vector<Box>& monitors) {
    int need = std::min(kTitleMinWidth, std::max(note.Width(), 1));
    int bandBottom = note.top + std::min(kTitleHeight, std::max(note.Height(), 1));
    for (const Box& m : monitors) {
        int w = std::min(note.right, m.right) - std::max(note.left, m.left);
        int h = std::min(bandBottom, m.bottom) - std::max(note.top, m.top);
        if (w >= need && h > 0) return true;
    }
    return false;
}

namespace {

// Squared distance from a point to a box (0 inside).
long long DistanceSq(const Box& b, long long x, long long y) {
    long long dx = x < b.left ? b.left - x : x > b.right ? x - b.right : 0;
    long long dy = y < b.top ? b.top - y : y > b.bottom ? y - b.bottom : 0;
    return dx * dx + dy * dy;
}

int Clamp(int v, int lo, int hi) { return hi < lo ? lo : std::clamp(v, lo, hi); }

}  // namespace

Box PlaceInView(const Box& note, const std::vector<Box>& monitors) {
    if (monitors.empty()) return note;
    long long cx = (static_cast<long long>(note.left) + note.right) / 2;
    long long cy = (static_cast<long long>(note.top) + note.bottom) / 2;
    const Box* best = &monitors.front();
    long long bestD = LLONG_MAX;
    for (const Box& m : monitors) {
        long long d = DistanceSq(m, cx, cy);
        if (d < bestD) bestD = d, best = &m;
    }
    const Box& m = *best;
    // Whole when it fits; else its top-left corner on the monitor.
    int left = Clamp(note.left, m.left, m.right - note.Width());
    int top = Clamp(note.top, m.top, m.bottom - note.Height());
    return Box{left, top, left + note.Width(), top + note.Height()};
}

}  // namespace kelup
