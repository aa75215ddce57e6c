// The delegate's graphics share on a host of the test's own (recorded GL,
// no window): the size copy, the display modes, the render bracket for
// every answer of the device, and the graphics globals as collector roots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/graphics_device.h"
#include "graphics/font.h"
#include "graphics/gl_recorder.h"
#include "host/rt_game.h"

namespace {

struct ModeHost : RtGame {
    std::vector<std::pair<int, int>> modes;
    bool has_desktop = false;
    int w = 0, h = 0;

    Array<RtDisplayMode*> GetDisplayModes() override {
        Array<RtDisplayMode*> out(static_cast<int>(modes.size()));
        for (size_t i = 0; i < modes.size(); ++i)
            out.Set(static_cast<int>(i), gc_new<RtDisplayMode>(modes[i].first, modes[i].second));
        return out;
    }
    RtDisplayMode* GetDesktopMode() override { return has_desktop ? gc_new<RtDisplayMode>(1920, 1080) : nullptr; }
    int GetDeviceWidth() override { return w; }
    int GetDeviceHeight() override { return h; }
};

class GraphicsDevice : public ::testing::Test {
protected:
    void SetUp() override {
        gl = RecordingGl();
        InitGraphicsContextGlobals();
        InitDisplayModeGlobals();
    }
    ModeHost host;
};

TEST_F(GraphicsDevice, TheDeviceSizeFollowsTheHostAndStandsInForMissingModes) {
    host.w = 320, host.h = 200;
    SyncDeviceSize();
    EXPECT_EQ(DeviceWidth(), 320);
    EXPECT_EQ(DeviceHeight(), 200);
    InitDisplayModes();
    EXPECT_EQ(displayModes.Length(), 0);
    ASSERT_NE(desktopMode, nullptr);
    EXPECT_EQ(desktopMode->width, 320);
    EXPECT_EQ(desktopMode->height, 200);
}

TEST_F(GraphicsDevice, DisplayModesDropRepeatsAndKeepTheFirstPlace) {
    host.modes = {{800, 600}, {1024, 768}, {800, 600}, {640, 480}, {1024, 768}};
    host.has_desktop = true;
    InitDisplayModes();
    std::string modes;
    for (int i = 0; i < displayModes.Length(); ++i)
        modes += std::to_string(displayModes[i]->width) + "x" + std::to_string(displayModes[i]->height) + " ";
    EXPECT_EQ(modes, "800x600 1024x768 640x480 ");
    ASSERT_NE(desktopMode, nullptr);
    EXPECT_EQ(desktopMode->width, 1920);
    EXPECT_EQ(desktopMode->height, 1080);
}

// A device that answers BeginRender with a chosen mode.
struct ModeDevice {
    int mode;
    std::string* log;
    int BeginRender() { return *log += "begin ", mode; }
    void EndRender() { *log += "end"; }
};

TEST_F(GraphicsDevice, RenderBracketForEachDeviceAnswer) {
    SetGraphicsDevice(gc_new<gxtkGraphics>());
    const struct {
        int mode;
        const char* log;  // "framework" when the framework's bracket was open inside
    } rows[] = {{1, "begin render framework end"}, {0, "begin render end"}, {2, "begin end"}};
    for (const auto& row : rows) {
        std::string log;
        ModeDevice device{row.mode, &log};
        RenderBracket(&device, [&] { log += renderDevice ? "render framework " : "render "; });
        EXPECT_EQ(log, row.log) << "mode " << row.mode;
        EXPECT_EQ(renderDevice, nullptr) << "the framework's end ran, or its begin never did";
    }
}

TEST_F(GraphicsDevice, GlobalsSurviveFullCollectionsAsRoots) {
    RegisterGraphicsRoots();
    RegisterDisplayModeRoots();
    host.modes = {{800, 600}};
    InitDisplayModes();
    gxtkGraphics* device = SetUpGraphicsDevice();
    gc_object* kept[] = {context, context->matrixStack.Body(), device, displayModes.Body(), displayModes[0],
                         desktopMode};
    gc_object* dropped = gc_new<c_Font>();
    for (int i = 0; i < 3; ++i) gc_collect_full();
    for (gc_object* object : kept) EXPECT_TRUE(gc_is_known_object(object));
    EXPECT_FALSE(gc_is_known_object(dropped)) << "unreachable objects do die";
    EXPECT_STREQ(gc_check_heap(), "");
}

}  // namespace
