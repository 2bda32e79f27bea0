#include "app/MenuRules.h"

namespace kelup {

TrayChoice TrayActionOf(int value) {
    switch (value) {
        case 1: return {TrayAction::NewText, 0};
        case 2: case 3: case 4: case 5: case 6: return {TrayAction::Template, value - 1};
        case 7: return {TrayAction::TemplateFile, 0};
        case 8: return {TrayAction::NewImage, 0};
        case 9: return {TrayAction::Front, 0};
        default: return {TrayAction::Menu, 0};
    }
}

TrayResponse TrayClick(TrayMouse mouse, const TrayFacts& facts) {
    TrayResponse r;
    if (facts.busy) return r;
    if (facts.blocked) {
        r.bringToFront = mouse == TrayMouse::LeftDown || mouse == TrayMouse::RightDown;
        return r;
    }
    switch (mouse) {
        case TrayMouse::LeftDown: r.choice = TrayActionOf(facts.mouseL); break;
        case TrayMouse::RightDown: r.choice = TrayActionOf(facts.mouseR); break;
        case TrayMouse::LeftDoubleClick:
            if (facts.mouseL == 9) r.choice = TrayActionOf(1);
            break;
        case TrayMouse::Other: break;
    }
    r.bringToFront = r.choice.action != TrayAction::None && r.choice.action != TrayAction::Menu;
    return r;
}

ClipKind ClipChoice(bool picture, bool text, int textCount, int maxText, int imageCount, int maxImage) {
    if (picture && imageCount < maxImage) return ClipKind::Picture;
    if (text && textCount < maxText) return ClipKind::Text;
    return ClipKind::None;
}

const wchar_t* ClipCaption(ClipKind kind) {
    switch (kind) {
        case ClipKind::Picture: return L"クリップボードから付箋紙を作成(イメージ)";
        case ClipKind::Text: return L"クリップボードから付箋紙を作成(テキスト)";
        case ClipKind::None: break;
    }
    return L"クリップボードから新規作成";
}

MainMenuState PrepareMainMenu(const MainMenuFacts& f) {
    MainMenuState s;
    s.newNormalDefault = f.mouseL == 9;
    s.allRemoveN = f.textCount != 0;
    s.allRemoveI = f.imageCount != 0;
    s.setNewEntries = !f.aboutOpen && !f.optionsOpen;
    if (s.setNewEntries) {
        s.newNormal = f.textCount != f.maxText;
        s.temp = s.newNormal;
        s.undo = f.undoCount > 0 && f.textCount < f.maxText;
        s.newBmp = f.imageCount != f.maxImage && !f.makingImage;
    }
    s.clip = ClipChoice(f.clipPicture, f.clipText, f.textCount, f.maxText, f.imageCount, f.maxImage);
    s.clipCaption = ClipCaption(s.clip);
    return s;
}

int HotKeyVirtualKey(const std::wstring& value) {
    if (value.empty() || value == L"なし") return kHotKeyNone;
    wchar_t c = value[0];
    if (c >= L'a' && c <= L'z') return int(c - L'a' + L'A');
    // Letters and digits are their own virtual-key codes; any other
    // character would name an unrelated key (',' is Print Screen).
    if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) return int(c);
    return kHotKeyUnusable;
}

std::wstring HotKeyShortcutText(int virtualKey) {
    return std::wstring(L"Ctrl+Alt+") + wchar_t(virtualKey);
}

std::wstring CaptionWithShortcut(const std::wstring& caption, const std::wstring& shortcut) {
    std::wstring plain = caption.substr(0, caption.find(L'\t'));
    return shortcut.empty() ? plain : plain + L"\t" + shortcut;
}

}  // namespace kelup
