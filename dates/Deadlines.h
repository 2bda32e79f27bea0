#pragma once
// Deadlines and date placeholders of the notes: the date update that the
// timer, the main menu and DDE run, and the computing of one note's dates.

namespace kelup {

class NoteStore;

class Deadlines {
public:
    explicit Deadlines(NoteStore& store) : store_(store) {}

    // The date update over every note.
    void M_DateUp1Click();
    // Computes the date placeholders of the note in `slot`.
    void CompDate(int slot);
    // A deadline action (sound, blinking) runs: notes take no mouse meanwhile.
    bool LimitBusy() const { return LimitBusy_; }
    // How many date updates have run (for the test bench).
    int DateUpdates() const { return DateUpdates_; }

private:
    NoteStore& store_;
    bool LimitBusy_ = false;
    int DateUpdates_ = 0;
};

}  // namespace kelup
