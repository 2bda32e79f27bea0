#pragma once
// Rules of the image notes that need no window: names for picture copies in
// the data folder, which folder a picture lies in, and the size a received
// picture is shown at.

#include <string>

namespace kelup {

// The folder part of a path, with its separator ("C:\a\b.jpg" -> "C:\a\").
std::wstring FolderOfPath(const std::wstring& path);
// The name part of a path ("C:\a\b.jpg" -> "b.jpg").
std::wstring NameOfPath(const std::wstring& path);
// Whether two folders are the same, as Windows compares names: case and the
// kind and number of trailing separators do not matter.
bool SameFolder(const std::wstring& a, const std::wstring& b);

struct PictureBox {
    int width = 0, height = 0;
};
// The size a received picture is shown at: the size its sender announced
// (the note as the sender showed it), brought within the screen with its
// proportions kept. An announced size that is no size at all (0, negative)
// gives the picture's own size as loaded.
PictureBox ReceivedPictureSize(PictureBox announced, PictureBox picture, PictureBox screen);

}  // namespace kelup
