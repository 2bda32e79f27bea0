#include "notes/NoteMenuPlan.h"

#include <gtest/gtest.h>

#include "res/resource.h"

namespace kelup {
namespace {

NoteMenuFacts Plain() {
    NoteMenuFacts f;
    f.lines = {L"title", L"second", L"", L"  "};
    f.onlyDateCheck = 1;
    return f;
}

TEST(NoteMenuPlan, UnopenedProtectedNoteOffersOnlyTheSafeEntries) {
    NoteMenuFacts f = Plain();
    f.keyOpen = 1;
    NoteMenuPlan p = PlanNoteMenu(f);
    for (unsigned id : {ID_M_Load, ID_M_Copy, ID_M_Paste, ID_Color1, ID_M_Limit, ID_M_Lock, ID_M_Send, ID_M_Execute,
                        ID_M_Kanren, ID_NewKelup, ID_MRep, ID_M_SaveText, ID_M_CopyLine1, ID_M_CopyLine9})
        EXPECT_FALSE(p.enabled.at(id)) << id;
    // Peeling, hiding, editing, information, reply and the main menu are not touched.
    for (unsigned id : {ID_LOG1, ID_M_Hide, ID_String1, ID_M_Direct, ID_M_Info, ID_M_Res, ID_M_MainMenu})
        EXPECT_EQ(p.enabled.count(id), 0u) << id;
    EXPECT_FALSE(p.submenus.at(NoteSubmenu::Appearance));
}

TEST(NoteMenuPlan, CopyLineEntriesFollowTheText) {
    NoteMenuPlan p = PlanNoteMenu(Plain());
    EXPECT_TRUE(p.enabled.at(ID_M_CopyLine1));
    EXPECT_TRUE(p.enabled.at(ID_M_CopyLine2));
    EXPECT_FALSE(p.enabled.at(ID_M_CopyLine3));   // empty
    EXPECT_FALSE(p.enabled.at(ID_M_CopyLine4));   // only spaces
    EXPECT_FALSE(p.enabled.at(ID_M_CopyLine5));   // no such line
}

TEST(NoteMenuPlan, CaptionsAndEnablingFromTheNoteAndTheProgram) {
    struct Case {
        const char* what;
        void (*set)(NoteMenuFacts&);
        unsigned id;
        bool enabled;
    };
    const Case cases[] = {
        {"network off: no send", [](NoteMenuFacts& f) { f.networkOff = true; }, ID_M_Send, false},
        {"LAN up: send", [](NoteMenuFacts&) {}, ID_M_Send, true},
        {"reply needs a sender", [](NoteMenuFacts&) {}, ID_M_Res, false},
        {"reply with a sender", [](NoteMenuFacts& f) { f.hasSenderAddr = true; }, ID_M_Res, true},
        {"full slots: no new note", [](NoteMenuFacts& f) { f.slotsFull = true; }, ID_NewKelup, false},
        {"full slots: no duplicate", [](NoteMenuFacts& f) { f.slotsFull = true; }, ID_M_EmptyRep, false},
        {"editor open: no new note", [](NoteMenuFacts& f) { f.editorOpen = true; }, ID_NewKelup, false},
        {"Bottom setting: no stay-at-bottom", [](NoteMenuFacts& f) { f.bottom = 1; }, ID_M_StayOnBottom, false},
        {"locked: no auto-size", [](NoteMenuFacts& f) { f.lockMode = 1; }, ID_M_AutoW1, false},
        {"locked: no stay-on-top", [](NoteMenuFacts& f) { f.lockMode = 1; }, ID_M_StayOnTop, false},
        {"empty first line: no title-line size", [](NoteMenuFacts& f) { f.lines = {L"", L"x"}; }, ID_M_AutoW2, false},
        {"no deadline colours: no deadline", [](NoteMenuFacts& f) { f.onlyDateCheck = 0; }, ID_M_Limit, false},
        {"a deadline colour: deadline", [](NoteMenuFacts& f) { f.onlyDateCheck = 0, f.useColor2 = 1; }, ID_M_Limit,
         true},
        {"no log: no peel without log", [](NoteMenuFacts& f) { f.useLog1 = 0; }, ID_N_Exit, false},
        {"translucent: no transparency", [](NoteMenuFacts& f) { f.alphaValue = 128; }, ID_M_Tomei, false},
        {"nothing to open", [](NoteMenuFacts&) {}, ID_M_Execute, false},
        {"a file to open", [](NoteMenuFacts& f) { f.openFName = L"C:\\a\\b.txt"; }, ID_M_Execute, true},
        {"no text to paste", [](NoteMenuFacts&) {}, ID_M_Paste, false},
        {"line spacing at its least", [](NoteMenuFacts&) {}, ID_LineSpaceMinus, false},
        {"line spacing at its most", [](NoteMenuFacts& f) { f.lineSpace = 60; }, ID_LineSpacePlus, false},
    };
    for (const Case& c : cases) {
        NoteMenuFacts f = Plain();
        c.set(f);
        EXPECT_EQ(PlanNoteMenu(f).enabled.at(c.id), c.enabled) << c.what;
    }
}

TEST(NoteMenuPlan, Captions) {
    NoteMenuFacts f = Plain();
    f.lineSpace = 30;
    f.openFName = L"C:\\docs\\plan.txt";
    f.alphaValue = 200;
    f.logDefault = 0;
    NoteMenuPlan p = PlanNoteMenu(f);
    EXPECT_EQ(p.lineSpaceCaption, L"行間（50％）");
    EXPECT_EQ(p.captions.at(ID_M_Kanren), L"関連付け...plan.txt");
    EXPECT_EQ(p.captions.at(ID_M_HalfS), L"半透明（200）");
    EXPECT_EQ(p.captions.at(ID_N_Exit), L"ログに出力してはがす");
    EXPECT_EQ(p.captions.at(ID_M_Limit), L"期日の設定 - なし");
    f.kDate = 46000.5, f.deadlineDate = L"2025/12/09", f.deadlineTime = L"12:00:00";
    EXPECT_EQ(PlanNoteMenu(f).captions.at(ID_M_Limit), L"期日の設定 - 2025/12/09 12:00:00");
    f.everyDay = 1;
    EXPECT_EQ(PlanNoteMenu(f).captions.at(ID_M_Limit), L"期日の設定 - 毎日 12:00:00");
    struct { int mode; unsigned id; } defaults[] = {{0, ID_String1}, {1, ID_M_Direct}, {2, ID_M_Execute}, {3, ID_M_Auto}};
    for (auto d : defaults) {
        f.dblClickMode = d.mode;
        EXPECT_EQ(PlanNoteMenu(f).defaultEntry, d.id) << d.mode;
    }
}

}  // namespace
}  // namespace kelup
