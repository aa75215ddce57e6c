// A real 640 x 480 window from the host with its GL context (Mesa under a
// private Xvfb in the test run), a device drawing into it, and helpers that
// read pixels back through the device and make PNG files with a real encoder.
#pragma once

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "graphics/graphics_context.h"
#include "graphics/image.h"
#include "host/glfw_game.h"
#include "support/images.h"
#include "support/temp_folder.h"
#include "support/x_session.h"

class WindowDevice : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CurrentGlfwGame()) {  // one server and one window for the whole program
            ASSERT_TRUE(xsession::StartServer()) << "Xvfb could not be started";
            ASSERT_TRUE(glfwInit()) << "no X display";
            (new RtVantorixGame())->OpenWindow(640, 480, kWindowDecorated);
        }
        InitGraphicsContextGlobals();
        device = gc_new<gxtkGraphics>();
        SetGraphicsDevice(device);
        deviceWidth = CurrentGlfwGame()->GetDeviceWidth();
        deviceHeight = CurrentGlfwGame()->GetDeviceHeight();
    }

    // One frame: the device's and the framework's begin, the drawing, both ends.
    void Frame(const std::function<void()>& draw) {
        device->BeginRender();
        BeginRender();
        draw();
        EndRender();
        device->EndRender();
    }

    // Red, green and blue of the pixel at (x, y), top-left origin, as
    // 0xRRGGBB (the window may lack alpha).
    uint32_t Rgb(int x, int y) {
        Array<int> one(1);
        device->ReadPixels(one, x, y, 1, 1, 0, 1);
        return static_cast<uint32_t>(one[0]) & 0xFFFFFF;
    }

    // A PNG of the given colour type made by a real encoder in the test's folder.
    std::string Png(const std::string& name, int w, int h, int colour_type, const std::vector<int>& bytes) {
        std::string path = MakePng(folder.Path(), name, w, h, colour_type, bytes);
        EXPECT_NE(path, "") << name;
        return path;
    }

    gxtkGraphics* device = nullptr;
    TempFolder folder{"graphics"};
};
