// Sending an image note's picture: the compose editor in its image mode
// chooses the recipient, the transfer offers the picture.

#include "store/NoteStore.h"

namespace kelup {

void NoteStore::SendImageNote(int slot) { (void)slot; }

}  // namespace kelup
