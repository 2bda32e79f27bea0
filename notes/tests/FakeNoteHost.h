#pragma once
// A store for a note window under test: settings to set, and a record of
// what the note asked for.

#include <string>
#include <vector>

#include "app/Settings.h"
#include "notes/NoteHost.h"

namespace kelup::test {

class FakeNoteHost : public NoteHost {
public:
    Settings config;
    bool full = false;
    const Settings& NoteConfig() const override { return config; }
    bool NetworkOff() const override { return false; }
    bool NetDisabled() const override { return false; }
    bool EditorOpen() const override { return false; }
    bool LimitBusy() const override { return false; }
    bool DirectEditing() const override { return false; }
    bool TextSlotsFull() const override { return full; }
    void BringAppToFront() override {}
    // The captions of the hidden-note entries asked for, newest last.
    std::vector<std::wstring> hidden;
    UINT AddHiddenEntry(bool, int, const std::wstring& caption) override {
        hidden.push_back(caption);
        return UINT(hidden.size());
    }
    void PeelNote(int, PeelKind) override {}
    int MakeKelup(const std::wstring&) override { return 0; }
    void RepKelup(int, int) override {}
    void MainMenuPopup(POINT) override {}
    void M_ExitClick() override {}
    bool ChooseColour(HWND, int&) override { return false; }
    bool ChooseAssociation(HWND, std::wstring&) override { return false; }
    void SaveDefaultDesign(const DefaultDesign& d) override { saved = d; }
    void SaveNotes() override { ++saves; }
    void RecolourTextFile(int, int) override {}
    void ReplaceTextFromFile(int, const std::wstring&) override {}
    void ShowHint(const std::wstring& text, POINT) override { hint = text, hintShown = true; }
    void HideHint() override { hintShown = false; }
    bool HintShown() const override { return hintShown; }
    void ArrivalSeen() override {}
    void M_LimitClick(int) override {}
    std::wstring hint;
    bool hintShown = false;
    DefaultDesign saved;
    int saves = 0;
};

}  // namespace kelup::test
