#pragma once
// Chunks handed from one thread to a sink that runs on a thread of its own,
// through a few buffers: while the sink writes one chunk (to the disk, or to
// the connection), the caller already fills the next. Used by both ends of a
// transfer so that the network and the disk work at the same time.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kelup {

class ChunkPipe {
public:
    // `sink` takes the bytes of one chunk; false stops the pipe (no further
    // chunk reaches it). It is called on the pipe's own thread, in order.
    using Sink = std::function<bool(const char*, std::size_t)>;
    ChunkPipe(Sink sink, std::size_t chunkSize, std::size_t buffers = 3);
    // Waits for the chunks already handed over (as Close).
    ~ChunkPipe();
    ChunkPipe(const ChunkPipe&) = delete;
    ChunkPipe& operator=(const ChunkPipe&) = delete;

    std::size_t ChunkSize() const { return chunkSize_; }
    // A free buffer of ChunkSize() bytes to fill, waiting until the sink has
    // given one back; nullptr once the sink failed. Each buffer taken is
    // handed over by Push before the next is taken.
    char* Take();
    // Hands the buffer from Take over with its first `n` bytes (0 gives it
    // back unused).
    void Push(std::size_t n);
    // Waits until the sink has taken every chunk handed over and ends its
    // thread. True when it took them all.
    bool Close();

private:
    void Run();

    Sink sink_;
    std::size_t chunkSize_;
    std::vector<std::vector<char>> buffers_;
    std::vector<std::size_t> lengths_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t filled_ = 0;     // chunks handed over, not yet taken by the sink
    std::size_t next_ = 0;       // the buffer the caller fills next
    std::size_t sinkAt_ = 0;     // the buffer the sink takes next
    bool closing_ = false, failed_ = false, closed_ = false;
    std::thread thread_;
};

}  // namespace kelup
