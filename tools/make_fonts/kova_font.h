// The framework's default font image: 96 padded cells for codes 32 to 127
// in one horizontal strip, white glyphs on transparent so that the drawing
// colour tints them.
#pragma once

#include "rgba_image.h"
#include "truetype_face.h"

namespace moonlit::fonts {

constexpr int kKovaFirstCode = 32;
constexpr int kKovaCellCount = 96;
constexpr int kKovaCellWidth = 10;   // 8-pixel glyph plus a 1-pixel border each side
constexpr int kKovaCellHeight = 18;  // 16-pixel glyph plus a 1-pixel border each side
constexpr int kKovaGlyphWidth = kKovaCellWidth - 2;
constexpr int kKovaGlyphHeight = kKovaCellHeight - 2;

// Draws the strip from a monospaced face; codes the face lacks stay empty.
RgbaImage MakeKovaFont(const TrueTypeFace& mono);

}  // namespace moonlit::fonts
