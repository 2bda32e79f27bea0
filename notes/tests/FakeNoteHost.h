#pragma once
// A store for a note window under test: settings to set, and a record of
// what the note asked for.

#include <string>
#include <vector>

#include "app/Settings.h"
#include "notes/NoteHost.h"
#include "notes/RichText.h"

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
    bool DirectEditing() const override { return directEdit != 999; }
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
    void InputBoxExec(int, int) override {}
    // In-place editing and text commands: the note's files in `folder`.
    std::wstring folder;
    int directEdit = 999;
    // What the password question answers; how often it was asked.
    bool revealAnswer = true;
    int revealAsked = 0;
    bool MayReveal(int) override {
        ++revealAsked;
        return revealAnswer;
    }
    int compDates = 0, backups = 0;
    void EnterDirectEdit(int slot) override { directEdit = slot; }
    void LeaveDirectEdit(int slot) override {
        if (directEdit == slot) directEdit = 999;
    }
    int DirectEditSlot() const override { return directEdit; }
    std::wstring TypedTextPath(int slot) const override {
        std::wstring p = NoteTextPath(slot);
        return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES ? p : std::wstring();
    }
    std::wstring NoteTextPath(int slot) const override {
        return folder.empty() ? std::wstring() : folder + L"kelup" + std::to_wstring(slot) + L".kdt";
    }
    std::wstring DataFolder() const override { return folder; }
    // Set by the test to the note under test: its text is written as the store does.
    HWND noteText = nullptr;
    bool WriteNoteText(int slot, bool) override;
    void CompDate(int) override { ++compDates; }
    void SaveBackUpKdt(int) override { ++backups; }
    std::wstring SaveTextFolder() const override { return folder; }
    std::wstring hint;
    bool hintShown = false;
    DefaultDesign saved;
    int saves = 0;
};

inline bool FakeNoteHost::WriteNoteText(int slot, bool) {
    std::wstring path = NoteTextPath(slot);
    if (path.empty() || !noteText) return false;
    std::string rtf = RichToRtf(noteText);
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    bool ok = WriteFile(f, rtf.data(), DWORD(rtf.size()), &done, nullptr) && done == rtf.size();
    CloseHandle(f);
    return ok;
}

}  // namespace kelup::test
