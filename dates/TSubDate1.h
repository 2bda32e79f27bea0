#pragma once
// The schedule-date dialog "予定日の挿入": a day and one of six phrasings
// for a countdown inserted into the compose editor, and whether that day
// becomes the note's deadline.

#include <windows.h>

#include "dates/DateTime.h"

namespace kelup {

struct ScheduleChoice {
    int ScheduleResult = 0;       // 1 confirmed (OK or a double-click), 0 cancelled
    int ScheduleFormat = -1;      // the phrasing's index in the list, -1 none chosen
    int ScheduleAsDeadline = 0;   // 1: the day becomes the note's deadline
    CivilDateTime day;            // the chosen day at 00:00
};

class TSubDate1 {
public:
    // Shows the dialog modally with today in the date field. `checkingOn`:
    // deadlines are checked, so CB_Date can be set. The list keeps its
    // selection from one use to the next.
    ScheduleChoice ShowModal(HWND owner, bool checkingOn);

    // The dialog's messages (see base/Dialog.h).
    INT_PTR OnMessage(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

private:
    void FormShow(HWND dlg);
    void btnOKClick(HWND dlg);
    void ListBox1DblClick(HWND dlg);
    void btnCancelClick(HWND dlg);

    ScheduleChoice* choice_ = nullptr;
    bool checkingOn_ = false;
    int listIndex_ = -1;   // the list's selection, kept for the next use
};

}  // namespace kelup
