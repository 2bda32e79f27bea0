#include "net/SendRules.h"

namespace kelup {

SendDialect SendDialectFor(std::wstring_view sex, std::wstring_view verNo) {
    if (sex == L"8") return SendDialect::IpMessenger;
    return verNo.substr(0, 4) == L"2.00" ? SendDialect::Rich : SendDialect::Plain;
}

std::wstring SizeRefusalMessage(std::uintmax_t bytes) {
    return L"サイズが " + std::to_wstring(bytes) + L"Byteもあるので送れませんでした！";
}

std::wstring JoinLines(const std::vector<std::wstring>& lines, std::wstring_view separator) {
    std::wstring out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) out += separator;
        out += lines[i];
    }
    return out;
}

std::wstring HistoryToLine(const std::vector<ListEntryParts>& recipients) {
    std::wstring line = L"To: ";
    for (const auto& r : recipients) line += r.name + L" (" + r.pcName + L"):" + L" (" + r.ipAddr + L"): ";
    return line;
}

std::wstring LogRecipientName(const ListEntryParts& recipient) {
    return recipient.name + L"（" + recipient.pcName + L"）";
}

std::wstring SentOkText(std::wstring_view name, int others) {
    std::wstring text = L"付箋紙は正常に送信されました\r受信者名　";
    text += name;
    if (others > 0) text += L"　ほか" + std::to_wstring(others) + L"名";
    return text;
}

std::wstring FullMessage(bool attachWithNote) {
    if (attachWithNote)
        return L"相手が作成できる付箋紙の最大枚数を超えているため付箋紙は送信できませんでした\r"
               L"（添付ファイルは付箋紙とは別に転送されるため，ファイルのみ相手に届いている場合があります）";
    return L"相手が作成できる付箋紙の最大枚数を超えているため送信できませんでした";
}

namespace {
// One answer of a send to several is in; true when it was the last.
bool CountAnswer(SendWait& w) {
    w.AwaitAnswer = 0;
    if (w.PendingAnswers > 0) --w.PendingAnswers;
    if (w.PendingAnswers > 0) return false;
    w.NetDisabled = false;
    w.AwaitNoteNo = 999;
    return true;
}
}  // namespace

RecieveOutcome OnRecieveAnswer(SendWait& w) {
    RecieveOutcome o;
    o.last = CountAnswer(w);
    if (!o.last) return o;
    o.tell = w.ShowResult != 0 && (w.SentCount == 0 || w.SentCount > 1);
    o.others = w.SentCount > 1 ? w.SentCount - 1 : 0;
    return o;
}

void OnFullAnswer(SendWait& w, std::uint32_t tick) {
    CountAnswer(w);
    // A tick count of 0 would read as "none".
    w.LastFullTick = tick == 0 ? 1 : tick;
}

bool OnErrAnswer(SendWait& w, std::uint32_t tick) {
    if (w.LastFullTick != 0 && std::uint32_t(tick - w.LastFullTick) < 5000) {
        w.LastFullTick = 0;
        return false;
    }
    return true;
}

}  // namespace kelup
