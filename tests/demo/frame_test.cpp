// Whole frames of the show through the real framework and renderer, with a
// GL table that copies out every quad the batch draws: the first frame's
// plasma colours, the counters each operation may and may not touch, and
// the scroll cycle.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "demo/demo_state.h"
#include "demo/demo_text.h"
#include "demo/my_app.h"
#include "graphics/gl_functions.h"
#include "graphics/graphics_context.h"
#include "host/rt_game.h"

namespace {

struct Quad {
    float x, y;  // first corner
    uint32_t colour;
    bool textured;
};

struct Capture {
    const gxtkVertex* vertices = nullptr;
    bool texturing = false;
    std::vector<Quad> quads;
};

Capture g_capture;

GlFunctions capturing_gl() {
    GlFunctions f = NullGl();
    f.VertexPointer = [](GLint, GLenum, GLsizei, const void* p) {
        g_capture.vertices = static_cast<const gxtkVertex*>(p);
    };
    f.Enable = [](GLenum cap) {
        if (cap == GL_TEXTURE_2D) g_capture.texturing = true;
    };
    f.Disable = [](GLenum cap) {
        if (cap == GL_TEXTURE_2D) g_capture.texturing = false;
    };
    f.DrawElements = [](GLenum, GLsizei count, GLenum, const void*) {
        for (int q = 0; q < count / 6; ++q) {
            const gxtkVertex& v = g_capture.vertices[4 * q];
            g_capture.quads.push_back({v.x, v.y, v.colour, g_capture.texturing});
        }
    };
    return f;
}

uint32_t packed(int r, int g, int b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16 | 0xffu << 24;
}

class Frames : public ::testing::Test {
protected:
    void SetUp() override {
        gl = capturing_gl();
        init_graphics_globals();
        InitDemoGlobals();
        deviceWidth = 640;
        deviceHeight = 480;
        gc_assign(graphicsDevice, gc_new<gxtkGraphics>());
        static RtGame host;  // the application hands its delegate to a host
        game = &host;
        app = nullptr;  // one application per process; tests make one each
        app_ = gc_new<c_MyApp>();
        // What OnCreate sets, without the font and the music.
        scrollText = ScrollText();
        scrollX = 640;
        scrollBaseY = 400.0f;
    }
    void Render() {
        g_capture.quads.clear();
        graphicsDevice->BeginRender();
        BeginRender();
        app_->OnRender();
        EndRender();
        graphicsDevice->EndRender();
    }
    c_MyApp* app_ = nullptr;
};

TEST_F(Frames, FirstFramePlasmaHoldsTwoColours) {
    Render();
    std::vector<Quad>& q = g_capture.quads;
    ASSERT_GE(q.size(), 4941u + 1936u + 2u);
    std::map<uint32_t, int> colours;
    for (int i = 0; i < 4941; ++i) {
        EXPECT_FALSE(q[i].textured);
        EXPECT_EQ(q[i].x, static_cast<float>((i % 81) * 8));
        EXPECT_EQ(q[i].y, static_cast<float>((i / 81) * 8));
        ++colours[q[i].colour];
    }
    EXPECT_EQ(colours.size(), 2u);
    EXPECT_EQ(colours[packed(96, 195, 128)], 2791);
    EXPECT_EQ(colours[packed(64, 128, 98)], 2150);
    // The logo strip follows: back block then front block, 16 pixels up.
    EXPECT_NEAR(q[4941].x, 34.98436f, 1e-4f);
    EXPECT_EQ(q[4941].y, 0.0f);
    EXPECT_NEAR(q[4942].x, 2.98436f, 1e-4f);
    EXPECT_EQ(q[4942].y, -16.0f);
    // The bars come last, black.
    const Quad& top = q[q.size() - 2];
    const Quad& bottom = q.back();
    EXPECT_EQ(top.y, 0.0f);
    EXPECT_EQ(bottom.y, 448.0f);
    EXPECT_EQ(top.colour, packed(0, 0, 0));
}

TEST_F(Frames, RenderAdvancesEffectsButNeverTheScroller) {
    Render();
    EXPECT_NEAR(logoPhase, 3.388f, 1e-4f);
    EXPECT_EQ(logoRowOffset, 1.0f);
    EXPECT_NEAR(plasmaPhase, 0.061f, 1e-6f);
    EXPECT_EQ(scrollX, 640);
    for (int frame = 1; frame < 8; ++frame) Render();
    EXPECT_EQ(logoRowOffset, 0.0f);
    EXPECT_EQ(scrollX, 640);
}

TEST_F(Frames, ScrollCycleIs867Updates) {
    float phase = plasmaPhase, logo = logoPhase, wave = scrollWave;
    int updates = 0;
    int lowest = scrollX;
    do {
        EXPECT_EQ(app_->OnUpdate(), 0);
        if (scrollX < lowest) lowest = scrollX;
        ++updates;
    } while (scrollX != 640);
    EXPECT_EQ(updates, 867);
    EXPECT_EQ(lowest, -2824);
    EXPECT_EQ(plasmaPhase, phase);
    EXPECT_EQ(logoPhase, logo);
    EXPECT_EQ(scrollWave, wave);
}

}  // namespace
