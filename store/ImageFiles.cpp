#include "store/ImageFiles.h"

#include <algorithm>
#include <cwctype>

namespace kelup {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring Folded(const std::wstring& folder) {
    std::wstring out;
    out.reserve(folder.size());
    for (wchar_t c : folder) out += IsSeparator(c) ? L'\\' : wchar_t(std::towlower(c));
    while (!out.empty() && out.back() == L'\\') out.pop_back();
    return out;
}

}  // namespace

std::wstring FolderOfPath(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep + 1);
}

std::wstring NameOfPath(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    if (a.empty() || b.empty()) return false;
    return Folded(a) == Folded(b);
}

PictureBox ReceivedPictureSize(PictureBox announced, PictureBox picture, PictureBox screen) {
    PictureBox box = announced.width > 0 && announced.height > 0 ? announced : picture;
    if (box.width <= 0 || box.height <= 0) return PictureBox{200, 200};
    if (screen.width > 0 && screen.height > 0 && (box.width > screen.width || box.height > screen.height)) {
        // Scaled by the side that overflows most, in 64 bits: the sender's
        // numbers may be anything.
        long long w = box.width, h = box.height;
        if (w * screen.height > h * screen.width) {
            h = std::max<long long>(1, h * screen.width / w);
            w = screen.width;
        } else {
            w = std::max<long long>(1, w * screen.height / h);
            h = screen.height;
        }
        box = PictureBox{int(w), int(h)};
    }
    return box;
}

}  // namespace kelup
