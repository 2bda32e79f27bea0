// Pictures as the image notes get them: files of each kind loaded through
// the checks and the system, hostile files refused, large pictures scaled to
// fit, the clipboard both ways and bitmap files written and read back.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "notes/PictureLoad.h"
#include "notes/tests/PictureFixtures.h"

namespace kelup {
namespace {

using namespace testpic;

class PictureLoadWin : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        dir_ = std::wstring(base) + L"kelup_picture_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(dir_.c_str(), nullptr);
    }
    void TearDown() override {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir_ + L"*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((dir_ + fd.cFileName).c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(dir_.c_str());
    }
    std::wstring Write(const wchar_t* name, const std::vector<std::uint8_t>& bytes) {
        const std::wstring path = dir_ + name;
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        DWORD wrote = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
        CloseHandle(h);
        return path;
    }
    std::vector<std::wstring> Files() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir_ + L"*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }
    std::wstring dir_;
};

// A pixel of a loaded picture (B, G, R as 0xRRGGBB): bitmaps from their DIB
// section, icons drawn on black.
COLORREF PixelAt(const LoadedPicture& p, int x, int y) {
    if (p.bitmap) {
        DIBSECTION ds{};
        if (GetObjectW(p.bitmap.get(), sizeof ds, &ds) != sizeof ds || !ds.dsBm.bmBits) return 0xFFFFFFFF;
        EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
        const auto* row = static_cast<const std::uint8_t*>(ds.dsBm.bmBits) + static_cast<std::size_t>(y) * ds.dsBm.bmWidthBytes;
        const std::uint8_t* px = row + 4 * x;
        return static_cast<COLORREF>(px[0] | (px[1] << 8) | (px[2] << 16) | (px[3] << 24));
    }
    if (p.icon) {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, p.width, p.height);
        HGDIOBJ old = SelectObject(dc, bmp);
        RECT r{0, 0, p.width, p.height};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        DrawIconEx(dc, 0, 0, p.icon.get(), p.width, p.height, 0, nullptr, DI_NORMAL);
        const COLORREF c = GetPixel(dc, x, y);   // 0x00BBGGRR
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    return 0xFFFFFFFF;
}

