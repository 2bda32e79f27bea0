// A text note as a window: how its surface answers the mouse, the captions
// it gives the main menu when hidden, its stacking, and copying a line.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "notes/RichText.h"
#include "notes/TKELUPSHI.h"
#include "notes/tests/FakeNoteHost.h"

namespace kelup {
namespace {

class NoteWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadLibraryW(L"msftedit.dll"); }
    void SetUp() override {
        RECT place{100, 100, 100 + 200, 100 + 80};
        ASSERT_TRUE(note.Create(nullptr, 7, false, &host, &place));
        ShowWindow(note.Handle(), SW_SHOWNOACTIVATE);
    }
    // The hit-test code at a point given from the note's top-left corner.
    LRESULT HitAt(int x, int y) {
        RECT r = note.Bounds();
        return SendMessageW(note.Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.left + x, r.top + y));
    }
    void SetText(const std::wstring& text) {
        RichClear(note.RichEdit1());
        RichAppendLine(note.RichEdit1(), text);
    }
    test::FakeNoteHost host;
    TKELUPSHI note;
};

TEST_F(NoteWindow, SurfaceMovesInsideAndSizesAtTheEdges) {
    struct Case {
        int x, y;
        LRESULT want;
    };
    const Case cases[] = {
        {3, 3, HTTOPLEFT},      {3, 40, HTLEFT},         {9, 9, HTCAPTION},       {100, 3, HTTOP},
        {196, 40, HTRIGHT},     {100, 77, HTBOTTOM},     {196, 3, HTTOPRIGHT},    {3, 77, HTBOTTOMLEFT},
        {196, 77, HTBOTTOMRIGHT}, {8, 8, HTCAPTION},     {7, 40, HTLEFT},         {191, 40, HTCAPTION},
    };
    for (const Case& c : cases) EXPECT_EQ(HitAt(c.x, c.y), c.want) << c.x << "," << c.y;
    // The press was on the frame or inside: the double-click's edge rule reads it.
    HitAt(3, 40);
    EXPECT_TRUE(note.EdgeHit);
    HitAt(100, 40);
    EXPECT_FALSE(note.EdgeHit);
}

TEST_F(NoteWindow, LockedNoteAnswersBorderEverywhere) {
    note.M_LockClick();
    for (POINT p : {POINT{3, 3}, POINT{100, 40}, POINT{196, 77}}) EXPECT_EQ(HitAt(p.x, p.y), HTBORDER);
    note.M_LockClick();
    EXPECT_EQ(HitAt(100, 40), HTCAPTION);
}

TEST_F(NoteWindow, NarrowNoteCanOnlyBeSizedAndKeepsItsMinimum) {
    note.SetBounds(100, 100, 14, 60);
    EXPECT_NE(HitAt(7, 30), HTCAPTION);
    MINMAXINFO mmi{};
    SendMessageW(note.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 12);
    EXPECT_EQ(mmi.ptMinTrackSize.y, host.config.SizingMargin + 12);
}

TEST_F(NoteWindow, HiddenNoteCaptions) {
    struct Case {
        std::wstring firstLine;
        int hideFG;
        std::wstring want;
    };
    const std::wstring line24(24, L'あ'), line25(25, L'い');
    const Case cases[] = {
        {line24, 2, line24},
        {line25, 2, std::wstring(22, L'い') + L"..."},
        {L"買い物", 1, L"※買い物"},
        {L"", 2, L"付箋紙7"},
        {L"", 1, L"※付箋紙7"},
    };
    for (const Case& c : cases) {
        SetText(c.firstLine);
        note.HideFG = c.hideFG;
        note.HideAction();
        ASSERT_FALSE(host.hidden.empty());
        EXPECT_EQ(host.hidden.back(), c.want);
        EXPECT_FALSE(IsWindowVisible(note.Handle()));
        note.ShowAgain();
        EXPECT_EQ(note.HideFG, 0);
        EXPECT_TRUE(IsWindowVisible(note.Handle()));
    }
}

