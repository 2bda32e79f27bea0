#pragma once
// A store for an image note under test: settings and a screen to set, and a
// record of what the note asked for.

#include <string>
#include <vector>

#include "app/Settings.h"
#include "notes/ImageHost.h"

namespace kelup::test {

class FakeImageHost : public ImageHost {
public:
    Settings config;
    bool networkOff = false, netDisabled = false, full = false;
    SIZE screen{1920, 1080};
    const Settings& NoteConfig() const override { return config; }
    bool NetworkOff() const override { return networkOff; }
    bool NetDisabled() const override { return netDisabled; }
    bool LimitBusy() const override { return false; }
    bool ImageSlotsFull() const override { return full; }
    void BringAppToFront() override {}
    // The captions of the hidden-note entries asked for, newest last.
    std::vector<std::wstring> hidden;
    std::vector<bool> hiddenText;
    UINT AddHiddenEntry(bool textNote, int, const std::wstring& caption) override {
        hidden.push_back(caption);
        hiddenText.push_back(textNote);
        return UINT(hidden.size());
    }
    std::vector<int> peeled;
    void ImageExitClick(int slot) override { peeled.push_back(slot); }
    // What was asked to be made: "bkelup <mode> <file>", "kelup <file>", "drop <file>".
    std::vector<std::wstring> made;
    std::wstring pictureFolder;
    int MakeBKelup(int mode, int, const std::wstring& FName) override {
        made.push_back(L"bkelup " + std::to_wstring(mode) + L" " + FName);
        return 999;
    }
    void SetPictureFolder(const std::wstring& folder) override { pictureFolder = folder; }
    int DropPicture(const std::wstring& path) override {
        made.push_back(L"drop " + path);
        return 999;
    }
    int MakeKelup(const std::wstring& FName) override {
        made.push_back(L"kelup " + FName);
        return 999;
    }
    void MainMenuPopup(POINT) override {}
    int exits = 0;
    void M_ExitClick() override { ++exits; }
    bool ChooseAssociation(HWND, std::wstring&) override { return false; }
    std::vector<int> limits, sends;
    void ImageLimitClick(int slot) override { limits.push_back(slot); }
    void SendImage(int slot) override { sends.push_back(slot); }
    int saves = 0;
    void SaveNotes() override { ++saves; }
    std::wstring DataFolder() const override { return L"C:\\data\\"; }
    SIZE ScreenSize() const override { return screen; }
};

}  // namespace kelup::test
