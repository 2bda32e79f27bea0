// Hidden notes live as entries of the main menu's "表示／非表示" submenu,
// the most recently hidden first, above a separator.

#include "store/NoteStore.h"
#include "notes/TBMPKELUPSHI.h"
#include "notes/TKELUPSHI.h"
#include "res/resource.h"

namespace kelup {

namespace {

HMENU ShowHideMenu(HMENU popup) {
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        HMENU sub = GetSubMenu(popup, i);
        if (!sub) continue;
        for (int j = 0; j < GetMenuItemCount(sub); ++j)
            if (GetMenuItemID(sub, j) == ID_M_AllHide) return sub;
    }
    return nullptr;
}

}  // namespace

UINT NoteStore::AddHiddenEntry(bool textNote, int number, const std::wstring& caption) {
    HMENU sub = ShowHideMenu(shell_.PopupMenu1());
    if (!sub) return 0;
    bool first = HiddenCount == 0;
    if (first) {
        hiddenSeparatorId_ = ID_HIDDEN_FIRST + UINT(HiddenEntryCounter);
        InsertMenuW(sub, 0, MF_BYPOSITION | MF_SEPARATOR, hiddenSeparatorId_, nullptr);
        ++HiddenEntryCounter;
    }
    ++HiddenEntryCounter;
    UINT id = ID_HIDDEN_FIRST + UINT(HiddenEntryCounter);
    if (!InsertMenuW(sub, 0, MF_BYPOSITION | MF_STRING, id, caption.c_str())) {
        // Nothing half made stays behind: the counts and the menu as they were.
        if (first) DeleteMenu(sub, hiddenSeparatorId_, MF_BYCOMMAND);
        return 0;
    }
    ++HiddenCount;
    if (textNote) ++HiddenTextCount;
    else ++HiddenImageCount;
    hiddenEntries_[id] = {textNote, number};
    return id;
}

void NoteStore::MenuItemClick(UINT id) {
    auto it = hiddenEntries_.find(id);
    if (it == hiddenEntries_.end()) return;
    auto [textNote, number] = it->second;
    hiddenEntries_.erase(it);
    HMENU sub = ShowHideMenu(shell_.PopupMenu1());
    if (sub) DeleteMenu(sub, id, MF_BYCOMMAND);
    if (textNote) {
        if (TKELUPSHI* n = TextNotes.At(number)) n->ShowAgain();
        if (HiddenTextCount > 0) --HiddenTextCount;
    } else {
        if (TBMPKELUPSHI* b = ImageNotes.At(number)) b->ShowAgain();
        if (HiddenImageCount > 0) --HiddenImageCount;
    }
    if (HiddenCount > 0) --HiddenCount;
    if (HiddenCount == 0 && sub && GetMenuItemCount(sub) > 2) DeleteMenu(sub, 0, MF_BYPOSITION);
}

void NoteStore::ShowFromHiddenList(bool textNote, int number) {
    for (auto& [id, entry] : hiddenEntries_)
        if (entry == std::pair<bool, int>{textNote, number}) return MenuItemClick(id);
}

void NoteStore::DropHiddenEntry(bool textNote, int number) {
    for (auto it = hiddenEntries_.begin(); it != hiddenEntries_.end(); ++it) {
        if (it->second != std::pair<bool, int>{textNote, number}) continue;
        UINT id = it->first;
        hiddenEntries_.erase(it);
        HMENU sub = ShowHideMenu(shell_.PopupMenu1());
        if (sub) DeleteMenu(sub, id, MF_BYCOMMAND);
        if (textNote && HiddenTextCount > 0) --HiddenTextCount;
        if (!textNote && HiddenImageCount > 0) --HiddenImageCount;
        if (HiddenCount > 0) --HiddenCount;
        if (HiddenCount == 0 && sub) DeleteMenu(sub, hiddenSeparatorId_, MF_BYCOMMAND);
        return;
    }
}

void NoteStore::M_AllHideClick() {
    TextNotes.ForEach([](int, TKELUPSHI* n) {
        if (n->HideFG == 0) {
            n->HideFG = 2;
            n->HideAction();
        }
    });
    ImageNotes.ForEach([](int, TBMPKELUPSHI* b) {
        if (b->HideFG == 0) {
            b->HideFG = 2;
            b->HideAction();
        }
    });
}

void NoteStore::M_ReShowClick() {
    TextNotes.ForEach([](int, TKELUPSHI* n) {
        if (n->HideFG > 0) n->ShowAgain();
    });
    ImageNotes.ForEach([](int, TBMPKELUPSHI* b) {
        if (b->HideFG > 0) b->ShowAgain();
    });
    HMENU sub = ShowHideMenu(shell_.PopupMenu1());
    if (HiddenCount > 0 && sub)
        for (auto& [id, entry] : hiddenEntries_) DeleteMenu(sub, id, MF_BYCOMMAND);
    if (HiddenCount > 0 && sub) DeleteMenu(sub, hiddenSeparatorId_, MF_BYCOMMAND);
    hiddenEntries_.clear();
    HiddenCount = HiddenTextCount = HiddenImageCount = 0;
}

}  // namespace kelup
