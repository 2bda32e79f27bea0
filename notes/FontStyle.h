#pragma once
// The font style code of the default design and of templates: a decimal
// number whose thousands digit is bold, hundreds italic, tens underline and
// units strike-out (1110: bold, italic and underlined).

namespace kelup {

struct FontEffects {
    bool bold = false, italic = false, underline = false, strikeOut = false;
    bool operator==(const FontEffects&) const = default;
};

// Applies a style code to `current` digit by digit: a thousands digit of 1
// makes the style bold alone (replacing it); the other digits of 1 add their
// effect, leaving the rest as it was.
FontEffects FontSet(FontEffects current, int style);

// The code of a set of effects.
int StyleCode(const FontEffects& e);

}  // namespace kelup
