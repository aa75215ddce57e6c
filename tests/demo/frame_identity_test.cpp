// Every vertex the demo hands the renderer, frame after frame, against the
// plain frame of tests/support/frame_scene.h (the show's arithmetic written
// without the framework): positions, texture coordinates and colour bytes
// must match bit for bit. This is what keeps optimisations of the framework
// and the effects from moving a pixel; the frame benchmark adds a read-back
// of real frames on top.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/frame_scene.h"
#include "demo/show_harness.h"
#include "graphics/font.h"

namespace {

struct Drawn {
    float x, y, u, v;
    uint32_t colour;
    bool textured;
};

bool operator==(const Drawn& a, const Drawn& b) {
    // Untextured quads keep stale u and v: only textured ones carry them.
    bool uv = !a.textured || (std::memcmp(&a.u, &b.u, 4) == 0 && std::memcmp(&a.v, &b.v, 4) == 0);
    return a.textured == b.textured && std::memcmp(&a.x, &b.x, 4) == 0 && std::memcmp(&a.y, &b.y, 4) == 0 &&
           a.colour == b.colour && uv;
}

// The vertices the renderer received, in the form the plain frame gives.
std::vector<Drawn> Captured() {
    std::vector<Drawn> out;
    for (const CapturedVertex& c : CapturedVertices().drawn)
        out.push_back({c.vertex.x, c.vertex.y, c.vertex.u, c.vertex.v, c.vertex.colour, c.textured});
    return out;
}

// The plain frame's quads as the renderer would receive them.
struct ExpectedSink {
    std::vector<Drawn> drawn;
    float uscale, vscale;

    void Clear() { drawn.clear(); }
    void Rect(float x, float y, float w, float h, uint32_t c) {
        drawn.push_back({x, y, 0, 0, c, false});
        drawn.push_back({x + w, y, 0, 0, c, false});
        drawn.push_back({x + w, y + h, 0, 0, c, false});
        drawn.push_back({x, y + h, 0, 0, c, false});
    }
    void Glyph(float x, float y, int sx, int sy, int w, int h, uint32_t c) {
        float u0 = static_cast<float>(sx) * uscale, u1 = static_cast<float>(sx + w) * uscale;
        float v0 = static_cast<float>(sy) * vscale, v1 = static_cast<float>(sy + h) * vscale;
        float fw = static_cast<float>(w), fh = static_cast<float>(h);
        drawn.push_back({x, y, u0, v0, c, true});
        drawn.push_back({x + fw, y, u1, v0, c, true});
        drawn.push_back({x + fw, y + fh, u1, v1, c, true});
        drawn.push_back({x, y + fh, u0, v1, c, true});
    }
};

class FrameIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        app = StartShowWithoutWindow(CapturingGl());
        // fonti.png's layout: 91 cells of 16 x 16 from code 32, on a texture
        // of the image's size (a context exists, so the surface binds).
        AdvanceContextGeneration();
        gxtkSurface* surface = graphicsDevice->CreateSurface(1456, 16);
        c_Image* page = gc_new<c_Image>()->Init(surface, 1, 0);
        c_IntMap* glyphs = gc_new<c_IntMap>();
        for (int i = 0; i < 91; ++i) glyphs->Add(32 + i, gc_new<c_Glyph>(0, 32 + i, 16 * i, 0, 16, 16, 16));
        Array<c_Image*> pages(1);
        pages.Set(0, page);
        gc_assign(demoFont, gc_new<c_Font>()->Init(pages, 1, glyphs, 32, 16));
        SetFont(demoFont);
        text = scene::ShowText(1456, 16);
        expected.uscale = surface->uscale;
        expected.vscale = surface->vscale;
    }

    // Renders one frame both ways and reports the first vertex that differs.
    void CompareFrame(int frame) {
        CapturedVertices().drawn.clear();
        RenderShowFrame(app);
        const std::vector<Drawn> got = Captured();
        scene::DrawFrame(expected, state, text);
        const std::vector<Drawn>& want = expected.drawn;
        ASSERT_EQ(got.size(), want.size()) << "frame " << frame;
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_TRUE(got[i] == want[i]) << "frame " << frame << ", vertex " << i << ": (" << got[i].x << ", "
                                          << got[i].y << ") " << std::hex << got[i].colour << " against ("
                                          << want[i].x << ", " << want[i].y << ") " << want[i].colour;
    }
    void Update() {
        app->OnUpdate();
        scene::Update(state, text);
    }

    c_MyApp* app = nullptr;
    scene::Text text;
    scene::State state;
    ExpectedSink expected;
};

TEST_F(FrameIdentity, FirstFramesAndTheLogoPhaseWrap) {
    // 110 frames take the logo phase past 360 (3.388 per frame).
    for (int frame = 0; frame < 110; ++frame) {
        CompareFrame(frame);
        if (HasFatalFailure()) return;
        Update();
    }
    EXPECT_EQ(CapturedVertices().drawn.size(), (4941u + 1936u + 2u + 578u + 157u) * 4u);
}

TEST_F(FrameIdentity, ScrollerWrapAndPlasmaPhaseWrap) {
    // Just before the scroller's wrap and the plasma phase's, on both sides.
    for (int i = 0; i < 860; ++i) Update();
    plasmaPhase = state.plasma_phase = 359.95f;
    for (int frame = 0; frame < 12; ++frame) {
        CompareFrame(frame);
        if (HasFatalFailure()) return;
        Update();
    }
    EXPECT_LT(plasmaPhase, 1.0f);
    EXPECT_EQ(scrollX, state.scroll_x);
}

}  // namespace
