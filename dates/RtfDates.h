#pragma once
// Date placeholders worked out in a note's RTF itself: the shown text of a
// note is its stored RTF with each placeholder's characters replaced by the
// number, in the format of the placeholder's first character. Done on the
// bytes, the result goes to the note's rich edit in one stream, which is far
// cheaper than editing the control's text piece by piece.

#include <optional>
#include <string>
#include <string_view>

namespace kelup {

// The RTF with every placeholder replaced for `today` (a serial day), as a
// rebuild in a rich edit does it paragraph by paragraph; nullopt for RTF this
// reader does not follow (embedded objects, tables, text in a code page it
// does not know), which the caller then rebuilds the slow way.
std::optional<std::string> RtfWithDates(std::string_view rtf, long today);

// The text the RTF shows ('\r' between paragraphs), as far as this reader
// follows it; nullopt where RtfWithDates gives up.
std::optional<std::wstring> RtfShownText(std::string_view rtf);

// The RTF with all of its text in `colour` (a Windows colour value: red in
// the low byte): the colour is added to the colour table and takes the place
// of every colour the text had. Nullopt when the document has no colour table.
std::optional<std::string> RtfInColour(std::string_view rtf, int colour);

// The number of lines a rich edit shows for that text.
int ShownLineCount(std::wstring_view shown);

}  // namespace kelup
