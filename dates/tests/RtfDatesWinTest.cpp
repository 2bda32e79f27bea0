// Placeholders worked out in a note's RTF show in a real rich edit exactly
// as the edits of a rebuild inside the control show them.

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>

#include "base/TextLines.h"
#include "dates/DateTime.h"
#include "dates/Placeholders.h"
#include "dates/RtfDates.h"
#include "notes/RichText.h"

namespace kelup {
namespace {

HWND NewRichEdit() {
    LoadLibraryW(L"msftedit.dll");
    return CreateWindowExW(0, kRichEditClass, L"", ES_MULTILINE, 0, 0, 400, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void Format(HWND re, LONG from, LONG to, DWORD mask, DWORD effects, COLORREF colour = 0) {
    SendMessageW(re, EM_SETSEL, from, to);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = mask;
    cf.dwEffects = effects;
    cf.crTextColor = colour;
    SendMessageW(re, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

TEST(RtfDatesWin, ShowsWhatARebuildInTheControlShows) {
    HWND src = NewRichEdit(), shown = NewRichEdit();
    ASSERT_TRUE(src && shown);
    const long today = long(EncodeDateTime(CivilDateTime{2026, 12, 10}));
    struct Case {
        const wchar_t* text;
        LONG boldFrom, boldTo;   // a bold stretch (0, 0: none)
    };
    const Case cases[] = {
        {L"あと%%2027/01/01%%日", 2, 3},
        {L"締め切り\r％％２０２６／１２／３１％％日前\rmore", 5, 9},
        {L"100%%です\r次の行 %%2026/12/01%% と %%2026/12/20%%", 7, 12},
        {L"a%%2026/12/2x%%b\r\r%%2026/12/1", 0, 0},
    };
    for (const Case& c : cases) {
        SetWindowTextW(src, c.text);
        if (c.boldTo > c.boldFrom) Format(src, c.boldFrom, c.boldTo, CFM_BOLD, CFE_BOLD);
        Format(src, 0, 1, CFM_COLOR, 0, RGB(0, 0, 255));
        const std::string rtf = RichToRtf(src);
        std::wstring want;
        for (const std::wstring& line : SplitLines(RichPlainText(src), true)) {
            std::wstring l = line;
            SearchX(l, 1, today);
            want += (want.empty() ? L"" : L"\r") + l;
        }
        auto out = RtfWithDates(rtf, today);
        ASSERT_TRUE(out) << rtf;
        ASSERT_TRUE(RichFromRtf(shown, *out));
        EXPECT_EQ(RichPlainText(shown), want) << *out;
        auto text = RtfShownText(*out);
        ASSERT_TRUE(text);
        EXPECT_EQ(ShownLineCount(*text), int(RichLines(shown).size())) << *out;
        if (c.boldTo > c.boldFrom) {
            // The number stands where the placeholder began, in its format.
            SendMessageW(shown, EM_SETSEL, c.boldFrom, c.boldFrom + 1);
            CHARFORMAT2W cf{};
            cf.cbSize = sizeof(cf);
            SendMessageW(shown, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
            EXPECT_TRUE(cf.dwEffects & CFE_BOLD) << *out;
        }
        // All of it in one colour, whatever colours it had.
        auto coloured = RtfInColour(*out, RGB(0, 128, 0));
        ASSERT_TRUE(coloured) << *out;
        ASSERT_TRUE(RichFromRtf(shown, *coloured));
        EXPECT_EQ(RichPlainText(shown), want);
        SendMessageW(shown, EM_SETSEL, 0, -1);
        CHARFORMAT2W all{};
        all.cbSize = sizeof(all);
        SendMessageW(shown, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&all));
        EXPECT_TRUE((all.dwMask & CFM_COLOR) && all.crTextColor == RGB(0, 128, 0) && !(all.dwEffects & CFE_AUTOCOLOR))
            << *coloured;
    }
    DestroyWindow(src);
    DestroyWindow(shown);
}

}  // namespace
}  // namespace kelup
