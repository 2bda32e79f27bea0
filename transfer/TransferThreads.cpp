// The transfer's threads: the listener that waits for its one connection
// and receives the file, and the client that sends one. Neither touches a
// window or the transfer's state; each posts its outcome to the main window.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>

#include "app/Shell.h"
#include "base/Messages.h"
#include "transfer/LineProtocol.h"
#include "transfer/Transfer.h"
#include "transfer/TransferEvent.h"

namespace kelup {

namespace {

// Socket buffers large enough to keep a LAN link busy.
constexpr int kSocketBuffer = 4 << 20;

class SocketStream final : public ByteStream {
public:
    explicit SocketStream(SOCKET s) : s_(s) {}
    bool Write(const char* data, std::size_t n) override {
        while (n > 0) {
            int part = int(std::min<std::size_t>(n, 1u << 30));
            int sent = send(s_, data, part, 0);
            if (sent <= 0) return false;
            data += sent;
            n -= std::size_t(sent);
        }
        return true;
    }
    std::ptrdiff_t Read(char* data, std::size_t n) override {
        int got = recv(s_, data, int(std::min<std::size_t>(n, 1u << 30)), 0);
        return got < 0 ? -1 : got;
    }
    std::ptrdiff_t ReadBulk(char* data, std::size_t n) override {
        // One call per chunk rather than one per packet burst.
        int got = recv(s_, data, int(std::min<std::size_t>(n, 1u << 30)), MSG_WAITALL);
        return got < 0 ? -1 : got;
    }

private:
    SOCKET s_;
};

// The temporary file a reception writes; created only once the size is
// agreed and removed again unless the whole file arrived.
class FileTarget final : public ReceiveTarget {
public:
    explicit FileTarget(std::wstring path) : path_(std::move(path)) {}
    ~FileTarget() { Close(); }
    bool Open() override {
        file_ = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        return file_ != INVALID_HANDLE_VALUE;
    }
    bool Write(const char* data, std::size_t n) override {
        while (n > 0) {
            DWORD done = 0;
            DWORD part = DWORD(std::min<std::size_t>(n, 1u << 30));
            if (!WriteFile(file_, data, part, &done, nullptr) || done == 0) return false;
            data += done;
            n -= done;
        }
        return true;
    }
    bool Finish() override { return Close(); }
    void Discard() override {
        Close();
        DeleteFileW(path_.c_str());
    }

private:
    bool Close() {
        if (file_ == INVALID_HANDLE_VALUE) return true;
        bool ok = CloseHandle(file_) != FALSE;
        file_ = INVALID_HANDLE_VALUE;
        return ok;
    }
    std::wstring path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

class FileSource final : public SendSource {
public:
    explicit FileSource(HANDLE f) : f_(f) {}
    std::ptrdiff_t Read(char* data, std::size_t n) override {
        DWORD got = 0;
        if (!ReadFile(f_, data, DWORD(std::min<std::size_t>(n, 1u << 30)), &got, nullptr)) return -1;
        return std::ptrdiff_t(got);
    }

private:
    HANDLE f_;
};

std::wstring DottedOf(const sockaddr_in& a) {
    wchar_t text[INET_ADDRSTRLEN] = L"";
    InetNtopW(AF_INET, &a.sin_addr, text, INET_ADDRSTRLEN);
    return text;
}

void SetBuffers(SOCKET s) {
    int size = kSocketBuffer;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof size);
}

}  // namespace

SOCKET Transfer::OpenListener(int port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    // Another program may not take the port over while we listen on it.
    BOOL exclusive = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    SetBuffers(s);   // inherited by the accepted connection
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(u_short(port));
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 4) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

void Transfer::ListenerThread(Listen job) {
    auto post = [&](TransferEvent::Kind kind, ServeStatus status = ServeStatus::Received) {
        auto* e = new TransferEvent;
        e->kind = kind;
        e->serial = job.serial;
        e->serve = status;
        e->path = job.tempPath;
        if (!PostMessageW(job.window, KM_TRANSFER, 0, reinterpret_cast<LPARAM>(e))) delete e;
    };
    const ULONGLONG deadline = GetTickCount64() + job.waitMs;
    SOCKET conn = INVALID_SOCKET;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        ULONGLONG left = deadline - now;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(job.listener, &readable);
        timeval tv{long(left / 1000), long((left % 1000) * 1000)};
        int ready = select(0, &readable, nullptr, nullptr, &tv);
        if (ready < 0) break;   // closed: the program ends
        if (ready == 0) continue;
        sockaddr_in from{};
        int fromLen = sizeof from;
        SOCKET s = accept(job.listener, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (s == INVALID_SOCKET) continue;
        // Only the peer whose announcement was taken; anyone else is turned away.
        if (DottedOf(from) != job.peer) {
            closesocket(s);
            continue;
        }
        conn = s;
        break;
    }
    // One connection only: the listener closes as soon as it has it.
    if (Untrack(job.listener)) closesocket(job.listener);
    if (conn == INVALID_SOCKET) {
        post(TransferEvent::ListenerClosed);
        return;
    }
    if (!Track(conn)) return;
    // A peer that stops sending is not waited for for ever.
    DWORD timeout = job.waitMs;
    setsockopt(conn, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    setsockopt(conn, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    SocketStream stream(conn);
    FileTarget target(job.tempPath);
    ServeResult r = ServeTransfer(stream, job.size, target);
    shutdown(conn, SD_SEND);
    if (Untrack(conn)) closesocket(conn);
    post(r.status == ServeStatus::Received ? TransferEvent::Received : TransferEvent::ReceiveFailed, r.status);
}

void Transfer::ClientThread(Send job) {
    auto post = [&](TransferEvent::Kind kind, SendStatus status) {
        auto* e = new TransferEvent;
        e->kind = kind;
        e->serial = job.serial;
        e->send = status;
        e->xferKind = job.kind;
        if (!PostMessageW(job.window, KM_TRANSFER, 0, reinterpret_cast<LPARAM>(e))) delete e;
    };
    HANDLE file = CreateFileW(job.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        post(TransferEvent::SendFailed, SendStatus::SourceFailed);
        return;
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    SendStatus status = SendStatus::ConnectionLost;
    if (s != INVALID_SOCKET && Track(s)) {
        SetBuffers(s);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(u_short(job.port));
        if (InetPtonW(AF_INET, job.host.c_str(), &a.sin_addr) == 1 &&
            connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
            SocketStream stream(s);
            FileSource source(file);
            status = SendTransfer(stream, source, job.size);
        }
        shutdown(s, SD_BOTH);
        if (Untrack(s)) closesocket(s);
    }
    CloseHandle(file);
    post(status == SendStatus::Sent ? TransferEvent::Sent : TransferEvent::SendFailed, status);
}

bool Transfer::Track(SOCKET s) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ending_) {
        closesocket(s);
        return false;
    }
    sockets_.push_back(s);
    return true;
}

bool Transfer::Untrack(SOCKET s) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find(sockets_.begin(), sockets_.end(), s);
    if (it == sockets_.end()) return false;   // closed by the end of the program
    sockets_.erase(it);
    return true;
}

void Transfer::CloseAllSockets() {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
    for (SOCKET s : sockets_) closesocket(s);
    sockets_.clear();
}

}  // namespace kelup
