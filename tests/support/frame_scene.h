// The show's frame written plainly, without the framework: the demo's
// counters, float arithmetic, rectangles, colours and glyph quads, handed to
// a sink. The frame benchmark's contenders draw them; a test checks that the
// demo, through the framework, draws exactly these. A sink provides
//     void Clear();
//     void Rect(float x, float y, float w, float h, uint32_t colour);
//     void Glyph(float x, float y, int src_x, int src_y, int w, int h, uint32_t colour);
// colour packed as the vertex's (bytes R, G, B, A in memory), the glyph's
// source rectangle in texels of the font image.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace scene {

// The font image fonti.png: one strip of 91 cells from code 32.
constexpr int kFirstChar = 32;
constexpr int kCharCount = 91;

// Sine and cosine in degrees in the show's precision: the float angle times
// the float pi/180, the function in double, the result rounded to float.
inline float DegSin(float degrees) {
    return static_cast<float>(std::sin(static_cast<double>(degrees * 0.0174532924f)));
}
inline float DegCos(float degrees) {
    return static_cast<float>(std::cos(static_cast<double>(degrees * 0.0174532924f)));
}

// Toward zero; NaN and out-of-range values give INT32_MIN, as the renderer
// converts (on x86 the processor's conversion does exactly that).
inline uint32_t Term(float value) {
#if defined(__GNUC__) && defined(__x86_64__)
    int32_t result;
    __asm__("cvttss2si %1, %0" : "=r"(result) : "xm"(value));
    return static_cast<uint32_t>(result);
#else
    bool in_range = value >= -2147483648.0f && value < 2147483648.0f;
    return static_cast<uint32_t>(static_cast<int32_t>(in_range ? value : -2147483648.0f));
#endif
}

// Premultiplied packing of a colour at alpha 1, out-of-range terms spilling
// into the neighbouring bytes as the renderer packs them.
inline uint32_t Pack(float r, float g, float b) { return 255u << 24 | Term(b) << 16 | Term(g) << 8 | Term(r); }

// The plasma's colour bands: the tests v > 0, > 0.3, > 0.6, > 0.9, < 0,
// < -0.3, < -0.6, < -0.9 in this order, the last that holds setting the
// colour. False when none holds (v is 0): the colour stays.
inline bool PlasmaColour(float v, uint32_t* colour) {
    static const uint32_t bands[8] = {Pack(8, 16, 10),    Pack(16, 32, 24),   Pack(32, 64, 48),
                                      Pack(64, 128, 98),  Pack(128, 255, 196), Pack(112, 223, 148),
                                      Pack(96, 195, 128), Pack(64, 128, 98)};
    int band;
    if (v > 0.0f)
        band = v > 0.9f ? 3 : v > 0.6f ? 2 : v > 0.3f ? 1 : 0;
    else if (v < 0.0f)
        band = v < -0.9f ? 7 : v < -0.6f ? 6 : v < -0.3f ? 5 : 4;
    else
        return false;
    *colour = bands[band];
    return true;
}

struct Text {
    std::u16string info[9];
    int info_y[9];     // shadow rows; the text stands 2 pixels up and left
    std::u16string scroll;
    std::string logo;  // 236 characters of '0' and '1'
    int cell_width;     // of the font image's cells
    int cell_height;
};

// The show's words and logo (those of the demo) and the font's cell size.
Text ShowText(int font_image_width, int font_image_height);

struct State {
    float plasma_phase = 0, plasma_scale = 0;
    float logo_phase = 0, logo_row_offset = 0;
    float scroll_wave = 0;
    int scroll_x = 640;
    float scroll_base_y = 400;
    uint32_t colour = 0;  // the colour in force, carried between cells
};

// One update: the scroller moves 4 pixels left and wraps.
void Update(State& s, const Text& t);

// Draws character c with the pen at x; returns the pen after it. Characters
// outside the font are skipped and do not move the pen.
template <class Sink>
int DrawChar(Sink& sink, const Text& t, char16_t c, int x, int y, uint32_t colour) {
    int i = static_cast<int>(c) - kFirstChar;
    if (i < 0 || i >= kCharCount) return x;
    sink.Glyph(static_cast<float>(x), static_cast<float>(y), i * t.cell_width, 0, t.cell_width, t.cell_height, colour);
    return x + t.cell_width;
}

