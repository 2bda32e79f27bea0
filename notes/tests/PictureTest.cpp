#include "notes/Picture.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>

#include <jpeglib.h>

#include "notes/tests/PictureFixtures.h"

namespace kelup {
namespace {

using namespace testpic;

const std::uint8_t* At(const Pixels& px, int x, int y) {
    return px.bgra.data() + (static_cast<std::size_t>(y) * px.width + x) * 4;
}

::testing::AssertionResult Near(const std::uint8_t* bgra, int b, int g, int r, int tolerance = 24) {
    const int got[3] = {bgra[0], bgra[1], bgra[2]}, want[3] = {b, g, r};
    for (int i = 0; i < 3; ++i)
        if (std::abs(got[i] - want[i]) > tolerance)
            return ::testing::AssertionFailure() << "B,G,R = " << got[0] << "," << got[1] << "," << got[2]
                                                 << ", expected about " << b << "," << g << "," << r;
    return ::testing::AssertionSuccess();
}

TEST(PictureTypeOf, ByUpperCasedExtensionOfTheFileNameOnly) {
    struct Case {
        const wchar_t* path;
        PictureType type;
    } cases[] = {
        {L"C:\\pic\\a.bmp", PictureType::Bitmap},    {L"C:\\pic\\a.BMP", PictureType::Bitmap},
        {L"a.jpg", PictureType::Jpeg},               {L"a.JpEg", PictureType::Jpeg},
        {L"C:\\x\\icon.ico", PictureType::Icon},     {L"a.png", PictureType::None},
        {L"a.bmp.txt", PictureType::None},           {L"C:\\dir.bmp\\file", PictureType::None},
        {L"noextension", PictureType::None},         {L"", PictureType::None},
        {L"a.jpe", PictureType::None},               {L"a.", PictureType::None},
    };
    for (const auto& c : cases) EXPECT_EQ(PictureTypeOf(c.path), c.type) << std::string(c.path, c.path + wcslen(c.path));
}

TEST(FitSize, ShrinksKeepingProportionsAndLeavesWhatFits) {
    struct Case {
        int w, h, fitW, fitH, outW, outH;
    } cases[] = {
        {3000, 2000, 1024, 768, 1024, 683},   // wide: the width binds
        {1000, 4000, 1024, 768, 192, 768},    // tall: the height binds
        {800, 600, 1024, 768, 800, 600},      // fits already
        {1024, 768, 1024, 768, 1024, 768},    // exactly
        {5000, 1, 100, 100, 100, 1},          // never below one pixel
        {3000, 2000, 0, 0, 3000, 2000},       // no bound
        {3000, 2000, 1500, 0, 1500, 1000},    // only the width bound
    };
    for (const auto& c : cases) {
        int w = 0, h = 0;
        FitSize(c.w, c.h, c.fitW, c.fitH, w, h);
        EXPECT_EQ(w, c.outW) << c.w << "x" << c.h << " in " << c.fitW << "x" << c.fitH;
        EXPECT_EQ(h, c.outH) << c.w << "x" << c.h << " in " << c.fitW << "x" << c.fitH;
    }
}

TEST(DecodeJpeg, ColourPictureComesAsBgrZeroTopDown) {
    // Top half green, bottom half red, so that a picture upside down shows.
    const auto file = MakeJpeg({64, 48, JCS_RGB}, [](int, int y, std::uint8_t* p) {
        p[0] = y < 24 ? 10 : 230;
        p[1] = y < 24 ? 230 : 10;
        p[2] = 10;
    });
    Pixels px;
    ASSERT_EQ(DecodeJpeg(file.data(), file.size(), px), PictureError::None);
    EXPECT_EQ(px.width, 64);
    EXPECT_EQ(px.height, 48);
    EXPECT_EQ(px.sourceWidth, 64);
    EXPECT_EQ(px.sourceHeight, 48);
    ASSERT_EQ(px.bgra.size(), 64u * 48 * 4);
    EXPECT_TRUE(Near(At(px, 10, 5), 10, 230, 10));
    EXPECT_TRUE(Near(At(px, 50, 40), 10, 10, 230));
    for (std::size_t i = 3; i < px.bgra.size(); i += 4) ASSERT_EQ(px.bgra[i], 0) << "pixel " << i / 4;
}

TEST(DecodeJpeg, GrayAndCmykBecomeTheSameColours) {
    const auto gray = MakeJpeg({32, 16, JCS_GRAYSCALE}, [](int x, int, std::uint8_t* p) { p[0] = x < 16 ? 40 : 200; });
    Pixels px;
    ASSERT_EQ(DecodeJpeg(gray.data(), gray.size(), px), PictureError::None);
    EXPECT_TRUE(Near(At(px, 4, 8), 40, 40, 40));
    EXPECT_TRUE(Near(At(px, 28, 8), 200, 200, 200));

    // Pure cyan ink: red gone, green and blue full. Adobe's files store the
    // values inverted; files without the marker store ink as it is.
    for (bool adobe : {true, false}) {
        const auto cmyk = MakeJpeg({16, 16, JCS_CMYK, false, adobe}, [adobe](int, int, std::uint8_t* p) {
            const std::uint8_t ink[4] = {255, 0, 0, 0};
            for (int i = 0; i < 4; ++i) p[i] = adobe ? static_cast<std::uint8_t>(255 - ink[i]) : ink[i];
        });
        ASSERT_EQ(DecodeJpeg(cmyk.data(), cmyk.size(), px), PictureError::None) << "adobe " << adobe;
        EXPECT_TRUE(Near(At(px, 8, 8), 255, 255, 0)) << "adobe " << adobe;
        EXPECT_EQ(At(px, 8, 8)[3], 0);
    }
}

TEST(DecodeJpeg, ScaledDecodingStaysAtLeastAsLargeAsTheFitAndKeepsTheSourceSize) {
    struct Case {
        int w, h, fitW, fitH, outW, outH;
    } cases[] = {
        {3000, 2000, 1024, 768, 1500, 1000},   // 1/2: 1/4 would be 750 wide, below 1024
        {4000, 3000, 640, 480, 1000, 750},     // 1/4: 1/8 would be 500, below 640
        {4000, 400, 500, 500, 500, 50},        // 1/8 exactly reaches the fitted width
        {800, 600, 1024, 768, 800, 600},       // fits: not scaled
        {1000, 4000, 1024, 768, 250, 1000},    // tall: 1/4 keeps 1000 of the 768 high
    };
    for (const auto& c : cases) {
        const auto file = RedBlueJpeg(c.w, c.h);
        Pixels px;
        ASSERT_EQ(DecodeJpeg(file.data(), file.size(), px, c.fitW, c.fitH), PictureError::None);
        EXPECT_EQ(px.width, c.outW) << c.w << "x" << c.h;
        EXPECT_EQ(px.height, c.outH) << c.w << "x" << c.h;
        EXPECT_EQ(px.sourceWidth, c.w);
        EXPECT_EQ(px.sourceHeight, c.h);
        EXPECT_TRUE(Near(At(px, px.width / 8, px.height / 2), 20, 20, 220));
        EXPECT_TRUE(Near(At(px, px.width - 1 - px.width / 8, px.height / 2), 220, 20, 20));
    }
}

TEST(DecodeJpeg, TruncatedFileKeepsWhatIsThereOrIsRefused) {
    for (bool progressive : {false, true}) {
        const auto file = RedBlueJpeg(256, 256, progressive);
        // Cut inside the last scan's data: what was decoded is kept.
        std::size_t lastScan = 0;
        for (std::size_t i = 0; i + 1 < file.size(); ++i)
            if (file[i] == 0xFF && file[i + 1] == 0xDA) lastScan = i;
        ASSERT_GT(lastScan, 0u);
        const std::size_t scanHeader = 2 + (file[lastScan + 2] << 8 | file[lastScan + 3]);
        const std::size_t cut = lastScan + scanHeader + (file.size() - lastScan - scanHeader) / 2;
        std::vector<std::uint8_t> half(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
        Pixels px;
        ASSERT_EQ(DecodeJpeg(half.data(), half.size(), px), PictureError::None) << "progressive " << progressive;
        EXPECT_EQ(px.width, 256);
        EXPECT_TRUE(Near(At(px, 10, 2), 20, 20, 220)) << "progressive " << progressive;
        // Cut inside the headers: nothing to show.
        for (std::size_t cut : {std::size_t{2}, std::size_t{20}, std::size_t{100}}) {
            Pixels none;
            EXPECT_EQ(DecodeJpeg(file.data(), cut, none), PictureError::NotAPicture) << cut;
            EXPECT_TRUE(none.bgra.empty());
        }
    }
}

TEST(DecodeJpeg, GarbageAndOtherFormatsAreRefused) {
    auto bmp = EncodeBmp({2, 2, 2, 2, std::vector<std::uint8_t>(16, 9)});
    std::vector<std::uint8_t> garbage(4096);
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
    std::vector<std::uint8_t> noisy = garbage;  // a JPEG start, then noise
    noisy[0] = 0xFF;
    noisy[1] = 0xD8;
    std::vector<std::uint8_t> soiEoi = {0xFF, 0xD8, 0xFF, 0xD9};
    for (std::vector<std::uint8_t>* bytes : {&bmp, &garbage, &noisy, &soiEoi}) {
        Pixels px;
        EXPECT_EQ(DecodeJpeg(bytes->data(), bytes->size(), px), PictureError::NotAPicture);
        EXPECT_TRUE(px.bgra.empty());
    }
    Pixels px;
    EXPECT_EQ(DecodeJpeg(nullptr, 0, px), PictureError::NotAPicture);
}

// Rewrites the size in a JPEG's frame header (SOF0).
void SetJpegSize(std::vector<std::uint8_t>& file, int w, int h) {
    for (std::size_t i = 2; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
            file[i + 5] = static_cast<std::uint8_t>(h >> 8);
            file[i + 6] = static_cast<std::uint8_t>(h);
            file[i + 7] = static_cast<std::uint8_t>(w >> 8);
            file[i + 8] = static_cast<std::uint8_t>(w);
            return;
        }
    }
    FAIL() << "no frame header";
}

TEST(DecodeJpeg, HugeSizeInTheHeaderIsRefusedBeforeDecoding) {
    // A small file whose header announces 60000 × 60000 pixels (14 GB as
    // B,G,R,0): refused from the header, whether asked at full size or scaled.
    for (bool progressive : {false, true}) {
        auto file = RedBlueJpeg(64, 64, progressive);
        SetJpegSize(file, 60000, 60000);
        Pixels px;
        EXPECT_EQ(DecodeJpeg(file.data(), file.size(), px), PictureError::TooLarge);
        EXPECT_EQ(DecodeJpeg(file.data(), file.size(), px, 1024, 768), PictureError::TooLarge);
        EXPECT_TRUE(px.bgra.empty());
        EXPECT_EQ(px.bgra.capacity(), 0u);
    }
    // The limit is the caller's: a picture just above it is refused too,
    // one at it decodes.
    const auto file = RedBlueJpeg(100, 100);
    Pixels px;
    EXPECT_EQ(DecodeJpeg(file.data(), file.size(), px, 0, 0, PictureLimits{9999}), PictureError::TooLarge);
    EXPECT_EQ(DecodeJpeg(file.data(), file.size(), px, 0, 0, PictureLimits{10000}), PictureError::None);
}

// A grey progressive JPEG of `acBands` single-coefficient bands, each sent
// in 11 scans (a first one and 10 refinements): 1 + 11 × acBands scans.
std::vector<std::uint8_t> ManyScanJpeg(int acBands) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&c, &mem, &memSize);
    c.image_width = 16;
    c.image_height = 16;
    c.in_color_space = JCS_GRAYSCALE;
    c.input_components = 1;
    jpeg_set_defaults(&c);
    std::vector<jpeg_scan_info> scans;
    scans.push_back({1, {0}, 0, 0, 0, 0});
    for (int k = 1; k <= acBands; ++k) {
        scans.push_back({1, {0}, k, k, 0, 10});
        for (int al = 9; al >= 0; --al) scans.push_back({1, {0}, k, k, al + 1, al});
    }
    c.scan_info = scans.data();
    c.num_scans = static_cast<int>(scans.size());
    jpeg_start_compress(&c, TRUE);
    std::uint8_t row[16];
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < 16; ++x) row[x] = static_cast<std::uint8_t>(x * 16 + c.next_scanline);
        JSAMPROW r = row;
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<std::uint8_t> out(mem, mem + memSize);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

