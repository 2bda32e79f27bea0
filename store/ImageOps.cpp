// Image notes in the store: making them from a picture file, the clipboard
// or a received picture, their records in the data file, peeling, the
// pictures dropped on notes and the main menu's commands for all of them.

#include <windows.h>
#include <commdlg.h>

#include <map>

#include "store/NoteStore.h"

#include "app/AppWindow.h"
#include "app/ShowMsg.h"
#include "base/FileNames.h"
#include "base/FileOps.h"
#include "dates/DateTime.h"
#include "dates/Deadlines.h"
#include "notes/OnScreen.h"
#include "notes/PictureLoad.h"
#include "notes/TBMPKELUPSHI.h"
#include "notes/TKELUPSHI.h"
#include "store/ImageFiles.h"
#include "store/ImageNotesHost.h"
#include "store/PictureName.h"

namespace kelup {

namespace {

constexpr int kNoColour = 536870911;

// The packed MS-DOS date and time of now, local time.
std::uint32_t DosStampNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft;
    WORD date = 0, time = 0;
    if (SystemTimeToFileTime(&st, &ft)) FileTimeToDosDateTime(&ft, &date, &time);
    return (std::uint32_t(date) << 16) | time;
}

bool FontInstalled(const std::wstring& name) {
    if (name.empty() || name.size() >= LF_FACESIZE) return false;
    // Asked for every stored note at start, mostly with the same one or two
    // names: the system is asked once per name.
    static std::map<std::wstring, bool> known;
    if (auto it = known.find(name); it != known.end()) return it->second;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, name.c_str(), LF_FACESIZE);
    struct Search {
        const std::wstring* name;
        bool found = false;
    } search{&name};
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(
        dc, &lf,
        [](const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
            auto* s = reinterpret_cast<Search*>(p);
            if (*s->name == f->lfFaceName) s->found = true;
            return s->found ? 0 : 1;
        },
        reinterpret_cast<LPARAM>(&search), 0);
    ReleaseDC(nullptr, dc);
    known[name] = search.found;
    return search.found;
}

// A folder as the registry may keep it ("%USERPROFILE%\Pictures").
std::wstring Expanded(const std::wstring& s) {
    if (s.find(L'%') == std::wstring::npos) return s;
    wchar_t buf[MAX_PATH * 2] = {};
    DWORD n = ExpandEnvironmentStringsW(s.c_str(), buf, DWORD(std::size(buf)));
    return n > 0 && n <= std::size(buf) ? std::wstring(buf) : s;
}

PictureType TypeOfRecord(int pictType, const std::wstring& path) {
    switch (pictType) {
        case 0: return PictureType::Bitmap;
        case 1: return PictureType::Jpeg;
        case 2: return PictureType::Icon;
        default: return PictureTypeOf(path);
    }
}

// "ファイル X はJPEG形式が不正です" and its kin, for a stored note whose picture
// is damaged; empty when there is nothing to say (a file that is not there).
std::wstring StoredPictureMessage(LoadResult r, PictureType type, const std::wstring& path) {
    switch (r) {
        case LoadResult::NotAPicture:
            if (type == PictureType::Jpeg) return L"ファイル " + path + L" はJPEG形式が不正です";
            if (type == PictureType::Icon) return L"ファイル " + path + L" はアイコン形式が不正です";
            return L"ファイル " + path + L" はビットマップ形式が不正です";
        case LoadResult::TooLarge:
            return L"ファイル " + path + L" は画像が大きすぎるため表示できません";
        default:
            return {};
    }
}

