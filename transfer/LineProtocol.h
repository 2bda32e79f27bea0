#pragma once
// The short line protocol on a transfer's TCP connection, both ends, over an
// abstract byte stream: the client says hello, the server answers ready, the
// client names the size, the server confirms it, the bytes follow and the
// server tells that they arrived. Lines are ASCII ended by CR LF.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelup {

// The tokens, each 16 characters but the size line.
inline constexpr std::string_view kXferHello = "READY???????????";
inline constexpr std::string_view kXferReady = "READY           ";
inline constexpr std::string_view kXferSizeOk = "SIZEOK          ";
inline constexpr std::string_view kXferRecvEnd = "RECVEND         ";
// No line of the protocol comes near this; a longer one is hostile.
inline constexpr std::size_t kXferMaxLine = 128;
// What is moved at once between the connection and the file.
inline constexpr std::size_t kXferChunk = 1u << 20;
// Chunks the receiver holds between the connection and the file.
inline constexpr std::size_t kXferChunksInHand = 8;

// "SIZE" + decimal size + "/".
std::string XferSizeLine(std::uint64_t size);
// The size of a size line: "SIZE", decimal digits, "/" (anything after the
// "/" is not looked at). Nothing when the line is not of that form or the
// number does not fit 64 bits.
std::optional<std::uint64_t> ParseXferSizeLine(std::string_view line);
// A line without its leading and trailing spaces, as the client compares.
std::string_view TrimXferLine(std::string_view line);

// Either end of a connection.
class ByteStream {
public:
    // All `n` bytes are sent; false on a broken connection.
    virtual bool Write(const char* data, std::size_t n) = 0;
    // Some bytes, at most `n`: their count, 0 at the end of the stream,
    // negative on an error.
    virtual std::ptrdiff_t Read(char* data, std::size_t n) = 0;
    // Bulk data: as Read, but a stream may wait until all `n` bytes are
    // there (fewer only at the end or on an error), to take them in fewer
    // calls. Only asked for bytes the other end is known to send.
    virtual std::ptrdiff_t ReadBulk(char* data, std::size_t n) { return Read(data, n); }

protected:
    ~ByteStream() = default;
};

// Lines off a stream, keeping what was read past a line for the bytes that
// follow it.
class LineReader {
public:
    enum class Result { Line, End, TooLong, Error };
    explicit LineReader(ByteStream& s, std::size_t bufferSize = 64 * 1024);
    // One line without its CR LF (a bare LF ends a line too).
    Result ReadLine(std::string& line);
    // Raw bytes: first those left in the buffer, then straight from the
    // stream (ReadBulk: `n` must not exceed what is still to come). As
    // ByteStream::Read.
    std::ptrdiff_t ReadSome(char* data, std::size_t n);

private:
    ByteStream& s_;
    std::vector<char> buf_;
    std::size_t pos_ = 0, end_ = 0;
};

// Where the server puts the bytes. Opened only once the size is agreed; on
// any failure after that it is discarded, so nothing half-received stays.
class ReceiveTarget {
public:
    virtual bool Open() = 0;
    virtual bool Write(const char* data, std::size_t n) = 0;
    // Everything written reached the disk; the file is closed.
    virtual bool Finish() = 0;
    // The file goes away.
    virtual void Discard() = 0;

protected:
    ~ReceiveTarget() = default;
};

enum class ServeStatus {
    Received,       // the bytes are in the target, the client was told
    BadHello,       // not the hello token: dropped at once
    BadSizeLine,    // not a size line, or no "/"
    SizeMismatch,   // a size other than the announced one
    LineTooLong,    // a line longer than any of the protocol
    ShortStream,    // the connection ended (or broke) before all bytes came
    TargetFailed,   // the file could not be made or written (disk full...)
};

struct ServeResult {
    ServeStatus status = ServeStatus::BadHello;
    std::uint64_t received = 0;
};

// The server's side of one connection for a transfer announced with
// `expectedSize` bytes.
ServeResult ServeTransfer(ByteStream& conn, std::uint64_t expectedSize, ReceiveTarget& target);

// Where the client takes the bytes from.
class SendSource {
public:
    // As ByteStream::Read: 0 at the end of the file, negative on an error.
    virtual std::ptrdiff_t Read(char* data, std::size_t n) = 0;

protected:
    ~SendSource() = default;
};

enum class SendStatus {
    Sent,
    BadReady,       // "相手からの応答が不正です"
    BadSizeOk,      // "サイズ確認応答が不正です"
    NoRecvEnd,      // "受信完了通知が届きません"
    SourceFailed,   // the file could not be read (or was shorter than its size)
    ConnectionLost,
};

// The client's side: hello, size, the bytes, the end. `size` is the file's
// size as announced.
SendStatus SendTransfer(ByteStream& conn, SendSource& source, std::uint64_t size);

}  // namespace kelup
