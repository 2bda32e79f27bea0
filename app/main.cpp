// Process entry: one instance per user session, an invisible main window,
// and the message loop of the one user-interface thread.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/AppWindow.h"
#include "app/RARADAVE.h"
#include "base/Handles.h"

namespace {

// The main window, for the exception handler: an exception ends the program
// through its usual shutdown.
HWND g_mainWindow = nullptr;

// An exception that reached the message loop: shown, then the program ends
// through its usual shutdown.
void AppException(const char* what) {
    std::wstring text;
    for (const char* p = what; *p; ++p) text += wchar_t(static_cast<unsigned char>(*p));
    MessageBoxW(nullptr, text.c_str(), kelup::kAppTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    HWND main = g_mainWindow;
    if (!main) main = FindWindowW(kelup::kMainClass, nullptr);
    if (main) PostMessageW(main, WM_CLOSE, 0, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // 2. Another instance holds the mutex: end at once, silently.
    if (HANDLE other = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kelup::kMutexName)) {
        CloseHandle(other);
        return 0;
    }
    // 3.
    kelup::AutoHandle mutex(CreateMutexW(nullptr, FALSE, kelup::kMutexName));

    // 4.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    LoadLibraryW(L"msftedit.dll");
    kelup::SetExceptionHandler(AppException);

    // 1. The application window starts hidden and without a task-bar button.
    kelup::AppWindow app;
    if (!app.Create(LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"))) return 1;
    app.SetTitle(kelup::kAppTitle);

    // 5. The main window; its initialisation runs during its creation.
    kelup::RARADAVE main;
    if (!main.Create(&app)) return 0;
    g_mainWindow = main.Handle();
    // The dialogs that live for the whole run follow the main window
    // (options, compose, about, dates, password, association, welcome,
    // history, translucency); each subsystem creates its own. Creating the
    // compose window starts the first search of the LAN.
    main.RecipientSearch();

    // 6. The main window is never shown.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (mutex) ReleaseMutex(mutex.get());
    return int(msg.wParam);
}