TEST(DecodeJpeg, EndlessProgressiveScansAreRefused) {
    // Hundreds of scans over a tiny picture is how a small file keeps a
    // decoder busy for minutes; real pictures have a dozen or so.
    Pixels px;
    const auto many = ManyScanJpeg(60);   // 661 scans
    EXPECT_EQ(DecodeJpeg(many.data(), many.size(), px), PictureError::NotAPicture);
    EXPECT_TRUE(px.bgra.empty());
    const auto some = ManyScanJpeg(20);   // 221 scans
    ASSERT_EQ(DecodeJpeg(some.data(), some.size(), px), PictureError::None);
    EXPECT_EQ(px.width, 16);
}

// ---------------------------------------------------------------------------
// Bitmap files

TEST(CheckBmp, HeadersTable) {
    // An RLE8 stream: a run of 4, an absolute run of 3, end of line, end.
    auto rle = MakeBmp(8, 2, 8, 256, 1, 12);
    {
        const std::uint8_t stream[12] = {4, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 1};
        std::memcpy(rle.bytes.data() + rle.bytes.size() - 12, stream, 12);
    }
    // The same stream announcing an absolute run longer than the data left.
    auto rleOver = rle;
    rleOver.u8(rleOver.bytes.size() - 9, 200);

    // Old OS/2 header: 12 bytes, 3-byte palette entries.
    Bmp core{std::vector<std::uint8_t>(14 + 12 + 2 * 3 + 4 * 2, 0)};
    core.u8(0, 'B');
    core.u8(1, 'M');
    core.u32(10, 14 + 12 + 6);
    core.u32(14, 12);
    core.u16(18, 3);
    core.u16(20, 2);
    core.u16(22, 1);
    core.u16(24, 1);

    struct Case {
        const char* name;
        Bmp bmp;
        std::function<void(Bmp&)> edit;
        PictureError want;
        int w = 0, h = 0, bitCount = 0;
    } cases[] = {
        {"24-bit", MakeBmp(3, 2, 24), nullptr, PictureError::None, 3, 2, 24},
        {"top-down 32-bit", MakeBmp(5, -4, 32), nullptr, PictureError::None, 5, 4, 32},
        {"8-bit with palette", MakeBmp(7, 3, 8, 256), nullptr, PictureError::None, 7, 3, 8},
        {"4-bit with 5 colours used", MakeBmp(9, 1, 4, 5), [](Bmp& b) { b.u32(46, 5); }, PictureError::None, 9, 1, 4},
        {"1-bit", MakeBmp(33, 2, 1, 2), nullptr, PictureError::None, 33, 2, 1},
        {"16-bit bit fields", MakeBmp(4, 4, 16, 0, 3), nullptr, PictureError::None, 4, 4, 16},
        {"RLE8", rle, nullptr, PictureError::None, 8, 2, 8},
        {"OS/2 core header", core, nullptr, PictureError::None, 3, 2, 1},
        {"short palette told by the pixel offset", MakeBmp(2, 2, 8, 4), [](Bmp& b) { b.u32(46, 0); },
         PictureError::None, 2, 2, 8},
        {"pixel offset past the end", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(10, 0x7FFFFFF0); },
         PictureError::NotAPicture},
        {"pixel offset inside the header", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(10, 20); }, PictureError::NotAPicture},
        {"pixels cut short", MakeBmp(3, 2, 24), [](Bmp& b) { b.bytes.resize(b.bytes.size() - 1); },
         PictureError::NotAPicture},
        {"palette past the end", MakeBmp(2, 1, 8, 2), [](Bmp& b) { b.u32(46, 256); }, PictureError::NotAPicture},
        {"zero width", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(18, 0); }, PictureError::NotAPicture},
        {"negative width", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(18, 0xFFFFFFFD); }, PictureError::NotAPicture},
        {"zero height", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(22, 0); }, PictureError::NotAPicture},
        {"most negative height", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(22, 0x80000000u); }, PictureError::TooLarge},
        {"100000 x 100000", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(18, 100000); b.u32(22, 100000); },
         PictureError::TooLarge},
        {"stride overflowing 32 bits", MakeBmp(3, 2, 32), [](Bmp& b) { b.u32(18, 0x7FFFFFFF); b.u32(22, 1); },
         PictureError::TooLarge},
        {"bit count 7", MakeBmp(3, 2, 24), [](Bmp& b) { b.u16(28, 7); }, PictureError::NotAPicture},
        {"two planes", MakeBmp(3, 2, 24), [](Bmp& b) { b.u16(26, 2); }, PictureError::NotAPicture},
        {"JPEG inside", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(30, 4); }, PictureError::NotAPicture},
        {"RLE8 at 24 bits", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(30, 1); }, PictureError::NotAPicture},
        {"RLE top-down", rle, [](Bmp& b) { b.u32(22, 0xFFFFFFFE); }, PictureError::NotAPicture},
        {"RLE size past the end", rle, [](Bmp& b) { b.u32(34, 1000); }, PictureError::NotAPicture},
        {"RLE absolute run past its end", rleOver, nullptr, PictureError::NotAPicture},
        {"bit fields all zero", MakeBmp(4, 4, 16, 0, 3), [](Bmp& b) { b.u32(54, 0); }, PictureError::NotAPicture},
        {"unknown header size", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(14, 44); }, PictureError::NotAPicture},
        {"header larger than the file", MakeBmp(3, 2, 24), [](Bmp& b) { b.u32(14, 124); b.bytes.resize(80); },
         PictureError::NotAPicture},
        {"not BM", MakeBmp(3, 2, 24), [](Bmp& b) { b.u8(0, 'X'); }, PictureError::NotAPicture},
        {"only the file header", MakeBmp(3, 2, 24), [](Bmp& b) { b.bytes.resize(14); }, PictureError::NotAPicture},
    };
    for (auto& c : cases) {
        if (c.edit) c.edit(c.bmp);
        BitmapInfo info;
        EXPECT_EQ(CheckBmp(c.bmp.bytes.data(), c.bmp.bytes.size(), info), c.want) << c.name;
        if (c.want == PictureError::None) {
            EXPECT_EQ(info.width, c.w) << c.name;
            EXPECT_EQ(info.height, c.h) << c.name;
            EXPECT_EQ(info.bitCount, c.bitCount) << c.name;
            EXPECT_LE(info.bitsOffset + info.bitsSize, c.bmp.bytes.size()) << c.name;
        }
    }
}

