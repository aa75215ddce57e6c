// The show's layers. The float arithmetic follows a fixed order (32-bit
// floats, angles through DegSin/DegCos): change an order and the pixels move.
#include "demo/effects.h"

#include "demo/demo_state.h"
#include "demo/demo_text.h"
#include "graphics/font.h"
#include "graphics/graphics_context.h"

// ---- plasma ---------------------------------------------------------------

namespace {

struct Band {
    bool above;  // test v > limit, else v < limit
    float limit;
    float rgb[3];
};

// Every test that holds sets the colour, so the last one that holds wins.
const Band kBands[] = {
    {true, 0.0f, {8, 16, 10}},       {true, 0.3f, {16, 32, 24}},
    {true, 0.6f, {32, 64, 48}},      {true, 0.9f, {64, 128, 98}},
    {false, 0.0f, {128, 255, 196}},  {false, -0.3f, {112, 223, 148}},
    {false, -0.6f, {96, 195, 128}},  {false, -0.9f, {64, 128, 98}},
};

}  // namespace

bool PlasmaBand(float v, float rgb[3]) {
    const Band* chosen = nullptr;
    for (const Band& band : kBands)
        if (band.above ? v > band.limit : v < band.limit) chosen = &band;
    if (!chosen) return false;
    for (int i = 0; i < 3; ++i) rgb[i] = chosen->rgb[i];
    return true;
}

float PlasmaValue(float scale, int x, int y) {
    float wave_y = DegSin(320.0f - scale * static_cast<float>(y));
    float wave_x = 0.5f * DegCos(240.0f - scale * static_cast<float>(x));
    return wave_x + wave_y;
}

void DrawPlasma() {
    float rgb[3];
    for (int y = 0; y <= 480; y += 8) {
        plasmaPhase = plasmaPhase + 0.001f;
        plasmaScale = DegSin(plasmaPhase) + DegSin(plasmaPhase);
        for (int x = 0; x <= 640; x += 8) {
            if (PlasmaBand(PlasmaValue(plasmaScale, x, y), rgb)) SetColor(rgb[0], rgb[1], rgb[2]);
            DrawRect(static_cast<float>(x), static_cast<float>(y), 8.0f, 8.0f);
        }
        if (plasmaPhase > 360.0f) plasmaPhase = 0.0f;
    }
}

// ---- logo strip -----------------------------------------------------------

namespace {

bool logo_cell_lit(int index) {
    static const String one("1");
    return logoPattern.Slice(index, index + 1) == one;
}

}  // namespace

LogoBlocks ComputeLogoBlocks(int k, int j, float phase, int rowOffset) {
    float sin_p = DegSin(phase);
    float q = static_cast<float>(k / 32);
    float fk = static_cast<float>(k);
    float cos_k = DegCos(fk);
    float bend = 32.0f * DegSin(fk - phase);
    float lean = q * sin_p;
    float two_j = static_cast<float>(2 * j);
    float shade = DegSin(two_j);
    LogoBlocks b;
    b.backRgb[0] = sin_p / 1.5f;
    b.backRgb[1] = sin_p / 1.5f;
    b.backRgb[2] = (128.0f * shade + 64.0f) / 1.5f;
    b.backX = (((cos_k + 32.0f) + bend) + lean) + two_j;
    b.lit = logo_cell_lit(j / 8 + 4 * (k / 8) + 4 * rowOffset);
    b.frontRgb[0] = b.lit ? 256.0f * shade : 16.0f + sin_p;
    b.frontRgb[1] = b.lit ? sin_p : 32.0f + sin_p;
    b.frontRgb[2] = b.lit ? 128.0f * shade + 128.0f : 128.0f * shade + 32.0f;
    b.frontX = two_j + (lean + (cos_k + bend));
    return b;
}

void DrawLogoStrip() {
    int offset = static_cast<int>(logoRowOffset);
    for (int k = 0; k <= 480; k += 4) {
        logoPhase = logoPhase + 0.028f;
        for (int j = 1; j <= 29; j += 4) {
            LogoBlocks b = ComputeLogoBlocks(k, j, logoPhase, offset);
            SetColor(b.backRgb[0], b.backRgb[1], b.backRgb[2]);
            DrawRect(b.backX, static_cast<float>(k), 8.0f, 8.0f);
            SetColor(b.frontRgb[0], b.frontRgb[1], b.frontRgb[2]);
            DrawRect(b.frontX, static_cast<float>(k - 16), 8.0f, 8.0f);
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

void DrawBars() {
    SetColor(0.0f, 0.0f, 0.0f);
    DrawRect(0.0f, 0.0f, 640.0f, 32.0f);
    DrawRect(0.0f, 448.0f, 640.0f, 32.0f);
}
