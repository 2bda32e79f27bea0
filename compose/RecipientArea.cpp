// The compose editor's lower area: the groups of the send lists, the peers
// of the group chosen, the recipients, the send options, the reply address,
// and the send commands with their checks.

#include "compose/TInputEditer.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "app/IniFile.h"
#include "app/Shell.h"
#include "app/ShowMsg.h"
#include "base/FileOps.h"
#include "base/InputQuery.h"
#include "compose/RecipientIcons.h"
#include "net/LocalNow.h"
#include "net/PacketText.h"
#include "net/PacketTime.h"
#include "res/resource.h"

namespace kelup {

namespace {

constexpr int kLineH = kSendListImageSize + 2;
const wchar_t* const kHintProp = L"KelupHint";

HWND MakeControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, HFONT font) {
    HWND h = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    if (h && font) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

std::wstring ListText(HWND list, int i) {
    int n = int(SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0));
    if (n < 0) return {};
    std::wstring t(size_t(n) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(t.data()));
    t.resize(size_t(n));
    return t;
}

int AddLine(HWND list, const std::wstring& entry, int image) {
    int i = int(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str())));
    if (i >= 0) SendMessageW(list, LB_SETITEMDATA, WPARAM(i), LPARAM(image));
    return i;
}

const SendLists& NoLists() {
    static const SendLists empty;
    return empty;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

}  // namespace

// --- Making and placing --------------------------------------------------------

void TInputEditer::MakeRecipientControls() {
    HFONT font = uiFont_.get();
    images_.h = MakeSendListImages();
    TreeView_SetImageList(tree_, images_.h, TVSIL_NORMAL);
    for (HWND list : {list1_, list2_}) {
        SendMessageW(list, LB_SETITEMHEIGHT, 0, kLineH);
        SetWindowSubclass(list, ListProc, GetDlgCtrlID(list), reinterpret_cast<DWORD_PTR>(this));
    }
    label6_ = MakeControl(hwnd_, WC_STATICW, L"件数", SS_RIGHT, ID_E_Label6, font);
    label7_ = MakeControl(hwnd_, WC_STATICW, L"0件", SS_RIGHT, ID_E_Label7, font);
    label2_ = MakeControl(hwnd_, WC_STATICW, L"送信オプション", SS_LEFT, ID_E_Label2, font);
    static const wchar_t* const kChecks[5] = {L"正常送信を確認する", L"内容をふせて貼り付ける",
                                               L"相手が読んだことを確認する", L"開封時パスワードを要求する",
                                               L"相手に確認メッセージを表示する"};
    for (int i = 0; i < 5; ++i)
        checks_[i] = MakeControl(hwnd_, WC_BUTTONW, kChecks[i], WS_TABSTOP | BS_AUTOCHECKBOX, ID_E_cb_SendOk + i, font);
    // RG_FileSendOpt: its caption above its four buttons, as the send options.
    rg_ = MakeControl(hwnd_, WC_STATICW, L"ファイル送信オプション", SS_LEFT, ID_E_RG_FileSendOpt, font);
    static const wchar_t* const kFileOpts[4] = {L"ファイルを添付しない", L"ファイルのみ送信する",
                                                 L"ファイルを添付して付箋紙を送信する",
                                                 L"関連づけたファイルを添付して送信する"};
    for (int i = 0; i < 4; ++i)
        fileOpts_[i] = MakeControl(hwnd_, WC_BUTTONW, kFileOpts[i],
                                   BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), ID_E_FileOpt0 + i, font);
    label5_ = MakeControl(hwnd_, WC_STATICW, L"返信先", SS_LEFT, ID_E_Label5, font);
    label9_ = MakeControl(hwnd_, WC_STATICW, L"", SS_LEFT | SS_NOTIFY | SS_ENDELLIPSIS, ID_E_Label9, font);
    btnIPAddr_ = MakeControl(hwnd_, WC_BUTTONW, L"IPアドレスを指定して送信", WS_TABSTOP | BS_PUSHBUTTON,
                             ID_E_btn_IPAddr, font);
    btnSearch_ = MakeControl(hwnd_, WC_BUTTONW, L"再検索", WS_TABSTOP | BS_PUSHBUTTON, ID_E_btnSearch, font);
    SendMessageW(fileOpts_[0], BM_SETCHECK, BST_CHECKED, 0);

    // ListBox1's hint: the peer's address and its kind of machine.
    hint_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                            0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hint_) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = hwnd_;
        ti.uId = reinterpret_cast<UINT_PTR>(list1_);
        ti.lpszText = peerHint_.data();
        SendMessageW(hint_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        SendMessageW(hint_, TTM_SETMAXTIPWIDTH, 0, 400);
        SetPropW(list1_, kHintProp, hint_);
    }
    ReadSendOptions();
    ReadRecentFile();
    UpdateSendCommands();
}

