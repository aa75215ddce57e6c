// Draws the icon. Everything is placed on whole pixels of the size being
// drawn except the tile's rounded corners and the moon, whose edges are
// smoothed by sampling each pixel on a 4 x 4 grid.
#include "icon_images.h"

#include <algorithm>
#include <cmath>

#include "demo_font.h"
#include "ico_file.h"
#include "png_file.h"

namespace moonlit::icons {
namespace {

using fonts::Rgb;

// The plasma's eight bands, as the show colours them.
constexpr Rgb kPlasmaBands[8] = {
    {8, 16, 10},     {16, 32, 24},    {32, 64, 48},   {64, 128, 98},
    {128, 255, 196}, {112, 223, 148}, {96, 195, 128}, {64, 128, 98},
};
// 16 cells across the icon at a zoom where the plasma's rings close inside
// it, so that every band shows.
constexpr int kPlasmaCells = 16;
constexpr float kPlasmaScale = 3.0f;
constexpr float kCellPixels = 8.0f;  // the show's cell, in its own pixels

constexpr Rgb kBlack = {0, 0, 0};
constexpr Rgb kLogoStrip = {2, 2, 48};

// The logo strip: a dark blue column from bar to bar, its lit blocks
// running from violet to magenta across the letter.
constexpr int kLogoColumns = 5;
constexpr int kLogoRows = 5;
constexpr const char* kLogoLetter[kLogoRows] = {"1...1", "11.11", "1.1.1", "1...1", "1...1"};

constexpr float kPi = 3.14159265358979f;
constexpr int kSamples = 4;  // per pixel side, for the smoothed edges
constexpr float kCornerRadius = 0.16f;
// The moon and the circle that bites the crescent out of it, in fractions
// of the side; the outline's width too.
constexpr float kMoonX = 0.73f, kMoonY = 0.27f, kMoonRadius = 0.17f;
constexpr float kBiteX = 0.65f, kBiteY = 0.33f, kBiteRadius = 0.15f;
constexpr float kOutlineWidth = 0.025f;
// Below this many pixels a crescent is a smudge: the small icons leave the
// moon out and keep the letter.
constexpr int kMoonFromSize = 32;

float DegSin(float degrees) { return float(std::sin(double(degrees) * kPi / 180.0)); }
float DegCos(float degrees) { return float(std::cos(double(degrees) * kPi / 180.0)); }

// The show's band choice: the highest threshold passed on v's side of 0.
Rgb PlasmaColour(int cell_x, int cell_y) {
    float v = 0.5f * DegCos(240.0f - kPlasmaScale * kCellPixels * float(cell_x)) +
              DegSin(320.0f - kPlasmaScale * kCellPixels * float(cell_y));
    float a = std::fabs(v);
    int step = a > 0.9f ? 3 : a > 0.6f ? 2 : a > 0.3f ? 1 : 0;
    return kPlasmaBands[(v < 0.0f ? 4 : 0) + step];
}

Rgb LogoBlockColour(int column) {
    float shade = DegSin(float(30 + 15 * column));
    return {std::min(255.0f, 256.0f * shade), 0.0f, 128.0f * shade + 128.0f};
}

Rgb Mix(Rgb under, Rgb over, float cover) {
    return {under.r + (over.r - under.r) * cover, under.g + (over.g - under.g) * cover,
            under.b + (over.b - under.b) * cover};
}

// Where the parts sit at one size, in whole pixels.
struct Layout {
    int size;
    int bar;          // height of each black bar
    int block;        // side of a logo block
    int logo_x, logo_y;
    int strip_left, strip_right;  // the dark column behind the letter, end exclusive
};

Layout PlaceParts(int size) {
    Layout l{};
    l.size = size;
    l.bar = std::max(1, size / 16);
    l.block = std::max(2, size * 3 / 32);
    l.logo_x = size / 8;
    int gap = std::max(1, size / 8);
    l.logo_y = size - l.bar - gap - kLogoRows * l.block;
    int pad = l.block / 2;
    l.strip_left = l.logo_x - pad;
    l.strip_right = l.logo_x + kLogoColumns * l.block + pad;
    return l;
}

// The colour of the flat layers (plasma, strip, letter, bars) at a pixel.
Rgb FlatColour(const Layout& l, int x, int y) {
    if (y < l.bar || y >= l.size - l.bar) return kBlack;
    int bx = x - l.logo_x, by = y - l.logo_y;
    if (bx >= 0 && by >= 0 && bx < kLogoColumns * l.block && by < kLogoRows * l.block) {
        int column = bx / l.block, row = by / l.block;
        if (kLogoLetter[row][column] == '1') return LogoBlockColour(column);
    }
    if (x >= l.strip_left && x < l.strip_right) return kLogoStrip;
    return PlasmaColour(x * kPlasmaCells / l.size, y * kPlasmaCells / l.size);
}

bool InsideTile(float u, float v) {
    float r = kCornerRadius;
    float dx = std::max({r - u, u - (1.0f - r), 0.0f});
    float dy = std::max({r - v, v - (1.0f - r), 0.0f});
    return dx * dx + dy * dy <= r * r;
}

// Signed distance to the crescent, in fractions of the side: negative inside.
float CrescentDistance(float u, float v) {
    float moon = std::hypot(u - kMoonX, v - kMoonY) - kMoonRadius;
    float bite = std::hypot(u - kBiteX, v - kBiteY) - kBiteRadius;
    return std::max(moon, -bite);
}

// What share of a pixel's samples the tile, the moon's outline and the moon
// itself cover.
struct Cover {
    float tile = 0, outline = 0, moon = 0;
};

Cover CoverPixel(int size, int x, int y) {
    bool moon = size >= kMoonFromSize;
    Cover c;
    float step = 1.0f / (kSamples * float(size));
    for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
            float u = (float(x * kSamples + sx) + 0.5f) * step;
            float v = (float(y * kSamples + sy) + 0.5f) * step;
            c.tile += InsideTile(u, v);
            if (!moon) continue;
            float d = CrescentDistance(u, v);
            c.outline += d < kOutlineWidth;
            c.moon += d < 0.0f;
        }
    float n = kSamples * kSamples;
    return {c.tile / n, c.outline / n, c.moon / n};
}

std::uint8_t Byte(float value) { return std::uint8_t(std::lround(std::clamp(value, 0.0f, 255.0f))); }

}  // namespace

