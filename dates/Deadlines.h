#pragma once
// Deadlines and date placeholders of the notes: the date update that the
// timer, the main menu and DDE run, and the computing of one note's dates.

#include <windows.h>

namespace kelup {

class NoteStore;
class Shell;

class Deadlines {
public:
    Deadlines(Shell& shell, NoteStore& store);
    ~Deadlines();
    Deadlines(const Deadlines&) = delete;
    Deadlines& operator=(const Deadlines&) = delete;

    // The date update over every note: on a new day (or a clock set back)
    // the notes' placeholders are worked out again.
    void M_DateUp1Click();
    // Today as a serial day number; a test may fix it (0: the clock again).
    long Today() const;
    void SetToday(long day) { todayFixed_ = day; }
    // Rebuilds the shown text of the note in `slot` from its text file with
    // its date placeholders worked out for today; the file keeps them as typed.
    void CompDate(int slot);
    // A deadline action (sound, blinking) runs: notes take no mouse meanwhile.
    bool LimitBusy() const { return LimitBusy_; }
    // How many date updates have run (for the test bench).
    int DateUpdates() const { return DateUpdates_; }

private:
    // The scratch rich edit in which a note's text is worked out ("RichEditX").
    HWND Scratch();

    Shell& shell_;
    NoteStore& store_;
    HWND scratch_ = nullptr;
    long todayFixed_ = 0;
    int DateUpForceFG = -1;   // the next update works the texts out whatever the day
    long LastDateUp = 0;      // the day of the last update
    bool LimitBusy_ = false;
    int DateUpdates_ = 0;
};

}  // namespace kelup
