// The main window's note-store operations: slot tables, the data file with
// its recovery from the backup, the translucency file and the undo holders.

#include <windows.h>
#include <richedit.h>
#include <shellapi.h>

#include "store/NoteStore.h"
#include "app/ShowMsg.h"
#include "base/Cp932.h"
#include "base/FileOps.h"
#include "dates/DateTime.h"
#include "dates/SystemFormat.h"
#include "notes/RichText.h"
#include "notes/TBMPKELUPSHI.h"
#include "notes/TKELUPSHI.h"
#include "store/DataFile.h"
#include "store/HalfFile.h"

namespace kelup {

void NoteStore::AllocateSlots() {
    MaxTextNotes = SlotCountFor(Config.MAX1, 99);
    MaxImageNotes = SlotCountFor(Config.MAX2, 20);
    TextNotes.Allocate(MaxTextNotes);
    ImageNotes.Allocate(MaxImageNotes);
    textWindows_.clear();
    textWindows_.resize(size_t(MaxTextNotes));
    imageWindows_.clear();
    imageWindows_.resize(size_t(MaxImageNotes));
    UndoCount = 0;
    UndoNotes = {};
    UndoNotes[0].DataName = L"kelup.kd0";
    UndoNotes[1].DataName = L"kelup.kd1";
    UndoAlpha = {255, 255};
}

void NoteStore::ReleaseNotes() {
    // What was typed in place is kept, as when the editing is left.
    if (TKELUPSHI* n = TextNotes.At(DirectEditNo)) n->M_DirectExitClick();
    for (int i = 0; i < MaxTextNotes; ++i)
        if (TextNotes.InUse(i)) ReleaseTextNote(i);
    ReleaseImageNotes();
}

// --- records and windows -----------------------------------------------

TextNoteRecord NoteStore::RecordOf(TKELUPSHI* n) const {
    TextNoteRecord r;
    r.slot = n->MyNumber;
    RECT b = n->LogicalStoredBounds();
    r.Left = b.left, r.Top = b.top, r.Width = b.right - b.left, r.Height = b.bottom - b.top;
    r.ORGColor = n->ORGColor;
    r.StOnTp = n->StOnTp;
    r.WakuNum = n->WakuNum;
    r.KeyOpen = n->KeyOpen;
    r.LockMode = n->LockMode;
    r.Tomei = n->Tomei;
    r.HideFG = n->HideFG == 2 ? 2 : 0;
    r.EveryDay = n->EveryDay;
    r.SetPWord = n->SetPWord;
    r.BkgndTrans = n->BkgndTrans;
    r.SenderSex = n->SenderSex;
    r.Border = n->Border;
    r.LineSpace = n->LineSpace;
    r.MakeDT = n->MakeDT;
    r.K_Date = n->K_Date;
    r.SendDate = n->SendDate;
    r.SendTime = n->SendTime;
    r.DataName = n->DataName;
    r.SenderName = n->SenderName;
    r.SenderAddr = n->SenderAddr;
    r.SndName = n->SndName;
    r.OpenFName = n->OpenFName;
    r.BkgndName = n->BkgndName;
    return r;
}

void NoteStore::ApplyRecord(TKELUPSHI* n, const TextNoteRecord& r, bool undoRecord) {
    n->SetLogicalBounds(r.Left, r.Top, r.Width, r.Height);
    n->ORGColor = r.ORGColor;
    n->SetColor(r.ORGColor);
    n->StOnTp = r.StOnTp;
    n->WakuNum = n->WakuNumBk = r.WakuNum;
    n->WakuSet(r.WakuNum);
    n->KeyOpen = r.KeyOpen;
    if (!undoRecord) {
        n->LockMode = r.LockMode;
        n->HideFG = r.HideFG == 2 ? 2 : 0;
        n->Border = r.Border;
    }
    n->Tomei = r.Tomei;
    n->EveryDay = r.EveryDay;
    n->SetPWord = r.SetPWord;
    n->BkgndTrans = r.BkgndTrans;
    n->SenderSex = r.SenderSex.empty() ? L"0" : r.SenderSex;
    n->LineSpace = std::max(r.LineSpace, 20);
    n->MakeDT = r.MakeDT;
    n->K_Date = r.K_Date;
    n->SendDate = r.SendDate;
    n->SendTime = r.SendTime;
    n->SenderName = r.SenderName;
    n->SenderAddr = r.SenderAddr;
    n->SndName = r.SndName;
    n->OpenFName = r.OpenFName;
    n->BkgndName = r.BkgndName;
}

// The face of a received note not opened yet: who sent it and when.
void NoteStore::ShowSealedFace(TKELUPSHI* n) {
    HWND re = n->RichEdit1();
    RichClear(re);
    RichSetFont(re, TextFont{Config.FontName, Config.RecvFontSize, COLORREF(Config.FontColor), 0});
    std::wstring sent = SystemDateText(DecodeDateTime(n->SendDate)) + L" " + SystemTimeText(DecodeDateTime(n->SendTime));
    for (const std::wstring& line : {std::wstring(L"A Message"), L"From " + n->SenderName,
                                     L"At " + sent, std::wstring()})
        RichAppendLine(re, line);
}

// --- the data file -------------------------------------------------------

bool NoteStore::SaveData(const std::wstring& FileName) {
    // 1. Pictures held only in memory get their file first: the record names it.
    WriteMemoryPictures();
    // 2.
    DataFileContent content;
    content.maxTextNotes = MaxTextNotes;
    HalfValues half;
    TextNotes.ForEach([&](int slot, TKELUPSHI* n) {
        n->DataName = TextFileName(slot);
        content.textNotes.push_back(RecordOf(n));
        half.notes[slot] = n->AlphaValue;
    });
    ImageNotes.ForEach([&](int, TBMPKELUPSHI* b) { content.imageNotes.push_back(ImageRecordOf(b)); });
    content.imageNotes.insert(content.imageNotes.end(), KeptImageRecords.begin(), KeptImageRecords.end());
    content.undoCount = UndoCount;
    content.undo = UndoNotes;
    half.undo = UndoAlpha;
    // 3.
    std::string previousHalf;
    ReadWholeFile(Path.HalfIniPath, previousHalf);
    WriteFileAtomic(Path.HalfIniPath, WriteHalfFile(previousHalf, half));
    // 4. A crash during the save leaves the previous file whole.
    std::optional<std::string> bytes = WriteDataFile(content, NowAsDateTime());
    if (!bytes) {
        ShowMsg(L"エラーが発生しました", MB_ICONERROR, Owner());
        return false;
    }
    if (!WriteFileAtomic(FileName, *bytes)) {
        ShowMsg(L"ファイル書込みでエラーが発生しました", MB_ICONERROR, Owner());
        return false;
    }
    return true;
}

void NoteStore::LoadData() {
    Recovering = 0;
    ReadErr = 0;
    // From here on the notes in memory are the user's notes: a save writes them.
    notesLoaded_ = true;
    if (FileExists(Path.DataFilePath)) LoadDataMain(Path.DataFilePath);
    if (ReadErr != 1) return;
    // The next save replaces the unreadable file: keep it aside first, so
    // what it still holds is not lost for good.
    CopyFileAtomic(Path.DataFilePath, Path.DataFilePath + L".damaged");
    ReleaseNotes();
    KeptImageRecords.clear();
    if (FileExists(Path.BackupFilePath)) {
        ShowMsg(L"ファイル読込みでエラーが発生したので\rバックアップで復旧します", MB_ICONINFORMATION, Owner());
        Recovering = 1;
        LoadDataMain(Path.BackupFilePath);
    } else {
        ShowMsg(L"ファイル読込みでエラーが発生したので\rバックアップで復旧しようとしましたが\rバックアップが見つかりませんでした",
                MB_ICONERROR, Owner());
    }
}

namespace {

DateTextFormat SystemDateFormat() {
    wchar_t pattern[80] = {}, sep[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, pattern, 80);
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, sep, 8);
    return DateTextFormat::FromShortDatePattern(pattern, sep[0] ? sep[0] : L':');
}

}  // namespace

