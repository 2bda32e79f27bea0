// Template titles of the main menu.

#include "templates/Templates.h"

namespace kelup {

void Templates::TempletePreRead() {}

}  // namespace kelup