void TInputEditer::LayoutRecipientArea(int top, int x, int w, int h) {
    HWND all[] = {label2_, checks_[0], checks_[1], checks_[2], checks_[3], checks_[4], rg_, fileOpts_[0],
                  fileOpts_[1], fileOpts_[2], fileOpts_[3], label5_, label9_, btnIPAddr_, btnSearch_};
    const bool shown = h > 0 && w > 0;
    for (HWND c : all) ShowWindow(c, shown ? SW_SHOWNA : SW_HIDE);
    if (!shown) return;
    auto place = [](HWND c, int px, int py, int pw, int ph) {
        SetWindowPos(c, nullptr, px, py, std::max(pw, 0), std::max(ph, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const int colA = std::clamp(w * 45 / 100, 150, 195);
    const int xB = x + colA + 6, colB = std::max(w - colA - 6, 0);
    place(label2_, x, top + 3, colA, 16);
    for (int i = 0; i < 5; ++i) place(checks_[i], x + 4, top + 20 + i * 17, colA - 4, 17);
    place(rg_, xB, top + 3, colB, 16);
    for (int i = 0; i < 4; ++i) place(fileOpts_[i], xB + 4, top + 20 + i * 17, colB - 4, 17);
    const int y = top + 108;
    place(label5_, x, y + 2, 44, 16);
    place(label9_, x + 48, y + 2, w - 48, 16);
    const int by = y + 22, bh = std::clamp(h - (by - top), 0, 26);
    place(btnIPAddr_, x, by, std::min(200, w * 6 / 10), bh);
    place(btnSearch_, x + std::min(200, w * 6 / 10) + 6, by, 80, bh);
}

// --- Settings and the recent-recipients file -------------------------------------

void TInputEditer::ReadSendOptions() {
    IniFile ini(shell_.Path().IniPath);
    // SendOpt1..5: 内容をふせて, パスワード, 読んだことを確認, 確認メッセージ, 正常送信を確認.
    static const int kBox[5] = {1, 3, 2, 4, 0};
    for (int i = 0; i < 5; ++i) {
        bool on = ini.GetInt(L"SendOption", L"SendOpt" + std::to_wstring(i + 1), 0) == 1;
        SendMessageW(checks_[kBox[i]], BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // The password goes only with the content hidden.
    const bool hidden = Button_GetCheck(checks_[1]) == BST_CHECKED;
    if (!hidden) Button_SetCheck(checks_[3], BST_UNCHECKED);
    EnableWindow(checks_[3], hidden);
}

void TInputEditer::WriteSendOptions() {
    IniFile ini(shell_.Path().IniPath);
    static const int kBox[5] = {1, 3, 2, 4, 0};
    for (int i = 0; i < 5; ++i)
        ini.WriteInt(L"SendOption", L"SendOpt" + std::to_wstring(i + 1),
                     Button_GetCheck(checks_[kBox[i]]) == BST_CHECKED ? 1 : 0);
}

void TInputEditer::ReadRecentFile() {
    std::string bytes;
    if (!ReadWholeFile(shell_.Path().FrhPath, bytes)) return;
    recent_ = RecentFromLines(ReadListFile(bytes));
}

void TInputEditer::WriteRecentFile() {
    if (!hwnd_ || shell_.Path().FrhPath.empty()) return;
    WriteFileAtomic(shell_.Path().FrhPath, WriteListFile(RecentFileLines(recent_)));
}

void TInputEditer::AddRecentRecipients(const std::vector<std::wstring>& entries) {
    AddRecent(recent_, entries, DosDateTime(LocalNow()));
}

// --- The search and the tree -------------------------------------------------------

void TInputEditer::RecipientsAtOpen() {
    // The search waits for the peers' answers: the editor is shown first.
    SetTimer(hwnd_, kSearchTimer, 1, nullptr);
}

void TInputEditer::OpeningSearch() {
    KillTimer(hwnd_, kSearchTimer);
    if (!open_) return;
    btnSearchClick();
    if (!open_) return;
    // A reply: the sender is the recipient, and nothing goes before the text changed.
    if (request_.sendMode == -1) {
        Label9Click();
        for (HWND b : {panel1Buttons_[0], panel1Buttons_[1], panel1Buttons_[2]}) EnableWindow(b, FALSE);
    }
}

void TInputEditer::btnSearchClick() {
    if (searching_) return;
    searching_ = true;
    EnableWindow(btnSearch_, FALSE);
    SendMessageW(list1_, LB_RESETCONTENT, 0, 0);
    SendMessageW(list2_, LB_RESETCONTENT, 0, 0);
    RecipientMode = 0;
    UpdateSendCommands();
    SetPeerHint(L"未選択");
    if (source_) source_->StartSearch();
    searching_ = false;
    if (!hwnd_) return;
    EnableWindow(btnSearch_, TRUE);
    listsDirty_ = true;
    RebuildTree();
    // The search starts on all reachable peers.
    if (HTREEITEM root = TreeView_GetRoot(tree_)) TreeView_SelectItem(tree_, root);
    ShowGroup(false);
}

void TInputEditer::ListsChanged() {
    if (!hwnd_) return;
    listsDirty_ = true;
    if (!open_ || !IsWindowVisible(hwnd_)) return;   // shown afresh at the next opening
    RebuildTree();
    ShowGroup(true);
}

void TInputEditer::RebuildTree() {
    const SendLists& lists = source_ ? source_->Lists() : NoLists();
    std::vector<std::pair<std::wstring, int>> groups = {{std::wstring(kAllGroupName), int(SendLists::kAll)},
                                                        {std::wstring(kFriendsGroupName), int(SendLists::kFriends)},
                                                        {std::wstring(kAbsentGroupName), int(SendLists::kAbsent)}};
    for (size_t i = SendLists::kFirstSection; i < lists.Count(); ++i) groups.push_back({lists.SectionName(i), int(i)});
    listsDirty_ = false;
    if (groups == groups_ && TreeView_GetRoot(tree_)) return;
    // The group shown stays chosen when it is still there.
    std::wstring chosen;
    if (HTREEITEM sel = TreeView_GetSelection(tree_)) {
        wchar_t text[256] = {};
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = sel;
        item.pszText = text;
        item.cchTextMax = 256;
        TreeView_GetItem(tree_, &item);
        chosen = text;
    }
    groups_ = groups;
    treeBuilding_ = true;
    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(tree_);
    HTREEITEM root = nullptr, select = nullptr;
    for (size_t i = 0; i < groups.size(); ++i) {
        TVINSERTSTRUCTW ins{};
        ins.hParent = i == 0 ? TVI_ROOT : root;
        ins.hInsertAfter = TVI_SORT;
        ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        ins.item.pszText = groups[i].first.data();
        ins.item.lParam = groups[i].second;
        ins.item.iImage = i == 0 ? 0 : 1;
        ins.item.iSelectedImage = i == 0 ? 0 : 2;
        HTREEITEM h = TreeView_InsertItem(tree_, &ins);
        if (i == 0) root = h;
        if (groups[i].first == chosen) select = h;
    }
    TreeView_Expand(tree_, root, TVE_EXPAND);
    TreeView_SelectItem(tree_, select ? select : root);
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
    treeBuilding_ = false;
}

int TInputEditer::SelectedList() const {
    HTREEITEM sel = TreeView_GetSelection(tree_);
    if (!sel) return -1;
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = sel;
    if (!TreeView_GetItem(tree_, &item)) return -1;
    return int(item.lParam);
}

void TInputEditer::ShowGroup(bool keepSelection) {
    const SendLists& lists = source_ ? source_->Lists() : NoLists();
    const int index = SelectedList();
    const std::wstring kept = keepSelection ? SelectedEntry() : std::wstring();
    const int top = int(SendMessageW(list1_, LB_GETTOPINDEX, 0, 0));
    SendMessageW(list1_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list1_, LB_RESETCONTENT, 0, 0);
    if (index >= 0 && size_t(index) < lists.Count()) {
        const SortedList& list = lists.List(size_t(index));
        const bool friends = index == int(SendLists::kFriends);
        SendMessageW(list1_, LB_INITSTORAGE, list.size(), list.size() * 96 * sizeof(wchar_t));
        for (const auto& entry : list) {
            bool reachable = true;
            if (friends) {
                const std::wstring addr = ListNameExtract(entry).ipAddr;
                reachable = std::any_of(lists.All().begin(), lists.All().end(), [&](const std::wstring& e) {
                    return SameIPv4(ListNameExtract(e).ipAddr, addr);
                });
            }
            AddLine(list1_, entry, KindImage(EntryKind(entry, friends, reachable)));
        }
    }
    int count = int(SendMessageW(list1_, LB_GETCOUNT, 0, 0));
    int again = kept.empty() ? -1
                             : int(SendMessageW(list1_, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(kept.c_str())));
    if (again >= 0) {
        SendMessageW(list1_, LB_SETCURSEL, WPARAM(again), 0);
        SendMessageW(list1_, LB_SETTOPINDEX, WPARAM(std::min(top, count - 1)), 0);
    } else {
        SetPeerHint(L"未選択");
    }
    SendMessageW(list1_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list1_, nullptr, TRUE);
    SetWindowTextW(label7_, (std::to_wstring(count) + L"件").c_str());
}

// --- The lists ------------------------------------------------------------------------

std::vector<std::wstring> TInputEditer::LinesOf(HWND list) const {
    std::vector<std::wstring> lines;
    int n = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    lines.reserve(size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i) lines.push_back(ListText(list, i));
    return lines;
}

std::wstring TInputEditer::SelectedEntry() const {
    int i = int(SendMessageW(list1_, LB_GETCURSEL, 0, 0));
    return i < 0 ? std::wstring() : ListText(list1_, i);
}

void TInputEditer::AppendRecipient(const std::wstring& entry) {
    AddLine(list2_, entry, SexImage(ListNameExtract(entry).sex));
}

void TInputEditer::SetPeerHint(const std::wstring& text) {
    peerHint_ = text;
    if (!hint_) return;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(list1_);
    ti.lpszText = peerHint_.data();
    SendMessageW(hint_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void TInputEditer::ListBox1Click() {
    const std::wstring entry = SelectedEntry();
    if (entry.empty()) {
        SetPeerHint(L"未選択");
        return;
    }
    SetPeerHint(PeerHint(entry));
    AddDecision d = DecideAdd(LinesOf(list2_), entry, AbsenteeGroup(), RecipientMode);
    if (!d.refusal.empty()) {
        ShowMsg(d.refusal, MB_OK | MB_ICONEXCLAMATION, hwnd_);
    } else if (d.append) {
        AppendRecipient(entry);
        RecipientMode = d.recipientMode;
    }
    UpdateSendCommands();
}

void TInputEditer::ListBox2Click() {
    int i = int(SendMessageW(list2_, LB_GETCURSEL, 0, 0));
    if (i < 0) return;
    SendMessageW(list2_, LB_DELETESTRING, WPARAM(i), 0);
    if (SendMessageW(list2_, LB_GETCOUNT, 0, 0) == 0) RecipientMode = 0;
    UpdateSendCommands();
}

void TInputEditer::UpdateSendCommands() {
    const bool any = SendMessageW(list2_, LB_GETCOUNT, 0, 0) > 0 && !standalone_;
    for (int i = 0; i < 3; ++i) EnableWindow(panel1Buttons_[i], any);
}

void TInputEditer::DrawListLine(const DRAWITEMSTRUCT& di) {
    if (int(di.itemID) < 0) return;
    HDC dc = di.hDC;
    const bool selected = (di.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &di.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int image = int(di.itemData);
    int x = di.rcItem.left + 2;
    if (images_.h && image >= 0 && image < kSendListImageCount) {
        ImageList_Draw(images_.h, image, dc, x, di.rcItem.top + (di.rcItem.bottom - di.rcItem.top - kSendListImageSize) / 2,
                       ILD_TRANSPARENT);
        x += kSendListImageSize + 6;
    }
    const std::wstring line = ListText(di.hwndItem, int(di.itemID));
    const std::wstring shown = EntryDisplayName(line);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT rc = di.rcItem;
    rc.left = x;
    DrawTextW(dc, shown.c_str(), int(shown.size()), &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (di.itemState & ODS_FOCUS) DrawFocusRect(dc, &di.rcItem);
}

// --- Commands ---------------------------------------------------------------------------

bool TInputEditer::OnRecipientCommand(int id, int code) {
    switch (id) {
        case ID_E_ListBox1:
            if (code == LBN_SELCHANGE) ListBox1Click();
            return true;
        case ID_E_ListBox2:
            if (code == LBN_SELCHANGE) ListBox2Click();
            return true;
        case ID_E_cb_huseru:
            if (code == BN_CLICKED) cb_huseruClick();
            return true;
        case ID_E_Label9:
            if (code == STN_CLICKED) Label9Click();
            return true;
        case ID_E_btn_IPAddr: btn_IPAddrClick(); return true;
        case ID_E_btnSearch: btnSearchClick(); return true;
        case ID_E_M_Delete: M_DeleteClick(); return true;
        case ID_E_M_DeleteAll: M_DeleteAllClick(); return true;
        case ID_E_M_Shutdown: M_ShutdownClick(); return true;
        case ID_E_M_AddFriend: M_AddFriendClick(); return true;
        case ID_E_M_DelFriend: M_DelFriendClick(); return true;
        case ID_E_M_EditFriend: M_EditFriendClick(); return true;
        case ID_E_M_FindName:
            if (!standalone_) M_FindNameClick();
            return true;
        case ID_E_M_AddAll: AddAllClick(AddAllKind::All); return true;
        case ID_E_M_AddAllIpMsg: AddAllClick(AddAllKind::IpMsgOnly); return true;
        case ID_E_M_AddAllKelup: AddAllClick(AddAllKind::KelupOnly); return true;
    }
    if (id >= ID_E_Recent0 && id <= ID_E_RecentLast) {
        MItemClick(size_t(id - ID_E_Recent0));
        return true;
    }
    return false;
}

void TInputEditer::PopupMenu3At(POINT pt) {
    HMENU menu = GetSubMenu(menus_.get(), 6);
    const bool sel = !SelectedEntry().empty();
    const int group = SelectedList();
    const bool friends = group == int(SendLists::kFriends), absent = group == int(SendLists::kAbsent);
    auto enable = [&](int id, bool on) { EnableMenuItem(menu, UINT(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    enable(ID_E_M_Shutdown, sel);
    enable(ID_E_M_Delete, sel && absent);
    enable(ID_E_M_DeleteAll, sel && absent);
    enable(ID_E_M_AddFriend, sel && !friends && !absent);
    enable(ID_E_M_DelFriend, sel && friends);
    enable(ID_E_M_EditFriend, sel && friends);
    if (pt.x == -1 && pt.y == -1) {
        RECT rc;
        GetWindowRect(list1_, &rc);
        pt = {rc.left + 8, rc.top + 8};
    }
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
}

void TInputEditer::PopupMenu4At(POINT pt) {
    if (recent_.empty()) return;
    AutoMenu menu(CreatePopupMenu());
    for (size_t i = 0; i < recent_.size() && i < kMaxRecentItems; ++i)
        AppendMenuW(menu.get(), MF_STRING, UINT(ID_E_Recent0 + int(i)), recent_[i].caption.c_str());
    if (pt.x == -1 && pt.y == -1) {
        RECT rc;
        GetWindowRect(list2_, &rc);
        pt = {rc.left + 8, rc.top + 8};
    }
    TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
}

void TInputEditer::M_DeleteClick() {
    if (!AbsenteeGroup()) {
        ShowMsg(L"不在者欄以外は削除できません", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    const std::wstring entry = SelectedEntry();
    if (entry.empty()) {
        ShowMsg(L"選択されていません", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    if (ShowMsg(L"「" + ListNameExtract(entry).name + L"」をリストから削除してもいいですか?",
                MB_YESNO | MB_ICONQUESTION, hwnd_) != IDYES)
        return;
    if (source_) source_->RemoveAbsentee(entry);
    ShowGroup(false);
}

void TInputEditer::M_DeleteAllClick() {
    if (!AbsenteeGroup()) {
        ShowMsg(L"不在者欄以外は削除できません", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    if (SendMessageW(list1_, LB_GETCOUNT, 0, 0) <= 0) return;
    if (ShowMsg(L"すべての不在者をリストから削除してもいいですか?", MB_YESNO | MB_ICONQUESTION, hwnd_) != IDYES) return;
    if (source_) source_->RemoveAllAbsentees();
    ShowGroup(false);
}

void TInputEditer::M_ShutdownClick() {
    if (AbsenteeGroup()) {
        ShowMsg(L"不在者ですからシャットダウンは無理です", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    const std::wstring entry = SelectedEntry();
    if (entry.empty()) return;
    if (ShowMsg(L"指定したマシンをシャットダウンしてよろしいですか?", MB_YESNO | MB_ICONQUESTION, hwnd_) != IDYES)
        return;
    if (source_) source_->ShutdownRequest(ListNameExtract(entry).ipAddr);
}

void TInputEditer::M_AddFriendClick() {
    const std::wstring entry = SelectedEntry();
    if (entry.empty() || !source_) return;
    switch (source_->AddMyFriend(entry)) {
        case SendLists::FriendAdd::AlreadyThere:
            ShowMsg(L"既に登録されています", MB_OK | MB_ICONINFORMATION, hwnd_);
            break;
        case SendLists::FriendAdd::Added:
            ShowMsg(L"おともだちリストに追加しました\r" + ListNameExtract(entry).name, MB_OK | MB_ICONINFORMATION, hwnd_);
            break;
        case SendLists::FriendAdd::Refused: break;
    }
    if (SelectedList() == int(SendLists::kFriends)) ShowGroup(true);
}

void TInputEditer::M_DelFriendClick() {
    const std::wstring entry = SelectedEntry();
    if (entry.empty() || SelectedList() != int(SendLists::kFriends)) return;
    if (source_) source_->DelMyFriend(entry);
    ShowGroup(false);
}

void TInputEditer::M_EditFriendClick() {
    const std::wstring entry = SelectedEntry();
    if (entry.empty() || SelectedList() != int(SendLists::kFriends)) return;
    std::wstring name = NameFromList(entry);
    if (name.empty() && entry.find(L'\xFF08') == std::wstring::npos) name = entry;
    if (!InputQuery(hwnd_, L"名前の編集", L"おともだちの名前を修正してください", name, shell_.Config().IME == 1))
        return;
    // A name is needed: without one the line could not be told from others.
    if (name.empty()) return;
    const std::wstring renamed = RenamedEntry(entry, name);
    if (renamed == entry) return;
    if (source_) source_->ReplaceFriend(entry, renamed);
    ShowGroup(false);
    int i = int(SendMessageW(list1_, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(renamed.c_str())));
    if (i >= 0) SendMessageW(list1_, LB_SETCURSEL, WPARAM(i), 0);
}

void TInputEditer::M_FindNameClick() {
    std::wstring text;
    if (!InputQuery(hwnd_, L"検索文字列の入力", L"検索文字列を入力してください", text) || text.empty()) return;
    int from = int(SendMessageW(list1_, LB_GETCURSEL, 0, 0));
    auto found = FindByName(LinesOf(list1_), size_t(std::max(from, 0)), text);
    if (!found) {
        ShowMsg(L"見つかりません", MB_OK | MB_ICONINFORMATION, hwnd_);
        return;
    }
    SendMessageW(list1_, LB_SETCURSEL, WPARAM(*found), 0);
    SetPeerHint(PeerHint(SelectedEntry()));
}

void TInputEditer::AddAllClick(AddAllKind kind) {
    AddAllResult r = AddAll(LinesOf(list1_), LinesOf(list2_), kind);
    if (r.overLimit) ShowMsg(L"一度に追加できるのは20人までです", MB_OK | MB_ICONINFORMATION, hwnd_);
    for (const auto& entry : r.append) AppendRecipient(entry);
    UpdateSendCommands();
}

void TInputEditer::cb_huseruClick() {
    // Hidden content asks for the read receipt and allows the password.
    const bool hidden = Button_GetCheck(checks_[1]) == BST_CHECKED;
    Button_SetCheck(checks_[2], hidden ? BST_CHECKED : BST_UNCHECKED);
    if (!hidden) Button_SetCheck(checks_[3], BST_UNCHECKED);
    EnableWindow(checks_[3], hidden);
}

void TInputEditer::Label9Click() {
    if (request_.senderAddr.empty()) return;
    const SendLists& lists = source_ ? source_->Lists() : NoLists();
    auto entry = FindReplyEntry({lists.All().begin(), lists.All().end()}, request_.senderAddr, request_.senderSex);
    if (!entry) {
        ShowMsg(L"返信しようとするアドレスは既にネットワーク上に存在しません", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    const std::vector<std::wstring> now = LinesOf(list2_);
    if (std::find(now.begin(), now.end(), *entry) == now.end()) AppendRecipient(*entry);
    UpdateSendCommands();
}

int TInputEditer::FileSendOpt() const {
    for (int i = 0; i < 4; ++i)
        if (Button_GetCheck(fileOpts_[i]) == BST_CHECKED) return i;
    return 0;
}

bool TInputEditer::FileSendOptAct() {
    const int opt = FileSendOpt();
    const std::vector<std::wstring> recipients = LinesOf(list2_);
    const std::wstring& linked = request_.openFName;
    std::wstring refusal =
        FileSendRefusal(opt, recipients, AbsenteeGroup(), linked, !linked.empty() && FileExists(linked));
    if (!refusal.empty()) {
        ShowMsg(refusal, MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return false;
    }
    if (opt == 0 || opt == 3) return true;
    // Options 1 and 2: the file to go, and the question.
    wchar_t file[MAX_PATH * 2] = L"";
    std::wstring folder = lastFileFolder_;
    if (folder.empty()) {
        wchar_t docs[MAX_PATH] = L"";
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, docs))) folder = docs;
    }
    static const wchar_t kFilter[] = L"すべてのファイル (*.*)\0*.*\0";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = DWORD(std::size(file));
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return false;
    const std::wstring path = file;
    lastFileFolder_ = FolderOf(path);
    const std::wstring name = path.substr(lastFileFolder_.size());
    if (ShowMsg(FileSendQuestion(name, opt, ListNameExtract(recipients.front()).name), MB_YESNO | MB_ICONQUESTION,
                hwnd_) != IDYES)
        return false;
    FSelectFilePath = path;
    return true;
}

void TInputEditer::SendCommand(EditorCommand cmd) {
    if (SendMessageW(list2_, LB_GETCOUNT, 0, 0) <= 0) return;
    if (ImageSendFG) return ImageSendCommand(cmd);
    if (!FileSendOptAct()) return;   // the editor stays open
    CloseWith(cmd);
}

void TInputEditer::btn_IPAddrClick() {
    std::wstring text;
    if (!InputQuery(hwnd_, L"IPｱﾄﾞﾚｽの指定", L"aaa . bbb . ccc . ddd 形式で入力してください", text) || text.empty())
        return;
    auto addr = TypedAddress(text);
    if (!addr) {
        ShowMsg(L"無効なIPｱﾄﾞﾚｽです", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    if (SendMessageW(list2_, LB_GETCOUNT, 0, 0) > 0 && !FileSendOptAct()) return;
    TypedAddr = *addr;
    CloseWith(EditorCommand::SendToAddr);
}

void TInputEditer::MItemClick(size_t index) {
    if (index >= recent_.size()) return;
    const SendLists& lists = source_ ? source_->Lists() : NoLists();
    auto entry = RecentItemEntry(recent_[index], {lists.All().begin(), lists.All().end()});
    if (!entry) {
        ShowMsg(L"ネットワーク上に存在しないみたいです", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    const std::wstring addr = ListNameExtract(*entry).ipAddr;
    const std::vector<std::wstring> now = LinesOf(list2_);
    const bool there = std::any_of(now.begin(), now.end(), [&](const std::wstring& e) {
        return SameIPv4(ListNameExtract(e).ipAddr, addr);
    });
    if (!there) AppendRecipient(*entry);
    UpdateSendCommands();
}

void TInputEditer::FillSendRequest(SendRequest& send) const {
    send.recipients = LinesOf(list2_);
    auto on = [&](int i) { return Button_GetCheck(checks_[i]) == BST_CHECKED; };
    send.cb_SendOk = on(0);
    send.cb_huseru = on(1);
    send.cb_Check = on(2);
    send.cb_Password = on(1) && on(3);
    send.cb_Zenmen = on(4);
    send.fileSendOpt = FileSendOpt();
    send.filePath = FSelectFilePath;
    send.absenteeGroup = AbsenteeGroup();
    send.TypedAddr = flags_.EditSendMode == 3 ? TypedAddr : std::wstring();
}

LRESULT CALLBACK TInputEditer::ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TInputEditer*>(ref);
    switch (msg) {
        case WM_KEYDOWN:
            if (wp == VK_DELETE && int(id) == ID_E_ListBox1) {
                self->M_DeleteClick();
                return 0;
            }
            break;
        case WM_CONTEXTMENU: {
            POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (int(id) == ID_E_ListBox1) self->PopupMenu3At(pt);
            else self->PopupMenu4At(pt);
            return 0;
        }
        case WM_NCDESTROY:
            RemovePropW(h, kHintProp);
            RemoveWindowSubclass(h, ListProc, id);
            break;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

}  // namespace kelup
