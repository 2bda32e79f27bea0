// A note's text edited in place and the commands on its text: one line
// copied with its formatting, the line spacing of every paragraph, the text
// saved as plain lines, pasting without objects and within a size, and a
// round of editing in place.

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "base/Cp932.h"
#include "base/FileOps.h"
#include "notes/RichText.h"
#include "notes/TKELUPSHI.h"
#include "notes/TextCommands.h"
#include "notes/tests/FakeNoteHost.h"
#include "res/resource.h"

namespace kelup {
namespace {

std::wstring TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring dir = std::wstring(base) + L"kelup-textedit-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirs(dir);
    return dir;
}

bool PutClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    bool ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    CloseClipboard();
    return ok;
}

bool PutClipboard(UINT format, const std::string& bytes, bool keep = false) {
    if (!OpenClipboard(nullptr)) return false;
    if (!keep) EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    char* p = static_cast<char*>(GlobalLock(mem));
    memcpy(p, bytes.c_str(), bytes.size() + 1);
    GlobalUnlock(mem);
    bool ok = SetClipboardData(format, mem) != nullptr;
    CloseClipboard();
    return ok;
}

std::wstring ClipboardText() {
    if (!OpenClipboard(nullptr)) return L"<no clipboard>";
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    std::wstring got = h ? static_cast<const wchar_t*>(GlobalLock(h)) : L"";
    if (h) GlobalUnlock(h);
    CloseClipboard();
    return got;
}

std::string ClipboardRtf() {
    if (!OpenClipboard(nullptr)) return {};
    HANDLE h = GetClipboardData(RegisterClipboardFormatW(L"Rich Text Format"));
    std::string got = h ? static_cast<const char*>(GlobalLock(h)) : "";
    if (h) GlobalUnlock(h);
    CloseClipboard();
    return got;
}

class TextEdit : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadLibraryW(L"msftedit.dll"); }
    void SetUp() override {
        host.folder = TempFolder();
        RECT place{100, 100, 100 + 240, 100 + 90};
        ASSERT_TRUE(note.Create(nullptr, 7, false, &host, &place));
        host.noteText = note.RichEdit1();
        note.DataName = L"kelup7.kdt";
        ShowWindow(note.Handle(), SW_SHOWNOACTIVATE);
    }
    void TearDown() override { DeleteFileW(TextFile().c_str()); }
    std::wstring TextFile() const { return host.folder + L"kelup7.kdt"; }
    // The note's text file made from lines, the first run of each line
    // after a Tab in bold; the note shows it.
    void WriteText(std::initializer_list<std::wstring> lines) {
        HWND x = ScratchRichEdit(Scratch::X);
        RichClear(x);
        for (const std::wstring& line : lines) RichAppendLine(x, line);
        std::wstring all = RichPlainText(x);
        for (size_t tab = all.find(L'\t'); tab != std::wstring::npos; tab = all.find(L'\t', tab + 1)) {
            size_t end = all.find_first_of(L"\t\r", tab + 1);
            if (end == std::wstring::npos) end = all.size();
            SendMessageW(x, EM_SETSEL, LONG(tab + 1), LONG(end));
            CHARFORMAT2W cf{};
            cf.cbSize = sizeof(cf);
            cf.dwMask = CFM_BOLD;
            cf.dwEffects = CFE_BOLD;
            SendMessageW(x, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        }
        ASSERT_TRUE(WriteFileAtomic(TextFile(), RichToRtf(x)));
        RichClear(x);
        ASSERT_TRUE(note.LoadText(TextFile()));
    }
    test::FakeNoteHost host;
    TKELUPSHI note;
};

