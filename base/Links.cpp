#include "base/Links.h"

#include <string>

namespace kelup {

bool OpensUnasked(std::wstring_view target) {
    for (wchar_t c : target)
        if (c < 0x20 || c == 0x7F) return false;
    auto lower = [](std::wstring_view s, std::size_t n) {
        std::wstring out(s.substr(0, n));
        for (auto& c : out)
            if (c >= L'A' && c <= L'Z') c = wchar_t(c - L'A' + L'a');
        return out;
    };
    for (std::wstring_view scheme : {L"http://", L"https://", L"mailto:"}) {
        if (target.size() > scheme.size() && lower(target, scheme.size()) == scheme) return true;
    }
    return false;
}

}  // namespace kelup
