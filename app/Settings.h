#pragma once
// Program-wide settings of kelup.ini and config.ini, read once at start.
// Field names follow the INI keys so a key is found by its name.

#include <array>
#include <string>

namespace kelup {

// Where settings come from: the system's profile functions on Windows,
// a map in the tests. Section and key names match without regard to case.
class ProfileSource {
public:
    virtual ~ProfileSource() = default;
    virtual int GetInt(const std::wstring& section, const std::wstring& key, int def) const = 0;
    virtual std::wstring GetString(const std::wstring& section, const std::wstring& key,
                                   const std::wstring& def) const = 0;
};

// Values the defaults depend on, worked out from the machine at start.
struct SettingsContext {
    int screenWidth = 1024;
    int screenHeight = 768;
    std::wstring windowsDir;        // without trailing separator, e.g. C:\windows
    std::wstring systemAsterisk;    // the system asterisk sound file
};

inline constexpr wchar_t kDefaultFontName[] = L"ＭＳ ゴシック";
inline constexpr int kNoColor = 536870911;

struct Settings {
    // [Config]: the default look of new notes.
    int ShowTaskBar = 0;
    int Color = 12648447;
    int Colorx64 = 12648447;
    std::wstring FontName = kDefaultFontName;
    int FontColor = 0;
    int FontSize = 12;
    int FontStyle = 0;
    std::wstring FontName2 = kDefaultFontName;
    int FontColor2 = 0;
    int FontSize2 = 12;
    int FontStyle2 = 0;
    int Waku = 1;
    int Height = 60;
    int Width = 272;
    int Thru = 0;
    int Top = 0;
    int Left = 0;
    int Vertical = 0;
    int Border = 0;
    int AlphaValue = 255;

    // [Option]
    std::wstring Manager;
    int SizingMargin = 8;
    int H_B = 3;
    int W_B = 3;
    int Mouse = 9;
    int MouseL = 9;
    int MouseR = 0;
    int IME = 1;
    int Bottom = 0;
    int EdgeDblClick = 0;
    int NewKlnBt = 0;
    int NewBmpBt = 0;
    std::wstring Editer;
    int Color1 = 255, Color2 = 16711935, Color3 = 65535;
    int SColor1 = 16777215, SColor2 = 0, SColor3 = 16711680;
    int UseColor1 = 0, UseColor2 = 0, UseColor3 = 0;
    int Limit = 0;
    int LineupMode = 1;
    int LineCopyMode = 0;
    int Minimized = 0;
    int LimitAction = 0;
    int EnableAutoSize = 1;
    int UseTimer = 1;
    int TimerInterval = 1;
    int OnlyDateCheck = 0;
    int UseLog1 = 1;
    int UseLog2 = 1;
    int Complementary = 3;
    int DblClickMode = 0;
    int FileDropMode = 0;
    int AutoSizeSelect = 4;
    int EditerBkgnd = 1;
    int LogDefault = 1;
    int TrayIconShow = 1;
    int ShowCalendar = 0;
    std::wstring HotKey1 = L"なし";
    std::wstring HotKey2 = L"なし";
    int ToolTipHint = 0;
    int ToolTipCtrl = 0;
    int AltF4 = 0;
    int HideShutdownMenu = 1;
    int AutoShow = 1;
    int TaskBarButton = 0;
    int UseWave = 1;
    std::wstring WaveSound;
    std::wstring MyName;
    std::wstring MySection;
    int Sex = 0;
    std::wstring Password;      // stored (scrambled) form, after the config.ini/kelup.ini choice
    int DisplayMyName = 0;
    std::wstring SendFolder;
    int BringToTop = 1;
    int RecvFontSize = 11;
    int ALWAYSRESMODE = 0;
    int ImageRecvLim = 0, ImageRecvLimKB = 64;
    int FileRecvLim = 0, FileRecvLimKB = 64;

    // [Option], the LAN keys.
    int Port = 59630;
    int PortP = 2425;
    int TCPPort = 11677;
    int APPLYIPMES = 0;
    int RetryCount = 0;
    int RetryTime = 8;
    int MustIPAddr = 0;
    int IPGetMode = 1;
    int BroadcastMode = 0;
    int ListCheckMode = 1;
    int DirSearchTime = 120;
    int SHUTDOWN = 0;

    // [GENERAL]: slot counts as stored (the tables apply the range rule).
    int MAX1 = 99;
    int MAX2 = 20;

    // [SPDATE]
    int UseTime = 0;

    // [OPTION] auto-size allowances.
    int AUTOSIZEMARGIN_W = 10500;
    int AUTOSIZEMARGIN_H = 13800;

    // [Calendar]: kept only so that they survive; nothing uses them.
    int CalLEFT = 10, CalTOP = 10, CalWidth = 220, CalHeight = 198;
    int CalColor = -16777211, CalTextColor = -16777208, CalTitleColor = -16777214,
        CalTitleTextColor = 16777215;

    // [HISTBOX] as read at start.
    int HistSIMPLE = 0;
    int HistOPEN = 0;
    int HistBKCOLOR = 16777215;
    int HistFONTSIZE = 10;
    int HistFONTCOLORS = 16711680;
    int HistFONTCOLORR = 0;
    std::wstring HistFONTNAME = kDefaultFontName;
};

// Reads every key with its default and applies the read-time rules (the
// older Mouse key). `configPassword` is [COMMON] Password of config.ini; when
// empty, [Option] Password of kelup.ini is used.
Settings LoadSettings(const ProfileSource& ini, const SettingsContext& ctx,
                      const std::wstring& configPassword);

// The older single Mouse key mapped onto MouseL/MouseR: 0 gives 0/1,
// 1 gives 1/0, anything else leaves the two as read.
void ApplyMouseKey(int mouse, int& mouseL, int& mouseR);

// The sixteen custom colours of the colour dialog, kept as "ColorA=..." entries.
using CustomColorEntries = std::array<std::wstring, 16>;
CustomColorEntries ColorLoad(const ProfileSource& ini);
// The values written back as [Colors] Color0..Color15.
std::array<std::wstring, 16> ColorSaveValues(const CustomColorEntries& entries);

}  // namespace kelup
