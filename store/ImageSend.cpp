// Sending an image note's picture: the compose editor in its image mode
// chooses the recipient, the transfer offers the picture.

#include "store/NoteStore.h"

#include "app/ShowMsg.h"
#include "base/FileOps.h"
#include "net/SendList.h"
#include "notes/TBMPKELUPSHI.h"
#include "transfer/TransferApi.h"

namespace kelup {

void NoteStore::SendImageNote(int slot) {
    TBMPKELUPSHI* note = ImageNotes.At(slot);
    if (!note || !compose_ || compose_->EditorOpen()) return;
    EditRequest request;
    request.slot = slot;
    request.imageMode = true;
    const EditResult r = compose_->Edit(request);
    note = ImageNotes.At(slot);
    if (!note) return;
    if (r.EditSendMode == 0 || r.send.recipients.empty()) {
        if (r.EditRemoveFG == 1) ImageExitClick(slot);   // "はがす" without sending
        return;
    }
    if (!offers_) return;
    // Only a picture in a file can go; a note's picture is written as it is made.
    if (note->Bmpname.empty() || !FileExists(note->Bmpname)) {
        ShowMsg(L"送信するイメージのファイルが見つかりません\r" + note->Bmpname, MB_OK | MB_ICONEXCLAMATION, Owner());
        return;
    }
    const RECT b = note->Bounds();
    ImageOffer offer;
    offer.addr = ListNameExtract(r.send.recipients.front()).ipAddr;
    offer.path = note->Bmpname;
    offer.width = b.right - b.left;
    offer.height = (b.bottom - b.top) - (note->TitleShown() ? note->TitleHeight() : 0);
    offer.hidden = r.send.cb_huseru;
    offer.bmpMode = note->BmpMode;
    offer.title = note->StringBuf;
    offer.confirm = r.send.cb_SendOk;
    offer.slot = slot;
    // "送信してはがす": the note goes once the picture has arrived, so a
    // failed transfer loses nothing.
    offer.removeAfter = r.EditSendMode == 2;
    offers_->OfferImage(offer);
}

}  // namespace kelup
