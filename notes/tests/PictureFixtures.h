#pragma once
// Small picture files made in the tests: JPEGs through libjpeg's compressor,
// bitmap and icon files byte by byte, so that each case can be bent where
// it matters.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include <jpeglib.h>

#include "notes/Picture.h"

namespace kelup::testpic {

// Small JPEGs made here with libjpeg's compressor.

struct JpegShape {
    int width, height;
    J_COLOR_SPACE space;     // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
    bool progressive = false;
    bool adobe = true;       // CMYK: write the Adobe marker (inverted values)
};

// `fillRow(y, row)` fills a row's components in the input colour space.
inline std::vector<std::uint8_t> MakeJpegRows(const JpegShape& shape, const std::function<void(int, std::uint8_t*)>& fillRow) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&c, &mem, &memSize);
    c.image_width = static_cast<JDIMENSION>(shape.width);
    c.image_height = static_cast<JDIMENSION>(shape.height);
    c.in_color_space = shape.space;
    c.input_components = shape.space == JCS_GRAYSCALE ? 1 : shape.space == JCS_CMYK ? 4 : 3;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    if (shape.progressive) jpeg_simple_progression(&c);
    if (shape.space == JCS_CMYK) c.write_Adobe_marker = shape.adobe ? TRUE : FALSE;
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(shape.width) * c.input_components);
    while (c.next_scanline < c.image_height) {
        fillRow(static_cast<int>(c.next_scanline), row.data());
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<std::uint8_t> out(mem, mem + memSize);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

// `pixel(x, y, out)` fills one pixel's components.
inline std::vector<std::uint8_t> MakeJpeg(const JpegShape& shape, const std::function<void(int, int, std::uint8_t*)>& pixel) {
    const int n = shape.space == JCS_GRAYSCALE ? 1 : shape.space == JCS_CMYK ? 4 : 3;
    return MakeJpegRows(shape, [&](int y, std::uint8_t* row) {
        for (int x = 0; x < shape.width; ++x) pixel(x, y, row + static_cast<std::size_t>(x) * n);
    });
}

// Left half red, right half blue: colours far enough apart to survive JPEG.
inline std::vector<std::uint8_t> RedBlueJpeg(int w, int h, bool progressive = false) {
    std::vector<std::uint8_t> pattern(static_cast<std::size_t>(w) * 3);
    for (int x = 0; x < w; ++x) {
        const bool left = x < w / 2;
        pattern[3 * x] = left ? 220 : 20;
        pattern[3 * x + 1] = 20;
        pattern[3 * x + 2] = left ? 20 : 220;
    }
    return MakeJpegRows({w, h, JCS_RGB, progressive},
                        [&](int, std::uint8_t* row) { std::memcpy(row, pattern.data(), pattern.size()); });
}

struct Bmp {
    std::vector<std::uint8_t> bytes;
    void u8(std::size_t at, std::uint8_t v) { bytes.at(at) = v; }
    void u16(std::size_t at, std::uint16_t v) {
        bytes.at(at) = static_cast<std::uint8_t>(v);
        bytes.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
    }
    void u32(std::size_t at, std::uint32_t v) {
        u16(at, static_cast<std::uint16_t>(v));
        u16(at + 2, static_cast<std::uint16_t>(v >> 16));
    }
};

// A bitmap file with a 40-byte header: `palette` entries, then the pixel
// rows (zeros) at the given bit count.
inline Bmp MakeBmp(int w, int h, int bitCount, std::uint32_t palette = 0, std::uint32_t compression = 0,
            std::uint32_t pixelBytes = 0) {
    const std::uint32_t stride = ((static_cast<std::uint32_t>(w) * bitCount + 31) / 32) * 4;
    const std::uint32_t rows = h < 0 ? static_cast<std::uint32_t>(-h) : static_cast<std::uint32_t>(h);
    const std::uint32_t masks = compression == 3 ? 12 : 0;
    if (pixelBytes == 0) pixelBytes = stride * rows;
    const std::uint32_t off = 14 + 40 + masks + palette * 4;
    Bmp b{std::vector<std::uint8_t>(off + pixelBytes, 0)};
    b.u8(0, 'B');
    b.u8(1, 'M');
    b.u32(2, off + pixelBytes);
    b.u32(10, off);
    b.u32(14, 40);
    b.u32(18, static_cast<std::uint32_t>(w));
    b.u32(22, static_cast<std::uint32_t>(h));
    b.u16(26, 1);
    b.u16(28, static_cast<std::uint16_t>(bitCount));
    b.u32(30, compression);
    b.u32(34, compression == 1 || compression == 2 ? pixelBytes : 0);
    b.u32(46, palette);
    if (compression == 3) {
        b.u32(54, 0xF800);
        b.u32(58, 0x07E0);
        b.u32(62, 0x001F);
    }
    return b;
}

struct IcoImage {
    std::vector<std::uint8_t> bytes;
    int w, h;
};

inline IcoImage DibIcon(int w, int h, int bitCount) {
    const std::uint32_t xorStride = ((static_cast<std::uint32_t>(w) * bitCount + 31) / 32) * 4;
    const std::uint32_t andStride = ((static_cast<std::uint32_t>(w) + 31) / 32) * 4;
    const std::uint32_t palette = bitCount <= 8 ? (1u << bitCount) : 0;
    Bmp b{std::vector<std::uint8_t>(40 + palette * 4 + (xorStride + andStride) * h, 0)};
    b.u32(0, 40);
    b.u32(4, static_cast<std::uint32_t>(w));
    b.u32(8, static_cast<std::uint32_t>(2 * h));
    b.u16(12, 1);
    b.u16(14, static_cast<std::uint16_t>(bitCount));
    return {b.bytes, w, h};
}

inline IcoImage PngIcon(int w, int h) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (int v : {w, h})
        for (int s : {24, 16, 8, 0}) png.push_back(static_cast<std::uint8_t>(v >> s));
    png.insert(png.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});   // depth, colour type, ..., CRC (not checked here)
    return {png, w, h};
}

inline Bmp MakeIco(const std::vector<IcoImage>& images) {
    Bmp b{std::vector<std::uint8_t>(6 + 16 * images.size(), 0)};
    b.u16(2, 1);
    b.u16(4, static_cast<std::uint16_t>(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::size_t e = 6 + 16 * i;
        b.u8(e, static_cast<std::uint8_t>(images[i].w & 0xFF));
        b.u8(e + 1, static_cast<std::uint8_t>(images[i].h & 0xFF));
        b.u16(e + 4, 1);
        b.u32(e + 8, static_cast<std::uint32_t>(images[i].bytes.size()));
        b.u32(e + 12, static_cast<std::uint32_t>(b.bytes.size()));
        b.bytes.insert(b.bytes.end(), images[i].bytes.begin(), images[i].bytes.end());
    }
    return b;
}

}  // namespace kelup::testpic
