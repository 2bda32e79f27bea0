#include "dates/RtfDates.h"

#include <gtest/gtest.h>

#include "dates/DateTime.h"

namespace kelup {
namespace {

long Day(int y, int m, int d) { return long(EncodeDateTime(CivilDateTime{y, m, d})); }

// A document as the rich edit writes a note's text.
std::string Doc(const std::string& body) {
    return "{\\rtf1\\ansi\\ansicpg932\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 "
           "\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
           "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n\\pard\\f0\\fs24\\lang1041 " +
           body + "\\par\r\n}\r\n";
}

TEST(RtfDates, ShowsTheNumbersAsARebuildInARichEditDoes) {
    const long today = Day(2025, 3, 19);
    struct Case {
        const char* name;
        std::string body;
        std::wstring shown;
    };
    const Case cases[] = {
        {"half-width", "\\'82\\'a0\\'82\\'c6%%2025/03/31%%\\'93\\'fa", L"あと12日\r"},
        {"full-width in code page 932",
         "\\'81\\'93\\'81\\'93\\'82\\'51\\'82\\'4f\\'82\\'51\\'82\\'54\\'81\\'5e\\'82\\'4f\\'82\\'53\\'81\\'5e"
         "\\'82\\'50\\'82\\'58\\'81\\'93\\'81\\'93",
         L"\xFF13\xFF11\r"},
        {"full-width as Unicode", "\\u-251?\\u-251?\\u-238?\\u-240?\\u-238?\\u-235?\\u-241?\\u-240?\\u-237?\\u-241?"
                                  "\\u-239?\\u-231?\\u-251?\\u-251?",
         L"\xFF10\r"},
        {"a placeholder across formats", "a%%2025/{\\b 03}/21%%b", L"a2b\r"},
        {"past and two in a line", "%%2025/03/18%% %%2025/03/20%%", L"-1 1\r"},
        {"a lone marker stops at the paragraph", "100%%\\par next", L"1000\rnext\r"},
        {"escaped braces around it", "\\{%%2025/03/20%%\\}", L"{1}\r"},
        {"no placeholder", "plain \\'82\\'a0", L"plain あ\r"},
        {"a line break inside the paragraph", "%%2025/03/20%%\\line x", L"1\vx\r"},
    };
    for (const Case& c : cases) {
        auto out = RtfWithDates(Doc(c.body), today);
        ASSERT_TRUE(out) << c.name;
        EXPECT_EQ(RtfShownText(*out), std::optional<std::wstring>(c.shown)) << c.name;
    }
}

TEST(RtfDates, TheNumberTakesTheFormatOfTheMarkersFirstCharacter) {
    auto out = RtfWithDates(Doc("x{\\cf1\\b %%2025/03/21}%%y"), Day(2025, 3, 19));
    ASSERT_TRUE(out);
    EXPECT_NE(out->find("{\\cf1\\b 2}y"), std::string::npos) << *out;
    // The rest of the document is untouched.
    EXPECT_EQ(out->substr(0, 40), Doc("").substr(0, 40));
}

TEST(RtfDates, AllTextInOneColour) {
    const std::string doc = Doc("a{\\cf1 b}\\plain c\\cf0 d");
    auto out = RtfInColour(doc, 0x00FF80);   // blue 0, green 255, red 128
    ASSERT_TRUE(out);
    EXPECT_NE(out->find("\\red255\\green0\\blue0;\\red128\\green255\\blue0;}"), std::string::npos) << *out;
    EXPECT_NE(out->find("{\\cf2 b}\\plain\\cf2 c\\cf2 d"), std::string::npos) << *out;
    EXPECT_EQ(RtfShownText(*out), RtfShownText(doc));
    EXPECT_FALSE(RtfInColour("{\\rtf1 no table}", 0));
}

TEST(RtfDates, GivesUpOnWhatItDoesNotFollow) {
    const char* bodies[] = {
        "{\\pict\\wmetafile8 0102}%%2025/03/20%%",         // a picture
        "{\\object\\objemb{\\*\\objdata 01}}",             // an embedded object
        "\\trowd\\cellx100 a\\cell\\row",                  // a table
        "caf\\'e9 %%2025/03/20%%",                         // a byte that is no character of code page 932
        "\x82\xa0",                                        // raw bytes
    };
    for (const char* b : bodies) EXPECT_FALSE(RtfWithDates(Doc(b), Day(2025, 3, 19))) << b;
    for (const char* doc : {"", "plain text", "{\\rtf1 unclosed", "{\\rtf1 \\'8", "{\\rtf1 \\"})
        EXPECT_FALSE(RtfWithDates(doc, 0)) << doc;
}

}  // namespace
}  // namespace kelup
