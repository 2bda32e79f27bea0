// Making notes: new text notes, duplicates, and their text files.

#include <windows.h>
#include <richedit.h>

#include "store/NoteStore.h"

#include "app/AppWindow.h"
#include "dates/Deadlines.h"
#include "app/ShowMsg.h"
#include "base/Cp932.h"
#include "base/FileOps.h"
#include "base/TextLines.h"
#include "dates/DateTime.h"
#include "notes/RichText.h"
#include "notes/NoteHint.h"
#include "notes/OnScreen.h"
#include "notes/TBMPKELUPSHI.h"
#include "notes/TKELUPSHI.h"
#include "store/ImageNotesHost.h"

namespace kelup {

std::wstring TextFileName(int slot) { return L"kelup" + std::to_wstring(slot) + L".kdt"; }

RECT ScaledPlace(int left, int top, int width, int height) {
    // Before the window exists its monitor is not known: the system's scale.
    int dpi = int(GetDpiForSystem());
    if (dpi <= 0) dpi = 96;
    auto s = [dpi](int v) { return MulDiv(v, dpi, 96); };
    return RECT{s(left), s(top), s(left) + s(width), s(top) + s(height)};
}

NoteStore::NoteStore(Shell& shell) : shell_(shell), Config(shell.Config()), Path(shell.Path()) {}

NoteStore::~NoteStore() = default;

bool NoteStore::LimitBusy() const { return dates_ && dates_->LimitBusy(); }

void NoteStore::BringAppToFront() { shell_.App().BringToFront(); }

void NoteStore::CompDate(int slot) {
    if (!dates_) return;
    dates_->CompDate(slot);
    // A note made, loaded, replaced or restored with a deadline shows how
    // near it is at once.
    if (TKELUPSHI* n = TextNotes.At(slot); n && n->K_Date != 0) dates_->ColorByDate(slot);
}

void NoteStore::M_LimitClick(int slot) {
    if (dates_) dates_->M_LimitClick(slot);
}

TKELUPSHI* NoteStore::NewTextNoteWindow(int slot, bool border, const RECT* place) {
    if (textWindows_.size() < size_t(MaxTextNotes)) textWindows_.resize(size_t(MaxTextNotes));
    auto note = std::make_unique<TKELUPSHI>();
    if (!note->Create(shell_.App().Handle(), slot, border, this, place)) return nullptr;
    TKELUPSHI* raw = note.get();
    if (!TextNotes.Take(slot, raw)) return nullptr;
    textWindows_[size_t(slot)] = std::move(note);
    return raw;
}

void NoteStore::ReleaseTextNote(int slot) {
    // A note peeled while edited in place leaves the other notes their mouse.
    if (DirectEditNo == slot) DirectEditNo = kNoSlot;
    TextNotes.Free(slot);
    if (size_t(slot) < textWindows_.size()) textWindows_[size_t(slot)].reset();
}

void NoteStore::ApplyNewNoteDefaults(TKELUPSHI* note) {
    const Settings& s = Config;
    note->ORGColor = s.Colorx64;
    note->SetColor(s.Colorx64);
    note->WakuNum = note->WakuNumBk = s.Waku;
    note->WakuSet(s.Waku);
    note->Tomei = s.Thru;
    note->AlphaValue = s.AlphaValue;
    int w = note->Scale(s.Width), h = note->Scale(s.Height);
    note->SetBounds(GetSystemMetrics(SM_CXSCREEN) / 2 - w / 2, GetSystemMetrics(SM_CYSCREEN) / 2 - h / 2, w, h);
    RichSetFont(note->RichEdit1(), TextFont{s.FontName, s.FontSize, COLORREF(s.FontColor), 0});
    RichFontSet(note->RichEdit1(), s.FontStyle);
    note->MakeDT = NowAsDateTime();
    note->KeyOpen = note->EveryDay = note->LockMode = 0;
    note->K_Date = note->SendDate = note->SendTime = 0;
    note->SenderName.clear();
    note->SenderAddr.clear();
    note->SndName.clear();
    note->OpenFName.clear();
    note->SenderSex = L"0";
    note->LineSpace = 20;
    note->DataName = TextFileName(note->MyNumber);
    note->ZOrderFG = FALSE;
}

void NoteStore::ApplyNoteTranslucency(TKELUPSHI* note) { note->ApplyAlpha(); }

bool NoteStore::RichEdSaveToFile(int NUM, const std::wstring& FName) {
    TKELUPSHI* note = TextNotes.At(NUM);
    if (!note) return false;
    size_t slash = FName.find_last_of(L"\\/");
    if (slash != std::wstring::npos && !CreateDirs(FName.substr(0, slash + 1))) {
        ShowMsg(L"ディレクトリを作成できません", 0, Owner());
        return false;
    }
    // Never a half-written text file: a crash leaves the old or the new one.
    return WriteFileAtomic(FName, RichToRtf(note->RichEdit1()));
}

void NoteStore::SaveBackUpKdt(int N) {
    TKELUPSHI* note = TextNotes.At(N);
    if (!note) return;
    WriteFileAtomic(Path.DataDir + L"Backup\\" + note->DataName, RichToRtf(note->RichEdit1()));
}

long long NoteStore::GetfileSize(const std::wstring& FN) const { return FileSizeOf(FN); }

namespace {

// A text file in the ANSI code page, as lines; false when it could not be read whole.
bool ReadTextLines(const std::wstring& path, std::vector<std::wstring>& lines) {
    std::string bytes;
    bool ok = ReadWholeFile(path, bytes);
    lines = SplitLines(FromCp932(bytes));
    return ok;
}

}  // namespace

int NoteStore::MakeKelup(const std::wstring& FName, const DdeNoteRequest& dde) {
    // 1. One editor at a time: a new note waits for the open one to close.
    if (FName.empty() && compose_ && compose_->EditorOpen()) return kNoSlot;
    MakingNote = 0;
    int slot = TextNotes.LowestFree();
    if (slot == kNoSlot) return kNoSlot;
    // 2.
    MakingNote = 1;
    NoteJustMade = 1;
    PendingBorder = Config.Border != 0 ? -1 : 0;
    TKELUPSHI* note = NewTextNoteWindow(slot, PendingBorder != 0);
    if (!note) return kNoSlot;
    note->Border = Config.Border;
    ApplyNewNoteDefaults(note);
    note->ApplyLineSpace();
    // A note written in the editor shows once the editor is up, so the
    // editor is there for typing first.
    if (!(FName.empty() && compose_)) note->ShowNote();
    // 3.
    if (Config.Bottom == 1 || Config.NewKlnBt == 1) {
        if (Config.NewKlnBt == 1) note->StOnTp = 2;
        note->ApplyStacking(1);
    }
    // 4.
    BringAppToFront();
    // 5.
    HWND re = note->RichEdit1();
    bool discarded = false;
    if (FName.empty()) {
        // The compose editor fills the new note and writes its text file; a
        // note it leaves without text is not kept.
        if (compose_) {
            DeleteFileW((Path.DataDir + L"Org\\" + note->DataName).c_str());
            RunEditor(slot, 0, true);
            if (shell_.State().Closing) return kNoSlot;
            discarded = TextNotes.At(slot) != note;
        } else {
            RichEdSaveToFile(slot, Path.DataDir + note->DataName);
        }
        MakingNote = 0;
    } else {
        if (FName == L"///") {
            SendMessageW(re, EM_SETREADONLY, FALSE, 0);
            SendMessageW(re, WM_PASTE, 0, 0);
            SendMessageW(re, EM_SETREADONLY, TRUE, 0);
        } else if (FName == L"|||") {
            RECT r = note->Bounds();
            note->SetBounds(note->Scale(dde.left), note->Scale(dde.top), r.right - r.left, r.bottom - r.top);
            for (const auto& line : dde.lines) RichAppendLine(re, line);
            CompDate(slot);
        } else if (FName == L"@@@") {
            // The compose editor's text, as plain lines.
            for (const auto& line : dde.lines) RichAppendLine(re, line);
        } else {
            std::vector<std::wstring> lines;
            bool ok = ReadTextLines(FName, lines);
            for (const auto& line : lines) RichAppendLine(re, line);
            CompDate(slot);
            if (!ok) ShowMsg(L"Read Error", MB_ICONERROR, Owner());
            if (note->Tomei == 0) {
                BottomAllExcept = slot;
                BottomAll();
                BottomAllExcept = kNoSlot;
                note->ZOrderFG = TRUE;
            }
        }
        note->ApplyLineSpace();
        RichEdSaveToFile(slot, Path.DataDir + note->DataName);
        CompDate(slot);
        note->LineCnt = int(RichLines(re).size());
        MakingNote = 0;
    }
    if (discarded) {
        SaveData(Path.DataFilePath);
        return kNoSlot;
    }
    // 6.
    if (FName.empty() || FName == L"///" || FName == L"@@@" || FName == L"|||") ApplyNoteTranslucency(note);
    // 7.
    SaveData(Path.DataFilePath);
    // 8. A left-over copy of an older note of this number must not come back.
    DeleteFileW((Path.DataDir + L"Org\\" + note->DataName).c_str());
    return slot;
}

void NoteStore::RepKelup(int A, int B) {
    TKELUPSHI* a = TextNotes.At(A);
    if (!a) return;
    int s = TextNotes.LowestFree();
    if (s == kNoSlot) return;
    PendingBorder = a->Border == 1 ? -1 : 0;
    TKELUPSHI* n = NewTextNoteWindow(s, PendingBorder != 0);
    if (!n) return;
    n->ORGColor = a->ORGColor;
    n->SetColor(a->ORGColor);
    n->WakuNum = n->WakuNumBk = a->WakuNum;
    n->WakuSet(a->WakuNum);
    n->Border = a->Border;
    n->StOnTp = a->StOnTp;
    n->Tomei = a->Tomei;
    n->SndName = a->SndName;
    n->BkgndName = a->BkgndName;
    n->BkgndTrans = a->BkgndTrans;
    n->LineSpace = a->LineSpace;
    n->AlphaValue = a->AlphaValue;
    n->K_Date = B == 0 ? a->K_Date : 0;
    n->EveryDay = B == 0 ? a->EveryDay : 0;
    n->MakeDT = NowAsDateTime();
    n->KeyOpen = n->LockMode = 0;
    n->SenderName.clear();
    n->SenderAddr.clear();
    n->OpenFName.clear();
    n->SenderSex = L"0";
    n->SendDate = n->SendTime = 0;
    n->DataName = TextFileName(s);

    // The duplicate goes below the original, or above it near the screen's foot.
    RECT r = a->Bounds();
    int w = r.right - r.left, h = r.bottom - r.top;
    int gap = a->Scale(Config.H_B);
    int top = (r.top + h < GetSystemMetrics(SM_CYSCREEN) - h) ? r.top + h + gap : r.top - h - gap;
    n->SetBounds(r.left, top, w, h);

    // The typing font of the original.
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(a->RichEdit1(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(n->RichEdit1(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(n->RichEdit1(), EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));

    std::wstring src = Path.DataDir + a->DataName;
    if (B == 0 && FileExists(src)) {
        n->LoadText(src);
        RichEdSaveToFile(s, Path.DataDir + n->DataName);
        CompDate(s);
    } else {
        n->ApplyLineSpace();
        RichEdSaveToFile(s, Path.DataDir + n->DataName);
    }
    n->ShowNote();
    n->ApplyStacking(Config.Bottom);
    ApplyNoteTranslucency(n);
    SaveData(Path.DataFilePath);
    DeleteFileW((Path.DataDir + L"Org\\" + n->DataName).c_str());
}

void NoteStore::NewNormalClick() { MakeKelup(L""); }

void NoteStore::BottomAll() {
    TextNotes.ForEach([&](int slot, TKELUPSHI* n) {
        if (n->StOnTp != 1 && slot != BottomAllExcept) n->SetZOrder(HWND_BOTTOM, true);
    });
    // Image notes go below with them.
    BottomAllImages(kNoSlot);
}

void NoteStore::BottomAllCancel() {
    TextNotes.ForEach([](int, TKELUPSHI* n) {
        if (n->StOnTp == 0) n->ZOrderFG = FALSE;
    });
    ImageNotes.ForEach([](int, TBMPKELUPSHI* b) {
        if (b->StOnTp == 0) b->ZOrderFG = FALSE;
    });
}

void NoteStore::RecolourTextFile(int slot, int color) {
    TKELUPSHI* note = TextNotes.At(slot);
    if (!note) return;
    std::wstring path = Path.DataDir + note->DataName;
    std::string bytes;
    if (!FileExists(path) || !ReadWholeFile(path, bytes)) {
        RichEdSaveToFile(slot, path);
        return;
    }
    // The file holds the text as typed (the window may show it worked out),
    // so the file is recoloured on its own, in a scratch control.
    HWND scratch = CreateWindowExW(0, kRichEditClass, L"", ES_MULTILINE, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!scratch) return;
    if (RichFromRtf(scratch, bytes)) {
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof(cf);
        cf.dwMask = CFM_COLOR;
        cf.crTextColor = COLORREF(color);
        SendMessageW(scratch, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
        if (!WriteFileAtomic(path, RichToRtf(scratch)))
            ShowMsg(L"ファイル書込みでエラーが発生しました", MB_ICONERROR, Owner());
    }
    DestroyWindow(scratch);
}

void NoteStore::ReplaceTextFromFile(int slot, const std::wstring& path) {
    TKELUPSHI* note = TextNotes.At(slot);
    if (!note) return;
    if (ShowMsg(L"KDTファイルの内容で付箋紙を置き換えますか?", MB_YESNO | MB_ICONQUESTION, Owner()) != IDYES) return;
    if (!note->LoadText(path)) {
        ShowMsg(L"Read Error", MB_ICONERROR, Owner());
        return;
    }
    // The note's own file takes the new text too, or the next start would
    // bring the old one back.
    RichEdSaveToFile(slot, Path.DataDir + note->DataName);
    CompDate(slot);
    SaveData();
    SaveBackUpKdt(slot);
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM p) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (GetMonitorInfoW(monitor, &mi))
        reinterpret_cast<std::vector<Box>*>(p)->push_back({mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom});
    return TRUE;
}

Box BoxOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

void NoteStore::KeepNotesInView() {
    std::vector<Box> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) return;
    TextNotes.ForEach([&](int, TKELUPSHI* n) {
        if (n->Rescued() && TitleVisible(BoxOf(n->Home()), monitors)) {
            n->ReturnHome();
        } else if (!TitleVisible(BoxOf(n->Bounds()), monitors)) {
            Box b = PlaceInView(BoxOf(n->Bounds()), monitors);
            n->RescueTo(RECT{b.left, b.top, b.right, b.bottom});
        }
    });
    ImageNotesInView();
}

void NoteStore::ShowHint(const std::wstring& text, POINT at) {
    if (!hint_) hint_ = std::make_unique<NoteHint>();
    hint_->ShowAt(text, at);
}

void NoteStore::HideHint() {
    // Not while the start runs; the shutdown takes the hint down itself.
    if (!hint_ || shell_.State().BusyFG == 1 || shell_.State().Closing) return;
    hint_->Hide();
}

bool NoteStore::HintShown() const { return hint_ && hint_->Shown(); }

std::wstring NoteStore::TextFilePath(int slot) const {
    TKELUPSHI* n = TextNotes.At(slot);
    return n ? Path.DataDir + n->DataName : std::wstring();
}

}  // namespace kelup
