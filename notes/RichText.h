#pragma once
// Helpers on a rich edit control: RTF in and out, plain lines, the typing
// font and the line spacing.

#include <windows.h>

#include <string>
#include <vector>

namespace kelup {

// The rich edit window class of msftedit.dll.
inline constexpr wchar_t kRichEditClass[] = L"RICHEDIT50W";

// RTF as the control writes it.
std::string RichToRtf(HWND re);
// Replaces the content with RTF (or plain text in the ANSI code page when the
// bytes are not RTF). False when nothing could be read.
bool RichFromRtf(HWND re, const std::string& bytes);

// The text as plain lines, one per paragraph.
std::vector<std::wstring> RichLines(HWND re);
std::wstring RichPlainText(HWND re);
void RichClear(HWND re);
void RichAppendLine(HWND re, const std::wstring& line);

struct TextFont {
    std::wstring name;
    int size = 12;          // points
    COLORREF color = 0;
    int style = 0;          // decimal digits: bold, italic, underline, strike-out
};
// The typing font and the font of all text there is.
void RichSetFont(HWND re, const TextFont& font);
// The font at the start of paragraph `paragraph` (the last one when there
// are fewer).
TextFont RichFontAtParagraph(HWND re, int paragraph);
// Font code digits to CHARFORMAT effects, and back.
DWORD StyleToEffects(int style);
int EffectsToStyle(DWORD effects);
// A style code applied to the typing font digit by digit (see FontSet).
void RichFontSet(HWND re, int style);
// Line spacing in twentieths of a line (20 single ... 60 triple) on all text.
void RichSetLineSpace(HWND re, int lineSpace);

}  // namespace kelup