TEST(CheckBmp, PacksAndPositionsForTheSystem) {
    auto b = MakeBmp(4, -3, 8, 16);
    b.u32(46, 16);
    BitmapInfo info;
    ASSERT_EQ(CheckBmp(b.bytes.data(), b.bytes.size(), info), PictureError::None);
    EXPECT_TRUE(info.topDown);
    EXPECT_EQ(info.paletteCount, 16u);
    EXPECT_EQ(info.paletteOffset, 14u + 40);
    EXPECT_EQ(info.bitsOffset, 14u + 40 + 64);
    EXPECT_EQ(info.bitsSize, 12u);

    // The same bitmap as the clipboard holds it: no file header.
    BitmapInfo packed;
    ASSERT_EQ(CheckPackedDib(b.bytes.data() + 14, b.bytes.size() - 14, packed), PictureError::None);
    EXPECT_EQ(packed.bitsOffset, 40u + 64);
    EXPECT_EQ(packed.width, 4);
    EXPECT_EQ(CheckPackedDib(b.bytes.data() + 14, b.bytes.size() - 15, packed), PictureError::NotAPicture);
}

TEST(EncodeBmp, RoundTripsThroughTheCheckWithRowsBottomUp) {
    Pixels px{3, 2, 3, 2, {}};
    // Row 0: red, green, blue; row 1: white, black, grey.
    const std::uint8_t rows[2][3][3] = {{{0, 0, 255}, {0, 255, 0}, {255, 0, 0}},
                                        {{255, 255, 255}, {0, 0, 0}, {128, 128, 128}}};
    for (auto& row : rows)
        for (auto& p : row) px.bgra.insert(px.bgra.end(), {p[0], p[1], p[2], 0});
    const auto file = EncodeBmp(px);
    BitmapInfo info;
    ASSERT_EQ(CheckBmp(file.data(), file.size(), info), PictureError::None);
    EXPECT_EQ(info.width, 3);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.bitCount, 24);
    EXPECT_FALSE(info.topDown);
    EXPECT_EQ(file.size(), 54u + 2 * 12);   // rows padded to 4 bytes
    // The file's first row is the picture's bottom row.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(file[info.bitsOffset + (1 - y) * 12 + x * 3 + i], rows[y][x][i]) << x << "," << y;
    EXPECT_TRUE(EncodeBmp(Pixels{}).empty());
    EXPECT_TRUE(EncodeBmp(Pixels{4, 4, 4, 4, std::vector<std::uint8_t>(10)}).empty());   // pixels missing
}

