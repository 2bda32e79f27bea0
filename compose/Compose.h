#pragma once
// The compose window's subsystem: the editor in which notes are written and
// from which they are sent, with the keys it writes at exit. The editor
// window itself is TInputEditer; this object owns it and is what the rest
// of the program calls.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compose/Recipients.h"
#include "notes/RichText.h"

namespace kelup {

class Shell;
struct Settings;
class TInputEditer;

// What the opener hands the editor before it shows.
struct EditRequest {
    int slot = 0;                     // OpenKelupNo and OpenNKelupNo
    int KlnColor = 0;                 // the note's colour
    int ORGColor = 0;                 // its own colour: the text area's when EditerBkgnd is 1
    std::wstring caption = L"ケラップx64";
    // The RTF file the text is loaded from (the Org copy or the text file);
    // empty: the editor starts empty (a note being made).
    std::wstring textPath;
    // A note just made: the text starts with this font (and left alignment).
    bool newNoteFont = false;
    TextFont font;
    // -1: reply mode (all lines quoted on opening, QuoteOnOpenFG).
    int sendMode = 0;
    // The note was made by the new-note command (NoteJustMade).
    bool noteJustMade = false;
    // The note is locked (a send-and-peel keeps it).
    bool locked = false;
    // Sender of a received note: address (reply), the line shown, third field.
    std::wstring senderAddr, senderLine, senderSex;
    // The note's associated file (OpenFName): what file option 3 sends.
    std::wstring openFName;
    // Run once the editor is ready for typing: work that can wait until then.
    std::function<void()> afterReady;
    // Image mode: the editor reduced to its recipients, "送信" and "✕", to
    // send the picture of the image note in `slot` (OpenBKelupNo). A send
    // command closes it whether the recipient passed the image check or not;
    // only a passed check gives a send mode.
    bool imageMode = false;
};

// The lower area's choices as the editor closed with a send command: what
// the sending reads (recipients, options, the typed address).
struct SendRequest {
    std::vector<std::wstring> recipients;   // ListBox2: one send-list entry each, in order
    bool cb_SendOk = false;                 // 正常送信を確認する
    bool cb_huseru = false;                 // 内容をふせて貼り付ける
    bool cb_Password = false;               // 開封時パスワードを要求する (only with cb_huseru)
    bool cb_Check = false;                  // 相手が読んだことを確認する
    bool cb_Zenmen = false;                 // 相手に確認メッセージを表示する
    int fileSendOpt = 0;                    // RG_FileSendOpt 0..3
    std::wstring filePath;                  // FSelectFilePath: the file chosen for options 1 and 2
                                            // (option 3 sends the note's associated file); the
                                            // offer goes through RecipientSource::OfferFileTransfer
    bool absenteeGroup = false;             // TreeView1 had "!!不在者" selected
    std::wstring TypedAddr;                 // send mode 3: the address as typed
};

// What the opener reads after the editor has closed.
struct EditResult {
    int EditUpdateFG = 0;     // 0 leave the note, 1 apply, 3 apply after the close question
    int EditSendMode = 0;     // 0 no sending, 1 send, 2 send and peel, 3 to a typed address
    int EditRemoveFG = 0;     // 1 peel the note
    int KlnColor = 0;
    int EditerBkgnd = 1;      // as switched in the editor
    // Memo1 as RTF written without word wrap, and its paragraph count; set
    // when EditUpdateFG > 0 or EditSendMode > 0.
    std::string rtf;
    int lineCount = 0;
    // Set when EditSendMode > 0.
    SendRequest send;
};

// What the editor asks of the rest of the program.
class EditorHost {
public:
    // "新しい付箋紙として作成": a new note from the editor's text as plain
    // lines; its slot, or a negative value when none was made.
    virtual int MakeNoteFromLines(const std::vector<std::wstring>& lines) = 0;
    // A schedule date inserted for the note in `slot`: `day` (at 00:00)
    // becomes its deadline when `asDeadline`; a note with a deadline has its
    // deadline state re-evaluated either way.
    virtual void ScheduleDeadline(int slot, double day, bool asDeadline) = 0;
    // Deadlines are checked (OnlyDateCheck or a colour rule is on).
    virtual bool DeadlineCheckingOn() const = 0;

protected:
    ~EditorHost() = default;
};

class Compose final : public RecipientView {
public:
    explicit Compose(Shell& shell);
    ~Compose();
    Compose(const Compose&) = delete;
    Compose& operator=(const Compose&) = delete;

    void Wire(EditorHost* host) { host_ = host; }
    // Where the lower area's lists come from; the source tells back when they change.
    void WireRecipients(RecipientSource* source);
    void ListsChanged() override;
    // Makes the editor window now (at start, once the main window exists),
    // so the first opening only shows it.
    void Prepare() { Editor(); }

    bool EditorOpen() const { return EditorOpen_; }
    // Shows the editor modally for one note and returns what it decided.
    EditResult Edit(const EditRequest& request);
    // The editor's text as plain lines (for a note made from it).
    std::vector<std::wstring> Lines() const;
    // The editor window, or null while it has not been made.
    HWND EditorHandle() const;
    // Benchmark clock (base/Clock.h): when the editor last became ready for
    // typing (shown, painted, Memo1 focused), and when "付箋紙へ表示" (or
    // "更新") or a send command was last pressed. 0 until then.
    long long ReadyAt() const { return readyAt_; }
    long long AppliedAt() const { return appliedAt_; }

    // Shutdown: the editor closes without asking.
    void CloseEditor();
    // After a send: its recipients (send-list entries) go on top of the menu
    // of recent recipients.
    void AddRecentRecipients(const std::vector<std::wstring>& entries);
    // "kelup.frh": the recipient-list menu items.
    void WriteRecipientMenuItems();
    // The editor's window sizes and the default note design, in kelup.ini.
    void WriteWindowKeys();

private:
    TInputEditer& Editor();

    Shell& shell_;
    EditorHost* host_ = nullptr;
    RecipientSource* source_ = nullptr;
    std::unique_ptr<TInputEditer> editor_;
    bool EditorOpen_ = false;
    long long readyAt_ = 0, appliedAt_ = 0;
};

}  // namespace kelup
