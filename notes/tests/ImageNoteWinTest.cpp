// An image note as a window: sizing with the picture's proportions, the
// title, the lock, hiding, the size in percent through the input dialog,
// the double-click, dropped files, the menu and what it draws.

#include <windows.h>
#include <imm.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/Dib.h"
#include "base/TextInput.h"
#include "notes/TBMPKELUPSHI.h"
#include "notes/tests/FakeImageHost.h"
#include "res/resource.h"

namespace kelup {
namespace {

int W(const RECT& r) { return r.right - r.left; }
int H(const RECT& r) { return r.bottom - r.top; }

// A picture of w × h: the left half `left`, the right half `right` (0x00RRGGBB).
LoadedPicture TwoColourPicture(int w, int h, DWORD left = 0x00FF0000, DWORD right = 0x000000FF) {
    BITMAPINFO bi = TopDownDib32(w, h);
    void* bits = nullptr;
    LoadedPicture p;
    p.bitmap.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* px = static_cast<DWORD*>(bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px[y * w + x] = x < w / 2 ? left : right;
    p.type = PictureType::Bitmap;
    p.width = p.orgWidth = w;
    p.height = p.orgHeight = h;
    return p;
}

std::wstring Text(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::wstring s(size_t(n) + 1, L'\0');
    s.resize(size_t(GetWindowTextW(h, s.data(), n + 1)));
    return s;
}

// A dialog of this process with this caption, shown.
HWND OurDialog(const wchar_t* caption) {
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, L"#32770", caption));) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(h)) return h;
    }
    return nullptr;
}

// Answers, from a thread of its own, the dialogs that a command of the note
// opens while the test's thread sits in their modal loops. Each step is
// tried until it reports done; one that is not done within a generous time
// fails the test and every dialog still up is cancelled, so nothing hangs.
class DialogDriver {
public:
    using Step = std::function<bool()>;
    explicit DialogDriver(std::vector<Step> steps) : thread_([this, s = std::move(steps)] { Run(s); }) {}
    ~DialogDriver() { Finish(); }
    // Waits for the steps; false when one of them ran out of time.
    bool Finish() {
        if (thread_.joinable()) thread_.join();
        return !timedOut_;
    }

private:
    void Run(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!step()) {
                if (std::chrono::steady_clock::now() > until) {
                    timedOut_ = true;
                    for (HWND d = nullptr; (d = FindWindowExW(nullptr, d, L"#32770", nullptr));) {
                        DWORD pid = 0;
                        GetWindowThreadProcessId(d, &pid);
                        if (pid == GetCurrentProcessId()) PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                    }
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));   // polling, not waiting for time
            }
        }
    }
    std::atomic<bool> timedOut_{false};
    std::thread thread_;
};

// The input dialog of this caption: `offered` takes its text, `typed` goes
// in, then OK (or Cancel).
DialogDriver::Step AnswerInput(const wchar_t* caption, std::wstring* offered, std::wstring* prompt,
                               std::wstring typed, bool ok = true) {
    return [=] {
        HWND d = OurDialog(caption);
        if (!d) return false;
        if (offered) *offered = Text(GetDlgItem(d, IDC_TI_edit_title));
        if (prompt) *prompt = Text(GetDlgItem(d, IDC_TI_lbl_prompt));
        SetWindowTextW(GetDlgItem(d, IDC_TI_edit_title), typed.c_str());
        PostMessageW(d, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
        return true;
    };
}

// The program's message box: `shown` takes all of its texts, then OK.
DialogDriver::Step AnswerMessage(std::wstring* shown) {
    return [=] {
        HWND d = OurDialog(L"ケラップx64");
        if (!d) return false;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) *shown += Text(c) + L"|";
        PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    };
}

