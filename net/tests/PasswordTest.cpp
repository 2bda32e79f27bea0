#include "net/Password.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelup {
namespace {

TEST(Password, ShiftsByLengthWithinEachClass) {
    EXPECT_EQ(PWordOut(L"abc"), L"xyz");
    EXPECT_EQ(PWordIn(L"xyz"), L"abc");
    // Four characters: back by four.
    EXPECT_EQ(PWordOut(L"9zA!"), L"5vW!");
    EXPECT_EQ(PWordOut(L""), L"");
    EXPECT_EQ(PWordOut(L"あ1"), L"あ9");
}

TEST(Password, RoundTripOfLongPasswords) {
    for (const std::wstring& p : std::vector<std::wstring>{L"Secret-Pass_2024", std::wstring(40, L'z'), L"パスwordXYZ09"})
        EXPECT_EQ(PWordIn(PWordOut(p)), p);
}

}  // namespace
}  // namespace kelup
