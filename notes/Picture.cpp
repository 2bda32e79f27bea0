#include "notes/Picture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace kelup {

PictureType PictureTypeOf(const std::wstring& path) {
    const auto dot = path.find_last_of(L'.');
    const auto sep = path.find_last_of(L"\\/:");
    if (dot == std::wstring::npos || (sep != std::wstring::npos && sep > dot)) return PictureType::None;
    std::wstring ext = path.substr(dot);
    for (auto& c : ext)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (ext == L".BMP") return PictureType::Bitmap;
    if (ext == L".JPG" || ext == L".JPEG") return PictureType::Jpeg;
    if (ext == L".ICO") return PictureType::Icon;
    return PictureType::None;
}

void FitSize(int w, int h, int fitW, int fitH, int& outW, int& outH) {
    outW = w;
    outH = h;
    if (w <= 0 || h <= 0) return;
    const bool wideOver = fitW > 0 && w > fitW;
    const bool highOver = fitH > 0 && h > fitH;
    if (!wideOver && !highOver) return;
    // Whichever side is over by more decides: compare w/fitW with h/fitH.
    bool byWidth;
    if (fitW <= 0) byWidth = false;
    else if (fitH <= 0) byWidth = true;
    else byWidth = static_cast<std::int64_t>(w) * fitH >= static_cast<std::int64_t>(h) * fitW;
    if (byWidth) {
        outW = fitW;
        outH = static_cast<int>((2 * static_cast<std::int64_t>(h) * fitW + w) / (2 * static_cast<std::int64_t>(w)));
    } else {
        outH = fitH;
        outW = static_cast<int>((2 * static_cast<std::int64_t>(w) * fitH + h) / (2 * static_cast<std::int64_t>(h)));
    }
    outW = std::max(outW, 1);
    outH = std::max(outH, 1);
}

// ---------------------------------------------------------------------------
// JPEG

namespace {

// More scans than any real progressive picture has: a crafted file can
// otherwise keep the decoder busy for minutes on a small picture.
constexpr int kMaxJpegScans = 500;

struct JpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    PictureError result;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    const int code = err->pub.msg_code;
    err->result = (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE) ? PictureError::TooLarge
                                                                                 : PictureError::NotAPicture;
    std::longjmp(err->jump, 1);
}

// Warnings (a truncated or slightly damaged file) are not shown anywhere.
void JpegOutputMessage(j_common_ptr) {}

void JpegProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (cinfo->is_decompressor && d->input_scan_number > kMaxJpegScans) {
        auto* err = reinterpret_cast<JpegError*>(cinfo->err);
        err->result = PictureError::NotAPicture;
        std::longjmp(err->jump, 1);
    }
}

