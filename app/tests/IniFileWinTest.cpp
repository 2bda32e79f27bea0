#include "app/IniFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/FileOps.h"

namespace kelup {
namespace {

std::wstring TempIni(const char* text) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    wchar_t name[MAX_PATH];
    GetTempFileNameW(dir, L"kli", 0, name);
    HANDLE h = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(h, text, DWORD(strlen(text)), &put, nullptr);
    CloseHandle(h);
    return name;
}

TEST(IniFile, ReadsCodePage932AndIgnoresCase) {
    // "ＭＳ 明朝" in code page 932.
    std::wstring path = TempIni("[OPTION]\r\nsizingmargin=12\r\nMyName=\x82\x6c\x82\x72 \x96\xbe\x92\xa9\r\n"
                                "Neg=-16777211\r\nHex=0x10\r\nBad=12abc\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.GetInt(L"Option", L"SizingMargin", 8), 12);
    EXPECT_EQ(ini.GetString(L"option", L"MYNAME", L""), L"ＭＳ 明朝");
    EXPECT_EQ(ini.GetInt(L"Option", L"Neg", 0), -16777211);
    EXPECT_EQ(ini.GetInt(L"Option", L"Hex", 0), 16);
    EXPECT_EQ(ini.GetInt(L"Option", L"Bad", 7), 7);
    EXPECT_EQ(ini.GetInt(L"Option", L"Missing", 99), 99);
    EXPECT_EQ(ini.GetString(L"Nowhere", L"Missing", L"def"), L"def");
    DeleteFileW(path.c_str());
}

TEST(IniFile, WritesBackWhatItReads) {
    std::wstring path = TempIni("");
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString(L"Config", L"FontName", L"ＭＳ ゴシック"));
    ASSERT_TRUE(ini.WriteInt(L"Config", L"Colorx64", -5));
    EXPECT_EQ(ini.GetString(L"CONFIG", L"fontname", L""), L"ＭＳ ゴシック");
    EXPECT_EQ(ini.GetInt(L"Config", L"Colorx64", 0), -5);
    DeleteFileW(path.c_str());
}

TEST(FileOps, AtomicCopyReplacesWholeFile) {
    std::wstring src = TempIni("new contents");
    std::wstring dst = TempIni("old contents that were longer");
    ASSERT_TRUE(CopyFileAtomic(src, dst));
    char buf[64] = {};
    DWORD got = 0;
    HANDLE h = CreateFileW(dst.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ReadFile(h, buf, sizeof buf - 1, &got, nullptr);
    CloseHandle(h);
    EXPECT_STREQ(buf, "new contents");
    EXPECT_FALSE(FileExists(dst + L".tmp"));
    // A missing source leaves the destination alone.
    EXPECT_FALSE(CopyFileAtomic(src + L".missing", dst));
    EXPECT_TRUE(FileExists(dst));
    DeleteFileW(src.c_str());
    DeleteFileW(dst.c_str());
}

TEST(FileOps, CreateDirsMakesAllParents) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring root = std::wstring(dir) + L"kelup-dirs-" + std::to_wstring(GetCurrentProcessId());
    std::wstring deep = root + L"\\a\\b\\c\\";
    EXPECT_TRUE(CreateDirs(deep));
    EXPECT_TRUE(DirExists(root + L"\\a\\b\\c"));
    RemoveDirectoryW((root + L"\\a\\b\\c").c_str());
    RemoveDirectoryW((root + L"\\a\\b").c_str());
    RemoveDirectoryW((root + L"\\a").c_str());
    RemoveDirectoryW(root.c_str());
}

}  // namespace
}  // namespace kelup
