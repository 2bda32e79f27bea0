#include "extras/HistoryText.h"

#include <cwctype>

namespace kelup {

std::wstring TranscriptHeader(std::wstring_view shortDate) {
    return L"会話の履歴 " + std::wstring(shortDate);
}

std::wstring DayLogName(int year, int month, int day) {
    wchar_t buf[32];
    swprintf(buf, 32, L"%04d%02d%02d.log", year, month, day);
    return buf;
}

std::wstring DayLogAppendix(const std::vector<std::wstring>& transcript, bool fileEndsOpen) {
    if (transcript.size() <= 2) return {};
    std::wstring out = fileEndsOpen ? L"\r\n\r\n" : L"\r\n";
    for (size_t i = 2; i < transcript.size(); ++i) out += transcript[i] + L"\r\n";
    return out;
}

std::wstring AppendedLines(const std::vector<std::wstring>& lines, bool afterText) {
    std::wstring out;
    for (const auto& line : lines) {
        if (afterText) out += L'\r';
        afterText = true;
        for (size_t i = 0; i < line.size(); ++i) {
            wchar_t c = line[i];
            if (c == L'\r' || c == L'\n') {
                out += L'\r';
                if (c == L'\r' && i + 1 < line.size() && line[i + 1] == L'\n') ++i;
            } else {
                out += c;
            }
        }
    }
    return out;
}

}  // namespace kelup
