#pragma once
// The invisible main window: the core object of the program. It owns the
// settings, the note slot tables, the timer, the notification-area icon and
// the main menu; the other subsystems add their operations to it from their
// own folders.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/AppWindow.h"
#include "app/IniFile.h"
#include "app/Settings.h"
#include "app/TimerClock.h"
#include "base/Handles.h"
#include "base/Window.h"
#include "store/NoteRecord.h"
#include "store/Slots.h"

#include <array>
#include <map>

namespace kelup {

class TKELUPSHI;
class TBMPKELUPSHI;
class DdeServer;
struct DdeCommand;
struct NetState;
struct DiscoverySelf;
struct DiscoveryOutcome;
enum class NativeCommand;

// The three ways of peeling a text note.
enum class PeelKind { Log1, Exit, Comment };

inline constexpr wchar_t kAppTitle[] = L"ケラップx64";
inline constexpr wchar_t kMainClass[] = L"RARADAVE";
inline constexpr wchar_t kMutexName[] = L"hhhKelupMX";
inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT_PTR kTimer1 = 1;
inline constexpr int kHotKeyNewText = 123;
inline constexpr int kHotKeyNewImage = 124;

// Folders and the files formed in them; every folder ends with a separator.
struct Paths {
    std::wstring ExeDir, ConfigDir, SavePath, DataDir, LogDir;
    std::wstring MyDocuments, DownloadsDir, MyPictures, PictureDir, WindowsDir;
    std::wstring IniPath, DataFilePath, BackupFilePath, HalfIniPath, PeelLogPath, NetLogPath;
    std::wstring SendListPath, FriendListPath, FrhPath, TempDatPath, SgnPath, AdrPath;
    std::wstring UndoPath0, UndoPath1, HelpFile;
};

class RARADAVE : public BaseWindow<RARADAVE> {
public:
    RARADAVE();
    ~RARADAVE() override;

    // Creates the window; its initialisation (FormCreate) runs during it.
    // False when the program must end (unsupported Windows).
    bool Create(AppWindow* app);

    // --- program-wide state -------------------------------------------
    Settings Config;
    Paths Path;
    IniFile Ini{L""};
    std::wstring SystemAsterisk;
    unsigned char BusyFG = 1;
    unsigned char Closing = 0;
    unsigned char RestartRequested = 0;
    int NetworkOff = 0;
    int NetDisabled = 0;
    int OsLevel = 9;
    bool FirstRun = false;
    std::wstring VersionText = L"0.0.0.0";
    UINT uTaskBarRecreate = 0;
    std::wstring MyUserName;
    std::wstring UserPassword;         // plain form of the stored password
    int CtrlHeld = 0;
    unsigned char TrayIconShown = 0;
    std::vector<std::wstring> DdeLines;
    bool ArrivalTitleFG = false;       // the title shows the arrival of a note
    bool ResumeFG = false;             // resumed from standby, sockets to reopen
    bool StartFailed = false;

    // Note slot tables and holders.
    SlotTable<TKELUPSHI> TextNotes;
    SlotTable<TBMPKELUPSHI> ImageNotes;
    int MaxTextNotes = 99;
    int MaxImageNotes = 20;
    int UndoCount = 0;
    // The last two peeled notes: element 0 the newest. Their text is in
    // "kelup.kd0" and "kelup.kd1".
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

    CustomColorEntries CustomColors;
    int DateUpdates = 0;

    // Flags other operations consult.
    bool LimitBusy = false;
    bool EditorOpen = false;
    unsigned char MakingNote = 0;
    unsigned char NoteJustMade = 0;

    // The last "DDEMAKEKELUP" request.
    int DdeLineCount = 0, DdeLeft = 0, DdeTop = 0;

    // Hidden notes in the "表示／非表示" submenu.
    int HiddenCount = 0, HiddenTextCount = 0, HiddenImageCount = 0, HiddenEntryCounter = 0;

    AppWindow* App() const { return app_; }
    HMENU PopupMenu1() const { return popup_; }

    // --- Part of the shell ---------------------------------------------
    void TaskBarShow();
    bool AddTrayIcon();
    void DelTrayIcon();
    void Delay(DWORD ms);
    void ProgramEnd();
    void M_ExitClick();
    void M_ShowTaskBar1Click();
    void MainMenuPopup(POINT pt);
    void ColorLoad();
    void ColorSave();
    // FontName when a font of exactly that name is installed, else the default.
    std::wstring FontCheck(const std::wstring& fontName) const;
    void RestartTimer1();

