#include "platform/d3dx/PictureDecoder.h"

#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using d3dx::Picture;
using d3dx::PictureDecoder;
namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path testData() { return fs::path(testing_paths::sourceDir()) / "tests" / "data"; }
fs::path pngSuite() { return testData() / "pngsuite"; }
fs::path ourData() { return testData() / "d3dx"; }

bool decodeFile(const fs::path& path, Picture& picture, std::string& error) {
    std::vector<unsigned char> bytes = readFile(path);
    return PictureDecoder::decode(bytes.data(), bytes.size(), picture, error);
}

int channel(std::uint32_t argb, int shift) { return int((argb >> shift) & 0xff); }

void expectNear(std::uint32_t actual, std::uint32_t expected, int tolerance, const char* what) {
    for (int shift : {24, 16, 8, 0})
        EXPECT_NEAR(channel(actual, shift), channel(expected, shift), tolerance)
            << what << std::hex << ": got 0x" << actual << ", expected 0x" << expected;
}

}  // namespace

TEST(PictureDecoder, PngSuitePrimaryMatchesExpectedDecodes) {
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(pngSuite() / "primary")) {
        SCOPED_TRACE(entry.path().filename().string());
        Picture picture, expected;
        std::string error;
        ASSERT_TRUE(decodeFile(entry.path(), picture, error)) << error;
        ASSERT_TRUE(decodeFile(pngSuite() / "primary_check" / entry.path().filename(), expected, error)) << error;
        ASSERT_EQ(picture.width, expected.width);
        ASSERT_EQ(picture.height, expected.height);
        ASSERT_EQ(picture.pixels.size(), std::size_t(picture.width) * picture.height);
        // Opaque pictures compare exactly; where the expected alpha is 0 the colour is free.
        int mismatches = 0;
        for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
            std::uint32_t a = picture.pixels[i], e = expected.pixels[i];
            if ((e >> 24) == 0 ? (a >> 24) != 0 : a != e) ++mismatches;
        }
        EXPECT_EQ(mismatches, 0);
        // Alpha is reported for files with an alpha channel or tRNS (the "t" files but tp0), not for others.
        std::string name = entry.path().filename().string();
        bool alphaChannel = name[4] == '4' || name[4] == '6';
        bool transparency = name[0] == 't' && name.rfind("tp0", 0) != 0;
        EXPECT_EQ(picture.hasAlpha, alphaChannel || transparency);
        bool anyTranslucent = false;
        for (std::uint32_t e : expected.pixels) anyTranslucent |= (e >> 24) != 0xff;
        if (anyTranslucent) {
            EXPECT_TRUE(picture.hasAlpha);
        }
        ++checked;
    }
    EXPECT_GE(checked, 70);
}

