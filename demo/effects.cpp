// The show's layers. The float arithmetic follows a fixed order (32-bit
// floats, angles through DegSin/DegCos): change an order and the pixels move.
#include "demo/effects.h"

#include "demo/demo_state.h"
#include "demo/demo_text.h"
#include "graphics/font.h"
#include "graphics/graphics_context.h"

// ---- plasma ---------------------------------------------------------------

namespace {

const float kBandColours[8][3] = {
    {8, 16, 10},    {16, 32, 24},   {32, 64, 48},   {64, 128, 98},
    {128, 255, 196}, {112, 223, 148}, {96, 195, 128}, {64, 128, 98},
};

// The band tests in their order are v > 0, > 0.3, > 0.6, > 0.9, < 0, < -0.3,
// < -0.6, < -0.9, and every test that holds sets the colour, so the last one
// that holds wins: the highest threshold passed on v's own side of 0. -1 when
// none holds (v is 0 or NaN).
int BandOf(float v) {
    if (v > 0.0f) return v > 0.9f ? 3 : v > 0.6f ? 2 : v > 0.3f ? 1 : 0;
    if (v < 0.0f) return v < -0.9f ? 7 : v < -0.6f ? 6 : v < -0.3f ? 5 : 4;
    return -1;
}

}  // namespace

bool PlasmaBand(float v, float rgb[3]) {
    int band = BandOf(v);
    if (band < 0) return false;
    for (int i = 0; i < 3; ++i) rgb[i] = kBandColours[band][i];
    return true;
}

float PlasmaValue(float scale, int x, int y) {
    float wave_y = DegSin(320.0f - scale * static_cast<float>(y));
    float wave_x = 0.5f * DegCos(240.0f - scale * static_cast<float>(x));
    return wave_x + wave_y;
}

void DrawPlasma() {
    float rgb[3];
    for (int y = 0; y <= kScreenHeight; y += 8) {
        plasmaPhase = plasmaPhase + 0.001f;
        plasmaScale = DegSin(plasmaPhase) + DegSin(plasmaPhase);
        for (int x = 0; x <= kScreenWidth; x += 8) {
            if (PlasmaBand(PlasmaValue(plasmaScale, x, y), rgb)) SetColor(rgb[0], rgb[1], rgb[2]);
            DrawRect(static_cast<float>(x), static_cast<float>(y), 8.0f, 8.0f);
        }
        if (plasmaPhase > 360.0f) plasmaPhase = 0.0f;
    }
}

// ---- logo strip -----------------------------------------------------------

namespace {

// The one-character slice at index compared with "1": a slice past the end
// is empty and unlit. Read in place, as the slice would hold that unit.
bool LogoCellLit(int index) { return index >= 0 && index < logoPattern.Length() && logoPattern[index] == '1'; }

}  // namespace

LogoBlocks ComputeLogoBlocks(int k, int j, float phase, int row_offset) {
    float sin_p = DegSin(phase);
    float q = static_cast<float>(k / 32);
    float fk = static_cast<float>(k);
    float cos_k = DegCos(fk);
    float bend = 32.0f * DegSin(fk - phase);
    float lean = q * sin_p;
    float two_j = static_cast<float>(2 * j);
    float shade = DegSin(two_j);
    LogoBlocks b;
    b.back_rgb[0] = sin_p / 1.5f;
    b.back_rgb[1] = sin_p / 1.5f;
    b.back_rgb[2] = (128.0f * shade + 64.0f) / 1.5f;
    b.back_x = (((cos_k + 32.0f) + bend) + lean) + two_j;
    b.lit = LogoCellLit(j / 8 + 4 * (k / 8) + 4 * row_offset);
    b.front_rgb[0] = b.lit ? 256.0f * shade : 16.0f + sin_p;
    b.front_rgb[1] = b.lit ? sin_p : 32.0f + sin_p;
    b.front_rgb[2] = b.lit ? 128.0f * shade + 128.0f : 128.0f * shade + 32.0f;
    b.front_x = two_j + (lean + (cos_k + bend));
    return b;
}

void DrawLogoStrip() {
    int offset = static_cast<int>(logoRowOffset);
    for (int k = 0; k <= kScreenHeight; k += 4) {
        logoPhase = logoPhase + 0.028f;
        for (int j = 1; j <= 29; j += 4) {
            LogoBlocks b = ComputeLogoBlocks(k, j, logoPhase, offset);
            SetColor(b.back_rgb[0], b.back_rgb[1], b.back_rgb[2]);
            DrawRect(b.back_x, static_cast<float>(k), 8.0f, 8.0f);
            SetColor(b.front_rgb[0], b.front_rgb[1], b.front_rgb[2]);
            DrawRect(b.front_x, static_cast<float>(k - 16), 8.0f, 8.0f);
        }
        if (logoPhase > 360.0f) logoPhase = 0.0f;
    }
    logoRowOffset = logoRowOffset + 1.0f;
    if (logoRowOffset == 8.0f) logoRowOffset = 0.0f;
}

// ---- text -----------------------------------------------------------------

void DrawInfoText() {
    SetColor(128.0f, 128.0f, 128.0f);
    for (int i = 0; i < kInfoLineCount; ++i) DrawText(InfoLine(i), InfoShadowX(i), InfoShadowY(i), 0.0f, 0.0f);
    SetColor(255.0f, 255.0f, 255.0f);
    for (int i = 0; i < kInfoLineCount; ++i)
        DrawText(InfoLine(i), InfoShadowX(i) - 2, InfoShadowY(i) - 2, 0.0f, 0.0f);
}

void ScrollerPosition(int i, float wave, int* x, int* y) {
    *x = static_cast<int>(static_cast<float>(scrollX + kScrollSpacing * i) + wave);
    *y = static_cast<int>(scrollBaseY + (wave + wave));
}

void DrawScroller() {
    int n = scrollText.Length();
    for (int i = 0; i <= n; ++i) {
        SetColor(255.0f, 255.0f, 255.0f);
        SetAlpha(1.0f);
        int x, y;
        ScrollerPosition(i, scrollWave, &x, &y);
        DrawText(scrollText.Slice(i, i + 1), x, y, 0.0f, 0.0f);
        scrollWave = 8.0f * DegSin(static_cast<float>(scrollX + 40 * i));
    }
}

// The height of the black bars at the top and the bottom of the screen.
constexpr int kBarHeight = 32;

void DrawBars() {
    SetColor(0.0f, 0.0f, 0.0f);
    const float width = static_cast<float>(kScreenWidth), bar = static_cast<float>(kBarHeight);
    DrawRect(0.0f, 0.0f, width, bar);
    DrawRect(0.0f, static_cast<float>(kScreenHeight) - bar, width, bar);
}