fonts::RgbaImage DrawIcon(int size) {
    fonts::RgbaImage image(size, size);
    Layout layout = PlaceParts(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Cover cover = CoverPixel(size, x, y);
            if (cover.tile == 0.0f) continue;
            float t = ((float(y) + 0.5f) / float(size) - (kMoonY - kMoonRadius)) / (2.0f * kMoonRadius);
            // The moon in the demo font's colours, top to bottom.
            Rgb colour = Mix(FlatColour(layout, x, y), fonts::kDemoFontOutlineColour, cover.outline);
            colour = Mix(colour, fonts::DemoFontGradient(t), cover.moon);
            std::uint8_t* p = image.Pixel(x, y);
            p[0] = Byte(colour.r);
            p[1] = Byte(colour.g);
            p[2] = Byte(colour.b);
            p[3] = Byte(255.0f * cover.tile);
        }
    return image;
}

std::vector<IconFile> MakeIconFiles() {
    std::vector<IconFile> files;
    for (int size : kIconSizes)
        files.push_back({"moonlit-harbor-" + std::to_string(size) + ".png", fonts::EncodePng(DrawIcon(size))});
    std::vector<fonts::RgbaImage> ico_images;
    for (int size : kIcoSizes) ico_images.push_back(DrawIcon(size));
    files.push_back({"moonlit-harbor.ico", EncodeIco(ico_images)});
    return files;
}

}  // namespace moonlit::icons
