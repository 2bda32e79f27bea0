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
#include "transfer/TransferApi.h"

namespace kelup {

class TKELUPSHI;
class TBMPKELUPSHI;
class Deadlines;
class NoteSending;
class NoteHint;
class Transcript;
class FileOffers;
class ImageNotesHost;

// "kelup" + slot + ".kdt": the name of a text note's text file.
std::wstring TextFileName(int slot);
// A stored place and size (pixels at 96 DPI) on the screen as it is scaled now.
RECT ScaledPlace(int left, int top, int width, int height);

class NoteStore final : public NoteHost, public EditorHost, public NoteSink, public PictureSink {
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

    // --- image notes (ImageOps.cpp) --------------------------------------------------
    TBMPKELUPSHI* ImageNote(int slot) const { return ImageNotes.At(slot); }
    template <typename F>
    void ForEachImageNote(F&& f) const { ImageNotes.ForEach(std::forward<F>(f)); }
    // Mode 0: from the picture file FName, or from the picture dialog when it
    // is empty; mode 1: from the clipboard's picture. HideMode 1 hides the new
    // note at once. Its slot, or 999.
    int MakeBKelup(int Mode, int HideMode, const std::wstring& FName);
    // A picture dropped on a note becomes an image note; a copy in the data
    // folder when the user wants one, under a name no other picture has.
    int DropPicture(const std::wstring& path) override;
    // "全てのイメージ付箋紙を再描画": every shown image note reads its picture again.
    void M_RePaintBmpClick();
    // Every image note is peeled (after the main menu asked).
    void RemoveAllImageNotes();
    // "はがす" of an image note: no log, no undo.
    void ImageExitClick(int slot);
    // An image note is being made / its picture dialog is open: the tray and
    // the main menu wait.
    bool MakingImage() const { return MakingImageFG != 0; }
    bool PictureDialogOpen() const { return PictureDialogFG != 0; }
    // Image notes whose picture could not be read at start: not shown, but
    // written back as read, so nothing of them is lost.
    int UnreadImageRecords() const { return int(KeptImageRecords.size()); }
    // PictureSink: a picture received from a peer.
    int MakeReceivedPicture(const ReceivedPicture& picture) override;
    void PeelImageNote(int slot) override;

    // --- sending an image note's picture (ImageSend.cpp) ----------------------------
    // "他マシンのデスクトップへ貼付" of image note `slot`.
    void SendImageNote(int slot);
    // Where files and pictures are offered to other computers.
    void WireOffers(FileOffers* offers) { offers_ = offers; }

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
    // Image notes (ImageOps.cpp): windows, records and the picture dialog.
    TBMPKELUPSHI* NewImageNoteWindow(int slot, bool border, const RECT* place = nullptr);
    void ReleaseImageNote(int slot);
    void ReleaseImageNotes();
    int MakeImageNote(int Mode, int HideMode, const std::wstring& FName, const SIZE* announced);
    bool ChoosePictureFile(std::wstring& path);
    ImageNoteRecord ImageRecordOf(TBMPKELUPSHI* b) const;
    // A stored image note as a window; false (nothing made) when its picture
    // cannot be shown.
    bool LoadImageNote(const ImageNoteRecord& r, int slot, int version);
    void LoadImageNotes(const std::vector<ImageNoteRecord>& records, int version);
    // Pictures held only in memory get a file in the data folder; false when
    // one could not be written.
    bool WriteMemoryPictures();
    void ImageNotesInView();
    void BottomAllImages(int exceptSlot);
    // A hidden note's entry leaves the main menu without the note being shown.
    void DropHiddenEntry(bool textNote, int number);

    Shell& shell_;
    const Settings& Config;
    const Paths& Path;
    Deadlines* dates_ = nullptr;
    Compose* compose_ = nullptr;
    ReceiptSender* receipts_ = nullptr;
    Transcript* transcript_ = nullptr;
    NoteSending* sending_ = nullptr;
    FileOffers* offers_ = nullptr;
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
    // Image notes as read from the data file whose picture could not be
    // shown (missing, damaged or too large): written back unchanged, after
    // the notes that have windows.
    std::vector<ImageNoteRecord> KeptImageRecords;
    // What the image notes ask; outlives their windows.
    std::unique_ptr<ImageNotesHost> imageHost_;
    std::vector<std::unique_ptr<TBMPKELUPSHI>> imageWindows_;
    friend class ImageNotesHost;
    std::wstring pictureFolder_;                  // where the picture dialog opens next
    unsigned char MakingImageFG = 0;
    unsigned char PictureDialogFG = 0;

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
