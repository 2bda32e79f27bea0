// Picture receives finished by the transfer threads.

#include "transfer/Transfer.h"

namespace kelup {

void Transfer::OnPictureDone(WPARAM, LPARAM) {}

}  // namespace kelup
