// A capture's frames against the show rendered directly: the demo runs in
// this process on the plain desktop host, rendering frame after frame and
// running between frames exactly the updates that fall due at 60 frames a
// second; frames 50 to 59 of a capture that starts at frame 50 must match
// those renders pixel for pixel (the plasma and the logo move once per
// frame, the scroller once per update).
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/framework.h"
#include "capture/music_capture.h"
#include "demo/demo_state.h"
#include "demo/my_app.h"
#include "graphics/gl_functions.h"
#include "host/glfw_game.h"
#include "tests/capture/capture_files.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>

using namespace capture_test;

namespace {

constexpr int kFps = 60;

// Updates due by frame n's render: the first runs after frame 0, then one
// every 1/50 s; one due exactly on a frame is in it.
int UpdatesBefore(int n) { return n == 0 ? 0 : (n - 1) * 50 / kFps + 1; }

std::vector<uint8_t> BackBuffer() {
    std::vector<uint8_t> rgb(640 * 480 * 3), flipped(rgb.size());
    gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.ReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (int y = 0; y < 480; ++y) std::memcpy(&flipped[y * 1920], &rgb[(479 - y) * 1920], 1920);
    return flipped;
}

std::vector<uint8_t> Png(const std::string& path) {
    int w = 0, h = 0, n = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 3);
    EXPECT_TRUE(data) << path;
    if (!data) return {};
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    std::vector<uint8_t> rgb(data, data + static_cast<size_t>(w) * h * 3);
    stbi_image_free(data);
    return rgb;
}

TEST(DirectRender, CapturedFramesEqualTheShowRenderedFrameByFrame) {
    TempFolder t;
    ChildResult r = RunCapture(t / "out", "--png --fps 60 --start 50 --frames 10");
    ASSERT_EQ(r.status, 0) << r.err;

    ASSERT_TRUE(glfwInit());
    static char name[] = "direct";
    static char* argv[] = {name, nullptr};
    InstallCaptureDriver();  // the music goes nowhere, whatever sound the machine has
    RtVantorixGame* host = new RtVantorixGame();
    host->SetSwapInterval(0);
    StartFramework(1, argv, {InitDemoGlobals, [] { gc_new<c_MyApp>(); }});
    host->OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
    host->StartGame();
    int compared = 0;
    for (int n = 0; n < 60; ++n) {
        host->RenderGame();
        if (n >= 50) {
            std::vector<uint8_t> captured = Png(FrameFile(t / "out", n));
            EXPECT_TRUE(captured == BackBuffer()) << "frame " << n;
            ++compared;
        }
        glfwSwapBuffers(host->GetWindow());
        for (int u = UpdatesBefore(n); u < UpdatesBefore(n + 1); ++u) host->UpdateGame();
    }
    EXPECT_EQ(compared, 10);
    EXPECT_EQ(scrollX, 640 - 4 * UpdatesBefore(60));
}

}  // namespace
