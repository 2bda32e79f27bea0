#pragma once
// The one hint window shared by all notes: it shows a note's whole text at
// the pointer, in the system's tooltip colours.

#include <windows.h>

#include <string>

#include "base/Handles.h"
#include "base/Window.h"

namespace kelup {

inline constexpr wchar_t kNoteHintClass[] = L"KeluponNoteHint";

class NoteHint : public BaseWindow<NoteHint> {
public:
    // Shows `text` with its top-left corner at `pt` (screen), at most 1024
    // pixels wide.
    void ShowAt(const std::wstring& text, POINT pt);
    void Hide();
    bool Shown() const { return shown_; }
    const std::wstring& Text() const { return text_; }

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    bool EnsureWindow();
    void Paint();

    std::wstring text_;
    bool shown_ = false;
    AutoFont font_;
};

}  // namespace kelup
