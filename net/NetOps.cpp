// The main window's send lists: their files, the search, and the dump the
// test bench reads.

#include <windows.h>

#include "net/Lan.h"

#include "app/IniFile.h"
#include "base/Cp932.h"
#include "base/FileOps.h"
#include "net/NativePacket.h"

namespace kelup {

void Lan::LoadLists() {
    std::string bytes;
    // Only well-formed entries in valid code page 932 come back from the files.
    if (ReadWholeFile(Path.SendListPath, bytes)) lisLines = ReadSendListFile(bytes);
    bytes.clear();
    if (ReadWholeFile(Path.FriendListPath, bytes)) frdLines = ReadSendListFile(bytes);
    // The extra addresses announcements also go to.
    IPAddrList.clear();
    IniFile Ini(Path.IniPath);
    int count = Ini.GetInt(L"SendList", L"Count", 0);
    for (int i = 1; i <= count && i <= 1024; ++i) {
        std::wstring entry = Ini.GetString(L"SendList", L"Name" + std::to_wstring(i), L"");
        if (!entry.empty()) IPAddrList.push_back(entry);
    }
}

void Lan::ListSave() {
    IniFile Ini(Path.IniPath);
    Ini.EraseSection(L"SendList");
    if (IPAddrList.empty()) return;
    Ini.WriteInt(L"SendList", L"Count", int(IPAddrList.size()));
    for (size_t i = 0; i < IPAddrList.size(); ++i)
        Ini.WriteString(L"SendList", L"Name" + std::to_wstring(i + 1), IPAddrList[i]);
}

void Lan::AllListWrite() {
    if (Off()) return;
    WriteFileAtomic(Path.SendListPath, WriteSendListFile(lists.LisLines()));
    WriteFileAtomic(Path.FriendListPath, WriteSendListFile(lists.FrdLines()));
}

void Lan::RecipientSearch() {
    if (Off()) return;
    // The first search of the run also brings back the friends.
    lists.NewSearch(lisLines);
    if (!firstSearchDone) {
        lists.LoadFriends(frdLines);
        firstSearchDone = true;
    }
    BroadCast(MyIPAddr, MyHostName, NativeCommand::NetEntry);
    shell_.Delay(500);
    if (shell_.State().Closing) return;
    BroadCastP(L"1");
}

int Lan::DumpLists() {
    std::string out;
    int lines = 0;
    for (size_t i = 0; i < lists.Count(); ++i) {
        std::wstring caption = i == SendLists::kAll ? std::wstring(kAllGroupName)
                             : i == SendLists::kAbsent ? std::wstring(kAbsentGroupName)
                             : i == SendLists::kFriends ? std::wstring(kFriendsGroupName)
                                                        : lists.SectionName(i);
        for (const auto& entry : lists.List(i)) {
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
