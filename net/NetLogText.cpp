#include "net/NetLogText.h"

#include "base/Cp932.h"
#include "dates/Placeholders.h"

namespace kelup {

namespace {

constexpr wchar_t kCrLf[] = L"\r\n";

void Line(std::wstring& out, std::wstring_view text) {
    out += text;
    out += kCrLf;
}

std::wstring Head(std::wstring_view title, std::wstring_view whenLabel, std::wstring_view when,
                  std::wstring_view nameLabel, std::wstring_view name) {
    std::wstring out;
    Line(out, title);
    Line(out, std::wstring(L"[") + std::wstring(whenLabel) + L":" + std::wstring(when) + L"]");
    Line(out, std::wstring(L"[") + std::wstring(nameLabel) + L":" + LogName(name) + L"]");
    return out;
}

std::wstring WithNoteLines(std::wstring out, const std::vector<std::wstring>& lines, long today) {
    for (std::wstring line : lines) {
        SearchX(line, 1, today);
        Line(out, line);
    }
    Line(out, kCrLf);
    return out;
}

}  // namespace

std::wstring LogName(std::wstring_view name) {
    size_t cut = name.find(L"##");
    return std::wstring(name.substr(0, cut));
}

std::wstring SendEntryText(const std::vector<std::wstring>& lines, std::wstring_view recipient,
                           std::wstring_view when, long today) {
    return WithNoteLines(Head(L"<<送信>>", L"送信日時", when, L"送信先", recipient), lines, today);
}

std::wstring RecvEntryText(const std::vector<std::wstring>& lines, std::wstring_view sender,
                           std::wstring_view when, long today) {
    return WithNoteLines(Head(L"<<受信>>", L"受信日時", when, L"送信元", sender), lines, today);
}

std::wstring FullEntryText(int mode, std::wstring_view name, std::wstring_view when, int maxTextNotes) {
    std::wstring out;
    if (mode == 1) {
        out = Head(L"<<送信失敗>>", L"送信日時", when, L"送信先", name);
        Line(out, L"[理由:相手が作成できる付箋紙の最大枚数を超えているため送信できませんでした]");
    } else {
        out = Head(L"<<受信失敗>>", L"受信日時", when, L"送信元", name);
        Line(out, L"[理由:付箋紙が最大枚数（" + std::to_wstring(maxTextNotes) + L"枚）に達しているため受信できませんでした]");
    }
    Line(out, kCrLf);
    return out;
}

std::optional<std::wstring> EditorCommandLine(std::wstring_view editor, std::wstring_view file) {
    std::wstring line = std::wstring(editor) + L" \"" + std::wstring(file) + L"\"";
    if (ToCp932(line).size() > kEditorCommandMax) return std::nullopt;
    return line;
}

}  // namespace kelup
