// Draws the default font strip: each glyph is rasterised into the 8 x 16
// inside of its cell, the cell's one-pixel border stays transparent.
#include "kova_font.h"

#include <algorithm>
#include <cmath>

namespace moonlit::fonts {
namespace {

// One scale for every glyph: the advance fills the glyph width, shrunk if
// the tallest letters and digits would not fit the glyph height.
GlyphPlacement KovaPlacement(const TrueTypeFace& mono) {
    int y_min, y_max;
    mono.InkBounds(kLettersAndDigits, &y_min, &y_max);
    float scale = float(kKovaGlyphWidth) / float(mono.Advance('M'));
    float tallest = float(y_max - y_min) * scale;
    if (tallest > float(kKovaGlyphHeight)) scale *= float(kKovaGlyphHeight) / tallest;

    GlyphPlacement p;
    p.box_width = kKovaGlyphWidth;
    p.box_height = kKovaGlyphHeight;
    p.scale = scale;
    int ink_rows = int(std::ceil(float(y_max - y_min) * scale));
    p.baseline = std::max(0, (kKovaGlyphHeight - ink_rows) / 2) + int(std::ceil(float(y_max) * scale));
    return p;
}

void PutWhiteGlyph(RgbaImage& strip, const AlphaMask& glyph, int left, int top) {
    for (int y = 0; y < glyph.height; ++y) {
        for (int x = 0; x < glyph.width; ++x) {
            std::uint8_t* px = strip.Pixel(left + x, top + y);
            px[3] = glyph.At(x, y);
        }
    }
}

}  // namespace

RgbaImage MakeKovaFont(const TrueTypeFace& mono) {
    RgbaImage strip(kKovaCellWidth * kKovaCellCount, kKovaCellHeight);
    // White everywhere, so that only the alpha channel carries the glyphs and
    // filtered edges never pick up a dark fringe.
    for (std::size_t i = 0; i < strip.pixels.size(); i += 4) {
        strip.pixels[i] = strip.pixels[i + 1] = strip.pixels[i + 2] = 255;
    }
    GlyphPlacement placement = KovaPlacement(mono);
    for (int i = 0; i < kKovaCellCount; ++i) {
        int code = kKovaFirstCode + i;
        if (code == 32 || code == 127) continue;  // space and the delete control draw nothing
        PutWhiteGlyph(strip, mono.Render(code, placement), i * kKovaCellWidth + 1, 1);
    }
    return strip;
}

}  // namespace moonlit::fonts
