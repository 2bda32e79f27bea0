#include "transfer/ChunkPipe.h"

#include <utility>

namespace kelup {

ChunkPipe::ChunkPipe(Sink sink, std::size_t chunkSize, std::size_t buffers)
    : sink_(std::move(sink)), chunkSize_(chunkSize > 0 ? chunkSize : 1),
      buffers_(buffers > 1 ? buffers : 2, std::vector<char>(chunkSize_)), lengths_(buffers_.size(), 0),
      thread_([this] { Run(); }) {}

ChunkPipe::~ChunkPipe() { Close(); }

char* ChunkPipe::Take() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || filled_ < buffers_.size(); });
    return failed_ ? nullptr : buffers_[next_].data();
}

void ChunkPipe::Push(std::size_t n) {
    if (n == 0) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_) return;
        lengths_[next_] = n < chunkSize_ ? n : chunkSize_;
        next_ = (next_ + 1) % buffers_.size();
        ++filled_;
    }
    changed_.notify_all();
}

bool ChunkPipe::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return !failed_;
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    return !failed_;
}

void ChunkPipe::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return filled_ > 0 || closing_; });
        if (filled_ == 0) return;   // closing, and everything written
        const char* data = buffers_[sinkAt_].data();
        const std::size_t n = lengths_[sinkAt_];
        // The caller fills other buffers meanwhile: this one stays counted
        // in `filled_` until the sink is done with it.
        lock.unlock();
        const bool ok = sink_(data, n);
        lock.lock();
        if (!ok) {
            failed_ = true;
            filled_ = 0;
            changed_.notify_all();
            return;
        }
        sinkAt_ = (sinkAt_ + 1) % buffers_.size();
        --filled_;
        changed_.notify_all();
    }
}

}  // namespace kelup
