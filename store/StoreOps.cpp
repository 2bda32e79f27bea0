// The main window's note-store operations: slot tables and the data file.

#include "app/RARADAVE.h"
#include "notes/TKELUPSHI.h"

namespace kelup {

void RARADAVE::AllocateSlots() {
    MaxTextNotes = SlotCountFor(Config.MAX1, 99);
    MaxImageNotes = SlotCountFor(Config.MAX2, 20);
    TextNotes.Allocate(MaxTextNotes);
    ImageNotes.Allocate(MaxImageNotes);
    UndoCount = 0;
}

// The notes arrive with the data file; until then there is nothing to load,
// save or release.
void RARADAVE::LoadData() {}
void RARADAVE::SaveData(const std::wstring&) {}
void RARADAVE::ReleaseNotes() {
    for (int i = 0; i < MaxTextNotes; ++i)
        if (TextNotes.InUse(i)) ReleaseTextNote(i);
}

void RARADAVE::UndoForm(TKELUPSHI*) {}
void RARADAVE::M_UndoClick() {}

}  // namespace kelup
