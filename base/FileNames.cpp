#include "base/FileNames.h"

namespace kelup {

std::wstring FreeFileName(std::wstring_view name, const std::function<bool(const std::wstring&)>& exists) {
    std::wstring candidate(name);
    if (!exists(candidate)) return candidate;
    std::size_t dot = name.rfind(L'.');
    if (dot == 0) dot = std::wstring_view::npos;
    std::wstring_view stem = name.substr(0, dot == std::wstring_view::npos ? name.size() : dot);
    std::wstring_view ext = dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot);
    for (int n = 2; n < 100000; ++n) {
        candidate = std::wstring(stem) + L"(" + std::to_wstring(n) + L")" + std::wstring(ext);
        if (!exists(candidate)) return candidate;
    }
    return {};
}

}  // namespace kelup
