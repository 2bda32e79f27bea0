#pragma once
// The text of a note's information box ("情報...").

#include <string>

namespace kelup {

struct NoteInfoFacts {
    std::wstring made;                  // MakeDT: date and time in the system's formats
    std::wstring dataName, bkgndName;
    std::wstring senderName;            // as the peer list shows the sender; empty for own notes
    std::wstring sendDate, sendTime;
    std::wstring senderAddr;
    bool hasDeadline = false, everyDay = false;
    std::wstring deadlineDate, deadlineTime;
    std::wstring openFName;
};

// Lines separated by "\r".
std::wstring NoteInfoText(const NoteInfoFacts& f);

}  // namespace kelup
