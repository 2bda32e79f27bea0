// Hostile bitmap and icon files: the checks answer, and whatever they let
// through lies inside the input: the palette, the pixels and the icon's
// image, within the pixel limit. The same bytes are tried as a bitmap file,
// as a clipboard bitmap and as an icon file.

#include <cstdint>
#include <cstdlib>

#include "notes/Picture.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckInside(const kelup::BitmapInfo& info, std::size_t size, const kelup::PictureLimits& limits) {
    Check(info.width > 0 && info.height > 0);
    Check(static_cast<std::uint64_t>(info.width) * info.height <= limits.maxPixels);
    const std::uint64_t entry = info.coreHeader ? 3 : 4;
    Check(info.paletteOffset + info.paletteCount * entry <= info.bitsOffset);
    Check(info.bitsOffset <= size && info.bitsSize <= size - info.bitsOffset);
    if (info.compression == 0) {
        const std::uint64_t stride = ((static_cast<std::uint64_t>(info.width) * info.bitCount + 31) / 32) * 4;
        Check(stride * info.height <= info.bitsSize);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelup;
    const PictureLimits limits{1u << 22};
    BitmapInfo info;
    if (CheckBmp(data, size, info, limits) == PictureError::None) CheckInside(info, size, limits);
    if (CheckPackedDib(data, size, info, limits) == PictureError::None) CheckInside(info, size, limits);
    if (CheckIco(data, size, info, limits) == PictureError::None) {
        Check(info.imageOffset <= size && info.imageSize <= size - info.imageOffset);
        Check(static_cast<std::uint64_t>(info.width) * info.height <= limits.maxPixels);
        if (!info.png) {
            CheckInside(info, size, limits);
            Check(info.bitsOffset + info.bitsSize <= info.imageOffset + info.imageSize);
        }
    }
    return 0;
}
