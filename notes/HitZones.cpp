#include "notes/HitZones.h"

namespace kelup {

Zone ZoneAt(int l, int t, int r, int b, int x, int y, int m) {
    auto in = [&](int zl, int zt, int zr, int zb) { return x >= zl && x < zr && y >= zt && y < zb; };
    if (in(l + m, t + m, r - m, b - m)) return Zone::Inner;
    if (in(r - m, t + m, r, b - m)) return Zone::Right;
    if (in(l, t + m, l + m, b - m)) return Zone::Left;
    if (in(l + m, t, r - m, t + m)) return Zone::Top;
    if (in(l + m, b - m, r - m, b)) return Zone::Bottom;
    if (in(l, t, l + m, t + m)) return Zone::TopLeft;
    if (in(l, b - m, l + m, b)) return Zone::BottomLeft;
    if (in(r - m, b - m, r, b)) return Zone::BottomRight;
    if (in(r - m, t, r, t + m)) return Zone::TopRight;
    return Zone::None;
}

}  // namespace kelup