void NoteStore::LoadDataMain(const std::wstring& FileName) {
    ReadErr = 0;
    std::string bytes;
    if (!ReadWholeFile(FileName, bytes)) {
        ReadErr = 1;
        if (Recovering == 1) ShowMsg(L"ファイル読込み処理でエラーが発生しました", MB_ICONERROR, Owner());
        return;
    }
    DataFileReadOptions options;
    options.now = NowAsDateTime();
    options.dateFormat = SystemDateFormat();
    DataFileReadResult result = ReadDataFile(bytes, options);
    if (!result.Whole()) {
        ReadErr = 1;
        // A broken data file is recovered from the backup; a broken backup
        // keeps what it held whole.
        if (Recovering == 0) return;
        ShowMsg(result.status == DataFileStatus::Truncated ? L"ファイル読込み処理でエラーが発生しました"
                                                           : L"エラーが発生しました",
                MB_ICONERROR, Owner());
    }
    const DataFileContent& c = result.content;
    const bool oldInline = result.version < 97200;
    std::wstring folder = FileName.substr(0, FileName.find_last_of(L"\\/") + 1);

    std::vector<int> stored;
    for (const auto& r : c.textNotes) stored.push_back(r.slot);
    std::vector<int> slots = PlaceInSlots(stored, MaxTextNotes);
    std::vector<TKELUPSHI*> loaded;
    for (size_t i = 0; i < c.textNotes.size(); ++i) {
        const TextNoteRecord& r = c.textNotes[i];
        int slot = slots[i];
        if (slot == kNoSlot) break;
        PendingBorder = r.Border != 0 ? -1 : 0;
        RECT place = ScaledPlace(r.Left, r.Top, r.Width, r.Height);
        TKELUPSHI* n = NewTextNoteWindow(slot, PendingBorder != 0, &place);
        if (!n) continue;
        ApplyRecord(n, r, false);
        n->DataName = TextFileName(slot);
        HWND re = n->RichEdit1();
        bool textLoaded = false;   // loading a text file sets the line spacing too
        if (oldInline) {
            if (r.inlineText && !r.inlineText->lines.empty()) {
                RichClear(re);
                RichSetFont(re, TextFont{r.inlineText->fontName, r.inlineText->fontSize,
                                         COLORREF(r.inlineText->fontColor), 0});
                for (const auto& line : r.inlineText->lines) RichAppendLine(re, line);
            }
        } else {
            // The text of a note whose slot moved stays in the file its record
            // names until it is written under the new number.
            std::wstring textFile = folder + (r.slot == slot ? n->DataName : r.DataName);
            // A missing file leaves the note empty.
            n->LoadText(textFile);
            textLoaded = true;
        }
        if (!textLoaded) n->ApplyLineSpace();
        // The next save names "kelup<slot>.kdt" for this note: a text that
        // lives only in the window so far (kept in the record by older
        // versions, or under the number of another slot) gets that file now,
        // and a file left there by an older note never comes back in its place.
        if (oldInline || r.slot != slot) RichEdSaveToFile(slot, Path.DataDir + n->DataName);
        loaded.push_back(n);
        // Shown in slot order as each is made: under Wine a window shown while
        // few others are up costs half of one shown after all are made. A note
        // that goes straight into the main menu is never shown.
        if (n->HideFG != 2) n->ShowNote();
        CompDate(n->MyNumber);
        if (n->KeyOpen == 1 && n->Tomei != 1) ShowSealedFace(n);
        n->ApplyStacking(Config.Bottom);
    }
    UndoCount = std::min(c.undoCount, result.undoRecords);
    if (result.undoRecords > 0) UndoNotes = c.undo;
    UndoNotes[0].DataName = L"kelup.kd0";
    UndoNotes[1].DataName = L"kelup.kd1";
    if (!result.Whole()) {
        UndoCount = 0;
        if (int(c.textNotes.size()) < result.textAnnounced)
            ShowMsg(L"バックアップファイルのエラーにより付箋紙が失われました", MB_ICONERROR, Owner());
        else if (int(c.imageNotes.size()) < result.imageAnnounced)
            ShowMsg(L"バックアップファイルのエラーによりビットマップ付箋紙が失われました", MB_ICONERROR, Owner());
    }

    for (TKELUPSHI* n : loaded) {
        if (n->Tomei != 0) {
            if (result.version > 97204) n->Tomei = 0;
            n->M_TomeiClick();
        }
    }
    for (TKELUPSHI* n : loaded)
        if (n->HideFG == 2) n->HideAction();

    // The image notes after the text notes, in the order the file holds them.
    LoadImageNotes(c.imageNotes, result.version);

    // Translucency of each note from its own line of the translucency file.
    std::string halfText;
    if (ReadWholeFile(Path.HalfIniPath, halfText)) {
        HalfValues half = ReadHalfFile(halfText);
        for (TKELUPSHI* n : loaded) {
            n->AlphaValue = HalfAlphaOf(half, n->MyNumber);
            if (n->AlphaValue < 255 && n->Tomei == 0) n->ApplyAlpha();
        }
        UndoAlpha = half.undo;
    }
}