template <class Sink>
void DrawText(Sink& sink, const Text& t, const std::u16string& text, int x, int y, uint32_t colour) {
    for (char16_t c : text) x = DrawChar(sink, t, c, x, y, colour);
}

template <class Sink>
void DrawPlasma(Sink& sink, State& s) {
    for (int y = 0; y <= 480; y += 8) {
        s.plasma_phase = s.plasma_phase + 0.001f;
        s.plasma_scale = DegSin(s.plasma_phase) + DegSin(s.plasma_phase);
        for (int x = 0; x <= 640; x += 8) {
            float v = 0.5f * DegCos(240.0f - s.plasma_scale * static_cast<float>(x)) +
                      DegSin(320.0f - s.plasma_scale * static_cast<float>(y));
            PlasmaColour(v, &s.colour);
            sink.Rect(static_cast<float>(x), static_cast<float>(y), 8, 8, s.colour);
        }
        if (s.plasma_phase > 360.0f) s.plasma_phase = 0.0f;
    }
}

template <class Sink>
void DrawLogo(Sink& sink, State& s, const Text& t) {
    const int offset = static_cast<int>(s.logo_row_offset);
    for (int k = 0; k <= 480; k += 4) {
        s.logo_phase = s.logo_phase + 0.028f;
        const float p = s.logo_phase, fk = static_cast<float>(k), q = static_cast<float>(k / 32);
        for (int j = 1; j <= 29; j += 4) {
            float sin_p = DegSin(p), cos_k = DegCos(fk), bend = 32.0f * DegSin(fk - p);
            float two_j = static_cast<float>(2 * j), shade = DegSin(two_j);
            float lean = q * sin_p;
            sink.Rect((((cos_k + 32.0f) + bend) + lean) + two_j, fk, 8, 8,
                      Pack(sin_p / 1.5f, sin_p / 1.5f, (128.0f * shade + 64.0f) / 1.5f));
            size_t index = static_cast<size_t>(j / 8 + 4 * (k / 8) + 4 * offset);
            bool lit = index < t.logo.size() && t.logo[index] == '1';
            uint32_t front = lit ? Pack(256.0f * shade, sin_p, 128.0f * shade + 128.0f)
                                 : Pack(16.0f + sin_p, 32.0f + sin_p, 128.0f * shade + 32.0f);
            sink.Rect(two_j + (lean + (cos_k + bend)), static_cast<float>(k - 16), 8, 8, front);
        }
        if (s.logo_phase > 360.0f) s.logo_phase = 0.0f;
    }
    s.logo_row_offset = s.logo_row_offset + 1.0f;
    if (s.logo_row_offset == 8.0f) s.logo_row_offset = 0.0f;
}

template <class Sink>
void DrawFrame(Sink& sink, State& s, const Text& t) {
    sink.Clear();
    s.colour = Pack(255, 255, 255);
    DrawPlasma(sink, s);
    DrawLogo(sink, s, t);
    for (int i = 0; i < 9; ++i) DrawText(sink, t, t.info[i], 18, t.info_y[i], Pack(128, 128, 128));
    for (int i = 0; i < 9; ++i) DrawText(sink, t, t.info[i], 16, t.info_y[i] - 2, Pack(255, 255, 255));
    const int n = static_cast<int>(t.scroll.size());
    for (int i = 0; i <= n; ++i) {
        int x = static_cast<int>(static_cast<float>(s.scroll_x + 18 * i) + s.scroll_wave);
        int y = static_cast<int>(s.scroll_base_y + (s.scroll_wave + s.scroll_wave));
        if (i < n) DrawChar(sink, t, t.scroll[static_cast<size_t>(i)], x, y, Pack(255, 255, 255));
        s.scroll_wave = 8.0f * DegSin(static_cast<float>(s.scroll_x + 40 * i));
    }
    s.colour = Pack(0, 0, 0);
    sink.Rect(0, 0, 640, 32, s.colour);
    sink.Rect(0, 448, 640, 32, s.colour);
}

}  // namespace scene
