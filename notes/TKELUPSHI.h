#pragma once
// A text note: a borderless tool window that shows rich text and is moved
// and sized by its whole surface.

#include <windows.h>
#include <richedit.h>
#include <shellapi.h>
#include <imm.h>

#include <string>

#include "base/Handles.h"
#include "base/Window.h"
#include "notes/NoteHost.h"

namespace kelup {

inline constexpr wchar_t kTextNoteClass[] = L"TKELUPSHI";
// The text area sits this many pixels inside a frame.
inline constexpr int kTextInset = 2;

class TKELUPSHI : public BaseWindow<TKELUPSHI> {
public:
    // Creates the hidden window for slot `number`; `border` gives the thin
    // border. The host is the store the note belongs to.
    // `place`, when given, is where the window stands from the start.
    bool Create(HWND owner, int number, bool border, NoteHost* host, const RECT* place = nullptr);

    // --- fields of a text note ------------------------------------------
    int MyNumber = 0;
    int WakuNum = 1;
    int WakuNumBk = 1;
    int StOnTp = 0;
    double MakeDT = 0;
    double K_Date = 0;
    int EveryDay = 0;
    std::wstring SenderName, SenderAddr;
    std::wstring SenderSex = L"0";
    std::wstring SenderVer;
    // The packet number of a received IP Messenger message ("0" otherwise).
    std::wstring Label1 = L"0";
    double SendDate = 0, SendTime = 0;
    int ORGColor = 12648447;
    int KeyOpen = 0;
    int SetPWord = 0;
    int CheckMode = 0;
    int LineCnt = 0;
    int LockMode = 0;
    int LimitFG = 0, LimitActFG = 0;
    // The deadline rule (1..3) whose colours the note shows; 0: its own.
    int DateLook = 0;
    int HideFG = 0;
    int Tomei = 0;
    std::wstring SndName;
    int PlaySndFG = 0;
    BOOL ZOrderFG = FALSE;
    std::wstring OpenFName;
    std::wstring DataName;
    std::wstring BkgndName;
    int BkgndTrans = 0;
    bool CtrlKeyDown = false, ShftKeyDown = false, AltKeyDown = false, BringTopFG = false;
    // The latest hit test or press was on the frame, not the inner area.
    bool EdgeHit = false;
    int Border = 0;
    int ORGWidth = 0, ORGHeight = 0;
    WORD DownKey = 0;
    int LineSpace = 20;
    // The stored text holds date placeholders: the shown text is worked out.
    bool HasPlaceholders = false;
    int AlphaValue = 255;
    // Width when editing in place began, given back when it ends.
    int BeforeW = 0;
    // A format was copied since editing in place began.
    bool FormatFG = false;

    HWND RichEdit1() const { return richEdit_; }

    // Colour of the window and the text area.
    void SetColor(int color);
    int Color() const { return brushColor_; }
    // Frame style 0..6 (others show as 1); does not change WakuNum.
    void WakuSet(int wn);
    void ApplyLineSpace();
    void SetBounds(int left, int top, int width, int height);
    // The window's rectangle on the screen, kept as the window moves.
    RECT Bounds() const { return bounds_; }
    // Sizes and places as stored: in pixels at 96 DPI, whatever the scale of
    // the monitor the note is on, as the data file has always held them.
    int Dpi() const;
    int Scale(int v) const { return MulDiv(v, Dpi(), 96); }
    int Unscale(int v) const { return MulDiv(v, 96, Dpi()); }
    void SetLogicalBounds(int left, int top, int width, int height);
    RECT LogicalStoredBounds() const;
    // Where the note is kept in the data file: its own place while it has
    // been brought into view from a monitor that is gone and not moved since.
    RECT StoredBounds() const;
    // Brought into view at `r`; the place it had is kept.
    void RescueTo(const RECT& r);
    // The place kept by RescueTo, while the note has not been moved since.
    bool Rescued() const { return rescued_; }
    RECT Home() const { return home_; }
    // Back to the kept place.
    void ReturnHome();

    // Stacking.
    void ApplyStacking(int bottomSetting);
    void M_StayOnTopClick(int bottomSetting);
    void M_StayOnBottomClick();
    void TopSet();
    void TopRelease();
    void SetZOrder(HWND after, bool pin);
    void M_LockClick();
    void M_BorderClick();

    // Hiding into the main menu and back.
    void HideAction();
    void ShowAgain();
    std::wstring HiddenCaption() const;

    // The context menu, its entries enabled, checked and captioned afresh
    // from the note's state; loaded when first asked for.
    HMENU PopupMenuX();

