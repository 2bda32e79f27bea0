// Any bytes from a connecting client, in any pieces: the server never takes
// more than was announced, never keeps a file it did not finish, and never
// answers the end of a reception it did not complete.

#include "transfer/LineProtocol.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

struct Input : kelup::ByteStream {
    const std::uint8_t* data;
    std::size_t size, at = 0, piece;
    std::string written;
    Input(const std::uint8_t* d, std::size_t n, std::size_t p) : data(d), size(n), piece(p) {}
    bool Write(const char* d, std::size_t n) override {
        written.append(d, n);
        return true;
    }
    std::ptrdiff_t Read(char* d, std::size_t n) override {
        std::size_t take = std::min({n, piece, size - at});
        std::memcpy(d, data + at, take);
        at += take;
        return std::ptrdiff_t(take);
    }
};

struct Target : kelup::ReceiveTarget {
    bool open = false, finished = false, discarded = false;
    std::uint64_t bytes = 0;
    bool Open() override { return open = true; }
    bool Write(const char*, std::size_t n) override {
        bytes += n;
        return true;
    }
    bool Finish() override { return finished = true; }
    void Discard() override { discarded = true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes choose the announced size and the piece size.
    std::uint64_t announced = data[0] * 7u;
    std::size_t piece = std::size_t(data[1] % 64) + 1;
    Input in(data + 2, size - 2, piece);
    Target file;
    kelup::ServeResult r = kelup::ServeTransfer(in, announced, file);
    Check(file.bytes <= announced);
    Check(r.received == file.bytes);
    const bool ended = in.written.find(std::string(kelup::kXferRecvEnd)) != std::string::npos;
    if (r.status == kelup::ServeStatus::Received) {
        Check(file.finished && !file.discarded && file.bytes == announced && ended);
    } else {
        Check(!ended);
        Check(!file.open || file.discarded);
    }
    return 0;
}
