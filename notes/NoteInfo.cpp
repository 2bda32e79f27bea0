#include "notes/NoteInfo.h"

namespace kelup {

std::wstring NoteInfoText(const NoteInfoFacts& f) {
    std::wstring t = L"作成年月日：" + f.made;
    t += L"\r文字情報ﾌｧｲﾙ名：" + f.dataName;
    if (!f.bkgndName.empty()) t += L"\r背景ｲﾒｰｼﾞﾌｧｲﾙ名：" + f.bkgndName;
    if (!f.senderName.empty())
        t += L"\r送信者名：" + f.senderName + L"\r送信日時：" + f.sendDate + L"　" + f.sendTime;
    if (!f.senderAddr.empty()) t += L"\r送信元IPｱﾄﾞﾚｽ：" + f.senderAddr;
    if (f.hasDeadline)
        t += f.everyDay ? L"\r期日：毎日　" + f.deadlineTime : L"\r期日：" + f.deadlineDate + L" " + f.deadlineTime;
    if (!f.openFName.empty()) {
        size_t slash = f.openFName.find_last_of(L"\\/");
        t += L"\r関連づけられたファイル：" + (slash == std::wstring::npos ? f.openFName : f.openFName.substr(slash + 1));
    }
    return t;
}

}  // namespace kelup
