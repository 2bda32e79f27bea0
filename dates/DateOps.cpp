// The date update of the notes' deadlines and placeholders.

#include "app/RARADAVE.h"

namespace kelup {

void RARADAVE::M_DateUp1Click() { ++DateUpdates; }

// Date placeholders in a note's text are computed once they exist.
void RARADAVE::CompDate(int) {}

}  // namespace kelup
