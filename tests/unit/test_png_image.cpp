// PNG encoding and decoding: row order (bottom row first in memory, top row first in the
// file), alpha kept or dropped, and refusal of malformed input.
#include <gtest/gtest.h>

#include <vector>

#include "model/png_image.h"

namespace {

// A 3 x 2 picture (odd width, so a wrong row stride shows), every pixel different.
RgbaImage sample() {
    RgbaImage image;
    image.width = 3;
    image.height = 2;
    for (int i = 0; i < 6; ++i) {
        const auto v = static_cast<unsigned char>(i);
        image.pixels.insert(image.pixels.end(), {static_cast<unsigned char>(10 + v), static_cast<unsigned char>(100 + v),
                                                 static_cast<unsigned char>(200 + v), static_cast<unsigned char>(40 * v)});
    }
    return image;
}

// PNG colour type from the IHDR chunk, which always starts at byte 16: 2 = RGB, 6 = RGBA.
int colourType(const std::vector<unsigned char>& png) { return png.size() > 25 ? png[25] : -1; }

}  // namespace

TEST(PngImage, DecodesTheTopRowOfTheFileAsTheLastRowInMemory) {
    // 2 x 2 RGB PNG written by hand (IHDR, one zlib-compressed IDAT, IEND):
    // top row red, green; bottom row blue, white.
    const std::vector<unsigned char> png = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00,
        0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xfd, 0xd4, 0x9a, 0x73, 0x00,
        0x00, 0x00, 0x12, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8, 0xcf, 0xc0, 0xc0, 0x00, 0xc2, 0x0c,
        0xff, 0x81, 0x00, 0x00, 0x1f, 0xee, 0x05, 0xfb, 0xf1, 0xab, 0xba, 0x77, 0x00, 0x00, 0x00, 0x00, 0x49,
        0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    RgbaImage image;
    ASSERT_TRUE(decodePng(png, &image));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    const std::vector<unsigned char> bottomRowFirst = {0, 0, 255, 255, 255, 255, 255, 255,
                                                       255, 0, 0, 255, 0, 255, 0, 255};
    EXPECT_EQ(image.pixels, bottomRowFirst);
}

TEST(PngImage, RoundTripKeepsEveryPixelInPlace) {
    const RgbaImage original = sample();

    const std::vector<unsigned char> withAlpha = encodePng(original, true);
    EXPECT_EQ(colourType(withAlpha), 6);
    RgbaImage decoded;
    ASSERT_TRUE(decodePng(withAlpha, &decoded));
    EXPECT_EQ(decoded.width, 3);
    EXPECT_EQ(decoded.height, 2);
    EXPECT_EQ(decoded.pixels, original.pixels);

    // A window's picture: opaque RGB, the colours unchanged.
    const std::vector<unsigned char> opaque = encodePng(original);
    EXPECT_EQ(colourType(opaque), 2);
    ASSERT_TRUE(decodePng(opaque, &decoded));
    RgbaImage expected = original;
    for (std::size_t i = 3; i < expected.pixels.size(); i += 4) expected.pixels[i] = 255;
    EXPECT_EQ(decoded.pixels, expected.pixels);
}

TEST(PngImage, RefusesMalformedInput) {
    RgbaImage wrongSize = sample();
    wrongSize.pixels.pop_back();
    RgbaImage empty;
    for (const RgbaImage& image : {wrongSize, empty}) EXPECT_TRUE(encodePng(image).empty());

    std::vector<unsigned char> truncated = encodePng(sample());
    truncated.resize(truncated.size() / 2);
    const std::vector<std::vector<unsigned char>> notPngs = {{}, {'G', 'I', 'F', '8', '9', 'a'}, truncated};
    for (const auto& bytes : notPngs) {
        RgbaImage image = sample();
        EXPECT_FALSE(decodePng(bytes, &image)) << bytes.size() << " bytes";
        EXPECT_TRUE(image.pixels.empty());
    }
}
