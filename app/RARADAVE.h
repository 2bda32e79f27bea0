#pragma once
// The invisible main window. It runs the start and shutdown sequences in
// their order, owns the settings and folders read at start, the timer, the
// notification-area icon, the main menu and the hot keys, and hands each
// message to the subsystem that owns it. The subsystems are objects of
// their own folders; it makes them, wires them to each other at start and
// offers them the Shell.

#include <windows.h>

#include <memory>
#include <string>

#include "app/AppWindow.h"
#include "app/IniFile.h"
#include "app/MenuRules.h"
#include "app/Settings.h"
#include "app/Shell.h"
#include "app/TimerClock.h"
#include "base/Handles.h"
#include "base/Window.h"

namespace kelup {

class NoteStore;
class Deadlines;
class Lan;
class DdeServer;
class Compose;
class Templates;
class Transfer;
class TKLBrowse;
class THistBox;
class Transcript;

inline constexpr wchar_t kAppTitle[] = L"ケラップx64";
inline constexpr wchar_t kMainClass[] = L"RARADAVE";
inline constexpr wchar_t kMutexName[] = L"hhhKelupMX";
inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT_PTR kTimer1 = 1;
inline constexpr int kHotKeyNewText = 123;
inline constexpr int kHotKeyNewImage = 124;

class RARADAVE final : public BaseWindow<RARADAVE>, public Shell {
public:
    RARADAVE();
    ~RARADAVE() override;

    // Creates the window; its initialisation (FormCreate) runs during it.
    // False when the program must end (unsupported Windows).
    bool Create(AppWindow* app);
    // The dialogs that live for the whole run, and the first search of the LAN.
    void RecipientSearch();

    // --- the Shell -----------------------------------------------------------
    const Settings& Config() const override { return Config_; }
    const Paths& Path() const override { return Path_; }
    const ProgramState& State() const override { return State_; }
    HWND MainHandle() const override { return hwnd_; }
    AppWindow& App() override { return *app_; }
    HMENU PopupMenu1() const override { return popup_; }
    void MainMenuPopup(POINT pt) override;
    void Delay(DWORD ms) override;
    void M_ExitClick() override;
    bool EditorOpen() const override;
    bool ChooseColour(HWND owner, int& color) override;
    bool ChooseAssociation(HWND owner, std::wstring& text) override;
    void SaveDefaultDesign(const DefaultDesign& d) override;
    void ArrivalSeen() override;
    bool ArrivalShown() const override;
    void ShowArrival() override;
    void EnableTimer1(bool on) override;
    void SetBusy(bool on) override { State_.BusyFG = on ? 1 : 0; }
    void RememberUseTime(int useTime) override;
    void RememberEditerBkgnd(int on) override;

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    // Start (Startup.cpp) and shutdown (Shutdown.cpp).
    void FormCreate();
    void FindFolders();
    void SetupConfigAndDataFolders();
    void FormPaths();
    void ReadSettings();
    void StartLan();
    void ProgramEnd();

    // Timer, tray icon, main menu and hot keys.
    void Timer1Timer();
    void RestartTimer1();
    void TaskBarShow();
    bool AddTrayIcon();
    void DelTrayIcon();
    void OnTrayIcon(LPARAM lp);
    void RunTrayAction(const TrayChoice& choice);
    void M_ShowTaskBar1Click();
    void PruneMainMenu();
    void PopupMenu1Popup();
    void RegisterHotKeys();
    void UnregisterHotKeys();
    void OnHotKey(int id);
    void OnCommand(int id);

    // Commands of the main menu (Tray.cpp).
    void NewNormalClick();
    void NewBMPClick();
    void M_ClipClick();
    void M_MinimizeClick();
    void MinimizeCancel();
    void M_HELPClick();
    void M_AllRemoveIClick();
    // "履歴窓を開く": the history window shown or hidden, with the entry's check.
    void M_HistOpenClick();
    // The history window, where the LAN side and the store write their entries.
    Transcript* History();
    void AboutBoxOpen();
    // Not there yet: the about box, notes from templates and template files,
    // and image notes made from the clipboard's picture. Each does nothing
    // until its window or subsystem exists.
    void ShowAboutBox() {}
    void NewFromTemplate(int number) {}
    void M_TempLoadClick() {}
    void MakeImageNoteFromClipboard() {}
    // What the clipboard holds, for the clipboard entry of the menu.
    bool ClipboardHasPicture() const;
    ClipKind ClipboardChoice() const;

    // The colour table of the colour dialogs, and the font check.
    void ColorLoad();
    void ColorSave();
    // FontName when a font of exactly that name is installed, else the default.
    std::wstring FontCheck(const std::wstring& fontName) const;

    // System messages.
    LRESULT OnQuery(int id);
    void OnPowerBroadcast(WPARAM wp);
    void OnDeviceChange();

    Settings Config_;
    Paths Path_;
    ProgramState State_;
    IniFile Ini{L""};
    std::wstring SystemAsterisk;
    std::wstring UserPassword;         // plain form of the stored password
    bool FirstRun = false;
    UINT uTaskBarRecreate = 0;
    int CtrlHeld = 0;
    unsigned char TrayIconShown = 0;
    unsigned char RestartRequested = 0;
    bool ArrivalTitleFG = false;       // the title shows the arrival of a note
    bool ResumeFG = false;             // resumed from standby, sockets to reopen
    bool StartFailed = false;
    unsigned char AboutBoxFG = 0;      // the about box is shown
    unsigned char PictureDialogFG = 0; // the picture dialog of a new image note is open
    unsigned char MakingImageFG = 0;   // an image note is being made
    int OptionsOpen = 0;               // the options dialog is shown
    long long newNoteAt_ = 0;          // when the last new-note command came (benchmark)
    // The program's own picture on the clipboard (an image note copied).
    UINT cfKelupPicture = 0;
    CustomColorEntries CustomColors;

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
    std::unique_ptr<ComScope> com_;

    // The subsystems, made in the constructor and wired there.
    std::unique_ptr<NoteStore> store_;
    std::unique_ptr<Deadlines> dates_;
    std::unique_ptr<Lan> lan_;
    std::unique_ptr<DdeServer> dde_;
    std::unique_ptr<Compose> compose_;
    std::unique_ptr<Templates> templates_;
    std::unique_ptr<Transfer> transfer_;
    // Dialogs that live for the whole run.
    std::unique_ptr<TKLBrowse> browse_;
    std::unique_ptr<THistBox> hist_;
};

}  // namespace kelup
