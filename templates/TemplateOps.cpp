// Template titles of the main menu.

#include "app/RARADAVE.h"

namespace kelup {

void RARADAVE::TempletePreRead() {}

}  // namespace kelup
