// The show in-process, without a window, through the real framework and
// renderer on a GL table that copies out every vertex the batch draws: each
// vertex bit for bit against the plain frame of tests/support/frame_scene.h,
// the plasma's bands at their thresholds, and a long run under the collector.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "demo/demo_state.h"
#include "demo/demo_text.h"
#include "demo/effects.h"
#include "demo/my_app.h"
#include "graphics/font.h"
#include "graphics/gl_functions.h"
#include "graphics/graphics_context.h"
#include "host/rt_game.h"
#include "support/frame_scene.h"

namespace {

struct Drawn {
    gxtkVertex vertex;
    bool textured;
};

bool operator==(const Drawn& a, const Drawn& b) {
    // Positions and texture coordinates bit for bit; untextured quads keep
    // stale u and v, so only textured ones carry them.
    const size_t compared = a.textured ? offsetof(gxtkVertex, colour) : offsetof(gxtkVertex, u);
    return a.textured == b.textured && a.vertex.colour == b.vertex.colour &&
           std::memcmp(&a.vertex, &b.vertex, compared) == 0;
}

struct VertexCapture {
    const gxtkVertex* vertices = nullptr;
    bool texturing = false;
    std::vector<Drawn> drawn;
} capture;

GlFunctions CapturingGl() {
    GlFunctions f = NullGl();
    f.VertexPointer = [](GLint, GLenum, GLsizei, const void* p) {
        capture.vertices = static_cast<const gxtkVertex*>(p);
    };
    f.Enable = [](GLenum cap) { capture.texturing |= cap == GL_TEXTURE_2D; };
    f.Disable = [](GLenum cap) { capture.texturing &= cap != GL_TEXTURE_2D; };
    f.DrawElements = [](GLenum, GLsizei count, GLenum, const void*) {
        for (int i = 0; i < count / 6 * 4; ++i) capture.drawn.push_back({capture.vertices[i], capture.texturing});
    };
    return f;
}

// The show on `table`, set up as the framework's start-up and OnCreate leave
// it, without font or music.
c_MyApp* StartShowWithoutWindow(const GlFunctions& table) {
    gl = table;
    InitGraphicsContextGlobals();
    RegisterGraphicsRoots();
    InitDemoGlobals();
    deviceWidth = 640;
    deviceHeight = 480;
    gc_assign(graphicsDevice, gc_new<gxtkGraphics>());
    static RtGame host;  // the application hands its delegate to a host
    game = &host;
    app = nullptr;  // one application per process; each test makes its own
    c_MyApp* show = gc_new<c_MyApp>();
    scrollText = ScrollText();
    scrollX = 640;
    scrollBaseY = 400.0f;
    return show;
}

void RenderShowFrame(c_MyApp* show) {
    graphicsDevice->BeginRender();
    BeginRender();
    show->OnRender();
    EndRender();
    graphicsDevice->EndRender();
}

// The plain frame's quads as the renderer would receive them.
struct ExpectedSink {
    std::vector<Drawn> drawn;
    float uscale, vscale;

