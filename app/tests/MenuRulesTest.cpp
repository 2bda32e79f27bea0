#include "app/MenuRules.h"

#include <gtest/gtest.h>

namespace kelup {
namespace {

struct ActionCase {
    int value;
    TrayAction action;
    int templateNo;
};

TEST(TrayActions, EachSettingValueNamesItsAction) {
    const ActionCase cases[] = {
        {0, TrayAction::Menu, 0},         {1, TrayAction::NewText, 0},     {2, TrayAction::Template, 1},
        {4, TrayAction::Template, 3},     {6, TrayAction::Template, 5},    {7, TrayAction::TemplateFile, 0},
        {8, TrayAction::NewImage, 0},     {9, TrayAction::Front, 0},       {10, TrayAction::Menu, 0},
        {-1, TrayAction::Menu, 0},
    };
    for (const auto& c : cases) {
        TrayChoice t = TrayActionOf(c.value);
        EXPECT_EQ(t.action, c.action) << "value " << c.value;
        EXPECT_EQ(t.templateNo, c.templateNo) << "value " << c.value;
    }
}

struct ClickCase {
    const char* name;
    TrayMouse mouse;
    TrayFacts facts;
    bool front;
    TrayAction action;
};

TEST(TrayActions, WhatAMessageOfTheIconDoes) {
    const ClickCase cases[] = {
        {"left, default: only to the front", TrayMouse::LeftDown, {false, false, 9, 0}, true, TrayAction::Front},
        {"right, default: menu, not forced forward", TrayMouse::RightDown, {false, false, 9, 0}, false,
         TrayAction::Menu},
        {"double click with MouseL 9 makes a note", TrayMouse::LeftDoubleClick, {false, false, 9, 0}, true,
         TrayAction::NewText},
        {"double click with another MouseL does nothing", TrayMouse::LeftDoubleClick, {false, false, 1, 0}, false,
         TrayAction::None},
        {"right with MouseR 1 makes a note", TrayMouse::RightDown, {false, false, 9, 1}, true, TrayAction::NewText},
        {"left with MouseL 8 makes an image note", TrayMouse::LeftDown, {false, false, 8, 0}, true,
         TrayAction::NewImage},
        {"busy: ignored", TrayMouse::LeftDown, {true, false, 1, 1}, false, TrayAction::None},
        {"busy: double click ignored", TrayMouse::LeftDoubleClick, {true, false, 9, 0}, false, TrayAction::None},
        {"compose open: right only to the front", TrayMouse::RightDown, {false, true, 9, 1}, true,
         TrayAction::None},
        {"compose open: left only to the front", TrayMouse::LeftDown, {false, true, 1, 0}, true, TrayAction::None},
        {"compose open: double click nothing", TrayMouse::LeftDoubleClick, {false, true, 9, 0}, false,
         TrayAction::None},
        {"other mouse messages: nothing", TrayMouse::Other, {false, false, 1, 1}, false, TrayAction::None},
    };
    for (const auto& c : cases) {
        TrayResponse r = TrayClick(c.mouse, c.facts);
        EXPECT_EQ(r.bringToFront, c.front) << c.name;
        EXPECT_EQ(r.choice.action, c.action) << c.name;
    }
}

TEST(MainMenu, DefaultEntryAndPeelAllFollowSettingAndCounts) {
    MainMenuFacts f;
    MainMenuState s = PrepareMainMenu(f);
    EXPECT_TRUE(s.newNormalDefault);
    EXPECT_FALSE(s.allRemoveN);
    EXPECT_FALSE(s.allRemoveI);
    f.mouseL = 0;
    f.textCount = 1;
    f.imageCount = 2;
    s = PrepareMainMenu(f);
    EXPECT_FALSE(s.newNormalDefault);
    EXPECT_TRUE(s.allRemoveN);
    EXPECT_TRUE(s.allRemoveI);
}

TEST(MainMenu, FullTextSlotsDisableNewTemplateAndUndoAndOfferOnlyAPicture) {
    MainMenuFacts f;
    f.textCount = f.maxText = 99;
    f.undoCount = 2;
    f.clipPicture = f.clipText = true;
    MainMenuState s = PrepareMainMenu(f);
    EXPECT_FALSE(s.newNormal);
    EXPECT_FALSE(s.temp);
    EXPECT_FALSE(s.undo);
    EXPECT_TRUE(s.newBmp);
    EXPECT_EQ(s.clip, ClipKind::Picture);
    f.clipPicture = false;
    EXPECT_EQ(PrepareMainMenu(f).clip, ClipKind::None);
}

TEST(MainMenu, UndoNeedsAPeeledNoteAndAFreeSlot) {
    MainMenuFacts f;
    f.textCount = 98;
    EXPECT_FALSE(PrepareMainMenu(f).undo);
    f.undoCount = 1;
    EXPECT_TRUE(PrepareMainMenu(f).undo);
    EXPECT_TRUE(PrepareMainMenu(f).newNormal);
}

TEST(MainMenu, NewImageWaitsForAFreeSlotAndTheNoteBeingMade) {
    MainMenuFacts f;
    f.imageCount = f.maxImage = 5;
    EXPECT_FALSE(PrepareMainMenu(f).newBmp);
    f.imageCount = 4;
    EXPECT_TRUE(PrepareMainMenu(f).newBmp);
    f.makingImage = true;
    EXPECT_FALSE(PrepareMainMenu(f).newBmp);
}

TEST(MainMenu, AnOpenAboutBoxOrOptionsDialogLeavesTheNewEntriesAlone) {
    for (bool about : {false, true}) {
        MainMenuFacts f;
        f.aboutOpen = about;
        f.optionsOpen = !about;
        f.textCount = 3;
        MainMenuState s = PrepareMainMenu(f);
        EXPECT_FALSE(s.setNewEntries);
        EXPECT_TRUE(s.allRemoveN);   // the rest is prepared as always
    }
}

struct ClipCase {
    bool picture, text;
    int textCount, imageCount;
    ClipKind kind;
    const wchar_t* caption;
};

TEST(MainMenu, ClipboardEntryCaptionFromContentAndFreeSlots) {
    const wchar_t* pic = L"クリップボードから付箋紙を作成(イメージ)";
    const wchar_t* txt = L"クリップボードから付箋紙を作成(テキスト)";
    const wchar_t* none = L"クリップボードから新規作成";
    const ClipCase cases[] = {
        {false, false, 0, 0, ClipKind::None, none},     {true, false, 0, 0, ClipKind::Picture, pic},
        {false, true, 0, 0, ClipKind::Text, txt},       {true, true, 0, 0, ClipKind::Picture, pic},
        {true, true, 0, 20, ClipKind::Text, txt},       {true, false, 0, 20, ClipKind::None, none},
        {false, true, 99, 0, ClipKind::None, none},     {true, true, 99, 20, ClipKind::None, none},
    };
    for (const auto& c : cases) {
        MainMenuFacts f;
        f.clipPicture = c.picture;
        f.clipText = c.text;
        f.textCount = c.textCount;
        f.imageCount = c.imageCount;
        MainMenuState s = PrepareMainMenu(f);
        EXPECT_EQ(s.clip, c.kind) << c.picture << c.text << " " << c.textCount << "/" << c.imageCount;
        EXPECT_EQ(s.clipCaption, c.caption);
    }
}

struct HotKeyCase {
    const wchar_t* value;
    int vk;
};

TEST(HotKeys, VirtualKeyOfTheSetting) {
    const HotKeyCase cases[] = {
        {L"A", 'A'},   {L"a", 'A'},   {L"z", 'Z'},   {L"W", 'W'},
        {L"1", '1'},   {L"Q extra", 'Q'},
        {L"なし", kHotKeyNone},       {L"", kHotKeyNone},
        {L",", kHotKeyUnusable},     {L"Ａ", kHotKeyUnusable},   {L" A", kHotKeyUnusable},
    };
    for (const auto& c : cases) EXPECT_EQ(HotKeyVirtualKey(c.value), c.vk) << int(c.value[0]);
}

TEST(HotKeys, ShortcutShownAfterTheCaption) {
    EXPECT_EQ(HotKeyShortcutText('A'), L"Ctrl+Alt+A");
    EXPECT_EQ(CaptionWithShortcut(L"付箋紙の新規作成・送信", L"Ctrl+Alt+A"), L"付箋紙の新規作成・送信\tCtrl+Alt+A");
    // A caption changed later (network off) keeps one shortcut, not two.
    EXPECT_EQ(CaptionWithShortcut(L"付箋紙の新規作成\tCtrl+Alt+A", L"Ctrl+Alt+B"), L"付箋紙の新規作成\tCtrl+Alt+B");
    EXPECT_EQ(CaptionWithShortcut(L"イメージ付箋紙の新規作成\tCtrl+Alt+B", L""), L"イメージ付箋紙の新規作成");
}

}  // namespace
}  // namespace kelup
