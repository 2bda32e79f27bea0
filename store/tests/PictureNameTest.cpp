#include "store/PictureName.h"

#include <gtest/gtest.h>

#include <set>

namespace kelup {
namespace {

TEST(PictureName, PicturesOfTheSameTwoSecondsGetTheirOwnNames) {
    std::set<std::wstring> written;
    auto taken = [&](const std::wstring& n) { return written.count(n) != 0; };
    // Three pictures saved within one two-second step of the stamp.
    for (int i = 0; i < 3; ++i) written.insert(UniquePictureName(1470000000u, taken));
    EXPECT_EQ(written, (std::set<std::wstring>{L"1470000000.bmp", L"1470000001.bmp", L"1470000002.bmp"}));
}

TEST(PictureName, StampAboveTheSignedRangeStaysUnsigned) {
    EXPECT_EQ(UniquePictureName(0xF0000000u, [](const std::wstring&) { return false; }), L"4026531840.bmp");
}

}  // namespace
}  // namespace kelup
