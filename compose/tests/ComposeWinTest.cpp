// The compose editor driven through Compose::Edit: a thread timer ticks in
// the editor's own modal loop and runs the steps of each case in order.

#include "compose/Compose.h"

#include <windows.h>
#include <commctrl.h>
#include <imm.h>
#include <richedit.h>
#include <windowsx.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppWindow.h"
#include "app/IniFile.h"
#include "app/Shell.h"
#include "base/FileOps.h"
#include "dates/DatePattern.h"
#include "dates/DateTime.h"
#include "notes/RichText.h"
#include "res/resource.h"

namespace kelup {
namespace {

class FakeShell final : public Shell {
public:
    explicit FakeShell(const std::wstring& folder, int networkOff = 0) {
        paths_.DataDir = folder;
        paths_.IniPath = folder + L"kelup.ini";
        paths_.FrhPath = folder + L"kelup.frh";
        state_.NetworkOff = networkOff;
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
    bool ChooseColour(HWND, int&) override { return false; }
    bool ChooseAssociation(HWND, std::wstring&) override { return false; }
    void SaveDefaultDesign(const DefaultDesign&) override {}
    void ArrivalSeen() override {}
    void EnableTimer1(bool) override {}
    void SetBusy(bool) override {}
    void RememberUseTime(int) override {}
    void RememberEditerBkgnd(int) override {}

    Settings config_;

private:
    Paths paths_;
    ProgramState state_;
    AppWindow app_;
};

class FakeHost final : public EditorHost {
public:
    int MakeNoteFromLines(const std::vector<std::wstring>& lines) override {
        made.push_back(lines);
        return 7;
    }
    void ScheduleDeadline(int slot, double day, bool asDeadline) override {
        schedules.push_back({slot, day, asDeadline});
    }
    bool DeadlineCheckingOn() const override { return checking; }

    struct Schedule { int slot; double day; bool asDeadline; };
    std::vector<std::vector<std::wstring>> made;
    std::vector<Schedule> schedules;
    bool checking = false;
};

// --- Driving the modal editor ---------------------------------------------

using Step = std::function<bool(HWND editor)>;
constexpr ULONGLONG kLimitMs = 60000;

struct Driver {
    Compose* compose = nullptr;
    std::vector<Step> steps;
    size_t next = 0;
    bool running = false, timedOut = false;
    ULONGLONG deadline = 0;
    UINT_PTR timer = 0;
};
Driver* g_drive = nullptr;

std::wstring Text(HWND h) {
    wchar_t t[512] = L"";
    GetWindowTextW(h, t, 512);
    return t;
}

// A visible dialog box of this thread (the message box or the schedule dialog).
HWND FindDialog(const wchar_t* caption) {
    struct Look { const wchar_t* caption; HWND found; } look{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM p) -> BOOL {
        auto* l = reinterpret_cast<Look*>(p);
        wchar_t cls[16];
        GetClassNameW(h, cls, 16);
        if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h) && Text(h) == l->caption) {
            l->found = h;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&look));
    return look.found;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Driver& d = *g_drive;
    if (d.running) return;
    HWND editor = d.compose->EditorHandle();
    if (GetTickCount64() > d.deadline) {
        d.timedOut = true;
        KillTimer(nullptr, d.timer);
        if (HWND box = FindDialog(L"ケラップx64")) {
            std::wstring all;
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) all += Text(c) + L"|";
            ADD_FAILURE() << "message box left open: " << testing::PrintToString(all);
        }
        // Every menu and dialog still up is cancelled, so the editor's loop can end.
        EndMenu();
        EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM) -> BOOL {
            wchar_t cls[16];
            GetClassNameW(h, cls, 16);
            if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h)) PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        }, 0);
        d.compose->CloseEditor();
        return;
    }
    if (!editor || !IsWindowVisible(editor)) return;
    d.running = true;
    while (d.next < d.steps.size() && d.steps[d.next](editor)) ++d.next;
    d.running = false;
    if (d.next == d.steps.size()) KillTimer(nullptr, d.timer);
}

// An editor closed a moment ago is off the display before the next one
// opens: a person never reopens it within the same instant, and Wine with
// no window manager may otherwise take the focus from the new editor on a
// late event of the old one.
void LetTheDisplaySettle() {
    const ULONGLONG until = GetTickCount64() + 100;
    MSG msg;
    while (GetTickCount64() < until) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

EditResult EditDriven(Compose& compose, const EditRequest& request, std::vector<Step> steps) {
    LetTheDisplaySettle();
    Driver d;
    d.compose = &compose;
    d.steps = std::move(steps);
    d.deadline = GetTickCount64() + kLimitMs;
    g_drive = &d;
    d.timer = SetTimer(nullptr, 0, 20, Tick);
    EditResult r = compose.Edit(request);
    KillTimer(nullptr, d.timer);
    g_drive = nullptr;
    EXPECT_FALSE(d.timedOut) << "stopped at step " << d.next;
    EXPECT_EQ(d.next, d.steps.size());
    return r;
}

HWND Memo(HWND editor) { return GetDlgItem(editor, ID_E_Memo1); }

// The editor is up and takes typing.
Step Ready() {
    return [](HWND editor) { return GetFocus() == Memo(editor); };
}

// Typing as the keyboard gives it, a line break for each '\n'.
Step Type(std::wstring text) {
    return [text](HWND editor) {
        // Line breaks go in as the control's own paragraph marks (the
        // controls differ in whether Enter counts on the key or the character).
        for (wchar_t c : text) {
            if (c == L'\n') SendMessageW(Memo(editor), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\r"));
            else SendMessageW(Memo(editor), WM_CHAR, c, 1);
        }
        return true;
    };
}

// A command run at once; the next step sees what it did.
Step Command(int id) {
    return [id](HWND editor) {
        SendMessageW(editor, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return true;
    };
}

// A command that opens a dialog of its own, through the editor's loop.
Step Press(int id) {
    return [id](HWND editor) {
        PostMessageW(editor, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return true;
    };
}

Step Check(std::function<void(HWND)> look) {
    return [look](HWND editor) {
        look(editor);
        return true;
    };
}

// Answers the message box once it shows, after checking its text.
Step Answer(const std::wstring& textPart, int button) {
    return [textPart, button](HWND) {
        HWND box = FindDialog(L"ケラップx64");
        if (!box) return false;
        std::wstring all;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) all += Text(c) + L"|";
        EXPECT_NE(all.find(textPart), std::wstring::npos) << "message box: " << testing::PrintToString(all);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return true;
    };
}

// Waits until the message box has gone.
Step NoMessageBox() {
    return [](HWND) { return FindDialog(L"ケラップx64") == nullptr; };
}

std::vector<std::wstring> MemoLines(HWND editor) { return RichLines(Memo(editor)); }

class ComposeWin : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        folder_ = std::wstring(tmp) + L"compose_win_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirs(folder_);
        shell_ = std::make_unique<FakeShell>(folder_);
        compose_ = std::make_unique<Compose>(*shell_);
        compose_->Wire(&host_);
    }
    void TearDown() override {
        compose_.reset();
        DeleteFileW((folder_ + L"kelup.ini").c_str());
        DeleteFileW((folder_ + L"note.kdt").c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    // A request for a note whose text is `rtf` (empty: a note being made).
    EditRequest Request(const std::string& rtf = {}) {
        EditRequest r;
        r.slot = 3;
        r.KlnColor = r.ORGColor = RGB(255, 255, 160);
        if (!rtf.empty()) {
            r.textPath = folder_ + L"note.kdt";
            EXPECT_TRUE(WriteFileAtomic(r.textPath, rtf));
        }
        return r;
    }

    std::wstring folder_;
    std::unique_ptr<FakeShell> shell_;
    std::unique_ptr<Compose> compose_;
    FakeHost host_;
};

const std::string kThreeLines = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 one\\par two\\par three}";

TEST_F(ComposeWin, ClosingCommandsGiveTheirResults) {
    struct Case {
        const char* name;
        int command;
        int update, send, remove;
    } cases[] = {
        {"付箋紙へ表示", ID_E_btnOk, 1, 0, 0},
        {"更新", ID_E_btnOKM, 1, 0, 0},
        {"付箋紙を更新(&S)", ID_E_Update, 1, 0, 0},
        {"閉じる(&X)", ID_E_Close, 0, 0, 0},
        {"ｷｬﾝｾﾙ", ID_E_btnTrash, 0, 0, 0},
        {"はがす", ID_E_btnRemove, 0, 0, 1},
        {"新しい付箋紙として作成", ID_E_NewNote, 0, 0, 0},
    };
    HWND first = nullptr;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host_.made.clear();
        EditResult r = EditDriven(*compose_, Request(kThreeLines),
                                  {Ready(), Type(L"日本語 typed\n"), Command(c.command)});
        EXPECT_EQ(r.EditUpdateFG, c.update);
        EXPECT_EQ(r.EditSendMode, c.send);
        EXPECT_EQ(r.EditRemoveFG, c.remove);
        EXPECT_EQ(r.KlnColor, int(RGB(255, 255, 160)));
        if (c.update) {
            EXPECT_EQ(r.rtf.rfind("{\\rtf", 0), 0u);
            EXPECT_NE(r.rtf.find("typed"), std::string::npos);
            EXPECT_EQ(r.lineCount, 4);
        } else {
            EXPECT_TRUE(r.rtf.empty());
        }
        // The text stays in the editor for the opener.
        std::vector<std::wstring> lines = compose_->Lines();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0], L"日本語 typed");
        EXPECT_EQ(lines[1], L"one");
        EXPECT_EQ(host_.made.size(), c.command == ID_E_NewNote ? 1u : 0u);
        if (!host_.made.empty()) {
            EXPECT_EQ(host_.made[0], lines);
        }
        EXPECT_FALSE(IsWindowVisible(compose_->EditorHandle()));
        EXPECT_FALSE(compose_->EditorOpen());
        // One window, made once and shown again.
        if (!first) first = compose_->EditorHandle();
        EXPECT_EQ(compose_->EditorHandle(), first);
    }
}

