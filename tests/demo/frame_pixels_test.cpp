// The first frame of the show on real GL (Mesa under Xvfb), read back: the
// bars are black, plasma cells clear of the logo strip and the text are
// solid 8 x 8 blocks of their band colour, and the text stands on the lines
// the layout gives it. In a window twice as large the same frame is that
// picture magnified, pixel for pixel.
#include <gtest/gtest.h>

#include <vector>

#include "demo/demo_state.h"
#include "demo/demo_text.h"
#include "demo/effects.h"
#include "demo/my_app.h"
#include "graphics/font.h"
#include "graphics/gl_functions.h"
#include "graphics/window_fixture.h"

namespace {

class FirstFrame : public WindowDevice {
protected:
    // Room for a window of twice the show's size.
    static void SetUpTestSuite() { ASSERT_TRUE(xsession::StartServer("1920x1080x24")); }
    void SetUp() override {
        WindowDevice::SetUp();
        RenderFirstFrame();
        pixels = Array<int>(640 * 480);
        device->ReadPixels(pixels, 0, 0, 640, 480, 0, 640);
    }
    // A new show, as OnCreate leaves it (its font and scroller, without the
    // music), draws its first frame.
    void RenderFirstFrame() {
        InitDemoGlobals();
        game = CurrentGlfwGame();
        app = nullptr;
        c_MyApp* show = gc_new<c_MyApp>();
        gc_assign(demoFont, LoadFont(String("fonti.png"), 32, 91, false));
        ASSERT_NE(demoFont, nullptr);
        SetFont(demoFont);
        scrollText = ScrollText();
        scrollX = 640;
        scrollBaseY = 400.0f;
        Frame([show] { show->OnRender(); });
    }
    uint32_t Rgb(int x, int y) const { return static_cast<uint32_t>(pixels[y * 640 + x]) & 0xFFFFFF; }
    Array<int> pixels;
};

uint32_t Pack(const float c[3]) {
    return static_cast<uint32_t>(c[0]) << 16 | static_cast<uint32_t>(c[1]) << 8 | static_cast<uint32_t>(c[2]);
}

TEST_F(FirstFrame, BarsAreBlack) {
    for (int y : {0, 16, 31, 448, 460, 479})
        for (int x = 0; x < 640; ++x) ASSERT_EQ(Rgb(x, y), 0u) << x << "," << y;
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
            uint32_t want = Pack(rgb_band);
            for (int dy = 0; dy < 8; ++dy)
                for (int dx = 0; dx < 8; ++dx)
                    ASSERT_EQ(Rgb(x + dx, y + dy), want) << "cell " << x << "," << y;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 7 * 60);
}

TEST_F(FirstFrame, TextStandsOnItsLines) {
    auto text_pixels = [this](int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 160; x < 640; ++x) n += (Rgb(x, y) >> 16) > 150;  // the font's silver and gold
        return n;
    };
    EXPECT_GT(text_pixels(32, 48), 300);    // the title
    EXPECT_EQ(text_pixels(66, 96), 0);      // the gap under the rule
    EXPECT_GT(text_pixels(96, 112), 300);   // the exclamation
    EXPECT_GT(text_pixels(287, 303), 50);   // the closing phrase
    EXPECT_EQ(text_pixels(306, 376), 0);    // nothing between the text and the scroller
}

TEST_F(FirstFrame, TwiceAsLargeIsTheSameFrameMagnified) {
    RtGlfwGame* host = CurrentGlfwGame();
    host->OpenGameWindow(WindowChoice{2, false});
    ASSERT_EQ(host->GetDeviceWidth(), 640);
    RenderFirstFrame();
    // The whole 1280 x 960 framebuffer, bottom row first.
    std::vector<uint32_t> big(1280 * 960);
    gl.ReadPixels(0, 0, 1280, 960, GL_BGRA, GL_UNSIGNED_BYTE, big.data());
    host->OpenWindow(640, 480, kWindowDecorated);
    int differing = 0;
    for (int y = 0; y < 960; ++y)
        for (int x = 0; x < 1280; ++x) differing += (big[(959 - y) * 1280 + x] & 0xFFFFFF) != Rgb(x / 2, y / 2);
    EXPECT_EQ(differing, 0);
}

}  // namespace
