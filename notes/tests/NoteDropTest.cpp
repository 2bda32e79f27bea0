#include "notes/NoteDrop.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

TEST(NoteDrop, OneFileByItsExtensionOrTheSetting) {
    struct Case {
        unsigned count;
        const wchar_t* path;
        int fileDropMode, tomei;
        DropAction want;
    };
    const Case cases[] = {
        {2, L"C:\\a.txt", 0, 0, DropAction::TooMany},
        {2, L"C:\\a.txt", 1, 0, DropAction::TooMany},
        {1, L"C:\\pics\\cat.jpeg", 0, 0, DropAction::ImageNote},
        {1, L"C:\\pics\\cat.Jpg", 0, 0, DropAction::ImageNote},
        {1, L"C:\\pics\\cat.bmp", 0, 2, DropAction::ImageOnTransparent},
        {1, L"C:\\pics\\cat.bmp", 1, 0, DropAction::Associate},   // the setting wins over the kind
        {1, L"C:\\notes\\todo.TXT", 0, 0, DropAction::TextNote},
        {1, L"C:\\data\\kelup3.kdt", 0, 0, DropAction::ReplaceText},
        {1, L"C:\\tools\\calc.exe", 0, 0, DropAction::Associate},
        {1, L"C:\\dir.v2\\README", 0, 0, DropAction::Associate},  // a dot in a folder is no extension
    };
    for (const Case& c : cases) EXPECT_EQ(ChooseDrop(c.count, c.path, c.fileDropMode, c.tomei), c.want) << c.path;
    EXPECT_EQ(UpperExtension(L"C:\\dir.v2\\README"), L"");
    EXPECT_EQ(UpperExtension(L"a.jpeg"), L".JPEG");
}

}  // namespace
}  // namespace kelup
