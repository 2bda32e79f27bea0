#pragma once
// The editor's own toolbar pictures, drawn at start into an image list.

#include <windows.h>
#include <commctrl.h>

namespace kelup {

// In the order they are added.
enum class EditorIcon { Clock, CalendarHan, CalendarZen, Quote, Quote2, Wrap, Cancel, Peel, Count };

// Adds the pictures (16 x 16) to `list`; the index of the first, or -1.
int AddEditorIcons(HIMAGELIST list);

}  // namespace kelup