// Cyan, magenta, yellow and black to B, G, R, 0 in place. Adobe's files
// store the values inverted (255 = no ink), which is what nearly every
// CMYK JPEG is.
void CmykRowToBgr(std::uint8_t* row, unsigned width, bool inverted) {
    for (unsigned x = 0; x < width; ++x) {
        std::uint8_t* p = row + 4 * x;
        unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        p[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        p[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        p[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
        p[3] = 0;
    }
}

// The libjpeg part, in a frame of its own that holds nothing with a
// destructor, so that the error manager's longjmp skips no clean-up.
PictureError DecodeJpegInto(const std::uint8_t* data, std::size_t size, Pixels& out, int fitW, int fitH,
                            const PictureLimits& limits) {
    jpeg_decompress_struct cinfo;
    JpegError err;
    jpeg_progress_mgr progress;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    err.pub.output_message = JpegOutputMessage;
    err.result = PictureError::NotAPicture;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return err.result;
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = JpegProgress;
    cinfo.progress = &progress;
    // Coefficient buffers of progressive pictures: about what the pixels of
    // the largest picture allowed take twice over, no more.
    cinfo.mem->max_memory_to_use = static_cast<long>(std::min<std::uint64_t>(limits.maxPixels * 8, 0x7fffffffL));
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);

    const std::uint64_t srcW = cinfo.image_width, srcH = cinfo.image_height;
    if (srcW == 0 || srcH == 0) {
        jpeg_destroy_decompress(&cinfo);
        return PictureError::NotAPicture;
    }
    if (srcW * srcH > limits.maxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return PictureError::TooLarge;
    }

    // The largest of libjpeg's reductions that still leaves the picture at
    // least as large as it will be shown.
    int fittedW = 0, fittedH = 0;
    FitSize(static_cast<int>(srcW), static_cast<int>(srcH), fitW, fitH, fittedW, fittedH);
    unsigned denom = 1;
    if (fittedW < static_cast<int>(srcW) || fittedH < static_cast<int>(srcH)) {
        for (unsigned d : {8u, 4u, 2u}) {
            const std::uint64_t w = (srcW + d - 1) / d, h = (srcH + d - 1) / d;
            if (w >= static_cast<std::uint64_t>(fittedW) && h >= static_cast<std::uint64_t>(fittedH)) {
                denom = d;
                break;
            }
        }
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = denom;

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    switch (cinfo.jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_YCbCr:
        case JCS_RGB:
            cinfo.out_color_space = JCS_EXT_BGRX;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            cinfo.out_color_space = JCS_CMYK;
            break;
        default:
            jpeg_destroy_decompress(&cinfo);
            return PictureError::NotAPicture;
    }
    jpeg_calc_output_dimensions(&cinfo);
    const std::uint64_t outW = cinfo.output_width, outH = cinfo.output_height;
    if (outW == 0 || outH == 0 || cinfo.output_components != 4) {
        jpeg_destroy_decompress(&cinfo);
        return PictureError::NotAPicture;
    }
    if (outW * outH > limits.maxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return PictureError::TooLarge;
    }

    jpeg_start_decompress(&cinfo);
    bool allocated = true;
    try {
        out.bgra.assign(static_cast<std::size_t>(outW * outH * 4), 0);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) {
        jpeg_destroy_decompress(&cinfo);
        return PictureError::TooLarge;
    }
    const std::size_t stride = static_cast<std::size_t>(outW) * 4;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.bgra.data() + stride * cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;   // cannot happen with a memory source
    }
    for (std::size_t y = 0; y < outH; ++y) {
        std::uint8_t* row = out.bgra.data() + stride * y;
        if (cmyk) {
            CmykRowToBgr(row, static_cast<unsigned>(outW), cinfo.saw_Adobe_marker != 0);
        } else {
            for (std::size_t x = 3; x < stride; x += 4) row[x] = 0;
        }
    }
    // A file that ends early has had its missing part filled in grey with a
    // warning; what was there is kept.
    jpeg_finish_decompress(&cinfo);
    out.width = static_cast<int>(outW);
    out.height = static_cast<int>(outH);
    out.sourceWidth = static_cast<int>(srcW);
    out.sourceHeight = static_cast<int>(srcH);
    jpeg_destroy_decompress(&cinfo);
    return PictureError::None;
}

}  // namespace

PictureError DecodeJpeg(const std::uint8_t* data, std::size_t size, Pixels& out, int fitW, int fitH,
                        const PictureLimits& limits) {
    out = Pixels{};
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return PictureError::NotAPicture;
    if (size > 0xFFFFFFFFu) return PictureError::TooLarge;
    const PictureError e = DecodeJpegInto(data, size, out, fitW, fitH, limits);
    if (e != PictureError::None) out = Pixels{};
    return e;
}

// ---------------------------------------------------------------------------
// Bitmaps and icons: only checks. The system draws them once they pass.

namespace {

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

std::uint64_t Stride(std::uint64_t width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }

// An RLE stream can be read to its end marker (or its last byte) without
// reading past it: every absolute run and offset is whole.
bool RleInside(const std::uint8_t* p, std::size_t n, bool rle4) {
    std::size_t i = 0;
    while (i + 2 <= n) {
        const std::uint8_t count = p[i], code = p[i + 1];
        i += 2;
        if (count != 0 || code == 0) continue;   // a run, or the end of a line
        if (code == 1) return true;              // the end of the picture
        if (code == 2) {                         // an offset of two bytes
            if (i + 2 > n) return false;
            i += 2;
            continue;
        }
        std::size_t bytes = rle4 ? (code + 1u) / 2 : code;
        bytes = (bytes + 1) & ~std::size_t{1};
        if (i + bytes > n) return false;
        i += bytes;
    }
    return i == n;
}

// The header at `hdr` (inside `size` bytes at `data`); `bitsAt` is where the
// pixels begin, or 0 when they follow the palette directly (a packed DIB).
// `icon`: the height counts the colour image and its mask together.
PictureError CheckDib(const std::uint8_t* data, std::size_t size, std::size_t hdr, std::size_t bitsAt,
                      BitmapInfo& info, const PictureLimits& limits, bool icon) {
    info = BitmapInfo{};
    if (hdr + 4 > size) return PictureError::NotAPicture;
    const std::uint32_t headerSize = U32(data + hdr);
    if (headerSize > size - hdr) return PictureError::NotAPicture;
    const std::uint8_t* h = data + hdr;
    std::int64_t width, height;
    int bitCount;
    std::uint32_t compression = kBiRgb, colorsUsed = 0;
    std::size_t paletteEntry = 4;
    std::size_t masksAfterHeader = 0;
    if (headerSize == 12) {
        width = U16(h + 4);
        height = static_cast<std::int16_t>(U16(h + 6));
        if (U16(h + 8) != 1) return PictureError::NotAPicture;
        bitCount = U16(h + 10);
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) return PictureError::NotAPicture;
        paletteEntry = 3;
        info.coreHeader = true;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
        width = I32(h + 4);
        height = I32(h + 8);
        if (U16(h + 12) != 1) return PictureError::NotAPicture;
        bitCount = U16(h + 14);
        compression = U32(h + 16);
        colorsUsed = U32(h + 32);
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
            return PictureError::NotAPicture;
        switch (compression) {
            case kBiRgb: break;
            case kBiRle8:
                if (bitCount != 8 || icon) return PictureError::NotAPicture;
                break;
            case kBiRle4:
                if (bitCount != 4 || icon) return PictureError::NotAPicture;
                break;
            case kBiBitfields:
                if (bitCount != 16 && bitCount != 32) return PictureError::NotAPicture;
                if (headerSize == 40) {
                    masksAfterHeader = 12;
                } else {
                    info.masks[0] = U32(h + 40);
                    info.masks[1] = U32(h + 44);
                    info.masks[2] = U32(h + 48);
                }
                break;
            default: return PictureError::NotAPicture;
        }
    } else {
        return PictureError::NotAPicture;
    }

    // Bottom-up unless the height is negative; compressed pictures are only
    // ever bottom-up, icons always.
    if (width <= 0 || height == 0) return PictureError::NotAPicture;
    if (height < 0) {
        if (compression == kBiRle8 || compression == kBiRle4 || icon) return PictureError::NotAPicture;
        info.topDown = true;
        height = -height;
    }
    if (icon) {
        if (height % 2 != 0) return PictureError::NotAPicture;
        height /= 2;
    }
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > limits.maxPixels)
        return PictureError::TooLarge;

    const std::size_t masksAt = hdr + headerSize;
    if (masksAfterHeader) {
        if (masksAfterHeader > size - masksAt) return PictureError::NotAPicture;
        info.masks[0] = U32(data + masksAt);
        info.masks[1] = U32(data + masksAt + 4);
        info.masks[2] = U32(data + masksAt + 8);
    }
    if (compression == kBiBitfields && (info.masks[0] == 0 || info.masks[1] == 0 || info.masks[2] == 0))
        return PictureError::NotAPicture;

    const std::size_t paletteAt = masksAt + masksAfterHeader;
    std::uint32_t paletteCount;
    if (bitCount <= 8) {
        const std::uint32_t full = 1u << bitCount;
        if (colorsUsed > full) return PictureError::NotAPicture;
        paletteCount = colorsUsed ? colorsUsed : full;
        // Writers that leave the unused end of the palette out say so only
        // by where the pixels begin.
        if (colorsUsed == 0 && bitsAt != 0 && bitsAt >= paletteAt + paletteEntry &&
            bitsAt < paletteAt + std::uint64_t{full} * paletteEntry)
            paletteCount = static_cast<std::uint32_t>((bitsAt - paletteAt) / paletteEntry);
    } else {
        // An optional palette the file may carry for displays of 256 colours.
        if (colorsUsed > 256) return PictureError::NotAPicture;
        paletteCount = colorsUsed;
    }
    const std::uint64_t paletteBytes = static_cast<std::uint64_t>(paletteCount) * paletteEntry;
    if (paletteBytes > size - paletteAt) return PictureError::NotAPicture;
    const std::size_t paletteEnd = paletteAt + static_cast<std::size_t>(paletteBytes);

    if (bitsAt == 0) bitsAt = paletteEnd;
    if (bitsAt < paletteEnd || bitsAt >= size) return PictureError::NotAPicture;
    const std::size_t available = size - bitsAt;

    std::uint64_t bitsSize;
    if (compression == kBiRle8 || compression == kBiRle4) {
        // The stream's length is only in the header.
        bitsSize = U32(h + 20);
        if (bitsSize == 0 || bitsSize > available) return PictureError::NotAPicture;
        if (!RleInside(data + bitsAt, static_cast<std::size_t>(bitsSize), compression == kBiRle4))
            return PictureError::NotAPicture;
    } else {
        bitsSize = Stride(static_cast<std::uint64_t>(width), bitCount) * static_cast<std::uint64_t>(height);
        if (icon) bitsSize += Stride(static_cast<std::uint64_t>(width), 1) * static_cast<std::uint64_t>(height);
        if (bitsSize > available) return PictureError::NotAPicture;
    }

    info.width = static_cast<int>(width);
    info.height = static_cast<int>(height);
    info.bitCount = bitCount;
    info.compression = compression;
    info.headerOffset = hdr;
    info.paletteCount = paletteCount;
    info.paletteOffset = paletteAt;
    info.bitsOffset = bitsAt;
    info.bitsSize = static_cast<std::size_t>(bitsSize);
    return PictureError::None;
}

}  // namespace

