#pragma once
// The history window as the rest of the program sees it: a running
// transcript of what was sent and received this run. The LAN side writes
// its entries through this; the history window implements it.

#include <string>
#include <vector>

namespace kelup {

class Transcript {
public:
    // Which way the note an entry speaks of went; it picks the colour.
    enum class Side { Sent, Received };

    // Appends whole lines at the end of the transcript, each in the colour
    // of `side`. A line may hold CR characters, each of which starts a new
    // line. When the window is shown, the new lines are scrolled into view.
    virtual void AddLines(const std::vector<std::wstring>& lines, Side side) = 0;
    // The window is shown: read receipts and send confirmations go into the
    // transcript then, and into a message box otherwise.
    virtual bool Shown() const = 0;

protected:
    ~Transcript() = default;
};

}  // namespace kelup
