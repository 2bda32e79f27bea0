// Picture receives finished by the transfer threads.

#include "app/RARADAVE.h"

namespace kelup {

void RARADAVE::OnPictureDone(WPARAM, LPARAM) {}

}  // namespace kelup
