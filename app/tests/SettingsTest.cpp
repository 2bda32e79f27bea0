#include "app/Settings.h"

#include <gtest/gtest.h>

#include "app/tests/FakeProfile.h"

namespace kelup {
namespace {

using test::FakeProfile;

SettingsContext Screen(int w, int h) {
    SettingsContext c;
    c.screenWidth = w;
    c.screenHeight = h;
    c.windowsDir = L"C:\\windows";
    c.systemAsterisk = L"C:\\windows\\media\\ding.wav";
    return c;
}

TEST(Settings, DefaultsOfAnEmptyFile) {
    FakeProfile ini;
    Settings s = LoadSettings(ini, Screen(1280, 1024), L"");
    EXPECT_EQ(s.Colorx64, 12648447);
    EXPECT_EQ(s.FontName, L"ＭＳ ゴシック");
    EXPECT_EQ(s.Width, 272);
    EXPECT_EQ(s.Height, 60);
    // Received IP Messenger notes land centred: integer halves.
    EXPECT_EQ(s.Top, 1024 / 2 - 60 / 2);
    EXPECT_EQ(s.Left, 1280 / 2 - 272 / 2);
    EXPECT_EQ(s.MouseL, 9);
    EXPECT_EQ(s.MouseR, 0);
    EXPECT_EQ(s.Editer, L"C:\\windows\\notepad.exe");
    EXPECT_EQ(s.WaveSound, L"C:\\windows\\media\\ding.wav");
    EXPECT_EQ(s.HotKey1, L"なし");
    EXPECT_EQ(s.Port, 59630);
    EXPECT_EQ(s.PortP, 2425);
    EXPECT_EQ(s.TCPPort, 11677);
    EXPECT_EQ(s.MAX1, 99);
    EXPECT_EQ(s.MAX2, 20);
    EXPECT_EQ(s.AUTOSIZEMARGIN_H, 13800);
    EXPECT_EQ(s.CalColor, -16777211);
}

TEST(Settings, CentredPositionFollowsStoredSize) {
    FakeProfile ini;
    ini.Set(L"Config", L"Width", L"301").Set(L"Config", L"Height", L"91");
    Settings s = LoadSettings(ini, Screen(1001, 767), L"");
    EXPECT_EQ(s.Left, 500 - 150);
    EXPECT_EQ(s.Top, 383 - 45);
}

TEST(Settings, SectionsAndKeysIgnoreCase) {
    FakeProfile ini;
    ini.Set(L"OPTION", L"sizingmargin", L"12").Set(L"general", L"max1", L"150").Set(L"spdate", L"USETIME", L"1");
    Settings s = LoadSettings(ini, Screen(800, 600), L"");
    EXPECT_EQ(s.SizingMargin, 12);
    EXPECT_EQ(s.MAX1, 150);
    EXPECT_EQ(s.UseTime, 1);
}

TEST(Settings, HotKeysReadAsStoredWithNoneAsDefault) {
    FakeProfile ini;
    ini.Set(L"Option", L"HotKey1", L"A");
    Settings s = LoadSettings(ini, Screen(800, 600), L"");
    EXPECT_EQ(s.HotKey1, L"A");
    EXPECT_EQ(s.HotKey2, L"なし");
    ini.Set(L"option", L"hotkey2", L"");
    EXPECT_EQ(LoadSettings(ini, Screen(800, 600), L"").HotKey2, L"");
}

struct MouseCase {
    const wchar_t* mouse;    // nullptr: key absent
    const wchar_t* mouseL;
    const wchar_t* mouseR;
    int wantL, wantR;
};

class MouseKey : public ::testing::TestWithParam<MouseCase> {};

TEST_P(MouseKey, OlderKeyMapsOntoBothButtons) {
    const auto& c = GetParam();
    FakeProfile ini;
    if (c.mouse) ini.Set(L"Option", L"Mouse", c.mouse);
    if (c.mouseL) ini.Set(L"Option", L"MouseL", c.mouseL);
    if (c.mouseR) ini.Set(L"Option", L"MouseR", c.mouseR);
    Settings s = LoadSettings(ini, Screen(800, 600), L"");
    EXPECT_EQ(s.MouseL, c.wantL);
    EXPECT_EQ(s.MouseR, c.wantR);
}

INSTANTIATE_TEST_SUITE_P(Settings, MouseKey,
                         ::testing::Values(MouseCase{L"0", nullptr, nullptr, 0, 1},
                                           MouseCase{L"1", nullptr, nullptr, 1, 0},
                                           MouseCase{L"0", L"7", L"8", 0, 1},      // the older key wins
                                           MouseCase{L"5", L"7", L"8", 7, 8},      // other values leave them
                                           MouseCase{nullptr, nullptr, nullptr, 9, 0},
                                           MouseCase{nullptr, L"2", L"3", 2, 3}));

TEST(Settings, PasswordFromConfigIniFirst) {
    FakeProfile ini;
    ini.Set(L"Option", L"Password", L"older");
    EXPECT_EQ(LoadSettings(ini, Screen(800, 600), L"newer").Password, L"newer");
    EXPECT_EQ(LoadSettings(ini, Screen(800, 600), L"").Password, L"older");
}

TEST(ColorTable, MissingSectionGivesSixteenBlackEntries) {
    FakeProfile ini;
    auto entries = ColorLoad(ini);
    EXPECT_EQ(entries[0], L"ColorA=000000");
    EXPECT_EQ(entries[15], L"ColorP=000000");
}

TEST(ColorTable, RoundTripAndEmptyEntries) {
    FakeProfile ini;
    ini.Set(L"Colors", L"Color3", L"80FF00");
    auto entries = ColorLoad(ini);
    EXPECT_EQ(entries[3], L"ColorD=80FF00");
    entries[5] = L"ColorF=FFFFFFFF";   // the dialog's way of saying "unused"
    auto values = ColorSaveValues(entries);
    EXPECT_EQ(values[3], L"80FF00");
    EXPECT_EQ(values[5], L"000000");
    EXPECT_EQ(values[0], L"000000");
}

}  // namespace
}  // namespace kelup
