// Hidden notes as entries of the main menu's "表示／非表示" submenu: the
// newest first above a separator that comes with the first and goes with
// the last.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/AppWindow.h"
#include "app/Shell.h"
#include "res/resource.h"
#include "store/NoteStore.h"

namespace kelup {
namespace {

class FakeShell final : public Shell {
public:
    FakeShell() : bar_(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENU1))) {}
    ~FakeShell() { DestroyMenu(bar_); }
    const Settings& Config() const override { return config_; }
    const Paths& Path() const override { return paths_; }
    const ProgramState& State() const override { return state_; }
    HWND MainHandle() const override { return nullptr; }
    AppWindow& App() override { return app_; }
    HMENU PopupMenu1() const override { return GetSubMenu(bar_, 0); }
    void MainMenuPopup(POINT) override {}
    void Delay(DWORD) override {}
    void M_ExitClick() override {}
    bool EditorOpen() const override { return false; }
    bool ChooseColour(HWND, int&) override { return false; }
    bool ChooseAssociation(HWND, std::wstring&) override { return false; }
    void SaveDefaultDesign(const DefaultDesign&) override {}
    void ArrivalSeen() override {}
    void EnableTimer1(bool) override {}
    void SetBusy(bool) override {}
    void RememberUseTime(int) override {}
    void RememberEditerBkgnd(int) override {}

private:
    Settings config_;
    Paths paths_;
    ProgramState state_;
    AppWindow app_;
    HMENU bar_;
};

// The "表示／非表示" submenu: the one holding "全ての付箋紙を非表示".
HMENU ShowHide(HMENU popup) {
    for (int i = 0; i < GetMenuItemCount(popup); ++i)
        if (HMENU sub = GetSubMenu(popup, i); sub && GetMenuState(sub, ID_M_AllHide, MF_BYCOMMAND) != UINT(-1))
            return sub;
    return nullptr;
}

std::wstring Entries(HMENU m) {
    std::wstring out;
    for (int i = 0; i < GetMenuItemCount(m); ++i) {
        if (GetMenuState(m, UINT(i), MF_BYPOSITION) & MF_SEPARATOR) {
            out += L"-|";
            continue;
        }
        wchar_t t[64] = {};
        GetMenuStringW(m, UINT(i), t, 64, MF_BYPOSITION);
        out += std::wstring(t) + L"|";
    }
    return out;
}

TEST(HiddenNotes, SeparatorComesWithTheFirstAndGoesWithTheLast) {
    FakeShell shell;
    NoteStore store(shell);
    store.AllocateSlots();
    HMENU sub = ShowHide(shell.PopupMenu1());
    ASSERT_NE(sub, nullptr);
    const std::wstring plain = Entries(sub);

    UINT a = store.AddHiddenEntry(true, 3, L"買い物");
    EXPECT_EQ(Entries(sub), L"買い物|-|" + plain);
    UINT b = store.AddHiddenEntry(true, 5, L"※会議");
    EXPECT_EQ(Entries(sub), L"※会議|買い物|-|" + plain);

    store.MenuItemClick(a);
    EXPECT_EQ(Entries(sub), L"※会議|-|" + plain);
    store.MenuItemClick(b);
    EXPECT_EQ(Entries(sub), plain);
    store.MenuItemClick(b);   // an entry used once is gone
    EXPECT_EQ(Entries(sub), plain);

    // Hidden again later: a new separator, and the entries still unique.
    UINT c = store.AddHiddenEntry(true, 3, L"again");
    EXPECT_NE(c, a);
    EXPECT_EQ(Entries(sub), L"again|-|" + plain);
    store.M_ReShowClick();
    EXPECT_EQ(Entries(sub), plain);
}

}  // namespace
}  // namespace kelup