    // --- notes ------------------------------------------------------------
    TKELUPSHI* TextNote(int slot) const { return TextNotes.At(slot); }
    int MakeKelup(const std::wstring& FName);
    void RepKelup(int A, int B);
    bool RichEdSaveToFile(int NUM, const std::wstring& FName);
    void SaveBackUpKdt(int N);
    long long GetfileSize(const std::wstring& FN) const;
    void NewNormalClick();
    void NewBMPClick();
    void BottomAll();
    void PeelNote(int slot, PeelKind kind);
    bool WritePeelLog(TKELUPSHI* note, const std::vector<std::wstring>* comment);
    void UndoForm(TKELUPSHI* note);
    void M_UndoClick();
    void M_Log1Click();
    void M_AllRemoveNClick();
    void M_ReShowClick();
    void M_AllHideClick();
    UINT AddHiddenEntry(bool textNote, int number, const std::wstring& caption);
    void MenuItemClick(UINT id);
    void CompDate(int slot);
    void DdeExecute(const DdeCommand& cmd);
    void StartDde();
    void StopDde();

    // --- operations of other subsystems, called from the sequences ----
    void AllocateSlots();          // store
    void ReleaseNotes();           // store
    void LoadData();               // store
    bool SaveData(const std::wstring& FileName);   // store
    void LoadDataMain(const std::wstring& FileName);
    TextNoteRecord RecordOf(TKELUPSHI* n) const;
    void ApplyRecord(TKELUPSHI* n, const TextNoteRecord& r, bool undoRecord);
    void ShowSealedFace(TKELUPSHI* n);
    void UndoFormCopy(int S, int D);
    void LoadLists();              // net
    void ListSave();               // net
    void AllListWrite();           // net
    int IP_Init();                 // net: 0 on success, else the failing step
    void IP_Close();               // net
    void BroadCastExit(bool ipMessengerToo = true);   // net: "KL_EXIT" and the IP Messenger exit
    NetState& Net();
    void SendResult(int res, const std::wstring& ipa, const std::wstring& msg);
    void PacketSend(const std::wstring& ipa, const std::string& data);
    void BroadCast(const std::wstring& ipa, const std::wstring& hostName, NativeCommand command);
    void SendResultP(int res, const std::wstring& ipa, const std::wstring& packetNo);
    void BroadCastP(const std::wstring& command);
    // An IP Messenger message; the result is its packet number.
    std::uint32_t PacketSendP(const std::wstring& ipa, bool hidden, bool password, const std::wstring& text);
    DiscoverySelf DiscoveryView();
    void ApplyDiscovery(const DiscoveryOutcome& o, bool ipMessenger);
    int DumpLists();
    void RecipientSearch();        // net/compose: the recipient search
    void OnSocket(WPARAM wp, LPARAM lp, bool ipMessenger);   // net
    void OnPictureDone(WPARAM wp, LPARAM lp);                // transfer
    void M_DateUp1Click();         // dates
    void TempletePreRead();        // templates
    void PruneMainMenu();          // app (menu)
    void RegisterHotKeys();        // app (menu)
    void UnregisterHotKeys();
    void WriteRecipientMenuItems();   // compose: kelup.frh
    void CloseEditorAndHistory();     // compose, extras
    void WriteWindowKeys();           // compose window sizes and default design

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    void FormCreate();
    void FindFolders();
    void SetupConfigAndDataFolders();
    void ReadSettings();
    void Timer1Timer();
    void OnTrayIcon(LPARAM lp);
    void OnCommand(int id);
    LRESULT OnQuery(int id);
    void OnPowerBroadcast(WPARAM wp);
    void OnDeviceChange();

    AppWindow* app_ = nullptr;
    AutoMenu menu_;
    HMENU popup_ = nullptr;
    HICON icon_ = nullptr;
    TimerClock clock_;
    UINT timerPeriod_ = 0;
    bool delayCancel_ = false;
    int delayDepth_ = 0;
    bool ended_ = false;
    bool started_ = false;        // the initialisation has finished
    bool closePending_ = false;   // a close asked for while initialising
    bool notesLoaded_ = false;    // the notes were read: saving them is safe
    std::unique_ptr<ComScope> com_;
    std::unique_ptr<DdeServer> dde_;
    std::unique_ptr<NetState> net_;
    // Windows of the notes, owned here; the slot tables point into them.
    std::vector<std::unique_ptr<TKELUPSHI>> textWindows_;
    std::map<UINT, std::pair<bool, int>> hiddenEntries_;   // menu id -> (text note?, number)
    UINT hiddenSeparatorId_ = 0;

    TKELUPSHI* NewTextNoteWindow(int slot, bool border);
    void ReleaseTextNote(int slot);
    void ApplyNewNoteDefaults(TKELUPSHI* note);
    void ApplyNoteTranslucency(TKELUPSHI* note);
    std::vector<HBITMAP> listBitmaps_;
};

// The one main window of the process.
RARADAVE* Main();

}  // namespace kelup
