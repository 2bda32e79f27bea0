#pragma once
// What the image notes ask of the note store. A class of its own beside the
// store, so that questions both kinds of note ask under the same name (may
// this note open its file?) reach the image notes' answer, not the text
// notes'.

#include "notes/ImageHost.h"
#include "store/NoteStore.h"

namespace kelup {

class ImageNotesHost final : public ImageHost {
public:
    explicit ImageNotesHost(NoteStore& store) : store_(store) {}

    const Settings& NoteConfig() const override { return store_.NoteConfig(); }
    bool NetworkOff() const override { return store_.NetworkOff(); }
    bool NetDisabled() const override { return store_.NetDisabled(); }
    bool LimitBusy() const override { return store_.LimitBusy(); }
    bool ImageSlotsFull() const override { return store_.ImageNotes.Full(); }
    void BringAppToFront() override { store_.BringAppToFront(); }
    UINT AddHiddenEntry(bool textNote, int number, const std::wstring& caption) override {
        return store_.AddHiddenEntry(textNote, number, caption);
    }
    void ImageExitClick(int slot) override { store_.ImageExitClick(slot); }
    int MakeBKelup(int mode, int hideMode, const std::wstring& FName) override {
        return store_.MakeBKelup(mode, hideMode, FName);
    }
    void SetPictureFolder(const std::wstring& folder) override { store_.pictureFolder_ = folder; }
    int DropPicture(const std::wstring& path) override { return store_.DropPicture(path); }
    int MakeKelup(const std::wstring& FName) override { return store_.MakeKelup(FName); }
    void MainMenuPopup(POINT pt) override { store_.MainMenuPopup(pt); }
    void M_ExitClick() override { store_.M_ExitClick(); }
    bool ChooseAssociation(HWND owner, std::wstring& text) override { return store_.ChooseAssociation(owner, text); }
    void ImageLimitClick(int slot) override;
    void SendImage(int slot) override { store_.SendImageNote(slot); }
    void SaveNotes() override { store_.SaveData(); }
    std::wstring DataFolder() const override { return store_.DataFolder(); }

private:
    NoteStore& store_;
};

}  // namespace kelup