class ImageNote : public ::testing::Test {
protected:
    void SetUp() override { Make(); }
    void Make() {
        note = std::make_unique<TBMPKELUPSHI>();
        RECT place{100, 100, 100 + 300, 100 + 200};
        ASSERT_TRUE(note->Create(nullptr, 7, false, &host, &place));
        note->SetPicture(TwoColourPicture(300, 200));
        ShowWindow(note->Handle(), SW_SHOWNOACTIVATE);
    }
    // The hit-test code at a point given from the note's top-left corner.
    LRESULT HitAt(int x, int y) {
        RECT r = note->Bounds();
        return SendMessageW(note->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.left + x, r.top + y));
    }
    // The note as the user left it: `w` × `h` of picture, the title shown or not.
    void Reset(int w, int h, bool title) {
        note->RightBottom = 0;
        note->ShowTitle(false);
        note->SetBounds(100, 100, w, h);
        note->ShowTitle(title);
    }
    UINT MenuState(UINT id) { return GetMenuState(note->PopupMenu3(), id, MF_BYCOMMAND); }

    test::FakeImageHost host;
    std::unique_ptr<TBMPKELUPSHI> note;
};

TEST_F(ImageNote, DraggingAnEdgeKeepsThePictureInProportion) {
    const int th = note->TitleHeight();
    ASSERT_GT(th, 0);
    struct Case {
        const char* what;
        bool title;
        POINT hover;            // where the pointer took the frame, from the top-left corner
        WPARAM edge;
        int dragW, dragH;       // the rectangle the user dragged to
        int wantW, wantH;
    };
    const Case cases[] = {
        {"right edge to 450", false, {297, 100}, WMSZ_RIGHT, 450, 200, 450, 300},
        {"bottom edge to 100", false, {150, 197}, WMSZ_BOTTOM, 300, 100, 150, 100},
        {"bottom-right corner", false, {297, 197}, WMSZ_BOTTOMRIGHT, 150, 999, 150, 100},
        {"title shown, right edge to 600", true, {297, 60}, WMSZ_RIGHT, 600, 160 + th, 600, 320 + th},
        {"title shown, bottom edge", true, {150, 157 + th}, WMSZ_BOTTOM, 300, 80 + th, 150, 80 + th},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset(300, c.title ? 160 : 200, c.title);
        HitAt(c.hover.x, c.hover.y);
        RECT r{100, 100, 100 + c.dragW, 100 + c.dragH};
        EXPECT_TRUE(SendMessageW(note->Handle(), WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&r)));
        EXPECT_EQ(W(r), c.wantW);
        EXPECT_EQ(H(r), c.wantH);
        // The system sizes the window to what the message left.
        SetWindowPos(note->Handle(), nullptr, r.left, r.top, W(r), H(r), SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(W(note->Bounds()), c.wantW);
        EXPECT_EQ(H(note->Bounds()), c.wantH);
        EXPECT_EQ(note->HOrg, c.wantH - (c.title ? th : 0));
    }
}

