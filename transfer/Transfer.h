#pragma once
// File and picture transfer over TCP: the client and server threads hand
// every user-visible step to the main thread.

#include <windows.h>

namespace kelup {

class Shell;

class Transfer {
public:
    explicit Transfer(Shell& shell) : shell_(shell) {}

    // A picture receive finished (0x04E1 from a transfer thread).
    void OnPictureDone(WPARAM wp, LPARAM lp);

private:
    Shell& shell_;
};

}  // namespace kelup
