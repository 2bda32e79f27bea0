#pragma once
// What the transfer of files and pictures offers the rest of the program,
// and what it asks of the note store when a picture has arrived.

#include <cstdint>
#include <string>

namespace kelup {

struct ResultPacket;

// The picture of an image note offered to one peer.
struct ImageOffer {
    std::wstring addr;           // the recipient's address
    std::wstring path;           // the picture file (Bmpname)
    int width = 0, height = 0;   // the picture area as shown (without the title)
    bool hidden = false;         // "内容をふせて貼り付ける": stuck hidden at the other end
    int bmpMode = 0;             // the title is shown
    std::wstring title;          // StringBuf
    bool confirm = false;        // "正常送信を確認する": the completion is reported
    int slot = 999;              // the image note (OpenBKelupNo)
    bool removeAfter = false;    // "送信してはがす": the note is peeled once the picture arrived
};

// Offers made from the compose editor and the image notes; each sends the
// announcement datagram and the transfer follows when the peer is ready.
class FileOffers {
public:
    // A file to `addr`; false, with a message shown, when it cannot be offered.
    // `confirm`: the send was one with "正常送信を確認する".
    virtual bool OfferFile(const std::wstring& addr, const std::wstring& path, bool confirm) = 0;
    virtual bool OfferImage(const ImageOffer& offer) = 0;

protected:
    ~FileOffers() = default;
};

// A picture received from a peer and saved in the data folder.
struct ReceivedPicture {
    std::wstring path;               // the saved picture file (RecvFileName)
    int width = 0, height = 0;       // the announced picture area
    bool hidden = false;             // stick it hidden
    int bmpMode = 0;                 // show the title
    std::wstring senderIdentity;     // RecvImgSender
    std::wstring senderAddr;         // RecvImgPeer
    std::wstring title;              // RecvImgTitle
    double sendDate = 0, sendTime = 0;   // when the announcement arrived (day serial; fraction of a day)
};

// What the transfer asks of the note store.
class PictureSink {
public:
    // A new image note for the received picture (the note made from a
    // received picture), the announced fields applied; its slot, or 999.
    virtual int MakeReceivedPicture(const ReceivedPicture& picture) = 0;
    // Image note `slot` is peeled (a send-and-peel whose picture arrived).
    virtual void PeelImageNote(int slot) = 0;

protected:
    ~PictureSink() = default;
};

// What the transfer asks of the LAN: its datagrams to a peer.
class TransferLink {
public:
    // A native result packet (SendResult): `extra` is the announcement's
    // "name;size;" for 60. False when it was not sent (too long, no socket).
    virtual bool SendTransferResult(int res, const std::wstring& addr, const std::wstring& extra) = 0;
    // KL_IMAGESENDREADY with our own identity as the sender.
    virtual bool SendImageAnnouncement(const std::wstring& addr, const std::wstring& fileName, std::uint64_t size,
                                       int width, int height, bool hidden, int bmpMode, const std::wstring& title) = 0;

protected:
    ~TransferLink() = default;
};

// What the LAN hands the transfer: the announcements of files and pictures
// and the answers to ours (KL_FILESENDREADY ... KL_IMAGERECIEVERR, KL_BUSY).
class TransferPackets {
public:
    virtual void OnTransferPacket(const ResultPacket& packet, const std::wstring& source) = 0;

protected:
    ~TransferPackets() = default;
};

}  // namespace kelup