TEST_F(TextEdit, LineCopyTakesTheParagraphWithItsFormatting) {
    WriteText({L"A\tB\tC", L"no tab here", L"三行目"});
    struct Case {
        int lineCopyMode, index;
        std::wstring want;   // "" : the clipboard is left alone
    };
    const Case cases[] = {
        {1, 0, L"B\tC"},          // the part after the first Tab
        {0, 0, L"A\tB\tC"},       // the whole paragraph
        {1, 1, L"no tab here"},   // no Tab: the whole line
        {1, 2, L"三行目"},
        {1, 3, L""},              // past the end
        {0, 8, L""},
    };
    for (const Case& c : cases) {
        host.config.LineCopyMode = c.lineCopyMode;
        ASSERT_TRUE(PutClipboardText(L"before"));
        bool copied = note.LineCopy(c.index);
        EXPECT_EQ(copied, !c.want.empty()) << c.index;
        EXPECT_EQ(ClipboardText(), c.want.empty() ? L"before" : c.want) << c.lineCopyMode << " " << c.index;
    }
    // With its formatting: B is bold on the clipboard.
    host.config.LineCopyMode = 1;
    ASSERT_TRUE(note.LineCopy(0));
    std::string rtf = ClipboardRtf();
    EXPECT_NE(rtf.find("\\b"), std::string::npos) << rtf;
    // The menu's entries and the double-click count lines from 1.
    ASSERT_TRUE(note.M_CopyLineClick(2));
    EXPECT_EQ(ClipboardText(), L"no tab here");
}

// The line spacing of each paragraph of a rich edit, as rule 5 values (or -1).
std::vector<int> Spacings(HWND re) {
    std::vector<std::wstring> lines = RichLines(re);
    std::vector<int> got;
    LONG at = 0;
    for (const std::wstring& line : lines) {
        SendMessageW(re, EM_SETSEL, at, at);
        PARAFORMAT2 pf{};
        pf.cbSize = sizeof(pf);
        SendMessageW(re, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
        got.push_back(pf.bLineSpacingRule == 5 ? int(pf.dyLineSpacing) : -1);
        at += LONG(line.size()) + 1;
    }
    return got;
}

TEST_F(TextEdit, LineSpacingReachesEveryParagraphAndTheFileKeepsItsPlaceholders) {
    WriteText({L"first", L"あと%%2030/01/01%%日", L"third"});
    // The note shows the count, as a date update would.
    RichClear(note.RichEdit1());
    for (const wchar_t* line : {L"first", L"あと1000日", L"third"}) RichAppendLine(note.RichEdit1(), line);
    struct Case {
        int from, id, want;
    };
    const Case cases[] = {
        {58, ID_LineSpacePlus, 60}, {60, ID_LineSpacePlus, 60}, {22, ID_LineSpaceMinus, 20},
        {20, ID_LineSpace50, 30},   {30, ID_LineSpace100, 40},  {40, ID_LineSpace0, 20},
    };
    for (const Case& c : cases) {
        note.LineSpace = c.from;
        int saves = host.saves;
        note.LineSpaceSet(c.id);
        EXPECT_EQ(note.LineSpace, c.want) << c.from;
        EXPECT_EQ(Spacings(note.RichEdit1()), std::vector<int>(3, c.want)) << c.from;
        EXPECT_GT(host.saves, saves);
        // The text file: every paragraph spaced, the placeholder as typed.
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(TextFile(), bytes));
        EXPECT_NE(bytes.find("%%2030/01/01%%"), std::string::npos);
        HWND x = ScratchRichEdit(Scratch::Y);
        ASSERT_TRUE(RichFromRtf(x, bytes));
        EXPECT_EQ(RichPlainText(x), L"first\rあと%%2030/01/01%%日\rthird");
        RichClear(x);
        // The spacing as the control writes it, in twelfths of a twentieth.
        std::regex sl("\\\\sl(-?\\d+)\\\\slmult1");
        int found = 0;
        for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), sl); it != std::sregex_iterator(); ++it, ++found)
            EXPECT_EQ(std::abs(std::stoi((*it)[1])), c.want * 12) << bytes;
        EXPECT_GT(found, 0) << bytes;
    }
}

TEST_F(TextEdit, SavedAsPlainLinesInCodePage932) {
    RichClear(note.RichEdit1());
    for (const wchar_t* line : {L"日本語のメモ", L"", L"tab\there"}) RichAppendLine(note.RichEdit1(), line);
    std::wstring path = host.folder + L"saved.txt";
    ASSERT_TRUE(note.SaveAsText(path));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, ToCp932(L"日本語のメモ\r\n\r\ntab\there\r\n"));
    DeleteFileW(path.c_str());
}

