// The date update of the notes' deadlines, and the notes' date placeholders.

#include "dates/Deadlines.h"

#include <richedit.h>

#include <cmath>
#include <vector>

#include "app/Shell.h"
#include "base/FileOps.h"
#include "dates/DateTime.h"
#include "dates/Placeholders.h"
#include "dates/RtfDates.h"
#include "dates/TSubDate.h"
#include "notes/RichText.h"
#include "notes/TBMPKELUPSHI.h"
#include "notes/TKELUPSHI.h"
#include "store/NoteStore.h"

namespace kelup {

namespace {

// `file` was written after `copy` was made (a copy keeps its source's time).
bool ChangedSince(const std::wstring& file, const std::wstring& copy) {
    WIN32_FILE_ATTRIBUTE_DATA a{}, b{};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &a)) return false;
    if (!GetFileAttributesExW(copy.c_str(), GetFileExInfoStandard, &b)) return true;
    return CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) > 0;
}

}  // namespace

Deadlines::Deadlines(Shell& shell, NoteStore& store) : shell_(shell), store_(store), LastDateUp(Today()) {}

Deadlines::~Deadlines() {
    if (scratch_) DestroyWindow(scratch_);
}

double Deadlines::Now() const { return nowFixed_ != 0 ? nowFixed_ : NowAsDateTime(); }

long Deadlines::Today() const { return long(std::floor(Now())); }

DateRules Deadlines::Rules() const {
    const Settings& s = shell_.Config();
    return DateRules{s.UseColor1, s.UseColor2, s.UseColor3, s.Limit, s.OnlyDateCheck};
}

bool Deadlines::CheckingOn() const { return DeadlineCheckingOn(Rules()); }

void Deadlines::ScheduleDeadline(int slot, double day, bool asDeadline) {
    TKELUPSHI* n = store_.TextNote(slot);
    if (!n) return;
    if (asDeadline) n->K_Date = std::floor(day);
    if (n->K_Date == 0) return;
    n->LimitFG = 0;
    n->LimitActFG = 0;
    ColorByDate(slot);
    n->PlaySndFG = 0;
    // The deadline is kept at once, whatever the editor does next.
    if (asDeadline) store_.SaveData();
}

void Deadlines::M_DateUp1Click() {
    ++DateUpdates_;
    const Settings& s = shell_.Config();
    const long today = Today();
    // A day that differs from the last update's either way: after a night
    // asleep, or a clock set back by the user.
    const bool rebuild = s.UseTimer == 0 || DateUpForceFG != 0 || today != LastDateUp;
    store_.ForEachTextNote([&](int slot, TKELUPSHI* n) {
        // A note edited in place keeps its text as typed and its own colour;
        // leaving the editing works both out again.
        if (slot == store_.DirectEditSlot()) return;
        if (n->K_Date != 0) ColorByDate(slot);
        if (n->KeyOpen == 1 || !rebuild || !n->HasPlaceholders) return;
        CompDate(slot);
    });
    store_.ForEachImageNote([&](int slot, TBMPKELUPSHI* b) {
        if (b->K_Date != 0) ColorByDateY(slot);
    });
    PlayDueSounds();
    // An update asked for while the notes blink leaves the blinking to it.
    if (!LimitBusy_) LimitAction();
    DateUpForceFG = 0;
    LastDateUp = today;
}

long long Deadlines::BenchUpdate() {
    auto cpu = [] {
        FILETIME c, e, k, u;
        GetThreadTimes(GetCurrentThread(), &c, &e, &k, &u);
        auto v = [](FILETIME f) { return (long long)(ULARGE_INTEGER{{f.dwLowDateTime, f.dwHighDateTime}}.QuadPart); };
        return (v(k) + v(u)) / 10;
    };
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    // The next day, as at midnight: every number shown changes.
    SetNow(Now() + 1);
    long long c0 = cpu();
    QueryPerformanceCounter(&t0);
    M_DateUp1Click();
    QueryPerformanceCounter(&t1);
    benchWall_ = (t1.QuadPart - t0.QuadPart) * 1000000 / f.QuadPart;
    return cpu() - c0;
}

