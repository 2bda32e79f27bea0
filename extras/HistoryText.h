#pragma once
// The history window's texts that do not need a window: the day file's name
// and what a run adds to it, the lines an entry adds, and which links open
// without a question.

#include <string>
#include <string_view>
#include <vector>

namespace kelup {

// "会話の履歴 " and the date: the first line of every transcript.
std::wstring TranscriptHeader(std::wstring_view shortDate);

// YYYYMMDD + ".log", the day file of the given date.
std::wstring DayLogName(int year, int month, int day);

// What a program end appends to the day file: an empty line, then every
// transcript line from the third on, each ended by CR LF. Nothing when the
// transcript has two lines or fewer (the header and the empty line before
// the first entry). `fileEndsOpen` says the file as it is does not end with
// a line end, which then comes first.
std::wstring DayLogAppendix(const std::vector<std::wstring>& transcript, bool fileEndsOpen);

// The text that adds `lines` at the end of the transcript: a paragraph each,
// a CR or LF inside a line (CR LF counting once) starting another.
// `afterText` says the transcript is not empty, so the first line starts a
// new paragraph.
std::wstring AppendedLines(const std::vector<std::wstring>& lines, bool afterText);

}  // namespace kelup