TEST_F(ComposeWin, CloseBoxAsksOnlyAfterChanges) {
    const std::wstring question = L"エディタの文章には変更が加えられていますが，";
    // Unchanged: the frame closes at once and the note stays as it is.
    EditResult r = EditDriven(*compose_, Request(kThreeLines), {Ready(), [](HWND e) {
        PostMessageW(e, WM_CLOSE, 0, 0);
        return true;
    }});
    EXPECT_EQ(r.EditUpdateFG, 0);
    // Changed: Cancel keeps the editor open, No leaves the note.
    r = EditDriven(*compose_, Request(kThreeLines),
                   {Ready(), Type(L"x"), Press(ID_E_btnCloseM), Answer(question, IDCANCEL), NoMessageBox(),
                    Check([](HWND e) { EXPECT_TRUE(IsWindowVisible(e)); }), Press(ID_E_btnCloseM),
                    Answer(question, IDNO)});
    EXPECT_EQ(r.EditUpdateFG, 0);
    // Yes applies the text after the question.
    r = EditDriven(*compose_, Request(kThreeLines),
                   {Ready(), Type(L"yes"), [](HWND e) {
                        PostMessageW(e, WM_CLOSE, 0, 0);
                        return true;
                    },
                    Answer(question, IDYES)});
    EXPECT_EQ(r.EditUpdateFG, 3);
    EXPECT_NE(r.rtf.find("yesone"), std::string::npos);
}