TEST(PictureDecoder, PngSuiteCorruptFilesAreRefused) {
    int refused = 0;
    for (const auto& entry : fs::directory_iterator(pngSuite() / "corrupt")) {
        SCOPED_TRACE(entry.path().filename().string());
        Picture picture;
        std::string error;
        EXPECT_FALSE(decodeFile(entry.path(), picture, error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(picture.pixels.empty());
        EXPECT_EQ(picture.width, 0);
        ++refused;
    }
    EXPECT_EQ(refused, 14);
}

TEST(PictureDecoder, SixteenBitAndIphoneFilesDecodeSoundlyOrAreRefused) {
    for (const char* folder : {"16bit", "iphone"}) {
        for (const auto& entry : fs::directory_iterator(pngSuite() / folder)) {
            SCOPED_TRACE(entry.path().filename().string());
            Picture picture;
            std::string error;
            if (decodeFile(entry.path(), picture, error)) {
                EXPECT_GT(picture.width, 0);
                EXPECT_EQ(picture.pixels.size(), std::size_t(picture.width) * picture.height);
            } else {
                EXPECT_FALSE(error.empty());
                EXPECT_TRUE(picture.pixels.empty());
            }
        }
    }
    // A 16-bit file is scaled to 8 bits per channel, not refused.
    Picture picture;
    std::string error;
    ASSERT_TRUE(decodeFile(pngSuite() / "16bit" / "basn2c16.png", picture, error)) << error;
    EXPECT_EQ(picture.width, 32);
    EXPECT_FALSE(picture.hasAlpha);
    // An RGB file without tRNS is opaque throughout.
    for (std::uint32_t pixel : picture.pixels) EXPECT_EQ(pixel >> 24, 0xffu);
}

TEST(PictureDecoder, BaselineAndProgressiveJpegDecode) {
    for (const char* name : {"baseline.jpg", "progressive.jpg"}) {
        SCOPED_TRACE(name);
        Picture picture;
        std::string error;
        ASSERT_TRUE(decodeFile(ourData() / name, picture, error)) << error;
        EXPECT_EQ(picture.width, 32);
        EXPECT_EQ(picture.height, 16);
        EXPECT_FALSE(picture.hasAlpha);
        expectNear(picture.at(3, 8), 0xffff0000, 6, "left half red");
        expectNear(picture.at(28, 8), 0xff00ff00, 6, "right half green");
    }
}

TEST(PictureDecoder, GreyJpegIsExpandedToRgb) {
    Picture picture;
    std::string error;
    ASSERT_TRUE(decodeFile(ourData() / "grey.jpg", picture, error)) << error;
    EXPECT_EQ(picture.width, 13);
    EXPECT_EQ(picture.height, 7);
    for (std::uint32_t pixel : picture.pixels) expectNear(pixel, 0xff808080, 2, "grey");
}

TEST(PictureDecoder, PngWithAlphaKeepsIt) {
    Picture picture;
    std::string error;
    ASSERT_TRUE(decodeFile(ourData() / "alpha8x4.png", picture, error)) << error;
    EXPECT_TRUE(picture.hasAlpha);
    expectNear(picture.at(7, 3), 0x80ff0000, 1, "half-transparent red");
}

TEST(PictureDecoder, TruncatedAndForeignBytesAreRefused) {
    std::vector<unsigned char> jpeg = readFile(ourData() / "baseline.jpg");
    std::vector<unsigned char> png = readFile(pngSuite() / "primary" / "basn6a08.png");
    Picture picture;
    std::string error;
    // Every cut of a valid file short of the whole is refused.
    for (std::size_t cut = 0; cut < png.size(); cut += 7) {
        EXPECT_FALSE(PictureDecoder::decode(png.data(), cut, picture, error)) << "PNG cut at " << cut;
    }
    for (std::size_t cut = 0; cut + 2 < jpeg.size(); cut += 11) {
        EXPECT_FALSE(PictureDecoder::decode(jpeg.data(), cut, picture, error)) << "JPEG cut at " << cut;
    }
    EXPECT_TRUE(PictureDecoder::decode(png.data(), png.size(), picture, error)) << error;
    const char text[] = "<demo></demo>";
    EXPECT_FALSE(PictureDecoder::decode(text, sizeof text, picture, error));
    EXPECT_FALSE(PictureDecoder::decode(nullptr, 0, picture, error));
}

TEST(PictureDecoder, JpegStrayBytesBeforeAMarkerAreAcceptedDamagedDataIsNot) {
    const std::vector<unsigned char> jpeg = readFile(ourData() / "baseline.jpg");
    Picture original, picture;
    std::string error;
    ASSERT_TRUE(PictureDecoder::decode(jpeg.data(), jpeg.size(), original, error)) << error;
    // The segments before the picture data: SOI, then marker + big-endian length up to SOS.
    std::vector<std::size_t> markers;
    std::size_t at = 2, scanData = 0;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xff) {
        markers.push_back(at);
        std::size_t length = std::size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        at += 2 + length;
        if (jpeg[markers.back() + 1] == 0xda) {
            scanData = at;
            break;
        }
    }
    ASSERT_GE(markers.size(), 3u);
    ASSERT_GT(scanData, 0u);
    ASSERT_LT(scanData + 8, jpeg.size() - 2);
    const unsigned char stray[] = {0x00, 0x11, 0x22, 0x33, 0x44};

    // Stray bytes between two header segments, and before the end marker: the same picture.
    for (std::size_t before : {markers[1], markers[2], jpeg.size() - 2}) {
        SCOPED_TRACE(before);
        std::vector<unsigned char> file = jpeg;
        file.insert(file.begin() + std::ptrdiff_t(before), std::begin(stray), std::end(stray));
        ASSERT_TRUE(PictureDecoder::decode(file.data(), file.size(), picture, error)) << error;
        EXPECT_EQ(picture.pixels, original.pixels);
    }
    // A marker in the middle of the picture data (the rest is lost) and a file without its end
    // marker stay refused.
    std::vector<unsigned char> hit = jpeg;
    std::size_t middle = (scanData + jpeg.size() - 2) / 2;
    hit[middle] = 0xff;
    hit[middle + 1] = 0xd0;
    EXPECT_FALSE(PictureDecoder::decode(hit.data(), hit.size(), picture, error));
    EXPECT_TRUE(picture.pixels.empty());
    std::vector<unsigned char> cut(jpeg.begin(), jpeg.end() - 2);
    EXPECT_FALSE(PictureDecoder::decode(cut.data(), cut.size(), picture, error));
}

TEST(PictureDecoder, PictureLargerThanTheLimitIsRefused) {
    std::vector<unsigned char> png = readFile(pngSuite() / "primary" / "basn2c08.png");  // 32 x 32
    Picture picture;
    std::string error;
    EXPECT_FALSE(PictureDecoder::decode(png.data(), png.size(), picture, error, 32 * 32 - 1));
    EXPECT_TRUE(PictureDecoder::decode(png.data(), png.size(), picture, error, 32 * 32)) << error;
}

TEST(PictureDecoder, EveryKeptBadPictureIsRefusedWithoutCrashing) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(testing_paths::sourceDir()) / "tests/data/bad/picture")) {
        SCOPED_TRACE(entry.path().filename().string());
        Picture picture;
        std::string error;
        std::vector<unsigned char> bytes = readFile(entry.path());
        EXPECT_FALSE(PictureDecoder::decode(bytes.data(), bytes.size(), picture, error));
        EXPECT_TRUE(picture.pixels.empty());
        ++count;
    }
    EXPECT_GE(count, 7);
}

