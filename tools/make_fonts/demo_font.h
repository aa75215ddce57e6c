// The demo's font image: 91 unpadded 16 x 16 cells for codes 32 to 122 in
// one strip, bold letters with a moonlit-silver to harbour-gold gradient
// and a dark outline on a transparent background.
#pragma once

#include "rgba_image.h"
#include "truetype_face.h"

namespace moonlit::fonts {

constexpr int kDemoFirstCode = 32;
constexpr int kDemoCellCount = 91;
constexpr int kDemoCellSize = 16;
constexpr int kDemoOutline = 1;  // outline width; the letters fill the rest of the cell

struct Rgb {
    float r, g, b;
};
// The letters' colour from their top (0) to their baseline (1): silver-blue
// moonlight, a bright glint, then gold and amber. The icon's moon wears it too.
Rgb DemoFontGradient(float t);
constexpr Rgb kDemoFontOutlineColour = {14, 12, 36};

RgbaImage MakeDemoFont(const TrueTypeFace& bold);

}  // namespace moonlit::fonts