    // Translucency: layered blending at AlphaValue, or none.
    void ApplyAlpha();

    void ShowNote();
    // Transparency on and off; the look comes with transparent notes.
    void M_TomeiClick();
    bool LoadText(const std::wstring& path);
    // Shows RTF text with the note's line spacing.
    bool ShowRtf(const std::string& bytes);
    // Opens the associated file, program or address.
    void M_ExecuteClick();
    // Copies line n (1..9) of the text to the clipboard; false when there is none.
    bool M_CopyLineClick(int n);
    // Colours, the default design, the information box and the association.
    void Color1Click();
    void M_FontColorAllClick();
    void M_DefaultClick();
    DefaultDesign Design() const;
    void M_InfoClick();
    std::wstring InfoText() const;
    void M_KanrenClick();
    // The deadline dialog ("期日の設定").
    void M_LimitClick();

    // --- editing in place (DirectEdit.cpp) ---------------------------------
    void M_DirectClick();
    void M_DirectExitClick();
    // This note is the one edited in place.
    bool DirectEditing() const;
    // The context menu while editing in place, prepared as it opens.
    HMENU PopupMenuY();
    void M_CutDClick();
    void M_CopyDClick();
    void M_PasteDClick();
    void M_DeleteDClick();
    void M_SelectAllDClick();
    void M_UndoClick();
    // Toggles CFE_BOLD, CFE_ITALIC or CFE_UNDERLINE on the selection.
    void ToggleStyle(DWORD effect);
    void Font1Click();
    void M_FontColorClick();
    void M_FormatCopyClick();
    void M_FormatPasteClick();
    // Inserts one of the six date and time texts (0..5: 和暦１ ... 時刻２).
    void M_DateClick(int which);

    // --- commands on the whole text (TextCommands.cpp) --------------------
    // Line `index` (0..8) of the text file to the clipboard with its
    // formatting; false when there is no such line.
    bool LineCopy(int index);
    void M_CopyClick();
    // The clipboard's text becomes the note's text; false when nothing changed.
    bool M_PasteClick();
    void M_LoadClick();
    // A note text file (RTF) becomes the note's text; false, with a message,
    // when the file is no such text or too large.
    bool LoadNoteText(const std::wstring& path);
    void M_SaveTextClick();
    // The text as plain lines in code page 932, each ended by CR LF.
    bool SaveAsText(const std::wstring& path);
    void M_PrnClick();
    void LineSpaceSet(int id);

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    static int ShownWaku(int wn);
    RECT TextArea() const;
    void Layout();
    void Paint();
    LRESULT HitTest(POINT screen);
    void OnCommand(int id);
    void OpenContextMenu();
    // A menu of the note at the pointer, hint hidden, until it closes.
    void TrackAtCursor(HMENU m);
    void OnDropFiles(HDROP drop);
    // The pointer over the note: hint, cursor and translucency.
    void OnPointer(POINT client);
    void ShowTextHint();
    void HideTextHint();
    // A translucent note turns opaque under the pointer (AutoShow) and back.
    void SetBlending(bool on);
    void OnLink(const ENLINK& link);
    // The note's menu, loaded when first opened.
    HMENU Menu();
    // Width of the sizing zones along the edges.
    int Margin() const;
    void OnNcDoubleClick();
    static LRESULT CALLBACK RichProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    LRESULT OnRichMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    // Keys of the text area while editing in place; true when taken.
    bool OnDirectKey(UINT msg, WPARAM wp);
    // EN_CHANGE and the like from the text area.
    void OnRichNotify(int code);
    // The commands of PopupMenuY; false for any other id.
    bool OnDirectCommand(int id);
    // The commands on the whole text; false for any other id.
    bool OnTextCommand(int id);
    void OpenDirectMenu();
    CHARFORMAT2W SelectionFormat() const;
    void SetSelectionFormat(const CHARFORMAT2W& cf);

    NoteHost* host_ = nullptr;
    HWND richEdit_ = nullptr;
    AutoBrush brush_;
    int brushColor_ = -1;
    AutoMenu menu_;
    RECT bounds_{};
    bool rescued_ = false;       // brought into view; home_ is its own place
    bool movingSelf_ = false;
    bool tracking_ = false;      // asked to hear when the pointer leaves
    RECT home_{}, rescuedAt_{};
    int shownWaku_ = 1;
    UINT hiddenMenuId_ = 0;
    AutoMenu menuY_;
    HIMC imc_ = nullptr;          // the input context taken for editing in place
    bool undoEnabled_ = false;    // "元に戻す": one level
};

}  // namespace kelup
