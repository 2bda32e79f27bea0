#pragma once
// Plays WAV files on a thread of its own, one after another, so the program
// keeps answering while a sound plays.

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace kelup {

class SoundPlayer {
public:
    SoundPlayer();
    // Stops a sound that plays and waits for the thread.
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Plays the file at `path`, as stored; a missing or unplayable file is
    // passed over in silence. When `notify` is given, `msg` is posted to it
    // once the sound has ended (or could not be played).
    void Play(const std::wstring& path, HWND notify = nullptr, UINT msg = 0);
    // How many sounds have been asked for (for the test bench).
    int Requests() const { return requests_; }

private:
    struct Job {
        std::wstring path;
        HWND notify;
        UINT msg;
    };
    void Run();

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    int requests_ = 0;
    std::thread thread_;   // made at the first sound
};

}  // namespace kelup
