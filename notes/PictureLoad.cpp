#include "notes/PictureLoad.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "base/Dib.h"

namespace kelup {

namespace {

// No picture file the program shows is anywhere near this; a larger file is
// refused before it is read.
constexpr std::uint64_t kMaxPictureFileBytes = 256ull * 1024 * 1024;

struct DcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
using AutoDc = UniqueHandle<HDC, DcTraits>;

// Selects an object into a DC for as long as it lives.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

LoadResult ResultOf(PictureError e) {
    switch (e) {
        case PictureError::None: return LoadResult::Ok;
        case PictureError::TooLarge: return LoadResult::TooLarge;
        default: return LoadResult::NotAPicture;
    }
}

LoadResult ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
    AutoFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LoadResult::Unreadable;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return LoadResult::Unreadable;
    if (static_cast<std::uint64_t>(size.QuadPart) > kMaxPictureFileBytes) return LoadResult::TooLarge;
    try {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return LoadResult::TooLarge;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) return LoadResult::Unreadable;
        if (got == 0) break;   // shorter than it said: what was read is checked as it is
        done += got;
    }
    bytes.resize(done);
    return LoadResult::Ok;
}

// A blank 32-bit top-down DIB section.
AutoBitmap NewDib(int w, int h, std::uint8_t** bits) {
    BITMAPINFO bi = TopDownDib32(w, h);
    void* p = nullptr;
    AutoBitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
    if (!bmp || !p) return AutoBitmap();
    *bits = static_cast<std::uint8_t*>(p);
    return bmp;
}

// The unused fourth byte of each pixel back to 0 after GDI drew into it.
void ClearFourthBytes(std::uint8_t* bits, int w, int h) {
    const std::size_t n = static_cast<std::size_t>(w) * h;
    for (std::size_t i = 0; i < n; ++i) bits[4 * i + 3] = 0;
}

// Draws a device-independent bitmap (header and palette in `info`, pixels at
// `pixels`) into a new DIB section of w × h, stretched with halftoning when
// that is smaller than the source.
LoadResult DrawDib(const BITMAPINFO* info, const void* pixels, int srcW, int srcH, int w, int h,
                   LoadedPicture& out) {
    std::uint8_t* bits = nullptr;
    AutoBitmap bmp = NewDib(w, h, &bits);
    if (!bmp) return LoadResult::TooLarge;
    AutoDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return LoadResult::Unreadable;
    {
        Selected sel(dc.get(), bmp.get());
        if (w != srcW || h != srcH) {
            SetStretchBltMode(dc.get(), HALFTONE);
            SetBrushOrgEx(dc.get(), 0, 0, nullptr);
        }
        if (StretchDIBits(dc.get(), 0, 0, w, h, 0, 0, srcW, srcH, pixels, info, DIB_RGB_COLORS, SRCCOPY) == 0)
            return LoadResult::NotAPicture;
    }
    GdiFlush();
    ClearFourthBytes(bits, w, h);
    out.bitmap = std::move(bmp);
    out.width = w;
    out.height = h;
    return LoadResult::Ok;
}

LoadResult FromPixels(const Pixels& px, int fitW, int fitH, LoadedPicture& out) {
    int w = 0, h = 0;
    FitSize(px.width, px.height, fitW, fitH, w, h);
    if (w == px.width && h == px.height) {
        std::uint8_t* bits = nullptr;
        AutoBitmap bmp = NewDib(w, h, &bits);
        if (!bmp) return LoadResult::TooLarge;
        std::memcpy(bits, px.bgra.data(), static_cast<std::size_t>(w) * h * 4);
        out.bitmap = std::move(bmp);
        out.width = w;
        out.height = h;
        return LoadResult::Ok;
    }
    BITMAPINFO bi = TopDownDib32(px.width, px.height);
    return DrawDib(&bi, px.bgra.data(), px.width, px.height, w, h, out);
}

// A checked bitmap (file or packed DIB) to a DIB section. The system sees a
// plain 40-byte header with the masks and palette the checks found, and
// the pixel bytes the checks measured; never a colour profile or anything
// else the original header might point at.
LoadResult FromCheckedDib(const std::uint8_t* data, const BitmapInfo& bi, int fitW, int fitH, LoadedPicture& out) {
    const std::size_t paletteCount = bi.paletteCount;
    std::vector<std::uint8_t> infoBytes(sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD) + paletteCount * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(infoBytes.data());
    BITMAPINFOHEADER& h = info->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = bi.width;
    h.biHeight = bi.topDown ? -bi.height : bi.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bi.bitCount);
    h.biCompression = bi.compression;
    h.biSizeImage = (bi.compression == BI_RLE8 || bi.compression == BI_RLE4) ? static_cast<DWORD>(bi.bitsSize) : 0;
    h.biClrUsed = static_cast<DWORD>(paletteCount);
    auto* table = reinterpret_cast<std::uint8_t*>(info->bmiColors);
    if (bi.compression == BI_BITFIELDS) {
        std::memcpy(table, bi.masks, sizeof bi.masks);
        table += sizeof bi.masks;
    }
    const std::uint8_t* pal = data + bi.paletteOffset;
    for (std::size_t i = 0; i < paletteCount; ++i) {
        const std::size_t entry = bi.coreHeader ? 3 : 4;
        table[4 * i] = pal[entry * i];
        table[4 * i + 1] = pal[entry * i + 1];
        table[4 * i + 2] = pal[entry * i + 2];
        table[4 * i + 3] = 0;
    }
    int w = 0, hgt = 0;
    FitSize(bi.width, bi.height, fitW, fitH, w, hgt);
    return DrawDib(info, data + bi.bitsOffset, bi.width, bi.height, w, hgt, out);
}

