// The shutdown sequence, in its order. It runs once, from the exit command,
// from the task-bar button or from the end of the Windows session.

#include "app/RARADAVE.h"
#include "base/FileOps.h"
#include "base/Messages.h"
#include "compose/Compose.h"
#include "extras/DdeServer.h"
#include "extras/THistBox.h"
#include "net/Lan.h"
#include "store/NoteStore.h"

namespace kelup {

void RARADAVE::ProgramEnd() {
    if (ended_) return;
    ended_ = true;
    // 1.
    State_.Closing = 1;
    KillTimer(hwnd_, kTimer1);
    dde_->Stop();
    // 2.
    hist_->FormClose();
    compose_->CloseEditor();
    // 3.
    UnregisterHotKeys();
    // 4.
    compose_->WriteRecipientMenuItems();
    // 5. The lists are written in step 14; any wait in progress ends now.
    delayCancel_ = true;
    // 6. Notes that were never read are never written over.
    if (store_->NotesLoaded()) store_->SaveData();
    ColorSave();
    // 7., 8.
    compose_->WriteWindowKeys();
    // 9.
    if (TrayIconShown) DelTrayIcon();
    // 10.
    bool hadTextNotes = store_->TextNoteCount() > 0;
    store_->ReleaseNotes();
    // 11.
    if (hadTextNotes) WinHelpW(hwnd_, Path_.HelpFile.c_str(), HELP_QUIT, 0);
    // 12. The recipient-list bitmaps go with the compose window.
    com_.reset();
    // 13.
    lan_->ListSave();
    // 14.
    if (State_.NetDisabled == 0 && State_.NetworkOff == 0) {
        lan_->AllListWrite();
        lan_->BroadCastExit();
        lan_->IP_Close();
    }
    // 15. The remote shutdown joins here with the network.
    // 16. Never a half-written backup: the copy replaces it only when whole.
    if (store_->NotesLoaded() && FileExists(Path_.DataFilePath))
        CopyFileAtomic(Path_.DataFilePath, Path_.BackupFilePath);

    RemovePropW(hwnd_, kReadyProp);
    DestroyWindow(hwnd_);
}

}  // namespace kelup
