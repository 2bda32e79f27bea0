#pragma once
// What an image note asks of the store that made it: everything that spans
// notes, touches the data file or reaches the main window goes through here.

#include <windows.h>

#include <string>

#include "app/Settings.h"

namespace kelup {

class ImageHost {
public:
    virtual const Settings& NoteConfig() const = 0;
    virtual bool NetworkOff() const = 0;
    // The LAN could not be used this run.
    virtual bool NetDisabled() const = 0;
    // A deadline action runs: notes take no mouse meanwhile.
    virtual bool LimitBusy() const = 0;
    // Every image slot is in use: no new image note can be made.
    virtual bool ImageSlotsFull() const = 0;
    virtual void BringAppToFront() = 0;

    // Adds the note to the main menu's hidden notes (textNote false for an
    // image note); the entry's menu id.
    virtual UINT AddHiddenEntry(bool textNote, int number, const std::wstring& caption) = 0;
    // "はがす" of image note `slot`: the count goes down, the slot is freed and
    // the window released. The note is gone when this returns.
    virtual void ImageExitClick(int slot) = 0;

    // A new image note (MakeBKelup): mode 0 from the picture file `FName`, or
    // from the picture dialog when it is empty; mode 1 from the clipboard.
    // hideMode 1 hides it at once. Its slot, or 999.
    virtual int MakeBKelup(int mode, int hideMode, const std::wstring& FName) = 0;
    // The picture dialog of MakeBKelup opens in `folder` the next time.
    virtual void SetPictureFolder(const std::wstring& folder) = 0;
    // A picture file dropped on a note: a new image note from it. When the
    // file lies outside the data folder the user is asked whether to copy it
    // there; the copy takes a free name and never replaces another picture.
    // The new note's slot, or 999.
    virtual int DropPicture(const std::wstring& path) = 0;
    // A new text note, from the text file `FName` when it is not empty.
    virtual int MakeKelup(const std::wstring& FName) = 0;

    virtual void MainMenuPopup(POINT pt) = 0;
    // Ends the program (Alt+F4 on a note).
    virtual void M_ExitClick() = 0;
    // The association dialog; false when cancelled.
    virtual bool ChooseAssociation(HWND owner, std::wstring& text) = 0;
    // The deadline dialog for image note `slot` ("期日の設定"), its result
    // applied: the deadline fields, the colours by date, the stacking for the
    // new deadline (TopSet included) and, for "セットして非表示", the note
    // hidden as "非表示". The note calls TopRelease before.
    virtual void ImageLimitClick(int slot) = 0;
    // Whether note `slot` may hand `target` (its associated file) to the
    // shell; asks the user when the note came from another computer.
    virtual bool MayOpen(int slot, const std::wstring& target) { return true; }
    // "他マシンのデスクトップへ貼付": the compose editor in its image mode.
    virtual void SendImage(int slot) = 0;
    // The data file takes the notes as they are now.
    virtual void SaveNotes() = 0;
    // The data folder, ending with a separator.
    virtual std::wstring DataFolder() const = 0;
    // The sender of a received picture as the peer list names it.
    virtual std::wstring SenderDisplayName(const std::wstring& senderName) const { return senderName; }
    // Alignment of image note `slot` (kind 2) with the other notes: side 1
    // left or top, 2 right or bottom; `all` for every note.
    virtual void SLeft(int slot, int side, bool all, int sizeMode) {}
    virtual void STop(int slot, int side, bool all, int sizeMode) {}
    // The screen the size commands measure against.
    virtual SIZE ScreenSize() const { return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

protected:
    ~ImageHost() = default;
};

}  // namespace kelup