TEST_F(ComposeWin, QuotingThroughTheWindow) {
    std::vector<std::wstring> afterFirst, afterSecond, mixed;
    EditDriven(*compose_, Request(kThreeLines),
               {Ready(), Command(ID_E_Quote), Check([&](HWND e) { afterFirst = MemoLines(e); }), Command(ID_E_Quote2),
                Check([&](HWND e) { afterSecond = MemoLines(e); }), Command(ID_E_Close)});
    EXPECT_EQ(afterFirst, (std::vector<std::wstring>{L">one", L">two", L">three"}));
    EXPECT_TRUE(afterSecond.empty()) << afterSecond.size();
    // Quoted and empty lines go; the others are quoted, in order; the caret ends at the end.
    LONG caret = -1, length = -2;
    EditDriven(*compose_, Request("{\\rtf1\\ansi a\\par\\par >b\\par c\\par >d}"),
               {Ready(), Command(ID_E_Quote2), Check([&](HWND e) {
                    mixed = MemoLines(e);
                    CHARRANGE cr{};
                    SendMessageW(Memo(e), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
                    caret = cr.cpMin;
                    GETTEXTLENGTHEX gl{GTL_NUMCHARS | GTL_PRECISE, 1200};
                    length = LONG(SendMessageW(Memo(e), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
                }),
                Command(ID_E_Close)});
    EXPECT_EQ(mixed, (std::vector<std::wstring>{L">a", L">c"}));
    EXPECT_EQ(caret, length);
}

TEST_F(ComposeWin, ReplyModeOpensQuoted) {
    EditRequest reply = Request(kThreeLines);
    reply.sendMode = -1;
    std::vector<std::wstring> lines;
    EditResult r = EditDriven(*compose_, reply, {Ready(), Check([&](HWND e) { lines = MemoLines(e); }),
                                                 Command(ID_E_btnCloseM)});
    EXPECT_EQ(lines, (std::vector<std::wstring>{L">one", L">two", L">three"}));
    EXPECT_EQ(r.EditUpdateFG, 0);   // quoting on opening is not a change of the user's
}

TEST_F(ComposeWin, NameInsertedInFrontOfTheCaretOrAMessage) {
    struct Case { const wchar_t* name; std::wstring text; } cases[] = {{L"山田", L"A山田B"}, {L"", L"AB"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        shell_->config_.MyName = c.name;
        std::wstring text;
        LONG caret = -1;
        std::vector<Step> steps{Ready(), Type(L"AB"), Check([](HWND e) { SendMessageW(Memo(e), EM_SETSEL, 1, 1); }),
                                Press(ID_E_Name)};
        if (!*c.name) steps.push_back(Answer(L"名前が設定されていません。", IDOK));
        steps.push_back(NoMessageBox());
        steps.push_back([&](HWND e) {
            text = RichPlainText(Memo(e));
            if (*c.name && text == L"AB") return false;   // the command is on its way
            CHARRANGE cr{};
            SendMessageW(Memo(e), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
            caret = cr.cpMin;
            return true;
        });
        steps.push_back(Command(ID_E_Close));
        EditDriven(*compose_, Request(), steps);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(caret, 1);
    }
}

TEST_F(ComposeWin, WordWrapSwitchKeepsTextAndFormat) {
    const std::string bold = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 plain \\b bold\\b0\\par second}";
    std::string before, after;
    bool checkedAfter = true;
    EditResult r = EditDriven(*compose_, Request(bold),
                              {Ready(), Check([&](HWND e) { before = RichToRtf(Memo(e)); }), Command(ID_E_WordWrap),
                               Check([&](HWND e) {
                                   after = RichToRtf(Memo(e));
                                   checkedAfter = SendMessageW(GetDlgItem(e, ID_E_ToolBar1), TB_ISBUTTONCHECKED,
                                                               ID_E_WordWrap, 0) != 0;
                               }),
                               Command(ID_E_WordWrap), Command(ID_E_btnOk)});
    EXPECT_EQ(before, after);
    EXPECT_NE(after.find("\\b bold"), std::string::npos) << after;
    EXPECT_FALSE(checkedAfter);
    EXPECT_EQ(r.lineCount, 2);
}

TEST_F(ComposeWin, FontSizeBoxAppliesOnlySensibleSizes) {
    struct Case { const wchar_t* typed; int points; } cases[] = {{L"4", 12}, {L"5", 12}, {L"abc", 8}, {L"20", 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.typed)));
        int points = -1;
        EditDriven(*compose_, Request("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 sized text}"),
                   {Ready(), Check([&](HWND e) {
                        SendMessageW(Memo(e), EM_SETSEL, 0, -1);
                        COMBOBOXINFO ci{};
                        ci.cbSize = sizeof(ci);
                        ASSERT_TRUE(GetComboBoxInfo(GetDlgItem(e, ID_E_FontSize), &ci));
                        SetWindowTextW(ci.hwndItem, c.typed);
                        SendMessageW(ci.hwndItem, WM_KEYDOWN, VK_RETURN, 0);
                        SendMessageW(Memo(e), EM_SETSEL, 0, -1);
                        CHARFORMAT2W cf{};
                        cf.cbSize = sizeof(cf);
                        SendMessageW(Memo(e), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
                        points = (cf.dwMask & CFM_SIZE) ? int(cf.yHeight / 20) : -1;
                    }),
                    Command(ID_E_Close)});
        EXPECT_EQ(points, c.points);
    }
}

TEST_F(ComposeWin, MenuBarAndEditToolbarNeverBothHidden) {
    bool menuAfterHide = true, menuBack = false, toolbarBack = false;
    EditDriven(*compose_, Request(),
               {Ready(), Command(ID_E_ShowMenu), Check([&](HWND e) {
                    menuAfterHide = IsWindowVisible(GetDlgItem(e, ID_E_ToolBar3)) != 0;
                }),
                Command(ID_E_ShowToolbar), Check([&](HWND e) {
                    menuBack = IsWindowVisible(GetDlgItem(e, ID_E_ToolBar3)) != 0;
                }),
                Command(ID_E_ShowMenu), Check([&](HWND e) {
                    toolbarBack = IsWindowVisible(GetDlgItem(e, ID_E_ToolBar1)) != 0;
                }),
                Command(ID_E_Close)});
    EXPECT_FALSE(menuAfterHide);
    EXPECT_TRUE(menuBack);     // hiding the edit toolbar brought the menu bar back
    EXPECT_TRUE(toolbarBack);  // hiding the menu bar brought the edit toolbar back
    // What was visible at the close is in kelup.ini.
    IniFile ini(folder_ + L"kelup.ini");
    EXPECT_EQ(ini.GetInt(L"TOOLBAR1", L"VISIBLE", -1), 1);
    EXPECT_EQ(ini.GetInt(L"TOOLBAR2", L"VISIBLE", -1), 1);
    EXPECT_EQ(ini.GetInt(L"TOOLBAR3", L"VISIBLE", -1), 0);
}

TEST_F(ComposeWin, LowerAreaHidesAndTheWindowKeysSeeItShown) {
    int heightShown = 0, heightHidden = 0, memoShown = 0, memoHidden = 0;
    bool listHidden = false;
    auto measure = [](HWND e, int& height, int& memo) {
        RECT w, m;
        GetWindowRect(e, &w);
        GetWindowRect(Memo(e), &m);
        height = w.bottom - w.top;
        memo = m.bottom - m.top;
    };
    EditDriven(*compose_, Request(), {Ready(), Check([&](HWND e) { measure(e, heightShown, memoShown); }),
                                      Command(ID_E_HidePanel), Check([&](HWND e) {
                                          measure(e, heightHidden, memoHidden);
                                          listHidden = !IsWindowVisible(GetDlgItem(e, ID_E_ListBox1));
                                      }),
                                      Command(ID_E_Close)});
    EXPECT_TRUE(listHidden);
    EXPECT_LT(heightHidden, heightShown);
    EXPECT_EQ(memoHidden, memoShown);   // the window shrank by the lower area only
    compose_->WriteWindowKeys();
    IniFile ini(folder_ + L"kelup.ini");
    EXPECT_EQ(ini.GetInt(L"Config", L"EditorShowPanelMode", -1), 1);
    EXPECT_EQ(ini.GetInt(L"Config", L"EditorH", -1), heightShown);
    // Shown again: hiding is what the button offers now.
    HWND bar4 = GetDlgItem(compose_->EditorHandle(), ID_E_ToolBar4);
    EXPECT_TRUE(SendMessageW(bar4, TB_ISBUTTONENABLED, ID_E_HidePanel, 0));
    EXPECT_FALSE(SendMessageW(bar4, TB_ISBUTTONENABLED, ID_E_ShowPanel, 0));
    // The next run's editor starts as this one was left.
    Compose next(*shell_);
    int heightNext = 0, memoNext = 0;
    bool listNext = true;
    EditDriven(next, Request(), {Ready(), Check([&](HWND e) {
                                     measure(e, heightNext, memoNext);
                                     listNext = IsWindowVisible(GetDlgItem(e, ID_E_ListBox1)) != 0;
                                 }),
                                 Command(ID_E_Close)});
    EXPECT_FALSE(listNext);
    EXPECT_EQ(heightNext, heightHidden);
}

bool ImeOpen(HWND h) {
    HIMC imc = ImmGetContext(h);
    if (!imc) return false;
    bool open = ImmGetOpenStatus(imc) != 0;
    ImmReleaseContext(h, imc);
    return open;
}

TEST_F(ComposeWin, InputMethodOnWhileMemoHasTheFocus) {
    for (int ime : {1, 0}) {
        SCOPED_TRACE(ime);
        shell_->config_.IME = ime;
        bool whileOpen = !ime;
        HWND memo = nullptr;
        EditDriven(*compose_, Request(), {Ready(), Check([&](HWND e) {
                                              memo = Memo(e);
                                              whileOpen = ImeOpen(memo);
                                          }),
                                          Command(ID_E_Close)});
        EXPECT_EQ(whileOpen, ime == 1);
        EXPECT_FALSE(ImeOpen(memo));   // switched off again as the editor went
    }
}

TEST_F(ComposeWin, StandaloneHasNoLowerArea) {
    FakeShell alone(folder_, 1);
    Compose compose(alone);
    compose.Wire(&host_);
    bool lower = true, bar4 = true, sendEntry = true;
    int memoBottom = 0, clientBottom = 1;
    EditDriven(compose, Request(), {Ready(), Check([&](HWND e) {
                                        lower = IsWindowVisible(GetDlgItem(e, ID_E_ListBox1)) ||
                                                IsWindowVisible(GetDlgItem(e, ID_E_btnCloseM)) ||
                                                IsWindowVisible(GetDlgItem(e, ID_E_TreeView1));
                                        bar4 = IsWindowVisible(GetDlgItem(e, ID_E_ToolBar4)) != 0;
                                        RECT m, c;
                                        GetWindowRect(Memo(e), &m);
                                        MapWindowPoints(nullptr, e, reinterpret_cast<POINT*>(&m), 2);
                                        GetClientRect(e, &c);
                                        memoBottom = m.bottom;
                                        clientBottom = c.bottom;
                                    }),
                                    Command(ID_E_NewNote), Check([&](HWND e) {
                                        // The entry is gone: its command does nothing.
                                        sendEntry = !IsWindowVisible(e);
                                    }),
                                    Command(ID_E_Close)});
    EXPECT_FALSE(lower);
    EXPECT_FALSE(bar4);
    EXPECT_EQ(memoBottom, clientBottom);   // Memo1 fills the window
    EXPECT_FALSE(sendEntry);
    EXPECT_TRUE(host_.made.empty());
}

TEST_F(ComposeWin, ScheduleInsertionLeavesTheCaretInFront) {
    LONG caret = -1;
    std::wstring text;
    EditDriven(*compose_, Request(),
               {Ready(), Type(L"XY"), Check([](HWND e) { SendMessageW(Memo(e), EM_SETSEL, 1, 1); }),
                Press(ID_E_LimitHan),
                [](HWND) {
                    HWND dlg = FindDialog(L"予定日の挿入");
                    if (!dlg) return false;
                    // CB_Date is off while deadlines are not checked.
                    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_SubDate1CBDate)));
                    SendDlgItemMessageW(dlg, IDC_SubDate1List, LB_SETCURSEL, 1, 0);
                    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                    return true;
                },
                [](HWND) { return FindDialog(L"予定日の挿入") == nullptr; },
                Check([&](HWND e) {
                    CHARRANGE cr{};
                    SendMessageW(Memo(e), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
                    caret = cr.cpMin;
                    text = RichPlainText(Memo(e));
                }),
                Command(ID_E_Close)});
    CivilDateTime today = DecodeDateTime(TodayAsDate());
    EXPECT_EQ(text, L"X" + ScheduleText(today.year, today.month, today.day, 1, false) + L"Y");
    EXPECT_EQ(caret, 1);
    ASSERT_EQ(host_.schedules.size(), 1u);
    EXPECT_EQ(host_.schedules[0].slot, 3);
    EXPECT_EQ(host_.schedules[0].day, TodayAsDate());
    EXPECT_FALSE(host_.schedules[0].asDeadline);
}

// The clipboard holding exactly the given formats.
void SetClipboard(std::vector<std::pair<UINT, HANDLE>> formats) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    for (auto& [format, data] : formats) SetClipboardData(format, data);
    CloseClipboard();
}

HGLOBAL GlobalOf(const void* data, size_t bytes) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!mem) return nullptr;
    memcpy(GlobalLock(mem), data, bytes);
    GlobalUnlock(mem);
    return mem;
}

HGLOBAL TextGlobal(const std::wstring& text) { return GlobalOf(text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }

HGLOBAL RtfGlobal(const std::string& rtf) { return GlobalOf(rtf.c_str(), rtf.size() + 1); }

HBITMAP Picture() {
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 32, 32);
    ReleaseDC(nullptr, screen);
    return bmp;
}

