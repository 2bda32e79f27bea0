#pragma once
// Reading the line spacing of RTF text without laying it out.

#include <string_view>

namespace kelup {

// True when every paragraph of the RTF text has single line spacing: it
// names no spacing, or only "\sl0", or "\sl240"/"\sl-240" each followed by
// "\slmult1". Anything else (other values, exact spacing, a damaged word)
// answers false, so the caller sets the spacing itself.
bool RtfIsSingleSpaced(std::string_view rtf);

}  // namespace kelup
