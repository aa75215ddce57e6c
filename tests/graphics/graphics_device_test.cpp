// The delegate's graphics share on a host of the test's own: device set-up,
// the size copy, the render bracket for every answer of the device, the
// display modes, and the graphics globals as collector roots.
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
        saved = gl;
        gl = RecordingGl();
        InitGraphicsContextGlobals();
        InitDisplayModeGlobals();
    }
    void TearDown() override { gl = saved; }
    ModeHost host;

private:
    GlFunctions saved;
};

TEST_F(GraphicsDevice, SetUpMakesTheDeviceCurrentAndAsksForTheDefaultFont) {
    gxtkGraphics* device = SetUpGraphicsDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(graphicsDevice, device);
    EXPECT_EQ(device->width, 0) << "no window: no size";
    EXPECT_EQ(context->font, nullptr) << "this host decodes no images";
    EXPECT_EQ(context->defaultFont, nullptr);
}

TEST_F(GraphicsDevice, SizeSyncFollowsTheHost) {
    SyncDeviceSize();
    EXPECT_EQ(deviceWidth, 0);
    EXPECT_EQ(deviceHeight, 0);
    host.w = 640;
    host.h = 480;
    SyncDeviceSize();
    EXPECT_EQ(DeviceWidth(), 640);
    EXPECT_EQ(DeviceHeight(), 480);
}

TEST_F(GraphicsDevice, DisplayModesDropRepeatsAndKeepTheFirstPlace) {
    host.modes = {{800, 600}, {1024, 768}, {800, 600}, {640, 480}, {1024, 768}};
    host.has_desktop = true;
    InitDisplayModes();
    ASSERT_EQ(displayModes.Length(), 3);
    EXPECT_EQ(displayModes[0]->width, 800);
    EXPECT_EQ(displayModes[1]->width, 1024);
    EXPECT_EQ(displayModes[2]->height, 480);
    ASSERT_NE(desktopMode, nullptr);
    EXPECT_EQ(desktopMode->width, 1920);
    EXPECT_EQ(desktopMode->height, 1080);
}

TEST_F(GraphicsDevice, WithoutModesOrDesktopTheDeviceSizeStandsIn) {
    host.w = 320;
    host.h = 200;
    SyncDeviceSize();
    InitDisplayModes();
    EXPECT_EQ(displayModes.Length(), 0);
    ASSERT_NE(desktopMode, nullptr);
    EXPECT_EQ(desktopMode->width, 320);
    EXPECT_EQ(desktopMode->height, 200);
}

// A device that answers BeginRender with a chosen mode.
struct ModeDevice {
    int mode;
    std::string* log;
    int BeginRender() {
        *log += "begin ";
        return mode;
    }
    void EndRender() { *log += "end"; }
};

TEST_F(GraphicsDevice, RenderBracketForEachDeviceAnswer) {
    SetGraphicsDevice(gc_new<gxtkGraphics>());
    struct Case {
        int mode;
        const char* want;
        bool framework;
    } cases[] = {{1, "begin render end", true}, {0, "begin render end", false}, {2, "begin end", true}};
    for (const Case& c : cases) {
        std::string log;
        ModeDevice device{c.mode, &log};
        bool saw_framework = false;
        RenderBracket(&device, [&] {
            log += "render ";
            saw_framework = renderDevice != nullptr;
        });
        EXPECT_EQ(log, c.want) << "mode " << c.mode;
        if (c.mode != 2) {
            EXPECT_EQ(saw_framework, c.framework) << "mode " << c.mode;
        }
        EXPECT_EQ(renderDevice, nullptr) << "the framework's end ran, or its begin never did";
    }
}

TEST_F(GraphicsDevice, GlobalsSurviveFullCollectionsAsRoots) {
    RegisterGraphicsRoots();
    RegisterDisplayModeRoots();
    host.modes = {{800, 600}};
    InitDisplayModes();
    gxtkGraphics* device = SetUpGraphicsDevice();
    c_GraphicsContext* ctx = context;
    gc_object* modes = displayModes.Body();
    gc_object* dropped = gc_new<c_Font>();
    for (int i = 0; i < 3; ++i) gc_collect_full();
    EXPECT_TRUE(gc_is_known_object(ctx));
    EXPECT_TRUE(gc_is_known_object(ctx->matrixStack.Body()));
    EXPECT_TRUE(gc_is_known_object(device));
    EXPECT_TRUE(gc_is_known_object(modes));
    EXPECT_TRUE(gc_is_known_object(displayModes[0]));
    EXPECT_TRUE(gc_is_known_object(desktopMode));
    EXPECT_FALSE(gc_is_known_object(dropped)) << "unreachable objects do die";
    EXPECT_STREQ(gc_check_heap(), "");
}

}  // namespace
