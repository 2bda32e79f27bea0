// The main window's send lists: their files, the search, and the dump the
// test bench reads.

#include <windows.h>

#include "app/RARADAVE.h"
#include "base/Cp932.h"
#include "base/FileOps.h"
#include "net/NetState.h"
#include "net/NativePacket.h"

namespace kelup {

void RARADAVE::LoadLists() {
    NetState& n = Net();
    std::string bytes;
    if (ReadWholeFile(Path.SendListPath, bytes)) n.lisLines = ReadListFile(bytes);
    bytes.clear();
    if (ReadWholeFile(Path.FriendListPath, bytes)) n.frdLines = ReadListFile(bytes);
    // The extra addresses announcements also go to.
    n.IPAddrList.clear();
    int count = Ini.GetInt(L"SendList", L"Count", 0);
    for (int i = 1; i <= count && i <= 1024; ++i) {
        std::wstring entry = Ini.GetString(L"SendList", L"Name" + std::to_wstring(i), L"");
        if (!entry.empty()) n.IPAddrList.push_back(entry);
    }
}

void RARADAVE::ListSave() {
    NetState& n = Net();
    Ini.EraseSection(L"SendList");
    if (n.IPAddrList.empty()) return;
    Ini.WriteInt(L"SendList", L"Count", int(n.IPAddrList.size()));
    for (size_t i = 0; i < n.IPAddrList.size(); ++i)
        Ini.WriteString(L"SendList", L"Name" + std::to_wstring(i + 1), n.IPAddrList[i]);
}

void RARADAVE::AllListWrite() {
    if (NetDisabled != 0 || NetworkOff != 0) return;
    NetState& n = Net();
    WriteFileAtomic(Path.SendListPath, WriteListFile(n.lists.LisLines()));
    WriteFileAtomic(Path.FriendListPath, WriteListFile(n.lists.FrdLines()));
}

void RARADAVE::RecipientSearch() {
    if (NetDisabled != 0 || NetworkOff != 0) return;
    NetState& n = Net();
    // The first search of the run also brings back the friends.
    n.lists.NewSearch(n.lisLines);
    if (!n.firstSearchDone) {
        n.lists.LoadFriends(n.frdLines);
        n.firstSearchDone = true;
    }
    BroadCast(n.MyIPAddr, n.MyHostName, NativeCommand::NetEntry);
    Delay(500);
    if (Closing) return;
    BroadCastP(L"1");
}

int RARADAVE::DumpLists() {
    NetState& n = Net();
    std::string out;
    int lines = 0;
    for (size_t i = 0; i < n.lists.Count(); ++i) {
        std::wstring caption = i == SendLists::kAll ? std::wstring(kAllGroupName)
                             : i == SendLists::kAbsent ? std::wstring(kAbsentGroupName)
                             : i == SendLists::kFriends ? std::wstring(kFriendsGroupName)
                                                        : n.lists.SectionName(i);
        for (const auto& entry : n.lists.List(i)) {
            std::wstring line = std::to_wstring(i) + L"\t" + caption + L"\t" + entry + L"\n";
            int len = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), nullptr, 0, nullptr, nullptr);
            std::string u(size_t(len), '\0');
            WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), u.data(), len, nullptr, nullptr);
            out += u;
            ++lines;
        }
    }
    WriteFileAtomic(Path.DataDir + L"lists.dump", out);
    return lines;
}

}  // namespace kelup
