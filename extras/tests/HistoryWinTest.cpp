// The history window on its own: entries and their colours, clearing,
// simple mode, and what it leaves on the disk when it closes.

#include "extras/THistBox.h"

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AppWindow.h"
#include "app/DateText.h"
#include "app/IniFile.h"
#include "app/Shell.h"
#include "base/Cp932.h"
#include "base/FileOps.h"
#include "extras/HistoryText.h"
#include "notes/RichText.h"
#include "res/resource.h"

namespace kelup {
namespace {

class FakeShell final : public Shell {
public:
    explicit FakeShell(const std::wstring& folder) {
        paths_.DataDir = folder;
        paths_.LogDir = folder + L"Log\\";
        paths_.IniPath = folder + L"kelup.ini";
    }
    const Settings& Config() const override { return config_; }
    const Paths& Path() const override { return paths_; }
    const ProgramState& State() const override { return state_; }
    HWND MainHandle() const override { return nullptr; }
    AppWindow& App() override { return app_; }
    HMENU PopupMenu1() const override { return nullptr; }
    void MainMenuPopup(POINT) override {}
    void Delay(DWORD) override {}
    void M_ExitClick() override {}
    bool EditorOpen() const override { return false; }
    // The colour dialog answers with `nextColour`, or is cancelled when it is -1.
    bool ChooseColour(HWND, int& color) override {
        if (nextColour < 0) return false;
        color = nextColour;
        return true;
    }
    bool ChooseAssociation(HWND, std::wstring&) override { return false; }
    void SaveDefaultDesign(const DefaultDesign&) override {}
    void ArrivalSeen() override {}
    void EnableTimer1(bool) override {}
    void SetBusy(bool) override {}
    void RememberUseTime(int) override {}
    void RememberEditerBkgnd(int) override {}

