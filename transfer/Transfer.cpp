// File and picture transfer on the main thread: offers, announcements and
// their answers, and what is done with a file once it has arrived.

#include "transfer/Transfer.h"

#include <commdlg.h>

#include <cmath>
#include <memory>

#include "app/Shell.h"
#include "app/ShowMsg.h"
#include "base/FileNames.h"
#include "base/FileOps.h"
#include "base/Messages.h"
#include "dates/DateTime.h"
#include "net/Identity.h"
#include "net/LocalNow.h"
#include "net/NativePacket.h"
#include "net/PacketTime.h"
#include "res/resource.h"
#include "transfer/TransferEvent.h"
#include "transfer/TransferRules.h"

namespace kelup {

namespace {

// What the sender hears.
const wchar_t kFileRefused[] = L"指定した相手はファイルの受信を\r制限しており送信できません";
const wchar_t kImageRefused[] = L"指定した相手はイメージ付箋紙の受信を\r制限しており送信できません";
const wchar_t kSendError[] = L"エラーのため送信できませんでした";
const wchar_t kFileSent[] = L"ファイル転送が完了しました";
const wchar_t kImageSent[] = L"イメージ転送が完了しました";
const wchar_t kSendAborted[] = L"ファイル受信側にエラーが発生しました\r\n送信処理は中断されます";
// What the receiver hears.
const wchar_t kReceiveAborted[] = L"ファイル送信側にエラーが発生しました\r\n受信処理は中断されます";
const wchar_t kDiskFailed[] = L"受信したファイルを書き込めませんでした（ディスクの空きが足りないか，書き込みが許されていません）\r受信処理は中断されます";
const wchar_t kLeftAt[] = L"受信したファイルは，下記の場所に残っています\r";

// How long the listener waits for its connection unless kelup.ini says
// otherwise ([Option] TransferWaitSec, for tests).
constexpr int kListenerWaitSec = 60;

std::wstring FolderOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring NameOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring StemOf(const std::wstring& name) {
    std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

}  // namespace

Transfer::Transfer(Shell& shell) : shell_(shell) {}

Transfer::~Transfer() {
    // Threads blocked on a socket return once it is closed; a reception cut
    // short removes its partial file.
    CloseAllSockets();
    for (auto& w : threads_)
        if (w.thread.joinable()) w.thread.join();
    if (wsaStarted_) WSACleanup();
}

template <class Job>
void Transfer::StartWorker(void (Transfer::*body)(Job), Job job) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread t([this, body, done, job = std::move(job)]() mutable {
        (this->*body)(std::move(job));
        done->store(true);
    });
    threads_.push_back(Worker{std::move(t), done});
}

void Transfer::JoinFinished() {
    for (auto it = threads_.begin(); it != threads_.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
}

bool Transfer::StartWinsock() {
    if (wsaStarted_) return true;
    WSADATA wsa;
    wsaStarted_ = WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    return wsaStarted_;
}

DWORD Transfer::ListenerWaitMs() const {
    int sec = int(GetPrivateProfileIntW(L"Option", L"TransferWaitSec", kListenerWaitSec,
                                        shell_.Path().IniPath.c_str()));
    if (sec < 1 || sec > 3600) sec = kListenerWaitSec;
    return DWORD(sec) * 1000;
}

bool Transfer::LimitChecked(UINT id) const {
    UINT state = GetMenuState(shell_.PopupMenu1(), id, MF_BYCOMMAND);
    return state != UINT(-1) && (state & MF_CHECKED) != 0;
}

void Transfer::M_FileRecvLimClick() {
    CheckMenuItem(shell_.PopupMenu1(), ID_M_FileRecvLim,
                  MF_BYCOMMAND | (LimitChecked(ID_M_FileRecvLim) ? MF_UNCHECKED : MF_CHECKED));
}

void Transfer::M_ImageRecvLimClick() {
    CheckMenuItem(shell_.PopupMenu1(), ID_M_ImageRecvLim,
                  MF_BYCOMMAND | (LimitChecked(ID_M_ImageRecvLim) ? MF_UNCHECKED : MF_CHECKED));
}

// --- offers --------------------------------------------------------------------------

bool Transfer::OfferFile(const std::wstring& addr, const std::wstring& path, bool confirm) {
    if (!link_ || addr.empty()) return false;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ShowMsg(L"ファイル「" + NameOf(path) + L"」を開けませんでした", MB_ICONEXCLAMATION, shell_.MainHandle());
        return false;
    }
    const std::uint64_t size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    XferPeerAddr = addr;
    XferFilePath = path;
    offered_ = 6;
    offeredSize_ = size;
    confirm_ = confirm;
    // The announcement must fit its datagram: a long name is shortened.
    for (std::size_t maxChars : {100u, 60u, 30u, 12u}) {
        std::wstring extra = AnnouncedFileName(path, maxChars) + L";" + std::to_wstring(size) + L";";
        if (link_->SendTransferResult(int(NativeResult::FileSendReady), addr, extra)) return true;
    }
    offered_ = 0;
    return false;
}

bool Transfer::OfferImage(const ImageOffer& offer) {
    if (!link_ || offer.addr.empty()) return false;
    long long size = FileSizeOf(offer.path);
    if (size <= 0) {
        ShowMsg(L"イメージファイル「" + NameOf(offer.path) + L"」を開けませんでした", MB_ICONEXCLAMATION,
                shell_.MainHandle());
        return false;
    }
    XferPeerAddr = offer.addr;
    XferFilePath = offer.path;
    offered_ = 7;
    offeredSize_ = std::uint64_t(size);
    confirm_ = offer.confirm;
    OpenBKelupNo = offer.slot;
    removeAfter_ = offer.removeAfter;
    if (link_->SendImageAnnouncement(offer.addr, AnnouncedFileName(offer.path, 60), std::uint64_t(size), offer.width,
                                     offer.height, offer.hidden, offer.bmpMode, offer.title))
        return true;
    offered_ = 0;
    OpenBKelupNo = 999;
    return false;
}

// --- datagrams -----------------------------------------------------------------------

void Transfer::OnTransferPacket(const ResultPacket& packet, const std::wstring& source) {
    switch (packet.command) {
        case NativeCommand::FileSendReady:
        case NativeCommand::ImageSendReady:
            OnAnnouncement(packet, source);
            break;
        default:
            OnAnswer(packet, source);
            break;
    }
}

void Transfer::OnAnnouncement(const ResultPacket& p, const std::wstring& source) {
    if (!link_ || source.empty()) return;
    const bool image = p.command == NativeCommand::ImageSendReady;
    if (image ? !p.image : !p.file) return;
    const std::uint64_t size = image ? p.image->size : p.file->size;
    // A "picture" that is no picture an image note shows never comes in.
    const bool usable = p.usable && (!image || !PictureExtension(p.image->fileName).empty());
    const Settings& c = shell_.Config();
    ReceiveLimit limit{image ? c.ImageRecvLim : c.FileRecvLim, image ? c.ImageRecvLimKB : c.FileRecvLimKB,
                       LimitChecked(image ? ID_M_ImageRecvLim : ID_M_FileRecvLim)};
    // 3. - 5. The fields of a reception under way stay as they are.
    switch (DecideAnnouncement(usable, size, limit, RecvKind != 0 || saving_)) {
        case AnnounceAnswer::Error:
            link_->SendTransferResult(int(image ? NativeResult::ImageRecievErr : NativeResult::FileRecievErr), source, L"");
            return;
        case AnnounceAnswer::Refused:
            link_->SendTransferResult(int(image ? NativeResult::ImageRecievNg : NativeResult::FileRecievNg), source, L"");
            return;
        case AnnounceAnswer::Busy:
            link_->SendTransferResult(int(NativeResult::Busy), source, L"");
            return;
        case AnnounceAnswer::Ready:
            break;
    }
    // 1., 2.
    RecvPeerAddr = source;
    RecvFileName = image ? p.image->fileName : p.file->fileName;
    RecvSize = size;
    RecvSenderName = ExtractSHostName(p.sender.identity).sHostName;
    recvImage_ = ReceivedPicture{};
    if (image) {
        const ImageAnnounce& img = *p.image;
        recvImage_.width = img.width;
        recvImage_.height = img.height;
        recvImage_.hidden = img.hidden == 1;
        recvImage_.bmpMode = img.bmpMode;
        recvImage_.senderIdentity = img.senderIdentity;
        recvImage_.senderAddr = source;
        recvImage_.title = img.title;
        double now = NowAsDateTime();
        recvImage_.sendDate = std::floor(now);
        recvImage_.sendTime = now - std::floor(now);
    }
    // 6.
    RecvKind = image ? 7 : 6;
    if (!StartListener()) {
        RecvKind = 0;
        link_->SendTransferResult(int(image ? NativeResult::ImageRecievErr : NativeResult::FileRecievErr), source, L"");
        return;
    }
    link_->SendTransferResult(int(image ? NativeResult::ImageRecievReady : NativeResult::FileRecievReady), source, L"");
}

bool Transfer::StartListener() {
    if (!StartWinsock()) return false;
    SOCKET s = OpenListener(shell_.Config().TCPPort);
    if (s == INVALID_SOCKET) return false;
    // A temporary file of its own beside the data file.
    const std::wstring folder = shell_.Path().DataDir;
    const std::uint32_t stamp = DosDateTime(LocalNow());
    std::wstring temp;
    for (int attempt = 1; attempt < 1000; ++attempt) {
        temp = folder + TempReceiveName(stamp, attempt);
        if (!FileExists(temp)) break;
    }
    RecvTempPath = temp;
    if (!Track(s)) return false;
    ++recvSerial_;
    StartWorker(&Transfer::ListenerThread,
                Listen{s, RecvPeerAddr, RecvTempPath, RecvSize, ListenerWaitMs(), shell_.MainHandle(),
                                 recvSerial_});
    return true;
}

void Transfer::OnAnswer(const ResultPacket& p, const std::wstring& source) {
    // Answers count only from the peer we offered to.
    if (source != XferPeerAddr) return;
    switch (p.command) {
        case NativeCommand::FileRecievReady:
        case NativeCommand::ImageRecievReady: {
            int kind = p.command == NativeCommand::FileRecievReady ? 6 : 7;
            if (offered_ != kind) return;
            offered_ = 0;
            SendKind = kind;
            SendFileToPeer(XferPeerAddr, XferFilePath, kind);
            break;
        }
        case NativeCommand::FileRecievNg:
            if (offered_ != 6) return;
            offered_ = 0;
            ShowMsg(kFileRefused, MB_ICONEXCLAMATION, shell_.MainHandle());
            break;
        case NativeCommand::ImageRecievNg:
            if (offered_ != 7) return;
            offered_ = 0;
            OpenBKelupNo = 999;
            ShowMsg(kImageRefused, MB_ICONEXCLAMATION, shell_.MainHandle());
            break;
        case NativeCommand::FileRecievErr:
        case NativeCommand::ImageRecievErr:
            offered_ = 0;
            if (confirm_) ShowMsg(kSendError, MB_ICONEXCLAMATION, shell_.MainHandle());
            break;
        case NativeCommand::ImageRecievComplete:
            if (SendKind != 7) return;
            if (confirm_)
                ShowMsg(L"イメージ付箋紙は正常に送信されました\r受信者　" + ExtractSHostName(p.sender.identity).sHostName,
                        0, shell_.MainHandle());
            if (removeAfter_ && OpenBKelupNo < 999 && pictures_) pictures_->PeelImageNote(OpenBKelupNo);
            OpenBKelupNo = 999;
            removeAfter_ = false;
            break;
        case NativeCommand::Busy:
            // The peer receives something else; the offer lapses.
            offered_ = 0;
            break;
        default:
            break;
    }
}

void Transfer::SendFileToPeer(const std::wstring& host, const std::wstring& path, int kind) {
    if (!StartWinsock()) {
        ShowMsg(kSendAborted, MB_ICONEXCLAMATION, shell_.MainHandle());
        return;
    }
    ++sendSerial_;
    StartWorker(&Transfer::ClientThread,
                Send{host, shell_.Config().TCPPort, path, offeredSize_, kind, shell_.MainHandle(), sendSerial_});
}

// --- what the threads report -------------------------------------------------------

void Transfer::OnTransferEvent(WPARAM, LPARAM lp) {
    std::unique_ptr<TransferEvent> e(reinterpret_cast<TransferEvent*>(lp));
    JoinFinished();
    if (!e) return;
    switch (e->kind) {
        case TransferEvent::Received:
            if (e->serial != recvSerial_ || RecvKind == 0) {
                DeleteFileW(e->path.c_str());
                return;
            }
            RecievMain(e->path);
            break;
        case TransferEvent::ReceiveFailed:
            if (e->serial != recvSerial_) return;
            EndReception();
            ++completed_;
            // A client that does not speak the protocol is dropped without a
            // word; a reception cut short or not written is reported.
            if (e->serve == ServeStatus::ShortStream) ShowMsg(kReceiveAborted, MB_ICONEXCLAMATION, shell_.MainHandle());
            else if (e->serve == ServeStatus::TargetFailed) ShowMsg(kDiskFailed, MB_ICONEXCLAMATION, shell_.MainHandle());
            break;
        case TransferEvent::ListenerClosed:
            if (e->serial == recvSerial_) EndReception();
            break;
        case TransferEvent::Sent:
            ++completed_;
            if (!confirm_) ShowMsg(e->xferKind == 7 ? kImageSent : kFileSent, 0, shell_.MainHandle());
            break;
        case TransferEvent::SendFailed:
            ++completed_;
            ShowMsg(kSendAborted, MB_ICONEXCLAMATION, shell_.MainHandle());
            break;
    }
}

void Transfer::EndReception() {
    RecvKind = 0;
    ++recvSerial_;   // what its thread may still say is stale
}

// --- a reception finished ------------------------------------------------------------

void Transfer::RecievMain(const std::wstring& recvName) {
    // 1. The listener closed with its one connection; further announcements
    // hear "busy" until the user has decided what to do with this file.
    const int kind = RecvKind;
    EndReception();
    saving_ = true;
    shell_.SetBusy(true);
    if (kind == 7) PictureArrived(recvName);
    else FileArrived(recvName);
    saving_ = false;
    ++completed_;
    shell_.SetBusy(false);
}

void Transfer::PictureArrived(const std::wstring& recvName) {
    // 2. The picture keeps the temporary file's name with the announced
    // extension, beside the data file.
    const std::wstring folder = FolderOf(recvName);
    std::wstring ext = PictureExtension(RecvFileName);
    std::wstring name = FreeFileName(StemOf(NameOf(recvName)) + ext,
                                     [&](const std::wstring& n) { return FileExists(folder + n); });
    const std::wstring picture = folder + name;
    if (name.empty() || !MoveFileW(recvName.c_str(), picture.c_str())) {
        link_->SendTransferResult(int(NativeResult::ImageRecievErr), RecvPeerAddr, L"");
        ShowMsg(std::wstring(L"イメージを保存できませんでした\r") + kLeftAt + recvName, MB_ICONEXCLAMATION,
                shell_.MainHandle());
        return;
    }
    RecvFileName = picture;
    const bool hidden = recvImage_.hidden;
    pictureSlot_ = 999;
    SendMessageW(shell_.MainHandle(), KM_PICTURE_DONE, hidden ? 1 : 0, 0);
    if (pictureSlot_ == 999) {
        // The picture could not be shown (its maker said why): the sender
        // is not told it arrived, and nothing is left behind.
        DeleteFileW(picture.c_str());
        link_->SendTransferResult(int(NativeResult::ImageRecievErr), RecvPeerAddr, L"");
        return;
    }
    link_->SendTransferResult(int(NativeResult::ImageRecievComplete), RecvPeerAddr, L"");
    if (hidden)
        ShowMsg(L"イメージ付箋紙を受信しましたが送信者の希望により非表示にされています。\r"
                L"表示させるにはメインメニューの「表示／非表示」でその付箋紙を選択してください",
                0, shell_.MainHandle());
    else
        ShowMsg(L"イメージ付箋紙を受信しました", 0, shell_.MainHandle());
}

void Transfer::OnPictureDone(WPARAM wp, LPARAM) {
    ReceivedPicture picture = recvImage_;
    picture.path = RecvFileName;
    picture.hidden = wp != 0;
    pictureSlot_ = pictures_ ? pictures_->MakeReceivedPicture(picture) : 999;
    // The announcement's fields are spent.
    recvImage_ = ReceivedPicture{};
}

void Transfer::FileArrived(const std::wstring& recvName) {
    // 3.
    const HWND owner = shell_.MainHandle();
    if (ShowMsg(RecvSenderName + L"からファイルを受信しました。" + L"\r" + L"保存しますか", MB_YESNO | MB_ICONQUESTION,
                owner) != IDYES) {
        ShowMsg(kLeftAt + MoveToTemp(recvName), 0, owner);
        return;
    }
    const std::wstring offered = SafeXferName(RecvFileName);
    std::wstring chosen;
    for (;;) {
        wchar_t file[MAX_PATH * 4] = L"";
        lstrcpynW(file, offered.c_str(), int(std::size(file)));
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = L"すべてのファイル (*.*)\0*.*\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = DWORD(std::size(file));
        ofn.lpstrInitialDir = shell_.Path().DownloadsDir.c_str();
        ofn.lpstrTitle = L"名前を付けて保存";
        ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (!GetSaveFileNameW(&ofn)) {
            ShowMsg(std::wstring(L"ファイルの保存をキャンセルしました\r") + kLeftAt + MoveToTemp(recvName), 0, owner);
            return;
        }
        chosen = file;
        if (!FileExists(chosen) || ShowMsg(L"上書きしますか？", MB_YESNO | MB_ICONQUESTION, owner) == IDYES) break;
    }
    // Moved rather than copied: on the same drive a large file is not
    // written twice.
    if (MoveFileExW(recvName.c_str(), chosen.c_str(),
                    MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ShowMsg(L"ファイルの受信を完了しました", 0, owner);
        return;
    }
    ShowMsg(std::wstring(L"ファイルを保存できませんでした\r") + kLeftAt + MoveToTemp(recvName), MB_ICONEXCLAMATION, owner);
}

std::wstring Transfer::MoveToTemp(const std::wstring& src) {
    const std::wstring folder = FolderOf(src) + L"temp\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring name = FreeFileName(SafeXferName(RecvFileName),
                                     [&](const std::wstring& n) { return FileExists(folder + n); });
    if (name.empty()) return src;
    const std::wstring target = folder + name;
    return MoveFileW(src.c_str(), target.c_str()) ? target : src;
}

}  // namespace kelup
