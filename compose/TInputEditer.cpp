// The compose editor: making the window, its layout, opening and closing.

#include "compose/TInputEditer.h"

#include <commctrl.h>
#include <windowsx.h>
#include <ole2.h>
#include <richole.h>

#include <algorithm>
#include <set>

#include "app/IniFile.h"
#include "app/Shell.h"
#include "app/ShowMsg.h"
#include "base/Clock.h"
#include "base/FileOps.h"
#include "compose/EditorIcons.h"
#include "notes/RichText.h"
#include "res/resource.h"

namespace kelup {

namespace {

constexpr wchar_t kClassName[] = L"TInputEditer";
constexpr int kMinW = 565, kMinH = 300;
constexpr int kSplitterMin = 60;

const IID kIID_IRichEditOleCallback = {0x00020D03, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Memo1 takes text and rich text only: pictures and other embedded objects
// are refused on paste and drop.
class TextOnlyCallback final : public IRichEditOleCallback {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIID_IRichEditOleCallback)) {
            *ppv = static_cast<IRichEditOleCallback*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return ULONG(n);
    }
    HRESULT STDMETHODCALLTYPE GetNewStorage(LPSTORAGE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*,
                                                LPOLEINPLACEFRAMEINFO) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ShowContainerUI(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE DeleteObject(LPOLEOBJECT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QueryAcceptData(LPDATAOBJECT data, CLIPFORMAT* format, DWORD, BOOL,
                                              HGLOBAL) override {
        const CLIPFORMAT rtf = CLIPFORMAT(RegisterClipboardFormatW(L"Rich Text Format"));
        if (*format != 0) return (*format == rtf || *format == CF_UNICODETEXT || *format == CF_TEXT) ? S_OK : E_FAIL;
        if (!data) return E_FAIL;
        for (CLIPFORMAT cf : {rtf, CLIPFORMAT(CF_UNICODETEXT), CLIPFORMAT(CF_TEXT)}) {
            FORMATETC fe{cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
            if (data->QueryGetData(&fe) == S_OK) {
                *format = cf;
                return S_OK;
            }
        }
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDragDropEffect(BOOL, DWORD, LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU*) override { return E_NOTIMPL; }

private:
    LONG refs_ = 1;
};

HWND MakeChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, HFONT font,
               DWORD exStyle = 0) {
    HWND h = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    if (h && font) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

int BarHeight(HWND bar) {
    DWORD size = DWORD(SendMessageW(bar, TB_GETBUTTONSIZE, 0, 0));
    return HIWORD(size) + 4;
}

int BarWidth(HWND bar) {
    int n = int(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
    RECT rc{};
    if (n > 0) SendMessageW(bar, TB_GETITEMRECT, WPARAM(n - 1), reinterpret_cast<LPARAM>(&rc));
    return rc.right + 2;
}

bool HasGlyph(HFONT font, wchar_t c) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    WORD index = 0xFFFF;
    DWORD got = GetGlyphIndicesW(dc, &c, 1, &index, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return got == 1 && index != 0xFFFF;
}

const wchar_t* BarSection(int index) {
    static const wchar_t* const kSections[] = {L"TOOLBAR1", L"TOOLBAR2", L"TOOLBAR3"};
    return kSections[index];
}

}  // namespace

TInputEditer::TInputEditer(Shell& shell, long long& readyAt, long long& appliedAt)
    : shell_(shell), readyAt_(readyAt), appliedAt_(appliedAt) {}

TInputEditer::~TInputEditer() {
    if (memo_ && IsWindow(memo_)) SendMessageW(memo_, EM_SETOLECALLBACK, 0, 0);
    if (oleCallback_) oleCallback_->Release();
    if (accel_) DestroyAcceleratorTable(accel_);
}

bool TInputEditer::Create() {
    if (hwnd_) return true;
    LoadLibraryW(L"msftedit.dll");
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterClassOnce(kClassName, 0, L"MAINICON");
    const Settings& config = shell_.Config();
    IniFile ini(shell_.Path().IniPath);
    // The sizes the editor had when the program last ended.
    int w = std::max(ini.GetInt(L"Config", L"EditorW", 840), kMinW);
    int h = std::max(ini.GetInt(L"Config", L"EditorH", 600), kMinH);
    panelH_ = std::clamp(ini.GetInt(L"Config", L"EditorPanelH", 170), 40, 600);
    ShowPanelMode = ini.GetInt(L"Config", L"EditorShowPanelMode", 0) == 1 ? 1 : 0;
    for (int i = 0; i < 3; ++i) barVisible_[i] = ini.GetInt(BarSection(i), L"VISIBLE", 1) != 0;
    EditerBkgnd = config.EditerBkgnd;
    standalone_ = shell_.State().NetworkOff != 0;

    CreateWin(WS_EX_CONTROLPARENT, kClassName, L"ケラップx64", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
              CW_USEDEFAULT, CW_USEDEFAULT, w, h, shell_.MainHandle());
    if (!hwnd_) return false;
    FormCreate();
    return true;
}

void TInputEditer::FormCreate() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    uiFont_.reset(CreateFontIndirectW(&ncm.lfMessageFont));
    LOGFONTW big = ncm.lfMessageFont;
    big.lfHeight = big.lfHeight * 5 / 4;
    bigFont_.reset(CreateFontIndirectW(&big));
    for (int i = 0; i < 4; ++i) {
        LOGFONTW lf = ncm.lfMessageFont;
        lf.lfHeight = lf.lfHeight * 9 / 8;
        lf.lfWeight = i == 0 ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = i == 1;
        lf.lfUnderline = i == 2;
        lf.lfStrikeOut = i == 3;
        lstrcpynW(lf.lfFaceName, L"Arial", LF_FACESIZE);
        styleFonts_[i].reset(CreateFontIndirectW(&lf));
    }
    menus_.reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_EDITORMENUS)));
    accel_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_EDITORACCEL));

    MakeToolbars();

    // The scroll bars come when the text needs them: kept always shown, but
    // disabled, they cost Wine more to paint than the empty text area.
    memo_ = MakeChild(hwnd_, kRichEditClass, L"",
                      WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL |
                          ES_NOHIDESEL,
                      ID_E_Memo1, nullptr, WS_EX_CLIENTEDGE);
    SendMessageW(memo_, EM_EXLIMITTEXT, 0, kTextLimit);
    SendMessageW(memo_, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTILEVELUNDO, 0);
    oleCallback_ = new TextOnlyCallback;
    SendMessageW(memo_, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(oleCallback_));
    SendMessageW(memo_, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_LINK | ENM_KEYEVENTS | ENM_MOUSEEVENTS);
    SetWindowSubclass(memo_, MemoProc, 1, reinterpret_cast<DWORD_PTR>(this));
    TextFont font;
    font.name = shell_.Config().FontName;
    font.size = shell_.Config().FontSize;
    RichSetFont(memo_, font);

    MakeLowerArea();

    if (standalone_) {
        // Without the network nothing is sent: the lower area and the send
        // entries go, and the quoting that only a reply needs.
        HMENU file = GetSubMenu(menus_.get(), 0);
        for (int id : {ID_E_SendPeel, ID_E_SendOnly, ID_E_SendUpdate, ID_E_NewNote})
            DeleteMenu(file, UINT(id), MF_BYCOMMAND);
        // The separator left doubled by the send entries.
        for (int i = GetMenuItemCount(file) - 1; i > 0; --i)
            if ((GetMenuState(file, UINT(i), MF_BYPOSITION) & MF_SEPARATOR) &&
                (GetMenuState(file, UINT(i - 1), MF_BYPOSITION) & MF_SEPARATOR))
                DeleteMenu(file, UINT(i), MF_BYPOSITION);
        HMENU edit = GetSubMenu(menus_.get(), 1);
        DeleteMenu(edit, ID_E_Quote2, MF_BYCOMMAND);
        DeleteMenu(edit, ID_E_Quote, MF_BYCOMMAND);
        int last = GetMenuItemCount(edit) - 1;
        if (last >= 0 && (GetMenuState(edit, UINT(last), MF_BYPOSITION) & MF_SEPARATOR))
            DeleteMenu(edit, UINT(last), MF_BYPOSITION);
        for (int id : {ID_E_Quote, ID_E_Quote2}) SendMessageW(toolBar1_, TB_HIDEBUTTON, WPARAM(id), TRUE);
        EnableCommand(ID_E_HidePanel, false);
        EnableCommand(ID_E_ShowPanel, false);
        ShowWindow(toolBar4_, SW_HIDE);
    }
    // The menu bar and the edit toolbar are never hidden both.
    if (!barVisible_[0] && !barVisible_[2]) barVisible_[2] = true;
    FillFontNames();
    // The lower area as it was at the last end: the window's height there
    // was taken with the area shown.
    const bool hidden = ShowPanelMode == 1;
    ShowPanelMode = 0;
    if (!standalone_) {
        EnableCommand(ID_E_HidePanel, true);
        EnableCommand(ID_E_ShowPanel, false);
    }
    Layout();
    if (hidden && !standalone_) HidePanel();
}

