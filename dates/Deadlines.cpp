// The date update of the notes' deadlines and placeholders.

#include "dates/Deadlines.h"

namespace kelup {

void Deadlines::M_DateUp1Click() { ++DateUpdates_; }

// Date placeholders in a note's text are computed once they exist.
void Deadlines::CompDate(int) {}

}  // namespace kelup