void Deadlines::ColorByDate(int slot) {
    TKELUPSHI* n = store_.TextNote(slot);
    if (!n) return;
    DeadlineState d{n->K_Date, n->EveryDay, n->LimitFG, n->PlaySndFG};
    DateLook look = EvaluateDeadline(d, Rules(), Now(), false, n->Tomei == 0);
    n->K_Date = d.K_Date, n->LimitFG = d.LimitFG, n->PlaySndFG = d.PlaySndFG;
    const bool colours = shell_.Config().OnlyDateCheck != 1 && n->Tomei < 2;
    switch (look) {
        case DateLook::NoDeadline: return;
        case DateLook::Arrived:
            // An every-day deadline blinks again at each arrival, as its sound plays again.
            if (n->EveryDay == 1) n->LimitActFG = 0;
            if (colours) ShowRuleColours(n, 1);
            // Forward, and shown even when it was hidden. A note already shown
            // in front of the other windows stays as it is: restacking every
            // arrived note at each update would cost more than all the rest.
            n->BringTopFG = true;
            if (!IsWindowVisible(n->Handle()) || !(GetWindowLongPtrW(n->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST))
                n->ShowNote();
            return;
        case DateLook::WithinDay:
            if (colours) ShowRuleColours(n, 2);
            return;
        case DateLook::WithinLimit:
            if (colours) ShowRuleColours(n, 3);
            return;
        case DateLook::NoRule:
            if (n->Tomei == 0) ShowOwnLook(slot, n);
            return;
    }
}

void Deadlines::ColorByDateY(int slot) {
    TBMPKELUPSHI* b = store_.ImageNote(slot);
    if (!b) return;
    DeadlineState d{b->K_Date, b->EveryDay, b->LimitFG, b->PlaySndFG};
    DateLook look = EvaluateDeadline(d, Rules(), Now(), true, false);
    b->K_Date = d.K_Date, b->LimitFG = d.LimitFG, b->PlaySndFG = d.PlaySndFG;
    // An every-day deadline blinks again at each arrival, as on a text note.
    if (look == DateLook::Arrived && b->EveryDay == 1) b->LimitActFG = 0;
}

int Deadlines::RuleTextColour(int rule) const {
    const Settings& s = shell_.Config();
    return rule == 1 ? s.SColor1 : rule == 2 ? s.SColor2 : s.SColor3;
}

void Deadlines::ShowRuleColours(TKELUPSHI* n, int rule) {
    const Settings& s = shell_.Config();
    n->SetColor(rule == 1 ? s.Color1 : rule == 2 ? s.Color2 : s.Color3);
    // The whole text is coloured once, when the rule begins to hold (and
    // again after each rebuild of the text).
    if (n->DateLook == rule) return;
    SetTextColour(n, RuleTextColour(rule));
    n->DateLook = rule;
}

void Deadlines::SetTextColour(TKELUPSHI* n, int colour) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_COLOR;
    cf.crTextColor = COLORREF(colour);
    SendMessageW(n->RichEdit1(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
}

void Deadlines::ShowOwnLook(int slot, TKELUPSHI* n) {
    // Only a note a rule coloured has a text to take back; the others show
    // their own already.
    if (n->DateLook != 0 && n->KeyOpen != 1) {
        // The copy kept when the deadline was set; the note's own file when
        // the text was changed since (or the copy is gone).
        std::wstring org = OrgCopyPath(slot), own = store_.TextFilePath(slot);
        std::string bytes;
        bool read = (!ChangedSince(own, org) && ReadWholeFile(org, bytes)) || ReadWholeFile(own, bytes);
        n->DateLook = 0;
        if (read) {
            n->ShowRtf(bytes);
            CompDate(slot);
        }
    }
    n->DateLook = 0;
    n->SetColor(n->ORGColor);
}

void Deadlines::PlayDueSounds() {
    store_.ForEachTextNote([&](int, TKELUPSHI* n) {
        if (n->LimitFG != 1) return;
        // One deadline sound in a timer period: the others are marked played.
        if (n->PlaySndFG != 1 && !n->SndName.empty() && SoundPlayedFG != 1) {
            sounds_.Play(n->SndName);
            SoundPlayedFG = 1;
        }
        if (n->EveryDay == 0) n->PlaySndFG = 1;
    });
    store_.ForEachImageNote([&](int, TBMPKELUPSHI* b) {
        if (b->LimitFG != 1) return;
        if (b->PlaySndFG != 1 && !b->SndName.empty() && SoundPlayedFG != 1) {
            sounds_.Play(b->SndName);
            SoundPlayedFG = 1;
        }
        if (b->EveryDay == 0) b->PlaySndFG = 1;
    });
}

void Deadlines::LimitAction() {
    std::vector<int> due, dueImages;
    store_.ForEachTextNote([&](int slot, TKELUPSHI* n) {
        if (n->LimitFG != 1) return;
        due.push_back(slot);
        n->BringTopFG = true;
        if (!IsWindowVisible(n->Handle())) n->ShowNote();
    });
    store_.ForEachImageNote([&](int slot, TBMPKELUPSHI* b) {
        if (b->LimitFG != 1) return;
        dueImages.push_back(slot);
        if (!IsWindowVisible(b->Handle())) b->ShowNote();
    });
    if (due.empty() && dueImages.empty()) return;
    LimitBusy_ = true;
    const bool wasBusy = shell_.State().BusyFG != 0;
    shell_.SetBusy(true);
    if (shell_.Config().LimitAction == 1) {
        bool blinked = false;
        for (int k = 0; k <= 5 && !shell_.State().Closing; ++k) {
            shell_.Delay(500);
            // Notes may have been peeled while waiting: looked up afresh.
            auto blink = [&](auto* n) {
                if (n->LimitFG != 1 || n->LimitActFG == 1) return;
                ShowWindow(n->Handle(), k % 2 == 0 ? SW_HIDE : SW_SHOWNOACTIVATE);
                if (k == 5) n->LimitActFG = 1, blinked = true;
            };
            store_.ForEachTextNote([&](int, TKELUPSHI* n) { blink(n); });
            store_.ForEachImageNote([&](int, TBMPKELUPSHI* b) { blink(b); });
        }
        // A blink cut short by the end of the program leaves no note hidden.
        auto reshow = [](auto* n) {
            if (n->LimitFG == 1 && !IsWindowVisible(n->Handle())) ShowWindow(n->Handle(), SW_SHOWNOACTIVATE);
        };
        store_.ForEachTextNote([&](int, TKELUPSHI* n) { reshow(n); });
        store_.ForEachImageNote([&](int, TBMPKELUPSHI* b) { reshow(b); });
        if (blinked) ++Blinks_;
    }
    shell_.SetBusy(wasBusy);
    // An arrived note cannot stay hidden: it leaves the hidden notes' list.
    for (int slot : due) {
        TKELUPSHI* n = store_.TextNote(slot);
        if (n && n->LimitFG == 1 && n->HideFG != 0) store_.ShowFromHiddenList(true, slot);
    }
    for (int slot : dueImages) {
        TBMPKELUPSHI* b = store_.ImageNote(slot);
        if (b && b->LimitFG == 1 && b->HideFG != 0) store_.ShowFromHiddenList(false, slot);
    }
    LimitBusy_ = false;
}

std::wstring Deadlines::OrgCopyPath(int slot) const {
    TKELUPSHI* n = store_.TextNote(slot);
    return n ? shell_.Path().DataDir + L"Org\\" + n->DataName : std::wstring();
}

void Deadlines::M_LimitClick(int slot) {
    TKELUPSHI* n = store_.TextNote(slot);
    if (!n) return;
    const Settings& s = shell_.Config();
    shell_.EnableTimer1(false);
    DeadlineInput in;
    in.date = n->K_Date;
    in.time = n->K_Date != 0 ? n->K_Date : Now();
    in.everyDay = n->EveryDay == 1;
    in.sound = n->SndName;
    int useTime = s.UseTime;
    int result = TSubDate(sounds_).ShowModal(n->Handle(), in, useTime, s.WaveSound);
    shell_.RememberUseTime(useTime);
    // The dialog let other messages through: the note may be gone.
    n = store_.TextNote(slot);
    if (!n || result == 0) {
        shell_.EnableTimer1(true);
        return;
    }
    const double now = Now();
    n->LimitFG = 0;
    if (result == 1 || result == 3) {
        // The text as it is now, to come back to when the deadline goes.
        std::wstring org = OrgCopyPath(slot);
        CreateDirectoryW((shell_.Path().DataDir + L"Org").c_str(), nullptr);
        CopyFileW(store_.TextFilePath(slot).c_str(), org.c_str(), TRUE);
        n->EveryDay = in.everyDay ? 1 : 0;
        n->K_Date = in.everyDay ? EveryDayDeadline(in.time, now) : DeadlineAt(in.date, in.time);
        n->SndName = in.sound;
    } else {
        n->K_Date = 0;
        n->EveryDay = 0;
    }
    if (n->K_Date == 0) {
        n->DateLook = 1;   // the own text comes back whatever the rules showed
        ShowOwnLook(slot, n);
        DeleteFileW(OrgCopyPath(slot).c_str());
    } else {
        n->LimitFG = 0;
        n->LimitActFG = 0;
        ColorByDate(slot);
        n->PlaySndFG = 0;
    }
    shell_.EnableTimer1(true);
    // Stacking for the new deadline.
    switch (StackingAfterDeadline(n->K_Date, now, s.Limit, n->StOnTp == 1)) {
        case DeadlineStacking::StayOnTop:
            n->StOnTp = 1;
            n->TopSet();
            break;
        case DeadlineStacking::Release:
            n->BringTopFG = false;
            SetWindowPos(n->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
            break;
        case DeadlineStacking::Keep: break;
    }
    if (result == 3) {
        n->HideFG = 2;
        n->HideAction();
    }
    // The deadline is kept at once, not only at the end of the run.
    store_.SaveData();
}

void Deadlines::ImageLimitClick(int slot) {
    // The note has already let go of its place on top for the dialog.
    TBMPKELUPSHI* b = store_.ImageNote(slot);
    if (!b) return;
    const Settings& s = shell_.Config();
    shell_.EnableTimer1(false);
    DeadlineInput in;
    in.date = b->K_Date;
    in.time = b->K_Date != 0 ? b->K_Date : Now();
    in.everyDay = b->EveryDay == 1;
    in.sound = b->SndName;
    int useTime = s.UseTime;
    int result = TSubDate(sounds_).ShowModal(b->Handle(), in, useTime, s.WaveSound);
    shell_.RememberUseTime(useTime);
    // The dialog let other messages through: the note may be gone, and its
    // slot even taken by another one.
    if (store_.ImageNote(slot) != b) {
        shell_.EnableTimer1(true);
        return;
    }
    if (result == 0) {
        shell_.EnableTimer1(true);
        b->TopSet();
        return;
    }
    b->LimitFG = 0;
    if (result == 1 || result == 3) {
        b->EveryDay = in.everyDay ? 1 : 0;
        b->K_Date = in.everyDay ? EveryDayDeadline(in.time, Now()) : DeadlineAt(in.date, in.time);
        b->SndName = in.sound;
    } else {
        b->K_Date = 0;
        b->EveryDay = 0;
    }
    if (b->K_Date != 0) {
        b->LimitFG = 0;
        b->LimitActFG = 0;
        ColorByDateY(slot);
        b->PlaySndFG = 0;
    }
    shell_.EnableTimer1(true);
    b->TopSet();
    if (result == 3 && b->HideFG == 0) {
        b->HideFG = 2;
        b->HideAction();
    }
    // The deadline is kept at once, not only at the end of the run.
    store_.SaveData();
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
    if (!ReadTextFile(slot, bytes)) return;
    const long today = Today();
    // Worked out in the RTF itself and shown in one stream; the slow way in
    // a scratch rich edit for RTF that is not simple enough for that.
    bool coloured = false;
    if (std::optional<std::string> shown = RtfWithDates(bytes, today)) {
        std::optional<std::wstring> text = RtfShownText(bytes);
        n->HasPlaceholders = text && HasPlaceholderMarker(*text);
        // A rule's text colour stays on the rebuilt text.
        if (n->DateLook != 0) {
            if (std::optional<std::string> inColour = RtfInColour(*shown, RuleTextColour(n->DateLook))) {
                shown = std::move(inColour);
                coloured = true;
            }
        }
        n->ShowRtf(*shown);
        if (text) n->LineCnt = ShownLineCount(*text);
    } else if (!RebuildInScratch(n, bytes, today)) {
        return;
    }
    if (n->DateLook != 0 && !coloured) SetTextColour(n, RuleTextColour(n->DateLook));
    InvalidateRect(n->RichEdit1(), nullptr, TRUE);
}

bool Deadlines::ReadTextFile(int slot, std::string& bytes) {
    const std::wstring path = store_.TextFilePath(slot);
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) {
        texts_.erase(slot);
        return false;
    }
    // The text as read last time while the file has not changed since: one
    // look at the file instead of reading it at every new day.
    ULONGLONG size = (ULONGLONG(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
    auto it = texts_.find(slot);
    if (it != texts_.end() && it->second.path == path && it->second.size == size &&
        CompareFileTime(&it->second.written, &a.ftLastWriteTime) == 0) {
        bytes = it->second.bytes;
        return true;
    }
    if (!ReadWholeFile(path, bytes)) return false;
    texts_[slot] = TextFile{path, a.ftLastWriteTime, size, bytes};
    return true;
}

bool Deadlines::RebuildInScratch(TKELUPSHI* n, const std::string& bytes, long today) {
    HWND x = Scratch();
    if (!x || !RichFromRtf(x, bytes)) return false;
    const std::wstring text = RichPlainText(x);
    n->HasPlaceholders = HasPlaceholderMarker(text);
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
    return true;
}

}  // namespace kelup
