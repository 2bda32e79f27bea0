// What a note asks of the store while its text is edited in place and for
// the commands on its whole text: which note is being edited, where its text
// as typed is, writing its text file and the "Org\" copy.

#include <windows.h>

#include "store/NoteStore.h"

#include "base/FileOps.h"
#include "notes/TKELUPSHI.h"

namespace kelup {

namespace {

// `file` was written after `copy` was made (a copy keeps its source's time).
bool NewerThan(const std::wstring& file, const std::wstring& copy) {
    WIN32_FILE_ATTRIBUTE_DATA a{}, b{};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &a)) return false;
    if (!GetFileAttributesExW(copy.c_str(), GetFileExInfoStandard, &b)) return true;
    return CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) > 0;
}

}  // namespace

void NoteStore::EnterDirectEdit(int slot) {
    // One note at a time: the one being edited keeps what was typed in it.
    if (DirectEditNo != slot)
        if (TKELUPSHI* other = TextNotes.At(DirectEditNo)) other->M_DirectExitClick();
    DirectEditNo = slot;
}

void NoteStore::LeaveDirectEdit(int slot) {
    if (DirectEditNo == slot) DirectEditNo = kNoSlot;
}

std::wstring NoteStore::TypedTextPath(int slot) const {
    TKELUPSHI* n = TextNotes.At(slot);
    if (!n) return {};
    std::wstring own = Path.DataDir + n->DataName, org = Path.DataDir + L"Org\\" + n->DataName;
    // The copy holds the text as typed when the deadline was set; the text
    // file is the newer one once the text was changed without the copy
    // (pasted, recoloured), and then it is the text to edit.
    if (n->K_Date != 0 && FileExists(org) && !NewerThan(own, org)) return org;
    return FileExists(own) ? own : std::wstring();
}

bool NoteStore::WriteNoteText(int slot, bool withOrgCopy) {
    TKELUPSHI* n = TextNotes.At(slot);
    if (!n) return false;
    bool ok = RichEdSaveToFile(slot, Path.DataDir + n->DataName);
    std::wstring org = Path.DataDir + L"Org\\" + n->DataName;
    if (withOrgCopy && n->K_Date != 0 && FileExists(org)) ok = RichEdSaveToFile(slot, org) && ok;
    return ok;
}

std::wstring NoteStore::SaveTextFolder() const {
    if (!Path.DownloadsDir.empty() && DirExists(Path.DownloadsDir)) return Path.DownloadsDir;
    return Path.MyDocuments;
}

}  // namespace kelup
