#pragma once
// The header of a 32-bit top-down bitmap: the form the program draws and
// reads its pictures in.

#include <windows.h>

namespace kelup {

inline BITMAPINFO TopDownDib32(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

}  // namespace kelup
