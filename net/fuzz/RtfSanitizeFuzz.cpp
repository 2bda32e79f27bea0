// Received rich text from anywhere: what the sanitiser gives back is balanced,
// never deeper than the limit, and holds no group it must drop.

#include "net/ReceiveRules.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelup;
    std::string_view in(reinterpret_cast<const char*>(data), size);
    std::string out = SanitizeRtf(in);
    if (in.rfind("{\\rtf", 0) != 0) {
        Check(out == in);
        return 0;
    }
    Check(out.size() <= in.size() * 2 + 8);
    int depth = 0;
    bool escaped = false;
    for (char c : out) {
        Check(c != '\0');
        if (escaped) {
            escaped = false;
            continue;
        }
        if (c == '\\') escaped = true;
        else if (c == '{') ++depth;
        else if (c == '}') --depth;
        Check(depth >= 0 && depth <= kMaxRtfDepth);
    }
    Check(depth == 0);
    // No control word that embeds, links or carries raw bytes is left.
    for (std::size_t i = 0; i + 1 < out.size(); ++i) {
        if (out[i] != '\\') continue;
        std::size_t j = i + 1;
        while (j < out.size() && ((out[j] >= 'a' && out[j] <= 'z') || (out[j] >= 'A' && out[j] <= 'Z'))) ++j;
        std::string_view word(out.data() + i + 1, j - i - 1);
        for (std::string_view bad : {"object", "objdata", "fldinst", "bin", "template"}) Check(word != bad);
        i = word.empty() ? i + 1 : j - 1;   // a control symbol takes the character after it
    }
    // What is safe stays as it is.
    Check(SanitizeRtf(out) == out);
    return 0;
}
