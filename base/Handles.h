#pragma once
// Small owners for Windows handles: each closes what it holds exactly once.

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace kelup {

template <typename H, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Traits::Invalid()));
        return *this;
    }
    ~UniqueHandle() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    H release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(H h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }

private:
    H h_ = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
template <typename G>
struct GdiTraits {
    static G Invalid() { return nullptr; }
    static void Close(G h) { DeleteObject(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};

using AutoHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using AutoFile = UniqueHandle<HANDLE, FileHandleTraits>;
using AutoFont = UniqueHandle<HFONT, GdiTraits<HFONT>>;
using AutoBrush = UniqueHandle<HBRUSH, GdiTraits<HBRUSH>>;
using AutoBitmap = UniqueHandle<HBITMAP, GdiTraits<HBITMAP>>;
using AutoPen = UniqueHandle<HPEN, GdiTraits<HPEN>>;
using AutoMenu = UniqueHandle<HMENU, MenuTraits>;

// COM for the calling thread, for as long as the object lives.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() { if (ok_) CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

}  // namespace kelup
