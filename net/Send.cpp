// Sending a note to the recipients chosen in the editor, in each one's
// dialect, waiting for the answer of a single recipient, and the answers
// that come back.

#include <winsock2.h>
#include <windows.h>

#include "net/Lan.h"

#include "app/AppWindow.h"
#include "app/DateText.h"
#include "app/ShowMsg.h"
#include "base/Cp932.h"
#include "net/LocalNow.h"
#include "net/NativePacket.h"
#include "net/Transcript.h"

namespace kelup {

namespace {

// RTF with every line ended by CR LF, as it travels.
std::wstring RtfWithCrLf(const std::string& rtf) {
    std::string out;
    out.reserve(rtf.size() + rtf.size() / 32);
    for (size_t i = 0; i < rtf.size(); ++i) {
        char c = rtf[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < rtf.size() && rtf[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
    return FromCp932(out);
}

}  // namespace

bool Lan::Sending() {
    // Answers that never come (a copy that left meanwhile) do not keep
    // sending off for the rest of the run.
    if (wait_.NetDisabled && GetTickCount() - multiSentAt_ > kMultiSendPatience) wait_ = SendWait{};
    return inKelupSend_ || wait_.NetDisabled;
}

void Lan::BringAppForward() {
    if (shell_.EditorOpen()) return;
    shell_.App().BringToFront();
}

bool Lan::KelupSendAction(const OutgoingNote& note, const SendRequest& req, int mode) {
    // 1. Nothing to send to, or only a file to send.
    if (req.recipients.empty() && mode != 3) return false;
    if (Off() || NativeSock == INVALID_SOCKET) return false;
    // The file step: the chosen file (options 1 and 2) or the note's
    // associated file (option 3) is offered to the first recipient; it
    // travels on its own once that copy is ready for it.
    if (req.fileSendOpt > 0 && !req.recipients.empty()) {
        const std::wstring& file = req.fileSendOpt == 3 ? note.openFName : req.filePath;
        const std::wstring addr = ListNameExtract(req.recipients.front()).ipAddr;
        if (file.empty() || !fileOffers_ || !fileOffers_->OfferFile(addr, file, req.cb_SendOk)) return false;
    }
    if (req.fileSendOpt == 1) return false;
    if (Sending()) {
        ShowMsg(L"前の付箋紙の送信がまだ終わっていません\rしばらくしてからもう一度送信してください", MB_ICONEXCLAMATION);
        return false;
    }
    // 2.
    wait_.AttachWithNote = req.fileSendOpt >= 2;
    wait_.PendingAnswers = 0;
    wait_.SentCount = 0;
    wait_.ShowResult = req.cb_SendOk ? -1 : 0;

    // 3. The size that counts is the saved rich text's; the two plain forms.
    const std::uintmax_t size = note.rtf.size();
    const std::wstring plainText = JoinLines(note.lines, L"\r");
    const std::wstring ipmText = JoinLines(note.lines, L"\n");

    // 6. Both note packets.
    const LocalDateTime now = LocalNow();
    NoteSendPacket packet;
    packet.addr = MyIPAddr;
    packet.identity = MyHostName;
    packet.sent = now;
    packet.lineCount = std::int32_t(note.lines.size());
    const bool sealed = req.cb_huseru;
    packet.hiding = sealed ? (req.cb_Password ? 2 : 1) : 0;
    packet.alert = (req.cb_Zenmen ? 1 : 0) + (req.cb_Check ? 2 : 0);
    packet.colour = note.colour;
    packet.left = note.left, packet.top = note.top, packet.width = note.width, packet.height = note.height;
    packet.titleFontSize = note.title.size;
    packet.bodyFontSize = note.body.size;
    packet.titleColour = std::int32_t(note.title.color);
    packet.bodyColour = std::int32_t(note.body.color);
    packet.titleStyle = note.title.style;
    packet.bodyStyle = note.body.style;
    packet.tomei = note.tomei;
    packet.titleFont = note.title.name;
    packet.bodyFont = note.body.name;
    packet.waku = note.waku;
    packet.deadline = note.deadline;

    NoteSendPacket plain = packet;
    if (!note.openFName.empty()) {
        size_t cut = note.openFName.find_last_of(L"\\/");
        plain.kanren = cut == std::wstring::npos ? note.openFName : note.openFName.substr(cut + 1);
    }
    plain.text = plainText;
    NoteSendPacket rich = packet;
    rich.kanren = note.openFName;
    rich.text = RtfWithCrLf(note.rtf);
    const std::string plainBytes = BuildNoteSend(plain, NoteFormat::Plain).value_or(std::string());
    const std::string richBytes = BuildNoteSend(rich, NoteFormat::Rich).value_or(std::string());

    // 7. The history.
    std::vector<ListEntryParts> parts;
    for (const auto& r : req.recipients) parts.push_back(ListNameExtract(r));
    if (transcript_) transcript_->AddLines({L" ", NowText(), HistoryToLine(parts)}, Transcript::Side::Sent);

    // 8.
    wait_.AwaitNoteNo = note.slot;
    auto tooLarge = [&] {
        if (size <= kMaxSendTextBytes) return false;
        ShowMsg(SizeRefusalMessage(size), MB_ICONEXCLAMATION);
        return true;
    };
    auto packetFor = [&](const ListEntryParts& p) -> const std::string& {
        return SendDialectFor(p.sex, p.verNo) == SendDialect::Rich ? richBytes : plainBytes;
    };
    if (mode == 3) {
        if (tooLarge()) return false;
        KelupSend(plainBytes, req.TypedAddr, note.slot);
        netLog_.SendLOG(note.lines, req.TypedAddr);
    } else if (parts.size() == 1) {
        const ListEntryParts& p = parts.front();
        if (SendDialectFor(p.sex, p.verNo) == SendDialect::IpMessenger) {
            // IP Messenger peers confirm with a receipt of their own; nothing waits for it.
            PacketSendP(p.ipAddr, sealed, sealed && req.cb_Password, ipmText);
            netLog_.SendLOG(note.lines, LogRecipientName(p));
        } else {
            if (tooLarge()) return false;
            if (packetFor(p).empty()) return false;
            KelupSend(packetFor(p), p.ipAddr, note.slot);
            if (shell_.State().Closing) return true;
            netLog_.SendLOG(note.lines, LogRecipientName(p));
        }
    } else {
        // The note is too large for a copy of ours: nobody gets it, rather
        // than those before that copy in the list.
        int native = 0;
        for (const auto& p : parts) native += SendDialectFor(p.sex, p.verNo) != SendDialect::IpMessenger;
        if (native > 0 && tooLarge()) return false;
        // Only copies of ours answer KL_RECIEVE; IP Messenger peers are not waited for.
        wait_.AwaitNoteNo = note.slot;
        wait_.SentCount = int(parts.size());
        wait_.PendingAnswers = native;
        wait_.AwaitAnswer = native > 0 ? 1 : 0;
        wait_.NetDisabled = native > 0;
        multiSentAt_ = GetTickCount();
        for (const auto& p : parts) {
            if (SendDialectFor(p.sex, p.verNo) == SendDialect::IpMessenger) {
                PacketSendP(p.ipAddr, sealed, sealed && req.cb_Password, ipmText);
            } else {
                PacketSend(p.ipAddr, packetFor(p));
                if (shell_.State().Closing) return true;
            }
            netLog_.SendLOG(note.lines, LogRecipientName(p));
        }
    }
    return true;
}

void Lan::KelupSend(const std::string& data, const std::wstring& ipa, int slot) {
    // 1.-3.
    wait_.AwaitAnswer = 1;
    wait_.AwaitNoteNo = slot;
    inKelupSend_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{inKelupSend_};
    PacketSend(ipa, data);
    shell_.Delay(2000);
    // 4. The retries.
    for (int i = 0; i < Config.RetryCount && wait_.AwaitAnswer == 1; ++i) {
        if (shell_.State().Closing) return;
        shell_.Delay(DWORD(std::max(0, Config.RetryTime)) * 1000);
        if (wait_.AwaitAnswer != 1 || shell_.State().Closing) break;
        PacketSend(ipa, data);
    }
    if (shell_.State().Closing) return;
    // 5.
    if (wait_.AwaitAnswer == 1) {
        wait_.AwaitAnswer = 0;
        wait_.AwaitNoteNo = 999;
        ShowMsg(std::wstring(kSendFailedMessage), MB_ICONEXCLAMATION);
    }
}

void Lan::OnSendAnswer(NativeCommand command, const ResultPacket& packet) {
    const std::wstring name = NameFromList(packet.sender.identity);
    switch (command) {
        case NativeCommand::Recieve: {
            RecieveOutcome o = OnRecieveAnswer(wait_);
            if (!o.last) return;
            BringAppForward();
            if (!o.tell) return;
            const std::wstring when = NowText();
            if (transcript_ && transcript_->Shown()) {
                transcript_->AddLines({when, SentOkText(name, o.others)}, Transcript::Side::Sent);
            } else {
                ShowMsg(when + L"\r" + SentOkText(name, o.others), MB_ICONINFORMATION);
            }
            return;
        }
        case NativeCommand::Full:
            OnFullAnswer(wait_, GetTickCount());
            netLog_.FullLOG(1, packet.sender.identity);
            ShowMsg(FullMessage(wait_.AttachWithNote), MB_ICONEXCLAMATION);
            return;
        case NativeCommand::Err:
            if (OnErrAnswer(wait_, GetTickCount())) ShowMsg(std::wstring(kSendErrorMessage), MB_ICONEXCLAMATION);
            return;
        default:
            return;
    }
}

}  // namespace kelup
