// Notes that arrive from the LAN, and read receipts both ways: the answers
// to the sender, the note handed to the store, the history and the log.

#include <winsock2.h>
#include <windows.h>

#include "net/Lan.h"
#include "app/AppWindow.h"
#include "app/ShowMsg.h"
#include "net/Identity.h"
#include "net/LocalNow.h"
#include "net/NativePacket.h"
#include "net/Transcript.h"

namespace kelup {

namespace {

std::wstring NowText() { return FormatDateTime(LocalNow()); }

const wchar_t kMakeFailed[] = L"付箋紙を受信しましたが，付箋紙の生成に失敗しました。";

}  // namespace

void Lan::OnNoteSend(const NoteSendPacket& p, const std::wstring& source) {
    // 1., 2. No free slot: the sender hears so, and the user is told.
    ReceivedNote note = PlanNativeNote(p, source, lists, Config);
    if (!sink_ || !sink_->TextSlotFree()) {
        SendResult(int(NativeResult::Full), note.IP_Addr, L"");
        SendResult(int(NativeResult::Err), note.IP_Addr, L"");
        netLog_.FullLOG(0, ExtractSHostName(p.identity).sHostName);
        int max = sink_ ? sink_->TextSlotMax() : 0;
        ShowMsg(L"付箋紙が最大枚数（" + std::to_wstring(max) + L"枚）に達しているため，" + L"\r" +
                    L"受信した付箋紙を貼ることができませんでした" + L"\r" +
                    L"（ファイルが添付されていた場合は，ファイルのみ別に受信されます）",
                0, shell_.MainHandle());
        return;
    }
    // 3. The sender hears at once, before the note exists.
    SendResult(int(NativeResult::Recieve), note.IP_Addr, L"");
    // 4. - 9.
    std::vector<std::wstring> lines;
    int slot = sink_->MakeOther(note, lines);
    if (slot == kNoFreeSlot) {
        SendResult(int(NativeResult::Err), note.IP_Addr, L"");
        ShowMsg(kMakeFailed, 0, shell_.MainHandle());
        return;
    }
    StickArrived(slot, note, lines);
}

void Lan::OnIpMsgMessage(const IpMsgPacket& p, const std::wstring& source) {
    // 1. The same message again is taken once.
    if (!ipmRepeat_.Accept(p.packetNumber, source)) return;
    // 2.
    if (!IpMsgAutoReply(p.command)) SendResultP(1, source, p.packetNo);
    if (!sink_) return;
    // 3. - 7.
    ReceivedNote note = PlanIpMsgNote(p, source, lists, Config, LocalNow());
    std::vector<std::wstring> lines;
    int slot = sink_->TextSlotFree() ? sink_->MakeOther(note, lines) : kNoFreeSlot;
    if (slot == kNoFreeSlot) {
        ShowMsg(kMakeFailed, 0, shell_.MainHandle());
        return;
    }
    StickArrived(slot, note, lines);
}

void Lan::StickArrived(int slot, const ReceivedNote& note, const std::vector<std::wstring>& lines) {
    // 10., 12. The history, unless the note is sealed.
    if (!note.Hidden() && transcript_) {
        std::vector<std::wstring> h = ArrivalHistoryLines(NowText(), note.historyName, note.IP_Addr);
        for (auto& l : HistoryTextLines(lines)) h.push_back(std::move(l));
        transcript_->AddLines(h, Transcript::Side::Received);
    }
    // 13.
    netLog_.RecvLOG(lines, note.SHostName);
    // 13. - 19.
    sink_->StickReceived(slot, note);
}

void Lan::SendOpenReceipt(const std::wstring& addr, bool ipMessenger, const std::wstring& packetNo) {
    if (addr.empty()) return;
    if (ipMessenger) SendResultP(3, addr, packetNo);
    else SendResult(int(NativeResult::Open), addr, L"");
}

void Lan::OnReadReceipt(ReceiptKind kind, const std::wstring& opener) {
    if (!shell_.EditorOpen()) shell_.App().BringToFront();
    ReceiptNotice n = ReadReceiptNotice(kind, opener, NowText());
    if (transcript_ && transcript_->Shown()) transcript_->AddLines(n.historyLines, Transcript::Side::Sent);
    else ShowMsg(n.message, 0, shell_.MainHandle());
}

}  // namespace kelup
