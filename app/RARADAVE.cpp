#include "app/RARADAVE.h"

#include <commdlg.h>

#include "app/ShowMsg.h"
#include "net/NetState.h"
#include "extras/DdeServer.h"
#include "notes/TKELUPSHI.h"
#include "base/Messages.h"
#include "res/resource.h"

namespace kelup {

namespace {
RARADAVE* g_main = nullptr;
}

RARADAVE* Main() { return g_main; }

RARADAVE::RARADAVE() { g_main = this; }

RARADAVE::~RARADAVE() {
    if (g_main == this) g_main = nullptr;
}

bool RARADAVE::Create(AppWindow* app) {
    app_ = app;
    menu_.reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENU1)));
    popup_ = GetSubMenu(menu_.get(), 0);
    RegisterClassOnce(kMainClass, 0, LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));
    // A real top-level window, never shown: message-only windows do not hear
    // of the end of the Windows session.
    CreateWin(0, kMainClass, kAppTitle, WS_POPUP, -220, -160, 0, 0, app_->Handle());
    return hwnd_ != nullptr && !StartFailed;
}

void RARADAVE::RestartTimer1() {
    if (Closing) return;
    bool pollCtrl = Config.ToolTipHint == 1 && Config.ToolTipCtrl == 1;
    UINT period = clock_.MsUntilNext(GetTickCount64(), Config.TimerInterval, Config.TaskBarButton, ArrivalTitleFG);
    // The Ctrl state is only looked at by the note hint; poll it while that needs it.
    if (pollCtrl) period = std::min<UINT>(period, 100);
    period = std::min<UINT>(period, 60000);   // notice a changed clock within a minute
    timerPeriod_ = period;
    SetTimer(hwnd_, kTimer1, period, nullptr);
}

void RARADAVE::Timer1Timer() {
    TimerDue due = clock_.Advance(GetTickCount64(), Config.TimerInterval, Config.TaskBarButton);
    if (due.dateUpdate) {
        // The deadline sound may play again in the new period (dates).
        if (BusyFG == 0 && Config.UseTimer == 1) M_DateUp1Click();
    }
    if (due.titleCheck && ArrivalTitleFG && app_->Title() == L"付箋紙が貼られました") {
        app_->SetTitle(kAppTitle);
        ArrivalTitleFG = false;
        TaskBarShow();
    }
    CtrlHeld = (GetKeyState(VK_CONTROL) & 0x8000) ? 1 : 0;
    RestartTimer1();
}

void RARADAVE::Delay(DWORD ms) {
    ULONGLONG end = GetTickCount64() + ms;
    ++delayDepth_;
    MSG m;
    while (!delayCancel_ && !Closing && GetTickCount64() < end) {
        DWORD left = DWORD(end - GetTickCount64());
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                PostQuitMessage(int(m.wParam));
                --delayDepth_;
                return;
            }
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    if (--delayDepth_ == 0) delayCancel_ = false;
}

void RARADAVE::ColorLoad() { CustomColors = kelup::ColorLoad(Ini); }

void RARADAVE::ColorSave() {
    auto values = ColorSaveValues(CustomColors);
    for (int i = 0; i < 16; ++i) Ini.WriteString(L"Colors", L"Color" + std::to_wstring(i), values[i]);
}

namespace {
struct FontSearch {
    const std::wstring* name;
    bool found = false;
};
// The enumeration matches names without regard to case; the check wants them exact.
int CALLBACK FontFound(const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM p) {
    auto* search = reinterpret_cast<FontSearch*>(p);
    if (*search->name == f->lfFaceName) {
        search->found = true;
        return 0;
    }
    return 1;
}
}  // namespace

std::wstring RARADAVE::FontCheck(const std::wstring& fontName) const {
    if (fontName.empty() || fontName.size() >= LF_FACESIZE) return kDefaultFontName;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, fontName.c_str(), LF_FACESIZE);
    FontSearch search{&fontName};
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &lf, FontFound, reinterpret_cast<LPARAM>(&search), 0);
    ReleaseDC(nullptr, dc);
    return search.found ? fontName : std::wstring(kDefaultFontName);
}

