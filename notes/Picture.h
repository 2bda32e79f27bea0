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
};
// A bitmap file's headers are consistent with its length and within the limit.
PictureError CheckBmp(const std::uint8_t* data, std::size_t size, BitmapInfo& info, const PictureLimits& limits = {});
// An icon file's directory is consistent with its length; the size of its largest image.
PictureError CheckIco(const std::uint8_t* data, std::size_t size, BitmapInfo& info, const PictureLimits& limits = {});

// A 24-bit bottom-up bitmap file of the pixels.
std::vector<std::uint8_t> EncodeBmp(const Pixels& pixels);

}  // namespace kelup
