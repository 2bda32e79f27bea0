#include "store/PeelLog.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(PeelLog, EntryWithAndWithoutComment) {
    std::vector<std::wstring> text{L"買い物", L"牛乳"};
    EXPECT_EQ(PeelLogEntry(L"2026/12/01 9:00:00", L"2026/12/10 10:30:00", text, nullptr),
              L"[作成した日時:2026/12/01 9:00:00]\r\n[はがした日時:2026/12/10 10:30:00]\r\n買い物\r\n牛乳\r\n\r\n\r\n");
    std::vector<std::wstring> comment{L"済み"};
    EXPECT_EQ(PeelLogEntry(L"a", L"b", {}, &comment), L"[作成した日時:a]\r\n[はがした日時:b]\r\n[コメント]\r\n済み\r\n\r\n\r\n");
}

}  // namespace
}  // namespace kelup
