#include "store/ImageFiles.h"

#include <gtest/gtest.h>

#include <set>

namespace kelup {
namespace {

TEST(ImageFiles, FoldersCompareAsWindowsNamesThem) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        bool same;
    };
    const Case cases[] = {
        {L"C:\\Kelup\\data\\", L"C:\\Kelup\\data\\", true},
        {L"C:\\Kelup\\DATA\\", L"c:\\kelup\\data", true},
        {L"C:/Kelup/data/", L"C:\\Kelup\\data\\", true},
        {L"C:\\Kelup\\data2\\", L"C:\\Kelup\\data\\", false},
        {L"C:\\Kelup\\", L"C:\\Kelup\\data\\", false},
        {L"", L"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(SameFolder(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(ImageFiles, PathsSplitIntoFolderAndName) {
    EXPECT_EQ(FolderOfPath(L"C:\\pics\\a.jpg"), L"C:\\pics\\");
    EXPECT_EQ(NameOfPath(L"C:\\pics\\a.jpg"), L"a.jpg");
    EXPECT_EQ(FolderOfPath(L"a.jpg"), L"");
    EXPECT_EQ(NameOfPath(L"a.jpg"), L"a.jpg");
}

TEST(ImageFiles, ReceivedPicturesFitTheScreen) {
    struct Case {
        PictureBox announced, picture, screen, shown;
    };
    const Case cases[] = {
        {{300, 200}, {640, 480}, {1024, 768}, {300, 200}},      // as the sender showed it
        {{0, 0}, {640, 480}, {1024, 768}, {640, 480}},          // nothing announced: the picture's size
        {{-5, 100}, {640, 480}, {1024, 768}, {640, 480}},
        {{2048, 768}, {640, 480}, {1024, 768}, {1024, 384}},    // too wide: by the width
        {{400, 3072}, {640, 480}, {1024, 768}, {100, 768}},     // too high: by the height
        {{2147483647, 2147483647}, {1, 1}, {1024, 768}, {768, 768}},
        {{0, 0}, {0, 0}, {1024, 768}, {200, 200}},
    };
    for (const Case& c : cases) {
        PictureBox got = ReceivedPictureSize(c.announced, c.picture, c.screen);
        EXPECT_EQ(got.width, c.shown.width) << c.announced.width << "x" << c.announced.height;
        EXPECT_EQ(got.height, c.shown.height) << c.announced.width << "x" << c.announced.height;
    }
}

}  // namespace
}  // namespace kelup
