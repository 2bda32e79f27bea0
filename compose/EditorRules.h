#pragma once
// The compose editor's rules that need no window: what each closing command
// leaves for the opener, quoting, the font size typed into the toolbar.

#include <string>
#include <vector>

namespace kelup {

enum class EditorCommand {
    Apply,       // "付箋紙へ表示", "更新"
    Update,      // "付箋紙を更新(&S)"
    Close,       // "閉じる(&X)", "ｷｬﾝｾﾙ"
    CloseBox,    // "✕" and the window frame
    Peel,        // "はがす"
    NewNote,     // "新しい付箋紙として作成"
    SendOnly,    // "送信", "送信のみ（付箋紙は更新しない）"
    SendUpdate,  // "送信して更新", "送信して付箋紙を更新(&V)"
    SendPeel,    // "送信してはがす", "送信して付箋紙をはがす"
    SendToAddr,  // "IPアドレスを指定して送信"
};

// The answer to the close question ("変更を付箋紙に反映させますか？").
enum class CloseAnswer { NotAsked, Yes, No, Cancel };

struct EditorFlags {
    int EditUpdateFG = 0, EditSendMode = 0, EditRemoveFG = 0;
};

// The flags after a closing command. `noteJustMade` and `locked` are the
// note's; `answer` is the close question's answer for CloseBox. False when
// the editor stays open (the close question was cancelled).
bool ApplyCloseCommand(EditorCommand cmd, EditorFlags& f, bool noteJustMade, bool locked,
                       CloseAnswer answer = CloseAnswer::NotAsked);
// The close question is asked: "✕" or the frame with changes in the editor.
bool AsksCloseQuestion(EditorCommand cmd, bool changed);

// What quoting does to each line, last to first: quote it (">" in front) or
// delete it. `dropQuoted`: the second command, which deletes empty lines and
// lines that already begin with ">".
enum class QuoteAction { Quote, Delete };
std::vector<QuoteAction> QuotePlan(const std::vector<std::wstring>& lines, bool dropQuoted);
// The lines as quoting leaves them.
std::vector<std::wstring> QuoteLines(const std::vector<std::wstring>& lines, bool dropQuoted);

// The size typed or chosen in the toolbar's size box: the number (8 when it
// is not one); 0 when it is 5 or less and nothing is to change.
int FontSizeFromText(const std::wstring& text);

}  // namespace kelup
