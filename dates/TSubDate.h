#pragma once
// The deadline dialog "期日の設定": the date and time a note is due, whether
// it comes back every day, and the sound it plays then.

#include <windows.h>

#include <string>

#include "dates/SoundPlayer.h"

namespace kelup {

struct DeadlineInput {
    double date = 0;        // serial date-time; its date part fills the date field
    double time = 0;        // serial date-time; its time of day fills the time field
    bool everyDay = false;  // "毎日"
    std::wstring sound;     // path of the WAV file
};

// `t` with its time of day cut back to the full hour (what "JUST" does).
double JustHour(double t);

class TSubDate {
public:
    explicit TSubDate(SoundPlayer& sounds) : sounds_(sounds) {}

    // Shows the dialog modally. `io` fills it and, for results 1 and 3, takes
    // what the user set: `date` the date of the date field (at midnight),
    // `time` the time of day of the time field (a fraction of a day),
    // `everyDay` and `sound`.
    // `useTime` is read when the dialog shows (for a note without a deadline)
    // and written when it closes: 1 when "時刻は使わない" is clear, else 0.
    // `waveSound` is the arrival-sound setting, whose folder "参照" starts in.
    // Results: 0 closed without a choice (window frame, Esc, "キャンセル"),
    // 1 "セット", 2 "リセット", 3 "セットして非表示". When the dialog cannot
    // be made the result is 0 and nothing is written.
    int ShowModal(HWND owner, DeadlineInput& io, int& useTime, const std::wstring& waveSound);

    // The dialog's messages (see base/Dialog.h).
    INT_PTR OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

private:
    void FormShow(HWND dlg);
    void FormClose(HWND dlg, int result);
    void btnJustClick(HWND dlg);
    void CheckBox1Click(HWND dlg);
    void CheckBox2Click(HWND dlg);
    void btnSanshoClick(HWND dlg);
    void btnTestClick(HWND dlg);
    // The two check boxes with what goes with them; each touches the other
    // only when that one really changes.
    void SetEveryDay(HWND dlg, bool on);
    void SetNoTime(HWND dlg, bool on);

    SoundPlayer& sounds_;
    DeadlineInput* io_ = nullptr;
    int* useTime_ = nullptr;
    const std::wstring* waveSound_ = nullptr;
    bool testing_ = false;   // a test sound of this dialog plays
};

}  // namespace kelup
