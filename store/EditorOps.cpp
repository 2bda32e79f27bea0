// A note written in the compose editor: what the note hands the editor,
// and what it takes back when the editor closes.

#include <windows.h>
#include <richedit.h>

#include "store/NoteStore.h"

#include "app/AppWindow.h"
#include "base/Clock.h"
#include "base/FileOps.h"
#include "dates/Deadlines.h"
#include "notes/RichText.h"
#include "notes/TKELUPSHI.h"

namespace kelup {

void NoteStore::InputBoxExec(int slot, int sendMode) { RunEditor(slot, sendMode, false); }

EditResult NoteStore::RunEditor(int slot, int sendMode, bool newNote) {
    EditResult r;
    TKELUPSHI* note = TextNotes.At(slot);
    if (!note || !compose_) return r;
    const bool timer = Config.UseTimer == 1;
    if (timer) shell_.EnableTimer1(false);
    note->TopRelease();
    auto resume = [&] {
        if (TKELUPSHI* n = TextNotes.At(slot)) n->TopSet();
        if (timer) shell_.EnableTimer1(true);
    };
    note->ShftKeyDown = false;
    // One editor at a time.
    if (compose_->EditorOpen()) {
        resume();
        return r;
    }
    // A received note not yet opened first gets back the size it was sent with.
    if (note->KeyOpen > 0) {
        RECT b = note->Bounds();
        int w = note->ORGWidth > 0 ? note->Scale(note->ORGWidth) : b.right - b.left;
        int h = note->ORGHeight > 0 ? note->Scale(note->ORGHeight) : b.bottom - b.top;
        note->SetBounds(b.left, b.top, w, h);
    }

    EditRequest q;
    q.slot = slot;
    q.KlnColor = note->Color();
    q.ORGColor = note->ORGColor;
    if (note->KeyOpen == 0) note->SetPWord = 0;
    q.sendMode = (note->KeyOpen > 0 && Config.ALWAYSRESMODE == 1) ? -1 : sendMode;
    q.noteJustMade = NoteJustMade != 0;
    q.locked = note->LockMode == 1;
    if (!note->SenderName.empty() && !NetworkOff()) {
        q.caption = L"ケラップx64　［送信者：" + note->SenderName + L"］";
    }
    if (!note->SenderAddr.empty()) {
        q.senderAddr = note->SenderAddr;
        q.senderLine = note->SenderName.empty() ? note->SenderAddr : note->SenderName + L"(" + note->SenderAddr + L")";
    }
    q.senderSex = note->SenderSex;
    if (MakingNote == 0) {
        // The text as typed: the Org copy of a note with a deadline, else its file.
        std::wstring org = Path.DataDir + L"Org\\" + note->DataName;
        q.textPath = note->K_Date != 0 && FileExists(org) ? org : Path.DataDir + note->DataName;
    }
    if (newNote) {
        q.newNoteFont = true;
        q.font = TextFont{Config.FontName, Config.FontSize, COLORREF(Config.FontColor), Config.FontStyle};
    }

    r = compose_->Edit(q);
    MakingNote = 0;
    NoteJustMade = 0;
    // The program ended while the editor was open: its notes are saved and
    // gone, and nothing may be written after that.
    if (shell_.State().Closing) return r;
    if (r.EditerBkgnd != Config.EditerBkgnd) shell_.RememberEditerBkgnd(r.EditerBkgnd);
    note = TextNotes.At(slot);   // the editor may have made notes meanwhile
    if (!note) return r;
    SendMessageW(note->RichEdit1(), EM_SETSEL, 0, 0);

    if (newNote && (r.EditUpdateFG == 0 || r.EditRemoveFG == 1)) {
        // A new note the editor did not fill is not kept: nothing to peel or undo.
        DiscardNewNote(slot);
        resume();
        return r;
    }
    if (r.EditUpdateFG > 0 || r.EditRemoveFG == 1) {
        note->SetColor(r.KlnColor);
        if (note->K_Date == 0) note->ORGColor = r.KlnColor;
    }
    if (r.EditUpdateFG > 0) {
        EditResultSet(note, r);
        note->SetPWord = 0;
        note->KeyOpen = 0;
        SaveData();
        editSavedAt_ = MicrosNow();
    }
    SendMessageW(note->RichEdit1(), EM_SETSEL, 0, 0);
    SendMessageW(note->RichEdit1(), EM_SCROLLCARET, 0, 0);
    note->ApplyAlpha();
    if (r.EditRemoveFG == 1) {
        if (timer) shell_.EnableTimer1(true);
        PeelNote(slot, Config.UseLog1 == 1 ? PeelKind::Log1 : PeelKind::Exit);
        return r;
    }
    resume();
    return r;
}

void NoteStore::EditResultSet(TKELUPSHI* note, const EditResult& r) {
    const std::wstring file = Path.DataDir + note->DataName;
    const std::wstring org = Path.DataDir + L"Org\\" + note->DataName;
    const bool hasOrg = note->K_Date != 0 && FileExists(org);
    // The backup holds the text as it was before this edit.
    std::string before;
    if (ReadWholeFile(hasOrg ? org : file, before)) {
        CreateDirs(Path.DataDir + L"Backup\\");
        WriteFileAtomic(Path.DataDir + L"Backup\\" + note->DataName, before);
    }
    note->LineCnt = r.lineCount;
    WriteFileAtomic(file, r.rtf);
    if (hasOrg) WriteFileAtomic(org, r.rtf);
    note->ShowRtf(r.rtf);
    CompDate(note->MyNumber);
}

void NoteStore::DiscardNewNote(int slot) {
    TKELUPSHI* note = TextNotes.At(slot);
    if (!note) return;
    ShowWindow(note->Handle(), SW_HIDE);
    DeleteFileW((Path.DataDir + note->DataName).c_str());
    ReleaseTextNote(slot);
}

int NoteStore::MakeNoteFromLines(const std::vector<std::wstring>& lines) {
    DdeNoteRequest text;
    text.lines = lines;
    text.count = int(lines.size());
    int slot = MakeKelup(L"@@@", text);
    return slot == kNoSlot ? -1 : slot;
}

void NoteStore::ScheduleDeadline(int slot, double day, bool asDeadline) {
    if (dates_) dates_->ScheduleDeadline(slot, day, asDeadline);
}

bool NoteStore::DeadlineCheckingOn() const { return dates_ && dates_->CheckingOn(); }

}  // namespace kelup