TEST_F(ComposeWin, PasteTakesTextOnly) {
    const UINT rtf = RegisterClipboardFormatW(L"Rich Text Format");
    const std::string boldRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 \\b pasted\\b0}";
    struct Case {
        const char* name;
        std::function<void()> fill;
        int command;
        std::wstring text;
        bool bold;
    } cases[] = {
        {"a picture alone", [] { SetClipboard({{CF_BITMAP, Picture()}}); }, ID_E_Paste, L"keep", false},
        {"a picture with text", [] { SetClipboard({{CF_BITMAP, Picture()}, {CF_UNICODETEXT, TextGlobal(L"words")}}); },
         ID_E_Paste, L"wordskeep", false},
        {"rich text", [&] { SetClipboard({{rtf, RtfGlobal(boldRtf)}, {CF_UNICODETEXT, TextGlobal(L"pasted")}}); },
         ID_E_Paste, L"pastedkeep", true},
        {"rich text as plain text", [&] { SetClipboard({{rtf, RtfGlobal(boldRtf)}, {CF_UNICODETEXT, TextGlobal(L"pasted")}}); },
         ID_E_PasteText, L"pastedkeep", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring text;
        bool bold = true;
        int objects = -1;
        EditDriven(*compose_, Request(), {Ready(), Type(L"keep"), Check([&](HWND e) {
                                              SendMessageW(Memo(e), EM_SETSEL, 0, 0);
                                              c.fill();
                                          }),
                                          Command(c.command), Check([&](HWND e) {
                                              text = RichPlainText(Memo(e));
                                              SendMessageW(Memo(e), EM_SETSEL, 0, 1);
                                              CHARFORMAT2W cf{};
                                              cf.cbSize = sizeof(cf);
                                              SendMessageW(Memo(e), EM_GETCHARFORMAT, SCF_SELECTION,
                                                           reinterpret_cast<LPARAM>(&cf));
                                              bold = (cf.dwEffects & CFE_BOLD) != 0;
                                              // No embedded object came in.
                                              objects = 0;
                                              for (wchar_t ch : text) objects += ch == 0xFFFC;
                                          }),
                                          Command(ID_E_Close)});
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(bold, c.bold);
        EXPECT_EQ(objects, 0);
    }
}

TEST_F(ComposeWin, PasteTooLargeIsRefusedWhole) {
    std::wstring text;
    EditDriven(*compose_, Request(kThreeLines),
               {Ready(), Check([](HWND) {
                    SetClipboard({{CF_UNICODETEXT, TextGlobal(std::wstring(16 * 1024 * 1024 + 8, L'a'))}});
                }),
                Press(ID_E_Paste), Answer(L"大きすぎる", IDOK), NoMessageBox(),
                Check([&](HWND e) { text = RichPlainText(Memo(e)); }), Command(ID_E_Close)});
    EXPECT_EQ(text, L"one\rtwo\rthree");
}

// The file dialog's name box (an edit, or the edit of a combo box).
HWND FileNameBox(HWND dlg) {
    for (int id : {0x47c /* cmb13 */, 0x480 /* edt1 */}) {
        HWND h = GetDlgItem(dlg, id);
        if (h && IsWindowVisible(h)) return h;
    }
    return nullptr;
}

TEST_F(ComposeWin, KdtFileReplacesTheTextOnlyWhenItIsNoteText) {
    const std::wstring file = folder_ + L"other.kdt";
    struct Case {
        const char* name;
        std::string bytes;
        const wchar_t* message;   // part of the message shown, or null
        std::wstring text;
    } cases[] = {
        {"note text", "{\\rtf1\\ansi loaded\\par text}", nullptr, L"loaded\rtext"},
        {"not RTF", "plain words, not a note", L"開けません", L"one\rtwo\rthree"},
        {"too large", "{\\rtf1 " + std::string(9 * 1024 * 1024, 'x') + "}", L"大きすぎる", L"one\rtwo\rthree"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileAtomic(file, c.bytes));
        std::wstring text;
        std::vector<Step> steps{Ready(), Press(ID_E_OpenKdt), [&](HWND) {
            HWND dlg = nullptr;
            for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, L"#32770", nullptr));)
                if (IsWindowVisible(h) && GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId() &&
                    FileNameBox(h))
                    dlg = h;
            if (!dlg) return false;
            SetWindowTextW(FileNameBox(dlg), file.c_str());
            PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        }};
        if (c.message) steps.push_back(Answer(c.message, IDOK));
        steps.push_back(NoMessageBox());
        steps.push_back([](HWND e) { return IsWindowEnabled(e) && GetForegroundWindow() == e; });
        steps.push_back(Check([&](HWND e) { text = RichPlainText(Memo(e)); }));
        steps.push_back(Command(ID_E_Close));
        EditDriven(*compose_, Request(kThreeLines), steps);
        EXPECT_EQ(text, c.text);
    }
    DeleteFileW(file.c_str());
}

TEST_F(ComposeWin, LinksAreRememberedForCopying) {
    struct Case {
        const char* name;
        UINT button;
        std::wstring url;
        bool remembered;
    } cases[] = {
        {"right click on a web address", WM_RBUTTONDOWN, L"https://example.com/a", true},
        {"left click on a file address", WM_LBUTTONUP, L"file://c:/windows/win.ini", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetClipboard({{CF_UNICODETEXT, TextGlobal(L"before")}});
        std::wstring copied;
        EditDriven(*compose_, Request(), {Ready(), Type(L"see " + c.url + L" now"), Check([&](HWND e) {
                                              ENLINK link{};
                                              link.nmhdr.hwndFrom = Memo(e);
                                              link.nmhdr.idFrom = ID_E_Memo1;
                                              link.nmhdr.code = EN_LINK;
                                              link.msg = c.button;
                                              link.chrg = {4, LONG(4 + c.url.size())};
                                              SendMessageW(e, WM_NOTIFY, ID_E_Memo1, reinterpret_cast<LPARAM>(&link));
                                          }),
                                          Command(ID_E_CopyUrl), Check([&](HWND) {
                                              if (!OpenClipboard(nullptr)) return;
                                              if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
                                                  copied = static_cast<const wchar_t*>(GlobalLock(h));
                                                  GlobalUnlock(h);
                                              }
                                              CloseClipboard();
                                          }),
                                          Command(ID_E_Close)});
        EXPECT_EQ(copied, c.remembered ? c.url : L"before");
    }
}

// --- The lower area: groups, peers, recipients and the send commands ----------

// The LAN side as the lower area sees it: a search fills the lists with the
// peers given, as their announcements would.
class FakeSource final : public RecipientSource {
public:
    struct Peer { std::wstring name, section, addr, sex, ver; };
    std::vector<Peer> peers;
    std::vector<std::wstring> absentees;
    std::vector<std::wstring> friends;
    SendLists lists;
    RecipientView* view = nullptr;
    int searches = 0;
    std::vector<std::wstring> shutdowns, removedAbsentees;

    static std::wstring EntryOf(const Peer& p) {
        return ListNameEdit(p.name + L"（PC-" + p.name + L"）", p.addr, p.sex, p.ver);
    }
    const SendLists& Lists() const override { return lists; }
    void WireRecipientView(RecipientView* v) override { view = v; }
    void StartSearch() override {
        ++searches;
        lists.NewSearch(absentees);
        if (searches == 1) lists.LoadFriends(friends);
        for (const Peer& p : peers)
            lists.Add(PeerInfo{p.name + L"（PC-" + p.name + L"）", p.section, p.addr, p.sex, p.ver}, MatchMode::ByAddress);
        if (view) view->ListsChanged();
    }
    SendLists::FriendAdd AddMyFriend(const std::wstring& e) override { return lists.AddFriend(e); }
    void DelMyFriend(const std::wstring& e) override { lists.DelFriend(e); }
    bool ReplaceFriend(const std::wstring& o, const std::wstring& n) override { return lists.ReplaceFriend(o, n); }
    void RemoveAbsentee(const std::wstring& e) override {
        removedAbsentees.push_back(e);
        lists.RemoveAbsentee(ListNameExtract(e).ipAddr);
    }
    void RemoveAllAbsentees() override { lists.ClearAbsentees(); }
    void ShutdownRequest(const std::wstring& addr) override { shutdowns.push_back(addr); }
    bool OfferFileTransfer(const std::wstring&, const std::wstring&) override { return false; }
};

HWND Item(HWND e, int id) { return GetDlgItem(e, id); }

std::vector<std::wstring> ListLines(HWND list) {
    std::vector<std::wstring> out;
    int n = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t t[512] = L"";
        SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(t));
        out.push_back(t);
    }
    return out;
}

