#include "notes/RtfSpacing.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(RtfSpacing, SingleOnlyWhenEveryParagraphSaysSo) {
    struct Case {
        const char* rtf;
        bool single;
    };
    const Case cases[] = {
        {R"({\rtf1\ansi one\par two})", true},
        {R"({\rtf1\pard\sl-240\slmult1 \cf1 one\par two\par})", true},   // as this program writes it
        {R"({\rtf1\pard\sl240\slmult1 one\par\pard\sl0 two})", true},
        {R"({\rtf1\pard\sl-360\slmult1 one})", false},                   // one and a half
        {R"({\rtf1\pard\sl-240\slmult1 one\par\pard\sl-480\slmult1 two})", false},
        {R"({\rtf1\pard\sl-240\slmult0 one})", false},                   // exactly 12 points
        {R"({\rtf1\pard\sl240 one})", false},                            // no multiple given
        {R"({\rtf1\pard\sl one})", false},                               // no value
        {R"({\rtf1\f0\'95\'74\'e2\'b3\slmult1 \\sl-480 text})", true},   // escaped, not a word
        {R"({\rtf1\pard\sl-240)", false},                                // cut short
    };
    for (const Case& c : cases) EXPECT_EQ(RtfIsSingleSpaced(c.rtf), c.single) << c.rtf;
}

}  // namespace
}  // namespace kelup
