// Both ends of the transfer's line protocol against a scripted other end.

#include "transfer/LineProtocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace kelup {
namespace {

// The other end: what it sends, handed out in pieces of at most `piece`
// bytes (so lines and data arrive split as on a network), and what it got.
struct Scripted : ByteStream {
    std::string incoming;
    std::size_t at = 0;
    std::size_t piece = 7;
    bool broken = false;   // the connection breaks once `incoming` is used up
    std::string written;

    explicit Scripted(std::string in, std::size_t p = 7) : incoming(std::move(in)), piece(p) {}
    bool Write(const char* d, std::size_t n) override {
        written.append(d, n);
        return true;
    }
    std::ptrdiff_t Read(char* d, std::size_t n) override {
        if (at == incoming.size()) return broken ? -1 : 0;
        std::size_t take = std::min({n, piece, incoming.size() - at});
        std::memcpy(d, incoming.data() + at, take);
        at += take;
        return std::ptrdiff_t(take);
    }
};

struct MemoryTarget : ReceiveTarget {
    bool opened = false, finished = false, discarded = false;
    bool failWrite = false, failFinish = false;
    std::string data;
    bool Open() override { return opened = true; }
    bool Write(const char* d, std::size_t n) override {
        if (failWrite) return false;
        data.append(d, n);
        return true;
    }
    bool Finish() override { return finished = !failFinish; }
    void Discard() override {
        discarded = true;
        data.clear();
    }
};

std::string Line(std::string_view s) { return std::string(s) + "\r\n"; }

std::string Payload(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = char((i * 131 + 7) & 0xFF);
    return s;
}

TEST(XferSizeLine, ReadsTheSizeUpToTheSlash) {
    struct Case {
        std::string_view line;
        std::optional<std::uint64_t> size;
    } cases[] = {
        {"SIZE123/", 123},
        {"SIZE0/", 0},
        {"SIZE18446744073709551615/", 18446744073709551615ull},
        {"SIZE18446744073709551616/", std::nullopt},   // does not fit
        {"SIZE123", std::nullopt},                      // no "/"
        {"SIZE/", std::nullopt},
        {"SIZE12a/", std::nullopt},
        {"SIZE-1/", std::nullopt},
        {"size12/", std::nullopt},
        {"SIZE12/trailing", 12},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseXferSizeLine(c.line), c.size) << c.line;
    EXPECT_EQ(XferSizeLine(65535), "SIZE65535/");
    EXPECT_EQ(TrimXferLine("  READY   "), "READY");
}

TEST(LineReader, SplitsLinesAndHandsOnWhatFollows) {
    Scripted s(Line("first") + "second\nDATA", 3);
    LineReader r(s, 16);
    std::string line;
    ASSERT_EQ(r.ReadLine(line), LineReader::Result::Line);
    EXPECT_EQ(line, "first");
    ASSERT_EQ(r.ReadLine(line), LineReader::Result::Line);
    EXPECT_EQ(line, "second");
    char buf[8] = {};
    std::string rest;
    for (std::ptrdiff_t got; (got = r.ReadSome(buf, sizeof buf)) > 0;) rest.append(buf, std::size_t(got));
    EXPECT_EQ(rest, "DATA");
    EXPECT_EQ(r.ReadLine(line), LineReader::Result::End);
}

TEST(LineReader, RefusesOverlongLinesWithoutHoldingThem) {
    // A peer that never ends its line is cut off after a few hundred bytes,
    // whatever the buffer.
    Scripted endless(std::string(10'000'000, 'A'), 4096);
    LineReader r(endless);
    std::string line;
    EXPECT_EQ(r.ReadLine(line), LineReader::Result::TooLong);
    EXPECT_LT(endless.at, 200'000u);
    Scripted longLine(Line(std::string(kXferMaxLine + 1, 'B')));
    LineReader r2(longLine);
    EXPECT_EQ(r2.ReadLine(line), LineReader::Result::TooLong);
    Scripted justFits(Line(std::string(kXferMaxLine, 'C')));
    LineReader r3(justFits);
    EXPECT_EQ(r3.ReadLine(line), LineReader::Result::Line);
}

TEST(ServeTransfer, GoodRunWritesTheBytesAndAnswersEachStep) {
    for (std::size_t size : {std::size_t(1), std::size_t(65535), kXferChunk * 2 + 3}) {
        const std::string body = Payload(size);
        Scripted client(Line(kXferHello) + Line(XferSizeLine(size)) + body, 50'000);
        MemoryTarget file;
        ServeResult r = ServeTransfer(client, size, file);
        EXPECT_EQ(r.status, ServeStatus::Received) << size;
        EXPECT_EQ(r.received, size);
        EXPECT_TRUE(file.finished);
        EXPECT_FALSE(file.discarded);
        EXPECT_TRUE(file.data == body) << size;
        EXPECT_EQ(client.written, Line(kXferReady) + Line(kXferSizeOk) + Line(kXferRecvEnd));
    }
}

TEST(ServeTransfer, ProtocolFaultsWriteNothing) {
    const std::string hello = Line(kXferHello);
    struct Case {
        const char* what;
        std::string in;
        ServeStatus status;
        std::string answered;   // what the client heard
    } cases[] = {
        {"hello without the question marks", Line("READY"), ServeStatus::BadHello, ""},
        {"hello with spaces", Line(kXferReady), ServeStatus::BadHello, ""},
        {"nothing at all", "", ServeStatus::BadHello, ""},
        {"overlong hello", std::string(5000, '?'), ServeStatus::LineTooLong, ""},
        {"no slash", hello + Line("SIZE100"), ServeStatus::BadSizeLine, Line(kXferReady)},
        {"not a size line", hello + Line("LENGTH100/"), ServeStatus::BadSizeLine, Line(kXferReady)},
        {"size not a number", hello + Line("SIZEabc/"), ServeStatus::BadSizeLine, Line(kXferReady)},
        {"smaller than announced", hello + Line("SIZE99/") + std::string(99, 'x'), ServeStatus::SizeMismatch,
         Line(kXferReady)},
        {"larger than announced", hello + Line("SIZE1000000000/"), ServeStatus::SizeMismatch, Line(kXferReady)},
        {"gone after hello", hello, ServeStatus::ShortStream, Line(kXferReady)},
        {"overlong size line", hello + "SIZE" + std::string(300, '9'), ServeStatus::LineTooLong, Line(kXferReady)},
    };
    for (const auto& c : cases) {
        Scripted client(c.in);
        MemoryTarget file;
        EXPECT_EQ(ServeTransfer(client, 100, file).status, c.status) << c.what;
        EXPECT_FALSE(file.opened) << c.what;
        EXPECT_EQ(client.written, c.answered) << c.what;
    }
}

TEST(ServeTransfer, AStreamEndingEarlyOrADiskFailureLeavesNoFile) {
    const std::string head = Line(kXferHello) + Line(XferSizeLine(1000));
    {
        Scripted client(head + std::string(999, 'x'));
        MemoryTarget file;
        ServeResult r = ServeTransfer(client, 1000, file);
        EXPECT_EQ(r.status, ServeStatus::ShortStream);
        EXPECT_EQ(r.received, 999u);
        EXPECT_TRUE(file.discarded);
        EXPECT_EQ(client.written.find(std::string(kXferRecvEnd)), std::string::npos);
    }
    {
        Scripted client(head + std::string(10, 'x'));
        client.broken = true;
        MemoryTarget file;
        EXPECT_EQ(ServeTransfer(client, 1000, file).status, ServeStatus::ShortStream);
        EXPECT_TRUE(file.discarded);
    }
    for (bool failAtFinish : {false, true}) {
        Scripted client(head + std::string(1000, 'x'));
        MemoryTarget file;
        file.failWrite = !failAtFinish;
        file.failFinish = failAtFinish;
        EXPECT_EQ(ServeTransfer(client, 1000, file).status, ServeStatus::TargetFailed);
        EXPECT_TRUE(file.discarded);
        EXPECT_EQ(client.written.find(std::string(kXferRecvEnd)), std::string::npos) << "success must not be claimed";
    }
}

// A stream that waits for whole bulk reads (as the socket does) would hang
// if asked for more than the client still sends.
struct WaitingStream : Scripted {
    using Scripted::Scripted;
    std::size_t overAsked = 0, bulkCalls = 0;
    std::ptrdiff_t ReadBulk(char* d, std::size_t n) override {
        ++bulkCalls;
        if (n > incoming.size() - at) ++overAsked;
        std::size_t take = std::min(n, incoming.size() - at);
        std::memcpy(d, incoming.data() + at, take);
        at += take;
        return std::ptrdiff_t(take);
    }
};

TEST(ServeTransfer, BulkReadsNeverAskBeyondTheAnnouncedSize) {
    for (std::size_t size : {std::size_t(10), kXferChunk + 5, kXferChunk * 3}) {
        WaitingStream client(Line(kXferHello) + Line(XferSizeLine(size)) + Payload(size), 1000);
        MemoryTarget file;
        EXPECT_EQ(ServeTransfer(client, size, file).status, ServeStatus::Received) << size;
        EXPECT_EQ(client.overAsked, 0u) << size;
        EXPECT_EQ(file.data.size(), size);
    }
}

TEST(ServeTransfer, BytesAfterTheAnnouncedSizeAreNotTaken) {
    Scripted client(Line(kXferHello) + Line(XferSizeLine(4)) + "abcdEXTRA");
    MemoryTarget file;
    EXPECT_EQ(ServeTransfer(client, 4, file).status, ServeStatus::Received);
    EXPECT_EQ(file.data, "abcd");
}

struct StringSource : SendSource {
    std::string data;
    std::size_t at = 0;
    explicit StringSource(std::string d) : data(std::move(d)) {}
    std::ptrdiff_t Read(char* d, std::size_t n) override {
        std::size_t take = std::min(n, data.size() - at);
        std::memcpy(d, data.data() + at, take);
        at += take;
        return std::ptrdiff_t(take);
    }
};

TEST(SendTransfer, GoodRunSendsHelloSizeAndTheBytes) {
    const std::string body = Payload(kXferChunk + 17);
    // The server's lines may carry their padding or not.
    Scripted server(Line(kXferReady) + Line("SIZEOK") + Line(kXferRecvEnd));
    StringSource file(body);
    EXPECT_EQ(SendTransfer(server, file, body.size()), SendStatus::Sent);
    EXPECT_TRUE(server.written == Line(kXferHello) + Line(XferSizeLine(body.size())) + body);
}

TEST(SendTransfer, EachWrongAnswerStopsAtItsStep) {
    struct Case {
        const char* what;
        std::string in;
        SendStatus status;
        bool dataSent;
    } cases[] = {
        {"no ready", Line("NOPE"), SendStatus::BadReady, false},
        {"closed at once", "", SendStatus::BadReady, false},
        {"no size ok", Line(kXferReady) + Line("SIZENG"), SendStatus::BadSizeOk, false},
        {"no end", Line(kXferReady) + Line(kXferSizeOk), SendStatus::NoRecvEnd, true},
        {"wrong end", Line(kXferReady) + Line(kXferSizeOk) + Line("RECVERR"), SendStatus::NoRecvEnd, true},
    };
    for (const auto& c : cases) {
        Scripted server(c.in);
        StringSource file("hello");
        EXPECT_EQ(SendTransfer(server, file, 5), c.status) << c.what;
        EXPECT_EQ(server.written.find("\r\nhello") != std::string::npos, c.dataSent) << c.what;
    }
}

TEST(SendTransfer, AFileShorterThanItsSizeIsAFailure) {
    Scripted server(Line(kXferReady) + Line(kXferSizeOk) + Line(kXferRecvEnd));
    StringSource file("abc");
    EXPECT_EQ(SendTransfer(server, file, 10), SendStatus::SourceFailed);
}

// A connection that breaks after `room` bytes.
struct BreakingServer : Scripted {
    std::size_t room;
    BreakingServer(std::string in, std::size_t r) : Scripted(std::move(in)), room(r) {}
    bool Write(const char* d, std::size_t n) override {
        if (n > room) return false;
        room -= n;
        return Scripted::Write(d, n);
    }
};

TEST(SendTransfer, ABrokenConnectionStopsReadingTheFile) {
    const std::string body = Payload(kXferChunk * 20);
    const std::string head = Line(kXferHello) + Line(XferSizeLine(body.size()));
    BreakingServer server(Line(kXferReady) + Line(kXferSizeOk) + Line(kXferRecvEnd), head.size() + kXferChunk);
    StringSource file(body);
    EXPECT_EQ(SendTransfer(server, file, body.size()), SendStatus::ConnectionLost);
    EXPECT_LT(file.at, body.size()) << "the rest of the file is not read for nothing";
}

}  // namespace
}  // namespace kelup
