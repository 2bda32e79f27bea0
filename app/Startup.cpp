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
#include "net/Password.h"
#include "options/TShareMsgBox.h"
#include "res/resource.h"

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
    OSVERSIONINFOW vi{sizeof(vi)};
    auto fn = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!fn || fn(&vi) != 0) return 9;
    return OsLevelFrom(vi.dwPlatformId, vi.dwMajorVersion);
}

}  // namespace

void RARADAVE::FindFolders() {
    wchar_t win[MAX_PATH] = {};
    GetWindowsDirectoryW(win, MAX_PATH);
    Path.WindowsDir = win;
    Path.ExeDir = ModuleDir();
    Path.MyDocuments = ShellFolder(CSIDL_PERSONAL);
    Path.DownloadsDir = DownloadsFolder();
    if (Path.DownloadsDir.empty()) Path.DownloadsDir = Path.MyDocuments;
    Path.MyPictures = RegReadString(HKEY_CURRENT_USER,
                                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                    L"My Pictures");
    Path.PictureDir = Path.MyPictures.empty() ? Path.ExeDir : Path.MyPictures;
}

void RARADAVE::SetupConfigAndDataFolders() {
    std::wstring configIni = GetConfigIniPath();
    Path.ConfigDir = configIni.substr(0, configIni.size() - std::wstring(L"config.ini").size());

    StartupFacts f;
    f.configIniExists = FileExists(configIni);
    // config.ini first, else the registry value of older editions.
    f.configSavePath = LoadSavePathFromIni();
    f.configUseNetwork = LoadUseNetworkFromIni();
    std::wstring oldIni = Path.ExeDir + L"kelup.ini";
    f.oldIniExists = FileExists(oldIni);
    if (f.oldIniExists) {
        IniFile old(oldIni);
        f.oldIniUseNetwork = old.GetInt(L"Option", L"UseNetwork", 0);
        f.oldIniPath98 = old.GetString(L"COMMON", L"Path98", L"");
    }
    f.myDocuments = Path.MyDocuments;

    StartupPlan plan = PlanStartup(f);
    if (plan.deleteOldIni) DeleteFileW(oldIni.c_str());
    FirstRun = plan.firstRun;
    NetworkOff = plan.networkOff;

    OsLevel = DetectOsLevel();
    if (OsLevel == 9) {
        ShowMsg(L"このプラットフォームではケラップx64は動作しません\rケラップx64を終了します", 0, hwnd_);
        StartFailed = true;
        return;
    }

    Path.SavePath = plan.savePath;
    SaveSavePathToIni(Path.SavePath);
    Path.DataDir = GetSavePath(Path.SavePath, Path.ExeDir);
    Path.LogDir = Path.DataDir + L"Log\\";
    CreateDirs(Path.DataDir);
    CreateDirs(Path.LogDir);
}

void RARADAVE::ReadSettings() {
    SettingsContext ctx;
    ctx.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    ctx.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    ctx.windowsDir = Path.WindowsDir;
    ctx.systemAsterisk = SystemAsterisk;
    std::wstring configPassword = IniFile(GetConfigIniPath()).GetString(L"COMMON", L"Password", L"");
    Config = LoadSettings(Ini, ctx, configPassword);
    UserPassword = PWordIn(Config.Password);

    ShowWindow(app_->Handle(), Config.ShowTaskBar == 1 ? SW_SHOW : SW_HIDE);
    CheckMenuItem(popup_, ID_M_ShowTaskBar1, MF_BYCOMMAND | (Config.ShowTaskBar == 1 ? MF_CHECKED : MF_UNCHECKED));
    // Config.TCPPort is taken by the transfer client and server when they open.
}