::testing::AssertionResult Near(COLORREF got, COLORREF want, int tolerance = 24) {
    for (int s : {0, 8, 16}) {
        const int a = (got >> s) & 0xFF, b = (want >> s) & 0xFF;
        if (std::abs(a - b) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "0x" << got << " (0xRRGGBB), expected about 0x" << want;
    }
    return ::testing::AssertionSuccess();
}

// Green icon: 32 bits a pixel, opaque.
Bmp GreenIcon(int size) {
    IcoImage img = DibIcon(size, size, 32);
    for (int i = 0; i < size * size; ++i) {
        img.bytes[40 + 4 * i] = 0;
        img.bytes[40 + 4 * i + 1] = 200;
        img.bytes[40 + 4 * i + 2] = 0;
        img.bytes[40 + 4 * i + 3] = 255;
    }
    return MakeIco({DibIcon(16, 16, 4), img});
}

// An icon file of one 256 × 256 image stored as PNG (a green palette
// picture), as icon editors write their largest size.
const std::vector<std::uint8_t> kPngIcon = {
    0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x20, 0x00, 0x67, 0x00, 0x00, 0x00,
    0x16, 0x00, 0x00, 0x00, 0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x03, 0x00, 0x00, 0x00, 0x66, 0xbc, 0x3a,
    0x25, 0x00, 0x00, 0x00, 0x03, 0x50, 0x4c, 0x54, 0x45, 0x00, 0xc8, 0x00, 0xa4, 0x59, 0x60, 0x9c, 0x00, 0x00,
    0x00, 0x1f, 0x49, 0x44, 0x41, 0x54, 0x68, 0xde, 0xed, 0xc1, 0x01, 0x0d, 0x00, 0x00, 0x00, 0xc2, 0xa0, 0xf7,
    0x4f, 0x6d, 0x0e, 0x37, 0xa0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xbe, 0x0d, 0x21, 0x00, 0x00,
    0x01, 0x7f, 0x19, 0x9c, 0xa7, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

TEST_F(PictureLoadWin, EachKindLoadsAtItsSizeWithItsColours) {
    // Bitmap: a known 3 × 2 picture, written bottom-up as files are.
    Pixels small{3, 2, 3, 2, {}};
    const std::uint32_t colours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
    for (std::uint32_t c : colours)
        small.bgra.insert(small.bgra.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                             static_cast<std::uint8_t>(c >> 16), 0});
    // An 8-bit bitmap: palette entry 1 is orange, every pixel uses it.
    Bmp pal = MakeBmp(5, 4, 8, 2);
    pal.u32(46, 2);
    pal.u32(14 + 40 + 4, 0x00FF8000);
    for (std::size_t i = 14 + 40 + 8; i < pal.bytes.size(); ++i) pal.bytes[i] = 1;
    // RLE8: two rows of 8 pixels of palette entry 1 (purple).
    Bmp rle = MakeBmp(8, 2, 8, 2, 1, 8);
    rle.u32(46, 2);
    rle.u32(14 + 40 + 4, 0x00800080);
    const std::uint8_t stream[8] = {8, 1, 0, 0, 8, 1, 0, 1};
    std::memcpy(rle.bytes.data() + rle.bytes.size() - 8, stream, 8);

    struct Case {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        PictureType type;
        int w, h;
        int x, y;
        COLORREF colour;   // 0xRRGGBB
    } cases[] = {
        {L"a.jpg", RedBlueJpeg(64, 48), PictureType::Jpeg, 64, 48, 5, 40, 0xDC1414},
        {L"b.jpg", RedBlueJpeg(64, 48), PictureType::Jpeg, 64, 48, 60, 3, 0x1414DC},
        {L"c.bmp", EncodeBmp(small), PictureType::Bitmap, 3, 2, 0, 0, 0xFF0000},
        {L"d.bmp", EncodeBmp(small), PictureType::Bitmap, 3, 2, 2, 1, 0x808080},
        {L"e.bmp", pal.bytes, PictureType::Bitmap, 5, 4, 4, 3, 0xFF8000},
        {L"f.bmp", rle.bytes, PictureType::Bitmap, 8, 2, 7, 0, 0x800080},
        {L"g.ico", GreenIcon(32).bytes, PictureType::Icon, 32, 32, 16, 16, 0x00C800},
        {L"h.ico", kPngIcon, PictureType::Icon, 256, 256, 200, 100, 0x00C800},
    };
    for (const auto& c : cases) {
        const std::wstring path = Write(c.name, c.bytes);
        LoadedPicture p;
        ASSERT_EQ(LoadPictureFile(path, c.type, p), LoadResult::Ok) << c.name;
        EXPECT_EQ(p.type, c.type);
        EXPECT_EQ(p.width, c.w) << c.name;
        EXPECT_EQ(p.height, c.h) << c.name;
        EXPECT_EQ(p.orgWidth, c.w) << c.name;
        EXPECT_EQ(p.orgHeight, c.h) << c.name;
        EXPECT_EQ(static_cast<bool>(p.icon), c.type == PictureType::Icon) << c.name;
        EXPECT_TRUE(Near(PixelAt(p, c.x, c.y), c.colour, c.type == PictureType::Jpeg ? 24 : 2)) << c.name;
    }
}

TEST_F(PictureLoadWin, DamagedOrHostileFilesAreRefusedAndLeaveNothing) {
    Bmp offsetPastEnd = MakeBmp(4, 4, 24);
    offsetPastEnd.u32(10, 0x7FFFFF00);
    Bmp huge = MakeBmp(4, 4, 24);
    huge.u32(18, 100000);
    huge.u32(22, 100000);
    Bmp icoPastEnd = GreenIcon(32);
    icoPastEnd.u32(6 + 16 + 12, 0x7FFFFFF0);
    Bmp icoHuge = MakeIco({PngIcon(70000, 70000)});
    auto jpeg = RedBlueJpeg(64, 48);
    std::vector<std::uint8_t> jpegCut(jpeg.begin(), jpeg.begin() + 40);
    auto jpegHuge = jpeg;
    for (std::size_t i = 2; i + 9 < jpegHuge.size(); ++i)
        if (jpegHuge[i] == 0xFF && jpegHuge[i + 1] == 0xC0) {
            jpegHuge[i + 5] = jpegHuge[i + 7] = 0xEA;   // 60000 × 60000
            jpegHuge[i + 6] = jpegHuge[i + 8] = 0x60;
            break;
        }

    struct Case {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        PictureType type;
        LoadResult want;
    } cases[] = {
        {L"offset.bmp", offsetPastEnd.bytes, PictureType::Bitmap, LoadResult::NotAPicture},
        {L"huge.bmp", huge.bytes, PictureType::Bitmap, LoadResult::TooLarge},
        {L"jpeg.bmp", jpeg, PictureType::Bitmap, LoadResult::NotAPicture},
        {L"empty.bmp", {}, PictureType::Bitmap, LoadResult::NotAPicture},
        {L"past.ico", icoPastEnd.bytes, PictureType::Icon, LoadResult::NotAPicture},
        {L"huge.ico", icoHuge.bytes, PictureType::Icon, LoadResult::TooLarge},
        {L"cut.jpg", jpegCut, PictureType::Jpeg, LoadResult::NotAPicture},
        {L"huge.jpg", jpegHuge, PictureType::Jpeg, LoadResult::TooLarge},
        {L"bitmap.jpg", MakeBmp(4, 4, 24).bytes, PictureType::Jpeg, LoadResult::NotAPicture},
    };
    for (const auto& c : cases) {
        const std::wstring path = Write(c.name, c.bytes);
        LoadedPicture p;
        EXPECT_EQ(LoadPictureFile(path, c.type, p), c.want) << c.name;
        EXPECT_FALSE(p.bitmap) << c.name;
        EXPECT_FALSE(p.icon) << c.name;
        EXPECT_EQ(p.width, 0) << c.name;
    }
    LoadedPicture p;
    EXPECT_EQ(LoadPictureFile(dir_ + L"missing.jpg", PictureType::Jpeg, p), LoadResult::Unreadable);
    EXPECT_EQ(LoadPictureFile(Write(L"x.png", jpeg), PictureType::None, p), LoadResult::NotAPicture);
}

TEST_F(PictureLoadWin, LargePicturesComeScaledToFitKeepingTheirOwnSize) {
    // A bitmap of 1500 × 1000: left half red, right half blue.
    Pixels big{1500, 1000, 1500, 1000, {}};
    big.bgra.resize(1500u * 1000 * 4);
    for (int y = 0; y < 1000; ++y)
        for (int x = 0; x < 1500; ++x) {
            std::uint8_t* p = big.bgra.data() + (static_cast<std::size_t>(y) * 1500 + x) * 4;
            p[x < 750 ? 2 : 0] = 220;
        }
    struct Case {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        PictureType type;
        int orgW, orgH, fitW, fitH, w, h;
    } cases[] = {
        {L"big.jpg", RedBlueJpeg(3000, 2000), PictureType::Jpeg, 3000, 2000, 1024, 768, 1024, 683},
        {L"tall.jpg", RedBlueJpeg(1000, 4000), PictureType::Jpeg, 1000, 4000, 1024, 768, 192, 768},
        {L"big.bmp", EncodeBmp(big), PictureType::Bitmap, 1500, 1000, 1024, 768, 1024, 683},
        {L"fits.bmp", EncodeBmp(big), PictureType::Bitmap, 1500, 1000, 2000, 2000, 1500, 1000},
        {L"png.ico", kPngIcon, PictureType::Icon, 256, 256, 100, 64, 64, 64},
    };
    for (const auto& c : cases) {
        LoadedPicture p;
        ASSERT_EQ(LoadPictureFile(Write(c.name, c.bytes), c.type, p, c.fitW, c.fitH), LoadResult::Ok) << c.name;
        EXPECT_EQ(p.width, c.w) << c.name;
        EXPECT_EQ(p.height, c.h) << c.name;
        EXPECT_EQ(p.orgWidth, c.orgW) << c.name;
        EXPECT_EQ(p.orgHeight, c.orgH) << c.name;
        if (c.type == PictureType::Icon) {
            ICONINFO ii{};
            ASSERT_TRUE(GetIconInfo(p.icon.get(), &ii)) << c.name;
            BITMAP bm{};
            GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
            EXPECT_EQ(bm.bmWidth, c.w) << c.name;
            if (ii.hbmColor) DeleteObject(ii.hbmColor);
            DeleteObject(ii.hbmMask);
            EXPECT_TRUE(Near(PixelAt(p, c.w / 2, c.h / 2), 0x00C800, 2)) << c.name;
            continue;
        }
        BITMAP bm{};
        ASSERT_TRUE(GetObjectW(p.bitmap.get(), sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, c.w) << c.name;
        EXPECT_EQ(bm.bmHeight, c.h) << c.name;
        EXPECT_TRUE(Near(PixelAt(p, p.width / 8, p.height / 2), 0xDC1414, 30)) << c.name;
        EXPECT_TRUE(Near(PixelAt(p, p.width - 1 - p.width / 8, p.height / 2), 0x1414DC, 30)) << c.name;
    }
}

// A plain window to own the clipboard.
struct Owner {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ~Owner() { DestroyWindow(hwnd); }
};

TEST_F(PictureLoadWin, ClipboardRoundTripKeepsThePixels) {
    Owner owner;
    ASSERT_NE(owner.hwnd, nullptr);
    LoadedPicture src;
    ASSERT_EQ(LoadPictureFile(Write(L"a.jpg", RedBlueJpeg(40, 30)), PictureType::Jpeg, src), LoadResult::Ok);
    ASSERT_TRUE(PictureToClipboard(owner.hwnd, src));
    EXPECT_TRUE(ClipboardHasPicture());

    LoadedPicture back;
    ASSERT_EQ(PictureFromClipboard(owner.hwnd, back), LoadResult::Ok);
    EXPECT_EQ(back.type, PictureType::Bitmap);
    EXPECT_EQ(back.width, 40);
    EXPECT_EQ(back.height, 30);
    EXPECT_EQ(back.orgWidth, 40);
    for (int y = 0; y < 30; y += 7)
        for (int x = 0; x < 40; x += 3) ASSERT_EQ(PixelAt(back, x, y), PixelAt(src, x, y)) << x << "," << y;

    // Scaled on the way in, as files are.
    LoadedPicture fitted;
    ASSERT_EQ(PictureFromClipboard(owner.hwnd, fitted, 20, 20), LoadResult::Ok);
    EXPECT_EQ(fitted.width, 20);
    EXPECT_EQ(fitted.height, 15);
    EXPECT_EQ(fitted.orgWidth, 40);

    // A packed bitmap whose header claims far more than it holds is refused.
    Bmp lie = MakeBmp(4, 4, 24);
    lie.u32(18, 100000);
    lie.u32(22, 100000);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, lie.bytes.size() - 14);
    std::memcpy(GlobalLock(mem), lie.bytes.data() + 14, lie.bytes.size() - 14);
    GlobalUnlock(mem);
    ASSERT_TRUE(OpenClipboard(owner.hwnd));
    EmptyClipboard();
    SetClipboardData(CF_DIB, mem);
    CloseClipboard();
    LoadedPicture refused;
    EXPECT_EQ(PictureFromClipboard(owner.hwnd, refused), LoadResult::TooLarge);
    EXPECT_FALSE(refused.bitmap);

    ASSERT_TRUE(OpenClipboard(owner.hwnd));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(ClipboardHasPicture());
    LoadedPicture none;
    EXPECT_EQ(PictureFromClipboard(owner.hwnd, none), LoadResult::NotAPicture);
}

TEST_F(PictureLoadWin, SavedBitmapReadsBackWithTheSamePixels) {
    struct Case {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        PictureType type;
    } cases[] = {
        {L"a.jpg", RedBlueJpeg(37, 21), PictureType::Jpeg},   // odd width: padded rows
        {L"b.ico", GreenIcon(32).bytes, PictureType::Icon},
    };
    for (const auto& c : cases) {
        LoadedPicture src;
        ASSERT_EQ(LoadPictureFile(Write(c.name, c.bytes), c.type, src), LoadResult::Ok) << c.name;
        const std::wstring saved = dir_ + L"saved.bmp";
        ASSERT_TRUE(SaveBitmapFile(src, saved)) << c.name;
        LoadedPicture back;
        ASSERT_EQ(LoadPictureFile(saved, PictureType::Bitmap, back), LoadResult::Ok) << c.name;
        EXPECT_EQ(back.width, src.width);
        EXPECT_EQ(back.height, src.height);
        for (int y = 0; y < src.height; ++y)
            for (int x = 0; x < src.width; ++x)
                ASSERT_EQ(PixelAt(back, x, y), PixelAt(src, x, y)) << c.name << " " << x << "," << y;
    }
    // Overwrites what was there; into a folder that is not there, nothing is
    // written and nothing is left behind.
    LoadedPicture src;
    ASSERT_EQ(LoadPictureFile(dir_ + L"a.jpg", PictureType::Jpeg, src), LoadResult::Ok);
    ASSERT_TRUE(SaveBitmapFile(src, dir_ + L"saved.bmp"));
    EXPECT_FALSE(SaveBitmapFile(src, dir_ + L"nofolder\\x.bmp"));
    std::vector<std::wstring> files = Files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::wstring>{L"a.jpg", L"b.ico", L"saved.bmp"}));
    EXPECT_FALSE(SaveBitmapFile(LoadedPicture{}, dir_ + L"empty.bmp"));
}

}  // namespace
}  // namespace kelup
