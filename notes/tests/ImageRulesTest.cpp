#include "notes/ImageRules.h"

#include <gtest/gtest.h>

#include "res/resource.h"

namespace kelup {
namespace {

TEST(ImageRules, DraggingAnEdgeKeepsTheProportions) {
    struct Case {
        const char* what;
        int edge;
        SizeRect dragged;
        int title;
        double ritu;
        SizeRect expected;
        int hOrg;
    };
    const double third = 200.0 / 300.0, titled = 160.0 / 300.0;
    const Case cases[] = {
        {"right edge to 450", kEdgeRight, {0, 0, 450, 200}, 0, third, {0, 0, 450, 300}, 300},
        {"bottom edge to 100", kEdgeBottom, {0, 0, 300, 100}, 0, third, {0, 0, 150, 100}, 100},
        {"top edge to 100", kEdgeTop, {10, 110, 310, 210}, 0, third, {10, 110, 160, 210}, 100},
        {"left edge to 600", kEdgeLeft, {-300, 0, 300, 200}, 0, third, {-300, 0, 300, 400}, 400},
        {"top-left corner keeps the bottom", kEdgeTopLeft, {0, 50, 450, 250}, 0, third, {0, -50, 450, 250}, 300},
        {"top-right corner keeps the bottom", kEdgeTopRight, {0, 50, 150, 250}, 0, third, {0, 150, 150, 250}, 100},
        {"bottom-right corner", kEdgeBottomRight, {0, 0, 150, 999}, 0, third, {0, 0, 150, 100}, 100},
        {"with a 40-pixel title, right edge to 600", kEdgeRight, {0, 0, 600, 200}, 40, titled, {0, 0, 600, 360}, 320},
        {"with a title, bottom edge to 120", kEdgeBottom, {0, 0, 300, 120}, 40, titled, {0, 0, 150, 120}, 80},
        {"no ratio yet: the drag stands", kEdgeRight, {0, 0, 450, 200}, 0, 0.0, {0, 0, 450, 200}, 200},
    };
    for (const Case& c : cases) {
        SizeRect r = c.dragged;
        int hOrg = KeepRatioWhileSizing(c.edge, r, c.ritu, c.title);
        EXPECT_EQ(r.left, c.expected.left) << c.what;
        EXPECT_EQ(r.top, c.expected.top) << c.what;
        EXPECT_EQ(r.right, c.expected.right) << c.what;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.what;
        EXPECT_EQ(hOrg, c.hOrg) << c.what;
    }
}

TEST(ImageRules, RatioComesFromThePictureAreaNotTheTitle) {
    EXPECT_DOUBLE_EQ(RituOf(300, 200, 0), 200.0 / 300.0);
    EXPECT_DOUBLE_EQ(RituOf(300, 200, 40), 160.0 / 300.0);
    EXPECT_EQ(RituOf(0, 200, 0), 0.0);   // no division by an empty width
}

TEST(ImageRules, RatiosThatADoubleCannotHoldExactlyCostNoPixel) {
    // Every width of a note whose ratio came from its own window gives back
    // the picture height it had.
    for (int w = 1; w <= 2000; ++w)
        for (int h : {1, 7, 100, 333, 1000}) {
            double ritu = RituOf(w, h, 0);
            ASSERT_EQ(TimesRitu(w, ritu), h) << w << "x" << h;
            ASSERT_EQ(OverRitu(h, ritu), w) << w << "x" << h;
        }
}

TEST(ImageRules, AfterASizeChangeOneSideFollowsTheOther) {
    struct Case {
        int rightBottom, width, height, title;
        ImageSize expected;
    };
    const double ritu = 200.0 / 300.0;
    const Case cases[] = {
        {1, 450, 123, 0, {450, 300, 300}},   // a side or corner: height from width
        {2, 999, 100, 0, {150, 100, 100}},   // top or bottom edge: width from height
        {1, 450, 123, 40, {450, 340, 300}},
        {2, 999, 140, 40, {150, 140, 100}},
        {0, 450, 123, 0, {450, 123, 123}},   // no zone yet: the size stands
    };
    for (const Case& c : cases) {
        ImageSize s = FollowResize(c.rightBottom, c.width, c.height, ritu, c.title);
        EXPECT_EQ(s.width, c.expected.width) << c.rightBottom << " " << c.title;
        EXPECT_EQ(s.height, c.expected.height) << c.rightBottom << " " << c.title;
        EXPECT_EQ(s.hOrg, c.expected.hOrg) << c.rightBottom << " " << c.title;
    }
    ImageSize zero = FollowResize(2, 300, 200, 0.0, 0);   // never a division by 0
    EXPECT_EQ(zero.width, 300);
}

TEST(ImageRules, SizesInPercentOfTheScreen) {
    struct Offer {
        int width, screen, percent;
    };
    for (const Offer& o : {Offer{100, 1920, 10}, Offer{960, 1920, 50}, Offer{1919, 1920, 99}, Offer{4000, 1920, 100},
                           Offer{250, 1000, 25}, Offer{100, 0, 100}})
        EXPECT_EQ(PercentOffer(o.width, o.screen), o.percent) << o.width << "/" << o.screen;

    struct Apply {
        int percent;
        bool ok;
        int width;
        bool toOrigin;
    };
    for (const Apply& a : {Apply{95, true, 1824, true}, Apply{90, true, 1728, true}, Apply{89, true, 1708, false},
                           Apply{10, true, 192, false}, Apply{100, true, 1920, true}, Apply{9, false, 0, false},
                           Apply{101, false, 0, false}, Apply{0, false, 0, false}}) {
        PercentSize s = ApplyPercentRule(a.percent, 1920);
        EXPECT_EQ(s.ok, a.ok) << a.percent;
        EXPECT_EQ(s.width, a.width) << a.percent;
        EXPECT_EQ(s.toOrigin, a.toOrigin) << a.percent;
    }
}

TEST(ImageRules, TypedPercentIsANumberOrZero) {
    struct Case {
        const wchar_t* text;
        int value;
    };
    for (const Case& c : {Case{L"50", 50}, Case{L" 95 ", 95}, Case{L"+20", 20}, Case{L"-5", -5}, Case{L"", 0},
                          Case{L"abc", 0}, Case{L"5O", 0}, Case{L"１０", 0}, Case{L"-", 0},
                          Case{L"99999999999999999999", 0}})
        EXPECT_EQ(ParsePercent(c.text), c.value) << static_cast<int>(std::wstring(c.text).size());
}

TEST(ImageRules, HiddenCaption) {
    struct Case {
        std::wstring title, bmpname;
        int hideFG;
        std::wstring caption;
    };
    const std::wstring twenty = L"あいうえおかきくけこさしすせそたちつてと";
    const Case cases[] = {
        {twenty, L"C:\\d\\a.bmp", 2, L"☆" + twenty},
        {twenty + L"な", L"", 2, L"☆" + twenty.substr(0, 18) + L"..."},
        {L"", L"C:\\data\\花.jpg", 2, L"☆花.jpg"},
        {L"写真", L"C:\\data\\花.jpg", 1, L"※☆写真"},
        {L"", L"", 2, L"☆"},
    };
    for (const Case& c : cases) EXPECT_EQ(ImageHiddenCaption(c.title, c.bmpname, c.hideFG), c.caption);
}

TEST(ImageRules, InformationText) {
    ImageInfoFacts f;
    f.shownWidth = 300, f.shownHeight = 160;
    EXPECT_EQ(ImageInfoText(f), L"タイトル : （未設定）\rイメージの縦横ピクセル: W300 ✕ H160\rビットマップ名前なし（未保存）");

    f.title = L"花";
    f.jpeg = true;
    f.bmpname = L"C:\\data\\花.jpg";
    f.fileSize = 12345;
    f.senderName = L"佐藤";
    f.senderAddr = L"192.168.0.5";
    f.hasDeadline = true;
    f.deadlineDate = L"2026/12/24", f.deadlineTime = L"10:00:00";
    EXPECT_EQ(ImageInfoText(f), L"タイトル : 花\rイメージの縦横ピクセル: W300 ✕ H160\r"
                                L"JPEGファイル名 : C:\\data\\花.jpg\rファイルサイズ : 12345Byte"
                                L"\r送信者名 : 佐藤\r送信元ＩＰアドレス : 192.168.0.5\r期日：2026/12/24 10:00:00");
    f.everyDay = true;
    f.senderName.clear(), f.senderAddr.clear();
    EXPECT_EQ(ImageInfoText(f).substr(ImageInfoText(f).rfind(L'\r')), L"\r期日：毎日　10:00:00");
}

TEST(ImageRules, MenuFollowsTheNoteAndTheProgram) {
    ImageMenuFacts f;
    f.onlyDateCheck = 1;
    ImageMenuPlan p = PlanImageMenu(f);
    // No title yet: nothing to show, so neither the font nor the position.
    EXPECT_FALSE(p.enabled.at(ID_B_M_Title));
    EXPECT_FALSE(p.enabled.at(ID_B_M_Font));
    EXPECT_FALSE(p.titlePosEnabled);
    EXPECT_FALSE(p.enabled.at(ID_B_M_Execute));
    EXPECT_FALSE(p.enabled.at(ID_B_M_Clip));
    EXPECT_TRUE(p.enabled.at(ID_B_M_Send));
    EXPECT_TRUE(p.enabled.at(ID_B_M_New));
    EXPECT_EQ(p.captions.at(ID_B_M_Limit), L"期日の設定 - なし");
    EXPECT_EQ(p.captions.at(ID_B_M_Kanren), L"関連付け...");
    EXPECT_EQ(p.defaultEntry, unsigned(ID_B_M_Moji));

    f.hasTitle = true;
    f.titleShown = true;
    f.titlePos = 0;
    f.openFName = L"C:\\docs\\plan.xls";
    f.dblClickMode = 2;
    f.slotsFull = true;
    f.networkOff = true;
    f.kDate = 46000.5, f.everyDay = 1, f.deadlineTime = L"12:00:00";
    f.onlyDateCheck = 0;
    f.border = 1;
    p = PlanImageMenu(f);
    EXPECT_TRUE(p.enabled.at(ID_B_M_Title) && p.checked.at(ID_B_M_Title));
    EXPECT_TRUE(p.enabled.at(ID_B_M_Font));
    EXPECT_TRUE(p.titlePosEnabled);
    EXPECT_TRUE(p.checked.at(ID_B_M_UP));
    EXPECT_FALSE(p.checked.at(ID_B_M_Down));
    EXPECT_TRUE(p.checked.at(ID_B_M_Border));
    EXPECT_TRUE(p.enabled.at(ID_B_M_Execute));
    EXPECT_EQ(p.captions.at(ID_B_M_Kanren), L"関連付け...plan.xls");
    EXPECT_EQ(p.defaultEntry, unsigned(ID_B_M_Execute));
    EXPECT_FALSE(p.enabled.at(ID_B_M_New));
    EXPECT_FALSE(p.enabled.at(ID_B_M_Send));
    EXPECT_EQ(p.captions.at(ID_B_M_Limit), L"期日の設定 - 毎日 12:00:00");
    EXPECT_FALSE(p.enabled.at(ID_B_M_Limit));
}

TEST(ImageRules, LockDisablesTheSizeAndStackingEntries) {
    const unsigned sizing[] = {ID_B_M_Chosei, ID_B_M_110, ID_B_M_18, ID_B_M_15, ID_B_M_13,
                               ID_B_M_12, ID_B_M_ORGSize, ID_B_M_Input, ID_B_M_StayOnTop, ID_B_M_StayOnBottom};
    ImageMenuFacts f;
    for (int lock : {0, 1}) {
        f.lockMode = lock;
        ImageMenuPlan p = PlanImageMenu(f);
        for (unsigned id : sizing) EXPECT_EQ(p.enabled.at(id), lock == 0) << id << " lock " << lock;
        EXPECT_EQ(p.checked.at(ID_B_M_Lock), lock == 1);
    }
    f.lockMode = 0;
    f.bottom = 1;
    EXPECT_FALSE(PlanImageMenu(f).enabled.at(ID_B_M_StayOnBottom));
    EXPECT_TRUE(PlanImageMenu(f).enabled.at(ID_B_M_StayOnTop));
}

TEST(ImageRules, DoubleClick) {
    struct Case {
        bool alt, ctrl;
        int mode;
        bool file;
        ImageDblClick action;
    };
    for (const Case& c : {Case{true, false, 2, true, ImageDblClick::Hide}, Case{false, true, 2, true, ImageDblClick::Peel},
                          Case{false, false, 1, true, ImageDblClick::Open}, Case{false, false, 1, false, ImageDblClick::Title},
                          Case{false, false, 0, true, ImageDblClick::Title}})
        EXPECT_EQ(ChooseImageDoubleClick(c.alt, c.ctrl, c.mode, c.file), c.action) << c.alt << c.ctrl << c.mode << c.file;
}

TEST(ImageRules, AnAddressOpensTheMailProgram) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    };
    for (const Case& c : {Case{L"taro@example.jp", L"mailto:taro@example.jp"},
                          Case{L"taro@example.jp　花子", L"taro@example.jp　花子"},
                          Case{L"mailto:taro@example.jp", L"mailto:taro@example.jp"},
                          Case{L"https://example.jp/@taro", L"https://example.jp/@taro"},
                          Case{L"C:\\mail@home\\list.txt", L"C:\\mail@home\\list.txt"},
                          Case{L"C:\\docs\\plan.xls", L"C:\\docs\\plan.xls"}})
        EXPECT_EQ(OpenTarget(c.in), c.out);
}

}  // namespace
}  // namespace kelup
