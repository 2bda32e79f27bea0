// The pipe between a transfer's reading thread and its writing thread.

#include "transfer/ChunkPipe.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace kelup {
namespace {

TEST(ChunkPipe, EveryChunkReachesTheSinkInOrder) {
    std::string out;
    ChunkPipe pipe([&](const char* d, std::size_t n) {
        out.append(d, n);
        return true;
    }, 8, 3);
    std::string in;
    for (int i = 0; i < 500; ++i) {
        char* b = pipe.Take();
        ASSERT_NE(b, nullptr);
        std::size_t n = std::size_t(i % 9);   // 0 hands the buffer back unused
        for (std::size_t k = 0; k < n; ++k) b[k] = char('a' + (i + int(k)) % 26);
        in.append(b, n);
        pipe.Push(n);
    }
    EXPECT_TRUE(pipe.Close());
    EXPECT_EQ(out, in);
    EXPECT_TRUE(pipe.Close()) << "a second close changes nothing";
}

TEST(ChunkPipe, AFailingSinkStopsTheCallerAndTakesNothingMore) {
    std::atomic<int> calls{0};
    ChunkPipe pipe([&](const char*, std::size_t) { return ++calls < 3; }, 4, 2);
    int taken = 0;
    while (char* b = pipe.Take()) {
        std::memset(b, 'x', 4);
        pipe.Push(4);
        ASSERT_LT(++taken, 1000) << "Take must give nullptr once the sink failed";
    }
    EXPECT_FALSE(pipe.Close());
    EXPECT_EQ(calls.load(), 3);
}

TEST(ChunkPipe, ClosingWaitsForChunksStillQueued) {
    std::atomic<std::size_t> written{0};
    {
        ChunkPipe pipe([&](const char*, std::size_t n) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            written += n;
            return true;
        }, 16, 4);
        for (int i = 0; i < 4; ++i) {
            pipe.Take();
            pipe.Push(16);
        }
        // Going out of scope closes the pipe: nothing queued is dropped.
    }
    EXPECT_EQ(written.load(), 64u);
}

}  // namespace
}  // namespace kelup
