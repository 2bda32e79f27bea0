#include "app/RARADAVE.h"

#include <commdlg.h>

#include "app/Bench.h"
#include "app/ShowMsg.h"
#include "base/Clock.h"
#include "base/Messages.h"
#include "compose/Compose.h"
#include "dates/Deadlines.h"
#include "extras/DdeServer.h"
#include "extras/HistoryLogs.h"
#include "extras/THistBox.h"
#include "extras/TKLBrowse.h"
#include "net/Lan.h"
#include "res/resource.h"
#include "store/NoteStore.h"
#include "templates/Templates.h"
#include "transfer/Transfer.h"

namespace kelup {

RARADAVE::RARADAVE()
    : store_(std::make_unique<NoteStore>(*this)),
      dates_(std::make_unique<Deadlines>(*this, *store_)),
      lan_(std::make_unique<Lan>(*this)),
      dde_(std::make_unique<DdeServer>(*this, *store_, *dates_)),
      compose_(std::make_unique<Compose>(*this)),
      templates_(std::make_unique<Templates>(*this)),
      transfer_(std::make_unique<Transfer>(*this)),
      browse_(std::make_unique<TKLBrowse>()),
      hist_(std::make_unique<THistBox>(*this)) {
    store_->Wire(dates_.get());
    store_->WireEditor(compose_.get());
    compose_->Wire(store_.get());
    compose_->WireRecipients(lan_.get());
    store_->WireSending(lan_.get());
    lan_->WireTranscript(History());
    lan_->WireNotes(store_.get());
    store_->WireReceipts(lan_.get());
    store_->WireTranscript(History());
    transfer_->Wire(lan_.get(), store_.get());
    lan_->WireTransfer(transfer_.get(), transfer_.get());
    store_->WireOffers(transfer_.get());
}

// The subsystems go in the reverse order of their making: DDE first, the
// notes last.
RARADAVE::~RARADAVE() = default;

void RARADAVE::RecipientSearch() {
    // The compose editor is made now, so that its first use opens at once.
    if (!State_.Closing) compose_->Prepare();
    if (!State_.Closing) hist_->Create();
    lan_->RecipientSearch();
}

bool RARADAVE::EditorOpen() const { return compose_->EditorOpen(); }

Transcript* RARADAVE::History() { return hist_.get(); }

void RARADAVE::M_HistOpenClick() {
    bool checked = (GetMenuState(popup_, ID_M_HistOpen, MF_BYCOMMAND) & MF_CHECKED) != 0;
    CheckMenuItem(popup_, ID_M_HistOpen, MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
    hist_->SetShown(!checked);
}

bool RARADAVE::ChooseColour(HWND owner, int& color) {
    // The custom colours live as "ColorA=RRGGBB" entries (hexadecimal 0x00BBGGRR).
    COLORREF custom[16];
    for (int i = 0; i < 16; ++i) {
        const std::wstring& e = CustomColors[size_t(i)];
        custom[i] = e.size() > 7 ? COLORREF(wcstoul(e.c_str() + 7, nullptr, 16)) : 0;
    }
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.rgbResult = COLORREF(color);
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    bool ok = ChooseColorW(&cc) != FALSE;
    for (int i = 0; i < 16; ++i) {
        wchar_t v[16];
        swprintf(v, 16, L"%06X", unsigned(custom[i]));
        CustomColors[size_t(i)] = std::wstring(L"Color") + wchar_t(L'A' + i) + L"=" + v;
    }
    if (ok) color = int(cc.rgbResult);
    return ok;
}

bool RARADAVE::ChooseAssociation(HWND owner, std::wstring& text) { return browse_->ShowModal(owner, text); }

void RARADAVE::ArrivalSeen() {
    if (!ArrivalTitleFG || app_->Title() != L"付箋紙が貼られました") return;
    app_->SetTitle(kAppTitle);
    ArrivalTitleFG = false;
    TaskBarShow();
}

bool RARADAVE::ArrivalShown() const { return ArrivalTitleFG && app_->Title() == L"付箋紙が貼られました"; }

void RARADAVE::ShowArrival() {
    app_->SetTitle(L"付箋紙が貼られました");
    ArrivalTitleFG = true;
    app_->ShowButton(true);
    app_->BringToFront();
    RestartTimer1();
}

void RARADAVE::EnableTimer1(bool on) {
    if (on) RestartTimer1();
    else KillTimer(hwnd_, kTimer1);
}

void RARADAVE::RememberUseTime(int useTime) {
    if (Config_.UseTime == useTime) return;
    Config_.UseTime = useTime;
    Ini.WriteInt(L"SPDATE", L"UseTime", useTime);
}

void RARADAVE::RememberEditerBkgnd(int on) {
    Config_.EditerBkgnd = on;
    Ini.WriteInt(L"Option", L"EditerBkgnd", on);
}

void RARADAVE::SaveDefaultDesign(const DefaultDesign& d) {
    Settings& c = Config_;
    c.FontColor = d.FontColor, c.FontSize = d.FontSize, c.FontStyle = d.FontStyle, c.FontName = d.FontName;
    c.Colorx64 = d.Colorx64, c.Waku = d.Waku, c.Width = d.Width, c.Height = d.Height, c.Top = d.Top;
    c.Left = d.Left, c.Thru = d.Thru, c.Border = d.Border, c.AlphaValue = d.AlphaValue;
    Ini.WriteInt(L"Config", L"FontColor", c.FontColor);
    Ini.WriteInt(L"Config", L"FontSize", c.FontSize);
    Ini.WriteInt(L"Config", L"FontStyle", c.FontStyle);
    Ini.WriteString(L"Config", L"FontName", c.FontName);
    Ini.WriteInt(L"Config", L"Colorx64", c.Colorx64);
    Ini.WriteInt(L"Config", L"Waku", c.Waku);
    Ini.WriteInt(L"Config", L"Width", c.Width);
    Ini.WriteInt(L"Config", L"Height", c.Height);
    Ini.WriteInt(L"Config", L"Top", c.Top);
    Ini.WriteInt(L"Config", L"Left", c.Left);
    Ini.WriteInt(L"Config", L"Thru", c.Thru);
    Ini.WriteInt(L"Config", L"Vertical", c.Vertical);
    Ini.WriteInt(L"Config", L"Border", c.Border);
    Ini.WriteInt(L"Config", L"AlphaValue", c.AlphaValue);
    ShowMsg(L"この付箋紙をデフォルトとして登録しました。\r次回からこの付箋紙のデザインで新規作成されます。", 0, hwnd_);
}

bool RARADAVE::Create(AppWindow* app) {
    app_ = app;
    menu_.reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENU1)));
    popup_ = GetSubMenu(menu_.get(), 0);
    RegisterClassOnce(kMainClass, 0, L"MAINICON");
    // A real top-level window, never shown: message-only windows do not hear
    // of the end of the Windows session.
    CreateWin(0, kMainClass, kAppTitle, WS_POPUP, -220, -160, 0, 0, app_->Handle());
    return hwnd_ != nullptr && !StartFailed;
}

