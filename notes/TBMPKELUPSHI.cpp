// An image note: its window, the picture and the title, sizing with the
// picture's proportions, stacking, hiding, and the messages it takes. The
// context menu, its commands and dropped files are in ImageCommands.cpp.

#include "notes/TBMPKELUPSHI.h"

#include <windowsx.h>

#include <algorithm>

#include "app/ShowMsg.h"
#include "notes/FontStyle.h"
#include "notes/HitZones.h"
#include "notes/ImageRules.h"

namespace kelup {

namespace {

// Alt+F4 on an image note ended the program.
bool g_ending = false;

LRESULT HitCodeOf(Zone z) {
    switch (z) {
        case Zone::Inner: return HTCAPTION;
        case Zone::Right: return HTRIGHT;
        case Zone::Left: return HTLEFT;
        case Zone::Top: return HTTOP;
        case Zone::Bottom: return HTBOTTOM;
        case Zone::TopLeft: return HTTOPLEFT;
        case Zone::BottomLeft: return HTBOTTOMLEFT;
        case Zone::BottomRight: return HTBOTTOMRIGHT;
        case Zone::TopRight: return HTTOPRIGHT;
        default: return HTNOWHERE;
    }
}

// A locked note answers with the code of a horizontal scroll bar, which it
// has not: a press there moves and sizes nothing.
constexpr LRESULT kLockedHit = HTHSCROLL;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

bool TBMPKELUPSHI::Create(HWND owner, int number, bool border, ImageHost* host, const RECT* place) {
    RegisterClassOnce(kImageNoteClass, CS_DBLCLKS, L"MAINICON");
    host_ = host;
    MyNumber = number;
    Border = border ? 1 : 0;
    DWORD style = WS_POPUP | (border ? WS_BORDER : 0);
    RECT at = place ? *place : RECT{0, 0, 50, 50};
    CreateWin(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES, kImageNoteClass, L"", style, at.left, at.top, Width(at),
              Height(at), owner);
    if (!hwnd_) return false;
    GetWindowRect(hwnd_, &bounds_);
    ApplyTitleFont();
    return true;
}

int TBMPKELUPSHI::Margin() const { return host_ ? std::max(host_->NoteConfig().SizingMargin, 0) : 8; }

HWND TBMPKELUPSHI::DialogOwner() const {
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    return owner ? owner : hwnd_;
}

// --- the picture ---------------------------------------------------------------

LoadResult TBMPKELUPSHI::LoadPicture(const std::wstring& path, PictureType type) {
    SIZE screen = host_ ? host_->ScreenSize() : SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    LoadedPicture p;
    LoadResult r = LoadPictureFile(path, type, p, screen.cx, screen.cy);
    if (r != LoadResult::Ok) return r;
    SetPicture(std::move(p));
    PictType = int(type);
    Bmpname = path;
    return r;
}

void TBMPKELUPSHI::SetPicture(LoadedPicture picture) {
    picture_ = std::move(picture);
    if (picture_.type != PictureType::None) PictType = int(picture_.type);
    ORG_W = picture_.orgWidth > 0 ? picture_.orgWidth : picture_.width;
    ORG_H = picture_.orgHeight > 0 ? picture_.orgHeight : picture_.height;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TBMPKELUPSHI::FitToPicture() {
    if (picture_.width <= 0 || picture_.height <= 0) return;
    HOrg = picture_.height;
    Resize(picture_.width, picture_.height + TitleOffset());
}

bool TBMPKELUPSHI::M_ClipClick() {
    SIZE screen = host_ ? host_->ScreenSize() : SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    LoadedPicture p;
    LoadResult r = ClipboardHasPicture() ? PictureFromClipboard(hwnd_, p, screen.cx, screen.cy) : LoadResult::NotAPicture;
    if (r != LoadResult::Ok) {
        ShowMsg(r == LoadResult::TooLarge ? L"画像が大きすぎるため貼り付けできません" : L"BadFormat", MB_ICONERROR, hwnd_);
        return false;
    }
    SetPicture(std::move(p));
    PictType = 0;
    SaveFG = 1;
    ShowTitle(false);
    StringBuf.clear();
    Bmpname.clear();
    FitToPicture();
    return true;
}

void TBMPKELUPSHI::RePaintBmp() {
    if (HideFG == 1 || HideFG == 2) return;
    bool visible = IsWindowVisible(hwnd_) != FALSE;
    ShowWindow(hwnd_, SW_HIDE);
    bool titled = titleShown_;
    if (titled) ShowTitle(false);
    RECT r = bounds_;
    DWORD attr = Bmpname.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Bmpname.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        // An icon is read back as an icon: it is no bitmap.
        PictureType type = PictType == 1 ? PictureType::Jpeg : PictType == 2 ? PictureType::Icon : PictureType::Bitmap;
        SIZE screen = host_ ? host_->ScreenSize() : SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        LoadedPicture p;
        // A file that no longer reads keeps the picture the note shows.
        if (LoadPictureFile(Bmpname, type, p, screen.cx, screen.cy) == LoadResult::Ok) SetPicture(std::move(p));
    }
    Resize(Width(r), Height(r));
    HOrg = Height(r);
    if (titled) ShowTitle(true);
    InvalidateRect(hwnd_, nullptr, TRUE);
    if (visible) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

// --- size and place ------------------------------------------------------------

void TBMPKELUPSHI::SetBounds(int left, int top, int width, int height) {
    if (bounds_.left == left && bounds_.top == top && Width(bounds_) == width && Height(bounds_) == height) return;
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TBMPKELUPSHI::Resize(int width, int height) {
    SetWindowPos(hwnd_, nullptr, 0, 0, std::max(width, 0), std::max(height, 0),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TBMPKELUPSHI::TakeRitu() { Ritu = RituOf(Width(bounds_), Height(bounds_), TitleOffset()); }

void TBMPKELUPSHI::HeightFromWidth(int width) {
    ImageSize s = kelup::HeightFromWidth(width, Ritu, TitleOffset());
    HOrg = s.hOrg;
    Resize(s.width, s.height);
}

void TBMPKELUPSHI::SizeToScreenPart(int divisor) {
    if (divisor <= 0) return;
    TakeRitu();
    SIZE screen = host_ ? host_->ScreenSize() : SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    HeightFromWidth(screen.cx / divisor);
}

void TBMPKELUPSHI::M_ORGSizeClick() {
    int w = ORG_W > 10 ? ORG_W : Width(bounds_);
    int h = ORG_H > 10 ? ORG_H : Height(bounds_);
    Resize(w, h);
    HeightFromWidth(w);
}

bool TBMPKELUPSHI::ApplyPercent(int percent) {
    SIZE screen = host_ ? host_->ScreenSize() : SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    PercentSize s = ApplyPercentRule(percent, screen.cx);
    if (!s.ok) {
        ShowMsg(L"範囲外の数字または数値以外の文字が入力されています。", MB_ICONERROR, hwnd_);
        return false;
    }
    TakeRitu();
    if (s.toOrigin)
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HeightFromWidth(s.width);
    return true;
}

void TBMPKELUPSHI::M_ChoseiClick() {
    StretchMode = StretchMode != 0 ? 0 : 1;
    ApplyStretch();
}

void TBMPKELUPSHI::ApplyStretch() { InvalidateRect(hwnd_, nullptr, TRUE); }

void TBMPKELUPSHI::OnSizing(WPARAM edge, RECT* r) {
    if (!(Ritu > 0)) return;
    SizeRect s{r->left, r->top, r->right, r->bottom};
    HOrg = KeepRatioWhileSizing(int(edge), s, Ritu, TitleOffset());
    *r = RECT{s.left, s.top, s.right, s.bottom};
}

void TBMPKELUPSHI::OnResized() {
    if (sizingSelf_) return;
    ImageSize s = FollowResize(RightBottom, Width(bounds_), Height(bounds_), Ritu, TitleOffset());
    HOrg = s.hOrg;
    if (s.width != Width(bounds_) || s.height != Height(bounds_)) {
        sizingSelf_ = true;
        Resize(s.width, s.height);
        sizingSelf_ = false;
    }
}

// --- the title -----------------------------------------------------------------

int TBMPKELUPSHI::TitleHeight() const { return titleHeight_; }

void TBMPKELUPSHI::ShowTitle(bool on) {
    BmpMode = on ? 1 : 0;
    if (on == titleShown_) return;
    titleShown_ = on;
    Resize(Width(bounds_), Height(bounds_) + (on ? titleHeight_ : -titleHeight_));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TBMPKELUPSHI::SetTitle(const std::wstring& text) {
    StringBuf = text;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TBMPKELUPSHI::SetTitlePos(int pos) {
    TitlePos = pos == 0 ? 0 : 1;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TBMPKELUPSHI::ApplyTitleFont() {
    HDC screen = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(TitleFontSize > 0 ? TitleFontSize : 12, GetDeviceCaps(screen, LOGPIXELSY), 72);
    FontEffects e = FontSet(FontEffects{}, TitleFontStyle);
    lf.lfWeight = e.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = e.italic, lf.lfUnderline = e.underline, lf.lfStrikeOut = e.strikeOut;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    std::wstring face = ORGFname.empty() ? std::wstring(kDefaultTitleFont) : ORGFname;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    titleFont_.reset(CreateFontIndirectW(&lf));
    int old = titleHeight_;
    HGDIOBJ was = SelectObject(screen, titleFont_.get());
    TEXTMETRICW tm{};
    GetTextMetricsW(screen, &tm);
    SelectObject(screen, was);
    ReleaseDC(nullptr, screen);
    titleHeight_ = tm.tmHeight;
    // A shown title keeps the picture area as it was.
    if (titleShown_ && titleHeight_ != old) Resize(Width(bounds_), Height(bounds_) - old + titleHeight_);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT TBMPKELUPSHI::TitleArea() const {
    RECT c;
    GetClientRect(hwnd_, &c);
    if (!titleShown_) return RECT{0, 0, 0, 0};
    int th = std::min<int>(titleHeight_, c.bottom);
    return TitlePos == 0 ? RECT{0, 0, c.right, th} : RECT{0, c.bottom - th, c.right, c.bottom};
}

RECT TBMPKELUPSHI::PictureArea() const {
    RECT c;
    GetClientRect(hwnd_, &c);
    if (!titleShown_) return c;
    int th = std::min<int>(titleHeight_, c.bottom);
    if (TitlePos == 0) c.top = th;
    else c.bottom -= th;
    return c;
}

// --- drawing -------------------------------------------------------------------

void TBMPKELUPSHI::Layout() { InvalidateRect(hwnd_, nullptr, TRUE); }

void TBMPKELUPSHI::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT c;
    GetClientRect(hwnd_, &c);
    // Drawn off the screen first, so a note being sized does not flicker.
    HDC mem = CreateCompatibleDC(dc);
    AutoBitmap canvas(CreateCompatibleBitmap(dc, std::max<int>(c.right, 1), std::max<int>(c.bottom, 1)));
    HGDIOBJ oldCanvas = SelectObject(mem, canvas.get());
    FillRect(mem, &c, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    RECT area = PictureArea();
    int aw = Width(area), ah = Height(area);
    if (picture_.bitmap && aw > 0 && ah > 0) {
        HDC src = CreateCompatibleDC(dc);
        HGDIOBJ oldSrc = SelectObject(src, picture_.bitmap.get());
        if (StretchMode != 0) {
            SetStretchBltMode(mem, HALFTONE);
            SetBrushOrgEx(mem, 0, 0, nullptr);
            StretchBlt(mem, area.left, area.top, aw, ah, src, 0, 0, picture_.width, picture_.height, SRCCOPY);
        } else {
            BitBlt(mem, area.left, area.top, std::min(aw, picture_.width), std::min(ah, picture_.height), src, 0, 0,
                   SRCCOPY);
        }
        SelectObject(src, oldSrc);
        DeleteDC(src);
    } else if (picture_.icon && aw > 0 && ah > 0) {
        int w = StretchMode != 0 ? aw : picture_.width, h = StretchMode != 0 ? ah : picture_.height;
        DrawIconEx(mem, area.left, area.top, picture_.icon.get(), w, h, 0, nullptr, DI_NORMAL);
    }

    if (titleShown_) {
        RECT t = TitleArea();
        HGDIOBJ oldFont = SelectObject(mem, titleFont_.get());
        SetBkMode(mem, TRANSPARENT);
        SetTextColor(mem, COLORREF(TitleFontColor));
        DrawTextW(mem, StringBuf.c_str(), int(StringBuf.size()), &t,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(mem, oldFont);
    }
    BitBlt(dc, 0, 0, c.right, c.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldCanvas);
    DeleteDC(mem);
    EndPaint(hwnd_, &ps);
}

// --- stacking, lock, border --------------------------------------------------------

void TBMPKELUPSHI::SetZOrder(HWND after, bool pin) {
    ZOrderFG = FALSE;
    SetWindowPos(hwnd_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (pin) ZOrderFG = TRUE;
}

void TBMPKELUPSHI::ApplyStacking(int bottomSetting) {
    ZOrderFG = FALSE;
    if (StOnTp == 1) SetZOrder(HWND_TOPMOST, true);
    else if (StOnTp == 2 || bottomSetting == 1) SetZOrder(HWND_BOTTOM, true);
}

// An image note stays pinned whichever way stacking is switched.
void TBMPKELUPSHI::M_StayOnTopClick(int bottomSetting) {
    if (StOnTp != 1) {
        StOnTp = 1;
        SetZOrder(HWND_TOPMOST, true);
    } else {
        StOnTp = 0;
        SetZOrder(bottomSetting == 1 ? HWND_BOTTOM : HWND_NOTOPMOST, true);
    }
}

void TBMPKELUPSHI::M_StayOnBottomClick() {
    if (StOnTp != 2) {
        StOnTp = 2;
        SetZOrder(HWND_NOTOPMOST, false);
        SetZOrder(HWND_BOTTOM, true);
    } else {
        StOnTp = 0;
        SetZOrder(HWND_NOTOPMOST, true);
    }
}

void TBMPKELUPSHI::TopSet() {
    if (StOnTp == 1) SetZOrder(HWND_TOPMOST, true);
}

void TBMPKELUPSHI::TopRelease() {
    if (StOnTp != 1) return;
    if (host_) host_->BringAppToFront();
    ZOrderFG = FALSE;
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TBMPKELUPSHI::M_LockClick() { LockMode = LockMode == 1 ? 0 : 1; }

void TBMPKELUPSHI::M_BorderClick() {
    int w = Width(bounds_), h = Height(bounds_);
    bool wasVisible = IsWindowVisible(hwnd_) != FALSE;
    ShowWindow(hwnd_, SW_HIDE);
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    if (Border == 0) {
        SetWindowLongPtrW(hwnd_, GWL_STYLE, style | WS_BORDER);
        w += 1, h += 1, Border = 1;
    } else {
        SetWindowLongPtrW(hwnd_, GWL_STYLE, style & ~LONG_PTR(WS_BORDER));
        w -= 1, h -= 1, Border = 0;
    }
    // The frame changes the window, not the picture: no proportion is applied.
    sizingSelf_ = true;
    SetWindowPos(hwnd_, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    sizingSelf_ = false;
    InvalidateRect(hwnd_, nullptr, TRUE);
    if (wasVisible) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void TBMPKELUPSHI::ShowNote() {
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    if (StOnTp == 1) {
        SetZOrder(HWND_TOPMOST, true);
    } else if (BringTopFG) {
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
        BringTopFG = false;
        SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
}

// --- hiding ----------------------------------------------------------------------

std::wstring TBMPKELUPSHI::HiddenCaption() const { return ImageHiddenCaption(StringBuf, Bmpname, HideFG); }

void TBMPKELUPSHI::HideAction() {
    if (host_) hiddenMenuId_ = host_->AddHiddenEntry(false, MyNumber, HiddenCaption());
    ShowWindow(hwnd_, SW_HIDE);
}

void TBMPKELUPSHI::ShowAgain() {
    HideFG = 0;
    hiddenMenuId_ = 0;
    ShowNote();
}

// --- messages ------------------------------------------------------------------------

LRESULT TBMPKELUPSHI::HitTest(POINT screen) {
    if (host_ && host_->LimitBusy()) return HTNOWHERE;
    RECT c;
    GetClientRect(hwnd_, &c);
    POINT p = screen;
    ScreenToClient(hwnd_, &p);
    Zone z = ZoneAt(c.left, c.top, c.right, c.bottom, p.x, p.y, Margin());
    if (z == Zone::Left || z == Zone::Right || z == Zone::TopLeft || z == Zone::TopRight || z == Zone::BottomLeft ||
        z == Zone::BottomRight)
        RightBottom = 1;
    else if (z == Zone::Top || z == Zone::Bottom)
        RightBottom = 2;
    TakeRitu();
    if (LockMode == 1) return kLockedHit;
    LRESULT code = HitCodeOf(z);
    return code == HTNOWHERE ? HTCLIENT : code;
}

LRESULT TBMPKELUPSHI::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NCHITTEST:
            return HitTest(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        case WM_NCLBUTTONDOWN:
            if (wp == WPARAM(kLockedHit)) return 0;   // locked: neither moved nor sized
            break;
        case WM_NCLBUTTONDBLCLK:
            OnNcDoubleClick();
            return 0;
        case WM_NCRBUTTONUP:
        case WM_CONTEXTMENU:
            OpenContextMenu();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
            mmi->ptMinTrackSize.x = Margin() + 10;
            mmi->ptMinTrackSize.y = Margin() + 10;
            return 0;
        }
        case WM_SIZING:
            OnSizing(wp, reinterpret_cast<RECT*>(lp));
            return TRUE;
        case WM_WINDOWPOSCHANGING: {
            LRESULT r = Default(msg, wp, lp);
            auto* wpos = reinterpret_cast<WINDOWPOS*>(lp);
            wpos->flags |= ZOrderFG ? SWP_NOZORDER : SWP_NOACTIVATE;
            return r;
        }
        case WM_WINDOWPOSCHANGED: {
            RECT was = bounds_;
            GetWindowRect(hwnd_, &bounds_);
            bool moved = was.left != bounds_.left || was.top != bounds_.top;
            bool sized = Width(was) != Width(bounds_) || Height(was) != Height(bounds_);
            if (sized) OnResized();
            // An icon is drawn again wherever the note goes.
            if (moved && PictType == 2) InvalidateRect(hwnd_, nullptr, TRUE);
            break;
        }
        case WM_SIZE:
            Layout();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp));
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            if (msg == WM_SYSKEYDOWN && g_ending) return 0;
            bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
            AltKeyDown = alt && !ctrl && !shift;
            CtrlKeyDown = ctrl && !alt && !shift;
            if (msg == WM_SYSKEYDOWN && wp == VK_F4) {
                if (host_ && host_->NoteConfig().AltF4 == 0) {
                    g_ending = true;   // from now on no image note takes a system key
                    host_->M_ExitClick();
                }
                return 0;
            }
            break;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP:
            AltKeyDown = CtrlKeyDown = false;
            break;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_CLOSE) return 0;   // the system close never closes a note
            break;
        case WM_CLOSE:
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_NCDESTROY:
            DragAcceptFiles(hwnd_, FALSE);
            break;
    }
    return Default(msg, wp, lp);
}

}  // namespace kelup
