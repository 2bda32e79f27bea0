#pragma once
// What the compose window's lower area asks of the LAN side (the send
// lists, a new search, friends, absentees, the shutdown request), and what
// the LAN side tells it back (the lists changed).

#include <string>

#include "net/SendList.h"

namespace kelup {

// The compose side: told when peers came or went, so the tree and the
// group shown follow.
class RecipientView {
public:
    virtual void ListsChanged() = 0;

protected:
    ~RecipientView() = default;
};

class RecipientSource {
public:
    virtual const SendLists& Lists() const = 0;
    // The lists are told to `view` from now on (null: no longer).
    virtual void WireRecipientView(RecipientView* view) = 0;
    // A new search: lists 0, 1 and the sections start again and the peers
    // are asked to announce themselves; returns once the announcements are
    // out (messages are handled meanwhile).
    virtual void StartSearch() = 0;
    // AddMyFriend / DelMyFriend: list 2 changes and the friends file is written.
    virtual SendLists::FriendAdd AddMyFriend(const std::wstring& entry) = 0;
    virtual void DelMyFriend(const std::wstring& entry) = 0;
    // "おともだちを編集": the friend `oldEntry` becomes `newEntry`; the friends
    // file is written. False when there was no such friend.
    virtual bool ReplaceFriend(const std::wstring& oldEntry, const std::wstring& newEntry) = 0;
    // The first absentee with the entry's address leaves list 1 and the
    // absentee list kept from the start; the list files are written.
    virtual void RemoveAbsentee(const std::wstring& entry) = 0;
    // Every absentee goes; the list files are written.
    virtual void RemoveAllAbsentees() = 0;
    // The remote shutdown request to `addr`.
    virtual void ShutdownRequest(const std::wstring& addr) = 0;
    // The offer of a file to a peer (the file transfer's request 60: the
    // file's name and size). False when it could not be made.
    virtual bool OfferFileTransfer(const std::wstring& addr, const std::wstring& path) = 0;

protected:
    ~RecipientSource() = default;
};

}  // namespace kelup
