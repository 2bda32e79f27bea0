// The date update of the notes' deadlines and placeholders.

#include "app/RARADAVE.h"

namespace kelup {

void RARADAVE::M_DateUp1Click() { ++DateUpdates; }

}  // namespace kelup
