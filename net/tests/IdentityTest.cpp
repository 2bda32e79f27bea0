#include "net/Identity.h"

#include "base/Cp932.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

using namespace std::string_literals;

TEST(Identity, CreateMyHostNameExamples) {
    EXPECT_EQ(CreateMyHostName({L"Taro", L"PC01", L"Sales", 1}), L"Taro（PC01）/Sales##1#@#@#2.001");
    EXPECT_EQ(CreateMyHostName({L"", L"PC01", L"", 0}), L"PC01（PC01）##0#@#@#2.001");
    EXPECT_EQ(CreateMyHostName({L"山田", L"PC01", L"営業部", 7}), L"山田（PC01）/営業部##7#@#@#2.001");
    EXPECT_EQ(CreateMyHostName({L"A", L"PC", L"", 9}), L"A（PC）##0#@#@#2.001");   // no such sex
}

TEST(Identity, ExtractSHostNameExamples) {
    struct Case {
        const wchar_t* in;
        ExtractedHost want;
    };
    const Case cases[] = {
        {L"Taro（PC01）/Sales##1#@#@#2.001|@|@|memo.txt", {L"Taro（PC01）", L"Sales", L"1", L"2.001", L"memo.txt"}},
        {L"Old（PC02）", {L"Old（PC02）", L"", L"0", L"1.00", L""}},
        {L"Old（PC02）###x", {L"Old（PC02）", L"", L"0", L"1.00", L""}},          // older end marker
        {L"A（B）/S/T##3", {L"A（B）", L"S/T", L"3", L"1.00", L""}},
        {L"A（B）##", {L"A（B）", L"", L"", L"1.00", L""}},                      // nothing after the markers
        {L"A（B）#@#@#2.0", {L"A（B）", L"", L"0", L"2.0", L""}},
        {L"|@|@|a|@|@|b", {L"", L"", L"0", L"1.00", L"a|@|@|b"}},
        {L"", {L"", L"", L"0", L"1.00", L""}},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtractSHostName(c.in), c.want) << c.in;
}

// Whatever the user types as name or section, the identity reads back into
// the same parts and never holds the native field separator.
TEST(Identity, HostileNamesStayInTheirPlace) {
    struct Case {
        std::wstring name, computer, section;
        std::wstring wantName, wantSection;
    };
    const Case cases[] = {
        {L"a;b", L"PC", L"x;y", L"a；b（PC）", L"x；y"},
        {L"a/b", L"PC", L"x/y", L"a／b（PC）", L"x/y"},
        {L"##9#@#@#9.999", L"PC", L"s##5", L"＃＃9＃@＃@＃9.999（PC）", L"s＃＃5"},
        {L"n|@|@|f", L"PC", L"", L"n｜@｜@｜f（PC）", L""},
        {L"田（中）", L"P（C）", L"", L"田(中)（P(C)）", L""},
        {L"a\r\nb\0c"s, L"PC\t", L"s\x01", L"abc（PC）", L"s"},
    };
    for (const auto& c : cases) {
        std::wstring id = CreateMyHostName({c.name, c.computer, c.section, 2});
        EXPECT_EQ(id.find(L';'), std::wstring::npos) << id;
        ExtractedHost h = ExtractSHostName(id);
        EXPECT_EQ(h.sHostName, c.wantName) << id;
        EXPECT_EQ(h.shozk, c.wantSection) << id;
        EXPECT_EQ(h.sex, L"2") << id;
        EXPECT_EQ(h.verNo, L"2.001") << id;
        EXPECT_EQ(h.kanren, L"") << id;
    }
}

TEST(Identity, LongNamesAreCutAtCharacterBoundaries) {
    std::wstring id = CreateMyHostName({std::wstring(100, L'あ'), std::wstring(100, L'C'), std::wstring(100, L'x'), 1});
    ExtractedHost h = ExtractSHostName(id);
    EXPECT_EQ(h.sHostName, std::wstring(24, L'あ') + L"（" + std::wstring(63, L'C') + L"）");
    EXPECT_EQ(h.shozk, std::wstring(48, L'x'));
    EXPECT_LE(ToCp932(id).size(), 48u + 2 + 63 + 2 + 1 + 48 + 3 + 10);
}

TEST(Identity, IpMsgPeersGetSexEightAndVersionOneDotZero) {
    EXPECT_EQ(MakeIpMsgIdentity(L"Hanako", L"hana", L"HOST1", L"Dev"), L"Hanako（HOST1）/Dev##8#@#@#1.00");
    EXPECT_EQ(MakeIpMsgIdentity(L"", L"hana", L"HOST1", L""), L"hana（HOST1）/##8#@#@#1.00");
    // A group that holds the identity's own markers cannot change the sex.
    ExtractedHost h = ExtractSHostName(MakeIpMsgIdentity(L"n", L"u", L"h", L"g##1#@#@#2.001|@|@|x"));
    EXPECT_EQ(h.sex, L"8");
    EXPECT_EQ(h.verNo, L"1.00");
    EXPECT_EQ(h.kanren, L"");
    EXPECT_EQ(h.sHostName, L"n（h）");
}

}  // namespace
}  // namespace kelup
