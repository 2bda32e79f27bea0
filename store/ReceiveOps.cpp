// Notes that arrived from the LAN: making them (MakeOther), showing them as
// their sender and the settings ask, their read receipts, the password of a
// protected note, and what a note from another computer may open.

#include <windows.h>
#include <richedit.h>

#include <algorithm>

#include "store/NoteStore.h"

#include "base/Clock.h"

#include "app/AppWindow.h"
#include "app/ShowMsg.h"
#include "base/FileOps.h"
#include "dates/DateTime.h"
#include "dates/Deadlines.h"
#include "net/Password.h"
#include "notes/RichText.h"
#include "notes/TKELUPSHI.h"
#include "options/TPWordBox.h"

namespace kelup {

namespace {

// Where a received note stands: where its sender had it when that lies on
// the screens here, else in the middle of the main screen, never above or
// left of its edge. Sizes are held to the screen.
RECT ReceivedPlace(const RSave1& r, bool centred, int defaultWidth, int defaultHeight) {
    int w = r.Width > 0 ? r.Width : defaultWidth;
    int h = r.Height > 0 ? r.Height : defaultHeight;
    RECT want = ScaledPlace(r.Left, r.Top, w, h);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    int pw = std::clamp(int(want.right - want.left), 24, std::max(24, sw));
    int ph = std::clamp(int(want.bottom - want.top), 16, std::max(16, sh));
    RECT vs{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    vs.right = vs.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    vs.bottom = vs.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    bool fits = !centred && want.left >= vs.left && want.top >= vs.top && want.left + pw <= vs.right &&
                want.top + ph <= vs.bottom;
    if (fits) return RECT{want.left, want.top, want.left + pw, want.top + ph};
    int left = std::max(0, sw / 2 - pw / 2), top = std::max(0, sh / 2 - ph / 2);
    return RECT{left, top, left + pw, top + ph};
}

CHARFORMAT2W FontFormat(const std::wstring& name, int size, int color, int style) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET;
    cf.dwEffects = StyleToEffects(style);
    cf.yHeight = size * 20;
    cf.crTextColor = COLORREF(color);
    cf.bCharSet = DEFAULT_CHARSET;
    lstrcpynW(cf.szFaceName, name.c_str(), LF_FACESIZE);
    return cf;
}

double DateOnly(const LocalDateTime& t) { return EncodeDateTime(CivilDateTime{t.year, t.month, t.day}); }
double TimeOnly(const LocalDateTime& t) { return EncodeDateTime(CivilDateTime{1899, 12, 30, t.hour, t.minute, t.second}); }

}  // namespace

int NoteStore::MakeOther(const ReceivedNote& in, std::vector<std::wstring>& lines) {
    // 1.
    int slot = TextNotes.LowestFree();
    if (slot == kNoSlot) return kNoFreeSlot;
    // 2.
    const RSave1& r = in.R1;
    PendingBorder = r.Border != 0 ? -1 : 0;
    RECT place = ReceivedPlace(r, in.centred, Config.Width, Config.Height);
    TKELUPSHI* note = NewTextNoteWindow(slot, r.Border != 0, &place);
    if (!note) return kNoFreeSlot;
    note->Border = r.Border;
    note->SetColor(r.Color);
    note->DataName = TextFileName(slot);
    // 3.
    note->ORGColor = r.Color;
    HWND re = note->RichEdit1();
    CHARFORMAT2W title = FontFormat(in.FName1, r.FontSize1, r.FontColor1, r.FontStyle1);
    SendMessageW(re, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&title));
    SendMessageW(re, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&title));
    note->WakuNum = note->WakuNumBk = r.Waku;
    note->WakuSet(r.Waku);
    // 4.
    note->MakeDT = NowAsDateTime();
    note->K_Date = in.deadline ? EncodeDateTime(CivilDateTime{in.deadline->year, in.deadline->month, in.deadline->day,
                                                              in.deadline->hour, in.deadline->minute,
                                                              in.deadline->second})
                               : 0;
    note->EveryDay = 0;
    note->KeyOpen = in.SKey > 0 ? 1 : 0;
    note->SetPWord = in.SKey == 2 ? 1 : 0;
    note->CheckMode = in.SZen >= 2 ? 1 : 0;
    // 5., 6.
    note->SenderName = in.senderName;
    note->SenderAddr = in.IP_Addr;
    note->SenderSex = in.Sex;
    note->SendDate = DateOnly(in.sent);
    note->SendTime = TimeOnly(in.sent);
    note->ZOrderFG = FALSE;
    note->Label1 = in.Sex2;
    // Opening a sealed note gives it back the size it was sent with.
    note->ORGWidth = r.Width > 0 ? r.Width : 0;
    note->ORGHeight = r.Height > 0 ? r.Height : 0;

    // The text: rich text as sent, made safe, or the lines, the first in the
    // title's font and the rest in the body's.
    if (in.rich) {
        note->ShowRtf(in.rtf);
        note->SenderVer = L"2.00";
        note->OpenFName = in.openFName;
    } else if (!in.lines.empty()) {
        RichAppendLine(re, in.lines.front());
        if (in.lines.size() > 1) {
            std::wstring rest;
            for (size_t i = 1; i < in.lines.size(); ++i) rest += L"\r" + in.lines[i];
            LRESULT len = GetWindowTextLengthW(re);
            SendMessageW(re, EM_SETSEL, len, len);
            CHARFORMAT2W body = FontFormat(in.FName2, r.FontSize2, r.FontColor2, r.FontStyle2);
            SendMessageW(re, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&body));
            SendMessageW(re, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(rest.c_str()));
        }
        note->ApplyLineSpace();
    }
    lines = RichLines(re);
    note->LineCnt = int(lines.size());
    // 12. The text file; the copy as written for notes coloured by date.
    const std::wstring org = Path.DataDir + L"Org\\" + note->DataName;
    DeleteFileW(org.c_str());
    RichEdSaveToFile(slot, Path.DataDir + note->DataName);
    bool byDate = Config.OnlyDateCheck == 1 || Config.UseColor1 == 1 || Config.UseColor2 == 1 || Config.UseColor3 == 1;
    if (byDate && note->K_Date != 0) RichEdSaveToFile(slot, org);
    return slot;
}

