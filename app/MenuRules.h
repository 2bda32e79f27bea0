#pragma once
// The rules of the notification-area icon, the main menu and the hot keys
// that need no window: which action a click runs, how the main menu is
// prepared from the counts and the clipboard, and which key a hot-key
// setting stands for. The main window applies them (Tray.cpp).

#include <string>

namespace kelup {

// What the settings MouseL and MouseR name (values 0 to 9).
enum class TrayAction {
    None,           // nothing happens
    Menu,           // 0: the main menu at the pointer
    NewText,        // 1: a new text note
    Template,       // 2..6: a note from template 1..5
    TemplateFile,   // 7: a note from a chosen template file
    NewImage,       // 8: a new image note
    Front,          // 9: only bring the program to the front
};

struct TrayChoice {
    TrayAction action = TrayAction::None;
    int templateNo = 0;   // 1..5 for TrayAction::Template
};

// The action of a MouseL/MouseR value; values out of 0..9 open the menu.
TrayChoice TrayActionOf(int value);

enum class TrayMouse { LeftDown, RightDown, LeftDoubleClick, Other };

struct TrayFacts {
    bool busy = false;       // BusyFG: the start or a long operation runs
    bool blocked = false;    // the compose window or the picture dialog is open, or a deadline action runs
    int mouseL = 9;
    int mouseR = 0;
};

struct TrayResponse {
    bool bringToFront = false;
    TrayChoice choice;       // what runs after that (None: nothing)
};

// What a message of the icon does. Every action but the menu first brings
// the program to the front; a double click makes a note only when a single
// left click merely brings it forward.
TrayResponse TrayClick(TrayMouse mouse, const TrayFacts& facts);

// Facts the main menu is prepared from at each opening.
struct MainMenuFacts {
    int mouseL = 9;
    int textCount = 0, maxText = 99;
    int imageCount = 0, maxImage = 20;
    int undoCount = 0;
    bool aboutOpen = false;      // the about box is shown
    bool optionsOpen = false;    // the options dialog is shown
    bool makingImage = false;    // an image note is being made
    bool clipPicture = false;    // a bitmap or the program's picture on the clipboard
    bool clipText = false;       // text on the clipboard
};

enum class ClipKind { None, Picture, Text };

struct MainMenuState {
    bool newNormalDefault = false;   // "付箋紙の新規作成・送信" in bold
    bool allRemoveN = false;
    bool allRemoveI = false;
    // While the about box or the options dialog is open the four entries
    // below keep the state those dialogs gave them.
    bool setNewEntries = true;
    bool newNormal = false, temp = false, undo = false, newBmp = false;
    ClipKind clip = ClipKind::None;
    std::wstring clipCaption;
};

MainMenuState PrepareMainMenu(const MainMenuFacts& f);

// What a clipboard entry offers: a picture when one is there and an image
// slot is free, else text when there is text and a text slot is free.
ClipKind ClipChoice(bool picture, bool text, int textCount, int maxText, int imageCount, int maxImage);
const wchar_t* ClipCaption(ClipKind kind);

// Hot keys: the [Option] HotKey1/HotKey2 value names a letter or digit used
// with Ctrl+Alt.
inline constexpr int kHotKeyNone = 0;         // "なし" or empty: no hot key
inline constexpr int kHotKeyUnusable = -1;    // a value no key stands for
// The virtual-key code of the value's first character (a letter as its
// upper-case code), kHotKeyNone or kHotKeyUnusable.
int HotKeyVirtualKey(const std::wstring& value);
// The shortcut as a menu shows it, e.g. "Ctrl+Alt+A".
std::wstring HotKeyShortcutText(int virtualKey);
// A menu caption with the shortcut after a tab, replacing any shortcut it had.
std::wstring CaptionWithShortcut(const std::wstring& caption, const std::wstring& shortcut);

}  // namespace kelup
