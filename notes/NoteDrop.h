#pragma once
// What a file dropped on a text note does.

#include <string>

namespace kelup {

enum class DropAction {
    TooMany,              // "複数ﾌｧｲﾙのﾄﾞﾛｯﾌﾟはｻﾎﾟｰﾄされていません"
    Associate,            // the note opens the file from now on
    ImageNote,            // a new image note from the picture
    ImageOnTransparent,   // "この透明付箋紙に画像ファイルはドロップできません"
    TextNote,             // a new text note from the text file
    ReplaceText,          // the note's text from a note text file, when the user agrees
};

DropAction ChooseDrop(unsigned fileCount, const std::wstring& path, int fileDropMode, int tomei);

// The extension of a path in upper case with its dot (".JPEG"), or empty.
std::wstring UpperExtension(const std::wstring& path);

}  // namespace kelup
