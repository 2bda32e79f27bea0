#include "app/Settings.h"

namespace kelup {

void ApplyMouseKey(int mouse, int& mouseL, int& mouseR) {
    if (mouse == 0) {
        mouseL = 0;
        mouseR = 1;
    } else if (mouse == 1) {
        mouseL = 1;
        mouseR = 0;
    }
}

namespace {

struct Reader {
    const ProfileSource& ini;
    std::wstring section;

    void Int(const wchar_t* key, int& v) const { v = ini.GetInt(section, key, v); }
    void Str(const wchar_t* key, std::wstring& v) const { v = ini.GetString(section, key, v); }
};

}  // namespace

Settings LoadSettings(const ProfileSource& ini, const SettingsContext& ctx,
                      const std::wstring& configPassword) {
    Settings s;
    s.Editer = ctx.windowsDir + L"\\notepad.exe";
    s.WaveSound = ctx.systemAsterisk;

    Reader c{ini, L"Config"};
    c.Int(L"ShowTaskBar", s.ShowTaskBar);
    c.Int(L"Color", s.Color);
    c.Int(L"Colorx64", s.Colorx64);
    c.Str(L"FontName", s.FontName);
    c.Int(L"FontColor", s.FontColor);
    c.Int(L"FontSize", s.FontSize);
    c.Int(L"FontStyle", s.FontStyle);
    c.Str(L"FontName2", s.FontName2);
    c.Int(L"FontColor2", s.FontColor2);
    c.Int(L"FontSize2", s.FontSize2);
    c.Int(L"FontStyle2", s.FontStyle2);
    c.Int(L"Waku", s.Waku);
    c.Int(L"Height", s.Height);
    c.Int(L"Width", s.Width);
    c.Int(L"Thru", s.Thru);
    // Notes received in the IP Messenger dialect land in the middle of the screen.
    s.Top = ctx.screenHeight / 2 - s.Height / 2;
    s.Left = ctx.screenWidth / 2 - s.Width / 2;
    c.Int(L"Top", s.Top);
    c.Int(L"Left", s.Left);
    c.Int(L"Vertical", s.Vertical);
    c.Int(L"Border", s.Border);
    c.Int(L"AlphaValue", s.AlphaValue);

    Reader o{ini, L"Option"};
    o.Str(L"Manager", s.Manager);
    o.Int(L"SizingMargin", s.SizingMargin);
    o.Int(L"H_B", s.H_B);
    o.Int(L"W_B", s.W_B);
    o.Int(L"Mouse", s.Mouse);
    o.Int(L"MouseL", s.MouseL);
    o.Int(L"MouseR", s.MouseR);
    ApplyMouseKey(s.Mouse, s.MouseL, s.MouseR);
    o.Int(L"IME", s.IME);
    o.Int(L"Bottom", s.Bottom);
    o.Int(L"EdgeDblClick", s.EdgeDblClick);
    o.Int(L"NewKlnBt", s.NewKlnBt);
    o.Int(L"NewBmpBt", s.NewBmpBt);
    o.Str(L"Editer", s.Editer);
    o.Int(L"Color1", s.Color1);
    o.Int(L"Color2", s.Color2);
    o.Int(L"Color3", s.Color3);
    o.Int(L"SColor1", s.SColor1);
    o.Int(L"SColor2", s.SColor2);
    o.Int(L"SColor3", s.SColor3);
    o.Int(L"UseColor1", s.UseColor1);
    o.Int(L"UseColor2", s.UseColor2);
    o.Int(L"UseColor3", s.UseColor3);
    o.Int(L"Limit", s.Limit);
    o.Int(L"LineupMode", s.LineupMode);
    o.Int(L"LineCopyMode", s.LineCopyMode);
    o.Int(L"Minimized", s.Minimized);
    o.Int(L"LimitAction", s.LimitAction);
    o.Int(L"EnableAutoSize", s.EnableAutoSize);
    o.Int(L"UseTimer", s.UseTimer);
    o.Int(L"TimerInterval", s.TimerInterval);
    o.Int(L"OnlyDateCheck", s.OnlyDateCheck);
    o.Int(L"UseLog1", s.UseLog1);
    o.Int(L"UseLog2", s.UseLog2);
    o.Int(L"Complementary", s.Complementary);
    o.Int(L"DblClickMode", s.DblClickMode);
    o.Int(L"FileDropMode", s.FileDropMode);
    o.Int(L"AutoSizeSelect", s.AutoSizeSelect);
    o.Int(L"EditerBkgnd", s.EditerBkgnd);
    o.Int(L"LogDefault", s.LogDefault);
    o.Int(L"TrayIconShow", s.TrayIconShow);
    o.Int(L"ShowCalendar", s.ShowCalendar);
    o.Str(L"HotKey1", s.HotKey1);
    o.Str(L"HotKey2", s.HotKey2);
    o.Int(L"ToolTipHint", s.ToolTipHint);
    o.Int(L"ToolTipCtrl", s.ToolTipCtrl);
    o.Int(L"AltF4", s.AltF4);
    o.Int(L"HideShutdownMenu", s.HideShutdownMenu);
    o.Int(L"AutoShow", s.AutoShow);
    o.Int(L"TaskBarButton", s.TaskBarButton);
    o.Int(L"UseWave", s.UseWave);
    o.Str(L"WaveSound", s.WaveSound);
    o.Str(L"MyName", s.MyName);
    o.Str(L"MySection", s.MySection);
    o.Int(L"Sex", s.Sex);
    o.Int(L"DisplayMyName", s.DisplayMyName);
    o.Str(L"SendFolder", s.SendFolder);
    o.Int(L"BringToTop", s.BringToTop);
    o.Int(L"RecvFontSize", s.RecvFontSize);
    o.Int(L"ALWAYSRESMODE", s.ALWAYSRESMODE);
    o.Int(L"ImageRecvLim", s.ImageRecvLim);
    o.Int(L"ImageRecvLimKB", s.ImageRecvLimKB);
    o.Int(L"FileRecvLim", s.FileRecvLim);
    o.Int(L"FileRecvLimKB", s.FileRecvLimKB);
    o.Int(L"Port", s.Port);
    o.Int(L"PortP", s.PortP);
    o.Int(L"TCPPort", s.TCPPort);
    o.Int(L"APPLYIPMES", s.APPLYIPMES);
    o.Int(L"RetryCount", s.RetryCount);
    o.Int(L"RetryTime", s.RetryTime);
    o.Int(L"MustIPAddr", s.MustIPAddr);
    o.Int(L"IPGetMode", s.IPGetMode);
    o.Int(L"BroadcastMode", s.BroadcastMode);
    o.Int(L"ListCheckMode", s.ListCheckMode);
    o.Int(L"DirSearchTime", s.DirSearchTime);
    o.Int(L"SHUTDOWN", s.SHUTDOWN);
    o.Int(L"AUTOSIZEMARGIN_W", s.AUTOSIZEMARGIN_W);
    o.Int(L"AUTOSIZEMARGIN_H", s.AUTOSIZEMARGIN_H);

    s.Password = configPassword;
    if (s.Password.empty()) o.Str(L"Password", s.Password);

    Reader g{ini, L"GENERAL"};
    g.Int(L"MAX1", s.MAX1);
    g.Int(L"MAX2", s.MAX2);

    Reader d{ini, L"SPDATE"};
    d.Int(L"UseTime", s.UseTime);

    Reader cal{ini, L"Calendar"};
    cal.Int(L"LEFT", s.CalLEFT);
    cal.Int(L"TOP", s.CalTOP);
    cal.Int(L"Width", s.CalWidth);
    cal.Int(L"Height", s.CalHeight);
    cal.Int(L"Color", s.CalColor);
    cal.Int(L"TextColor", s.CalTextColor);
    cal.Int(L"TitleColor", s.CalTitleColor);
    cal.Int(L"TitleTextColor", s.CalTitleTextColor);

    Reader h{ini, L"HISTBOX"};
    h.Int(L"SIMPLE", s.HistSIMPLE);
    h.Int(L"OPEN", s.HistOPEN);
    h.Int(L"BKCOLOR", s.HistBKCOLOR);
    h.Int(L"FONTSIZE", s.HistFONTSIZE);
    h.Int(L"FONTCOLORS", s.HistFONTCOLORS);
    h.Int(L"FONTCOLORR", s.HistFONTCOLORR);
    h.Str(L"FONTNAME", s.HistFONTNAME);
    return s;
}

CustomColorEntries ColorLoad(const ProfileSource& ini) {
    CustomColorEntries entries;
    for (int k = 0; k < 16; ++k) {
        std::wstring value = ini.GetString(L"Colors", L"Color" + std::to_wstring(k), L"000000");
        entries[k] = std::wstring(L"Color") + static_cast<wchar_t>(L'A' + k) + L"=" + value;
    }
    return entries;
}

std::array<std::wstring, 16> ColorSaveValues(const CustomColorEntries& entries) {
    std::array<std::wstring, 16> values;
    for (int i = 0; i < 16; ++i) {
        // Drop the "ColorX=" prefix; an empty entry reads FFFFFFFF.
        std::wstring v = entries[i].size() > 7 ? entries[i].substr(7) : std::wstring();
        if (v == L"FFFFFFFF" || v.empty()) v = L"000000";
        values[i] = v;
    }
    return values;
}

}  // namespace kelup