SIZE ScreenSize() { return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace

void ImageNotesHost::ImageLimitClick(int slot) {
    if (store_.dates_) {
        store_.dates_->ImageLimitClick(slot);
        return;
    }
    // No date handling wired: the note's stacking comes back as it was.
    if (TBMPKELUPSHI* b = store_.ImageNote(slot)) b->TopSet();
}

// --- windows ---------------------------------------------------------------

TBMPKELUPSHI* NoteStore::NewImageNoteWindow(int slot, bool border, const RECT* place) {
    if (!imageHost_) imageHost_ = std::make_unique<ImageNotesHost>(*this);
    if (imageWindows_.size() < size_t(MaxImageNotes)) imageWindows_.resize(size_t(MaxImageNotes));
    auto note = std::make_unique<TBMPKELUPSHI>();
    if (!note->Create(shell_.App().Handle(), slot, border, imageHost_.get(), place)) return nullptr;
    TBMPKELUPSHI* raw = note.get();
    if (!ImageNotes.Take(slot, raw)) return nullptr;
    imageWindows_[size_t(slot)] = std::move(note);
    return raw;
}

void NoteStore::ReleaseImageNote(int slot) {
    TBMPKELUPSHI* b = ImageNotes.At(slot);
    if (!b) return;
    ShowWindow(b->Handle(), SW_HIDE);
    ImageNotes.Free(slot);
    if (size_t(slot) < imageWindows_.size()) imageWindows_[size_t(slot)].reset();
}

void NoteStore::ReleaseImageNotes() {
    for (int i = 0; i < MaxImageNotes; ++i)
        if (ImageNotes.InUse(i)) ReleaseImageNote(i);
}

void NoteStore::ImageExitClick(int slot) {
    if (!ImageNotes.InUse(slot)) return;
    // A hidden note peeled with the others leaves no entry behind.
    DropHiddenEntry(false, slot);
    ReleaseImageNote(slot);
}

void NoteStore::PeelImageNote(int slot) { ImageExitClick(slot); }

void NoteStore::RemoveAllImageNotes() {
    for (int i = 0; i < MaxImageNotes; ++i)
        if (ImageNotes.InUse(i)) ImageExitClick(i);
}

// --- making ------------------------------------------------------------------

bool NoteStore::ChoosePictureFile(std::wstring& path) {
    std::wstring folder = Expanded(pictureFolder_.empty() ? Path.PictureDir : pictureFolder_);
    if (folder.empty()) folder = Path.ExeDir;
    static const wchar_t kFilter[] =
        L"イメージファイル (*.bmp;*.jpg;*.jpeg;*.ico)\0*.bmp;*.jpg;*.jpeg;*.ico\0"
        L"ビットマップ (*.bmp)\0*.bmp\0JPEG (*.jpg;*.jpeg)\0*.jpg;*.jpeg\0アイコン (*.ico)\0*.ico\0"
        L"すべてのファイル (*.*)\0*.*\0";
    std::wstring buf(4096, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Owner();
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buf.data();
    ofn.nMaxFile = DWORD(buf.size());
    ofn.lpstrInitialDir = folder.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
    PictureDialogFG = 1;
    BOOL ok = GetOpenFileNameW(&ofn);
    PictureDialogFG = 0;
    if (!ok) return false;
    path = buf.c_str();
    return !path.empty();
}

int NoteStore::MakeBKelup(int Mode, int HideMode, const std::wstring& FName) {
    return MakeImageNote(Mode, HideMode, FName, nullptr);
}

int NoteStore::MakeImageNote(int Mode, int HideMode, const std::wstring& FName, const SIZE* announced) {
    // One the user makes at a time: the picture dialog is modal, and a hot
    // key may ask again while it is up. A picture that arrives meanwhile
    // still becomes its note (its slot is another one).
    if ((MakingImageFG != 0 && Mode != 2) || shell_.State().Closing) return kNoSlot;
    // 1.
    int slot = ImageNotes.LowestFree();
    if (slot == kNoSlot) return kNoSlot;
    struct Making {
        unsigned char& flag;
        unsigned char before;
        ~Making() { flag = before; }
    } making{MakingImageFG, MakingImageFG};
    MakingImageFG = 1;
    PendingBorder = 0;
    SIZE screen = ScreenSize();
    RECT place{screen.cx / 2 - 100, screen.cy / 2 - 100, screen.cx / 2 + 100, screen.cy / 2 + 100};
    TBMPKELUPSHI* b = NewImageNoteWindow(slot, false, &place);
    if (!b) return kNoSlot;
    b->StretchMode = 1;
    b->BmpMode = 0;
    b->TitlePos = 1;
    b->Border = 0;
    b->HOrg = 200;
    b->ApplyStretch();
    BringAppToFront();

    if (Mode == 1) {
        // 2.
        if (!b->M_ClipClick()) {
            ReleaseImageNote(slot);
            return kNoSlot;
        }
        b->PictType = 0;
        b->FitToPicture();
        b->ShowNote();
        // Written at once: a picture that lives only in the window is lost
        // with it.
        WriteMemoryPictures();
    } else {
        // 3.
        std::wstring path = FName;
        if (path.empty() && !ChoosePictureFile(path)) {
            ReleaseImageNote(slot);
            return kNoSlot;
        }
        // The program may have ended meanwhile, or the note been removed
        // with the others (its slot perhaps taken by a picture that arrived).
        if (shell_.State().Closing || ImageNotes.At(slot) != b) return kNoSlot;
        if (b->TitleShown()) b->ShowTitle(false);
        PictureType type = PictureTypeOf(path);
        if (type == PictureType::None) {
            ReleaseImageNote(slot);
            return kNoSlot;
        }
        LoadResult r = b->LoadPicture(path, type);
        if (r != LoadResult::Ok) {
            ReleaseImageNote(slot);
            if (r == LoadResult::TooLarge)
                ShowMsg(L"画像が大きすぎるため表示できません", MB_ICONERROR, Owner());
            else
                ShowMsg(type == PictureType::Icon ? L"アイコンファイルではありません" : L"ビットマップファイルではありません",
                        MB_ICONERROR, Owner());
            return kNoSlot;
        }
        b->Bmpname = path;
        b->PictType = int(type);
        b->FitToPicture();
        if (HideMode == 1) {
            b->HideFG = 2;
            b->HideAction();
        } else {
            b->ShowNote();
        }
        b->ZOrderFG = FALSE;
        if (Config.Bottom == 1 || Config.NewBmpBt == 1) {
            if (Config.NewBmpBt == 1) b->StOnTp = 2;
            b->ApplyStacking(1);
            BottomAll();
            b->ZOrderFG = TRUE;
        }
    }
    // 4.
    if (Mode == 2 && announced) {
        RECT now = b->Bounds();
        PictureBox shown = ReceivedPictureSize({int(announced->cx), int(announced->cy)},
                                               {int(now.right - now.left), int(b->HOrg)}, {int(screen.cx), int(screen.cy)});
        int left = std::max(0, int(screen.cx) / 2 - shown.width / 2);
        int top = std::max(0, int(screen.cy) / 2 - shown.height / 2);
        b->SetBounds(left, top, shown.width, shown.height);
        b->HOrg = shown.height;
        b->TakeRitu();
    }
    // 5.
    if (Mode != 1) b->BmpSize = int(std::min<long long>(FileSizeOf(b->Bmpname), 0x7FFFFFFF));
    // The new note is in the data file at once, as a new text note is.
    SaveData(Path.DataFilePath);
    return slot;
}

int NoteStore::MakeReceivedPicture(const ReceivedPicture& picture) {
    SIZE announced{picture.width, picture.height};
    int slot = MakeImageNote(2, picture.hidden ? 1 : 0, picture.path, &announced);
    TBMPKELUPSHI* b = ImageNotes.At(slot);
    if (!b) return kNoSlot;
    b->SenderName = picture.senderIdentity;
    b->SenderAddr = picture.senderAddr;
    b->SendDate = picture.sendDate;
    b->SendTime = picture.sendTime;
    b->StringBuf = picture.title;
    if (!picture.title.empty()) b->SetTitle(picture.title);
    if (picture.bmpMode == 1 && !b->TitleShown()) b->ShowTitle(true);
    b->BmpMode = b->TitleShown() ? 1 : 0;
    SaveData(Path.DataFilePath);
    return slot;
}

int NoteStore::DropPicture(const std::wstring& path) {
    int slot = MakeBKelup(0, 0, path);
    TBMPKELUPSHI* b = ImageNotes.At(slot);
    if (!b) return kNoSlot;
    if (SameFolder(FolderOfPath(path), Path.DataDir)) return slot;
    BringAppToFront();
    if (ShowMsg(L"画像ﾃﾞｰﾀをケラップx64ﾃﾞｰﾀﾌｫﾙﾀﾞにｺﾋﾟｰしますか?", MB_YESNO | MB_ICONQUESTION, Owner()) != IDYES)
        return slot;
    // Another note's picture may have the same name: the copy takes a free
    // one and never replaces a file that is there.
    std::wstring name = FreeFileName(NameOfPath(path),
                                     [&](const std::wstring& n) { return FileExists(Path.DataDir + n); });
    std::wstring target = Path.DataDir + name;
    if (name.empty() || !CopyFileW(path.c_str(), target.c_str(), TRUE)) {
        ShowMsg(L"画像ﾃﾞｰﾀをｺﾋﾟｰできませんでした\r" + path, MB_ICONERROR, Owner());
        return slot;
    }
    if (TBMPKELUPSHI* still = ImageNotes.At(slot)) {
        still->Bmpname = target;
        SaveData(Path.DataFilePath);
    }
    return slot;
}

void NoteStore::NewBMPClick() { MakeBKelup(0, 0, L""); }

// --- the main menu's commands -----------------------------------------------------

void NoteStore::M_RePaintBmpClick() {
    ImageNotes.ForEach([](int, TBMPKELUPSHI* b) {
        if (b->HideFG != 1 && b->HideFG != 2) b->RePaintBmp();
    });
}

void NoteStore::BottomAllImages(int exceptSlot) {
    ImageNotes.ForEach([&](int slot, TBMPKELUPSHI* b) {
        if (b->StOnTp != 1 && slot != exceptSlot) b->SetZOrder(HWND_BOTTOM, true);
    });
}

void NoteStore::ImageNotesInView() {
    std::vector<Box> monitors;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR m, HDC, LPRECT, LPARAM p) -> BOOL {
            MONITORINFO mi{};
            mi.cbSize = sizeof(mi);
            if (GetMonitorInfoW(m, &mi))
                reinterpret_cast<std::vector<Box>*>(p)->push_back(
                    {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) return;
    ImageNotes.ForEach([&](int, TBMPKELUPSHI* b) {
        RECT r = b->Bounds();
        Box box{r.left, r.top, r.right, r.bottom};
        if (TitleVisible(box, monitors)) return;
        Box in = PlaceInView(box, monitors);
        b->SetBounds(in.left, in.top, in.right - in.left, in.bottom - in.top);
    });
}

// --- the data file ------------------------------------------------------------------

bool NoteStore::WriteMemoryPictures() {
    bool ok = true;
    ImageNotes.ForEach([&](int, TBMPKELUPSHI* b) {
        if (b->SaveFG != 1 || !b->HasPicture()) return;
        // The packed date-time changes every two seconds: a name in use
        // moves on to the next number.
        std::wstring name = UniquePictureName(DosStampNow(),
                                              [&](const std::wstring& n) { return FileExists(Path.DataDir + n); });
        std::wstring path = Path.DataDir + name;
        if (!CreateDirs(Path.DataDir) || !SaveBitmapFile(b->Picture(), path)) {
            // Kept in memory: the next save tries again.
            ok = false;
            return;
        }
        b->Bmpname = path;
        b->SaveFG = 0;
        b->BmpSize = int(std::min<long long>(FileSizeOf(path), 0x7FFFFFFF));
    });
    if (!ok) ShowMsg(L"イメージを保存できませんでした", MB_ICONERROR, Owner());
    return ok;
}

ImageNoteRecord NoteStore::ImageRecordOf(TBMPKELUPSHI* b) const {
    ImageNoteRecord r;
    r.slot = b->MyNumber;
    RECT w = b->Bounds();
    r.Left = w.left;
    r.Top = w.top;
    r.Width = w.right - w.left;
    r.HOrg = b->HOrg;
    r.StOnTp = b->StOnTp;
    r.StretchMode = b->StretchMode;
    r.BmpMode = b->BmpMode;
    r.TitlePos = b->TitlePos;
    r.TitleFontSize = b->TitleFontSize;
    r.TitleFontStyle = b->TitleFontStyle;
    r.LockMode = b->LockMode;
    r.PictType = b->PictType;
    r.HideFG = b->HideFG == 2 ? 2 : 0;
    r.EveryDay = b->EveryDay;
    r.ORG_W = b->ORG_W >= 1 ? b->ORG_W : r.Width;
    r.ORG_H = b->ORG_H >= 1 ? b->ORG_H : int(w.bottom - w.top);
    r.TitleFontColor = b->TitleFontColor;
    r.Border = b->Border;
    r.ORGFname = b->ORGFname;
    r.StringBuf = b->StringBuf;
    r.Bmpname = b->Bmpname;
    r.K_Date = b->K_Date;
    r.SndName = b->SndName;
    r.OpenFName = b->OpenFName;
    return r;
}

bool NoteStore::LoadImageNote(const ImageNoteRecord& r, int slot, int version) {
    PictureType type = TypeOfRecord(r.PictType, r.Bmpname);
    if (r.Bmpname.empty() || type == PictureType::None || !FileExists(r.Bmpname)) return false;
    PendingBorder = r.Border != 0 ? -1 : 0;
    int width = ImageWindowExtent(r.Width), hOrg = ImageWindowExtent(r.HOrg);
    RECT place{r.Left, r.Top, r.Left + width, r.Top + hOrg};
    TBMPKELUPSHI* b = NewImageNoteWindow(slot, PendingBorder != 0, &place);
    if (!b) return false;
    LoadResult loaded = b->LoadPicture(r.Bmpname, type);
    if (loaded != LoadResult::Ok) {
        ReleaseImageNote(slot);
        std::wstring msg = StoredPictureMessage(loaded, type, r.Bmpname);
        if (!msg.empty()) ShowMsg(msg, MB_ICONERROR, Owner());
        return false;
    }
    b->Bmpname = r.Bmpname;
    b->PictType = int(type);
    b->StOnTp = r.StOnTp >= 0 && r.StOnTp <= 2 ? r.StOnTp : 0;
    b->StretchMode = r.StretchMode != 0 ? 1 : 0;
    b->LockMode = r.LockMode;
    b->HideFG = r.HideFG == 2 ? 2 : 0;
    b->EveryDay = r.EveryDay;
    b->Border = r.Border;
    b->K_Date = r.K_Date;
    b->SndName = r.SndName;
    b->OpenFName = r.OpenFName;
    // The picture's own size as it was stored; a file that kept none takes the window's.
    if (version >= 97132 && r.ORG_W >= 1 && r.ORG_H >= 1) {
        b->ORG_W = r.ORG_W;
        b->ORG_H = r.ORG_H;
    }
    b->ORGFname = FontInstalled(r.ORGFname) ? r.ORGFname : std::wstring(L"ＭＳ ゴシック");
    if (r.TitleFontSize > 0) b->TitleFontSize = r.TitleFontSize;
    b->TitleFontStyle = r.TitleFontStyle;
    b->TitleFontColor = version >= 97201 ? r.TitleFontColor : 0;
    b->ApplyTitleFont();
    b->StringBuf = r.StringBuf;
    if (!r.StringBuf.empty()) b->SetTitle(r.StringBuf);
    b->SetBounds(r.Left, r.Top, width, hOrg);
    b->HOrg = hOrg;
    b->ApplyStretch();
    b->TitlePos = r.TitlePos == 0 ? 0 : 1;
    if (r.BmpMode == 1) {
        if (!b->TitleShown()) b->ShowTitle(true);
    } else if (b->TitleShown()) {
        b->ShowTitle(false);
    }
    b->BmpMode = b->TitleShown() ? 1 : 0;
    b->TakeRitu();
    b->BmpSize = int(std::min<long long>(FileSizeOf(r.Bmpname), 0x7FFFFFFF));
    return true;
}

void NoteStore::LoadImageNotes(const std::vector<ImageNoteRecord>& records, int version) {
    KeptImageRecords.clear();
    std::vector<TBMPKELUPSHI*> loaded;
    for (const ImageNoteRecord& r : records) {
        // A record that names no picture file has nothing to show, ever.
        if (r.Bmpname.empty()) continue;
        int slot = ImageNotes.LowestFree();
        // A note whose picture cannot be shown now (a drive not there, a
        // damaged file) is not shown, but its record stays in the data file.
        if (slot == kNoSlot || !LoadImageNote(r, slot, version)) {
            KeptImageRecords.push_back(r);
            continue;
        }
        TBMPKELUPSHI* b = ImageNotes.At(slot);
        if (b->HideFG != 2) b->ShowNote();
        b->ApplyStacking(Config.Bottom);
        loaded.push_back(b);
    }
    for (TBMPKELUPSHI* b : loaded)
        if (b->HideFG == 2) b->HideAction();
}

}  // namespace kelup
