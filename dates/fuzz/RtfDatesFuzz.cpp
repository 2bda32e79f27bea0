// Hostile note texts: working placeholders out in the RTF and colouring it
// never fail other than by giving up, and what comes out shows the same
// text apart from the numbers.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "dates/Placeholders.h"
#include "dates/RtfDates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelup;
    const std::string_view rtf(reinterpret_cast<const char*>(data), size);
    const long today = 46366;
    auto out = RtfWithDates(rtf, today);
    auto before = RtfShownText(rtf);
    // It gives up on no more than the reader does, and on placeholders
    // that run into another's number (left to the rebuild in a rich edit).
    if (out && !before) std::abort();
    if (out) {
        // A document without placeholders comes out unchanged.
        if (!HasPlaceholderMarker(*before) && *out != rtf) std::abort();
        if (!RtfShownText(*out)) std::abort();
    }
    if (auto coloured = RtfInColour(rtf, 0x123456); coloured && before) {
        auto after = RtfShownText(*coloured);
        if (!after || *after != *before) std::abort();
    }
    return 0;
}
