// PNG encoding and decoding through stb_image_write and stb_image (Debian libstb-dev),
// compiled here with static linkage so no other translation unit sees their symbols.
#include "model/png_image.h"

#include <cstddef>
#include <cstring>
#include <limits>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

std::vector<unsigned char> encodePng(const RgbaImage& image, bool keepAlpha) {
    if (image.width <= 0 || image.height <= 0) return {};
    const std::size_t w = static_cast<std::size_t>(image.width);
    const std::size_t h = static_cast<std::size_t>(image.height);
    if (image.pixels.size() != w * h * 4) return {};

    // Top row first, as PNG stores it; alpha dropped unless kept.
    const std::size_t channels = keepAlpha ? 4 : 3;
    std::vector<unsigned char> rows(w * h * channels);
    for (std::size_t y = 0; y < h; ++y) {
        const unsigned char* src = &image.pixels[(h - 1 - y) * w * 4];
        unsigned char* dst = &rows[y * w * channels];
        for (std::size_t x = 0; x < w; ++x) std::memcpy(dst + x * channels, src + x * 4, channels);
    }

    std::vector<unsigned char> png;
    const int stride = image.width * static_cast<int>(channels);
    if (!stbi_write_png_to_func(appendBytes, &png, image.width, image.height, static_cast<int>(channels),
                                rows.data(), stride))
        return {};
    return png;
}

bool decodePng(const std::vector<unsigned char>& png, RgbaImage* image) {
    *image = RgbaImage{};
    if (png.empty() || png.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return false;
    int w = 0, h = 0, channelsInFile = 0;
    unsigned char* top = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &w, &h,
                                               &channelsInFile, 4);
    if (!top) return false;

    // Back to bottom row first.
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
    image->width = w;
    image->height = h;
    image->pixels.resize(rowBytes * static_cast<std::size_t>(h));
    for (std::size_t y = 0; y < static_cast<std::size_t>(h); ++y)
        std::memcpy(&image->pixels[y * rowBytes], top + (static_cast<std::size_t>(h) - 1 - y) * rowBytes, rowBytes);
    stbi_image_free(top);
    return true;
}
