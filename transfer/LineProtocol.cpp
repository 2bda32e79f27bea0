#include "transfer/LineProtocol.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "transfer/ChunkPipe.h"

namespace kelup {

std::string XferSizeLine(std::uint64_t size) { return "SIZE" + std::to_string(size) + "/"; }

std::optional<std::uint64_t> ParseXferSizeLine(std::string_view line) {
    if (line.substr(0, 4) != "SIZE") return std::nullopt;
    std::size_t slash = line.find('/', 4);
    if (slash == std::string_view::npos || slash == 4) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : line.substr(4, slash - 4)) {
        if (c < '0' || c > '9') return std::nullopt;
        unsigned d = unsigned(c - '0');
        if (v > (std::numeric_limits<std::uint64_t>::max() - d) / 10) return std::nullopt;
        v = v * 10 + d;
    }
    return v;
}

std::string_view TrimXferLine(std::string_view line) {
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    return line;
}

LineReader::LineReader(ByteStream& s, std::size_t bufferSize) : s_(s), buf_(std::max<std::size_t>(bufferSize, kXferMaxLine + 2)) {}

LineReader::Result LineReader::ReadLine(std::string& line) {
    line.clear();
    for (;;) {
        const char* begin = buf_.data() + pos_;
        const char* nl = static_cast<const char*>(std::memchr(begin, '\n', end_ - pos_));
        if (nl) {
            std::size_t len = std::size_t(nl - begin);
            if (line.size() + len > kXferMaxLine + 1) return Result::TooLong;
            line.append(begin, len);
            pos_ += len + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line.size() > kXferMaxLine ? Result::TooLong : Result::Line;
        }
        line.append(begin, end_ - pos_);
        pos_ = end_ = 0;
        if (line.size() > kXferMaxLine + 1) return Result::TooLong;
        std::ptrdiff_t got = s_.Read(buf_.data(), buf_.size());
        if (got == 0) return Result::End;
        if (got < 0) return Result::Error;
        end_ = std::size_t(got);
    }
}

std::ptrdiff_t LineReader::ReadSome(char* data, std::size_t n) {
    if (pos_ < end_) {
        std::size_t take = std::min(n, end_ - pos_);
        std::memcpy(data, buf_.data() + pos_, take);
        pos_ += take;
        return std::ptrdiff_t(take);
    }
    return s_.ReadBulk(data, n);
}

namespace {

// The chunk a transfer of `size` bytes moves at once: small files need no
// megabyte buffers.
std::size_t ChunkFor(std::uint64_t size) {
    return std::size_t(std::min<std::uint64_t>(kXferChunk, std::max<std::uint64_t>(size, 1)));
}

bool WriteLine(ByteStream& s, std::string_view token) {
    std::string line(token);
    line += "\r\n";
    return s.Write(line.data(), line.size());
}

}  // namespace

ServeResult ServeTransfer(ByteStream& conn, std::uint64_t expectedSize, ReceiveTarget& target) {
    ServeResult r;
    LineReader reader(conn);
    std::string line;
    auto failedLine = [](LineReader::Result res, ServeStatus otherwise) {
        return res == LineReader::Result::TooLong ? ServeStatus::LineTooLong : otherwise;
    };
    // 1. The hello, exactly.
    LineReader::Result res = reader.ReadLine(line);
    if (res != LineReader::Result::Line || line != kXferHello) {
        r.status = failedLine(res, ServeStatus::BadHello);
        return r;
    }
    // 2., 3. The size, which must be the one announced and let through.
    if (!WriteLine(conn, kXferReady)) {
        r.status = ServeStatus::ShortStream;
        return r;
    }
    res = reader.ReadLine(line);
    if (res != LineReader::Result::Line) {
        r.status = failedLine(res, ServeStatus::ShortStream);
        return r;
    }
    std::optional<std::uint64_t> size = ParseXferSizeLine(line);
    if (!size) {
        r.status = ServeStatus::BadSizeLine;
        return r;
    }
    if (*size != expectedSize) {
        r.status = ServeStatus::SizeMismatch;
        return r;
    }
    if (!WriteLine(conn, kXferSizeOk)) {
        r.status = ServeStatus::ShortStream;
        return r;
    }
    // 4. The bytes, written as they come.
    if (!target.Open()) {
        r.status = ServeStatus::TargetFailed;
        return r;
    }
    // The file is written on a thread of its own while the next chunk comes
    // in; a few chunks in hand ride out the moments the disk holds a write
    // back.
    ChunkPipe toFile([&target](const char* d, std::size_t n) { return target.Write(d, n); }, ChunkFor(expectedSize),
                     kXferChunksInHand);
    while (r.received < expectedSize) {
        char* chunk = toFile.Take();
        if (!chunk) break;   // the disk failed
        std::size_t want = std::size_t(std::min<std::uint64_t>(toFile.ChunkSize(), expectedSize - r.received));
        std::ptrdiff_t got = reader.ReadSome(chunk, want);
        if (got <= 0) {
            toFile.Close();
            target.Discard();
            r.status = ServeStatus::ShortStream;
            return r;
        }
        toFile.Push(std::size_t(got));
        r.received += std::uint64_t(got);
    }
    if (!toFile.Close()) {
        target.Discard();
        r.status = ServeStatus::TargetFailed;
        return r;
    }
    if (!target.Finish()) {
        target.Discard();
        r.status = ServeStatus::TargetFailed;
        return r;
    }
    // 5. The client hears that it arrived; the file is kept whether or not
    // this last line reaches it.
    WriteLine(conn, kXferRecvEnd);
    r.status = ServeStatus::Received;
    return r;
}

SendStatus SendTransfer(ByteStream& conn, SendSource& source, std::uint64_t size) {
    LineReader reader(conn, 4096);
    std::string line;
    // 2.
    if (!WriteLine(conn, kXferHello)) return SendStatus::ConnectionLost;
    if (reader.ReadLine(line) != LineReader::Result::Line || TrimXferLine(line) != "READY") return SendStatus::BadReady;
    // 3.
    if (!WriteLine(conn, XferSizeLine(size))) return SendStatus::ConnectionLost;
    if (reader.ReadLine(line) != LineReader::Result::Line || TrimXferLine(line) != "SIZEOK") return SendStatus::BadSizeOk;
    // 4. Exactly the size said, however the file changed meanwhile.
    // The connection is fed on a thread of its own while the next chunk is read.
    ChunkPipe toPeer([&conn](const char* d, std::size_t n) { return conn.Write(d, n); }, ChunkFor(size));
    std::uint64_t sent = 0;
    while (sent < size) {
        char* chunk = toPeer.Take();
        if (!chunk) return SendStatus::ConnectionLost;
        std::size_t want = std::size_t(std::min<std::uint64_t>(toPeer.ChunkSize(), size - sent));
        std::ptrdiff_t got = source.Read(chunk, want);
        if (got <= 0) {
            // What was read goes out still; the peer sees a short stream.
            toPeer.Close();
            return SendStatus::SourceFailed;
        }
        toPeer.Push(std::size_t(got));
        sent += std::uint64_t(got);
    }
    if (!toPeer.Close()) return SendStatus::ConnectionLost;
    if (reader.ReadLine(line) != LineReader::Result::Line || TrimXferLine(line) != "RECVEND") return SendStatus::NoRecvEnd;
    return SendStatus::Sent;
}

}  // namespace kelup
