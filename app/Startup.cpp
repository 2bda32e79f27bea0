// The main window's initialisation, in the order the program has always
// started: folders and config.ini, the welcome of the first run, settings,
// icon, slot tables, sockets, colours, notes, menu, templates, hot keys, timer.

#include <windows.h>
#include <shlobj.h>

#include <ctime>
#include <vector>

#include "app/Folders.h"
#include "app/RARADAVE.h"
#include "app/ShowMsg.h"
#include "app/StartupPlan.h"
#include "base/FileOps.h"
#include "base/Messages.h"
#include "dates/Deadlines.h"
#include "extras/DdeServer.h"
#include "net/Lan.h"
#include "net/Password.h"
#include "options/TShareMsgBox.h"
#include "res/resource.h"
#include "store/NoteStore.h"
#include "templates/Templates.h"

namespace kelup {

namespace {

std::wstring ReadVersionText() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    DWORD dummy = 0;
    DWORD size = GetFileVersionInfoSizeW(exe, &dummy);
    if (size == 0) return L"0.0.0.0";
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(exe, 0, size, data.data())) return L"0.0.0.0";
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info) return L"0.0.0.0";
    return FormatVersionText(info->dwFileVersionMS, info->dwFileVersionLS);
}

int DetectOsLevel() {
    // GetVersionEx lies to programs without a manifest; the kernel tells the truth.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW vi{};
    vi.dwOSVersionInfoSize = sizeof(vi);
    auto fn = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!fn || fn(&vi) != 0) return 9;
    return OsLevelFrom(vi.dwPlatformId, vi.dwMajorVersion);
}

}  // namespace

void RARADAVE::FindFolders() {
    wchar_t win[MAX_PATH] = {};
    GetWindowsDirectoryW(win, MAX_PATH);
    Path_.WindowsDir = win;
    Path_.ExeDir = ModuleDir();
    Path_.MyDocuments = ShellFolder(CSIDL_PERSONAL);
    Path_.DownloadsDir = DownloadsFolder();
    if (Path_.DownloadsDir.empty()) Path_.DownloadsDir = Path_.MyDocuments;
    Path_.MyPictures = RegReadString(HKEY_CURRENT_USER,
                                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                    L"My Pictures");
    Path_.PictureDir = Path_.MyPictures.empty() ? Path_.ExeDir : Path_.MyPictures;
}

void RARADAVE::SetupConfigAndDataFolders() {
    std::wstring configIni = GetConfigIniPath();
    Path_.ConfigDir = configIni.substr(0, configIni.size() - std::wstring(L"config.ini").size());

    StartupFacts f;
    f.configIniExists = FileExists(configIni);
    // config.ini first, else the registry value of older editions.
    f.configSavePath = LoadSavePathFromIni();
    f.configUseNetwork = LoadUseNetworkFromIni();
    std::wstring oldIni = Path_.ExeDir + L"kelup.ini";
    f.oldIniExists = FileExists(oldIni);
    if (f.oldIniExists) {
        IniFile old(oldIni);
        f.oldIniUseNetwork = old.GetInt(L"Option", L"UseNetwork", 0);
        f.oldIniPath98 = old.GetString(L"COMMON", L"Path98", L"");
    }
    f.myDocuments = Path_.MyDocuments;

    StartupPlan plan = PlanStartup(f);
    if (plan.deleteOldIni) DeleteFileW(oldIni.c_str());
    FirstRun = plan.firstRun;
    State_.NetworkOff = plan.networkOff;

    State_.OsLevel = DetectOsLevel();
    if (State_.OsLevel == 9) {
        ShowMsg(L"このプラットフォームではケラップx64は動作しません\rケラップx64を終了します", 0, hwnd_);
        StartFailed = true;
        return;
    }

    Path_.SavePath = plan.savePath;
    SaveSavePathToIni(Path_.SavePath);
    Path_.DataDir = GetSavePath(Path_.SavePath, Path_.ExeDir);
    Path_.LogDir = Path_.DataDir + L"Log\\";
    CreateDirs(Path_.DataDir);
    CreateDirs(Path_.LogDir);
}

void RARADAVE::ReadSettings() {
    SettingsContext ctx;
    ctx.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    ctx.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    ctx.windowsDir = Path_.WindowsDir;
    ctx.systemAsterisk = SystemAsterisk;
    std::wstring configPassword = IniFile(GetConfigIniPath()).GetString(L"COMMON", L"Password", L"");
    Config_ = LoadSettings(Ini, ctx, configPassword);
    UserPassword = PWordIn(Config_.Password);

    ShowWindow(app_->Handle(), Config_.ShowTaskBar == 1 ? SW_SHOW : SW_HIDE);
    CheckMenuItem(popup_, ID_M_ShowTaskBar1, MF_BYCOMMAND | (Config_.ShowTaskBar == 1 ? MF_CHECKED : MF_UNCHECKED));
    // Config_.TCPPort is taken by the transfer client and server when they open.
}

