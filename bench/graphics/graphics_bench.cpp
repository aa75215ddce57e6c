// The framework's drawing cost without a driver: frames of 10,000
// rectangles and of 1,000 glyphs through the context functions, with the
// do-nothing GL table. Reported per primitive.
#include <benchmark/benchmark.h>

#include "graphics/font.h"
#include "graphics/gl_functions.h"
#include "graphics/graphics_context.h"
#include "graphics/image.h"

namespace {

gxtkGraphics* SetUpDevice() {
    gl = NullGl();
    InitGraphicsContextGlobals();
    gxtkGraphics* device = gc_new<gxtkGraphics>();
    SetGraphicsDevice(device);
    deviceWidth = deviceHeight = 0;
    return device;
}

// A 96-glyph strip font on a surface without pixels, laid out as the
// default font is: 10-pixel cells, 8 x 16 glyphs.
c_Font* StripFont(gxtkGraphics* device) {
    gxtkSurface* surface = device->CreateSurface(960, 18);
    c_Image* page = gc_new<c_Image>()->Init(surface, 1, 0);
    c_IntMap* glyphs = gc_new<c_IntMap>();
    for (int i = 0; i < 96; ++i) glyphs->Add(32 + i, gc_new<c_Glyph>(0, 32 + i, 10 * i + 1, 1, 8, 16, 8));
    Array<c_Image*> pages(1);
    pages.Set(0, page);
    return gc_new<c_Font>()->Init(pages, 1, glyphs, 32, 16);
}

void SetPerPrimitive(benchmark::State& state, int per_frame) {
    state.counters["per_primitive"] =
        benchmark::Counter(per_frame, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Rects(benchmark::State& state) {
    gxtkGraphics* device = SetUpDevice();
    const int n = 10000;
    for (auto _ : state) {
        device->BeginRender();
        BeginRender();
        for (int i = 0; i < n; ++i) {
            SetColor(static_cast<float>(i & 255), 64, 128);
            DrawRect(static_cast<float>(i % 80) * 8, static_cast<float>(i / 80) * 4, 8, 4);
        }
        EndRender();
        device->EndRender();
    }
    SetPerPrimitive(state, n);
}
BENCHMARK(BM_Rects);

void BM_RectsUnderAMatrix(benchmark::State& state) {
    gxtkGraphics* device = SetUpDevice();
    const int n = 10000;
    for (auto _ : state) {
        device->BeginRender();
        BeginRender();
        Translate(320, 240);
        Rotate(15);
        for (int i = 0; i < n; ++i) DrawRect(static_cast<float>(i % 80) * 8, static_cast<float>(i / 80) * 4, 8, 4);
        EndRender();
        device->EndRender();
    }
    SetPerPrimitive(state, n);
}
BENCHMARK(BM_RectsUnderAMatrix);

void BM_Glyphs(benchmark::State& state) {
    gxtkGraphics* device = SetUpDevice();
    SetFont(StripFont(device));
    // 20 lines of 50 characters: 1,000 glyphs per frame.
    String line("The quick brown fox jumps over the lazy dog 0123456");
    line = line.Slice(0, 50);
    for (auto _ : state) {
        device->BeginRender();
        BeginRender();
        for (int i = 0; i < 20; ++i) DrawText(line, 10, i * 16, 0, 0);
        EndRender();
        device->EndRender();
    }
    SetPerPrimitive(state, 1000);
}
BENCHMARK(BM_Glyphs);

}  // namespace

BENCHMARK_MAIN();