PictureError CheckBmp(const std::uint8_t* data, std::size_t size, BitmapInfo& info, const PictureLimits& limits) {
    info = BitmapInfo{};
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return PictureError::NotAPicture;
    const std::uint32_t bitsAt = U32(data + 10);
    if (bitsAt == 0) return PictureError::NotAPicture;
    return CheckDib(data, size, 14, bitsAt, info, limits, false);
}

PictureError CheckPackedDib(const std::uint8_t* data, std::size_t size, BitmapInfo& info,
                            const PictureLimits& limits) {
    info = BitmapInfo{};
    if (!data || size < 12) return PictureError::NotAPicture;
    return CheckDib(data, size, 0, 0, info, limits, false);
}

PictureError CheckIco(const std::uint8_t* data, std::size_t size, BitmapInfo& info, const PictureLimits& limits) {
    info = BitmapInfo{};
    if (!data || size < 6 || U16(data) != 0 || U16(data + 2) != 1) return PictureError::NotAPicture;
    const std::uint32_t count = U16(data + 4);
    if (count == 0) return PictureError::NotAPicture;
    const std::uint64_t dirEnd = 6 + 16ull * count;
    if (dirEnd > size) return PictureError::NotAPicture;

    BitmapInfo best;
    bool found = false;
    bool tooLarge = false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* e = data + 6 + 16 * i;
        const std::uint32_t bytes = U32(e + 8), at = U32(e + 12);
        // Every image lies after the directory and inside the file.
        if (bytes == 0 || at < dirEnd || at > size || bytes > size - at) return PictureError::NotAPicture;
        const std::uint8_t* img = data + at;
        BitmapInfo one;
        static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        if (bytes >= 8 && std::memcmp(img, kPng, 8) == 0) {
            // The signature, then the IHDR chunk: length 13, the type, width, height.
            if (bytes < 8 + 8 + 13 || U32(img + 8) != 0x0D000000u || std::memcmp(img + 12, "IHDR", 4) != 0)
                return PictureError::NotAPicture;
            auto be32 = [](const std::uint8_t* p) {
                return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
                       (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
            };
            const std::uint32_t w = be32(img + 16), h = be32(img + 20);
            if (w == 0 || h == 0 || w > 0x7fffffffu || h > 0x7fffffffu) return PictureError::NotAPicture;
            if (static_cast<std::uint64_t>(w) * h > limits.maxPixels) {
                tooLarge = true;
                continue;
            }
            one.width = static_cast<int>(w);
            one.height = static_cast<int>(h);
            one.bitCount = 32;
            one.png = true;
        } else {
            const PictureError e2 = CheckDib(img, bytes, 0, 0, one, limits, true);
            if (e2 == PictureError::TooLarge) {
                tooLarge = true;
                continue;
            }
            if (e2 != PictureError::None) return e2;
        }
        one.imageOffset = at;
        one.imageSize = bytes;
        const std::uint64_t area = static_cast<std::uint64_t>(one.width) * one.height;
        const std::uint64_t bestArea = static_cast<std::uint64_t>(best.width) * best.height;
        if (!found || area > bestArea || (area == bestArea && one.bitCount > best.bitCount)) {
            best = one;
            found = true;
        }
    }
    if (!found) return tooLarge ? PictureError::TooLarge : PictureError::NotAPicture;
    // Offsets of a DIB image are from the file's start, as for a bitmap file.
    if (!best.png) {
        best.headerOffset += best.imageOffset;
        best.paletteOffset += best.imageOffset;
        best.bitsOffset += best.imageOffset;
    }
    info = best;
    return PictureError::None;
}

