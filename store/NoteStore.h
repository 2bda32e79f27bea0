#pragma once
// The note store: the slot tables and the note windows in them, the data
// file with its backup and the translucency file, the notes' text files,
// making and duplicating notes, peeling with the peel log and undo of the
// last two, and the hidden notes of the main menu. Its whole state is here.

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Shell.h"
#include "compose/Compose.h"
#include "extras/DdeCommand.h"
#include "net/NoteSink.h"
#include "notes/NoteHost.h"
#include "store/NoteRecord.h"
#include "store/Slots.h"

namespace kelup {

class TKELUPSHI;
class TBMPKELUPSHI;
class Deadlines;
class NoteSending;
class NoteHint;
class Transcript;

// "kelup" + slot + ".kdt": the name of a text note's text file.
std::wstring TextFileName(int slot);
// A stored place and size (pixels at 96 DPI) on the screen as it is scaled now.
RECT ScaledPlace(int left, int top, int width, int height);

class NoteStore final : public NoteHost, public EditorHost, public NoteSink {
public:
    explicit NoteStore(Shell& shell);
    ~NoteStore();
    NoteStore(const NoteStore&) = delete;
    NoteStore& operator=(const NoteStore&) = delete;

    // The date subsystem colours and computes notes as they are made.
    void Wire(Deadlines* dates) { dates_ = dates; }
    // The compose editor in which notes are written.
    void WireEditor(Compose* compose) { compose_ = compose; }
    // Where read receipts of received notes go.
    void WireReceipts(ReceiptSender* receipts) { receipts_ = receipts; }
    // The history window, where a received note's text goes when it is first opened.
    void WireTranscript(Transcript* transcript) { transcript_ = transcript; }
    // Where notes are sent when the editor closes with a send command.
    void WireSending(NoteSending* sending) { sending_ = sending; }

    // --- slots -------------------------------------------------------------
    void AllocateSlots();
    void ReleaseNotes();
    int TextNoteMax() const { return MaxTextNotes; }
    int ImageNoteMax() const { return MaxImageNotes; }
    int TextNoteCount() const { return TextNotes.Count(); }
    int ImageNoteCount() const { return ImageNotes.Count(); }
    int UndoAvailable() const { return UndoCount; }
    TKELUPSHI* TextNote(int slot) const { return TextNotes.At(slot); }
    template <typename F>
    void ForEachTextNote(F&& f) const { TextNotes.ForEach(std::forward<F>(f)); }
    // The note's text file: the data folder and its DataName.
    std::wstring TextFilePath(int slot) const;
    // A note being edited in place, or kNoSlot.
    int DirectEditSlot() const override { return DirectEditNo; }
    // The notes were read: saving them is safe.
    bool NotesLoaded() const { return notesLoaded_; }

    // --- the data file -------------------------------------------------------
    void LoadData();
    bool SaveData(const std::wstring& FileName);
    bool SaveData() { return SaveData(Path.DataFilePath); }

    // --- making notes ----------------------------------------------------------
    // FName: "" a new empty note, "///" from the clipboard, "|||" the lines of
    // the DDE request, "@@@" an empty note without translucency, else a text file.
    int MakeKelup(const std::wstring& FName) override { return MakeKelup(FName, {}); }
    int MakeKelup(const std::wstring& FName, const DdeNoteRequest& dde);
    void RepKelup(int A, int B) override;
    bool RichEdSaveToFile(int NUM, const std::wstring& FName);
    void SaveBackUpKdt(int N) override;
    long long GetfileSize(const std::wstring& FN) const;
    void NewNormalClick();
    void NewBMPClick();
    void BottomAll();
    // Notes of the normal stacking take their place in the z-order freely again.
    void BottomAllCancel();
    // Notes no monitor shows come into view; notes brought in earlier go
    // back to their own place once it shows again. At start and whenever
    // the displays change.
    void KeepNotesInView();

    // --- peeling and undo --------------------------------------------------------
    void PeelNote(int slot, PeelKind kind) override;
    void M_UndoClick();
    void M_Log1Click();
    void M_AllRemoveNClick();

    // --- hidden notes ------------------------------------------------------------
    UINT AddHiddenEntry(bool textNote, int number, const std::wstring& caption) override;
    void MenuItemClick(UINT id);
    void M_ReShowClick();
    void M_AllHideClick();
    // The note leaves the hidden notes' list and shows, as when chosen there.
    void ShowFromHiddenList(bool textNote, int number);

    // --- what the note windows ask ---------------------------------------------
    const Settings& NoteConfig() const override { return Config; }
    bool NetworkOff() const override { return shell_.State().NetworkOff == 1; }
    bool NetDisabled() const override { return shell_.State().NetDisabled != 0; }
    bool EditorOpen() const override { return shell_.EditorOpen(); }
    bool LimitBusy() const override;
    bool DirectEditing() const override { return DirectEditNo != kNoSlot; }
    bool TextSlotsFull() const override { return TextNotes.Count() >= MaxTextNotes; }
    void BringAppToFront() override;
    void MainMenuPopup(POINT pt) override { shell_.MainMenuPopup(pt); }
    void M_ExitClick() override { shell_.M_ExitClick(); }
    bool ChooseColour(HWND owner, int& color) override { return shell_.ChooseColour(owner, color); }
    bool ChooseAssociation(HWND owner, std::wstring& text) override { return shell_.ChooseAssociation(owner, text); }
    void SaveDefaultDesign(const DefaultDesign& d) override { shell_.SaveDefaultDesign(d); }
    void SaveNotes() override { SaveData(); }
    void RecolourTextFile(int slot, int color) override;
    void ReplaceTextFromFile(int slot, const std::wstring& path) override;
    void ShowHint(const std::wstring& text, POINT at) override;
    void HideHint() override;
    bool HintShown() const override;
    void ArrivalSeen() override { shell_.ArrivalSeen(); }
    void M_LimitClick(int slot) override;