void RARADAVE::FormCreate() {
    // 1.
    BusyFG = 1;
    Closing = 0;
    RestartRequested = 0;
    // 2.
    uTaskBarRecreate = RegisterWindowMessageW(L"TaskbarCreated");
    DdeLines.clear();
    icon_ = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    SetWindowPos(hwnd_, nullptr, -220, -160, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // 3. The packet numbers start at 0 (sockets); the random generator is seeded.
    srand(unsigned(time(nullptr)) ^ GetCurrentProcessId());
    // 4.
    VersionText = ReadVersionText();
    // 5.
    ModifyMenuW(popup_, ID_M_Exit, MF_BYCOMMAND | MF_STRING, ID_M_Exit, L"ケラップx64の終了");
    ModifyMenuW(popup_, ID_M_About, MF_BYCOMMAND | MF_STRING, ID_M_About, L"ケラップx64について...");
    SetWindowTextW(hwnd_, kAppTitle);
    // 6.
    com_ = std::make_unique<ComScope>();
    // 7. Hidden-note counters start at 0; the date-update state is set by dates.
    BottomAllExcept = kNoSlot;
    DirectEditNo = kNoSlot;
    // 8. The recipient-list bitmaps belong to the compose window.
    // 9. Exceptions: installed by the process entry (SetExceptionHandler).
    // 10.
    wchar_t user[513] = {};
    DWORD len = 513;
    if (GetUserNameW(user, &len)) MyUserName = user;
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
    const std::wstring& d = Path.DataDir;
    Path.IniPath = d + L"kelup.ini";
    Path.DataFilePath = d + L"kelup.dat";
    Path.BackupFilePath = d + L"kelup.bak";
    Path.HalfIniPath = d + L"kelup.Hlf";
    Path.PeelLogPath = d + L"kelup.log";
    Path.NetLogPath = d + L"LOG\\kelup.nlg";
    Path.SendListPath = d + L"kelup.lis";
    Path.FriendListPath = d + L"kelup.frd";
    Path.FrhPath = d + L"kelup.frh";
    Path.TempDatPath = d + L"temp.dat";
    Path.SgnPath = d + L"kelup.sgn";
    Path.AdrPath = d + L"kelup.adr";
    Path.UndoPath0 = d + L"kelup.kd0";
    Path.UndoPath1 = d + L"kelup.kd1";
    Path.HelpFile = Path.ExeDir + L"Kelupon.chm";
    Ini = IniFile(Path.IniPath);
    // 15.
    LoadLists();
    // 16.
    if (FirstRun) {
        TShareMsgBox welcome;
        int choice = welcome.ShowModal(hwnd_);
        if (choice == 1) {
            NetworkOff = 1;
            SaveUseNetworkToIni(NetworkOff);
            ShowMsg(L"付箋紙の送受信機能を使用する場合はオプションの設定で変更できます", 0, hwnd_);
        } else {
            ShowMsg(L"ようこそ　ケラップx64へ", 0, hwnd_);
        }
    }
    // 17.
    SaveUseNetworkToIni(NetworkOff);
    // 18.
    ReadSettings();
    // 19.
    AddTrayIcon();
    if (Config.HistOPEN == 1) CheckMenuItem(popup_, ID_M_HistOpen, MF_BYCOMMAND | MF_CHECKED);
    // 20.
    AllocateSlots();
    // 21.
    if (NetworkOff == 1) NetDisabled = 1;
    if (NetworkOff == 0 && NetDisabled == 0) {
        switch (IP_Init()) {
            case 1: ShowMsg(L"WSAStartupError", 0, hwnd_); break;
            case 2: ShowMsg(L"SocketError(Port1)", 0, hwnd_); break;
            case 3: ShowMsg(L"BindError(Port1)", 0, hwnd_); break;
            case 4: ShowMsg(L"BindError(Port2)", 0, hwnd_); break;
            case 92: ShowMsg(L"SocketError(Port2)", 0, hwnd_); break;
            default: break;
        }
    }
    // 22. The note hint window is created by the note windows' code.
    ColorLoad();
    // 23.
    LoadData();
    notesLoaded_ = true;
    M_DateUp1Click();
    // 24.
    PruneMainMenu();
    // 25.
    BusyFG = 0;
    TempletePreRead();
    TaskBarShow();
    // 26.
    if (Config.Minimized == 1) {
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
    StartDde();
    SetPropW(hwnd_, kReadyProp, reinterpret_cast<HANDLE>(1));
    started_ = true;
    if (closePending_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace kelup