TEST_F(TextEdit, PastingTakesTextNeverObjectsAndRefusesTooMuch) {
    HWND x = ScratchRichEdit(Scratch::X);
    const UINT cfRtf = RegisterClipboardFormatW(L"Rich Text Format");
    // Rich text with a picture: the text comes, plain; the picture does not.
    ASSERT_TRUE(PutClipboard(cfRtf, "{\\rtf1\\ansi {\\b bold}{\\pict\\wmetafile8\\picw10\\pich10 0100}}"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 20);
    memcpy(GlobalLock(mem), L"bold text", 20);
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
    RichClear(x);
    EXPECT_EQ(PasteClipboardText(x, nullptr), PasteResult::Pasted);
    EXPECT_EQ(RichPlainText(x), L"bold text");
    EXPECT_EQ(RichToRtf(x).find("\\pict"), std::string::npos);
    // Rich text without objects keeps its formatting.
    ASSERT_TRUE(PutClipboard(cfRtf, "{\\rtf1\\ansi plain {\\b strong}}"));
    RichClear(x);
    EXPECT_EQ(PasteClipboardText(x, nullptr), PasteResult::Pasted);
    EXPECT_EQ(RichPlainText(x), L"plain strong");
    SendMessageW(x, EM_SETSEL, 7, 8);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(x, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    EXPECT_TRUE(cf.dwEffects & CFE_BOLD);
    // Too much text: nothing pasted.
    ASSERT_TRUE(PutClipboardText(std::wstring(kMaxNoteChars + 10, L'x')));
    RichClear(x);
    EXPECT_EQ(PasteClipboardText(x, nullptr), PasteResult::TooLarge);
    EXPECT_EQ(RichPlainText(x), L"");
    // A picture alone is nothing to paste.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HDC screen = GetDC(nullptr);
    SetClipboardData(CF_BITMAP, CreateCompatibleBitmap(screen, 8, 8));
    ReleaseDC(nullptr, screen);
    CloseClipboard();
    EXPECT_EQ(PasteClipboardText(x, nullptr), PasteResult::NothingToPaste);
}

TEST_F(TextEdit, PasteReplacesTheTextFileAndNothingReplacesItWithoutText) {
    WriteText({L"old text"});
    ASSERT_TRUE(PutClipboardText(L"new\r\ntext"));
    ASSERT_TRUE(note.M_PasteClick());
    EXPECT_EQ(RichPlainText(note.RichEdit1()), L"new\rtext");
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(TextFile(), bytes));
    EXPECT_NE(bytes.find("new"), std::string::npos);
    EXPECT_EQ(host.compDates, 1);
    EXPECT_EQ(note.LineCnt, 2);
    // A clipboard without text leaves the note as it is.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(note.M_PasteClick());
    std::string after;
    ASSERT_TRUE(ReadWholeFile(TextFile(), after));
    EXPECT_EQ(after, bytes);
}

TEST_F(TextEdit, EditingInPlaceFromEnterToLeave) {
    WriteText({L"typed %%2030/01/01%%"});
    RichClear(note.RichEdit1());
    RichAppendLine(note.RichEdit1(), L"typed 1000");   // as shown
    HWND re = note.RichEdit1();
    note.M_DirectClick();
    EXPECT_EQ(host.directEdit, 7);
    EXPECT_TRUE(note.DirectEditing());
    EXPECT_FALSE(GetWindowLongPtrW(re, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(RichPlainText(re), L"typed %%2030/01/01%%");   // as typed
    // Typing, and the note made wider meanwhile.
    SendMessageW(re, EM_SETSEL, -1, -1);
    SendMessageW(re, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L" more"));
    note.SetBounds(100, 100, 400, 90);
    // Esc in another note does nothing to this one.
    TKELUPSHI other;
    RECT place{400, 100, 600, 180};
    ASSERT_TRUE(other.Create(nullptr, 8, false, &host, &place));
    SendMessageW(other.RichEdit1(), WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_TRUE(note.DirectEditing());
    // Esc released in this note ends the editing.
    SendMessageW(re, WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_FALSE(note.DirectEditing());
    EXPECT_EQ(host.directEdit, 999);
    EXPECT_TRUE(GetWindowLongPtrW(re, GWL_STYLE) & ES_READONLY);
    RECT b = note.Bounds();
    EXPECT_EQ(b.right - b.left, 240);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(TextFile(), bytes));
    EXPECT_NE(bytes.find("%%2030/01/01%% more"), std::string::npos) << bytes;
    EXPECT_EQ(host.compDates, 1);
    EXPECT_GE(host.saves, 1);
    EXPECT_EQ(host.backups, 1);
    EXPECT_EQ(note.LineCnt, 1);
}

// A received note not opened yet shows its real text in place only when
// the user may see it (a protected note asks for the password).
TEST_F(TextEdit, SealedNoteIsEditedInPlaceOnlyWhenRevealed) {
    WriteText({L"the real text"});
    RichClear(note.RichEdit1());
    RichAppendLine(note.RichEdit1(), L"A Message");   // its face
    note.KeyOpen = 1;
    note.SetPWord = 1;
    host.revealAnswer = false;
    note.M_DirectClick();
    EXPECT_EQ(host.revealAsked, 1);
    EXPECT_FALSE(note.DirectEditing());
    EXPECT_EQ(RichPlainText(note.RichEdit1()), L"A Message");
    host.revealAnswer = true;
    note.M_DirectClick();
    EXPECT_TRUE(note.DirectEditing());
    EXPECT_EQ(RichPlainText(note.RichEdit1()), L"the real text");
    SendMessageW(note.RichEdit1(), WM_KEYUP, VK_ESCAPE, 0);
}

TEST_F(TextEdit, DirectMenuFollowsTheSelectionAndOneLevelOfUndo) {
    WriteText({L"plain words"});
    note.M_DirectClick();
    HWND re = note.RichEdit1();
    auto state = [&](UINT id) { return GetMenuState(note.PopupMenuY(), id, MF_BYCOMMAND); };
    SendMessageW(re, EM_SETSEL, 0, 0);
    EXPECT_TRUE(state(ID_M_CutD) & MF_GRAYED);
    EXPECT_TRUE(state(ID_M_FormatPaste) & MF_GRAYED);
    EXPECT_TRUE(state(ID_M_UndoD) & MF_GRAYED);
    SendMessageW(re, EM_SETSEL, 0, 5);
    EXPECT_FALSE(state(ID_M_CutD) & MF_GRAYED);
    EXPECT_FALSE(state(ID_M_Bold) & MF_CHECKED);
    SendMessageW(note.Handle(), WM_COMMAND, ID_M_Bold, 0);
    EXPECT_TRUE(state(ID_M_Bold) & MF_CHECKED);
    SendMessageW(note.Handle(), WM_COMMAND, ID_M_FormatCopy, 0);
    EXPECT_FALSE(state(ID_M_FormatPaste) & MF_GRAYED);
    // A change of the text can be undone, once.
    SendMessageW(re, EM_SETSEL, -1, -1);
    SendMessageW(re, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"!"));
    EXPECT_FALSE(state(ID_M_UndoD) & MF_GRAYED);
    SendMessageW(note.Handle(), WM_COMMAND, ID_M_UndoD, 0);
    EXPECT_TRUE(state(ID_M_UndoD) & MF_GRAYED);
    EXPECT_EQ(RichPlainText(re), L"plain words");
    // The copied format goes onto another selection.
    SendMessageW(re, EM_SETSEL, 6, 11);
    EXPECT_FALSE(state(ID_M_Bold) & MF_CHECKED);
    SendMessageW(note.Handle(), WM_COMMAND, ID_M_FormatPaste, 0);
    EXPECT_TRUE(state(ID_M_Bold) & MF_CHECKED);
    note.M_DirectExitClick();
}

TEST_F(TextEdit, PrintingEndsWhateverTheControlLaysOut) {
    // A long text and an empty one: every job comes to an end with at least
    // a page, even where the control lays out no page at all.
    HDC dc = CreateCompatibleDC(nullptr);
    for (int lines : {400, 0}) {
        RichClear(note.RichEdit1());
        for (int i = 0; i < lines; ++i) RichAppendLine(note.RichEdit1(), L"line " + std::to_wstring(i));
        int pages = PrintRichText(note.RichEdit1(), dc, L"付箋紙7", false);
        EXPECT_GE(pages, 1) << lines;
        EXPECT_LE(pages, lines / 10 + 1) << lines;
    }
    DeleteDC(dc);
}

}  // namespace
}  // namespace kelup
