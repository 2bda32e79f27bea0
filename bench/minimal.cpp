// The smallest useful Win32 program: one hidden top-level window and a
// message loop. The benchmarks start it beside Kelupon.exe so that Wine's own
// start-up and idle cost can be told apart from the program's.

#include <windows.h>

static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_CLOSE) {
        DestroyWindow(h);
        return 0;
    }
    if (m == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = inst;
    wc.lpszClassName = L"MinimalBench";
    RegisterClassW(&wc);
    HWND h = CreateWindowW(L"MinimalBench", L"MinimalBench", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst, nullptr);
    SetPropW(h, L"KelupReady", reinterpret_cast<HANDLE>(1));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