    Settings config_;
    int nextColour = -1;

private:
    Paths paths_;
    ProgramState state_;
    AppWindow app_;
};

std::wstring TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int n = 0;
    std::wstring folder = std::wstring(base) + L"kelup_hist_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                          std::to_wstring(++n) + L"\\";
    CreateDirs(folder);
    return folder;
}

std::wstring TodayLogName() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return DayLogName(st.wYear, st.wMonth, st.wDay);
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

// The colour of the first character of paragraph `line`.
COLORREF ColourOfLine(HWND re, int line) {
    LRESULT start = SendMessageW(re, EM_LINEINDEX, WPARAM(line), 0);
    SendMessageW(re, EM_SETSEL, WPARAM(start), LPARAM(start + 1));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(re, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf.crTextColor;
}

struct HistFixture : ::testing::Test {
    static void SetUpTestSuite() { LoadLibraryW(L"msftedit.dll"); }
    std::wstring folder = TempFolder();
    FakeShell shell{folder};

    std::unique_ptr<THistBox> Make() {
        auto h = std::make_unique<THistBox>(shell);
        h->Create();
        EXPECT_TRUE(h->Handle());
        return h;
    }
};

using HistoryWindow = HistFixture;

TEST_F(HistoryWindow, EntriesTakeTheColourOfTheirSideAndKeepItWhenColoursChange) {
    shell.config_.HistFONTCOLORS = RGB(0, 0, 255);
    shell.config_.HistFONTCOLORR = RGB(0, 128, 0);
    auto h = Make();
    HWND re = h->RichEdit1();
    h->AddLines({L" ", L"2026/12/08 10:00:00", L"To: 山田（PC01）", L"本文一\r本文二"}, Transcript::Side::Sent);
    h->AddLines({L" ", L"2026/12/08 10:01:00", L"From: 鈴木（PC02）", L"返事"}, Transcript::Side::Received);

    // The receive colour changes: lines already there keep theirs.
    shell.nextColour = RGB(200, 0, 0);
    h->M_StrColRClick();
    h->AddLines({L"From: 佐藤"}, Transcript::Side::Received);

    std::vector<std::wstring> lines = RichLines(re);
    const std::vector<std::wstring> expected = {TranscriptHeader(TodayText()), L" ", L"2026/12/08 10:00:00",
                                                L"To: 山田（PC01）", L"本文一", L"本文二", L" ",
                                                L"2026/12/08 10:01:00", L"From: 鈴木（PC02）", L"返事", L"From: 佐藤"};
    ASSERT_EQ(lines, expected);
    const COLORREF colours[] = {RGB(0, 0, 255), RGB(0, 0, 255), RGB(0, 0, 255), RGB(0, 0, 255), RGB(0, 0, 255),
                                RGB(0, 0, 255), RGB(0, 128, 0), RGB(0, 128, 0), RGB(0, 128, 0), RGB(0, 128, 0),
                                RGB(200, 0, 0)};
    for (int i = 1; i < int(lines.size()); ++i) {
        if (!lines[size_t(i)].empty() && lines[size_t(i)] != L" ") {
            EXPECT_EQ(ColourOfLine(re, i), colours[i]) << "line " << i;
        }
    }

    // A cancelled colour dialog changes nothing.
    shell.nextColour = -1;
    h->M_StrColSClick();
    EXPECT_EQ(h->SentColour(), RGB(0, 0, 255));
}

TEST_F(HistoryWindow, EntriesBeforeTheWindowIsMadeAreKept) {
    THistBox h(shell);
    h.AddLines({L" ", L"early"}, Transcript::Side::Received);
    EXPECT_FALSE(h.Shown());
    h.Create();
    EXPECT_EQ(RichLines(h.RichEdit1()), (std::vector<std::wstring>{TranscriptHeader(TodayText()), L" ", L"early"}));
}

TEST_F(HistoryWindow, ClearLeavesTheHeaderWithToday) {
    auto h = Make();
    h->AddLines({L" ", L"2026/12/08 10:00:00", L"From: 山田", L"http://example.com/"}, Transcript::Side::Received);
    ASSERT_GT(RichLines(h->RichEdit1()).size(), 3u);
    // The button and the menu entry alike.
    SendMessageW(h->Clear(), BM_CLICK, 0, 0);
    EXPECT_EQ(RichLines(h->RichEdit1()), std::vector<std::wstring>{L"会話の履歴 " + TodayText()});
    h->AddLines({L"x"}, Transcript::Side::Sent);
    SendMessageW(h->Handle(), WM_COMMAND, ID_H_Clear, 0);
    EXPECT_EQ(RichLines(h->RichEdit1()), std::vector<std::wstring>{L"会話の履歴 " + TodayText()});
}

TEST_F(HistoryWindow, SimpleModeShowsOnlyTheTextAndComesBack) {
    shell.config_.HistBKCOLOR = RGB(250, 250, 210);
    auto h = Make();
    HWND w = h->Handle();
    auto hasCaption = [&] { return (GetWindowLongPtrW(w, GWL_STYLE) & WS_CAPTION) == WS_CAPTION; };
    auto layered = [&] { return (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; };
    auto menuState = [&](UINT id) {
        h->PopupMenu1Popup();
        return GetMenuState(h->PopupMenu1(), id, MF_BYCOMMAND);
    };
    EXPECT_FALSE(h->SimpleMode());
    EXPECT_TRUE(hasCaption());
    EXPECT_FALSE(layered());
    EXPECT_TRUE(IsWindowVisible(h->Clear()) || !IsWindowVisible(w));
    EXPECT_FALSE(menuState(ID_H_HistBkColor) & MF_GRAYED);
    EXPECT_FALSE(menuState(ID_H_Simple) & MF_CHECKED);
    // Copy only with a selection.
    EXPECT_TRUE(menuState(ID_H_Copy) & MF_GRAYED);
    SendMessageW(h->RichEdit1(), EM_SETSEL, 0, 3);
    EXPECT_FALSE(menuState(ID_H_Copy) & MF_GRAYED);

    RECT re;
    GetWindowRect(h->RichEdit1(), &re);
    h->M_SimpleClick();
    EXPECT_TRUE(h->SimpleMode());
    EXPECT_FALSE(hasCaption());
    EXPECT_FALSE(GetWindowLongPtrW(w, GWL_STYLE) & WS_THICKFRAME);
    ASSERT_TRUE(layered());
    COLORREF key = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(w, &key, nullptr, &flags));
    EXPECT_EQ(key, RGB(250, 250, 210));
    EXPECT_TRUE(flags & LWA_COLORKEY);
    EXPECT_FALSE(GetWindowLongPtrW(h->Clear(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongPtrW(h->RichEdit1(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    RECT win;
    GetWindowRect(w, &win);
    EXPECT_EQ(win.right - win.left, re.right - re.left);
    EXPECT_EQ(win.bottom - win.top, re.bottom - re.top);
    EXPECT_TRUE(menuState(ID_H_HistBkColor) & MF_GRAYED);
    EXPECT_TRUE(menuState(ID_H_Simple) & MF_CHECKED);
    // The background is the key: its command does nothing in simple mode.
    shell.nextColour = RGB(1, 2, 3);
    SendMessageW(w, WM_COMMAND, ID_H_HistBkColor, 0);
    ASSERT_TRUE(GetLayeredWindowAttributes(w, &key, nullptr, &flags));
    EXPECT_EQ(key, RGB(250, 250, 210));

    // F11 in the transcript turns it off again.
    SendMessageW(h->RichEdit1(), WM_KEYDOWN, VK_F11, 0);
    EXPECT_FALSE(h->SimpleMode());
    EXPECT_TRUE(hasCaption());
    EXPECT_FALSE(layered());
    EXPECT_TRUE(GetWindowLongPtrW(h->Clear(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongPtrW(h->RichEdit1(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(HistoryWindow, MadeInSimpleModeAndShownAsTheSettingsSay) {
    shell.config_.HistSIMPLE = 1;
    shell.config_.HistOPEN = 1;
    IniFile ini(shell.Path().IniPath);
    ini.WriteInt(L"HISTBOX", L"LEFT", 33);
    ini.WriteInt(L"HISTBOX", L"TOP", 44);
    ini.WriteInt(L"HISTBOX", L"WIDTH", 321);
    ini.WriteInt(L"HISTBOX", L"HEIGHT", 234);
    auto h = Make();
    EXPECT_TRUE(h->SimpleMode());
    EXPECT_TRUE(h->Shown());
    RECT win;
    GetWindowRect(h->Handle(), &win);
    EXPECT_EQ(win.left, 33);
    EXPECT_EQ(win.top, 44);
    EXPECT_EQ(win.right - win.left, 321);
    EXPECT_EQ(win.bottom - win.top, 234);
}

// The message box of this thread, answered with `button` once it shows;
// its texts are kept.
struct BoxAnswer {
    int button = IDNO;
    std::wstring seen;
    int boxes = 0;
};
BoxAnswer* g_answer = nullptr;

void CALLBACK AnswerTick(HWND, UINT, UINT_PTR, DWORD) {
    struct Look { HWND found = nullptr; } look;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM p) -> BOOL {
        wchar_t cls[16] = L"", title[64] = L"";
        GetClassNameW(h, cls, 16);
        GetWindowTextW(h, title, 64);
        if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h) && lstrcmpW(title, L"ケラップx64") == 0) {
            reinterpret_cast<Look*>(p)->found = h;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&look));
    if (!look.found || !g_answer) return;
    for (HWND c = GetWindow(look.found, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t t[512] = L"";
        GetWindowTextW(c, t, 512);
        g_answer->seen += std::wstring(t) + L"|";
    }
    ++g_answer->boxes;
    PostMessageW(look.found, WM_COMMAND, MAKEWPARAM(g_answer->button, BN_CLICKED), 0);
}

TEST_F(HistoryWindow, ALinkThatIsNoWebOrMailAddressIsAskedAboutNamingIt) {
    auto h = Make();
    const std::wstring target = L"C:\\windows\\system32\\calc.exe";
    h->AddLines({L"From: 誰か", target}, Transcript::Side::Received);
    std::wstring all = RichPlainText(h->RichEdit1());
    LONG start = LONG(all.find(target));   // paragraphs end in a single CR
    ASSERT_GE(start, 0);
    auto click = [&](UINT button) {
        ENLINK link{};
        link.nmhdr.hwndFrom = h->RichEdit1();
        link.nmhdr.idFrom = IDC_HistRichEdit1;
        link.nmhdr.code = EN_LINK;
        link.msg = button;
        link.chrg = {start, LONG(start + target.size())};
        SendMessageW(h->Handle(), WM_NOTIFY, IDC_HistRichEdit1, reinterpret_cast<LPARAM>(&link));
    };
    BoxAnswer answer;
    g_answer = &answer;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerTick);
    click(WM_RBUTTONDOWN);   // only the left button opens
    EXPECT_EQ(answer.boxes, 0);
    click(WM_LBUTTONDOWN);
    KillTimer(nullptr, timer);
    g_answer = nullptr;
    EXPECT_EQ(answer.boxes, 1);
    EXPECT_NE(answer.seen.find(target), std::wstring::npos) << testing::PrintToString(answer.seen);
}

TEST_F(HistoryWindow, ClosingWritesTheSettingsInTheirOrderAndTheTranscript) {
    shell.config_.HistFONTNAME = L"ＭＳ 明朝";
    shell.config_.HistFONTSIZE = 14;
    auto h = Make();
    shell.nextColour = RGB(10, 20, 30);
    h->M_HistBkColorClick();
    h->SetShown(true);
    SetWindowPos(h->Handle(), nullptr, 50, 60, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    h->AddLines({L" ", L"2026/12/08 10:00:00", L"To: 山田", L"一行目"}, Transcript::Side::Sent);
    h->FormClose();
    EXPECT_FALSE(h->Shown());

    std::string ini = FileBytes(shell.Path().IniPath);
    std::string expected = "[HISTBOX]\r\nLEFT=50\r\nTOP=60\r\nWIDTH=400\r\nHEIGHT=300\r\nSIMPLE=0\r\nOPEN=1\r\n"
                           "BKCOLOR=" + std::to_string(RGB(10, 20, 30)) + "\r\nFONTSIZE=14\r\nFONTCOLORS=16711680\r\n"
                           "FONTCOLORR=0\r\nFONTNAME=" + ToCp932(L"ＭＳ 明朝") + "\r\n";
    EXPECT_NE(ini.find(expected), std::string::npos) << ini;

    std::string rtf = FileBytes(folder + L"Log\\HISTORY.RTF");
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(rtf.find("10:00:00"), std::string::npos);
}

TEST_F(HistoryWindow, TwoRunsOnOneDayAppendToTheDayFile) {
    const std::wstring day = folder + L"Log\\" + TodayLogName();
    for (const wchar_t* who : {L"山田", L"鈴木"}) {
        auto h = Make();
        h->AddLines({L" ", L"2026/12/08 10:00:00", std::wstring(L"From: ") + who, L"本文"}, Transcript::Side::Received);
        h->FormClose();
    }
    EXPECT_EQ(FromCp932(FileBytes(day)),
              L"\r\n2026/12/08 10:00:00\r\nFrom: 山田\r\n本文\r\n"
              L"\r\n2026/12/08 10:00:00\r\nFrom: 鈴木\r\n本文\r\n");
}

TEST_F(HistoryWindow, ARunWithoutEntriesLeavesTheDayFileAlone) {
    const std::wstring day = folder + L"Log\\" + TodayLogName();
    {
        auto h = Make();
        h->FormClose();
    }
    EXPECT_FALSE(FileExists(day));
    EXPECT_TRUE(FileExists(folder + L"Log\\HISTORY.RTF"));

    // A line without its line end, left by someone's editor, keeps its line.
    ASSERT_TRUE(WriteFileAtomic(day, "earlier"));
    {
        auto h = Make();
        h->AddLines({L" "}, Transcript::Side::Sent);   // two lines: still nothing to keep
        h->FormClose();
    }
    EXPECT_EQ(FileBytes(day), "earlier");
    {
        auto h = Make();
        h->AddLines({L" ", L"later"}, Transcript::Side::Sent);
        h->FormClose();
    }
    EXPECT_EQ(FileBytes(day), "earlier\r\n\r\nlater\r\n");
}

TEST_F(HistoryWindow, WithoutTheLogOnlyTheSettingsAreWritten) {
    shell.config_.UseLog2 = 0;
    auto h = Make();
    h->AddLines({L" ", L"2026/12/08 10:00:00", L"From: 山田"}, Transcript::Side::Received);
    h->FormClose();
    EXPECT_FALSE(FileExists(folder + L"Log\\HISTORY.RTF"));
    EXPECT_FALSE(FileExists(folder + L"Log\\" + TodayLogName()));
    EXPECT_NE(FileBytes(shell.Path().IniPath).find("FONTNAME="), std::string::npos);
}

}  // namespace
}  // namespace kelup