// Step 14: the files formed in the data folder.
void RARADAVE::FormPaths() {
    const std::wstring& d = Path_.DataDir;
    Path_.IniPath = d + L"kelup.ini";
    Path_.DataFilePath = d + L"kelup.dat";
    Path_.BackupFilePath = d + L"kelup.bak";
    Path_.HalfIniPath = d + L"kelup.Hlf";
    Path_.PeelLogPath = d + L"kelup.log";
    Path_.NetLogPath = d + L"LOG\\kelup.nlg";
    Path_.SendListPath = d + L"kelup.lis";
    Path_.FriendListPath = d + L"kelup.frd";
    Path_.FrhPath = d + L"kelup.frh";
    Path_.TempDatPath = d + L"temp.dat";
    Path_.SgnPath = d + L"kelup.sgn";
    Path_.AdrPath = d + L"kelup.adr";
    Path_.UndoPath0 = d + L"kelup.kd0";
    Path_.UndoPath1 = d + L"kelup.kd1";
    Path_.HelpFile = Path_.ExeDir + L"Kelupon.chm";
    Ini = IniFile(Path_.IniPath);
}

// Step 21: the sockets, and what went wrong opening them.
void RARADAVE::StartLan() {
    if (State_.NetworkOff == 1) State_.NetDisabled = 1;
    if (State_.NetworkOff != 0 || State_.NetDisabled != 0) return;
    switch (lan_->IP_Init()) {
        case 1: ShowMsg(L"WSAStartupError", 0, hwnd_); break;
        case 2: ShowMsg(L"SocketError(Port1)", 0, hwnd_); break;
        case 3: ShowMsg(L"BindError(Port1)", 0, hwnd_); break;
        case 4: ShowMsg(L"BindError(Port2)", 0, hwnd_); break;
        case 92: ShowMsg(L"SocketError(Port2)", 0, hwnd_); break;
        default: break;
    }
}

void RARADAVE::FormCreate() {
    // 1.
    State_.BusyFG = 1;
    State_.Closing = 0;
    RestartRequested = 0;
    // 2.
    uTaskBarRecreate = RegisterWindowMessageW(L"TaskbarCreated");
    icon_ = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    // An image note copied by this program travels on the clipboard in a
    // format of its own name; the main menu offers it like a bitmap.
    cfKelupPicture = RegisterClipboardFormatW(L"Kelupon Picture");
    SetWindowPos(hwnd_, nullptr, -220, -160, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // 3. The packet numbers start at 0 (sockets); the random generator is seeded.
    srand(unsigned(time(nullptr)) ^ GetCurrentProcessId());
    // 4.
    State_.VersionText = ReadVersionText();
    // 5.
    ModifyMenuW(popup_, ID_M_Exit, MF_BYCOMMAND | MF_STRING, ID_M_Exit, L"ケラップx64の終了");
    ModifyMenuW(popup_, ID_M_About, MF_BYCOMMAND | MF_STRING, ID_M_About, L"ケラップx64について...");
    SetWindowTextW(hwnd_, kAppTitle);
    // 6.
    com_ = std::make_unique<ComScope>();
    // 7. Hidden-note counters and the store's flags start as made; the
    // date-update state is set by dates.
    // 8. The recipient-list bitmaps belong to the compose window.
    // 9. Exceptions: installed by the process entry (SetExceptionHandler).
    // 10.
    wchar_t user[513] = {};
    DWORD len = 513;
    if (GetUserNameW(user, &len)) State_.MyUserName = user;
    // 11.
    FindFolders();
    // 12.
    RegDeleteTreeIfExists(HKEY_CLASSES_ROOT, L"KPXfile");
    RegDeleteTreeIfExists(HKEY_CLASSES_ROOT, L".KPX");
    SystemAsterisk = RegReadString(HKEY_CURRENT_USER, L"AppEvents\\Schemes\\Apps\\.Default\\SystemAsterisk\\.Current", L"");
    // 13.
    SetupConfigAndDataFolders();
    if (StartFailed) return;
    // 14.
    FormPaths();
    // 15.
    lan_->LoadLists();
    // 16.
    if (FirstRun) {
        TShareMsgBox welcome;
        int choice = welcome.ShowModal(hwnd_);
        if (choice == 1) {
            State_.NetworkOff = 1;
            SaveUseNetworkToIni(State_.NetworkOff);
            ShowMsg(L"付箋紙の送受信機能を使用する場合はオプションの設定で変更できます", 0, hwnd_);
        } else {
            ShowMsg(L"ようこそ　ケラップx64へ", 0, hwnd_);
        }
    }
    // 17.
    SaveUseNetworkToIni(State_.NetworkOff);
    // 18.
    ReadSettings();
    // 19.
    AddTrayIcon();
    if (Config_.HistOPEN == 1) CheckMenuItem(popup_, ID_M_HistOpen, MF_BYCOMMAND | MF_CHECKED);
    // 20.
    store_->AllocateSlots();
    // 21.
    StartLan();
    // 22. The note hint window is created by the note windows' code.
    ColorLoad();
    // 23.
    store_->LoadData();
    store_->KeepNotesInView();
    dates_->M_DateUp1Click();
    // 24.
    PruneMainMenu();
    // 25.
    State_.BusyFG = 0;
    templates_->TempletePreRead();
    TaskBarShow();
    // 26.
    if (Config_.Minimized == 1) {
        SendMessageW(app_->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ModifyMenuW(popup_, ID_M_Minimize, MF_BYCOMMAND | MF_STRING, ID_M_Minimize, L"最大化");
        TaskBarShow();
    }
    // 27.
    RegisterHotKeys();
    // 28.
    clock_.Start(GetTickCount64());
    RestartTimer1();
    // Other programs may drive the program from now on.
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    dde_->Start(exe);
    SetPropW(hwnd_, kReadyProp, reinterpret_cast<HANDLE>(1));
    started_ = true;
    if (closePending_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace kelup
