#include "base/TextLines.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

using Lines = std::vector<std::wstring>;

TEST(TextLines, EveryKindOfBreak) {
    struct Case { const wchar_t* text; bool keep; Lines want; };
    const Case cases[] = {
        {L"", false, {}},
        {L"a", false, {L"a"}},
        {L"a\r\nb\rc\nd", false, {L"a", L"b", L"c", L"d"}},
        {L"a\r\n", false, {L"a"}},
        {L"a\r\n", true, {L"a", L""}},
        {L"a\r\n\r\nb", false, {L"a", L"", L"b"}},
        {L"\n", false, {L""}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text, c.keep), c.want) << c.text;
}

}  // namespace
}  // namespace kelup
