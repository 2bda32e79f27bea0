#include "app/StartupPlan.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

const std::wstring kDocs = L"C:\\users\\me\\Documents";

TEST(StartupPlan, FirstRunPutsDataUnderMyDocuments) {
    StartupFacts f;
    f.myDocuments = kDocs;
    StartupPlan p = PlanStartup(f);
    EXPECT_TRUE(p.firstRun);
    EXPECT_EQ(p.savePath, L"C:\\users\\me\\Documents\\RAVODEREV\\");
    EXPECT_EQ(p.networkOff, 0);
}

TEST(StartupPlan, ExistingConfigWithEmptySavePathKeepsItEmpty) {
    StartupFacts f;
    f.configIniExists = true;
    f.myDocuments = kDocs;
    StartupPlan p = PlanStartup(f);
    EXPECT_FALSE(p.firstRun);
    EXPECT_EQ(p.savePath, L"");
    EXPECT_EQ(GetSavePath(p.savePath, L"C:\\Program Files\\Kelupon\\"), L"C:\\Program Files\\Kelupon\\data\\");
}

TEST(StartupPlan, RegistryPathOfOlderEditionsFillsAnEmptyConfig) {
    StartupFacts f;
    f.configIniExists = true;
    f.registrySavePath = L"D:\\notes\\";
    EXPECT_EQ(PlanStartup(f).savePath, L"D:\\notes\\");
    f.configSavePath = L"E:\\mine\\";
    EXPECT_EQ(PlanStartup(f).savePath, L"E:\\mine\\");
}

TEST(StartupPlan, OlderIniIsTakenOverAndSkipsTheWelcomeWhenOffline) {
    StartupFacts f;
    f.myDocuments = kDocs;
    f.oldIniExists = true;
    f.oldIniUseNetwork = 1;
    f.oldIniPath98 = L"D:\\old\\";
    StartupPlan p = PlanStartup(f);
    EXPECT_TRUE(p.deleteOldIni);
    EXPECT_FALSE(p.firstRun);
    EXPECT_EQ(p.networkOff, 1);
    EXPECT_EQ(p.savePath, L"D:\\old\\");
}

TEST(StartupPlan, OlderIniWithNetworkStillWelcomes) {
    StartupFacts f;
    f.myDocuments = kDocs;
    f.oldIniExists = true;
    f.oldIniPath98 = L"D:\\old\\";
    StartupPlan p = PlanStartup(f);
    EXPECT_TRUE(p.firstRun);
    EXPECT_EQ(p.savePath, L"D:\\old\\");
}

TEST(StartupPlan, NetworkOffInConfigIsNeverAFirstRun) {
    StartupFacts f;
    f.configUseNetwork = 1;
    StartupPlan p = PlanStartup(f);
    EXPECT_FALSE(p.firstRun);
    EXPECT_EQ(p.savePath, L"");
}

TEST(SavePath, SeparatorAddedWhenMissing) {
    EXPECT_EQ(GetSavePath(L"D:\\data", L"C:\\x\\"), L"D:\\data\\");
    EXPECT_EQ(GetSavePath(L"D:\\data\\", L"C:\\x\\"), L"D:\\data\\");
}

TEST(OsLevel, FromPlatformAndMajor) {
    struct Case { unsigned platform, major; int want; };
    for (auto c : {Case{1, 4, 0}, Case{2, 4, 1}, Case{2, 5, 2}, Case{2, 6, 3}, Case{2, 10, 3}, Case{2, 3, 9},
                   Case{3, 10, 9}, Case{0, 10, 9}})
        EXPECT_EQ(OsLevelFrom(c.platform, c.major), c.want) << c.platform << "/" << c.major;
}

TEST(VersionText, DigitsJoinedAsTheAboutBoxShowsThem) {
    EXPECT_EQ(FormatVersionText((1ul << 16) | 0, (1ul << 16) | 2989), L"1.01.2989");
    EXPECT_EQ(FormatVersionText((2ul << 16) | 10, (3ul << 16) | 4), L"2.103.4");
}

}  // namespace
}  // namespace kelup
