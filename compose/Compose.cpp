// What the shutdown asks of the compose window: its recipient-list menu
// items and its window keys.

#include "compose/Compose.h"

#include "app/IniFile.h"
#include "app/Shell.h"

namespace kelup {

namespace {
// The compose window's size before it has ever been opened.
constexpr int kEditorW = 560, kEditorH = 420, kEditorPanelH = 120, kEditorShowPanelMode = 0;
}  // namespace

void Compose::CloseEditor() {}

void Compose::WriteRecipientMenuItems() {
    // One line per item of the recipient-list popup: name, "%%", caption.
    // The compose window brings the items; without it the file is left as it is.
}

void Compose::WriteWindowKeys() {
    const Settings& Config = shell_.Config();
    IniFile Ini(shell_.Path().IniPath);
    Ini.WriteInt(L"Config", L"EditorW", kEditorW);
    Ini.WriteInt(L"Config", L"EditorH", kEditorH);
    Ini.WriteInt(L"Config", L"EditorPanelH", kEditorPanelH);
    Ini.WriteInt(L"Config", L"EditorShowPanelMode", kEditorShowPanelMode);
    Ini.WriteInt(L"Config", L"Colorx64", Config.Colorx64);
    Ini.WriteString(L"Config", L"FontName", Config.FontName);
    Ini.WriteInt(L"Config", L"FontSize", Config.FontSize);
    Ini.WriteInt(L"Config", L"Waku", Config.Waku);
    Ini.WriteInt(L"SPDATE", L"USETIME", Config.UseTime);
}

}  // namespace kelup