void TInputEditer::MakeToolbars() {
    const DWORD barStyle = WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                           CCS_NOPARENTALIGN | CCS_NODIVIDER;
    auto make = [&](int id) {
        HWND bar = MakeChild(hwnd_, TOOLBARCLASSNAMEW, nullptr, barStyle, id, uiFont_.get());
        SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
        return bar;
    };
    struct Button {
        int id;
        int image;            // a standard picture, or -1 for a text button
        const wchar_t* text;
        BYTE style;
    };
    auto add = [&](HWND bar, std::initializer_list<Button> buttons) {
        std::vector<TBBUTTON> tb;
        for (const Button& b : buttons) {
            TBBUTTON t{};
            if (b.id == 0) {
                t.fsStyle = BTNS_SEP;
                t.iBitmap = 6;
            } else {
                t.idCommand = b.id;
                t.fsState = TBSTATE_ENABLED;
                t.fsStyle = BYTE(BTNS_BUTTON | BTNS_AUTOSIZE | b.style | (b.text ? BTNS_SHOWTEXT : 0));
                t.iBitmap = b.image >= 0 ? b.image : I_IMAGENONE;
                t.iString = b.text ? reinterpret_cast<INT_PTR>(b.text) : -1;
            }
            tb.push_back(t);
        }
        SendMessageW(bar, TB_ADDBUTTONSW, WPARAM(tb.size()), reinterpret_cast<LPARAM>(tb.data()));
        SendMessageW(bar, TB_AUTOSIZE, 0, 0);
    };

    // ToolBar3, the menu bar "メニュー".
    toolBar3_ = make(ID_E_ToolBar3);
    SendMessageW(toolBar3_, TB_SETIMAGELIST, 0, 0);
    SendMessageW(toolBar3_, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    add(toolBar3_, {{ID_E_MenuFile, -1, L"ファイル(&F)", 0},
                    {ID_E_MenuEdit, -1, L"編集(&E)", 0},
                    {ID_E_MenuFormat, -1, L"書式(&T)", 0},
                    {ID_E_MenuInsert, -1, L"挿入(&I)", 0}});

    // ToolBar1, the edit toolbar "編集", with the standard pictures.
    toolBar1_ = make(ID_E_ToolBar1);
    SendMessageW(toolBar1_, TB_SETPADDING, 0, MAKELPARAM(4, 6));
    SendMessageW(toolBar1_, TB_LOADIMAGES, IDB_STD_SMALL_COLOR, LPARAM(HINST_COMMCTRL));
    // The editor's own pictures follow the standard ones; text where there are none.
    const int own = AddEditorIcons(reinterpret_cast<HIMAGELIST>(SendMessageW(toolBar1_, TB_GETIMAGELIST, 0, 0)));
    auto icon = [own](EditorIcon i) { return own < 0 ? -1 : own + int(i); };
    auto text = [own](const wchar_t* t) { return own < 0 ? t : nullptr; };
    add(toolBar1_, {{ID_E_btnOk, STD_FILESAVE, L"付箋紙へ表示", 0},
                    {0, 0, nullptr, 0},
                    {ID_E_Cut, STD_CUT, nullptr, 0},
                    {ID_E_Copy, STD_COPY, nullptr, 0},
                    {ID_E_Paste, STD_PASTE, nullptr, 0},
                    {ID_E_Delete, STD_DELETE, nullptr, 0},
                    {ID_E_ClearAll, STD_FILENEW, nullptr, 0},
                    {ID_E_Undo, STD_UNDO, nullptr, 0},
                    {0, 0, nullptr, 0},
                    {ID_E_DateTimeWa, icon(EditorIcon::Clock), text(L"日時"), 0},
                    {ID_E_LimitHan, icon(EditorIcon::CalendarHan), text(L"予定半"), 0},
                    {ID_E_LimitZen, icon(EditorIcon::CalendarZen), text(L"予定全"), 0},
                    {0, 0, nullptr, 0},
                    {ID_E_Quote, icon(EditorIcon::Quote), text(L"＞引用"), 0},
                    {ID_E_Quote2, icon(EditorIcon::Quote2), text(L"＞＞"), 0},
                    {ID_E_WordWrap, icon(EditorIcon::Wrap), text(L"折返"), BTNS_CHECK},
                    {0, 0, nullptr, 0},
                    {ID_E_btnTrash, icon(EditorIcon::Cancel), L"ｷｬﾝｾﾙ", 0},
                    {ID_E_btnRemove, icon(EditorIcon::Peel), L"はがす", 0}});
    SendMessageW(toolBar1_, TB_CHECKBUTTON, ID_E_WordWrap, TRUE);

    // ToolBar4: hide and show the lower area.
    toolBar4_ = make(ID_E_ToolBar4);
    SendMessageW(toolBar4_, TB_SETIMAGELIST, 0, 0);
    SendMessageW(toolBar4_, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    add(toolBar4_, {{ID_E_HidePanel, -1, L"▲", 0}, {ID_E_ShowPanel, -1, L"▼", 0}});

    // PanelTop_2: the font boxes and ToolBar2, the format toolbar "書式".
    fontName_ = MakeChild(hwnd_, WC_COMBOBOXW, nullptr, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                          ID_E_FontName, uiFont_.get());
    fontSize_ = MakeChild(hwnd_, WC_COMBOBOXW, nullptr, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, ID_E_FontSize,
                          uiFont_.get());
    for (int size : {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 28, 32, 36, 40, 48, 56, 72, 96, 128})
        SendMessageW(fontSize_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(size).c_str()));
    for (HWND combo : {fontName_, fontSize_}) {
        COMBOBOXINFO ci{};
        ci.cbSize = sizeof(ci);
        if (GetComboBoxInfo(combo, &ci) && ci.hwndItem)
            SetWindowSubclass(ci.hwndItem, ComboEditProc, GetDlgCtrlID(combo), reinterpret_cast<DWORD_PTR>(this));
    }
    toolBar2_ = make(ID_E_ToolBar2);
    SendMessageW(toolBar2_, TB_SETIMAGELIST, 0, 0);
    SendMessageW(toolBar2_, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    add(toolBar2_, {{ID_E_Bold, -1, L"B", BTNS_CHECK},
                    {ID_E_Italic, -1, L"I", BTNS_CHECK},
                    {ID_E_Underline, -1, L"U", BTNS_CHECK},
                    {ID_E_StrikeOut, -1, L"S", BTNS_CHECK},
                    {0, 0, nullptr, 0},
                    {ID_E_FontColor, -1, L"文字色", 0},
                    {ID_E_KelupColor, -1, L"付箋色", 0},
                    {0, 0, nullptr, 0},
                    {ID_E_Left, -1, L"左", BTNS_CHECKGROUP},
                    {ID_E_Center, -1, L"中", BTNS_CHECKGROUP},
                    {ID_E_Right, -1, L"右", BTNS_CHECKGROUP},
                    {0, 0, nullptr, 0},
                    {ID_E_Bullets, -1, L"・箇条", BTNS_CHECK}});
}

void TInputEditer::MakeLowerArea() {
    // Panel2: the groups and the peers (filled by the network side).
    label3_ = MakeChild(hwnd_, WC_STATICW, L"所属", SS_LEFT, IDC_STATIC, uiFont_.get());
    label4_ = MakeChild(hwnd_, WC_STATICW, L"名前", SS_LEFT, IDC_STATIC, uiFont_.get());
    tree_ = MakeChild(hwnd_, WC_TREEVIEWW, nullptr,
                      WS_TABSTOP | TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | TVS_SHOWSELALWAYS,
                      ID_E_TreeView1, uiFont_.get(), WS_EX_CLIENTEDGE);
    // The peers of the group chosen and the recipients, each line with its picture.
    const DWORD listStyle = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED |
                            LBS_HASSTRINGS;
    list1_ = MakeChild(hwnd_, WC_LISTBOXW, nullptr, listStyle | LBS_SORT, ID_E_ListBox1, uiFont_.get(),
                       WS_EX_CLIENTEDGE);
    list2_ = MakeChild(hwnd_, WC_LISTBOXW, nullptr, listStyle, ID_E_ListBox2, uiFont_.get(), WS_EX_CLIENTEDGE);
    // Panel1: the large buttons.
    struct Big { int id; const wchar_t* text; };
    static const Big kBig[6] = {{ID_E_btnSendOnly, L"送信"}, {ID_E_btnSend, L"送信して更新"},
                                {ID_E_btnSendRemove, L"送信してはがす"}, {ID_E_btnOKM, L"更新"},
                                {ID_E_btnRemoveM, L"はがす"}, {ID_E_btnCloseM, L"✕"}};
    for (int i = 0; i < 6; ++i)
        panel1Buttons_[i] = MakeChild(hwnd_, WC_BUTTONW, kBig[i].text, WS_TABSTOP | BS_PUSHBUTTON, kBig[i].id,
                                      bigFont_.get());
    // "✕" in a font that has the sign, where the interface font lacks it.
    if (!HasGlyph(bigFont_.get(), L'\x2715')) {
        LOGFONTW lf{};
        GetObjectW(bigFont_.get(), sizeof(lf), &lf);
        for (const wchar_t* face : {L"Segoe UI Symbol", L"DejaVu Sans", L"Arial Unicode MS"}) {
            lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
            lf.lfCharSet = DEFAULT_CHARSET;
            AutoFont f(CreateFontIndirectW(&lf));
            if (f && HasGlyph(f.get(), L'\x2715')) {
                closeFont_ = std::move(f);
                SendMessageW(panel1Buttons_[5], WM_SETFONT, reinterpret_cast<WPARAM>(closeFont_.get()), FALSE);
                break;
            }
        }
    }
    MakeRecipientControls();
    if (standalone_) {
        for (HWND h : {label3_, label4_, label6_, label7_, tree_, list1_, list2_}) ShowWindow(h, SW_HIDE);
        for (HWND h : panel1Buttons_) ShowWindow(h, SW_HIDE);
        LayoutRecipientArea(0, 0, 0, 0);
    }
}

void TInputEditer::FillFontNames() {
    // The screen fonts, once: the names without the vertical "@" forms.
    std::set<std::wstring> names;
    HDC dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(
        dc, &lf,
        [](const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
            if (f->lfFaceName[0] != L'@') reinterpret_cast<std::set<std::wstring>*>(p)->insert(f->lfFaceName);
            return 1;
        },
        reinterpret_cast<LPARAM>(&names), 0);
    ReleaseDC(nullptr, dc);
    SendMessageW(fontName_, CB_INITSTORAGE, names.size(), names.size() * 32 * sizeof(wchar_t));
    for (const auto& n : names) SendMessageW(fontName_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
}

bool TInputEditer::BarVisible(int toolbarId) const {
    switch (toolbarId) {
        case ID_E_ToolBar1: return barVisible_[0];
        case ID_E_ToolBar2: return barVisible_[1];
        case ID_E_ToolBar3: return barVisible_[2];
    }
    return false;
}

void TInputEditer::Layout() {
    if (!hwnd_) return;
    RECT rc;
    GetClientRect(hwnd_, &rc);
    const int W = rc.right, H = rc.bottom;
    int y = 0;
    auto place = [](HWND h, int x, int yy, int w, int hh) {
        SetWindowPos(h, nullptr, x, yy, std::max(w, 0), std::max(hh, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    // In image mode only the lower area shows: no toolbars, no Memo1.
    const bool bars[3] = {barVisible_[0] && !ImageSendFG, barVisible_[1] && !ImageSendFG,
                          barVisible_[2] && !ImageSendFG};
    // PanelTop_3.
    ShowWindow(toolBar3_, bars[2] ? SW_SHOWNA : SW_HIDE);
    if (bars[2]) {
        int h = BarHeight(toolBar3_);
        place(toolBar3_, 2, y + 1, W - 4, h);
        y += h + 2;
    }
    // PanelTop_1: ToolBar1 and, at its right, ToolBar4.
    const bool bar4 = !standalone_ && !ImageSendFG;
    ShowWindow(toolBar1_, bars[0] ? SW_SHOWNA : SW_HIDE);
    ShowWindow(toolBar4_, bar4 ? SW_SHOWNA : SW_HIDE);
    if (bars[0] || bar4) {
        int h = BarHeight(toolBar1_);
        int w4 = bar4 ? BarWidth(toolBar4_) : 0;
        if (bars[0]) place(toolBar1_, 2, y + 1, W - w4 - 6, h);
        if (bar4) place(toolBar4_, W - w4 - 2, y + 1, w4, h);
        y += h + 2;
    }
    // PanelTop_2: the font boxes and ToolBar2.
    for (HWND h : {fontName_, fontSize_, toolBar2_}) ShowWindow(h, bars[1] ? SW_SHOWNA : SW_HIDE);
    if (bars[1]) {
        int h = std::max(BarHeight(toolBar2_), 24);
        RECT cr;
        GetWindowRect(fontName_, &cr);
        int ch = cr.bottom - cr.top;
        place(fontName_, 4, y + (h - ch) / 2 + 1, 190, 320);
        place(fontSize_, 198, y + (h - ch) / 2 + 1, 58, 320);
        place(toolBar2_, 262, y + 1, W - 264, h);
        y += h + 2;
    }
    const bool lower = !standalone_ && ShowPanelMode == 0;
    int lowerH = lower ? splitterH_ + panelH_ + panel1H_ : 0;
    int memoH = ImageSendFG ? 0 : std::max(H - y - lowerH, 0);
    ShowWindow(memo_, ImageSendFG ? SW_HIDE : SW_SHOWNA);
    if (!ImageSendFG) place(memo_, 0, y, W, memoH);
    for (HWND h : {label3_, label4_, label6_, label7_, tree_, list1_, list2_}) ShowWindow(h, lower ? SW_SHOWNA : SW_HIDE);
    for (HWND h : panel1Buttons_) ShowWindow(h, lower ? SW_SHOWNA : SW_HIDE);
    if (!lower) {
        LayoutRecipientArea(0, 0, 0, 0);
        return;
    }
    // Panel2: the tree takes its height less 20 below its label; the two
    // lists share the rest, the second one pixel below the first; the send
    // options at the right.
    int top = ImageSendFG ? 2 : y + memoH + splitterH_;
    const int treeW = std::clamp(W / 5, 120, 200);
    place(label3_, 6, top + 3, treeW, 16);
    place(tree_, 4, top + 20, treeW, panelH_ - 20);
    int listX = treeW + 10, listW = std::clamp(W / 4, 0, 260);
    place(label4_, listX + 2, top + 3, 60, 16);
    place(label6_, listX + listW - 110, top + 3, 40, 16);
    place(label7_, listX + listW - 66, top + 3, 64, 16);
    LayoutRecipientArea(top, listX + listW + 8, W - (listX + listW + 8) - 4, panelH_);
    int listsH = panelH_ - 20;
    int h1 = (listsH - 1) / 2;
    place(list1_, listX, top + 20, listW, h1);
    place(list2_, listX, top + 20 + h1 + 1, listW, listsH - h1 - 1);
    // Panel1: the send buttons at the left, the note's own at the right.
    int by = top + panelH_ + 6, bh = panel1H_ - 10;
    static const int kWidths[6] = {96, 120, 130, 80, 80, 48};
    int x = 4;
    for (int i = 0; i < 3; ++i) {
        place(panel1Buttons_[i], x, by, kWidths[i], bh);
        x += kWidths[i] + 4;
    }
    x = W - 4;
    for (int i = 5; i >= 3; --i) {
        x -= kWidths[i];
        place(panel1Buttons_[i], x, by, kWidths[i], bh);
        x -= 4;
    }
    if (ImageSendFG) {
        // "送信", "✕" and the first two send options are all there is.
        for (HWND h : {checks_[2], checks_[3], checks_[4], rg_, fileOpts_[0], fileOpts_[1], fileOpts_[2], fileOpts_[3],
                       btnIPAddr_, label5_, label9_, panel1Buttons_[1], panel1Buttons_[2], panel1Buttons_[3],
                       panel1Buttons_[4]})
            ShowWindow(h, SW_HIDE);
    }
}

void TInputEditer::SplitterDrag(int y) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    RECT mr;
    GetWindowRect(memo_, &mr);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&mr), 2);
    // Memo1 and Panel2 both keep at least the splitter's minimum.
    int maxPanel = rc.bottom - panel1H_ - splitterH_ - (mr.top + kSplitterMin);
    int panel = rc.bottom - panel1H_ - y - splitterH_ / 2;
    panelH_ = std::clamp(panel, kSplitterMin, std::max(kSplitterMin, maxPanel));
    Layout();
}

EditResult TInputEditer::ShowModal(const EditRequest& request, EditorHost* host) {
    EditResult result;
    if (open_ || (!hwnd_ && !Create())) return result;
    request_ = request;
    host_ = host;
    if (request_.imageMode) EnterImageMode();
    HWND owner = shell_.MainHandle();
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    FormShow();
    if (owner) EnableWindow(owner, FALSE);
    // Shown without painting on the way: it is painted once, when ready.
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOREDRAW);
    SetForegroundWindow(hwnd_);
    ReadyForTyping();
    RecipientsAtOpen();
    if (request_.afterReady) request_.afterReady();

    MSG msg;
    while (open_) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the editor goes and the quit is passed on.
            if (got == 0) PostQuitMessage(int(msg.wParam));
            open_ = false;
            flags_ = EditorFlags{};
            ShowWindow(hwnd_, SW_HIDE);
            break;
        }
        bool mine = msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd);
        if (mine && accel_ && !ImageSendFG && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)) {
            // The font boxes keep their own editing keys.
            wchar_t cls[16] = {};
            GetClassNameW(msg.hwnd, cls, 16);
            bool inBox = lstrcmpiW(cls, L"Edit") == 0;
            if (!inBox && TranslateAcceleratorW(hwnd_, accel_, &msg)) continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (owner && ownerWasEnabled) EnableWindow(owner, TRUE);

    if (ImageSendFG) {
        if (flags_.EditSendMode > 0) FillSendRequest(result.send);
        result.EditSendMode = flags_.EditSendMode;
        result.EditRemoveFG = flags_.EditRemoveFG;
        LeaveImageMode();
        host_ = nullptr;
        return result;
    }
    result.EditUpdateFG = flags_.EditUpdateFG;
    result.EditSendMode = flags_.EditSendMode;
    result.EditRemoveFG = flags_.EditRemoveFG;
    result.KlnColor = KlnColor;
    result.EditerBkgnd = EditerBkgnd;
    if (result.EditUpdateFG > 0 || result.EditSendMode > 0) {
        // Written as its own paragraphs, whatever the window's wrapping.
        result.rtf = RichToRtf(memo_);
        result.lineCount = int(Lines().size());
    }
    if (result.EditSendMode > 0) FillSendRequest(result.send);
    host_ = nullptr;
    return result;
}

