#pragma once
// What a note window asks of the store that made it: everything that spans
// notes, touches files or reaches the main window goes through here.

#include <windows.h>

#include <string>

#include "app/Shell.h"

namespace kelup {

// The three ways of peeling a text note.
enum class PeelKind { Log1, Exit, Comment };

class NoteHost {
public:
    virtual const Settings& NoteConfig() const = 0;
    virtual bool NetworkOff() const = 0;
    // The LAN could not be used this run.
    virtual bool NetDisabled() const = 0;
    // The compose editor is open.
    virtual bool EditorOpen() const = 0;
    // A deadline action runs: notes take no mouse meanwhile.
    virtual bool LimitBusy() const = 0;
    // A note is being edited in place.
    virtual bool DirectEditing() const = 0;
    virtual bool TextSlotsFull() const = 0;
    virtual void BringAppToFront() = 0;
    // Adds the note to the main menu's hidden notes; the entry's menu id.
    virtual UINT AddHiddenEntry(bool textNote, int number, const std::wstring& caption) = 0;
    virtual void PeelNote(int slot, PeelKind kind) = 0;
    virtual int MakeKelup(const std::wstring& FName) = 0;
    // A picture file dropped on a note becomes a new image note (a copy in
    // the data folder when the user wants one). Its slot, or 999.
    virtual int DropPicture(const std::wstring& path) { return 999; }
    virtual void RepKelup(int A, int B) = 0;
    virtual void MainMenuPopup(POINT pt) = 0;
    virtual void M_ExitClick() = 0;
    // Dialogs of the main window.
    virtual bool ChooseColour(HWND owner, int& color) = 0;
    virtual bool ChooseAssociation(HWND owner, std::wstring& text) = 0;
    virtual void SaveDefaultDesign(const DefaultDesign& d) = 0;
    // The data file takes the notes as they are now.
    virtual void SaveNotes() = 0;
    // All text of the note's text file takes the colour (the file is made
    // from the window when there is none).
    virtual void RecolourTextFile(int slot, int color) = 0;
    // The note's text from a note text file dropped on it, when the user agrees.
    virtual void ReplaceTextFromFile(int slot, const std::wstring& path) = 0;
    // The hint of a note's whole text, one for all notes.
    virtual void ShowHint(const std::wstring& text, POINT at) = 0;
    virtual void HideHint() = 0;
    virtual bool HintShown() const = 0;
    // The deadline dialog for the note in `slot`, its result applied.
    virtual void M_LimitClick(int slot) = 0;
    // The compose editor on the note in `slot` ("エディタ編集"); sendMode
    // -1 opens it to reply. The note may be gone afterwards (peeled there).
    virtual void InputBoxExec(int slot, int sendMode) = 0;
    // The pointer reached a note.
    virtual void ArrivalSeen() = 0;
    // The pointer reached note `slot` (its hit test): the arrival title goes
    // and, with it, a receipt the note still owes.
    virtual void ArrivalSeenBy(int slot) { ArrivalSeen(); }
    // Whether note `slot` may hand `target` (its associated file or a link)
    // to the shell; asks the user when the note came from another computer.
    virtual bool MayOpen(int slot, const std::wstring& target) { return true; }
    // Whether the text of note `slot` may be shown: a note its sender
    // protected asks for the user's password first.
    virtual bool MayReveal(int slot) { return true; }

    // --- In-place editing and text commands ---------------------------------
    // The note in `slot` begins editing in place; a note still being edited
    // in place ends its editing first (its text written and saved).
    virtual void EnterDirectEdit(int slot) = 0;
    // The note in `slot` is no longer edited in place.
    virtual void LeaveDirectEdit(int slot) = 0;
    // The note being edited in place, or 999.
    virtual int DirectEditSlot() const = 0;
    // The file holding the note's text as typed, placeholders and all: the
    // "Org\" copy of a note with a deadline while it is the newer text, else
    // the note's text file. Empty when neither exists.
    virtual std::wstring TypedTextPath(int slot) const = 0;
    // The note's text file and its folder (the data folder).
    virtual std::wstring NoteTextPath(int slot) const = 0;
    virtual std::wstring DataFolder() const = 0;
    // The note's rich text to its text file, and to the "Org\" copy when the
    // note has a deadline and the copy exists; false when a write failed.
    virtual bool WriteNoteText(int slot, bool withOrgCopy) = 0;
    // The note shows its text file with the placeholders worked out, and its
    // colours by date.
    virtual void CompDate(int slot) = 0;
    // The copy of the note's text in "Backup\".
    virtual void SaveBackUpKdt(int slot) = 0;
    // Where "テキストファイルに保存" starts: Downloads, else Documents.
    virtual std::wstring SaveTextFolder() const = 0;

protected:
    ~NoteHost() = default;
};

}  // namespace kelup
