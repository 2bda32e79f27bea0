// The shutdown sequence, in its order. It runs once, from the exit command,
// from the task-bar button or from the end of the Windows session.

#include "app/RARADAVE.h"
#include "base/FileOps.h"
#include "base/Messages.h"

namespace kelup {

void RARADAVE::ProgramEnd() {
    if (ended_) return;
    ended_ = true;
    // 1.
    Closing = 1;
    KillTimer(hwnd_, kTimer1);
    StopDde();
    // 2.
    CloseEditorAndHistory();
    // 3.
    UnregisterHotKeys();
    DdeLines.clear();
    // 4.
    WriteRecipientMenuItems();
    // 5. The lists are written in step 14; any wait in progress ends now.
    delayCancel_ = true;
    // 6. Notes that were never read are never written over.
    if (notesLoaded_) SaveData(Path.DataFilePath);
    ColorSave();
    // 7., 8.
    WriteWindowKeys();
    // 9.
    if (TrayIconShown) DelTrayIcon();
    // 10.
    bool hadTextNotes = TextNotes.Count() > 0;
    ReleaseNotes();
    // 11.
    if (hadTextNotes) WinHelpW(hwnd_, Path.HelpFile.c_str(), HELP_QUIT, 0);
    // 12.
    com_.reset();
    for (HBITMAP b : listBitmaps_) DeleteObject(b);
    listBitmaps_.clear();
    // 13.
    ListSave();
    // 14.
    if (NetDisabled == 0 && NetworkOff == 0) {
        AllListWrite();
        BroadCastExit();
        IP_Close();
    }
    // 15. The remote shutdown joins here with the network.
    // 16. Never a half-written backup: the copy replaces it only when whole.
    if (notesLoaded_ && FileExists(Path.DataFilePath)) CopyFileAtomic(Path.DataFilePath, Path.BackupFilePath);

    RemovePropW(hwnd_, kReadyProp);
    DestroyWindow(hwnd_);
}

}  // namespace kelup
