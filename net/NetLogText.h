#pragma once
// The entries of the send/receive log as text: each line ended by CR LF,
// and one more line holding CR LF after the entry, so that entries stand
// apart. The caller supplies the time stamp and today's day number, so
// the text is the same on every machine for the same input.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelup {

// The name as the log shows it: everything from the first "##" on is cut
// off (the rest of an identity field); a name without "##" stays whole.
std::wstring LogName(std::wstring_view name);

// `when` is the date and time of the entry ("2026/12/08 23:51:07"); the
// note's lines get their date placeholders worked out against `today`
// (serial day number).
std::wstring SendEntryText(const std::vector<std::wstring>& lines, std::wstring_view recipient,
                           std::wstring_view when, long today);
std::wstring RecvEntryText(const std::vector<std::wstring>& lines, std::wstring_view sender,
                           std::wstring_view when, long today);
// Mode 1: the recipient's slots were full; any other mode: ours were, with
// `maxTextNotes` slots.
std::wstring FullEntryText(int mode, std::wstring_view name, std::wstring_view when, int maxTextNotes);

// The command line that opens `file` in `editor`: the editor, a space and
// the file between double quotes. Nothing when it takes more than 255 bytes
// in code page 932: a path cut short would open the wrong file.
std::optional<std::wstring> EditorCommandLine(std::wstring_view editor, std::wstring_view file);
inline constexpr std::size_t kEditorCommandMax = 255;

}  // namespace kelup
