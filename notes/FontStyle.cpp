#include "notes/FontStyle.h"

namespace kelup {

FontEffects FontSet(FontEffects e, int style) {
    if (style / 1000 % 10 == 1) {
        e = FontEffects{};
        e.bold = true;
    }
    if (style / 100 % 10 == 1) e.italic = true;
    if (style / 10 % 10 == 1) e.underline = true;
    if (style % 10 == 1) e.strikeOut = true;
    return e;
}

int StyleCode(const FontEffects& e) {
    return (e.bold ? 1000 : 0) + (e.italic ? 100 : 0) + (e.underline ? 10 : 0) + (e.strikeOut ? 1 : 0);
}

}  // namespace kelup
