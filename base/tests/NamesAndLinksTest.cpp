// File names beside others, and links that open at a click.

#include <gtest/gtest.h>

#include <set>

#include "base/FileNames.h"
#include "base/Links.h"

namespace kelup {
namespace {

TEST(FreeFileName, NumbersBeforeTheExtension) {
    std::set<std::wstring> present{L"a.txt", L"a(2).txt", L"noext", L"x.tar.gz", L".profile"};
    auto exists = [&](const std::wstring& n) { return present.count(n) > 0; };
    EXPECT_EQ(FreeFileName(L"a.txt", exists), L"a(3).txt");
    EXPECT_EQ(FreeFileName(L"b.txt", exists), L"b.txt");
    EXPECT_EQ(FreeFileName(L"noext", exists), L"noext(2)");
    EXPECT_EQ(FreeFileName(L"x.tar.gz", exists), L"x.tar(2).gz");
    EXPECT_EQ(FreeFileName(L".profile", exists), L".profile(2)");
    // Nothing free at all: no name rather than one in use.
    EXPECT_EQ(FreeFileName(L"a.txt", [](const std::wstring&) { return true; }), L"");
}

TEST(Links, OnlyWebAndMailAddressesOpenUnasked) {
    struct Case {
        const wchar_t* target;
        bool free;
    };
    const Case cases[] = {
        {L"http://example.com/", true},   {L"HTTPS://example.com/a?b", true}, {L"mailto:a@b.c", true},
        {L"http://", false},              {L"C:\\Windows\\notepad.exe", false}, {L"\\\\server\\share\\x.bat", false},
        {L"file:///C:/x.exe", false},     {L"ftp://example.com", false},      {L"javascript:alert(1)", false},
        {L"http://a\r\nb", false},        {L" http://a", false},             {L"memo.txt", false},
        {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(OpensUnasked(c.target), c.free) << c.target;
}

}  // namespace
}  // namespace kelup
