#include "app/ShowMsg.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace kelup {
namespace {

struct Seen {
    std::wstring caption;
    std::vector<std::wstring> buttons;
    std::wstring text;
    bool centred = false;
};

// Presses `press` on the message box once it is up, remembering what it showed.
UINT_PTR g_timer = 0;
Seen* g_seen = nullptr;
std::wstring g_press;

BOOL CALLBACK CollectChild(HWND h, LPARAM) {
    wchar_t cls[32], text[256];
    GetClassNameW(h, cls, 32);
    GetWindowTextW(h, text, 256);
    if (lstrcmpiW(cls, L"Button") == 0) g_seen->buttons.push_back(text);
    else if (GetDlgCtrlID(h) == 0xFFFF) g_seen->text = text;
    return TRUE;
}

void CALLBACK PressLater(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM p) -> BOOL {
        wchar_t cls[16];
        GetClassNameW(h, cls, 16);
        if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h)) { *reinterpret_cast<HWND*>(p) = h; return FALSE; }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    KillTimer(nullptr, g_timer);
    wchar_t caption[64];
    GetWindowTextW(box, caption, 64);
    g_seen->caption = caption;
    EnumChildWindows(box, CollectChild, 0);
    RECT r;
    GetWindowRect(box, &r);
    int cx = (r.left + r.right) / 2, sx = GetSystemMetrics(SM_CXSCREEN) / 2;
    g_seen->centred = abs(cx - sx) < 40;
    for (HWND b = GetWindow(box, GW_CHILD); b; b = GetWindow(b, GW_HWNDNEXT)) {
        wchar_t t[64];
        GetWindowTextW(b, t, 64);
        if (g_press == t) PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(b), BN_CLICKED), LPARAM(b));
    }
    if (g_press == L"{ESC}") PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

int RunBox(const std::wstring& text, unsigned type, const std::wstring& press, Seen& seen) {
    g_seen = &seen;
    g_press = press;
    g_timer = SetTimer(nullptr, 0, 50, PressLater);
    return ShowMsg(text, type);
}

TEST(ShowMsg, CaptionButtonsAndResult) {
    struct Case { unsigned type; const wchar_t* press; int want; std::vector<std::wstring> buttons; };
    const Case cases[] = {
        {0, L"OK", IDOK, {L"OK"}},
        {1, L"キャンセル", IDCANCEL, {L"OK", L"キャンセル"}},
        {4 | 0x20, L"いいえ(&N)", IDNO, {L"はい(&Y)", L"いいえ(&N)"}},
        {3, L"はい(&Y)", IDYES, {L"はい(&Y)", L"いいえ(&N)", L"キャンセル"}},
        {2, L"無視(&I)", IDIGNORE, {L"中止(&A)", L"再試行(&R)", L"無視(&I)"}},
        {1, L"{ESC}", IDCANCEL, {L"OK", L"キャンセル"}},
        {0, L"{ESC}", IDOK, {L"OK"}},
    };
    for (const auto& c : cases) {
        Seen seen;
        EXPECT_EQ(RunBox(L"一行目\r二行目", c.type, c.press, seen), c.want) << c.type;
        EXPECT_EQ(seen.caption, L"ケラップx64");
        EXPECT_EQ(seen.buttons, c.buttons);
        EXPECT_EQ(seen.text, L"一行目\r\n二行目");
        EXPECT_TRUE(seen.centred);
    }
}

}  // namespace
}  // namespace kelup
