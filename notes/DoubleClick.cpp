#include "notes/DoubleClick.h"

namespace kelup {

DblClickChoice ChooseDoubleClick(const DblClickState& s) {
    if (s.alt) return {DblClickAction::Hide};
    if (s.shift) return {DblClickAction::Edit};
    if (s.ctrl) return {DblClickAction::PeelLog};
    if (s.dblClickMode == 2 && s.hasOpenFile) return {DblClickAction::OpenFile};
    if (s.dblClickMode == 3) return {DblClickAction::AutoSize, kAutoVertical};
    if (s.dblClickMode == 1 && s.keyOpen == 0) return {DblClickAction::DirectEdit};
    if (s.edgeHit && s.edgeDblClick == 1 && s.lockMode == 0) {
        // Values other than the four kinds (the default 4 among them) do nothing.
        int kind = s.autoSizeSelect >= 0 && s.autoSizeSelect <= 3 ? s.autoSizeSelect : -1;
        return {DblClickAction::AutoSize, kind};
    }
    if (s.downKey >= '1' && s.downKey <= '9') return {DblClickAction::CopyLine, int(s.downKey - '0')};
    return {DblClickAction::FocusAndEdit};
}

}  // namespace kelup