std::vector<std::uint8_t> EncodeBmp(const Pixels& pixels) {
    const std::uint32_t w = static_cast<std::uint32_t>(std::max(pixels.width, 0));
    const std::uint32_t h = static_cast<std::uint32_t>(std::max(pixels.height, 0));
    const std::uint64_t stride = Stride(w, 24);
    const std::uint64_t bits = stride * h;
    const std::uint64_t total = 14 + 40 + bits;
    if (w == 0 || h == 0 || total > 0xFFFFFFFFu || pixels.bgra.size() < static_cast<std::uint64_t>(w) * h * 4)
        return {};
    std::vector<std::uint8_t> out(static_cast<std::size_t>(total), 0);
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        out[at] = static_cast<std::uint8_t>(v);
        out[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<std::uint32_t>(total));
    put32(10, 14 + 40);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    put16(26, 1);
    put16(28, 24);
    put32(30, kBiRgb);
    put32(34, static_cast<std::uint32_t>(bits));
    put32(38, 3780);   // 96 dots an inch
    put32(42, 3780);
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* src = pixels.bgra.data() + static_cast<std::size_t>(y) * w * 4;
        std::uint8_t* dst = out.data() + 54 + static_cast<std::size_t>(h - 1 - y) * stride;
        for (std::uint32_t x = 0; x < w; ++x) {
            dst[3 * x] = src[4 * x];
            dst[3 * x + 1] = src[4 * x + 1];
            dst[3 * x + 2] = src[4 * x + 2];
        }
    }
    return out;
}

}  // namespace kelup