void TInputEditer::FormShow() {
    // 2: the result flags start clear, and the editor is open.
    flags_ = EditorFlags{};
    EditorOpen = true;
    open_ = true;
    CloseMode = 0;
    KlnColor = request_.KlnColor;
    url_.clear();
    SetWindowTextW(hwnd_, ImageSendFG ? L"付箋紙の送信（イメージ付箋紙）" : request_.caption.c_str());
    // 3: wrapping as "右端で折り返す" says.
    ApplyWordWrap();
    // 4: nothing to send to yet; the peers are searched for once the
    // editor shows.
    SendMessageW(list1_, LB_RESETCONTENT, 0, 0);
    SendMessageW(list2_, LB_RESETCONTENT, 0, 0);
    RecipientMode = 0;
    UpdateSendCommands();
    FSelectFilePath.clear();
    TypedAddr.clear();
    SetPeerHint(L"未選択");
    SetWindowTextW(label9_, request_.senderLine.c_str());
    // 7: the file option starts at its first entry.
    for (int i = 0; i < 4; ++i) SendMessageW(fileOpts_[i], BM_SETCHECK, i == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    // 5: the input method's composition colours.
    SetImeColours();
    // 8: links are found and reported.
    SendMessageW(memo_, EM_AUTOURLDETECT, TRUE, 0);
    // 9: the note's text.
    LoadText();
    // 6: nothing to undo; centred on the screen, never above or left of it.
    SendMessageW(memo_, EM_EMPTYUNDOBUFFER, 0, 0);
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
    // Moved only when it is elsewhere: every move of a window costs Wine a repaint.
    if (x != wr.left || y != wr.top) SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // 10: a reply: every line quoted, nothing sent until a recipient is chosen.
    if (request_.sendMode == -1) QuoteAll(false);
    // 1: the clipboard commands follow the (empty) selection.
    SelectionChanged();
    CloseMode = 0;
}

void TInputEditer::LoadText() {
    loading_ = true;
    RichClear(memo_);
    if (request_.textPath.empty()) {
        if (request_.newNoteFont) {
            RichSetFont(memo_, request_.font);
            PARAFORMAT2 pf{};
            pf.cbSize = sizeof(pf);
            pf.dwMask = PFM_ALIGNMENT | PFM_NUMBERING;
            pf.wAlignment = PFA_LEFT;
            SendMessageW(memo_, EM_SETSEL, 0, -1);
            SendMessageW(memo_, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
        }
    } else {
        std::string bytes;
        // A missing file leaves the editor empty.
        if (ReadWholeFile(request_.textPath, bytes) && !bytes.empty()) RichFromRtf(memo_, bytes);
    }
    SendMessageW(memo_, EM_SETSEL, 0, 0);
    SendMessageW(memo_, EM_SCROLLCARET, 0, 0);
    ApplyBackground();
    loading_ = false;
}

void TInputEditer::ReadyForTyping() {
    SetFocus(ImageSendFG ? list1_ : memo_);
    // Everything is invalid; only what is painted now is up to the mode.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    if (ImageSendFG) {
        // Only the recipients area is in use: all of it at once.
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    } else {
        // What the person types into is painted first: the frame, the
        // toolbars with the font boxes, and the text area. The lower area
        // (recipients and send buttons) paints when the queue is next idle,
        // after any keys already typed, so typing never waits for it.
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
        for (HWND top : {toolBar3_, toolBar1_, toolBar4_, fontName_, fontSize_, toolBar2_, memo_})
            if (IsWindowVisible(top)) RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    readyAt_ = MicrosNow();
}

void TInputEditer::FormActivate() {
    // The change mark stays: a message box or another window in between
    // must not make the close question forget the changes.
    if (ImageSendFG) SetFocus(list1_);
    else if (IsWindowVisible(memo_)) SetFocus(memo_);
}

void TInputEditer::CloseWith(EditorCommand cmd) {
    if (!open_) return;
    CloseAnswer answer = CloseAnswer::NotAsked;
    if (AsksCloseQuestion(cmd, CloseMode == 1 && EditorOpen)) {
        int r = ShowMsg(L"エディタの文章には変更が加えられていますが，\r変更を付箋紙に反映させますか？",
                        MB_YESNOCANCEL | MB_ICONQUESTION, hwnd_);
        answer = r == IDYES ? CloseAnswer::Yes : r == IDNO ? CloseAnswer::No : CloseAnswer::Cancel;
    }
    EditorFlags f = flags_;
    if (!ApplyCloseCommand(cmd, f, request_.noteJustMade, request_.locked, answer)) {
        SetFocus(memo_);
        return;   // cancelled: the editor stays open
    }
    if (cmd == EditorCommand::NewNote && host_) host_->MakeNoteFromLines(Lines());
    // Benchmark clock: the note applied, or sent.
    if (cmd == EditorCommand::Apply || f.EditSendMode > 0) appliedAt_ = MicrosNow();
    flags_ = f;
    if (cmd != EditorCommand::CloseBox) CloseMode = 0;
    FormClose();
}

void TInputEditer::FormClose() {
    WriteToolbarKeys();
    WriteSendOptions();
    KillTimer(hwnd_, kSearchTimer);
    EditorOpen = false;
    open_ = false;
    Memo1Exit();
    HWND owner = shell_.MainHandle();
    if (owner) EnableWindow(owner, TRUE);   // before hiding, so the activation goes back
    ShowWindow(hwnd_, SW_HIDE);
    PostMessageW(hwnd_, WM_NULL, 0, 0);   // wakes the modal loop, which then ends
}

void TInputEditer::CloseNow() {
    if (!open_) return;
    flags_ = EditorFlags{};
    CloseMode = 0;
    FormClose();
}

void TInputEditer::WriteToolbarKeys() {
    IniFile ini(shell_.Path().IniPath);
    for (int i = 0; i < 3; ++i) ini.WriteInt(BarSection(i), L"VISIBLE", barVisible_[i] ? 1 : 0);
}

TInputEditer::WindowKeys TInputEditer::Keys() {
    WindowKeys k;
    if (!hwnd_) return k;
    k.EditorShowPanelMode = ShowPanelMode;
    if (ShowPanelMode == 1 && !standalone_) ShowPanel();
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    k.EditorW = wr.right - wr.left;
    k.EditorH = wr.bottom - wr.top;
    k.EditorPanelH = panelH_;
    return k;
}

std::vector<std::wstring> TInputEditer::Lines() const {
    if (!memo_) return {};
    return RichLines(memo_);
}

LRESULT TInputEditer::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lp));
        case WM_SIZE:
            Layout();
            return 0;
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (di->hwndItem == list1_ || di->hwndItem == list2_) {
                DrawListLine(*di);
                return TRUE;
            }
            break;
        }
        case WM_TIMER:
            if (wp == kSearchTimer) OpeningSearch();
            return 0;
        case kOpenInputMethod:
            OpenInputMethod();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
            mm->ptMinTrackSize.x = kMinW;
            mm->ptMinTrackSize.y = ShowPanelMode == 1 || standalone_ ? kMinH - panelH_ / 2 : kMinH;
            mm->ptMinTrackSize.y = std::max<LONG>(mm->ptMinTrackSize.y, 200);
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE && open_) FormActivate();
            return 0;
        case WM_CLOSE:
            CloseWith(EditorCommand::CloseBox);
            return 0;
        case WM_CONTEXTMENU: {
            HWND from = reinterpret_cast<HWND>(wp);
            POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (from == toolBar1_ || from == toolBar2_ || from == toolBar3_ || from == toolBar4_ || from == hwnd_) {
                ToolbarContextPopup(pt);
                return 0;
            }
            break;
        }
        case WM_INITMENUPOPUP:
            InitMenuPopup(reinterpret_cast<HMENU>(wp));
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT && !standalone_ && ShowPanelMode == 0) {
                POINT pt;
                GetCursorPos(&pt);
                ScreenToClient(hwnd_, &pt);
                RECT mr;
                GetWindowRect(memo_, &mr);
                MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&mr), 2);
                if (pt.y >= mr.bottom && pt.y < mr.bottom + splitterH_) {
                    SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
                    return TRUE;
                }
            }
            break;
        case WM_LBUTTONDOWN: {
            // Splitter1: the band between Memo1 and the lower area.
            RECT mr;
            GetWindowRect(memo_, &mr);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&mr), 2);
            int y = GET_Y_LPARAM(lp);
            if (!standalone_ && ShowPanelMode == 0 && y >= mr.bottom && y < mr.bottom + splitterH_) {
                dragging_ = true;
                SetCapture(hwnd_);
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            if (dragging_) SplitterDrag(GET_Y_LPARAM(lp));
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (dragging_) {
                dragging_ = false;
                if (msg == WM_LBUTTONUP) ReleaseCapture();
            }
            return 0;
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd_, &rc);
            FillRect(reinterpret_cast<HDC>(wp), &rc, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_CTLCOLORSTATIC:
            SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return Default(msg, wp, lp);
}

}  // namespace kelup
