// A note written in the compose editor: what the note hands the editor,
// and what it takes back when the editor closes.

#include <windows.h>
#include <richedit.h>

#include "store/NoteStore.h"

#include "app/AppWindow.h"
#include "base/Clock.h"
#include "base/FileOps.h"
#include "dates/DateTime.h"
#include "dates/Deadlines.h"
#include "net/LocalNow.h"
#include "net/OutgoingNote.h"
#include "notes/RichText.h"
#include "net/Transcript.h"
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
        // A note its sender protected opens only with the user's password.
        if (note->SetPWord == 1 && !AskPassword(slot)) {
            resume();
            return r;
        }
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
    q.openFName = note->OpenFName;
    if (MakingNote == 0) {
        // The text as typed: the Org copy of a note with a deadline, else its file.
        std::wstring org = Path.DataDir + L"Org\\" + note->DataName;
        q.textPath = note->K_Date != 0 && FileExists(org) ? org : Path.DataDir + note->DataName;
    }
    if (newNote) {
        q.newNoteFont = true;
        q.font = TextFont{Config.FontName, Config.FontSize, COLORREF(Config.FontColor), Config.FontStyle};
    }

    // The sender asked to hear when the note is read.
    SendReadReceipt(slot);
    const bool unopened = note->KeyOpen > 0;
    if (newNote && !IsWindowVisible(note->Handle())) {
        q.afterReady = [this, slot] {
            if (TKELUPSHI* n = TextNotes.At(slot)) n->ShowNote();
        };
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

    // (A new note sent and then peeled is kept until it has gone out.)
    if (newNote && r.EditSendMode == 0 && (r.EditUpdateFG == 0 || r.EditRemoveFG == 1)) {
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
        // A received note opened for the first time: its text goes to the history.
        if (unopened && transcript_) {
            std::wstring now = FormatDateTime(LocalNow());
            std::vector<std::wstring> lines = ArrivalHistoryLines(now, note->SenderName, note->SenderAddr);
            for (auto& l : HistoryTextLines(RichLines(note->RichEdit1()))) lines.push_back(std::move(l));
            transcript_->AddLines(lines, Transcript::Side::Received);
        }
        note->SetPWord = 0;
        note->KeyOpen = 0;
        SaveData();
        editSavedAt_ = MicrosNow();
    }
    // The send the editor asked for: an unchanged note goes as it is (9).
    bool sendRefused = false;
    if (r.EditSendMode > 0 && sending_) {
        int mode = r.EditUpdateFG == 0 && r.EditSendMode != 3 ? 9 : r.EditSendMode;
        sendRefused = !SendNote(note, r, mode);
        if (shell_.State().Closing) return r;
        note = TextNotes.At(slot);
        if (!note) return r;
    }
    SendMessageW(note->RichEdit1(), EM_SETSEL, 0, 0);
    SendMessageW(note->RichEdit1(), EM_SCROLLCARET, 0, 0);
    note->ApplyAlpha();
    // A note to be peeled after its send stays when the send was refused.
    if (r.EditRemoveFG == 1 && !(r.EditSendMode > 0 && sendRefused)) {
        if (timer) shell_.EnableTimer1(true);
        // A note sent and peeled always leaves a log entry.
        bool log = Config.UseLog1 == 1 || (r.EditSendMode == 2 && !sendRefused);
        PeelNote(slot, log ? PeelKind::Log1 : PeelKind::Exit);
        return r;
    }
    resume();
    return r;
}

bool NoteStore::SendNote(TKELUPSHI* note, const EditResult& r, int mode) {
    OutgoingNote out;
    out.slot = note->MyNumber;
    out.colour = note->ORGColor;
    RECT b = note->Bounds();
    out.left = b.left, out.top = b.top, out.width = b.right - b.left, out.height = b.bottom - b.top;
    out.tomei = note->Tomei;
    out.waku = note->WakuNum;
    if (note->K_Date != 0 && note->EveryDay != 1) {
        CivilDateTime d = DecodeDateTime(note->K_Date);
        out.deadline = LocalDateTime{d.year, d.month, d.day, d.hour, d.minute, d.second};
    }
    out.openFName = note->OpenFName;
    out.title = RichFontAtParagraph(note->RichEdit1(), 0);
    out.body = RichFontAtParagraph(note->RichEdit1(), 1);
    out.lines = compose_ ? compose_->Lines() : std::vector<std::wstring>{};
    // A changed note with a deadline goes with its placeholders as typed.
    out.rtf = r.rtf;
    const std::wstring org = Path.DataDir + L"Org\\" + note->DataName;
    if (note->K_Date != 0 && mode != 9 && FileExists(org)) {
        std::string bytes;
        if (ReadWholeFile(org, bytes)) out.rtf = std::move(bytes);
    }
    const int sendMode = mode == 9 ? 1 : mode;
    if (!sending_->KelupSendAction(out, r.send, mode)) return false;
    if (shell_.State().Closing) return true;
    // Recipients of a send (not of a send to an absentee) go to the editor's
    // menu of recent recipients.
    if (sendMode != 3 && !r.send.absenteeGroup && compose_) compose_->AddRecentRecipients(r.send.recipients);
    return true;
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