LoadResult IconFromBytes(const std::uint8_t* data, std::size_t size, int fitW, int fitH, LoadedPicture& out) {
    BitmapInfo bi;
    const PictureError e = CheckIco(data, size, bi);
    if (e != PictureError::None) return ResultOf(e);
    int w = 0, h = 0;
    FitSize(bi.width, bi.height, fitW, fitH, w, h);
    // The largest image, from the bytes just checked, at its own size.
    HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(data + bi.imageOffset), static_cast<DWORD>(bi.imageSize),
                                          TRUE, 0x00030000, w, h, LR_DEFAULTCOLOR);
    if (!icon) return LoadResult::NotAPicture;
    out.icon.reset(icon);
    out.width = w;
    out.height = h;
    out.orgWidth = bi.width;
    out.orgHeight = bi.height;
    return LoadResult::Ok;
}

LoadResult LoadBytes(const std::uint8_t* data, std::size_t size, PictureType type, LoadedPicture& out, int fitW,
                     int fitH) {
    switch (type) {
        case PictureType::Jpeg: {
            Pixels px;
            const PictureError e = DecodeJpeg(data, size, px, fitW, fitH);
            if (e != PictureError::None) return ResultOf(e);
            out.orgWidth = px.sourceWidth;
            out.orgHeight = px.sourceHeight;
            return FromPixels(px, fitW, fitH, out);
        }
        case PictureType::Bitmap: {
            BitmapInfo bi;
            const PictureError e = CheckBmp(data, size, bi);
            if (e != PictureError::None) return ResultOf(e);
            out.orgWidth = bi.width;
            out.orgHeight = bi.height;
            return FromCheckedDib(data, bi, fitW, fitH, out);
        }
        case PictureType::Icon: return IconFromBytes(data, size, fitW, fitH, out);
        default: return LoadResult::NotAPicture;
    }
}

// The picture's pixels as 32-bit top-down rows; icons drawn on the black
// of the note behind them.
bool PixelsOf(const LoadedPicture& picture, Pixels& px) {
    px = Pixels{};
    int w = picture.width, h = picture.height;
    HBITMAP source = picture.bitmap.get();
    if (source) {
        BITMAP bm{};
        if (!GetObjectW(source, sizeof bm, &bm)) return false;
        w = bm.bmWidth;
        h = bm.bmHeight;
    } else if (!picture.icon) {
        return false;
    }
    if (w <= 0 || h <= 0) return false;
    std::uint8_t* bits = nullptr;
    AutoBitmap dib = NewDib(w, h, &bits);
    if (!dib) return false;
    AutoDc dst(CreateCompatibleDC(nullptr));
    if (!dst) return false;
    {
        Selected selDst(dst.get(), dib.get());
        if (source) {
            AutoDc src(CreateCompatibleDC(nullptr));
            if (!src) return false;
            Selected selSrc(src.get(), source);
            if (!BitBlt(dst.get(), 0, 0, w, h, src.get(), 0, 0, SRCCOPY)) return false;
        } else {
            if (!DrawIconEx(dst.get(), 0, 0, picture.icon.get(), w, h, 0, nullptr, DI_NORMAL)) return false;
        }
    }
    GdiFlush();
    px.width = px.sourceWidth = w;
    px.height = px.sourceHeight = h;
    px.bgra.assign(bits, bits + static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 3; i < px.bgra.size(); i += 4) px.bgra[i] = 0;
    return true;
}

// The clipboard, open for as long as the object lives. Another program may
// hold it for a moment, so a few tries are made.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner) {
        for (int i = 0; i < 10 && !open_; ++i) {
            open_ = OpenClipboard(owner) != FALSE;
            if (!open_) Sleep(20);
        }
    }
    ~ClipboardScope() {
        if (open_) CloseClipboard();
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    bool open() const { return open_; }

private:
    bool open_ = false;
};

// A packed DIB from the clipboard, checked as a bitmap file would be.
LoadResult FromClipboardDib(HANDLE mem, int fitW, int fitH, LoadedPicture& out) {
    const SIZE_T size = GlobalSize(mem);
    const auto* data = static_cast<const std::uint8_t*>(GlobalLock(mem));
    if (!data) return LoadResult::NotAPicture;
    BitmapInfo bi;
    const PictureError e = CheckPackedDib(data, size, bi);
    LoadResult r = ResultOf(e);
    if (e == PictureError::None) {
        out.orgWidth = bi.width;
        out.orgHeight = bi.height;
        r = FromCheckedDib(data, bi, fitW, fitH, out);
    }
    GlobalUnlock(mem);
    return r;
}

