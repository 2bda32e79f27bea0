// What the compose window's lower area asks of the LAN: the lists it
// shows, a new search, friends and absentees, the shutdown request.

#include <windows.h>

#include "net/Lan.h"

#include "base/FileOps.h"
#include "net/NativePacket.h"
#include "net/PacketText.h"

#include <algorithm>

namespace kelup {

void Lan::StartSearch() {
    RecipientSearch();
    if (recipientView_) recipientView_->ListsChanged();
}

void Lan::WriteFriends() {
    if (Off()) return;
    WriteFileAtomic(Path.FriendListPath, WriteListFile(lists.FrdLines()));
}

SendLists::FriendAdd Lan::AddMyFriend(const std::wstring& entry) {
    SendLists::FriendAdd r = lists.AddFriend(entry);
    if (r == SendLists::FriendAdd::Added) WriteFriends();
    return r;
}

void Lan::DelMyFriend(const std::wstring& entry) {
    if (lists.DelFriend(entry)) WriteFriends();
}

bool Lan::ReplaceFriend(const std::wstring& oldEntry, const std::wstring& newEntry) {
    if (!lists.ReplaceFriend(oldEntry, newEntry)) return false;
    WriteFriends();
    return true;
}

void Lan::RemoveAbsentee(const std::wstring& entry) {
    const std::wstring addr = ListNameExtract(entry).ipAddr;
    lists.RemoveAbsentee(addr);
    // Nor does it come back with the next search.
    auto kept = std::find_if(lisLines.begin(), lisLines.end(),
                             [&](const std::wstring& e) { return SameIPv4(ListNameExtract(e).ipAddr, addr); });
    if (kept != lisLines.end()) lisLines.erase(kept);
    AllListWrite();
}

void Lan::RemoveAllAbsentees() {
    lists.ClearAbsentees();
    lisLines.clear();
    AllListWrite();
}

void Lan::ShutdownRequest(const std::wstring& addr) {
    if (!IsDottedIPv4(addr)) return;
    SendResult(int(NativeResult::Shutdown), addr, L"");
}

bool Lan::OfferFileTransfer(const std::wstring& addr, const std::wstring& path) {
    // The file transfer makes the offer (request 60) and sends once the peer is ready.
    return fileOffers_ && fileOffers_->OfferFile(addr, path, false);
}

}  // namespace kelup