LRESULT RARADAVE::OnQuery(int id) {
    switch (QueryId(id)) {
        case QueryId::Ready: return GetPropW(hwnd_, kReadyProp) != nullptr;
        case QueryId::MaxTextNotes: return MaxTextNotes;
        case QueryId::MaxImageNotes: return MaxImageNotes;
        case QueryId::TextNoteCount: return TextNotes.Count();
        case QueryId::ImageNoteCount: return ImageNotes.Count();
        case QueryId::MouseL: return Config.MouseL;
        case QueryId::MouseR: return Config.MouseR;
        case QueryId::NetworkOff: return NetworkOff;
        case QueryId::NetDisabled: return NetDisabled;
        case QueryId::BusyFG: return BusyFG;
        case QueryId::TrayIconShown: return TrayIconShown;
        case QueryId::OsLevel: return OsLevel;
        case QueryId::TimerIntervalMs: return timerPeriod_;
        case QueryId::DateUpdates: return DateUpdates;
        case QueryId::CtrlHeld: return CtrlHeld;
        case QueryId::ShowTaskBar: return Config.ShowTaskBar;
        case QueryId::NativeReceived: return LRESULT(Net().nativeReceived);
        case QueryId::IpmReceived: return LRESULT(Net().ipmReceived);
    }
    return -1;
}

void RARADAVE::OnPowerBroadcast(WPARAM wp) {
    if (NetworkOff != 0) return;
    if (wp == 4 || wp == 5) {   // PBT_APMSUSPEND, PBT_APMSTANDBY
        BroadCastExit(false);
        IP_Close();
        ResumeFG = false;
    } else if (wp >= 6 && wp <= 8) {   // resume: critical, suspend, standby
        ResumeFG = true;
    }
}

void RARADAVE::OnDeviceChange() {
    ResumeFG = false;
    Delay(5000);
    if (Closing) return;
    IP_Init();
    RecipientSearch();
}

void RARADAVE::M_ExitClick() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void RARADAVE::OnCommand(int id) {
    switch (id) {
        case ID_M_Exit: M_ExitClick(); break;
        case ID_M_ShowTaskBar1: M_ShowTaskBar1Click(); break;
        case ID_M_DateUp1: M_DateUp1Click(); break;
        case ID_NewNormal: NewNormalClick(); break;
        case ID_NewBmp: NewBMPClick(); break;
        case ID_M_Undo: M_UndoClick(); break;
        case ID_M_Log1: M_Log1Click(); break;
        case ID_M_AllRemoveN: M_AllRemoveNClick(); break;
        case ID_M_AllHide: M_AllHideClick(); break;
        case ID_M_ReShow: M_ReShowClick(); break;
        default:
            if (id >= int(ID_HIDDEN_FIRST)) MenuItemClick(UINT(id));
            break;
    }
}

LRESULT RARADAVE::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (Closing) {
        // Once shutdown has begun every message is discarded; the window
        // still has to be taken down properly.
        if (msg == WM_DESTROY) {
            PostQuitMessage(0);
            return 0;
        }
        if (msg == WM_NCDESTROY) return Default(msg, wp, lp);
        if (msg == WM_QUERYENDSESSION) return TRUE;
        return 0;
    }
    if (uTaskBarRecreate != 0 && msg == uTaskBarRecreate) {
        AddTrayIcon();
        return 0;
    }
    switch (msg) {
        case WM_CREATE:
            FormCreate();
            return 0;
        case WM_CLOSE:
            // A close while the start-up still runs (a dialog of it is up)
            // waits until the start has finished.
            if (!started_) {
                closePending_ = true;
                return 0;
            }
            ProgramEnd();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wp) {
                // Windows ends the process as soon as this returns: save now.
                ProgramEnd();
                return 0;
            }
            break;
        case WM_HOTKEY:
            return 0;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_MINIMIZE || (wp & 0xFFF0) == SC_RESTORE) {
                SendMessageW(app_->Handle(), WM_SYSCOMMAND, wp, lp);
                return 0;   // the main window itself stays invisible
            }
            break;
        case WM_TIMER:
            if (wp == kTimer1) Timer1Timer();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp));
            return 0;
        case KM_TRAYICON:
            OnTrayIcon(lp);
            return 0;
        case WM_POWERBROADCAST:
            OnPowerBroadcast(wp);
            break;
        case WM_DEVICECHANGE:
            if (NetworkOff == 0 && ResumeFG) {
                OnDeviceChange();
                return TRUE;
            }
            break;
        case KM_SOCKET:
            OnSocket(wp, lp, false);
            return 0;
        case KM_SOCKET_IPMSG:
            OnSocket(wp, lp, true);
            return 0;
        case KM_PICTURE_DONE:
            OnPictureDone(wp, lp);
            return 0;
        case KM_QUERY:
            return OnQuery(int(wp));
        case KM_DUMPLISTS:
            return DumpLists();
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return Default(msg, wp, lp);
}

}  // namespace kelup