LoadResult FromClipboardBitmap(HBITMAP source, int fitW, int fitH, LoadedPicture& out) {
    BITMAP bm{};
    if (!GetObjectW(source, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return LoadResult::NotAPicture;
    const PictureLimits limits;
    if (static_cast<std::uint64_t>(bm.bmWidth) * bm.bmHeight > limits.maxPixels) return LoadResult::TooLarge;
    int w = 0, h = 0;
    FitSize(bm.bmWidth, bm.bmHeight, fitW, fitH, w, h);
    std::uint8_t* bits = nullptr;
    AutoBitmap dib = NewDib(w, h, &bits);
    if (!dib) return LoadResult::TooLarge;
    AutoDc dst(CreateCompatibleDC(nullptr)), src(CreateCompatibleDC(nullptr));
    if (!dst || !src) return LoadResult::Unreadable;
    {
        Selected selDst(dst.get(), dib.get());
        Selected selSrc(src.get(), source);
        if (w != bm.bmWidth || h != bm.bmHeight) {
            SetStretchBltMode(dst.get(), HALFTONE);
            SetBrushOrgEx(dst.get(), 0, 0, nullptr);
        }
        if (!StretchBlt(dst.get(), 0, 0, w, h, src.get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY))
            return LoadResult::NotAPicture;
    }
    GdiFlush();
    ClearFourthBytes(bits, w, h);
    out.bitmap = std::move(dib);
    out.width = w;
    out.height = h;
    out.orgWidth = bm.bmWidth;
    out.orgHeight = bm.bmHeight;
    return LoadResult::Ok;
}

}  // namespace

LoadResult LoadPictureFile(const std::wstring& path, PictureType type, LoadedPicture& out, int fitW, int fitH) {
    out = LoadedPicture{};
    if (type == PictureType::None) return LoadResult::NotAPicture;
    std::vector<std::uint8_t> bytes;
    const LoadResult read = ReadWholeFile(path, bytes);
    if (read != LoadResult::Ok) return read;
    LoadedPicture loaded;
    loaded.type = type;
    const LoadResult r = LoadBytes(bytes.data(), bytes.size(), type, loaded, fitW, fitH);
    if (r == LoadResult::Ok) out = std::move(loaded);
    return r;
}

bool ClipboardHasPicture() {
    return IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_DIBV5) ||
           IsClipboardFormatAvailable(CF_BITMAP);
}

LoadResult PictureFromClipboard(HWND owner, LoadedPicture& out, int fitW, int fitH) {
    out = LoadedPicture{};
    ClipboardScope clip(owner);
    if (!clip.open()) return LoadResult::Unreadable;
    LoadedPicture loaded;
    loaded.type = PictureType::Bitmap;
    LoadResult r = LoadResult::NotAPicture;
    if (HANDLE dib = GetClipboardData(CF_DIB)) {
        r = FromClipboardDib(dib, fitW, fitH, loaded);
    } else if (HANDLE bmp = GetClipboardData(CF_BITMAP)) {
        r = FromClipboardBitmap(static_cast<HBITMAP>(bmp), fitW, fitH, loaded);
    }
    if (r == LoadResult::Ok) out = std::move(loaded);
    return r;
}

bool PictureToClipboard(HWND owner, const LoadedPicture& picture) {
    Pixels px;
    if (!PixelsOf(picture, px)) return false;
    // A packed 24-bit DIB: the bitmap file without its 14-byte file header.
    const std::vector<std::uint8_t> file = EncodeBmp(px);
    if (file.size() <= 14) return false;
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, file.size() - 14);
    if (!mem) return false;
    void* p = GlobalLock(mem);
    if (!p) {
        GlobalFree(mem);
        return false;
    }
    std::memcpy(p, file.data() + 14, file.size() - 14);
    GlobalUnlock(mem);
    ClipboardScope clip(owner);
    if (!clip.open() || !EmptyClipboard() || !SetClipboardData(CF_DIB, mem)) {
        GlobalFree(mem);
        return false;
    }
    return true;   // the clipboard owns the memory now
}

bool SaveBitmapFile(const LoadedPicture& picture, const std::wstring& path) {
    Pixels px;
    if (!PixelsOf(picture, px)) return false;
    const std::vector<std::uint8_t> file = EncodeBmp(px);
    if (file.empty()) return false;
    // Written beside the target and renamed over it: a full disk or a failed
    // write leaves the old file (or none), never half a picture.
    const std::wstring temp = path + L".tmp~";
    {
        AutoFile out(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (!out) return false;
        std::size_t done = 0;
        bool ok = true;
        while (ok && done < file.size()) {
            DWORD wrote = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(file.size() - done, 1u << 24));
            ok = WriteFile(out.get(), file.data() + done, want, &wrote, nullptr) && wrote == want;
            done += wrote;
        }
        if (!ok || !FlushFileBuffers(out.get())) {
            out.reset();
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace kelup
