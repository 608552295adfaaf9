// PNG encoding and decoding of RGBA8 pictures read back from the frame buffer.
// Pure: no GL header. Pictures here keep glReadPixels' row order (bottom row first);
// PNG stores the top row first, so encoding and decoding flip the rows.
#pragma once

#include <vector>

// An RGBA8 picture: width * height * 4 bytes, row 0 is the bottom row (as glReadPixels gives it).
struct RgbaImage {
    int width = 0;                      // pixels
    int height = 0;                     // pixels
    std::vector<unsigned char> pixels;  // R, G, B, A per pixel, bottom row first
};

// PNG file bytes of the picture. With keepAlpha false (a window's picture) an opaque RGB PNG
// is written: a window shows no transparency, whatever alpha blending left in the frame buffer.
// Empty when the picture is empty or its pixel count does not match width * height.
std::vector<unsigned char> encodePng(const RgbaImage& image, bool keepAlpha = false);

// Decodes PNG bytes to RGBA8, bottom row first (alpha 255 where the PNG has none).
// False, with *image left empty, when the bytes are not a readable PNG.
bool decodePng(const std::vector<unsigned char>& png, RgbaImage* image);
