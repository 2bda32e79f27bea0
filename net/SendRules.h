#pragma once
// The rules of sending a note: which dialect and format each recipient gets,
// the size a note may have, the texts the sender is told, and the
// bookkeeping of the answers that come back.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/SendList.h"

namespace kelup {

// How one recipient is sent to: IP Messenger peers (sex "8") get a message,
// copies whose version begins with "2.00" the rich note, older ones the plain.
enum class SendDialect { IpMessenger, Rich, Plain };
SendDialect SendDialectFor(std::wstring_view sex, std::wstring_view verNo);

// A note whose saved text is larger than this is not sent.
inline constexpr std::uintmax_t kMaxSendTextBytes = 56000;
std::wstring SizeRefusalMessage(std::uintmax_t bytes);

// The note's text as the two plain forms travel: lines joined by CR (native
// plain format, no final CR) and by LF (IP Messenger).
std::wstring JoinLines(const std::vector<std::wstring>& lines, std::wstring_view separator);

// The history line of a send: "To: " and, per recipient,
// name (computer): (address): .
std::wstring HistoryToLine(const std::vector<ListEntryParts>& recipients);
// How a recipient is named in the log: name + "（" + computer + "）".
std::wstring LogRecipientName(const ListEntryParts& recipient);

// The texts of the answers.
inline constexpr std::wstring_view kSendFailedMessage = L"送信に失敗しました";
inline constexpr std::wstring_view kSendErrorMessage = L"送信エラーになりました";
// "付箋紙は正常に送信されました\r受信者名　" + name, and "　ほか" n "名" for the
// others of a send to several.
std::wstring SentOkText(std::wstring_view name, int others);
std::wstring FullMessage(bool attachWithNote);

// What a send in progress waits for. One send at a time: a single recipient
// waits in KelupSend; a send to several counts its answers.
struct SendWait {
    int AwaitAnswer = 0;        // 1 while an answer is awaited
    int AwaitNoteNo = 999;      // the slot being sent; 999 none
    int PendingAnswers = 0;     // answers still expected from a send to several
    int SentCount = 0;          // recipients of that send (0 for a single one)
    int ShowResult = 0;         // -1: tell the user when the note arrived
    bool AttachWithNote = false;
    std::uint32_t LastFullTick = 0;   // tick of the last KL_FULL; 0 none
    bool NetDisabled = false;   // sending is disabled until the answers are in
};

// "KL_RECIEVE". `last` is set when this was the answer that ended the send
// (always for a single recipient); then the user may be told.
struct RecieveOutcome {
    bool last = false;
    bool tell = false;          // ShowResult was set
    int others = 0;             // "ほか n 名": SentCount - 1 for a send to several
};
RecieveOutcome OnRecieveAnswer(SendWait& w);
// "KL_FULL" at `tick`: the send is over for this recipient.
void OnFullAnswer(SendWait& w, std::uint32_t tick);
// "KL_ERR" at `tick`: true when the error is to be shown. A full recipient
// sends KL_FULL and then KL_ERR: the second is swallowed within 5 seconds.
// The wait goes on (the single-recipient send keeps retrying).
bool OnErrAnswer(SendWait& w, std::uint32_t tick);

// The recent-recipients menu: the mark of an entry's kind.
inline std::wstring_view RecentMark(std::wstring_view sex) { return sex == L"8" ? L"☆" : L"★"; }

}  // namespace kelup
