// Loading a TrueType file and rasterising single glyphs with stb_truetype.
#include "truetype_face.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace moonlit::fonts {

bool TrueTypeFace::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes.empty()) return false;
    int offset = stbtt_GetFontOffsetForIndex(bytes.data(), 0);
    return offset >= 0 && stbtt_InitFont(&info, bytes.data(), offset) != 0;
}

bool TrueTypeFace::HasGlyph(int code) const {
    return stbtt_FindGlyphIndex(&info, code) != 0;
}

void TrueTypeFace::InkBounds(const std::string& codes, int* y_min, int* y_max) const {
    *y_min = 0;
    *y_max = 0;
    for (unsigned char code : codes) {
        int x0, y0, x1, y1;
        if (!HasGlyph(code) || !stbtt_GetCodepointBox(&info, code, &x0, &y0, &x1, &y1)) continue;
        *y_min = std::min(*y_min, y0);
        *y_max = std::max(*y_max, y1);
    }
}

int TrueTypeFace::Advance(int code) const {
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&info, code, &advance, &bearing);
    return advance;
}

AlphaMask TrueTypeFace::Render(int code, const GlyphPlacement& p) const {
    AlphaMask box(p.box_width, p.box_height);
    int x0, y0, x1, y1;
    if (!HasGlyph(code) || !stbtt_GetCodepointBox(&info, code, &x0, &y0, &x1, &y1)) return box;

    // Squeeze glyphs that are wider than the box rather than cut them.
    float scale_x = p.scale * p.widen;
    float ink_width = float(x1 - x0) * scale_x;
    if (ink_width > float(p.box_width)) scale_x = float(p.box_width) / float(x1 - x0) * 0.999f;

    int bx0, by0, bx1, by1;
    stbtt_GetCodepointBitmapBox(&info, code, scale_x, p.scale, &bx0, &by0, &bx1, &by1);
    // Pixel rounding of the ink box can still add a column: squeeze a little more.
    for (int tries = 0; tries < 8 && bx1 - bx0 > p.box_width; ++tries) {
        scale_x *= 0.97f;
        stbtt_GetCodepointBitmapBox(&info, code, scale_x, p.scale, &bx0, &by0, &bx1, &by1);
    }
    int w = bx1 - bx0, h = by1 - by0;
    if (w <= 0 || h <= 0) return box;

    std::vector<unsigned char> ink(std::size_t(w) * std::size_t(h), 0);
    stbtt_MakeCodepointBitmap(&info, ink.data(), w, h, w, scale_x, p.scale, code);

    int left = (p.box_width - w) / 2;
    int top = p.baseline + by0;
    if (top + h > p.box_height) top = p.box_height - h;
    if (top < 0) top = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int tx = left + x, ty = top + y;
            if (tx < 0 || ty < 0 || tx >= p.box_width || ty >= p.box_height) continue;
            box.alpha[std::size_t(ty) * std::size_t(p.box_width) + std::size_t(tx)] =
                ink[std::size_t(y) * std::size_t(w) + std::size_t(x)];
        }
    }
    return box;
}

}  // namespace moonlit::fonts
