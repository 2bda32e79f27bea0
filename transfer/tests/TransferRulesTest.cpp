// The receiver's decisions about an announcement and the names it keeps
// received files under.

#include "transfer/TransferRules.h"

#include <gtest/gtest.h>

#include <set>

namespace kelup {
namespace {

TEST(DecideAnnouncement, LimitsInTheirOrder) {
    struct Case {
        const char* what;
        bool usable;
        std::uint64_t size;
        ReceiveLimit limit;
        bool receiving;
        AnnounceAnswer answer;
    } cases[] = {
        {"size 0 beats everything", true, 0, {1, 64, true}, true, AnnounceAnswer::Error},
        {"unusable", false, 10, {0, 64, false}, false, AnnounceAnswer::Error},
        {"accept all", true, 1ull << 40, {0, 64, false}, false, AnnounceAnswer::Ready},
        {"refuse all", true, 1, {1, 64, false}, false, AnnounceAnswer::Refused},
        {"just under 64 KB", true, 65535, {2, 64, false}, false, AnnounceAnswer::Ready},
        {"64 KB", true, 65536, {2, 64, false}, false, AnnounceAnswer::Refused},
        {"limit 0 KB refuses all", true, 1, {2, 0, false}, false, AnnounceAnswer::Refused},
        {"temporary restriction", true, 1, {0, 64, true}, false, AnnounceAnswer::Refused},
        {"refusal comes before busy", true, 65536, {2, 64, false}, true, AnnounceAnswer::Refused},
        {"busy", true, 100, {0, 64, false}, true, AnnounceAnswer::Busy},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideAnnouncement(c.usable, c.size, c.limit, c.receiving), c.answer) << c.what;
}

TEST(SafeXferName, NothingLeadsOutOfTheFolder) {
    struct Case {
        std::wstring in, out;
    } cases[] = {
        {L"a.txt", L"a.txt"},
        {L"..\\..\\Windows\\win.ini", L"win.ini"},
        {L"../../etc/passwd", L"passwd"},
        {L"..", L"受信ファイル"},
        {L"", L"受信ファイル"},
        {L"C:\\boot.ini", L"boot.ini"},
        {L"\\\\server\\share\\x.doc", L"x.doc"},
        {L"aux.txt", L"_aux.txt"},
        {L"a\x01\x1f" L"b.txt", L"ab.txt"},
        {L"x:y.txt", L"xy.txt"},
        {L"報告書（最終）.xlsx", L"報告書（最終）.xlsx"},
    };
    for (const auto& c : cases) EXPECT_EQ(SafeXferName(c.in), c.out) << c.in;

    std::wstring longName = std::wstring(500, L'あ') + L".jpeg";
    std::wstring cut = SafeXferName(longName);
    EXPECT_EQ(cut.size(), kMaxXferNameLength);
    EXPECT_EQ(cut.substr(cut.size() - 5), L".jpeg");
    // A surrogate pair at the cut is not split.
    std::wstring pairs;
    for (int i = 0; i < 200; ++i) pairs += L"\xD83D\xDE00";
    std::wstring cutPairs = SafeXferName(L"x" + pairs);
    EXPECT_LE(cutPairs.size(), kMaxXferNameLength);
    EXPECT_FALSE(cutPairs.back() >= 0xD800 && cutPairs.back() <= 0xDBFF);
}

TEST(AnnouncedFileName, OneFieldThatFitsThePacket) {
    EXPECT_EQ(AnnouncedFileName(L"C:\\Users\\u\\a;b.txt", 50), L"a\xFF1B" L"b.txt");
    EXPECT_EQ(AnnouncedFileName(L"plain.txt", 50), L"plain.txt");
    EXPECT_EQ(AnnouncedFileName(L"D:\\" + std::wstring(80, L'x') + L".docx", 40), std::wstring(35, L'x') + L".docx");
    EXPECT_EQ(ShortenFileName(L"abcdef", 3), L"abc");
}

TEST(PictureExtension, OnlyPicturesAnImageNoteShows) {
    struct Case {
        std::wstring in, out;
    } cases[] = {
        {L"p.jpg", L".jpg"},
        {L"photo.JPEG", L".JPEG"},
        {L"a.b.bmp", L".bmp"},
        {L"noext", L""},
        {L".jpg", L""},
        {L"x.exe", L""},
        {L"x.jpg.lnk", L""},
        {L"x.j p", L""},
        {L"..\\..\\evil.ico", L".ico"},
    };
    for (const auto& c : cases) EXPECT_EQ(PictureExtension(c.in), c.out) << c.in;
}

TEST(TempReceiveName, DosTimeAndAttempt) {
    EXPECT_EQ(TempReceiveName(1479163930u), L"1479163930.~mp");
    EXPECT_EQ(TempReceiveName(1479163930u, 3), L"1479163930_3.~mp");
}

}  // namespace
}  // namespace kelup
