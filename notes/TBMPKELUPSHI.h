#pragma once
// An image note: a borderless tool window that shows one picture, with a
// one-line title above or below it when asked, moved and sized by its whole
// surface while the picture keeps its proportions.

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "base/Handles.h"
#include "base/Window.h"
#include "notes/ImageHost.h"
#include "notes/PictureLoad.h"

namespace kelup {

inline constexpr wchar_t kImageNoteClass[] = L"TBMPKELUPSHI";
inline constexpr wchar_t kDefaultTitleFont[] = L"メイリオ";

class TBMPKELUPSHI : public BaseWindow<TBMPKELUPSHI> {
public:
    // Creates the hidden window for image slot `number`; `border` gives the
    // thin border. `place`, when given, is where the window stands from the start.
    bool Create(HWND owner, int number, bool border, ImageHost* host, const RECT* place = nullptr);

    // --- fields of an image note ------------------------------------------
    int MyNumber = 0;
    std::wstring Bmpname;          // full path of the picture; empty while only in memory
    int StretchMode = 1;           // 1: the picture is stretched to the window
    std::wstring StringBuf;        // the title
    int RightBottom = 0;           // last frame zone: 1 side or corner, 2 top or bottom edge
    double Ritu = 0;               // picture area height / window width
    int BmpMode = 0;               // 1: the title is shown
    int TitlePos = 1;              // 0 above the picture, 1 below
    int HOrg = 0;                  // height of the picture area
    int StOnTp = 0;
    BOOL ZOrderFG = FALSE;
    bool BringTopFG = false;
    int LockMode = 0;
    int HideFG = 0;
    int Border = 0;
    std::wstring OpenFName;
    bool CtrlKeyDown = false, AltKeyDown = false;
    std::wstring ORGFname = kDefaultTitleFont;   // title font
    int TitleFontSize = 12;        // points
    int TitleFontStyle = 0;        // 1000 bold + 100 italic + 10 underline + 1 strike-out
    int TitleFontColor = 0xFFFFFF;
    int PictType = 0;              // 0 bitmap, 1 JPEG, 2 icon
    double K_Date = 0;
    int EveryDay = 0;
    std::wstring SndName;
    int PlaySndFG = 0, LimitFG = 0, LimitActFG = 0;
    int ORG_W = 0, ORG_H = 0;      // the picture's own size
    int SaveFG = 0;                // 1: the picture is only in memory, written at the next save
    int BmpSize = 0;               // size of the picture file
    std::wstring SenderName, SenderAddr, SenderVer;
    double SendDate = 0, SendTime = 0;

    // --- the picture -------------------------------------------------------
    // Reads the picture file as `type`; pictures larger than the screen come
    // scaled down. On success the note shows it, PictType, ORG_W and ORG_H
    // follow it and Bmpname becomes `path`; the window keeps its size.
    LoadResult LoadPicture(const std::wstring& path, PictureType type);
    // Shows a picture already loaded (ORG_W and ORG_H follow it).
    void SetPicture(LoadedPicture picture);
    const LoadedPicture& Picture() const { return picture_; }
    bool HasPicture() const { return picture_.bitmap || picture_.icon; }
    // The window takes the picture's size as shown (the title's height added
    // when the title is shown); HOrg follows.
    void FitToPicture();
    // The clipboard's picture ("M_ClipClick"): false, with "BadFormat" shown,
    // when there is none. The picture is then only in memory (SaveFG 1).
    bool M_ClipClick();
    // The picture is read again from Bmpname and the note keeps its size
    // (one note's part of "全てのイメージ付箋紙を再描画").
    void RePaintBmp();

    // --- size and place ----------------------------------------------------
    void SetBounds(int left, int top, int width, int height);
    // The window's rectangle on the screen, kept as the window moves.
    RECT Bounds() const { return bounds_; }
    // Ritu from the window as it is now.
    void TakeRitu();
    // The window height from its width and Ritu (HOrg follows).
    void HeightFromWidth(int width);
    // "画面の約1/n" (n = 10, 8, 5, 3, 2).
    void SizeToScreenPart(int divisor);
    void M_ORGSizeClick();
    // "％で指定する".
    void M_InputClick();
    // Applies a percent of the screen width: false, with the range message,
    // when it is outside 10..100.
    bool ApplyPercent(int percent);
    void M_ChoseiClick();
    void ApplyStretch();

    // --- the title ---------------------------------------------------------
    // Height of the title line in its font.
    int TitleHeight() const;
    bool TitleShown() const { return titleShown_; }
    // Shows or hides the title, growing or shrinking the window by its height
    // so that the picture area keeps its size; BmpMode follows.
    void ShowTitle(bool on);
    // StringBuf takes `text` and the title shows it.
    void SetTitle(const std::wstring& text);
    // 0 above, 1 below ("上" / "下").
    void SetTitlePos(int pos);
    // The title font from ORGFname, TitleFontSize, TitleFontStyle and
    // TitleFontColor; a shown title keeps the picture area's size.
    void ApplyTitleFont();
    void M_MojiClick();
    void M_TitleClick();
    void M_FontClick();

    // --- stacking, lock, border ------------------------------------------
    void ApplyStacking(int bottomSetting);
    void M_StayOnTopClick(int bottomSetting);
    void M_StayOnBottomClick();
    void TopSet();
    void TopRelease();
    void SetZOrder(HWND after, bool pin);
    void M_LockClick();
    void M_BorderClick();
    void ShowNote();

    // --- hiding into the main menu and back --------------------------------
    void HideAction();
    void ShowAgain();
    std::wstring HiddenCaption() const;

    // --- the other commands ------------------------------------------------
    // The context menu, its entries enabled, checked and captioned afresh.
    HMENU PopupMenu3();
    void M_CopyClick();
    void M_InfoClick();
    std::wstring InfoText() const;
    void M_KanrenClick();
    void M_ExecuteClick();
    void M_LimitClick();
    void M_SendClick();
    void M_NewClick();
    // Peels the note; it is gone afterwards.
    void M_ExitClick();

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    void Paint();
    void Layout();
    LRESULT HitTest(POINT screen);
    void OnSizing(WPARAM edge, RECT* r);
    void OnResized();
    void OnCommand(int id);
    void OpenContextMenu();
    void OnNcDoubleClick();
    void OnDropFiles(HDROP drop);
    int Margin() const;
    int TitleOffset() const { return titleShown_ ? TitleHeight() : 0; }
    RECT PictureArea() const;
    RECT TitleArea() const;
    HMENU Menu();
    // Owner of the dialogs the note opens.
    HWND DialogOwner() const;
    // Sets the window's size, keeping its place.
    void Resize(int width, int height);

    ImageHost* host_ = nullptr;
    LoadedPicture picture_;
    AutoFont titleFont_;
    int titleHeight_ = 0;
    bool titleShown_ = false;
    AutoMenu menu_;
    RECT bounds_{};
    UINT hiddenMenuId_ = 0;
    bool sizingSelf_ = false;     // a size set by the program, not the user
};

}  // namespace kelup
