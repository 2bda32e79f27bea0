// Hostile JPEG files: decoding ends in a picture or a refusal, never in a
// crash, a read outside the input or more pixels than the limit; a picture
// decoded has every row whole and writes to a bitmap file that passes its
// own check.

#include <cstdint>
#include <cstdlib>

#include "notes/Picture.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckDecoded(const kelup::Pixels& px, const kelup::PictureLimits& limits) {
    Check(px.width > 0 && px.height > 0);
    Check(static_cast<std::uint64_t>(px.width) * px.height <= limits.maxPixels);
    Check(px.width <= px.sourceWidth && px.height <= px.sourceHeight);
    Check(px.bgra.size() == static_cast<std::size_t>(px.width) * px.height * 4);
    for (std::size_t i = 3; i < px.bgra.size(); i += 4) Check(px.bgra[i] == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelup;
    // Small enough that a run explores shapes rather than waiting on pixels.
    const PictureLimits limits{1u << 20};
    Pixels full;
    const PictureError e = DecodeJpeg(data, size, full, 0, 0, limits);
    if (e == PictureError::None) {
        CheckDecoded(full, limits);
        Check(full.width == full.sourceWidth && full.height == full.sourceHeight);
        if (full.bgra.size() <= 64 * 1024) {
            const auto bmp = EncodeBmp(full);
            BitmapInfo info;
            Check(CheckBmp(bmp.data(), bmp.size(), info, limits) == PictureError::None);
            Check(info.width == full.width && info.height == full.height && info.bitCount == 24);
        }
    } else {
        Check(full.bgra.empty() && full.width == 0);
    }
    // Scaled down: never smaller than the picture fitted into the bounds.
    Pixels scaled;
    if (DecodeJpeg(data, size, scaled, 16, 16, limits) == PictureError::None) {
        CheckDecoded(scaled, limits);
        int w = 0, h = 0;
        FitSize(scaled.sourceWidth, scaled.sourceHeight, 16, 16, w, h);
        Check(scaled.width >= w && scaled.height >= h);
    }
    return 0;
}