void NoteStore::StickReceived(int slot, const ReceivedNote& in) {
    TKELUPSHI* note = TextNotes.At(slot);
    if (!note) return;
    // 13.
    note->BringTopFG = true;
    CompDate(slot);
    HWND before = GetForegroundWindow();
    note->WakuSet(note->WakuNum);
    note->ShowNote();
    receivedShownAt_ = MicrosNow();
    // 14. A sealed note shows who sent it and when; its text stays in its file.
    if (note->KeyOpen == 1) {
        ShowSealedFace(note);
        RECT b = note->Bounds();
        note->SetBounds(b.left, b.top, note->Scale(Config.Width), note->Scale(Config.Height));
    }
    // 15.
    SaveData();
    // 16. The arrival sound, without waiting for it.
    if (Config.UseWave == 1 && !Config.WaveSound.empty() && dates_) dates_->PlaySoundFile(Config.WaveSound);
    // 17. Display mode.
    if (in.displayMode == L"1") {
        if (Config.TaskBarButton > 0) {
            note->M_TomeiClick();
            shell_.ShowArrival();
        }
    } else {
        if (in.displayMode == L"2") note->M_TomeiClick();
        if (Config.TaskBarButton > 0) shell_.ShowArrival();
    }
    // 18. Stacking.
    BottomAllExcept = slot;
    BottomAll();
    BottomAllExcept = kNoSlot;
    if (Config.BringToTop != 1 && before && IsWindow(before)) SetForegroundWindow(before);
    BottomAllCancel();
    SetWindowPos(note->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // 19. The confirmation the sender asked for.
    if (in.ConfirmWanted()) {
        SetWindowPos(note->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (!shell_.EditorOpen()) BringAppToFront();
        ShowMsg(L"付箋紙が貼られました", 0, Owner());
    }
}

void NoteStore::SendReadReceipt(int slot) {
    TKELUPSHI* note = TextNotes.At(slot);
    if (!note || note->CheckMode != 1) return;
    if (receipts_) receipts_->SendOpenReceipt(note->SenderAddr, note->SenderSex == L"8", note->Label1);
    note->CheckMode = 0;
}

void NoteStore::ArrivalSeenBy(int slot) {
    bool arrival = shell_.ArrivalShown();
    shell_.ArrivalSeen();
    if (!arrival) return;
    TKELUPSHI* note = TextNotes.At(slot);
    if (!note || note->CheckMode != 1 || note->KeyOpen != 0) return;
    if (note->SenderSex != L"8" && receipts_) receipts_->SendOpenReceipt(note->SenderAddr, false, L"");
    note->CheckMode = 0;
}

bool NoteStore::AskPassword(int slot) {
    TKELUPSHI* note = TextNotes.At(slot);
    if (!note) return false;
    TPWordBox box;
    return box.ShowModal(note->Handle(), PWordIn(Config.Password));
}

bool NoteStore::MayReveal(int slot) {
    TKELUPSHI* note = TextNotes.At(slot);
    return note && (note->SetPWord != 1 || AskPassword(slot));
}

bool NoteStore::MayOpen(int slot, const std::wstring& target) {
    TKELUPSHI* note = TextNotes.At(slot);
    if (!note || !OpenNeedsQuestion(target, note->SenderAddr)) return true;
    return ShowMsg(OpenQuestionText(note->SenderName, note->SenderAddr, target), MB_YESNO | MB_ICONWARNING,
                   note->Handle()) == IDYES;
}

}  // namespace kelup
