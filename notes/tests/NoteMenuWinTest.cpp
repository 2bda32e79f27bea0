// The note's context menu is prepared from the note's state each time it
// opens: whatever changed the state before (a command, the data file, the
// translucency file), the menu shows it.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/Settings.h"
#include "notes/TKELUPSHI.h"
#include "notes/tests/FakeNoteHost.h"
#include "res/resource.h"

namespace kelup {
namespace {

bool Checked(HMENU m, UINT id) { return (GetMenuState(m, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
bool Grayed(HMENU m, UINT id) { return (GetMenuState(m, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
std::wstring Caption(HMENU m, UINT id) {
    wchar_t text[64] = {};
    GetMenuStringW(m, id, text, 64, MF_BYCOMMAND);
    return text;
}

class NoteMenu : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadLibraryW(L"msftedit.dll"); }
    void SetUp() override { ASSERT_TRUE(note.Create(nullptr, 3, false, &host)); }
    test::FakeNoteHost host;
    TKELUPSHI note;
};

TEST_F(NoteMenu, ChecksFollowTheNoteAtEachOpening) {
    struct Case {
        int stOnTp, lock, border, alpha, tomei;
        bool top, bottom, locked, bordered, tomeiGrayed;
        const wchar_t* half;
    };
    const Case cases[] = {
        {0, 0, 0, 255, 0, false, false, false, false, false, L"半透明"},
        {1, 1, 1, 200, 0, true, false, true, true, true, L"半透明（200）"},
        {2, 0, 0, 255, 2, false, true, false, false, false, L"半透明"},
        // A transparent note shows no translucency, whatever its value.
        {0, 0, 0, 120, 2, false, false, false, false, false, L"半透明"},
    };
    // One note, its state changed behind the menu's back between openings.
    for (const Case& c : cases) {
        note.StOnTp = c.stOnTp;
        note.LockMode = c.lock;
        note.Border = c.border;
        note.AlphaValue = c.alpha;
        note.Tomei = c.tomei;
        HMENU m = note.PopupMenuX();
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(Checked(m, ID_M_StayOnTop), c.top) << c.stOnTp;
        EXPECT_EQ(Checked(m, ID_M_StayOnBottom), c.bottom) << c.stOnTp;
        EXPECT_EQ(Checked(m, ID_M_Lock), c.locked);
        EXPECT_EQ(Checked(m, ID_M_Border), c.bordered);
        EXPECT_EQ(Grayed(m, ID_M_Tomei), c.tomeiGrayed) << c.alpha;
        EXPECT_EQ(Caption(m, ID_M_HalfS), c.half);
    }
}

TEST_F(NoteMenu, EntriesFollowTheSettingsAndFreeSlots) {
    host.config.UseLog1 = 1;
    host.config.LogDefault = 1;
    host.config.Bottom = 1;
    host.full = true;
    HMENU m = note.PopupMenuX();
    EXPECT_EQ(Caption(m, ID_N_Exit), L"ログに出力しないではがす");
    EXPECT_FALSE(Grayed(m, ID_N_Exit));
    EXPECT_TRUE(Grayed(m, ID_NewKelup));
    EXPECT_TRUE(Grayed(m, ID_M_StayOnBottom));

    host.config.UseLog1 = 0;
    host.config.LogDefault = 0;
    host.config.Bottom = 0;
    host.full = false;
    m = note.PopupMenuX();
    EXPECT_EQ(Caption(m, ID_N_Exit), L"ログに出力してはがす");
    EXPECT_TRUE(Grayed(m, ID_N_Exit));
    EXPECT_TRUE(Grayed(m, ID_LOG2));
    EXPECT_FALSE(Grayed(m, ID_NewKelup));
    EXPECT_FALSE(Grayed(m, ID_M_StayOnBottom));
}

TEST_F(NoteMenu, ProtectedNoteAndDefaultEntry) {
    host.config.DblClickMode = 2;
    note.OpenFName = L"C:\\docs\\plan.txt";
    HMENU m = note.PopupMenuX();
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), UINT(ID_M_Execute));
    EXPECT_EQ(Caption(m, ID_M_Kanren), L"関連付け...plan.txt");
    EXPECT_FALSE(Grayed(m, ID_M_Copy));

    note.KeyOpen = 1;
    m = note.PopupMenuX();
    EXPECT_TRUE(Grayed(m, ID_M_Copy));
    EXPECT_TRUE(Grayed(m, ID_M_Execute));
    EXPECT_FALSE(Grayed(m, ID_LOG1));
    // The appearance submenu as a whole: found through its first entry.
    bool found = false;
    for (int i = 0; i < GetMenuItemCount(m); ++i) {
        HMENU props = GetSubMenu(m, i);
        for (int j = 0; props && j < GetMenuItemCount(props); ++j) {
            HMENU sub = GetSubMenu(props, j);
            if (sub && GetMenuItemID(sub, 0) == ID_Waku0) {
                found = true;
                EXPECT_TRUE(GetMenuState(props, UINT(j), MF_BYPOSITION) & MF_GRAYED);
            }
        }
    }
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace kelup
