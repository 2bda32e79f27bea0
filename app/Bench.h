#pragma once
// Figures for the benchmarks that need a yardstick made in the program.

#include <windows.h>

namespace kelup {

// Microseconds to make, show and paint a bare dialog with a rich edit until
// it takes typing; the dialog goes again. Of `size` (its rich edit filling
// it) when that is not empty. -1 when it could not be made.
long long BareDialogMicros(HWND owner, SIZE size = {});

}  // namespace kelup