bool SendsEnabled(HWND e) {
    return IsWindowEnabled(Item(e, ID_E_btnSendOnly)) && IsWindowEnabled(Item(e, ID_E_btnSend)) &&
           IsWindowEnabled(Item(e, ID_E_btnSendRemove));
}
bool SendsDisabled(HWND e) {
    return !IsWindowEnabled(Item(e, ID_E_btnSendOnly)) && !IsWindowEnabled(Item(e, ID_E_btnSend)) &&
           !IsWindowEnabled(Item(e, ID_E_btnSendRemove));
}

// The search has run and the group of all peers shows `count` lines.
// The editor is up in image mode: the peer list has the focus.
Step ReadyForPicture() {
    return [](HWND editor) { return GetFocus() == GetDlgItem(editor, ID_E_ListBox1); };
}

Step Searched(size_t count) {
    return [count](HWND e) {
        HWND tree = Item(e, ID_E_TreeView1);
        return TreeView_GetRoot(tree) && ListLines(Item(e, ID_E_ListBox1)).size() == count;
    };
}

// The tree's group of this caption is chosen.
Step Group(std::wstring caption) {
    return [caption](HWND e) {
        HWND tree = Item(e, ID_E_TreeView1);
        HTREEITEM root = TreeView_GetRoot(tree);
        for (HTREEITEM h = root; h; h = h == root ? TreeView_GetChild(tree, root) : TreeView_GetNextSibling(tree, h)) {
            wchar_t text[128] = L"";
            TVITEMW item{};
            item.mask = TVIF_TEXT;
            item.hItem = h;
            item.pszText = text;
            item.cchTextMax = 128;
            TreeView_GetItem(tree, &item);
            if (caption == text) {
                TreeView_SelectItem(tree, h);
                return true;
            }
        }
        ADD_FAILURE() << "no group " << testing::PrintToString(caption);
        return true;
    };
}