// --- undo ----------------------------------------------------------------

void NoteStore::UndoFormCopy(int S, int D) {
    std::wstring name = UndoNotes[size_t(D)].DataName;
    UndoNotes[size_t(D)] = UndoNotes[size_t(S)];
    UndoNotes[size_t(D)].DataName = name;
    UndoNotes[size_t(D)].slot = D;
    UndoAlpha[size_t(D)] = UndoAlpha[size_t(S)];
    UndoCheckMode[size_t(D)] = UndoCheckMode[size_t(S)];
}

void NoteStore::UndoForm(TKELUPSHI* note) {
    // 1.
    if (UndoCount > 0) {
        UndoCount = 2;
        UndoFormCopy(0, 1);
    } else {
        UndoCount = 1;
    }
    // 2.
    TextNoteRecord r = RecordOf(note);
    r.slot = 0;
    r.HideFG = note->HideFG;
    r.DataName = L"kelup.kd0";
    if (r.SenderSex.empty()) r.SenderSex = L"0";
    UndoNotes[0] = r;
    UndoAlpha[0] = note->AlphaValue;
    UndoCheckMode[0] = note->CheckMode;
    // 3.
    if (FileExists(Path.UndoPath0)) CopyFileAtomic(Path.UndoPath0, Path.UndoPath1);
    // 4., 5. A note with a deadline keeps its text as written in "Org\": that
    // is the text to bring back, not the one coloured by date.
    std::wstring org = Path.DataDir + L"Org\\" + note->DataName;
    std::wstring own = Path.DataDir + note->DataName;
    if (FileExists(org)) {
        if (!CopyFileAtomic(org, Path.UndoPath0)) ShowMsg(L"期日指定付箋紙の保存エラー", MB_ICONERROR, Owner());
        else DeleteFileW(org.c_str());
    } else if (FileExists(own)) {
        CopyFileAtomic(own, Path.UndoPath0);
    } else {
        WriteFileAtomic(Path.UndoPath0, RichToRtf(note->RichEdit1()));
    }
}

