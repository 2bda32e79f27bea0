#include "dates/SoundPlayer.h"

#include <mmsystem.h>

namespace kelup {

SoundPlayer::SoundPlayer() = default;

SoundPlayer::~SoundPlayer() {
    {
        std::lock_guard<std::mutex> g(lock_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        PlaySoundW(nullptr, nullptr, 0);   // a sound that plays ends now
        thread_.join();
    }
}

void SoundPlayer::Play(const std::wstring& path, HWND notify, UINT msg) {
    ++requests_;
    {
        std::lock_guard<std::mutex> g(lock_);
        if (stopping_) return;
        jobs_.push_back(Job{path, notify, msg});
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    wake_.notify_one();
}

void SoundPlayer::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> g(lock_);
            wake_.wait(g, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        // Synchronous here, on this thread: the end of the sound is known.
        PlaySoundW(job.path.c_str(), nullptr, SND_FILENAME | SND_NODEFAULT);
        if (job.notify) PostMessageW(job.notify, job.msg, 0, 0);
    }
}

}  // namespace kelup
