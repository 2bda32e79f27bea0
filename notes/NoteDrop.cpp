#include "notes/NoteDrop.h"

namespace kelup {

std::wstring UpperExtension(const std::wstring& path) {
    size_t dot = path.find_last_of(L'.');
    size_t slash = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return {};
    std::wstring ext = path.substr(dot);
    for (wchar_t& c : ext)
        if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
    return ext;
}

DropAction ChooseDrop(unsigned fileCount, const std::wstring& path, int fileDropMode, int tomei) {
    if (fileCount > 1) return DropAction::TooMany;
    if (fileDropMode != 0) return DropAction::Associate;
    std::wstring ext = UpperExtension(path);
    if (ext == L".BMP" || ext == L".JPG" || ext == L".JPEG")
        return tomei >= 2 ? DropAction::ImageOnTransparent : DropAction::ImageNote;
    if (ext == L".TXT") return DropAction::TextNote;
    if (ext == L".KDT") return DropAction::ReplaceText;
    return DropAction::Associate;
}

}  // namespace kelup
