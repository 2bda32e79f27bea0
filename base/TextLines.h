#pragma once
// Text split into lines at CR LF, CR or LF.

#include <string>
#include <string_view>
#include <vector>

namespace kelup {

// A line break at the very end makes an empty last line only when
// `keepFinalEmpty` is set; an empty text has no lines.
std::vector<std::wstring> SplitLines(std::wstring_view text, bool keepFinalEmpty = false);

}  // namespace kelup
