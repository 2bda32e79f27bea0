#pragma once
// Deadlines and date placeholders of the notes: the date update that the
// timer, the main menu and DDE run, the colours a near deadline gives a
// note, the sound, bringing forward and blinking when a deadline arrives,
// and the deadline dialog of a note.

#include <windows.h>

#include <map>
#include <string>

#include "dates/DeadlineRules.h"
#include "dates/SoundPlayer.h"

namespace kelup {

class NoteStore;
class Shell;
class TKELUPSHI;

class Deadlines {
public:
    Deadlines(Shell& shell, NoteStore& store);
    ~Deadlines();
    Deadlines(const Deadlines&) = delete;
    Deadlines& operator=(const Deadlines&) = delete;

    // The date update over every note: deadlines evaluated and coloured, on
    // a new day (or a clock set back) the placeholders worked out again,
    // sounds and the actions of arrived deadlines.
    void M_DateUp1Click();
    // A new period of the timer began: a deadline sound may play again.
    void NewTimerPeriod() { SoundPlayedFG = 0; }
    // Now and today as serial values; a test may fix them (0: the clock again).
    double Now() const;
    long Today() const;
    void SetNow(double now) { nowFixed_ = now; }
    // Evaluates the deadline of the text note in `slot` and colours it.
    void ColorByDate(int slot);
    // Rebuilds the shown text of the note in `slot` from its text file with
    // its date placeholders worked out for today; the file keeps them as typed.
    void CompDate(int slot);
    // The deadline dialog for the text note in `slot`, its result applied.
    void M_LimitClick(int slot);
    // The deadline dialog for the image note in `slot`: the same fields,
    // with no copy of a text to come back to and no colours.
    void ImageLimitClick(int slot);
    // Evaluates the deadline of the image note in `slot`; no colour changes,
    // nothing brought forward, and LimitFG kept where no rule holds.
    void ColorByDateY(int slot);
    // Deadlines are checked at all (a colour rule or the date check is on).
    bool CheckingOn() const;
    // A schedule date inserted in the editor for the note in `slot`: `day`
    // becomes its deadline when `asDeadline` (the time of day and the
    // every-day mark stay as they are); a note with a deadline is evaluated
    // afresh either way.
    void ScheduleDeadline(int slot, double day, bool asDeadline);
    // A deadline action (sound, blinking) runs: notes take no mouse meanwhile.
    bool LimitBusy() const { return LimitBusy_; }
    // For the test bench: date updates run, sounds asked for, blinks done.
    int DateUpdates() const { return DateUpdates_; }
    int SoundsPlayed() const { return sounds_.Requests(); }
    // Plays a sound file on the sound thread, without waiting (a note's arrival).
    void PlaySoundFile(const std::wstring& path) { sounds_.Play(path); }
    int Blinks() const { return Blinks_; }
    // One date update on the day after the last one (now stays fixed
    // there): its CPU time in microseconds; BenchWall() its wall time.
    long long BenchUpdate();
    long long BenchWall() const { return benchWall_; }

private:
    DateRules Rules() const;
    // The colours of rule 1..3 on the note's window and whole text.
    void ShowRuleColours(TKELUPSHI* n, int rule);
    int RuleTextColour(int rule) const;
    void SetTextColour(TKELUPSHI* n, int colour);
    // A note's text file, as read when it last changed.
    bool ReadTextFile(int slot, std::string& bytes);
    // The placeholders worked out in the scratch rich edit, for RTF the
    // quick way does not follow; false when the text could not be shown.
    bool RebuildInScratch(TKELUPSHI* n, const std::string& bytes, long today);
    // Back to the note's own colours and text after a rule stopped holding.
    void ShowOwnLook(int slot, TKELUPSHI* n);
    void PlayDueSounds();
    void LimitAction();
    std::wstring OrgCopyPath(int slot) const;
    // The scratch rich edit in which a note's text is worked out ("RichEditX").
    HWND Scratch();

    struct TextFile {
        std::wstring path;
        FILETIME written;
        unsigned long long size;
        std::string bytes;
    };

    Shell& shell_;
    NoteStore& store_;
    std::map<int, TextFile> texts_;   // by slot
    SoundPlayer sounds_;
    HWND scratch_ = nullptr;
    double nowFixed_ = 0;
    int DateUpForceFG = -1;   // the next update works the texts out whatever the day
    long LastDateUp = 0;      // the day of the last update
    int SoundPlayedFG = 0;    // a deadline sound played in this timer period
    bool LimitBusy_ = false;
    int DateUpdates_ = 0;
    int Blinks_ = 0;
    long long benchWall_ = 0;
};

}  // namespace kelup
