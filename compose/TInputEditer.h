#pragma once
// The compose editor: a rich edit (Memo1) under a menu bar and two
// toolbars, with the recipient area and the large buttons below. Made once
// and shown modally for each note; the closing command decides what the
// opener does with the text.

#include <windows.h>
#include <richedit.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/Handles.h"
#include "base/Window.h"
#include "compose/Compose.h"
#include "compose/EditorRules.h"
#include "compose/RecipientRules.h"
#include "compose/Recipients.h"
#include "dates/TSubDate1.h"

struct IRichEditOleCallback;

namespace kelup {

class Shell;

class TInputEditer : public BaseWindow<TInputEditer> {
public:
    TInputEditer(Shell& shell, long long& readyAt, long long& appliedAt);
    ~TInputEditer() override;

    // FormCreate: the window and its controls, hidden.
    bool Create();
    // Shows the editor for one note and returns once a closing command has
    // closed it.
    EditResult ShowModal(const EditRequest& request, EditorHost* host);
    // Shutdown: closes without asking, leaving the note as it is.
    void CloseNow();
    bool IsOpen() const { return open_; }

    std::vector<std::wstring> Lines() const;
    // A control of the window by its id (ID_E_...), for the tests and tools.
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    bool LowerAreaShown() const { return ShowPanelMode == 0 && !standalone_; }
    bool BarVisible(int toolbarId) const;

    struct WindowKeys {
        int EditorW = 0, EditorH = 0, EditorPanelH = 0, EditorShowPanelMode = 0;
    };
    // The window's sizes for the program's end; the lower area is shown
    // again first when it is hidden.
    WindowKeys Keys();

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    // The lower area (RecipientArea.cpp): where the lists come from; the
    // lists changed; a send's recipients for the menu of recent recipients,
    // and that menu's file ".frh".
    void SetRecipientSource(RecipientSource* source) { source_ = source; }
    void ListsChanged();
    void AddRecentRecipients(const std::vector<std::wstring>& entries);
    void WriteRecentFile();

    // The most text Memo1 takes, in characters: far more than a note ever
    // holds, little enough that a paste cannot exhaust the program.
    static constexpr LONG kTextLimit = 16 * 1024 * 1024;
    // The timer that starts the search once the editor shows.
    static constexpr UINT_PTR kSearchTimer = 61;

private:
    // Posted to itself: the input method opens once Memo1 has the focus.
    static constexpr UINT kOpenInputMethod = WM_APP + 0x180;
    void OpenInputMethod();
    // TInputEditer.cpp: making the window, layout, opening and closing.
    void FormCreate();
    void MakeToolbars();
    void MakeLowerArea();
    void FillFontNames();
    void FormShow();
    void FormActivate();
    void LoadText();
    void Layout();
    void ReadyForTyping();
    void CloseWith(EditorCommand cmd);
    void FormClose();
    void WriteToolbarKeys();
    void SplitterDrag(int y);
    // Image mode: the window shrinks to its lower area and back.
    void EnterImageMode();
    void LeaveImageMode();
    // The image check, then the editor closes whatever its outcome.
    void ImageSendCommand(EditorCommand cmd);

    // EditorCommands.cpp: the commands of the menus, toolbars and buttons.
    void OnCommand(int id, int code, HWND from);
    LRESULT OnNotify(NMHDR* nm);
    void PopupAt(HMENU menu, POINT pt);
    void MenuButtonClick(int id);
    void Memo1ContextPopup(POINT pt);
    void ToolbarContextPopup(POINT pt);
    void InitMenuPopup(HMENU menu);
    void Paste(bool plainText);
    void InsertText(const std::wstring& text);
    void InsertName();
    void btnLimitClick(bool fullWidth);
    void QuoteAll(bool dropQuoted);
    void SwitchWordWrap();
    void ApplyWordWrap();
    void OpenKdtFile();
    void Memo1Link(const ENLINK& link);
    void CopyUrl();
    void ShowBar(int toolbarId, bool show);
    void HidePanel();
    void ShowPanel();
    void Memo1Enter();
    void Memo1Exit();
    void SetImeColours();

    // EditorFormat.cpp: the selection's format and the toolbar that shows it.
    void SelectionChanged();
    void UpdateEditCommands();
    void ToggleStyle(DWORD mask);
    void FontSizeApply();
    void FontNameApply();
    void FontColorClick();
    void KelupColorClick();
    void SwitchBkgnd();
    void ApplyBackground();
    void SetAlignment(WORD align);
    void SwitchBullets();
    void FormatCopy();
    void FormatPaste();

