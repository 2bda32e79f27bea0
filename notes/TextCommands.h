#pragma once
// Helpers of the commands on a note's text: the two hidden rich edits the
// notes share as scratch areas, pasting the clipboard without embedded
// objects and within a size, and printing rich text.

#include <windows.h>

#include <string>

namespace kelup {

// "RichEditX" (one line copied, the clipboard pasted) and "RichEditY" (the
// copied format, the text saved as plain lines): hidden, made when first
// asked for, shared by all notes.
enum class Scratch { X, Y };
HWND ScratchRichEdit(Scratch which);

// A note's text stays within these: more is refused with a message.
inline constexpr size_t kMaxNoteChars = 1'000'000;
inline constexpr size_t kMaxNoteRtfBytes = 8u << 20;

enum class PasteResult { Pasted, NothingToPaste, TooLarge };
// Replaces the selection of `re` with the clipboard's text: as rich text
// when the clipboard's RTF holds no pictures or objects and is within
// kMaxNoteRtfBytes, else as plain text within kMaxNoteChars. Pictures and
// objects are never pasted.
PasteResult PasteClipboardText(HWND re, HWND owner);

// The selection of `re` to the clipboard as rich text and as plain text
// (paragraphs ended by CR LF); false when nothing is selected or the
// clipboard could not be had.
bool CopySelectionToClipboard(HWND re, HWND owner);

// RTF that holds pictures or embedded objects.
bool RtfHasObjects(const std::string& rtf);

// Prints the rich text on `printer` as one document named `docName`, page
// after page; the number of pages printed, 0 when the job failed. With
// `asDocument` false the pages are only laid out on `printer` (tests).
int PrintRichText(HWND re, HDC printer, const std::wstring& docName, bool asDocument = true);

}  // namespace kelup