    // --- In-place editing and text commands (EditOps.cpp) ---------------------------
    void EnterDirectEdit(int slot) override;
    void LeaveDirectEdit(int slot) override;
    std::wstring TypedTextPath(int slot) const override;
    std::wstring NoteTextPath(int slot) const override { return TextFilePath(slot); }
    std::wstring DataFolder() const override { return Path.DataDir; }
    bool WriteNoteText(int slot, bool withOrgCopy) override;
    // The note shows its text file with the placeholders worked out, and
    // its colours by date when it has a deadline.
    void CompDate(int slot) override;
    std::wstring SaveTextFolder() const override;
    void InputBoxExec(int slot, int sendMode) override;
    // When the editor's text was last shown on its note and saved (benchmark clock).
    long long EditSavedAt() const { return editSavedAt_; }
    // Benchmark clock: when the last note that arrived was shown.
    long long ReceivedShownAt() const { return receivedShownAt_; }

    // --- notes from the LAN (ReceiveOps.cpp) ------------------------------------
    bool TextSlotFree() const override { return TextNotes.LowestFree() != kNoSlot; }
    int TextSlotMax() const override { return MaxTextNotes; }
    int MakeOther(const ReceivedNote& note, std::vector<std::wstring>& lines) override;
    void StickReceived(int slot, const ReceivedNote& note) override;
    // A received note owes its sender a read receipt: it goes now.
    void SendReadReceipt(int slot);
    // The pointer reached a note; the arrival title goes, and a note shown
    // openly owes its receipt no longer.
    void ArrivalSeenBy(int slot) override;
    // The password of a protected received note; false when not confirmed.
    bool AskPassword(int slot);
    // A note from another computer opens something other than a web or mail
    // address only when the user agrees.
    bool MayOpen(int slot, const std::wstring& target) override;
    bool MayReveal(int slot) override;

    // --- what the compose editor asks ---------------------------------------------
    int MakeNoteFromLines(const std::vector<std::wstring>& lines) override;
    void ScheduleDeadline(int slot, double day, bool asDeadline) override;
    bool DeadlineCheckingOn() const override;

    // --- sending an image note's picture (ImageSend.cpp) ----------------------------
    // "他マシンのデスクトップへ貼付" of image note `slot`.
    void SendImageNote(int slot);

private:
    HWND Owner() const { return shell_.MainHandle(); }
    void LoadDataMain(const std::wstring& FileName);
    TextNoteRecord RecordOf(TKELUPSHI* n) const;
    void ApplyRecord(TKELUPSHI* n, const TextNoteRecord& r, bool undoRecord);
    void ShowSealedFace(TKELUPSHI* n);
    void UndoForm(TKELUPSHI* note);
    void UndoFormCopy(int S, int D);
    bool WritePeelLog(TKELUPSHI* note, const std::vector<std::wstring>* comment);
    TKELUPSHI* NewTextNoteWindow(int slot, bool border, const RECT* place = nullptr);
    void ReleaseTextNote(int slot);
    void ApplyNewNoteDefaults(TKELUPSHI* note);
    void ApplyNoteTranslucency(TKELUPSHI* note);
    // The compose editor on a note; a note just made is discarded when the
    // editor leaves it without text. The editor's result.
    EditResult RunEditor(int slot, int sendMode, bool newNote);
    // The editor's text becomes the note's text.
    void EditResultSet(TKELUPSHI* note, const EditResult& r);
    // The send the editor asked for; false when nothing was sent.
    bool SendNote(TKELUPSHI* note, const EditResult& r, int mode);
    // A note that was just made goes again without a trace.
    void DiscardNewNote(int slot);

    Shell& shell_;
    const Settings& Config;
    const Paths& Path;
    Deadlines* dates_ = nullptr;
    Compose* compose_ = nullptr;
    ReceiptSender* receipts_ = nullptr;
    Transcript* transcript_ = nullptr;
    NoteSending* sending_ = nullptr;
    long long editSavedAt_ = 0;
    long long receivedShownAt_ = 0;

    // Slot tables; the windows of the notes are owned here.
    SlotTable<TKELUPSHI> TextNotes;
    SlotTable<TBMPKELUPSHI> ImageNotes;
    std::vector<std::unique_ptr<TKELUPSHI>> textWindows_;
    std::unique_ptr<NoteHint> hint_;   // made when first shown
    int MaxTextNotes = 99;
    int MaxImageNotes = 20;
    bool notesLoaded_ = false;

    // The last two peeled notes: element 0 the newest. Their text is in
    // "kelup.kd0" and "kelup.kd1".
    int UndoCount = 0;
    std::array<TextNoteRecord, 2> UndoNotes;
    std::array<int, 2> UndoAlpha{255, 255};
    std::array<int, 2> UndoCheckMode{0, 0};
    // Image notes as read from the data file, written back unchanged until
    // image notes have windows of their own.
    std::vector<ImageNoteRecord> KeptImageRecords;

    int Recovering = 0;
    int ReadErr = 0;
    int PendingBorder = 0;
    int BottomAllExcept = kNoSlot;
    int DirectEditNo = kNoSlot;
    unsigned char MakingNote = 0;
    unsigned char NoteJustMade = 0;

    // Hidden notes in the "表示／非表示" submenu.
    int HiddenCount = 0, HiddenTextCount = 0, HiddenImageCount = 0, HiddenEntryCounter = 0;
    std::map<UINT, std::pair<bool, int>> hiddenEntries_;   // menu id -> (text note?, number)
    UINT hiddenSeparatorId_ = 0;
};

}  // namespace kelup
