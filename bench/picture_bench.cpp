// Decoding time of a photograph-sized JPEG (4000 × 3000), at its own size
// and scaled down by libjpeg for a 1024 × 768 screen, as the image notes ask
// for it. Prints figures; asserts nothing.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "notes/Picture.h"

namespace {

// A picture with detail everywhere, so that the entropy decoder has work.
std::vector<std::uint8_t> MakePhoto(int w, int h) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 3);
    std::uint32_t seed = 12345;
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            row[3 * x] = static_cast<std::uint8_t>((x * 255) / w + ((seed >> 16) & 15));
            row[3 * x + 1] = static_cast<std::uint8_t>((y * 255) / h + ((seed >> 20) & 15));
            row[3 * x + 2] = static_cast<std::uint8_t>(((x ^ y) & 64) + ((seed >> 24) & 31));
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<std::uint8_t> out(mem, mem + size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

double BestMs(const std::vector<std::uint8_t>& file, int fitW, int fitH, int& w, int& h) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        kelup::Pixels px;
        const auto t0 = std::chrono::steady_clock::now();
        if (kelup::DecodeJpeg(file.data(), file.size(), px, fitW, fitH) != kelup::PictureError::None) {
            std::fprintf(stderr, "decoding failed\n");
            std::exit(1);
        }
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (ms < best) best = ms;
        w = px.width;
        h = px.height;
    }
    return best;
}

}  // namespace

int main() {
    const auto file = MakePhoto(4000, 3000);
    std::printf("JPEG 4000 x 3000, %zu bytes; best of 5\n", file.size());
    int w = 0, h = 0;
    const double full = BestMs(file, 0, 0, w, h);
    std::printf("  full size      %4d x %4d  %8.1f ms\n", w, h, full);
    const double scaled = BestMs(file, 1024, 768, w, h);
    std::printf("  for 1024 x 768 %4d x %4d  %8.1f ms\n", w, h, scaled);
    return 0;
}
