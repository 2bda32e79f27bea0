#pragma once
// The nine zones of a note's surface: the inner area moves the note, a band
// of `margin` pixels along the edges sizes it.

namespace kelup {

enum class Zone { None, Inner, Right, Left, Top, Bottom, TopLeft, BottomLeft, BottomRight, TopRight };

// Client rectangle (l, t, r, b) and a point in client coordinates. The zones
// are tested in a fixed order; a rectangle holds its left and top edges, not
// its right and bottom ones.
Zone ZoneAt(int l, int t, int r, int b, int x, int y, int margin);

}  // namespace kelup
