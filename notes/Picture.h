#pragma once
// Picture files as the image notes read them: the kind by the extension,
// JPEG decoding through libjpeg, and the checks a bitmap or icon file must
// pass before the system is asked to load it. Untrusted bytes in, a clear
// error out: never a crash, never an unbounded allocation.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelup {

enum class PictureType { None = -1, Bitmap = 0, Jpeg = 1, Icon = 2 };

// By the upper-cased extension: ".BMP" bitmap, ".JPG"/".JPEG" JPEG, ".ICO" icon.
PictureType PictureTypeOf(const std::wstring& path);

enum class PictureError {
    None,
    NotAPicture,   // not a file of its kind, or damaged
    TooLarge,      // would need more memory than the limit allows
};

struct PictureLimits {
    // At most this many pixels decoded (4 bytes each).
    std::uint64_t maxPixels = 64ull * 1024 * 1024;
};

// Decoded pixels: rows top-down, 4 bytes a pixel in the order B, G, R, 0.
struct Pixels {
    int width = 0, height = 0;
    // The picture's own size (a JPEG decoded scaled down is smaller).
    int sourceWidth = 0, sourceHeight = 0;
    std::vector<std::uint8_t> bgra;
};

// Decodes a JPEG file's bytes. With fitW and fitH above 0 the picture is
// decoded scaled down (libjpeg's scaling, 1/2 to 1/8) by the largest factor
// that keeps it at least fitW wide or fitH high.
PictureError DecodeJpeg(const std::uint8_t* data, std::size_t size, Pixels& out, int fitW = 0, int fitH = 0,
                        const PictureLimits& limits = {});

struct BitmapInfo {
    int width = 0, height = 0;   // height positive whether stored top-down or not
    int bitCount = 0;
    // Where the checked parts of a bitmap lie in the bytes given (offsets from
    // their start), for handing them to the system without reading the file again.
    std::uint32_t compression = 0;   // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    bool topDown = false;
    bool coreHeader = false;         // the old 12-byte header: 3-byte palette entries
    std::size_t headerOffset = 0;
    std::uint32_t paletteCount = 0;  // palette entries in the file
    std::size_t paletteOffset = 0;
    std::uint32_t masks[3] = {0, 0, 0};   // red, green, blue with bit fields
    std::size_t bitsOffset = 0, bitsSize = 0;
    // Icons: where the largest image lies and whether it is PNG-compressed.
    std::size_t imageOffset = 0, imageSize = 0;
    bool png = false;
};
// A bitmap file's headers are consistent with its length and within the limit.
PictureError CheckBmp(const std::uint8_t* data, std::size_t size, BitmapInfo& info, const PictureLimits& limits = {});
// A device-independent bitmap without its file header, as the clipboard holds
// one: the pixels follow the header, its bit masks and its palette.
PictureError CheckPackedDib(const std::uint8_t* data, std::size_t size, BitmapInfo& info,
                            const PictureLimits& limits = {});
// An icon file's directory is consistent with its length; the size of its largest image.
PictureError CheckIco(const std::uint8_t* data, std::size_t size, BitmapInfo& info, const PictureLimits& limits = {});

// The size of a w × h picture shrunk to fit inside fitW × fitH keeping its
// proportions (rounded, at least 1); as it is when it fits already. A bound
// of 0 does not limit that side.
void FitSize(int w, int h, int fitW, int fitH, int& outW, int& outH);

// A 24-bit bottom-up bitmap file of the pixels.
std::vector<std::uint8_t> EncodeBmp(const Pixels& pixels);

}  // namespace kelup