// ---------------------------------------------------------------------------
// Icon files

TEST(CheckIco, DirectoryAndImagesTable) {
    struct Case {
        const char* name;
        Bmp ico;
        std::function<void(Bmp&)> edit;
        PictureError want;
        int w = 0, h = 0;
    } cases[] = {
        {"one 32x32 4-bit", MakeIco({DibIcon(32, 32, 4)}), nullptr, PictureError::None, 32, 32},
        {"largest of three", MakeIco({DibIcon(16, 16, 8), DibIcon(48, 48, 32), DibIcon(32, 32, 32)}), nullptr,
         PictureError::None, 48, 48},
        {"PNG image of 256", MakeIco({DibIcon(16, 16, 32), PngIcon(256, 256)}), nullptr, PictureError::None, 256, 256},
        {"no images", MakeIco({}), nullptr, PictureError::NotAPicture},
        {"a cursor", MakeIco({DibIcon(32, 32, 4)}), [](Bmp& b) { b.u16(2, 2); }, PictureError::NotAPicture},
        {"directory longer than the file", MakeIco({DibIcon(32, 32, 4)}), [](Bmp& b) { b.u16(4, 500); },
         PictureError::NotAPicture},
        {"image offset past the end", MakeIco({DibIcon(32, 32, 4)}), [](Bmp& b) { b.u32(6 + 12, 0xFFFFFFF0); },
         PictureError::NotAPicture},
        {"image size past the end", MakeIco({DibIcon(32, 32, 4)}), [](Bmp& b) { b.u32(6 + 8, 0x7FFFFFFF); },
         PictureError::NotAPicture},
        {"image inside the directory", MakeIco({DibIcon(32, 32, 4)}), [](Bmp& b) { b.u32(6 + 12, 2); },
         PictureError::NotAPicture},
        {"mask cut short", MakeIco({DibIcon(32, 32, 4)}),
         [](Bmp& b) { b.u32(6 + 8, static_cast<std::uint32_t>(b.bytes.size() - 22 - 4)); }, PictureError::NotAPicture},
        {"odd height", MakeIco({DibIcon(32, 32, 4)}), [](Bmp& b) { b.u32(22 + 8, 63); }, PictureError::NotAPicture},
        {"huge DIB header", MakeIco({DibIcon(32, 32, 4)}), [](Bmp& b) { b.u32(22 + 4, 100000); b.u32(22 + 8, 200000); },
         PictureError::TooLarge},
        {"huge PNG", MakeIco({PngIcon(100000, 100000)}), nullptr, PictureError::TooLarge},
        {"PNG without its header chunk", MakeIco({PngIcon(16, 16)}), [](Bmp& b) { b.u8(22 + 12, 'X'); },
         PictureError::NotAPicture},
        {"a bitmap file", MakeBmp(3, 2, 24), nullptr, PictureError::NotAPicture},
    };
    for (auto& c : cases) {
        if (c.edit) c.edit(c.ico);
        BitmapInfo info;
        EXPECT_EQ(CheckIco(c.ico.bytes.data(), c.ico.bytes.size(), info), c.want) << c.name;
        if (c.want == PictureError::None) {
            EXPECT_EQ(info.width, c.w) << c.name;
            EXPECT_EQ(info.height, c.h) << c.name;
            EXPECT_LE(info.imageOffset + info.imageSize, c.ico.bytes.size()) << c.name;
        }
    }
}

}  // namespace
}  // namespace kelup
