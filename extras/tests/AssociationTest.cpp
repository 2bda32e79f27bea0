#include "extras/Association.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(Association, MailtoIsPutInFrontOnce) {
    EXPECT_EQ(WithMailto(L"taro@example.jp"), L"mailto:taro@example.jp");
    EXPECT_EQ(WithMailto(L"mailto:taro@example.jp"), L"mailto:taro@example.jp");
    EXPECT_EQ(WithMailto(L"MAILTO:x"), L"mailto:MAILTO:x");   // compared exactly
    EXPECT_EQ(WithMailto(L""), L"mailto:");
}

TEST(Association, ConfirmedEntriesAreRememberedOnce) {
    std::vector<std::wstring> list;
    for (const wchar_t* t : {L"C:\\a.txt", L"", L"http://x/", L"C:\\a.txt"}) RememberAssociation(list, t);
    EXPECT_EQ(list, (std::vector<std::wstring>{L"C:\\a.txt", L"http://x/"}));
}

}  // namespace
}  // namespace kelup
