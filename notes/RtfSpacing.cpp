#include "notes/RtfSpacing.h"

#include <cctype>
#include <optional>
#include <string>

namespace kelup {

namespace {

struct Word {
    std::string name;
    std::optional<long> param;
    size_t end = 0;
};

// The control word starting at the backslash at `i`.
Word ReadWord(std::string_view s, size_t i) {
    Word w;
    size_t j = i + 1;
    while (j < s.size() && std::isalpha(static_cast<unsigned char>(s[j]))) w.name += s[j++];
    size_t digits = j + (j < s.size() && s[j] == '-' ? 1 : 0);
    size_t k = digits;
    while (k < s.size() && k - digits < 10 && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
    if (k > digits) w.param = std::stol(std::string(s.substr(j, k - j)));
    if (k < s.size() && s[k] == ' ') ++k;   // the space that ends a control word is part of it
    w.end = k;
    return w;
}

}  // namespace

bool RtfIsSingleSpaced(std::string_view rtf) {
    for (size_t i = rtf.find('\\'); i != std::string_view::npos; i = rtf.find('\\', i + 1)) {
        if (i + 1 < rtf.size() && !std::isalpha(static_cast<unsigned char>(rtf[i + 1]))) {
            ++i;   // an escaped symbol such as \\ or \'82
            continue;
        }
        Word w = ReadWord(rtf, i);
        if (w.name == "slmult") continue;   // judged with its \sl
        if (w.name != "sl") continue;
        if (!w.param) return false;
        if (*w.param == 0) continue;
        if (*w.param != 240 && *w.param != -240) return false;
        if (w.end >= rtf.size() || rtf[w.end] != '\\') return false;
        Word next = ReadWord(rtf, w.end);
        if (next.name != "slmult" || next.param != 1) return false;
    }
    return true;
}

}  // namespace kelup
