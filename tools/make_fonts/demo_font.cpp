// Draws the demo font strip: each glyph is rasterised inside a one-pixel
// margin, coloured by a vertical gradient, and laid over its own dilated
// shape in a dark outline colour.
#include "demo_font.h"

#include <algorithm>
#include <cmath>

namespace moonlit::fonts {
namespace {

struct GradientStop {
    float at;
    Rgb colour;
};

// Silver-blue moonlight at the top of the letters, a bright glint where it
// meets the gold of the harbour lights, deeper amber towards the baseline.
constexpr GradientStop kGradient[] = {
    {0.00f, {176, 202, 255}},
    {0.46f, {246, 248, 255}},
    {0.54f, {255, 222, 128}},
    {1.00f, {224, 134, 36}},
};
constexpr float kDemoWiden = 1.3f;

struct DemoLayout {
    GlyphPlacement placement;  // inside the margin
    int gradient_top;           // cell rows the gradient spans: cap top ...
    int gradient_bottom;        // ... to the baseline
};

// One scale for every glyph, so that letters and digits, descenders
// included, fill the cell inside the outline margin.
DemoLayout MakeLayout(const TrueTypeFace& bold) {
    int inner = kDemoCellSize - 2 * kDemoOutline;
    int y_min, y_max;
    bold.InkBounds(kLettersAndDigits, &y_min, &y_max);
    float scale = float(inner) / float(y_max - y_min);

    DemoLayout layout;
    layout.placement.box_width = inner;
    layout.placement.box_height = inner;
    layout.placement.scale = scale;
    // Fixed 16-pixel cells leave narrow letters lonely; broader letters
    // close the gaps. The widest are squeezed back into the cell.
    layout.placement.widen = kDemoWiden;
    layout.placement.baseline = int(std::lround(float(y_max) * scale));
    int cap_rows = int(std::lround(float(y_max) * scale * 0.95f));
    layout.gradient_bottom = kDemoOutline + layout.placement.baseline;
    layout.gradient_top = layout.gradient_bottom - cap_rows;
    return layout;
}

// The largest coverage within the outline width around a pixel: the
// outline's shape.
std::uint8_t Dilated(const AlphaMask& glyph, int x, int y) {
    std::uint8_t best = 0;
    for (int dy = -kDemoOutline; dy <= kDemoOutline; ++dy)
        for (int dx = -kDemoOutline; dx <= kDemoOutline; ++dx)
            best = std::max(best, glyph.At(x + dx, y + dy));
    return best;
}

std::uint8_t ToByte(float v) {
    return std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

// Fill over outline, "over" compositing in straight (not premultiplied) alpha.
void PutCell(RgbaImage& strip, const AlphaMask& glyph, int cell_left, const DemoLayout& layout) {
    float span = float(layout.gradient_bottom - layout.gradient_top);
    for (int y = 0; y < kDemoCellSize; ++y) {
        Rgb fill = DemoFontGradient((float(y) + 0.5f - float(layout.gradient_top)) / span);
        for (int x = 0; x < kDemoCellSize; ++x) {
            int gx = x - kDemoOutline, gy = y - kDemoOutline;
            float a = float(glyph.At(gx, gy)) / 255.0f;
            float o = float(Dilated(glyph, gx, gy)) / 255.0f * (1.0f - a);
            float total = a + o;
            std::uint8_t* px = strip.Pixel(cell_left + x, y);
            if (total <= 0.0f) continue;
            px[0] = ToByte((fill.r * a + kDemoFontOutlineColour.r * o) / total);
            px[1] = ToByte((fill.g * a + kDemoFontOutlineColour.g * o) / total);
            px[2] = ToByte((fill.b * a + kDemoFontOutlineColour.b * o) / total);
            px[3] = ToByte(total * 255.0f);
        }
    }
}

}  // namespace

Rgb DemoFontGradient(float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    const GradientStop* lo = &kGradient[0];
    for (const GradientStop& stop : kGradient) {
        if (stop.at >= t) {
            float span = stop.at - lo->at;
            float f = span > 0.0f ? (t - lo->at) / span : 0.0f;
            return {lo->colour.r + (stop.colour.r - lo->colour.r) * f,
                    lo->colour.g + (stop.colour.g - lo->colour.g) * f,
                    lo->colour.b + (stop.colour.b - lo->colour.b) * f};
        }
        lo = &stop;
    }
    return lo->colour;
}

RgbaImage MakeDemoFont(const TrueTypeFace& bold) {
    RgbaImage strip(kDemoCellSize * kDemoCellCount, kDemoCellSize);
    DemoLayout layout = MakeLayout(bold);
    for (int i = 1; i < kDemoCellCount; ++i) {  // cell 0 is the space
        PutCell(strip, bold.Render(kDemoFirstCode + i, layout.placement), i * kDemoCellSize, layout);
    }
    return strip;
}

}  // namespace moonlit::fonts