TEST_F(NoteWindow, StayOnTopOffWithBottomSettingPinsTheNoteBelow) {
    note.M_StayOnTopClick(1);
    EXPECT_EQ(note.StOnTp, 1);
    EXPECT_TRUE(note.ZOrderFG);
    EXPECT_TRUE(GetWindowLongPtrW(note.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    note.M_StayOnTopClick(1);
    EXPECT_EQ(note.StOnTp, 0);
    EXPECT_TRUE(note.ZOrderFG);   // at the bottom, and kept there
    EXPECT_FALSE(GetWindowLongPtrW(note.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Without the setting the note is merely not on top, and free.
    note.M_StayOnTopClick(0);
    note.M_StayOnTopClick(0);
    EXPECT_FALSE(note.ZOrderFG);
}

TEST_F(NoteWindow, CopiesTheLineAskedFor) {
    RichClear(note.RichEdit1());
    for (const wchar_t* line : {L"first", L"second", L"三行目"}) RichAppendLine(note.RichEdit1(), line);
    ASSERT_TRUE(note.M_CopyLineClick(3));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    std::wstring got = h ? static_cast<const wchar_t*>(GlobalLock(h)) : L"";
    if (h) GlobalUnlock(h);
    CloseClipboard();
    EXPECT_EQ(got, L"三行目");
    EXPECT_FALSE(note.M_CopyLineClick(4));
}

TEST_F(NoteWindow, DefaultDesignTakesTheNoteAsItIs) {
    note.SetBounds(100, 200, 240, 90);
    note.ORGColor = 0x00CCFFEE;
    note.WakuNum = 4;
    RichClear(note.RichEdit1());
    RichSetFont(note.RichEdit1(), TextFont{L"Arial", 14, RGB(1, 2, 3), 1010});
    RichAppendLine(note.RichEdit1(), L"bold and underlined");
    DefaultDesign d = note.Design();
    EXPECT_EQ(d.Left, 105);
    EXPECT_EQ(d.Top, 205);
    EXPECT_EQ(d.Width, 240);
    EXPECT_EQ(d.Height, 90);
    EXPECT_EQ(d.FontStyle, 1010);
    EXPECT_EQ(d.FontSize, 14);
    EXPECT_EQ(d.FontName, L"Arial");
    EXPECT_EQ(d.FontColor, int(RGB(1, 2, 3)));
    EXPECT_EQ(d.Colorx64, 0x00CCFFEE);
    EXPECT_EQ(d.Waku, 4);
}

TEST_F(NoteWindow, InformationOfAnOwnNoteWithoutDeadlineOrFile) {
    note.DataName = L"kelup7.kdt";
    note.MakeDT = 46000.5;
    std::wstring info = note.InfoText();
    EXPECT_EQ(info.find(L"作成年月日："), 0u);
    EXPECT_NE(info.find(L"\r文字情報ﾌｧｲﾙ名：kelup7.kdt"), std::wstring::npos);
    EXPECT_EQ(std::count(info.begin(), info.end(), L'\r'), 1);
}

TEST_F(NoteWindow, BroughtIntoViewKeepsItsOwnPlaceUntilMoved) {
    note.SetBounds(3000, 2000, 200, 80);
    note.RescueTo(RECT{1000, 700, 1200, 780});
    EXPECT_EQ(note.Bounds().left, 1000);
    RECT kept = note.StoredBounds();
    EXPECT_EQ(kept.left, 3000);
    EXPECT_EQ(kept.top, 2000);
    // A second rescue keeps the first place.
    note.RescueTo(RECT{10, 10, 210, 90});
    EXPECT_EQ(note.StoredBounds().left, 3000);
    note.ReturnHome();
    EXPECT_EQ(note.Bounds().left, 3000);
    EXPECT_FALSE(note.Rescued());
    // Moved by the user after a rescue: the new place is its own.
    note.RescueTo(RECT{1000, 700, 1200, 780});
    note.SetBounds(400, 300, 200, 80);
    EXPECT_FALSE(note.Rescued());
    EXPECT_EQ(note.StoredBounds().left, 400);
}

TEST_F(NoteWindow, WholeTextHintInsideOnlyWhenAskedFor) {
    SetText(L"一行目");
    RichAppendLine(note.RichEdit1(), L"second line");
    struct Case {
        int toolTipHint, toolTipCtrl;
        POINT at;
        bool shown;
    };
    const Case cases[] = {
        {1, 0, {100, 40}, true},
        {0, 0, {100, 40}, false},   // hints off
        {1, 1, {100, 40}, false},   // only with Ctrl held
        {1, 0, {3, 40}, false},     // on the frame
    };
    for (const Case& c : cases) {
        host.config.ToolTipHint = c.toolTipHint;
        host.config.ToolTipCtrl = c.toolTipCtrl;
        host.hint.clear();
        host.hintShown = false;
        HitAt(c.at.x, c.at.y);
        EXPECT_EQ(host.hintShown, c.shown) << c.toolTipHint << c.toolTipCtrl << " at " << c.at.x;
        if (c.shown) {
            EXPECT_EQ(host.hint, L"一行目\rsecond line");
        }
    }
    // The frame takes the hint away again, as does hiding the note.
    host.config.ToolTipHint = 1, host.config.ToolTipCtrl = 0;
    HitAt(100, 40);
    HitAt(3, 40);
    EXPECT_FALSE(host.hintShown);
}

}  // namespace
}  // namespace kelup
