// Whole frames of the show through the real framework and renderer, with a
// GL table that copies out every quad the batch draws: the first frame's
// plasma colours, the counters each operation may and may not touch, and
// the scroll cycle.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "demo/show_harness.h"

namespace {

uint32_t Packed(int r, int g, int b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16 | 0xffu << 24;
}

// The first corner of every quad drawn.
struct Quad {
    float x, y;
    uint32_t colour;
    bool textured;
};

class Frames : public ::testing::Test {
protected:
    void SetUp() override { app = StartShowWithoutWindow(CapturingGl()); }
    void Render() {
        CapturedVertices().drawn.clear();
        RenderShowFrame(app);
        quads.clear();
        const std::vector<CapturedVertex>& drawn = CapturedVertices().drawn;
        for (size_t i = 0; i < drawn.size(); i += 4)
            quads.push_back({drawn[i].vertex.x, drawn[i].vertex.y, drawn[i].vertex.colour, drawn[i].textured});
    }
    c_MyApp* app = nullptr;
    std::vector<Quad> quads;
};

TEST_F(Frames, FirstFramePlasmaHoldsTwoColours) {
    Render();
    std::vector<Quad>& q = quads;
    ASSERT_GE(q.size(), 4941u + 1936u + 2u);
    std::map<uint32_t, int> colours;
    for (int i = 0; i < 4941; ++i) {
        EXPECT_FALSE(q[i].textured);
        EXPECT_EQ(q[i].x, static_cast<float>((i % 81) * 8));
        EXPECT_EQ(q[i].y, static_cast<float>((i / 81) * 8));
        ++colours[q[i].colour];
    }
    EXPECT_EQ(colours.size(), 2u);
    EXPECT_EQ(colours[Packed(96, 195, 128)], 2791);
    EXPECT_EQ(colours[Packed(64, 128, 98)], 2150);
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
    EXPECT_EQ(top.colour, Packed(0, 0, 0));
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
        EXPECT_EQ(app->OnUpdate(), 0);
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