TEST_F(ImageNote, AfterASizeChangeTheOtherSideFollows) {
    struct Case {
        const char* what;
        POINT hover;
        int setW, setH, wantW, wantH;
    };
    const Case cases[] = {
        {"after a side: height from width", {297, 100}, 450, 123, 450, 300},
        {"after the top edge: width from height", {150, 3}, 999, 100, 150, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset(300, 200, false);
        HitAt(c.hover.x, c.hover.y);
        note->SetBounds(100, 100, c.setW, c.setH);
        EXPECT_EQ(W(note->Bounds()), c.wantW);
        EXPECT_EQ(H(note->Bounds()), c.wantH);
    }
}

TEST_F(ImageNote, TitleChangesTheHeightByItsOwnAndThePictureKeepsItsSize) {
    Reset(300, 160, false);
    const int th = note->TitleHeight();
    note->SetTitle(L"花の写真");
    note->ShowTitle(true);
    EXPECT_EQ(H(note->Bounds()), 160 + th);
    EXPECT_EQ(note->BmpMode, 1);
    EXPECT_NE(note->InfoText().find(L"W300 ✕ H160"), std::wstring::npos) << testing::PrintToString(note->InfoText());
    // A larger font: the title grows, the picture stays.
    note->TitleFontSize = 24;
    note->ApplyTitleFont();
    const int th2 = note->TitleHeight();
    EXPECT_GT(th2, th);
    EXPECT_EQ(H(note->Bounds()), 160 + th2);
    note->ShowTitle(false);
    EXPECT_EQ(H(note->Bounds()), 160);
    EXPECT_EQ(note->BmpMode, 0);
    EXPECT_EQ(W(note->Bounds()), 300);
}

TEST_F(ImageNote, LockedNoteIsNeitherMovedNorSizedAndOffersNoSizes) {
    note->M_LockClick();
    for (POINT p : {POINT{3, 3}, POINT{150, 100}, POINT{297, 197}, POINT{297, 100}}) EXPECT_EQ(HitAt(p.x, p.y), 6);
    // A press there does nothing: the note stays where it is.
    RECT before = note->Bounds();
    SendMessageW(note->Handle(), WM_NCLBUTTONDOWN, 6, MAKELPARAM(before.left + 150, before.top + 100));
    RECT after = note->Bounds();
    EXPECT_TRUE(EqualRect(&before, &after));
    for (UINT id : {ID_B_M_Chosei, ID_B_M_110, ID_B_M_18, ID_B_M_15, ID_B_M_13, ID_B_M_12, ID_B_M_ORGSize,
                    ID_B_M_Input, ID_B_M_StayOnTop, ID_B_M_StayOnBottom})
        EXPECT_TRUE(MenuState(id) & MF_GRAYED) << id;
    EXPECT_TRUE(MenuState(ID_B_M_Lock) & MF_CHECKED);
    note->M_LockClick();
    EXPECT_EQ(HitAt(150, 100), HTCAPTION);
    EXPECT_FALSE(MenuState(ID_B_M_110) & MF_GRAYED);
    MINMAXINFO mmi{};
    SendMessageW(note->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, host.config.SizingMargin + 10);
    EXPECT_EQ(mmi.ptMinTrackSize.y, host.config.SizingMargin + 10);
}

TEST_F(ImageNote, HiddenNoteCaptions) {
    struct Case {
        std::wstring title, bmpname;
        int hideFG;
        std::wstring want;
    };
    const std::wstring twenty(20, L'あ');
    const Case cases[] = {
        {twenty, L"", 2, L"☆" + twenty},
        {twenty + L"い", L"", 2, L"☆" + std::wstring(18, L'あ') + L"..."},
        {L"", L"C:\\data\\花.jpg", 2, L"☆花.jpg"},
        {L"写真", L"C:\\data\\花.jpg", 1, L"※☆写真"},
    };
    for (const Case& c : cases) {
        note->SetTitle(c.title);
        note->Bmpname = c.bmpname;
        note->HideFG = c.hideFG;
        note->HideAction();
        ASSERT_FALSE(host.hidden.empty());
        EXPECT_EQ(host.hidden.back(), c.want);
        EXPECT_FALSE(host.hiddenText.back());
        EXPECT_FALSE(IsWindowVisible(note->Handle()));
        note->ShowAgain();
        EXPECT_EQ(note->HideFG, 0);
        EXPECT_TRUE(IsWindowVisible(note->Handle()));
    }
}

TEST_F(ImageNote, SizeInPercentOfTheScreen) {
    struct Case {
        const char* what;
        std::wstring typed;
        bool ok;                  // OK pressed, else Cancel
        bool rangeMessage;
        int wantW, wantH;
        bool atOrigin;
    };
    const Case cases[] = {
        {"5 is out of range", L"5", true, true, 100, 50, false},
        {"not a number", L"abc", true, true, 100, 50, false},
        {"101 is out of range", L"101", true, true, 100, 50, false},
        {"50 of 1920", L"50", true, false, 960, 480, false},
        {"95 goes to the corner", L"95", true, false, 1824, 912, true},
        {"cancelled", L"50", false, false, 100, 50, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset(100, 50, false);
        std::wstring offered, prompt, shown;
        std::vector<DialogDriver::Step> steps{AnswerInput(L"画面横幅に対する割合の入力", &offered, &prompt, c.typed, c.ok)};
        if (c.rangeMessage) steps.push_back(AnswerMessage(&shown));
        DialogDriver driver(steps);
        note->M_InputClick();
        ASSERT_TRUE(driver.Finish());
        EXPECT_EQ(offered, L"10");   // 5 % of the screen is offered as 10
        EXPECT_EQ(prompt, L"割合(%)を指定してください（10%～100%）");
        EXPECT_EQ(shown.find(L"範囲外の数字または数値以外の文字が入力されています。") != std::wstring::npos, c.rangeMessage)
            << testing::PrintToString(shown);
        RECT r = note->Bounds();
        EXPECT_EQ(W(r), c.wantW);
        EXPECT_EQ(H(r), c.wantH);
        EXPECT_EQ(r.left == 0 && r.top == 0, c.atOrigin);
    }
}

TEST_F(ImageNote, ScreenPartsAndOriginalSize) {
    struct Case {
        UINT id;
        int wantW;
    };
    for (const Case& c : {Case{ID_B_M_110, 192}, Case{ID_B_M_18, 240}, Case{ID_B_M_15, 384}, Case{ID_B_M_13, 640},
                          Case{ID_B_M_12, 960}, Case{ID_B_M_ORGSize, 300}}) {
        Reset(100, 50, false);
        SendMessageW(note->Handle(), WM_COMMAND, c.id, 0);
        EXPECT_EQ(W(note->Bounds()), c.wantW) << c.id;
        EXPECT_EQ(H(note->Bounds()), c.wantW / 2) << c.id;
        EXPECT_EQ(note->HOrg, c.wantW / 2) << c.id;
    }
}

// The colour of the note's own picture at (x, y).
COLORREF PictureColour(const TBMPKELUPSHI& note, int x, int y) {
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, note.Picture().bitmap.get());
    COLORREF c = GetPixel(mem, x, y);
    SelectObject(mem, old);
    DeleteDC(mem);
    return c;
}

TEST_F(ImageNote, RedrawReadsThePictureAgainAndKeepsTheSize) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring path = std::wstring(tmp) + L"image_note_" + std::to_wstring(GetCurrentProcessId()) + L".bmp";
    const DWORD green = 0x0000FF00, yellow = 0x00FFFF00;
    ASSERT_TRUE(SaveBitmapFile(TwoColourPicture(40, 20), path));
    ASSERT_EQ(note->LoadPicture(path, PictureType::Bitmap), LoadResult::Ok);
    EXPECT_EQ(note->Bmpname, path);
    EXPECT_EQ(note->ORG_W, 40);
    EXPECT_EQ(note->ORG_H, 20);
    note->SetTitle(L"t");
    Reset(300, 150, true);
    const int th = note->TitleHeight();

    struct Case {
        const char* what;
        int hideFG;
        bool fileThere;
        DWORD written;      // what the file holds now
        COLORREF shown;     // what the note shows after the redraw
    };
    const Case cases[] = {
        {"read again", 0, true, green, RGB(0, 255, 0)},
        {"a hidden note is left alone", 2, true, yellow, RGB(0, 255, 0)},
        {"no file: the picture stays", 0, false, 0, RGB(0, 255, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(path.c_str());
        if (c.fileThere) {
            ASSERT_TRUE(SaveBitmapFile(TwoColourPicture(40, 20, c.written, c.written), path));
        }
        note->HideFG = c.hideFG;
        if (c.hideFG != 0) note->HideAction();
        note->RePaintBmp();
        EXPECT_EQ(PictureColour(*note, 5, 5), c.shown);
        EXPECT_EQ(W(note->Bounds()), 300);
        EXPECT_EQ(H(note->Bounds()), 150 + th);
        EXPECT_EQ(note->HOrg, 150);
        EXPECT_TRUE(note->TitleShown());
        EXPECT_EQ(IsWindowVisible(note->Handle()) != FALSE, c.hideFG == 0);
        if (c.hideFG != 0) note->ShowAgain();
    }
    DeleteFileW(path.c_str());
}

// The clipboard holding only `text`.
void ClipboardText(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
}

TEST_F(ImageNote, CopiedPictureIsTakenBackFromTheClipboard) {
    // A note's picture copied, then taken by a note that had a title and a file.
    note->SetPicture(TwoColourPicture(64, 48, 0x0000FF00, 0x00FFFF00));
    note->M_CopyClick();
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB));
    test::FakeImageHost otherHost;
    TBMPKELUPSHI other;
    RECT place{500, 100, 800, 300};
    ASSERT_TRUE(other.Create(nullptr, 8, false, &otherHost, &place));
    other.Bmpname = L"C:\\data\\old.bmp";
    other.SetTitle(L"前の絵");
    other.ShowTitle(true);
    ASSERT_TRUE(other.M_ClipClick());
    EXPECT_EQ(W(other.Bounds()), 64);
    EXPECT_EQ(H(other.Bounds()), 48);
    EXPECT_EQ(other.HOrg, 48);
    EXPECT_EQ(other.SaveFG, 1);
    EXPECT_EQ(other.PictType, 0);
    EXPECT_EQ(other.BmpMode, 0);
    EXPECT_FALSE(other.TitleShown());
    EXPECT_TRUE(other.StringBuf.empty());
    EXPECT_TRUE(other.Bmpname.empty());
    EXPECT_EQ(PictureColour(other, 5, 5), RGB(0, 255, 0));
    EXPECT_EQ(PictureColour(other, 60, 40), RGB(255, 255, 0));

    // No picture there: "BadFormat" and the note as it was.
    ClipboardText(L"文字だけ");
    std::wstring shown;
    DialogDriver driver({AnswerMessage(&shown)});
    EXPECT_FALSE(other.M_ClipClick());
    ASSERT_TRUE(driver.Finish());
    EXPECT_NE(shown.find(L"BadFormat"), std::wstring::npos) << testing::PrintToString(shown);
    EXPECT_EQ(W(other.Bounds()), 64);
    EXPECT_EQ(PictureColour(other, 5, 5), RGB(0, 255, 0));
}

