#include "store/PeelLog.h"

namespace kelup {

std::wstring PeelLogEntry(const std::wstring& made, const std::wstring& peeled,
                          const std::vector<std::wstring>& lines, const std::vector<std::wstring>* comment) {
    std::wstring e = L"[作成した日時:" + made + L"]\r\n";
    e += L"[はがした日時:" + peeled + L"]\r\n";
    for (const auto& l : lines) e += l + L"\r\n";
    if (comment) {
        e += L"[コメント]\r\n";
        for (const auto& l : *comment) e += l + L"\r\n";
    }
    // A line that itself holds CR LF: entries stand two empty lines apart.
    e += L"\r\n\r\n";
    return e;
}

}  // namespace kelup