void RARADAVE::RestartTimer1() {
    if (State_.Closing) return;
    bool pollCtrl = Config_.ToolTipHint == 1 && Config_.ToolTipCtrl == 1;
    UINT period = clock_.MsUntilNext(GetTickCount64(), Config_.TimerInterval, Config_.TaskBarButton, ArrivalTitleFG);
    // The Ctrl state is only looked at by the note hint; poll it while that needs it.
    if (pollCtrl) period = std::min<UINT>(period, 100);
    period = std::min<UINT>(period, 60000);   // notice a changed clock within a minute
    timerPeriod_ = period;
    SetTimer(hwnd_, kTimer1, period, nullptr);
}

void RARADAVE::Timer1Timer() {
    TimerDue due = clock_.Advance(GetTickCount64(), Config_.TimerInterval, Config_.TaskBarButton);
    if (due.dateUpdate) {
        // The deadline sound may play again in the new period.
        dates_->NewTimerPeriod();
        if (State_.BusyFG == 0 && Config_.UseTimer == 1) dates_->M_DateUp1Click();
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
    while (!delayCancel_ && !State_.Closing && GetTickCount64() < end) {
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
        case QueryId::MaxTextNotes: return store_->TextNoteMax();
        case QueryId::MaxImageNotes: return store_->ImageNoteMax();
        case QueryId::TextNoteCount: return store_->TextNoteCount();
        case QueryId::ImageNoteCount: return store_->ImageNoteCount();
        case QueryId::MouseL: return Config_.MouseL;
        case QueryId::MouseR: return Config_.MouseR;
        case QueryId::NetworkOff: return State_.NetworkOff;
        case QueryId::NetDisabled: return State_.NetDisabled;
        case QueryId::BusyFG: return State_.BusyFG;
        case QueryId::TrayIconShown: return TrayIconShown;
        case QueryId::OsLevel: return State_.OsLevel;
        case QueryId::TimerIntervalMs: return timerPeriod_;
        case QueryId::DateUpdates: return dates_->DateUpdates();
        case QueryId::SoundsPlayed: return dates_->SoundsPlayed();
        case QueryId::Blinks: return dates_->Blinks();
        case QueryId::DateUpBench: return store_->NotesLoaded() ? LRESULT(dates_->BenchUpdate()) : -1;
        case QueryId::DateUpBenchWall: return LRESULT(dates_->BenchWall());
        case QueryId::CtrlHeld: return CtrlHeld;
        case QueryId::ShowTaskBar: return Config_.ShowTaskBar;
        case QueryId::NativeReceived: return LRESULT(lan_->NativeReceived());
        case QueryId::IpmReceived: return LRESULT(lan_->IpmReceived());
        case QueryId::EditorReadyBench: {
            long long ready = compose_->ReadyAt();
            return newNoteAt_ != 0 && ready > newNoteAt_ ? LRESULT(ready - newNoteAt_) : -1;
        }
        case QueryId::EditorApplyBench: {
            long long pressed = compose_->AppliedAt(), saved = store_->EditSavedAt();
            return pressed != 0 && saved > pressed ? LRESULT(saved - pressed) : -1;
        }
        case QueryId::PressedAt: return LRESULT(compose_->AppliedAt());
        case QueryId::ReceivedShownAt: return LRESULT(store_->ReceivedShownAt());
        case QueryId::ClockNow: return LRESULT(MicrosNow());
        case QueryId::TransferListening: return transfer_->Listening() ? 1 : 0;
        case QueryId::TransfersEnded: return transfer_->Completed();
        case QueryId::BareDialogBench: {
            // As large as the editor, so both paint alike.
            SIZE size{};
            RECT r;
            if (HWND ed = compose_->EditorHandle(); ed && GetWindowRect(ed, &r)) size = {r.right - r.left, r.bottom - r.top};
            return LRESULT(BareDialogMicros(hwnd_, size));
        }
        case QueryId::SaveBench: {
            if (!store_->NotesLoaded()) return -1;
            LARGE_INTEGER f, t0, t1;
            QueryPerformanceFrequency(&f);
            QueryPerformanceCounter(&t0);
            for (int i = 0; i < kSaveBenchRounds; ++i) store_->SaveData();
            QueryPerformanceCounter(&t1);
            return LRESULT((t1.QuadPart - t0.QuadPart) * 1000000 / f.QuadPart);
        }
    }
    return -1;
}

void RARADAVE::OnPowerBroadcast(WPARAM wp) {
    if (State_.NetworkOff != 0) return;
    if (wp == 4 || wp == 5) {   // PBT_APMSUSPEND, PBT_APMSTANDBY
        lan_->BroadCastExit(false);
        lan_->IP_Close();
        ResumeFG = false;
    } else if (wp >= 6 && wp <= 8) {   // resume: critical, suspend, standby
        ResumeFG = true;
    }
}

void RARADAVE::OnDeviceChange() {
    ResumeFG = false;
    Delay(5000);
    if (State_.Closing) return;
    lan_->IP_Init();
    lan_->RecipientSearch();
}

void RARADAVE::M_ExitClick() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void RARADAVE::OnCommand(int id) {
    switch (id) {
        case ID_M_Exit: M_ExitClick(); break;
        case ID_M_ShowTaskBar1: M_ShowTaskBar1Click(); break;
        case ID_M_DateUp1: dates_->M_DateUp1Click(); break;
        case ID_NewNormal: NewNormalClick(); break;
        case ID_NewBmp: NewBMPClick(); break;
        case ID_M_Clip: M_ClipClick(); break;
        case ID_M_Minimize: M_MinimizeClick(); break;
        case ID_M_HELP: M_HELPClick(); break;
        case ID_M_About: AboutBoxOpen(); break;
        case ID_M_AllRemoveI: M_AllRemoveIClick(); break;
        case ID_M_RePaintBmp: store_->M_RePaintBmpClick(); break;
        case ID_M_Undo: store_->M_UndoClick(); break;
        case ID_M_Log1: store_->M_Log1Click(); break;
        case ID_M_NLOG: M_NLOGClick(*this); break;
        case ID_M_Log2: M_Log2Click(*this); break;
        case ID_M_HistOpen: M_HistOpenClick(); break;
        case ID_M_FileRecvLim: transfer_->M_FileRecvLimClick(); break;
        case ID_M_ImageRecvLim: transfer_->M_ImageRecvLimClick(); break;
        case ID_M_AllRemoveN: store_->M_AllRemoveNClick(); break;
        case ID_M_AllHide: store_->M_AllHideClick(); break;
        case ID_M_ReShow: store_->M_ReShowClick(); break;
        default:
            if (id >= int(ID_HIDDEN_FIRST)) store_->MenuItemClick(UINT(id));
            break;
    }
}

LRESULT RARADAVE::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (State_.Closing) {
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
            OnHotKey(int(wp));
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
            if (State_.NetworkOff == 0 && ResumeFG) {
                OnDeviceChange();
                return TRUE;
            }
            break;
        case KM_SOCKET:
            lan_->OnSocket(wp, lp, false);
            return 0;
        case KM_SOCKET_IPMSG:
            lan_->OnSocket(wp, lp, true);
            return 0;
        case KM_PICTURE_DONE:
            transfer_->OnPictureDone(wp, lp);
            return 0;
        case KM_TRANSFER:
            transfer_->OnTransferEvent(wp, lp);
            return 0;
        case WM_DISPLAYCHANGE:
            store_->KeepNotesInView();
            break;
        case WM_SETTINGCHANGE:
            if (wp == SPI_SETWORKAREA) store_->KeepNotesInView();
            break;
        case KM_QUERY:
            return OnQuery(int(wp));
        case KM_DUMPLISTS:
            return lan_->DumpLists();
        case KM_SETTODAY:
            // lParam: the minute of that day.
            dates_->SetNow(wp ? double(wp) + double(lp) / 1440.0 : 0.0);
            dates_->NewTimerPeriod();
            return 1;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return Default(msg, wp, lp);
}

}  // namespace kelup
