#pragma once
// One base for every window of the program. The static procedure stores
// `this` at WM_NCCREATE and forwards each message to the derived class's
// HandleMessage; exceptions stop here and go to the program's handler.

#include <windows.h>

#include <string>

namespace kelup {

// Reports an exception that reached a window procedure (installed at start).
using ExceptionHandler = void (*)(const char* what);
void SetExceptionHandler(ExceptionHandler handler);
void ReportException(const char* what) noexcept;

template <typename T>
class BaseWindow {
public:
    BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;
    virtual ~BaseWindow() {
        if (hwnd_ && IsWindow(hwnd_)) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
        }
    }

    HWND Handle() const { return hwnd_; }

    static T* FromHandle(HWND hwnd) {
        return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }

protected:
    static void RegisterClassOnce(const wchar_t* className, UINT style = 0, HICON icon = nullptr,
                                  HBRUSH background = nullptr) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc)) return;
        RegisterClassNow(className, style, icon, background);
    }
    // The icon is a resource of the program, loaded only when the class is new.
    static void RegisterClassOnce(const wchar_t* className, UINT style, const wchar_t* iconName) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc)) return;
        RegisterClassNow(className, style, LoadIconW(GetModuleHandleW(nullptr), iconName), nullptr);
    }

    static void RegisterClassNow(const wchar_t* className, UINT style, HICON icon, HBRUSH background) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = style;
        wc.lpfnWndProc = &BaseWindow::WndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = icon;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }

    HWND CreateWin(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x,
                   int y, int w, int h, HWND parent = nullptr, HMENU menu = nullptr) {
        return CreateWindowExW(exStyle, className, title, style, x, y, w, h, parent, menu,
                               GetModuleHandleW(nullptr), this);
    }

    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        T* self = nullptr;
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            self = static_cast<T*>(reinterpret_cast<BaseWindow*>(cs->lpCreateParams));
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = FromHandle(hwnd);
        }
        if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
        try {
            LRESULT r = self->HandleMessage(msg, wp, lp);
            if (msg == WM_NCDESTROY) {
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                self->hwnd_ = nullptr;
            }
            return r;
        } catch (const std::exception& e) {
            ReportException(e.what());
        } catch (...) {
            ReportException("unknown exception");
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
};

}  // namespace kelup
