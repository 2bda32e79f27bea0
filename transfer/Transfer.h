#pragma once
// File and picture transfer over TCP: the client and server threads hand
// every user-visible step to the main thread.
//
// A file or picture is announced by datagram; the receiver checks its
// limits, opens its listener for the one peer it accepted and answers
// ready; the sender then connects and streams the bytes (LineProtocol). The
// listener takes one connection, from that peer only, and closes again when
// none comes in time.

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "transfer/TransferApi.h"

namespace kelup {

class Shell;
struct ResultPacket;

class Transfer final : public FileOffers, public TransferPackets {
public:
    explicit Transfer(Shell& shell);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    void Wire(TransferLink* link, PictureSink* pictures) {
        link_ = link;
        pictures_ = pictures;
    }

    // --- FileOffers ----------------------------------------------------------------
    bool OfferFile(const std::wstring& addr, const std::wstring& path, bool confirm) override;
    bool OfferImage(const ImageOffer& offer) override;

    // --- TransferPackets: announcements and answers (MYWMCONNECT) -------------------
    void OnTransferPacket(const ResultPacket& packet, const std::wstring& source) override;

    // A picture receive finished (0x04E1): the image note is made.
    void OnPictureDone(WPARAM wp, LPARAM lp);
    // A step of a transfer thread, handed to the main thread (KM_TRANSFER).
    void OnTransferEvent(WPARAM wp, LPARAM lp);

    // The tray menu's temporary restrictions ("一時的受信制限").
    void M_FileRecvLimClick();
    void M_ImageRecvLimClick();

    // The listener waits for its connection (tests and the bench).
    bool Listening() const { return RecvKind != 0; }
    // Receptions finished, saved or not, and transfers sent (tests).
    int Completed() const { return completed_; }

private:
    // A listener's work, handed to its thread.
    struct Listen {
        SOCKET listener;
        std::wstring peer;        // the only address it takes a connection from
        std::wstring tempPath;
        std::uint64_t size;
        DWORD waitMs;             // how long it waits for the connection (and for data)
        HWND window;
        unsigned serial;
    };
    // A client's work.
    struct Send {
        std::wstring host;
        int port;
        std::wstring path;
        std::uint64_t size;       // as announced
        int kind;                 // 6 file, 7 image
        HWND window;
        unsigned serial;
    };

    // --- receiving ---
    void OnAnnouncement(const ResultPacket& p, const std::wstring& source);
    bool StartListener();
    static SOCKET OpenListener(int port);
    void ListenerThread(Listen job);
    void RecievMain(const std::wstring& recvName);
    void FileArrived(const std::wstring& recvName);
    void PictureArrived(const std::wstring& recvName);
    std::wstring MoveToTemp(const std::wstring& src);
    void EndReception();
    // --- sending ---
    void OnAnswer(const ResultPacket& p, const std::wstring& source);
    void SendFileToPeer(const std::wstring& host, const std::wstring& path, int kind);
    void ClientThread(Send job);
    // --- both ---
    bool LimitChecked(UINT id) const;
    bool StartWinsock();
    DWORD ListenerWaitMs() const;
    // Sockets a thread blocks on, closed at the end so that it returns.
    // False (and the socket closed) once the end has begun.
    bool Track(SOCKET s);
    // False when the socket was closed meanwhile by the end of the program.
    bool Untrack(SOCKET s);
    void CloseAllSockets();

    Shell& shell_;
    TransferLink* link_ = nullptr;
    PictureSink* pictures_ = nullptr;
    bool wsaStarted_ = false;

    // Sending.
    int SendKind = 0;                 // 6 a file, 7 an image is being sent
    std::wstring XferPeerAddr;        // where it goes
    std::wstring XferFilePath;        // what goes
    int offered_ = 0;                 // 6 or 7 while an offer waits for its answer
    bool confirm_ = false;            // the send asked for confirmation (cb_SendOk)
    int OpenBKelupNo = 999;           // the image note being sent
    bool removeAfter_ = false;        // ... peeled once its picture arrived

    // Receiving.
    int RecvKind = 0;                 // 6 a file, 7 an image is being received (0: none)
    std::wstring RecvPeerAddr;
    std::wstring RecvFileName;
    std::wstring RecvTempPath;
    std::wstring RecvSenderName;
    std::uint64_t RecvSize = 0;
    ReceivedPicture recvImage_;       // the announced picture's fields
    unsigned recvSerial_ = 0;         // the reception under way
    bool saving_ = false;             // RecievMain asks the user meanwhile
    int pictureSlot_ = 999;           // the image note made of the last picture

    // Sending.
    std::uint64_t offeredSize_ = 0;   // the size announced
    unsigned sendSerial_ = 0;

    int completed_ = 0;

    std::mutex mutex_;
    std::vector<SOCKET> sockets_;     // guarded by mutex_
    bool ending_ = false;             // guarded by mutex_: the program ends
    // The threads started, each with the flag it raises as it returns;
    // finished ones are joined as their events arrive.
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> threads_;
    template <class Job>
    void StartWorker(void (Transfer::*body)(Job), Job job);
    void JoinFinished();
};

}  // namespace kelup