TEST(PictureMips, OddSizesHalveDownToOneByOne) {
    Picture picture;
    picture.width = 13;
    picture.height = 7;
    picture.pixels.assign(13 * 7, 0xff000000);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) picture.pixels[y * 13 + x] = 0xff000000 | (x * 16) << 16 | (y * 32);
    std::vector<Picture> chain = d3dx::makeMipChain(picture);
    ASSERT_EQ(chain.size(), 4u);
    const int sizes[4][2] = {{13, 7}, {6, 3}, {3, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(chain[i].width, sizes[i][0]);
        EXPECT_EQ(chain[i].height, sizes[i][1]);
        EXPECT_EQ(chain[i].pixels.size(), std::size_t(sizes[i][0] * sizes[i][1]));
    }
    // Level 1 texel (2, 1) averages source texels x 4..5, y 2..3: red (64 + 80) / 2, blue (64 + 96) / 2.
    EXPECT_EQ(chain[1].at(2, 1), 0xff000000u | (72u << 16) | 80u);
    // Level 2 texel (0, 0) averages level-1 texels x 0..1, y 0..1.
    std::uint32_t a = chain[1].at(0, 0), b = chain[1].at(1, 0), c = chain[1].at(0, 1), d = chain[1].at(1, 1);
    unsigned red = ((a >> 16 & 255) + (b >> 16 & 255) + (c >> 16 & 255) + (d >> 16 & 255) + 2) / 4;
    EXPECT_EQ(chain[2].at(0, 0) >> 16 & 255, red);
}

TEST(PictureMips, SquarePowerOfTwoHasFullChainAndAveragesAlpha) {
    Picture picture;
    picture.width = picture.height = 4;
    picture.hasAlpha = true;
    picture.pixels = {0x00000000, 0xffffffff, 0x00000000, 0xffffffff,  // a checker of clear and white
                      0xffffffff, 0x00000000, 0xffffffff, 0x00000000,
                      0x00000000, 0xffffffff, 0x00000000, 0xffffffff,
                      0xffffffff, 0x00000000, 0xffffffff, 0x00000000};
    std::vector<Picture> chain = d3dx::makeMipChain(picture);
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_TRUE(chain[2].hasAlpha);
    for (std::uint32_t texel : chain[1].pixels) EXPECT_EQ(texel, 0x80808080u);
    EXPECT_EQ(chain[2].at(0, 0), 0x80808080u);
}
