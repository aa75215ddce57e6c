// The application's graphics share on a host of the test's own: set-up and
// the size copy, the display modes, the render bracket for every answer of
// the device, and the graphics globals as collector roots.
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

// Repeated modes are dropped where they repeat; without modes or a desktop
// the device's size stands in for the desktop.
TEST_F(GraphicsDevice, DisplayModesAndDeviceSizeFollowTheHost) {
    struct Case {
        std::vector<std::pair<int, int>> modes;
        bool desktop;
        std::vector<int> want;  // the modes' sizes, then the desktop's
    } cases[] = {
        {{{800, 600}, {1024, 768}, {800, 600}, {640, 480}, {1024, 768}}, true,
         {800, 600, 1024, 768, 640, 480, 1920, 1080}},
        {{}, false, {320, 200}},
    };
    EXPECT_EQ(SetUpGraphicsDevice(), graphicsDevice);
    EXPECT_EQ(context->font, nullptr) << "this host decodes no images, so no default font";
    host.w = 320, host.h = 200;
    SyncDeviceSize();
    EXPECT_EQ(std::vector<int>({DeviceWidth(), DeviceHeight()}), std::vector<int>({320, 200}));
    for (const Case& c : cases) {
        host.modes = c.modes, host.has_desktop = c.desktop;
        InitDisplayModes();
        std::vector<int> got;
        for (int i = 0; i < displayModes.Length(); ++i)
            got.insert(got.end(), {displayModes[i]->width, displayModes[i]->height});
        ASSERT_NE(desktopMode, nullptr);
        got.insert(got.end(), {desktopMode->width, desktopMode->height});
        EXPECT_EQ(got, c.want);
    }
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
    const std::tuple<int, const char*, bool> cases[] = {
        {1, "begin render end", true}, {0, "begin render end", false}, {2, "begin end", false}};
    for (const auto& [mode, want, framework] : cases) {
        std::string log;
        ModeDevice device{mode, &log};
        bool saw_framework = false;
        RenderBracket(&device, [&] {
            log += "render ";
            saw_framework = renderDevice != nullptr;
        });
        EXPECT_EQ(log, want) << "mode " << mode;
        EXPECT_EQ(saw_framework, framework) << "mode " << mode;
        EXPECT_EQ(renderDevice, nullptr) << "the framework's end ran, or its begin never did";
    }
}

TEST_F(GraphicsDevice, GlobalsSurviveFullCollectionsAsRoots) {
    RegisterGraphicsRoots();
    RegisterDisplayModeRoots();
    host.modes = {{800, 600}};
    InitDisplayModes();
    std::vector<gc_object*> kept = {SetUpGraphicsDevice(), context, context->matrixStack.Body(),
                                    displayModes.Body(), displayModes[0], desktopMode};
    gc_object* dropped = gc_new<c_Font>();
    for (int i = 0; i < 3; ++i) gc_collect_full();
    for (gc_object* object : kept) EXPECT_TRUE(gc_is_known_object(object));
    EXPECT_FALSE(gc_is_known_object(dropped)) << "unreachable objects do die";
    EXPECT_STREQ(gc_check_heap(), "");
}

}  // namespace