void NoteStore::M_UndoClick() {
    // 1.
    int s = TextNotes.LowestFree();
    if (s == kNoSlot || UndoCount == 0) return;
    // 2.
    const TextNoteRecord& h = UndoNotes[0];
    PendingBorder = h.Border == 1 ? -1 : 0;
    TKELUPSHI* n = NewTextNoteWindow(s, PendingBorder != 0);
    if (!n) return;
    // 3.
    ApplyRecord(n, h, false);
    n->HideFG = 0;
    n->CheckMode = UndoCheckMode[0];
    n->AlphaValue = UndoAlpha[0];
    n->DataName = TextFileName(s);
    // 4.
    if (FileExists(Path.UndoPath0)) n->LoadText(Path.UndoPath0);
    n->ApplyLineSpace();
    RichEdSaveToFile(s, Path.DataDir + n->DataName);
    CompDate(s);
    // 5.
    if (n->KeyOpen == 1) ShowSealedFace(n);
    // 6.
    n->ShowNote();
    // 7.
    if (UndoCount == 1) {
        UndoCount = 0;
    } else {
        UndoCount = 1;
        UndoFormCopy(1, 0);
        if (FileExists(Path.UndoPath1)) CopyFileAtomic(Path.UndoPath1, Path.UndoPath0);
    }
    // 8. Colour by date comes with deadlines. 9.
    n->ApplyStacking(Config.Bottom);
    // 10.
    if (n->Tomei != 0) {
        if (n->Tomei == 2) n->Tomei = 0;
        n->M_TomeiClick();
    }
    // 11.
    n->ApplyAlpha();
    // 12.
    SaveData(Path.DataFilePath);
}

}  // namespace kelup
