#pragma once
// Names of the picture files written for image notes held only in memory:
// the packed MS-DOS date-time of now in decimal, ".bmp". That form changes
// only every two seconds, so a name already taken moves on to the next number.

#include <cstdint>
#include <functional>
#include <string>

namespace kelup {

// `taken` says whether a file name (without folder) is already in use.
std::wstring UniquePictureName(std::uint32_t dosStamp, const std::function<bool(const std::wstring&)>& taken);

}  // namespace kelup