    void Quad(float x, float y, float w, float h, float u0, float v0, float u1, float v1, uint32_t c, bool tex) {
        drawn.push_back({{x, y, u0, v0, c}, tex});
        drawn.push_back({{x + w, y, u1, v0, c}, tex});
        drawn.push_back({{x + w, y + h, u1, v1, c}, tex});
        drawn.push_back({{x, y + h, u0, v1, c}, tex});
    }
    void Clear() { drawn.clear(); }
    void Rect(float x, float y, float w, float h, uint32_t c) { Quad(x, y, w, h, 0, 0, 0, 0, c, false); }
    void Glyph(float x, float y, int sx, int sy, int w, int h, uint32_t c) {
        Quad(x, y, w, h, sx * uscale, sy * vscale, (sx + w) * uscale, (sy + h) * vscale, c, true);
    }
};

TEST(FrameIdentity, TheShowDrawsThePlainFrameThroughEveryWrap) {
    c_MyApp* show = StartShowWithoutWindow(CapturingGl());
    // fonti.png's layout: 91 cells of 16 x 16 from code 32, on a texture of
    // the image's size (a context exists, so the surface binds).
    AdvanceContextGeneration();
    gxtkSurface* surface = graphicsDevice->CreateSurface(1456, 16);
    c_IntMap* glyphs = gc_new<c_IntMap>();
    for (int i = 0; i < 91; ++i) glyphs->Add(32 + i, gc_new<c_Glyph>(0, 32 + i, 16 * i, 0, 16, 16, 16));
    Array<c_Image*> pages(1);
    pages.Set(0, gc_new<c_Image>()->Init(surface, 1, 0));
    gc_assign(demoFont, gc_new<c_Font>()->Init(pages, 1, glyphs, 32, 16));
    SetFont(demoFont);
    const scene::Text text = scene::ShowText(1456, 16);
    scene::State state;
    ExpectedSink expected{{}, surface->uscale, surface->vscale};
    // Renders `frames` frames both ways, an update after each, and reports
    // the first vertex that differs.
    auto compare_frames = [&](int frames) {
        for (int frame = 0; frame < frames; ++frame) {
            capture.drawn.clear();
            RenderShowFrame(show);
            scene::DrawFrame(expected, state, text);
            ASSERT_EQ(capture.drawn.size(), expected.drawn.size()) << "frame " << frame;
            for (size_t i = 0; i < expected.drawn.size(); ++i)
                ASSERT_TRUE(capture.drawn[i] == expected.drawn[i]) << "frame " << frame << ", vertex " << i;
            show->OnUpdate();
            scene::Update(state, text);
        }
    };

    // The logo phase passes 360 at frame 107 (3.388 a frame), the scroller
    // wraps at 867; the plasma phase is set just before its wrap there.
    compare_frames(860);
    plasmaPhase = state.plasma_phase = 359.95f;
    compare_frames(12);
    EXPECT_LT(plasmaPhase, 1.0f);
    EXPECT_EQ(scrollX, state.scroll_x);
}

// Exact thresholds never occur in a frame: only this table holds each
// comparison to its side.
TEST(Plasma, EachValueFallsInItsBand) {
    const struct {
        float v;
        float r, g, b;  // -1: no band, the previous colour stays
    } rows[] = {
        {0.0f, -1, -1, -1},        {NAN, -1, -1, -1},         {0.0001f, 8, 16, 10},      {0.3f, 8, 16, 10},
        {0.30001f, 16, 32, 24},    {0.6f, 16, 32, 24},        {0.60001f, 32, 64, 48},    {0.9f, 32, 64, 48},
        {0.95f, 64, 128, 98},      {-0.0001f, 128, 255, 196}, {-0.3f, 128, 255, 196},    {-0.30001f, 112, 223, 148},
        {-0.6f, 112, 223, 148},    {-0.60001f, 96, 195, 128}, {-0.9f, 96, 195, 128},     {-0.90001f, 64, 128, 98},
    };
    for (const auto& row : rows) {
        float rgb[3] = {-1, -1, -1};
        EXPECT_EQ(PlasmaBand(row.v, rgb), row.r >= 0) << row.v;
        EXPECT_EQ(std::vector<float>(rgb, rgb + 3), std::vector<float>({row.r, row.g, row.b})) << row.v;
    }
}

// With a collector step after every call, as the host makes them: after a
// first scroll cycle (867 updates) the collector tracks no more objects,
// however long the show runs, and the heap stays consistent.
TEST(LongRun, TheShowKeepsNoMoreObjectsAfterItsFirstScrollCycle) {
    c_MyApp* show = StartShowWithoutWindow(NullGl());
    gc_counters warm{};
    for (int frame = 0; frame < 2700; ++frame) {
        if (frame == 900) warm = gc_read_counters();
        show->OnUpdate();
        gc_mark_now(gameDelegate);
        gc_collect_step();
        RenderShowFrame(show);
        gc_mark_now(gameDelegate);
        gc_collect_step();
    }
    EXPECT_EQ(gc_read_counters().peak_tracked_bytes, warm.peak_tracked_bytes);
    EXPECT_EQ(gc_read_counters().tracked_bytes, warm.tracked_bytes);
    EXPECT_STREQ(gc_check_heap(), "");
}

}  // namespace
