#pragma once
// One entry of the log of peeled notes.

#include <string>
#include <vector>

namespace kelup {

// `made` and `peeled` are the dates and times already in the system's format.
// The entry ends with an empty line, so entries stand two empty lines apart.
std::wstring PeelLogEntry(const std::wstring& made, const std::wstring& peeled,
                          const std::vector<std::wstring>& lines, const std::vector<std::wstring>* comment);

}  // namespace kelup