TEST_F(ImageNote, DoubleClick) {
    const int th = note->TitleHeight();
    // Alt alone hides, Ctrl alone peels.
    note->AltKeyDown = true;
    SendMessageW(note->Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    note->AltKeyDown = false;
    EXPECT_EQ(note->HideFG, 2);
    EXPECT_FALSE(IsWindowVisible(note->Handle()));
    note->ShowAgain();
    note->CtrlKeyDown = true;
    SendMessageW(note->Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    note->CtrlKeyDown = false;
    EXPECT_EQ(host.peeled, std::vector<int>{7});
    // Otherwise the title is asked for; a title given shows, an empty one hides.
    Reset(300, 160, false);
    for (const std::wstring& title : {std::wstring(L"花の写真"), std::wstring()}) {
        SCOPED_TRACE(testing::PrintToString(title));
        std::wstring prompt;
        DialogDriver driver({AnswerInput(L"タイトルの入力", nullptr, &prompt, title)});
        SendMessageW(note->Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
        ASSERT_TRUE(driver.Finish());
        EXPECT_EQ(prompt, L"イメージ付箋紙のタイトルを入力してください");
        EXPECT_EQ(note->StringBuf, title);
        EXPECT_EQ(note->TitleShown(), !title.empty());
        EXPECT_EQ(H(note->Bounds()), 160 + (title.empty() ? 0 : th));
    }
    EXPECT_GT(host.saves, 0);
}

// WM_DROPFILES as the shell sends it, for `files`.
HDROP DropOf(const std::vector<std::wstring>& files) {
    size_t chars = 1;
    for (const auto& f : files) chars += f.size() + 1;
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(df + 1);
    for (const auto& f : files) {
        std::copy(f.begin(), f.end(), p);
        p += f.size() + 1;
    }
    GlobalUnlock(mem);
    return static_cast<HDROP>(mem);
}

TEST_F(ImageNote, DroppedFiles) {
    struct Case {
        std::vector<std::wstring> files;
        const wchar_t* made;       // what the store was asked to make, or null
        const wchar_t* message;    // part of the message shown, or null
        const wchar_t* associated;
    };
    const Case cases[] = {
        {{L"C:\\a.bmp", L"C:\\b.bmp"}, nullptr, L"複数ﾌｧｲﾙのﾄﾞﾛｯﾌﾟはｻﾎﾟｰﾄされていません", L""},
        {{L"C:\\pics\\b.JpG"}, L"drop C:\\pics\\b.JpG", nullptr, L""},
        {{L"C:\\memo.txt"}, L"kelup C:\\memo.txt", nullptr, L""},
        {{L"C:\\note.kdt"}, nullptr, L"C:\\note.kdtはこの付箋紙に関連づけられました", L"C:\\note.kdt"},
        {{L"C:\\plan.xls"}, nullptr, L"はこの付箋紙に関連づけられました", L"C:\\plan.xls"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.files));
        host.made.clear();
        note->OpenFName.clear();
        std::wstring shown;
        std::vector<DialogDriver::Step> steps;
        if (c.message) steps.push_back(AnswerMessage(&shown));
        DialogDriver driver(steps);
        SendMessageW(note->Handle(), WM_DROPFILES, WPARAM(DropOf(c.files)), 0);
        ASSERT_TRUE(driver.Finish());
        if (c.made) EXPECT_EQ(host.made, std::vector<std::wstring>{c.made});
        else EXPECT_TRUE(host.made.empty());
        if (c.message) {
            EXPECT_NE(shown.find(c.message), std::wstring::npos) << testing::PrintToString(shown);
        }
        EXPECT_EQ(note->OpenFName, c.associated);
    }
}

TEST_F(ImageNote, MenuFollowsTheNoteAndTheProgram) {
    // No title yet: the title entries wait for one.
    EXPECT_TRUE(MenuState(ID_B_M_Title) & MF_GRAYED);
    EXPECT_TRUE(MenuState(ID_B_M_Font) & MF_GRAYED);
    EXPECT_TRUE(MenuState(ID_B_M_Clip) & MF_GRAYED);
    EXPECT_FALSE(MenuState(ID_B_M_Send) & MF_GRAYED);
    HMENU top = note->PopupMenu3();
    HMENU edit = GetSubMenu(top, 2);
    EXPECT_EQ(GetMenuDefaultItem(edit, FALSE, GMDI_USEDISABLED), UINT(ID_B_M_Moji));
    note->SetTitle(L"花");
    EXPECT_FALSE(MenuState(ID_B_M_Title) & MF_GRAYED);
    note->ShowTitle(true);
    EXPECT_TRUE(MenuState(ID_B_M_Title) & MF_CHECKED);
    EXPECT_FALSE(MenuState(ID_B_M_Font) & MF_GRAYED);
    EXPECT_TRUE(MenuState(ID_B_M_Down) & MF_CHECKED);
    host.full = true;
    EXPECT_TRUE(MenuState(ID_B_M_New) & MF_GRAYED);
    // With double-clicks opening the associated file, "開く" is the default.
    host.config.DblClickMode = 1;
    note->PopupMenu3();
    EXPECT_EQ(GetMenuDefaultItem(top, FALSE, GMDI_USEDISABLED), UINT(ID_B_M_Execute));
    EXPECT_EQ(GetMenuDefaultItem(edit, FALSE, GMDI_USEDISABLED), UINT(-1));
    // Without the LAN the send entry is gone from the menu.
    host.networkOff = true;
    Make();
    EXPECT_EQ(MenuState(ID_B_M_Send), UINT(-1));
    EXPECT_NE(MenuState(ID_B_M_Kanren), UINT(-1));
}

TEST_F(ImageNote, StackingStaysPinned) {
    note->M_StayOnTopClick(0);
    EXPECT_EQ(note->StOnTp, 1);
    EXPECT_TRUE(GetWindowLongPtrW(note->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    note->M_StayOnTopClick(0);
    EXPECT_EQ(note->StOnTp, 0);
    EXPECT_FALSE(GetWindowLongPtrW(note->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(note->ZOrderFG);   // unlike a text note, still pinned
    note->M_StayOnBottomClick();
    EXPECT_EQ(note->StOnTp, 2);
    note->M_StayOnBottomClick();
    EXPECT_EQ(note->StOnTp, 0);
    EXPECT_TRUE(note->ZOrderFG);
}

// What the screen shows of `r`, as 0x00RRGGBB pixels, rows top-down.
struct Shot {
    int w = 0, h = 0;
    std::vector<DWORD> px;
    COLORREF At(int x, int y) const {
        DWORD v = px[size_t(y) * size_t(w) + size_t(x)];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
};
Shot TakeShot(const RECT& r) {
    Shot s{W(r), H(r), std::vector<DWORD>(size_t(W(r)) * size_t(H(r)))};
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = TopDownDib32(s.w, s.h);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, s.w, s.h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    memcpy(s.px.data(), bits, s.px.size() * 4);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return s;
}

// The shot as a bitmap file, for a look at it.
void SaveShot(const Shot& s, const std::wstring& path) {
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = s.w;
    ih.biHeight = -s.h;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = DWORD(fh.bfOffBits + s.px.size() * 4);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, &fh, sizeof(fh), &n, nullptr);
    WriteFile(h, &ih, sizeof(ih), &n, nullptr);
    WriteFile(h, s.px.data(), DWORD(s.px.size() * 4), &n, nullptr);
    CloseHandle(h);
}

// The note as drawn, once it shows `probe` at (x, y): windows are drawn
// when the system gets to it.
Shot ShotWhen(HWND note, int x, int y, COLORREF probe) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        UpdateWindow(note);
        RECT r;
        GetWindowRect(note, &r);
        Shot s = TakeShot(r);
        if (s.At(x, y) == probe || std::chrono::steady_clock::now() > until) return s;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));   // polling
    }
}

TEST_F(ImageNote, DrawsThePictureStretchedAndTheTitleOnBlack) {
    Reset(300, 160, false);
    note->SetTitle(L"花の写真 Title");
    note->ShowTitle(true);
    note->M_StayOnTopClick(0);
    const int th = note->TitleHeight();
    Shot s = ShotWhen(note->Handle(), 75, 80, RGB(255, 0, 0));
    if (const char* path = std::getenv("KELUP_IMAGE_SHOT")) SaveShot(s, std::wstring(path, path + strlen(path)));
    EXPECT_EQ(s.At(75, 80), RGB(255, 0, 0));     // left half of the picture, stretched
    EXPECT_EQ(s.At(225, 80), RGB(0, 0, 255));    // right half
    // The title below: white letters on black.
    int white = 0, black = 0;
    for (int y = 160; y < 160 + th; ++y)
        for (int x = 0; x < 300; ++x) {
            COLORREF c = s.At(x, y);
            white += GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200;
            black += c == RGB(0, 0, 0);
        }
    EXPECT_GT(white, 20);
    EXPECT_GT(black, white);
    // Not stretched: the picture at its own size, the rest black.
    note->SetBounds(100, 100, 600, 320 + th);
    note->M_ChoseiClick();
    s = ShotWhen(note->Handle(), 450, 80, RGB(0, 0, 0));
    EXPECT_EQ(s.At(75, 80), RGB(255, 0, 0));
    EXPECT_EQ(s.At(225, 80), RGB(0, 0, 255));
    EXPECT_EQ(s.At(450, 80), RGB(0, 0, 0));
    EXPECT_EQ(s.At(100, 250), RGB(0, 0, 0));

    // An icon, its right half transparent: drawn on the black at its own
    // size, or stretched.
    LoadedPicture icon;
    icon.type = PictureType::Icon;
    icon.width = icon.orgWidth = 32;
    icon.height = icon.orgHeight = 32;
    {
        LoadedPicture colour = TwoColourPicture(32, 32, 0x0000FF00, 0x00000000);
        std::vector<BYTE> maskBits(32 * 32 / 8, 0x00);
        for (int y = 0; y < 32; ++y) maskBits[size_t(y * 4 + 2)] = maskBits[size_t(y * 4 + 3)] = 0xFF;
        HBITMAP mask = CreateBitmap(32, 32, 1, 1, maskBits.data());
        ICONINFO ii{TRUE, 0, 0, mask, colour.bitmap.get()};
        icon.icon.reset(CreateIconIndirect(&ii));
        DeleteObject(mask);
    }
    ASSERT_TRUE(icon.icon);
    note->SetPicture(std::move(icon));
    EXPECT_EQ(note->PictType, 2);
    s = ShotWhen(note->Handle(), 5, 10, RGB(0, 255, 0));
    EXPECT_EQ(s.At(5, 10), RGB(0, 255, 0));
    EXPECT_EQ(s.At(25, 10), RGB(0, 0, 0));
    EXPECT_EQ(s.At(100, 60), RGB(0, 0, 0));
    note->M_ChoseiClick();
    s = ShotWhen(note->Handle(), 100, 60, RGB(0, 255, 0));
    EXPECT_EQ(s.At(100, 60), RGB(0, 255, 0));
    EXPECT_EQ(s.At(450, 60), RGB(0, 0, 0));
}

// The input method while the dialog is up, seen from the dialog's own
// thread, and the dialog closed with `button` having typed `typed`.
struct ImeLook {
    std::atomic<bool> seen{false};
    bool openWhileShown = false;
    std::wstring typed;
    int button = IDOK;
};
ImeLook* g_look = nullptr;
void CALLBACK LookAtInput(HWND, UINT, UINT_PTR id, DWORD) {
    HWND d = OurDialog(L"テンプレート名");
    if (!d || !g_look || g_look->seen) return;
    HWND edit = GetDlgItem(d, IDC_TI_edit_title);
    if (HIMC imc = ImmGetContext(edit)) {
        g_look->openWhileShown = ImmGetOpenStatus(imc) != FALSE;
        ImmReleaseContext(edit, imc);
    }
    g_look->seen = true;
    SetWindowTextW(edit, g_look->typed.c_str());
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(g_look->button, BN_CLICKED), 0);
    KillTimer(nullptr, id);
}

TEST(TextInput, InputMethodOpensOnlyWhenAskedAndClosesAfter) {
    struct Case {
        bool noIme;
        int imeSetting;
        int button;
        bool wantOpen, wantOk;
    };
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const Case cases[] = {
        {false, 1, IDOK, true, true},
        {true, 1, IDOK, false, true},
        {false, 0, IDOK, false, true},
        {false, 1, IDCANCEL, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.noIme << c.imeSetting << c.button);
        if (HIMC imc = ImmGetContext(owner)) {
            ImmSetOpenStatus(imc, FALSE);
            ImmReleaseContext(owner, imc);
        }
        ImeLook look;
        look.typed = L"見積書";
        look.button = c.button;
        g_look = &look;
        SetTimer(nullptr, 0, 20, LookAtInput);
        // Should the timer never find the dialog, the driver cancels it
        // after a generous time.
        DialogDriver guard({[&] { return look.seen.load(); }});
        std::wstring text = L"前の名前";
        bool ok = TextInput(owner, L"テンプレート名", L"名前を入力してください", text, c.noIme, c.imeSetting);
        ASSERT_TRUE(guard.Finish());
        g_look = nullptr;
        ASSERT_TRUE(look.seen);
        EXPECT_EQ(ok, c.wantOk);
        EXPECT_EQ(text, c.wantOk ? L"見積書" : L"前の名前");
        if (HIMC imc = ImmGetContext(owner)) {
            EXPECT_EQ(look.openWhileShown, c.wantOpen);
            EXPECT_FALSE(ImmGetOpenStatus(imc));   // closed again with the dialog
            ImmReleaseContext(owner, imc);
        }
    }
    DestroyWindow(owner);
}

}  // namespace
}  // namespace kelup