// A click on the line of `list` whose entry names `name`; posted when a
// message box is to follow.
Step Click(int listId, std::wstring name, bool posted = false) {
    return [listId, name, posted](HWND e) {
        HWND list = Item(e, listId);
        std::vector<std::wstring> lines = ListLines(list);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (NameFromList(lines[i]) == name) {
                SendMessageW(list, LB_SETCURSEL, WPARAM(i), 0);
                if (posted) PostMessageW(e, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
                else SendMessageW(e, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
                return true;
            }
        }
        ADD_FAILURE() << "no line " << testing::PrintToString(name);
        return true;
    };
}

// Waits for the input box of this caption and answers it with `text`.
Step InputBoxAnswer(const wchar_t* caption, std::wstring text) {
    return [caption, text](HWND) {
        HWND box = FindDialog(caption);
        if (!box) return false;
        SetDlgItemTextW(box, IDC_InputQueryEdit, text.c_str());
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    };
}

class RecipientArea : public ComposeWin {
protected:
    void SetUp() override {
        ComposeWin::SetUp();
        source_.peers = {{L"Aoki", L"営業", L"10.0.0.1", L"1", L"2.001"},
                         {L"Baba", L"", L"10.0.0.2", L"8", L"1.00"},
                         {L"Chiba", L"営業", L"10.0.0.3", L"2", L"2.0"},
                         {L"Aoki", L"", L"10.0.0.1", L"8", L"1.00"}};
        source_.absentees = {ListNameEdit(L"Doi（PC-Doi）", L"10.0.0.4", L"3", L"2.001"),
                             ListNameEdit(L"Endo（PC-Endo）", L"10.0.0.5", L"4", L"2.001")};
        compose_->WireRecipients(&source_);
    }
    void TearDown() override {
        compose_.reset();
        DeleteFileW((folder_ + L"kelup.frh").c_str());
        ComposeWin::TearDown();
    }
    std::wstring Peer(size_t i) const { return FakeSource::EntryOf(source_.peers[i]); }
    FakeSource source_;
};

TEST_F(RecipientArea, PeersChosenFromTheGroupsAreWhatTheSendReads) {
    std::wstring hint, count;
    std::vector<std::wstring> groups;
    bool disabledFirst = false, enabledAfter = false, passwordOffFirst = false;
    int peerImage = -1;
    EditResult r = EditDriven(
        *compose_, Request(kThreeLines),
        {Ready(), Searched(4), Check([&](HWND e) {
             HWND tree = Item(e, ID_E_TreeView1);
             HTREEITEM root = TreeView_GetRoot(tree);
             for (HTREEITEM h = TreeView_GetChild(tree, root); h; h = TreeView_GetNextSibling(tree, h)) {
                 wchar_t text[128] = L"";
                 TVITEMW item{};
                 item.mask = TVIF_TEXT;
                 item.hItem = h;
                 item.pszText = text;
                 item.cchTextMax = 128;
                 TreeView_GetItem(tree, &item);
                 groups.push_back(text);
             }
             count = Text(Item(e, ID_E_Label7));
             disabledFirst = SendsDisabled(e);
             passwordOffFirst = !IsWindowEnabled(Item(e, ID_E_cb_Password));
         }),
         Click(ID_E_ListBox1, L"Chiba"), Click(ID_E_ListBox1, L"Chiba"), Click(ID_E_ListBox1, L"Baba"),
         Check([&](HWND e) {
             enabledAfter = SendsEnabled(e);
             HWND hintBox = reinterpret_cast<HWND>(GetPropW(Item(e, ID_E_ListBox1), L"KelupHint"));
             wchar_t text[256] = L"";
             TTTOOLINFOW ti{};
             ti.cbSize = sizeof(ti);
             ti.hwnd = e;
             ti.uId = reinterpret_cast<UINT_PTR>(Item(e, ID_E_ListBox1));
             ti.lpszText = text;
             SendMessageW(hintBox, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
             hint = text;
             peerImage = int(SendMessageW(Item(e, ID_E_ListBox2), LB_GETITEMDATA, 1, 0));
         }),
         // Hiding the content asks for the receipt and allows the password.
         Command(ID_E_cb_Zenmen), Check([](HWND e) { Button_SetCheck(Item(e, ID_E_cb_huseru), BST_CHECKED); }),
         Command(ID_E_cb_huseru), Check([&](HWND e) {
             EXPECT_EQ(Button_GetCheck(Item(e, ID_E_cb_Check)), BST_CHECKED);
             EXPECT_TRUE(IsWindowEnabled(Item(e, ID_E_cb_Password)));
             Button_SetCheck(Item(e, ID_E_cb_Password), BST_CHECKED);
             Button_SetCheck(Item(e, ID_E_cb_SendOk), BST_CHECKED);
             Button_SetCheck(Item(e, ID_E_cb_Zenmen), BST_CHECKED);
         }),
         Command(ID_E_btnSendOnly)});
    EXPECT_EQ(groups, (std::vector<std::wstring>{L"!!おともだち", L"!!不在者", L"営業"}));
    EXPECT_EQ(count, L"4件");
    EXPECT_TRUE(disabledFirst);
    EXPECT_TRUE(passwordOffFirst);
    EXPECT_TRUE(enabledAfter);
    EXPECT_EQ(hint, L"10.0.0.2\r\nポップめっせもしくはIP Messenger");
    EXPECT_EQ(peerImage, 19);
    EXPECT_EQ(r.EditSendMode, 1);
    EXPECT_EQ(r.EditUpdateFG, 0);
    EXPECT_EQ(r.send.recipients, (std::vector<std::wstring>{Peer(2), Peer(1)}));
    EXPECT_TRUE(r.send.cb_huseru && r.send.cb_Check && r.send.cb_Password && r.send.cb_SendOk && r.send.cb_Zenmen);
    EXPECT_EQ(r.send.fileSendOpt, 0);
    EXPECT_FALSE(r.send.absenteeGroup);
    // The options are kept for the next run.
    IniFile ini(folder_ + L"kelup.ini");
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(ini.GetInt(L"SendOption", L"SendOpt" + std::to_wstring(i), -1), 1) << i;
    Compose next(*shell_);
    next.WireRecipients(&source_);
    bool passwordKept = false;
    EditDriven(next, Request(), {Ready(), Check([&](HWND e) {
                                     passwordKept = Button_GetCheck(Item(e, ID_E_cb_Password)) == BST_CHECKED &&
                                                    IsWindowEnabled(Item(e, ID_E_cb_Password));
                                 }),
                                 Command(ID_E_Close)});
    EXPECT_TRUE(passwordKept);
}

TEST_F(RecipientArea, EachSendCommandClosesWithItsResult) {
    struct Case {
        const char* name;
        int command;
        bool justMade, locked;
        int update, send, remove;
    } cases[] = {
        {"送信", ID_E_btnSendOnly, false, false, 0, 1, 0},
        {"送信 (new note)", ID_E_btnSendOnly, true, false, 1, 2, 1},
        {"送信して更新", ID_E_btnSend, false, false, 1, 1, 0},
        {"送信して付箋紙を更新(&V)", ID_E_SendUpdate, false, false, 1, 1, 0},
        {"送信してはがす", ID_E_btnSendRemove, false, false, 1, 2, 1},
        {"送信してはがす (locked)", ID_E_SendPeel, false, true, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditRequest q = Request(kThreeLines);
        q.noteJustMade = c.justMade;
        q.locked = c.locked;
        EditResult r = EditDriven(*compose_, q, {Ready(), Searched(4), Command(c.command), Check([](HWND e) {
                                                     // Without a recipient nothing happens.
                                                     EXPECT_TRUE(IsWindowVisible(e));
                                                 }),
                                                 Click(ID_E_ListBox1, L"Chiba"), Command(c.command)});
        EXPECT_EQ(r.EditUpdateFG, c.update);
        EXPECT_EQ(r.EditSendMode, c.send);
        EXPECT_EQ(r.EditRemoveFG, c.remove);
        EXPECT_EQ(r.send.recipients, std::vector<std::wstring>{Peer(2)});
        EXPECT_EQ(r.send.TypedAddr, L"");
    }
}

TEST_F(RecipientArea, RefusedChoicesChangeNothing) {
    std::vector<std::wstring> afterAbsentee, afterRefusals;
    EditResult r = EditDriven(
        *compose_, Request(kThreeLines),
        {Ready(), Searched(4), Group(L"!!不在者"), Click(ID_E_ListBox1, L"Doi"),
         Click(ID_E_ListBox1, L"Endo", true), Answer(L"同時に複数の不在者には送信できません", IDOK), NoMessageBox(),
         Check([&](HWND e) { afterAbsentee = ListLines(Item(e, ID_E_ListBox2)); }),
         // A file cannot go to an absentee; the editor stays.
         Check([](HWND e) { SendMessageW(Item(e, ID_E_FileOpt1), BM_CLICK, 0, 0); }), Press(ID_E_btnSendOnly),
         Answer(L"不在者にはファイルは送信できません", IDOK), NoMessageBox(),
         Group(L"全ての送信可能者"), Click(ID_E_ListBox1, L"Chiba", true),
         Answer(L"通常送信と不在者あて送信は一度には行えません。", IDOK), NoMessageBox(),
         // Emptied by clicking, then two peers of one address.
         Click(ID_E_ListBox2, L"Doi"), Check([](HWND e) { EXPECT_TRUE(SendsDisabled(e)); }),
         Check([](HWND e) {
             HWND list = Item(e, ID_E_ListBox1);
             std::vector<std::wstring> lines = ListLines(list);
             for (size_t i = 0; i < lines.size(); ++i)
                 if (ListNameExtract(lines[i]).sex == L"1") SendMessageW(list, LB_SETCURSEL, WPARAM(i), 0);
             SendMessageW(e, WM_COMMAND, MAKEWPARAM(ID_E_ListBox1, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
         }),
         Check([](HWND e) {
             HWND list = Item(e, ID_E_ListBox1);
             std::vector<std::wstring> lines = ListLines(list);
             for (size_t i = 0; i < lines.size(); ++i)
                 if (NameFromList(lines[i]) == L"Aoki" && ListNameExtract(lines[i]).sex == L"8")
                     SendMessageW(list, LB_SETCURSEL, WPARAM(i), 0);
             PostMessageW(e, WM_COMMAND, MAKEWPARAM(ID_E_ListBox1, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
         }),
         Answer(L"１つのメッセージしか送信できません。", IDOK), NoMessageBox(), Click(ID_E_ListBox1, L"Chiba"),
         // File option 1 to two recipients: refused before any file dialog.
         Press(ID_E_btnSend), Answer(L"ファイルは同時に二つ以上の相手に送信できません", IDOK), NoMessageBox(),
         Check([](HWND e) { SendMessageW(Item(e, ID_E_FileOpt3), BM_CLICK, 0, 0); }), Click(ID_E_ListBox2, L"Chiba"),
         // Option 3 without an associated file.
         Press(ID_E_btnSend), Answer(L"関連づけられたファイルがありません", IDOK), NoMessageBox(),
         Check([&](HWND e) { afterRefusals = ListLines(Item(e, ID_E_ListBox2)); }),
         Check([](HWND e) { SendMessageW(Item(e, ID_E_FileOpt0), BM_CLICK, 0, 0); }),
         // A typed address: 255 is refused, a good one closes with mode 3.
         Press(ID_E_btn_IPAddr), InputBoxAnswer(L"IPｱﾄﾞﾚｽの指定", L"192.168.1.255"),
         Answer(L"無効なIPｱﾄﾞﾚｽです", IDOK), NoMessageBox(), Press(ID_E_btn_IPAddr),
         InputBoxAnswer(L"IPｱﾄﾞﾚｽの指定", L" 10 . 0 . 0 . 9 ")});
    EXPECT_EQ(afterAbsentee, std::vector<std::wstring>{source_.absentees[0]});
    ASSERT_EQ(afterRefusals.size(), 1u);
    EXPECT_EQ(ListNameExtract(afterRefusals[0]).sex, L"1");
    EXPECT_EQ(r.EditSendMode, 3);
    EXPECT_EQ(r.EditUpdateFG, 1);
    EXPECT_EQ(r.send.TypedAddr, L"10.0.0.9");
    EXPECT_EQ(r.send.fileSendOpt, 0);
}

TEST_F(RecipientArea, ImageModeSendsToOneCopyAndGivesTheWindowBack) {
    EditRequest image = Request();
    image.imageMode = true;
    RECT before{}, during{}, after{};
    bool reduced = false, focusInPeers = false, optionsCleared = false;
    std::wstring caption;
    // The send options as the user left them; image mode starts them clear.
    EditDriven(*compose_, Request(), {Ready(), Check([&](HWND e) {
                                          Button_SetCheck(Item(e, ID_E_cb_Check), BST_CHECKED);
                                          Button_SetCheck(Item(e, ID_E_cb_Zenmen), BST_CHECKED);
                                          GetWindowRect(e, &before);
                                      }),
                                      Command(ID_E_Close)});
    // A G3 machine cannot take a picture: the message, and the editor closes without a send.
    EditResult refused = EditDriven(*compose_, image,
                                    {ReadyForPicture(), Searched(4), Click(ID_E_ListBox1, L"Chiba"), Press(ID_E_btnSendOnly),
                                     Answer(L"ケラップG4以前のバージョンへは送信できません", IDOK)});
    EXPECT_EQ(refused.EditSendMode, 0);
    EXPECT_EQ(refused.EditRemoveFG, 0);

    EditResult r = EditDriven(
        *compose_, image,
        {ReadyForPicture(), Searched(4), Check([&](HWND e) {
             GetWindowRect(e, &during);
             caption = Text(e);
             focusInPeers = GetFocus() == Item(e, ID_E_ListBox1);
             reduced = !IsWindowVisible(Item(e, ID_E_Memo1)) && !IsWindowVisible(Item(e, ID_E_ToolBar1)) &&
                       !IsWindowVisible(Item(e, ID_E_cb_Check)) && !IsWindowVisible(Item(e, ID_E_RG_FileSendOpt)) &&
                       !IsWindowVisible(Item(e, ID_E_btn_IPAddr)) && !IsWindowVisible(Item(e, ID_E_btnSend)) &&
                       !IsWindowVisible(Item(e, ID_E_btnSendRemove)) && !IsWindowVisible(Item(e, ID_E_btnOKM)) &&
                       IsWindowVisible(Item(e, ID_E_btnSendOnly)) && IsWindowVisible(Item(e, ID_E_btnCloseM)) &&
                       IsWindowVisible(Item(e, ID_E_cb_SendOk)) && IsWindowVisible(Item(e, ID_E_cb_huseru)) &&
                       IsWindowVisible(Item(e, ID_E_ListBox1));
             optionsCleared = Button_GetCheck(Item(e, ID_E_cb_Check)) == BST_UNCHECKED &&
                              Button_GetCheck(Item(e, ID_E_cb_Zenmen)) == BST_UNCHECKED;
             Button_SetCheck(Item(e, ID_E_cb_huseru), BST_CHECKED);
             Button_SetCheck(Item(e, ID_E_cb_SendOk), BST_CHECKED);
         }),
         Click(ID_E_ListBox1, L"Aoki"), Press(ID_E_btnSendOnly)});
    EXPECT_EQ(caption, L"付箋紙の送信（イメージ付箋紙）");
    EXPECT_TRUE(reduced);
    EXPECT_TRUE(focusInPeers);
    EXPECT_TRUE(optionsCleared);
    EXPECT_LT(during.bottom - during.top, before.bottom - before.top);
    EXPECT_EQ(r.EditSendMode, 1);
    ASSERT_EQ(r.send.recipients.size(), 1u);
    EXPECT_EQ(ListNameExtract(r.send.recipients[0]).verNo, L"2.001");
    EXPECT_TRUE(r.send.cb_huseru && r.send.cb_SendOk);

    // The editor is whole again, with the options as they were.
    bool whole = false;
    EditDriven(*compose_, Request(kThreeLines), {Ready(), Check([&](HWND e) {
                                                     GetWindowRect(e, &after);
                                                     whole = IsWindowVisible(Item(e, ID_E_Memo1)) &&
                                                             IsWindowEnabled(Item(e, ID_E_Memo1)) &&
                                                             IsWindowVisible(Item(e, ID_E_cb_Check)) &&
                                                             IsWindowVisible(Item(e, ID_E_btnSend)) &&
                                                             Button_GetCheck(Item(e, ID_E_cb_Check)) == BST_CHECKED &&
                                                             Button_GetCheck(Item(e, ID_E_cb_Zenmen)) == BST_CHECKED &&
                                                             Button_GetCheck(Item(e, ID_E_cb_huseru)) == BST_UNCHECKED;
                                                 }),
                                                 Command(ID_E_Close)});
    EXPECT_TRUE(whole);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(RecipientArea, ListCommandsOfThePeerList) {
    source_.friends = {ListNameEdit(L"Fumi（PC-Fumi）", L"10.0.0.7", L"2", L"2.001")};
    int friendImage = -1;
    std::vector<std::wstring> recipients;
    EditDriven(*compose_, Request(),
               {Ready(), Searched(4),
                // Shutdown of a reachable peer, after the question.
                Click(ID_E_ListBox1, L"Chiba"), Press(ID_E_M_Shutdown),
                Answer(L"指定したマシンをシャットダウンしてよろしいですか?", IDYES), NoMessageBox(),
                Press(ID_E_M_AddFriend), Answer(L"おともだちリストに追加しました", IDOK), NoMessageBox(),
                Press(ID_E_M_AddFriend), Answer(L"既に登録されています", IDOK), NoMessageBox(),
                Press(ID_E_M_Delete), Answer(L"不在者欄以外は削除できません", IDOK), NoMessageBox(),
                // All, then twenty at most of a kind (all four here, each address once).
                Command(ID_E_M_AddAll), Check([&](HWND e) { recipients = ListLines(Item(e, ID_E_ListBox2)); }),
                Group(L"!!おともだち"), Check([&](HWND e) {
                    std::vector<std::wstring> lines = ListLines(Item(e, ID_E_ListBox1));
                    ASSERT_EQ(lines.size(), 2u);
                    for (size_t i = 0; i < lines.size(); ++i)
                        if (NameFromList(lines[i]) == L"Fumi")
                            friendImage = int(SendMessageW(Item(e, ID_E_ListBox1), LB_GETITEMDATA, i, 0));
                }),
                // The absentee group: an absentee is removed after the question.
                Group(L"!!不在者"), Click(ID_E_ListBox1, L"Doi", true),
                Answer(L"通常送信と不在者あて送信は一度には行えません。", IDOK), NoMessageBox(),
                Press(ID_E_M_Shutdown), Answer(L"不在者ですからシャットダウンは無理です", IDOK), NoMessageBox(),
                Press(ID_E_M_Delete), Answer(L"「Doi」をリストから削除してもいいですか?", IDYES), NoMessageBox(),
                Check([](HWND e) {
                    EXPECT_EQ(ListLines(Item(e, ID_E_ListBox1)).size(), 1u);
                    EXPECT_EQ(Text(Item(e, ID_E_Label7)), L"1件");
                }),
                // The name search: from the selected line on, case-sensitive.
                Group(L"全ての送信可能者"), Press(ID_E_M_FindName), InputBoxAnswer(L"検索文字列の入力", L"hib"),
                [](HWND e) {
                    HWND list = Item(e, ID_E_ListBox1);
                    int sel = int(SendMessageW(list, LB_GETCURSEL, 0, 0));
                    if (sel < 0) return false;   // the box is still being answered
                    EXPECT_EQ(NameFromList(ListLines(list)[size_t(sel)]), L"Chiba");
                    return true;
                },
                Press(ID_E_M_FindName), InputBoxAnswer(L"検索文字列の入力", L"HIB"), Answer(L"見つかりません", IDOK),
                NoMessageBox(), Command(ID_E_Close)});
    EXPECT_EQ(source_.shutdowns, std::vector<std::wstring>{L"10.0.0.3"});
    EXPECT_EQ(recipients.size(), 3u);   // Aoki has two lines of one address: once
    EXPECT_EQ(friendImage, 13);          // a friend not on the network: greyed
    ASSERT_EQ(source_.removedAbsentees.size(), 1u);
    EXPECT_EQ(NameFromList(source_.removedAbsentees[0]), L"Doi");
}

TEST_F(RecipientArea, RecentRecipientsMenuAndItsFile) {
    compose_->Prepare();
    compose_->AddRecentRecipients({Peer(2), Peer(1)});
    compose_->AddRecentRecipients({ListNameEdit(L"Gone（PC）", L"10.0.0.99", L"1", L"2.001")});
    compose_->WriteRecipientMenuItems();
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(folder_ + L"kelup.frh", bytes));
    std::vector<std::wstring> lines = ReadListFile(bytes);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find(L"%%★Gone（10.0.0.99）"), std::wstring::npos);
    EXPECT_EQ(lines[1].rfind(L"No8Z", 0), 0u);
    EXPECT_NE(lines[1].find(L"%%☆Baba（10.0.0.2）"), std::wstring::npos);

    // The next run's editor reads the file: the second item is Baba.
    compose_.reset();
    Compose next(*shell_);
    next.WireRecipients(&source_);
    std::vector<std::wstring> recipients;
    EditDriven(next, Request(), {Ready(), Searched(4), Press(ID_E_Recent0),
                                 Answer(L"ネットワーク上に存在しないみたいです", IDOK), NoMessageBox(),
                                 Command(ID_E_Recent0 + 1), Command(ID_E_Recent0 + 1), Check([&](HWND e) {
                                     recipients = ListLines(Item(e, ID_E_ListBox2));
                                     EXPECT_TRUE(SendsEnabled(e));
                                 }),
                                 Command(ID_E_Close)});
    EXPECT_EQ(recipients, std::vector<std::wstring>{Peer(1)});
}

TEST_F(RecipientArea, ReplyTakesTheSenderWhileItIsOnTheNetwork) {
    EditRequest q = Request(kThreeLines);
    q.sendMode = -1;
    q.senderAddr = L"10.0.0.2";
    q.senderSex = L"0";   // an IP Messenger peer answers as "0"
    q.senderLine = L"Baba(10.0.0.2)";
    std::vector<std::wstring> recipients;
    std::wstring label;
    EditResult r = EditDriven(*compose_, q, {Ready(), Searched(4), Check([&](HWND e) {
                                                 recipients = ListLines(Item(e, ID_E_ListBox2));
                                                 label = Text(Item(e, ID_E_Label9));
                                                 // Nothing goes before the text changed.
                                                 EXPECT_TRUE(SendsDisabled(e));
                                             }),
                                             Type(L"ok"), Check([](HWND e) { EXPECT_TRUE(SendsEnabled(e)); }),
                                             Command(ID_E_btnSendOnly)});
    EXPECT_EQ(recipients, std::vector<std::wstring>{Peer(1)});
    EXPECT_EQ(label, L"Baba(10.0.0.2)");
    EXPECT_EQ(r.send.recipients, std::vector<std::wstring>{Peer(1)});

    q.senderAddr = L"10.0.0.77";
    EditDriven(*compose_, q, {Ready(), Answer(L"返信しようとするアドレスは既にネットワーク上に存在しません", IDOK),
                              NoMessageBox(), Check([&](HWND e) { recipients = ListLines(Item(e, ID_E_ListBox2)); }),
                              Command(ID_E_Close)});
    EXPECT_TRUE(recipients.empty());
}

// The open dialog of the file option: the file named and OK pressed.
Step ChooseFile(std::wstring path) {
    return [path](HWND e) {
        HWND dlg = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM p) -> BOOL {
            wchar_t cls[16];
            GetClassNameW(h, cls, 16);
            if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h) && Text(h) != L"ケラップx64") {
                *reinterpret_cast<HWND*>(p) = h;
                return FALSE;
            }
            return TRUE;
        }, reinterpret_cast<LPARAM>(&dlg));
        if (!dlg || GetWindow(dlg, GW_OWNER) != e) return false;
        // The file name box: the combo box of newer dialogs or the edit of older ones.
        for (int id : {0x47C, 0x480}) SetDlgItemTextW(dlg, id, path.c_str());
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    };
}

TEST_F(RecipientArea, FileOptionAsksForTheFileAndTheRecipientsConsent) {
    const std::wstring file = folder_ + L"添付.txt";
    ASSERT_TRUE(WriteFileAtomic(file, "attached"));
    std::vector<std::wstring> stayed;
    EditResult r = EditDriven(
        *compose_, Request(kThreeLines),
        {Ready(), Searched(4), Click(ID_E_ListBox1, L"Chiba"),
         Check([](HWND e) { SendMessageW(Item(e, ID_E_FileOpt2), BM_CLICK, 0, 0); }),
         // An older version takes no file.
         Press(ID_E_btnSend), Answer(L"ケラップG4以前のバージョンへはファイルは送信できません", IDOK), NoMessageBox(),
         Click(ID_E_ListBox2, L"Chiba"),
         [](HWND e) {
             HWND list = Item(e, ID_E_ListBox1);
             std::vector<std::wstring> lines = ListLines(list);
             for (size_t i = 0; i < lines.size(); ++i)
                 if (NameFromList(lines[i]) == L"Aoki" && ListNameExtract(lines[i]).sex == L"1")
                     SendMessageW(list, LB_SETCURSEL, WPARAM(i), 0);
             SendMessageW(e, WM_COMMAND, MAKEWPARAM(ID_E_ListBox1, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
             return true;
         },
         // No to the question: the editor stays.
         Press(ID_E_btnSend), ChooseFile(file),
         Answer(L"ファイル「添付.txt」を添付して付箋紙をAokiさんに送信してもいいですか?", IDNO), NoMessageBox(),
         Check([&](HWND e) { stayed = ListLines(Item(e, ID_E_ListBox2)); }),
         Press(ID_E_btnSend), ChooseFile(file),
         Answer(L"ファイル「添付.txt」を添付して付箋紙をAokiさんに送信してもいいですか?", IDYES)});
    ASSERT_EQ(stayed.size(), 1u);
    EXPECT_EQ(r.EditSendMode, 1);
    EXPECT_EQ(r.send.fileSendOpt, 2);
    EXPECT_EQ(r.send.recipients, stayed);
    EXPECT_EQ(_wcsicmp(r.send.filePath.c_str(), file.c_str()), 0) << testing::PrintToString(r.send.filePath);
    DeleteFileW(file.c_str());
}

TEST_F(RecipientArea, FriendRenamedInPlace) {
    source_.friends = {ListNameEdit(L"Fumi（PC-Fumi）", L"10.0.0.7", L"2", L"2.001")};
    std::vector<std::wstring> shown;
    EditDriven(*compose_, Request(),
               {Ready(), Searched(4), Group(L"!!おともだち"), Click(ID_E_ListBox1, L"Fumi"), Press(ID_E_M_EditFriend),
                [](HWND) {
                    // The old name is offered.
                    HWND box = FindDialog(L"名前の編集");
                    if (!box) return false;
                    wchar_t text[64] = L"";
                    GetDlgItemTextW(box, IDC_InputQueryEdit, text, 64);
                    EXPECT_STREQ(text, L"Fumi");
                    return true;
                },
                InputBoxAnswer(L"名前の編集", L"ふみ"),
                [&](HWND e) {
                    shown = ListLines(Item(e, ID_E_ListBox1));
                    return !shown.empty() && NameFromList(shown[0]) == L"ふみ";
                },
                Command(ID_E_Close)});
    const std::wstring renamed = ListNameEdit(L"ふみ（PC-Fumi）", L"10.0.0.7", L"2", L"2.001");
    EXPECT_EQ(shown, std::vector<std::wstring>{renamed});
    ASSERT_EQ(source_.lists.Friends().size(), 1u);
    EXPECT_EQ(source_.lists.Friends()[0], renamed);
}

// The peer list's menu, opened as a right click opens it; `enabled` gets
// the entries that can be chosen, then the menu goes.
Step PeerMenu(std::vector<int>& enabled) {
    auto asked = std::make_shared<bool>(false);
    return [&enabled, asked](HWND e) {
        HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (!menuWindow || !IsWindowVisible(menuWindow)) {
            if (!*asked) {
                RECT rc;
                GetWindowRect(Item(e, ID_E_ListBox1), &rc);
                PostMessageW(Item(e, ID_E_ListBox1), WM_CONTEXTMENU, WPARAM(Item(e, ID_E_ListBox1)),
                             MAKELPARAM(rc.left + 10, rc.top + 10));
                *asked = true;
            }
            return false;
        }
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        enabled.clear();
        for (int id = ID_E_M_Delete; id <= ID_E_M_AddAllKelup; ++id) {
            UINT state = GetMenuState(menu, UINT(id), MF_BYCOMMAND);
            if (state != UINT(-1) && !(state & (MF_GRAYED | MF_DISABLED))) enabled.push_back(id);
        }
        EndMenu();
        return true;
    };
}

Step MenuGone() {
    return [](HWND e) {
        HWND m = FindWindowW(L"#32768", nullptr);
        if (m && IsWindowVisible(m)) return false;
        return true;
    };
}

TEST_F(RecipientArea, PeerListMenuFollowsTheGroupAndTheSelection) {
    std::vector<int> none, all, friends, absent;
    std::vector<std::wstring> afterKey;
    std::wstring countAfterAll;
    EditDriven(*compose_, Request(),
               {Ready(), Searched(4), PeerMenu(none), MenuGone(), Click(ID_E_ListBox1, L"Chiba"), PeerMenu(all),
                MenuGone(), Press(ID_E_M_AddFriend), Answer(L"おともだちリストに追加しました", IDOK), NoMessageBox(),
                Group(L"!!おともだち"), Click(ID_E_ListBox1, L"Chiba"), PeerMenu(friends), MenuGone(),
                Group(L"!!不在者"),
                Check([](HWND e) {
                    HWND list = Item(e, ID_E_ListBox1);
                    SendMessageW(list, LB_SETCURSEL, 1, 0);   // Endo, not made a recipient
                }),
                PeerMenu(absent), MenuGone(),
                // The Delete key asks first; No keeps the line.
                Check([](HWND e) { PostMessageW(Item(e, ID_E_ListBox1), WM_KEYDOWN, VK_DELETE, 0); }),
                Answer(L"「Endo」をリストから削除してもいいですか?", IDNO), NoMessageBox(),
                Check([&](HWND e) { afterKey = ListLines(Item(e, ID_E_ListBox1)); }),
                Press(ID_E_M_DeleteAll), Answer(L"すべての不在者をリストから削除してもいいですか?", IDYES), NoMessageBox(),
                Check([&](HWND e) { countAfterAll = Text(Item(e, ID_E_Label7)); }), Command(ID_E_Close)});
    const std::vector<int> always = {ID_E_M_FindName, ID_E_M_AddAll, ID_E_M_AddAllIpMsg, ID_E_M_AddAllKelup};
    auto with = [&](std::vector<int> ids) {
        ids.insert(ids.end(), always.begin(), always.end());
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    EXPECT_EQ(none, with({}));
    EXPECT_EQ(all, with({ID_E_M_Shutdown, ID_E_M_AddFriend}));
    EXPECT_EQ(friends, with({ID_E_M_Shutdown, ID_E_M_DelFriend, ID_E_M_EditFriend}));
    EXPECT_EQ(absent, with({ID_E_M_Delete, ID_E_M_DeleteAll, ID_E_M_Shutdown}));
    EXPECT_EQ(afterKey.size(), 2u);
    EXPECT_EQ(countAfterAll, L"0件");
    EXPECT_TRUE(source_.lists.Absentees().empty());
}

}  // namespace
}  // namespace kelup
