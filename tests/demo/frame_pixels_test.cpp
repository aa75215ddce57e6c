// The first frame of the show on real GL (Mesa under Xvfb), read back: the
// bars are black, plasma cells clear of the logo strip and the text are
// solid 8 x 8 blocks of their band colour, and the text stands on the lines
// the layout gives it.
#include <gtest/gtest.h>

#include "demo/demo_state.h"
#include "demo/demo_text.h"
#include "demo/effects.h"
#include "demo/my_app.h"
#include "graphics/font.h"
#include "graphics/window_fixture.h"

namespace {

class FirstFrame : public WindowDevice {
protected:
    void SetUp() override {
        WindowDevice::SetUp();
        InitDemoGlobals();
        game = CurrentGlfwGame();
        app = nullptr;
        c_MyApp* show = gc_new<c_MyApp>();
        // OnCreate's font and scroller, without the music.
        gc_assign(demoFont, LoadFont(String("fonti.png"), 32, 91, false));
        ASSERT_NE(demoFont, nullptr);
        SetFont(demoFont);
        scrollText = ScrollText();
        scrollX = 640;
        scrollBaseY = 400.0f;
        Frame([show] { show->OnRender(); });
        pixels_ = Array<int>(640 * 480);
        device->ReadPixels(pixels_, 0, 0, 640, 480, 0, 640);
    }
    uint32_t rgb(int x, int y) const { return static_cast<uint32_t>(pixels_[y * 640 + x]) & 0xFFFFFF; }
    Array<int> pixels_;
};

uint32_t pack(const float c[3]) {
    return static_cast<uint32_t>(c[0]) << 16 | static_cast<uint32_t>(c[1]) << 8 | static_cast<uint32_t>(c[2]);
}

TEST_F(FirstFrame, BarsAreBlack) {
    for (int y : {0, 16, 31, 448, 460, 479})
        for (int x = 0; x < 640; ++x) ASSERT_EQ(rgb(x, y), 0u) << x << "," << y;
}

TEST_F(FirstFrame, PlasmaCellsAreSolidBandColours) {
    // Rows 320..375 lie between the info text and the scroller; x from 160
    // is clear of the logo strip.
    float phase = 0.0f, rgb_band[3] = {255, 255, 255};
    int checked = 0;
    for (int y = 0; y <= 480; y += 8) {
        phase = phase + 0.001f;
        float scale = DegSin(phase) + DegSin(phase);
        for (int x = 0; x <= 640; x += 8) {
            PlasmaBand(PlasmaValue(scale, x, y), rgb_band);
            if (y < 320 || y >= 376 || x < 160 || x >= 640) continue;
            uint32_t want = pack(rgb_band);
            for (int dy = 0; dy < 8; ++dy)
                for (int dx = 0; dx < 8; ++dx)
                    ASSERT_EQ(rgb(x + dx, y + dy), want) << "cell " << x << "," << y;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 7 * 60);
}

TEST_F(FirstFrame, TextStandsOnItsLines) {
    auto text_pixels = [this](int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 160; x < 640; ++x) n += (rgb(x, y) >> 16) > 150;  // the font's silver and gold
        return n;
    };
    EXPECT_GT(text_pixels(32, 48), 300);    // the title
    EXPECT_EQ(text_pixels(66, 96), 0);      // the gap under the rule
    EXPECT_GT(text_pixels(96, 112), 300);   // the exclamation
    EXPECT_GT(text_pixels(287, 303), 50);   // the closing phrase
    EXPECT_EQ(text_pixels(306, 376), 0);    // nothing between the text and the scroller
}

}  // namespace
