#pragma once
// The send-list pictures of the compose window's group tree and peer
// lists, drawn at start: 0 all peers, 1 and 2 a group closed and open,
// 3..10 the eight icons a user can choose (man, woman, monkey, glasses,
// rabbit, second woman, big brother, boy), 11..18 the same greyed for
// friends who are not on the network now, 19 an IP Messenger peer and 20
// the same greyed.

#include <windows.h>
#include <commctrl.h>

namespace kelup {

inline constexpr int kSendListImageSize = 24;
inline constexpr int kSendListImageCount = 21;
// The colour that stands for "transparent" in the pictures.
inline constexpr COLORREF kSendListMask = RGB(255, 0, 0);

// A new image list of the 21 pictures (the caller owns it), or null.
HIMAGELIST MakeSendListImages();

}  // namespace kelup