    // RecipientArea.cpp: the groups, the peers, the recipients, the send
    // options and the send commands.
    void MakeRecipientControls();
    void LayoutRecipientArea(int top, int x, int w, int h);
    void ReadSendOptions();
    void WriteSendOptions();
    void ReadRecentFile();
    void RecipientsAtOpen();
    void OpeningSearch();
    void btnSearchClick();
    void RebuildTree();
    void ShowGroup(bool keepSelection);
    int SelectedList() const;
    bool AbsenteeGroup() const { return SelectedList() == int(SendLists::kAbsent); }
    std::vector<std::wstring> LinesOf(HWND list) const;
    std::wstring SelectedEntry() const;
    void AppendRecipient(const std::wstring& entry);
    void ListBox1Click();
    void ListBox2Click();
    void SetPeerHint(const std::wstring& text);
    void UpdateSendCommands();
    bool OnRecipientCommand(int id, int code);
    void PopupMenu3At(POINT pt);
    void PopupMenu4At(POINT pt);
    void M_DeleteClick();
    void M_DeleteAllClick();
    void M_ShutdownClick();
    void M_AddFriendClick();
    void M_DelFriendClick();
    void M_EditFriendClick();
    void M_FindNameClick();
    void AddAllClick(AddAllKind kind);
    void cb_huseruClick();
    void Label9Click();
    void btn_IPAddrClick();
    bool FileSendOptAct();
    void SendCommand(EditorCommand cmd);
    void MItemClick(size_t index);
    void FillSendRequest(SendRequest& send) const;
    void DrawListLine(const DRAWITEMSTRUCT& di);
    int FileSendOpt() const;
    static LRESULT CALLBACK ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);

    static LRESULT CALLBACK MemoProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    static LRESULT CALLBACK ComboEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    bool Enabled(int id) const;
    void EnableCommand(int id, bool on);
    bool HasSelection() const;
    static bool ClipboardHasText();
    std::wstring Hint(int id) const;

    Shell& shell_;
    long long& readyAt_;
    long long& appliedAt_;
    EditorHost* host_ = nullptr;
    EditRequest request_;
    EditorFlags flags_;

    HWND memo_ = nullptr;
    HWND toolBar1_ = nullptr, toolBar2_ = nullptr, toolBar3_ = nullptr, toolBar4_ = nullptr;
    HWND fontName_ = nullptr, fontSize_ = nullptr;
    HWND tree_ = nullptr, list1_ = nullptr, list2_ = nullptr;
    HWND label3_ = nullptr, label4_ = nullptr;
    HWND panel1Buttons_[6] = {};
    AutoMenu menus_;
    HACCEL accel_ = nullptr;
    AutoFont uiFont_, bigFont_, closeFont_;
    AutoFont styleFonts_[4];   // bold, italic, underline, strike-out captions
    IRichEditOleCallback* oleCallback_ = nullptr;
    TSubDate1 subDate1_;

    // The lower area's state.
    RecipientSource* source_ = nullptr;
    int RecipientMode = 0;
    HWND label2_ = nullptr, label5_ = nullptr, label6_ = nullptr, label7_ = nullptr, label9_ = nullptr;
    HWND checks_[5] = {};      // cb_SendOk, cb_huseru, cb_Check, cb_Password, cb_Zenmen
    HWND rg_ = nullptr, fileOpts_[4] = {};
    HWND btnIPAddr_ = nullptr, btnSearch_ = nullptr;
    HWND hint_ = nullptr;      // ListBox1's hint
    std::wstring peerHint_ = L"未選択";
    struct ImageListOwner {
        HIMAGELIST h = nullptr;
        ~ImageListOwner() { if (h) ImageList_Destroy(h); }
    } images_;
    std::vector<std::pair<std::wstring, int>> groups_;   // the tree's groups: caption, list
    bool listsDirty_ = true;
    bool searching_ = false;
    bool treeBuilding_ = false;   // the tree is being made: its selection changes are not the user's
    std::vector<RecentItem> recent_;
    std::wstring FSelectFilePath;
    std::wstring TypedAddr;
    std::wstring lastFileFolder_;

    bool open_ = false;
    bool EditorOpen = false;
    // ImageSendFG: sending an image note's picture; the window's height and
    // the five send options as they were before.
    bool ImageSendFG = false;
    int heightBeforeImage_ = 0;
    bool checksBeforeImage_[5] = {};
    int CloseMode = 0;
    int ShowPanelMode = 0;
    int KlnColor = 0;
    int EditerBkgnd = 1;
    bool standalone_ = false;
    bool wordWrap_ = true;
    bool updating_ = false;    // the toolbar is being brought in line with the selection
    bool loading_ = false;     // text is being put in by the program, not typed
    bool barVisible_[3] = {true, true, true};   // edit toolbar, format toolbar, menu bar
    int panelH_ = 120;
    int splitterH_ = 5;
    int panel1H_ = 44;
    bool dragging_ = false;
    bool imeSwitched_ = false;
    CHARRANGE savedSel_{};
    std::wstring url_;          // the last link clicked with a button other than the left
    std::wstring oriHint_ = L"右端で折返さない";

    struct CopiedFormat {
        bool valid = false;
        std::wstring face;
        COLORREF color = 0;
        LONG height = 0;
        DWORD effects = 0;
        BYTE charset = DEFAULT_CHARSET;
    } copied_;
};

}  // namespace kelup
