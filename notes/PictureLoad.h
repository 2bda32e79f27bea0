#pragma once
// Pictures for the image notes as the system draws them: from a file (JPEG
// through libjpeg, bitmaps and icons through the system after their headers
// are checked), from and to the clipboard, and written as a bitmap file.

#include <windows.h>

#include <string>

#include "base/Handles.h"
#include "notes/Picture.h"

namespace kelup {

struct LoadedPicture {
    PictureType type = PictureType::None;
    AutoBitmap bitmap;             // bitmaps and JPEG: a 32-bit top-down DIB section
    UniqueHandle<HICON, IconTraits> icon;   // icons
    int width = 0, height = 0;     // as decoded (a large picture comes scaled down)
    int orgWidth = 0, orgHeight = 0;   // the picture's own size
};

enum class LoadResult { Ok, NotAPicture, TooLarge, Unreadable };

// Reads `path` as a picture of `type`. Pictures larger than fitW × fitH
// (0: no bound) come scaled down to fit, keeping their proportions.
LoadResult LoadPictureFile(const std::wstring& path, PictureType type, LoadedPicture& out, int fitW = 0,
                           int fitH = 0);

// The clipboard holds a picture (a bitmap or a device-independent bitmap).
bool ClipboardHasPicture();
// The clipboard's picture as a bitmap; NotAPicture when there is none.
LoadResult PictureFromClipboard(HWND owner, LoadedPicture& out, int fitW = 0, int fitH = 0);
// The picture to the clipboard as a bitmap; false when the clipboard could not be had.
bool PictureToClipboard(HWND owner, const LoadedPicture& picture);
// Writes the picture as a 24-bit bitmap file; false when it could not be written.
bool SaveBitmapFile(const LoadedPicture& picture, const std::wstring& path);

}  // namespace kelup
