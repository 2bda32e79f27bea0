#pragma once
// What the main window offers the subsystems it owns: the settings and
// folders read at start (read-only: the main window and, later, the options
// dialog are their only writers), the program-wide state, and the few
// services of the shell itself. Subsystems hold a Shell& and nothing else of
// the main window.

#include <windows.h>

#include <string>

#include "app/Paths.h"
#include "app/Settings.h"

namespace kelup {

class AppWindow;

// A note's design made the default for new notes ("デフォルト").
struct DefaultDesign {
    int FontColor = 0, FontSize = 12, FontStyle = 0;
    std::wstring FontName;
    int Colorx64 = 0, Waku = 1, Width = 272, Height = 60, Top = 0, Left = 0, Thru = 0, Border = 0, AlphaValue = 255;
};

// Program-wide values set by the start and shutdown sequences.
struct ProgramState {
    unsigned char BusyFG = 1;     // the start or a long operation runs
    unsigned char Closing = 0;    // the shutdown has begun
    int NetworkOff = 0;           // the user chose not to use the LAN
    int NetDisabled = 0;          // the LAN could not be used this run
    int OsLevel = 9;
    std::wstring MyUserName;      // the Windows user's log-on name
    std::wstring VersionText = L"0.0.0.0";
};

class Shell {
public:
    virtual const Settings& Config() const = 0;
    virtual const Paths& Path() const = 0;
    virtual const ProgramState& State() const = 0;

    // The invisible main window: owner of message boxes and socket notices.
    virtual HWND MainHandle() const = 0;
    // The application window: owner of the notes and of the task-bar button.
    virtual AppWindow& App() = 0;
    // The main menu ("PopupMenu1"); its "表示／非表示" submenu holds the hidden notes.
    virtual HMENU PopupMenu1() const = 0;
    virtual void MainMenuPopup(POINT pt) = 0;
    // Waits while processing window messages; returns early once shutdown begins.
    virtual void Delay(DWORD ms) = 0;
    virtual void M_ExitClick() = 0;
    // The compose editor is open: operations that would open it wait.
    virtual bool EditorOpen() const = 0;
    // The colour dialog with the program's custom colours; false when cancelled.
    virtual bool ChooseColour(HWND owner, int& color) = 0;
    // The association dialog; false when cancelled.
    virtual bool ChooseAssociation(HWND owner, std::wstring& text) = 0;
    // New notes take this design from now on; it is written to kelup.ini at once.
    virtual void SaveDefaultDesign(const DefaultDesign& d) = 0;
    // The pointer reached a note: a title telling of a note's arrival goes.
    virtual void ArrivalSeen() = 0;
    // The title tells of a note's arrival.
    virtual bool ArrivalShown() const { return false; }
    // A note arrived: the application's title and task-bar button tell so,
    // and the application comes forward.
    virtual void ShowArrival() {}
    // The main timer stops while a dialog that sets what it acts on is open.
    virtual void EnableTimer1(bool on) = 0;
    // A long operation runs (BusyFG): the timer starts no date update meanwhile.
    virtual void SetBusy(bool on) = 0;
    // The deadline dialog's use of a time of day, remembered for its next use.
    virtual void RememberUseTime(int useTime) = 0;
    // The editor's "背景を付箋紙の色に合わせる" as last switched, kept in kelup.ini.
    virtual void RememberEditerBkgnd(int on) = 0;

protected:
    ~Shell() = default;
};

}  // namespace kelup
