#pragma once
// Dates and times in the system's short date and time formats.

#include <string>

#include "dates/DateTime.h"

namespace kelup {

std::wstring SystemDateText(const CivilDateTime& t);
std::wstring SystemTimeText(const CivilDateTime& t);

}  // namespace kelup
