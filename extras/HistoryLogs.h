#pragma once
// The main menu's log entries for the LAN: the send/receive log and the
// history window's day files, opened in the editor of the setting Editer.

namespace kelup {

class Shell;

// "送受信ログ": "LOG\kelup.nlg" in the editor, or a word that there is none yet.
void M_NLOGClick(Shell& shell);
// "送受信ログ（日付別）": a day file chosen in the log folder, in the editor.
void M_Log2Click(Shell& shell);

}  // namespace kelup
