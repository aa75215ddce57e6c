// A TrueType font file held in memory, and the one operation the font tools
// need from it: a glyph rasterised into a fixed box at a fixed baseline.
#pragma once

#include <stb_truetype.h>

#include <string>
#include <vector>

#include "rgba_image.h"

namespace moonlit::fonts {

// Where a glyph goes inside its box. The glyph keeps the font's shape but
// is squeezed horizontally when it would be wider than the box, and it is
// centred horizontally on whole pixels so that stems stay sharp. A glyph
// that reaches above or below the box (a low underscore, a high accent) is
// moved up or down into it.
struct GlyphPlacement {
    int box_width = 0;
    int box_height = 0;
    int baseline = 0;   // row of the box the glyph's baseline sits on
    float scale = 0.0f; // pixels per font unit
    float widen = 1.0f; // extra horizontal scale, for broad letters in wide cells
};

// The characters whose ink sets a font's scale; rarer marks that reach
// further are moved into the box instead.
constexpr const char* kLettersAndDigits =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

class TrueTypeFace {
public:
    // Reads the file; false when it cannot be read or is not a font.
    bool Load(const std::string& path);

    bool HasGlyph(int code) const;
    // Vertical extents of the ink of the given characters, font units, y up.
    void InkBounds(const std::string& codes, int* y_min, int* y_max) const;
    // Horizontal advance of the code in font units.
    int Advance(int code) const;

    // The glyph's coverage in a box of the placement's size; anything that
    // still falls outside the box is dropped.
    AlphaMask Render(int code, const GlyphPlacement& placement) const;

private:
    std::vector<unsigned char> bytes;
    stbtt_fontinfo info{};
};

}  // namespace moonlit::fonts
