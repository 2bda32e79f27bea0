#pragma once
// Date placeholders in a note's text: "%%2025/03/31%%" (or the full-width
// "％％２０２５／０３／３１％％") shows the number of days from today to that
// date. The stored text keeps the placeholder; only the shown copy changes.

#include <string>
#include <string_view>
#include <vector>

namespace kelup {

inline constexpr int kPlaceholderLength = 14;

// "0".."9" to "０".."９" and "-" to "－"; anything else gives "".
std::wstring HanToZen(wchar_t c);
// The other way for a one-character string; anything else gives ' '.
wchar_t ZenToHan(std::wstring_view s);
// Over the characters of `s`: Z1 counts those that open a surrogate pair,
// H1 the plain ones.
void Count2byte(std::wstring_view s, int& Z1, int& H1);

// Days (serial day numbers, 1899-12-30 = 0) of the date field "yyyy?mm?dd",
// or `today` when a part is no number or the date does not exist.
long DateOfField(std::wstring_view field, long today);

// Replaces placeholders in `S`: the first one (Mode 0) or all (Mode 1), every
// half-width one before the first full-width one. Never fails: a malformed
// date counts as today.
void SearchX(std::wstring& S, int Mode, long today);

// One replacement made on a line of a note's text.
struct PlaceholderEdit {
    size_t pos = 0;      // in the line as the earlier edits left it
    size_t length = 0;   // the placeholder, cut at the line's end
    std::wstring text;   // what it shows
};

// The replacements a rebuild of a note's shown text makes on one line (one
// paragraph), in order: the half-width placeholders, then the full-width ones.
std::vector<PlaceholderEdit> LineEdits(std::wstring line, long today);

// True when the text holds an opening marker of either form.
bool HasPlaceholderMarker(std::wstring_view text);

}  // namespace kelup
