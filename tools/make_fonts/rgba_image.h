// Plain image buffers the font tools draw into: an 8-bit coverage mask for
// one rasterised glyph, and the RGBA strip that becomes a PNG.
#pragma once

#include <cstdint>
#include <vector>

namespace moonlit::fonts {

// One byte of coverage per pixel, rows top-down; 0 is empty, 255 is ink.
struct AlphaMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> alpha;

    AlphaMask() = default;
    AlphaMask(int w, int h) : width(w), height(h), alpha(std::size_t(w) * std::size_t(h), 0) {}

    std::uint8_t At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return alpha[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
};

// Four bytes per pixel (R, G, B, A, not premultiplied), rows top-down.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    RgbaImage() = default;
    RgbaImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h) * 4, 0) {}

    std::uint8_t* Pixel(int x, int y) {
        return &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
    }
    const std::uint8_t* Pixel(int x, int y) const {
        return &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
    }
};

}  // namespace moonlit::fonts
