#include "notes/FontStyle.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(FontStyle, DigitByDigit) {
    const FontEffects plain{}, boldItalic{true, true, false, false}, underlined{false, false, true, false};
    struct Case {
        FontEffects current;
        int style;
        FontEffects want;
    };
    const Case cases[] = {
        {plain, 1110, {true, true, true, false}},
        {plain, 1, {false, false, false, true}},
        {boldItalic, 11, {true, true, true, true}},       // bold and italic stay as they were
        {underlined, 1000, {true, false, false, false}},  // bold replaces the style
        {underlined, 1100, {true, true, false, false}},
        {boldItalic, 0, boldItalic},
        {plain, 2020, plain},                             // digits other than 1 do nothing
    };
    for (const Case& c : cases) EXPECT_EQ(FontSet(c.current, c.style), c.want) << c.style;
    for (int code : {0, 1, 10, 11, 100, 1010, 1111}) EXPECT_EQ(StyleCode(FontSet(plain, code)), code);
}

}  // namespace
}  // namespace kelup
