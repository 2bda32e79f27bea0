#include "extras/Association.h"

#include <algorithm>

namespace kelup {

std::wstring WithMailto(const std::wstring& text) {
    return text.compare(0, 7, L"mailto:") == 0 ? text : L"mailto:" + text;
}

void RememberAssociation(std::vector<std::wstring>& list, const std::wstring& text) {
    if (text.empty() || std::find(list.begin(), list.end(), text) != list.end()) return;
    list.push_back(text);
}

}  // namespace kelup
