// The date update of the notes' deadlines, and the notes' date placeholders.

#include "dates/Deadlines.h"

#include <richedit.h>

#include "app/Shell.h"
#include "base/FileOps.h"
#include "dates/DateTime.h"
#include "dates/Placeholders.h"
#include "notes/RichText.h"
#include "notes/TKELUPSHI.h"
#include "store/NoteStore.h"

namespace kelup {

Deadlines::Deadlines(Shell& shell, NoteStore& store) : shell_(shell), store_(store), LastDateUp(Today()) {}

Deadlines::~Deadlines() {
    if (scratch_) DestroyWindow(scratch_);
}

long Deadlines::Today() const { return todayFixed_ ? todayFixed_ : long(TodayAsDate()); }

void Deadlines::M_DateUp1Click() {
    ++DateUpdates_;
    long today = Today();
    // A day that differs from the last update's either way: after a night
    // asleep, or a clock set back by the user.
    if (shell_.Config().UseTimer == 0 || DateUpForceFG != 0 || today != LastDateUp) {
        store_.ForEachTextNote([&](int slot, TKELUPSHI* n) {
            if (n->HasPlaceholders) CompDate(slot);
        });
    }
    DateUpForceFG = 0;
    LastDateUp = today;
}

HWND Deadlines::Scratch() {
    if (!scratch_)
        scratch_ = CreateWindowExW(0, kRichEditClass, L"", ES_MULTILINE, 0, 0, 4000, 400, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    return scratch_;
}

void Deadlines::CompDate(int slot) {
    TKELUPSHI* n = store_.TextNote(slot);
    // A sealed note shows its face, not its text.
    if (!n || n->KeyOpen == 1) return;
    // Most notes have no placeholder: nothing to work out.
    if (!n->HasPlaceholders && !HasPlaceholderMarker(RichPlainText(n->RichEdit1()))) return;
    std::string bytes;
    if (!ReadWholeFile(store_.TextFilePath(slot), bytes)) return;
    HWND x = Scratch();
    if (!x || !RichFromRtf(x, bytes)) return;
    std::wstring text = RichPlainText(x);
    n->HasPlaceholders = HasPlaceholderMarker(text);
    long today = Today();
    // Paragraph by paragraph; each replacement takes the format of the
    // placeholder's first character.
    size_t start = 0;   // of the paragraph in `text`
    long shift = 0;     // how far the control's text has moved against `text`
    while (start <= text.size()) {
        size_t end = text.find(L'\r', start);
        if (end == std::wstring::npos) end = text.size();
        long at = long(start) + shift;
        for (const PlaceholderEdit& e : LineEdits(text.substr(start, end - start), today)) {
            LONG from = LONG(at + long(e.pos));
            SendMessageW(x, EM_SETSEL, from, from + LONG(e.length));
            SendMessageW(x, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(e.text.c_str()));
            shift += long(e.text.size()) - long(e.length);
        }
        start = end + 1;
    }
    n->ShowRtf(RichToRtf(x));
    n->LineCnt = int(RichLines(n->RichEdit1()).size());
    InvalidateRect(n->RichEdit1(), nullptr, TRUE);
}

}  // namespace kelup
