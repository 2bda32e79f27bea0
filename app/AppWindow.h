#pragma once
// The application window: owner of the notes and of the task-bar button,
// and the window whose title tells that a note has arrived.

#include <windows.h>

#include <string>

#include "base/Window.h"

namespace kelup {

inline constexpr wchar_t kAppWindowClass[] = L"KeluponApp";

class AppWindow : public BaseWindow<AppWindow> {
public:
    bool Create(HICON icon);
    void SetTitle(const std::wstring& title);
    std::wstring Title() const;
    // With a task-bar button: WS_EX_APPWINDOW, shown and brought forward;
    // without: hidden, WS_EX_TOOLWINDOW.
    void ShowButton(bool show);
    void BringToFront();
    bool Minimized() const { return minimized_; }

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    bool minimized_ = false;
};

}  // namespace kelup
